#pragma once

namespace corvane {

class RunController;

// The Delete command: a click while idle confirms and runs the shred over both
// lists; a click while it runs (the button then reads "&Abort") asks it to stop.
void DeleteFilesClick(RunController& runs);

inline constexpr char kDeleteQuestion[] = "Are You Sure You Want To Delete The Selected Files?";
inline constexpr char kDeleteQuestionTitle[] = "Corvane - Delete Confirmation";

}  // namespace corvane
