#pragma once
// The start-up procedure.
#include <memory>

namespace corvane {

class Form1;

// Fixes where the settings live, creates the main window (running its load
// handler) and shows it. The caller runs the event loop while the window lives.
std::unique_ptr<Form1> Main();

}  // namespace corvane
