#pragma once
// Placeholder until the file dialog class lands.

namespace corvane {

class cFileDialog {};

}  // namespace corvane
