#pragma once
// The program's command line: options, and the files and folders to list.
#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct CommandLine {
  // Set when the program is to end at once with this code (--help, --version,
  // or an option it does not know), after printing what it has to say.
  std::optional<int> exitCode;
  // The files and folders named, as absolute byte paths, in their order.
  std::vector<std::string> paths;
  // With --uris: what was handed as a URI naming no file on this computer.
  std::vector<std::string> remote;
  // --wipe-free-space FOLDER: the folder, as an absolute byte path.
  std::optional<std::string> wipeFolder;
  // True when the user chose a widget style (-style or QT_STYLE_OVERRIDE).
  bool styleNamed = false;
  // What the toolkit is given: the program's name and the toolkit's own
  // options named before "--", never anything else, so that no file name
  // is ever read as an option (a file called "-platformpluginpath" would
  // load a plugin from wherever its neighbour says).
  std::vector<std::string> toolkitArguments;
};

// Reads argv without needing a display or an application object. Paths keep
// the exact bytes of their arguments; relative ones are taken from `cwd`.
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& cwd);

}  // namespace corvane
