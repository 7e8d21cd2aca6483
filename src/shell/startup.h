#pragma once
// The start-up procedure.
#include <memory>

namespace corvane {

class Form1;

// Fixes where the settings live (beside the executable when it can keep them
// there), then opens the main window. The caller runs the event loop while the window lives.
std::unique_ptr<Form1> Main();

// Creates the main window, runs its load handler with the settings at IniPath
// (so their checks come before the window appears) and shows it.
std::unique_ptr<Form1> OpenMainWindow();

}  // namespace corvane
