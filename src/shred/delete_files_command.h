#pragma once

namespace corvane {

class Form1;

// The Delete command: a click while idle confirms and runs the shred over both
// lists; a click while it runs (the button then reads "&Abort") asks it to stop.
void DeleteFilesClick(Form1& form);

// What the Abort button does to a run under way; nothing when no run is.
void AbortDeleteRun(Form1& form);

inline constexpr char kDeleteQuestion[] = "Are You Sure You Want To Delete The Selected Files?";
inline constexpr char kDeleteQuestionTitle[] = "Corvane - Delete Confirmation";

}  // namespace corvane
