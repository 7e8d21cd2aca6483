#pragma once
// The Open and Save dialogs behind the open-file-name record. Both block until
// the dialog closes and return nonzero when the user confirmed a choice, 0 when
// he cancelled or the dialog failed (the choice does not fit the file buffer,
// a malformed record...).
//
// On confirmation the file buffer holds, padded with NULs to nMaxFile bytes:
//   one file:      its full path;
//   several files: the directory ("/" only for the root), NUL, each name
//                  followed by NUL, and one more NUL.
// A choice needs room for two NULs after it (one in a single-choice Save or
// Open without multiple selection) or it is refused.
#include <cstdint>

#include "platform/open_file_name.h"

namespace corvane {

int32_t GetOpenFileNameA(OPENFILENAME& ofn);
int32_t GetSaveFileNameA(OPENFILENAME& ofn);

}  // namespace corvane
