#include "shell/core/module1.h"

namespace corvane {

std::string IniPath;

}  // namespace corvane
