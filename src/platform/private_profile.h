#pragma once
// Reading and writing one value in an INI file ("[Section]" header lines,
// "key=value" lines).
//
// Files are UTF-8 taken as plain bytes. Section and key names match without
// regard to ASCII letter case; blanks (space, tab) around names and values are
// not part of them. Lines starting with ";" or "#" are comments. Any line the
// reader cannot make sense of is skipped, and a write leaves every line it does
// not change exactly as it was, line ends included.
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Files larger than this are read only up to here, and never rewritten.
inline constexpr size_t kProfileSizeLimit = 4 * 1024 * 1024;

// Looks up `key` in `section` of the file at `path` and stores its value, or
// `fallback` when the file, section or key is missing, in `out`, cut to
// `capacity` - 1 characters. Returns the number of characters stored. A
// character is one UTF-8 sequence; a cut never splits one.
size_t GetPrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& fallback, std::string& out, size_t capacity,
                               const std::string& path);

// Sets `key` in `section` to `value`, creating the file and the section when
// they are missing. The old file is replaced in one step (temporary file in the
// same directory, flushed to disk, renamed over it, permissions kept), so it is
// never left half written; only where the directory refuses new files is an
// existing file rewritten in place instead. Writers of the same file take
// turns (an exclusive lock on its folder); a write that cannot get the lock
// within a few seconds writes nothing. Returns non-zero on success, 0 when nothing was
// written: the path is not a regular file, is read-only, is too large, the
// directory refuses, the file could not be flushed to disk, the lock was not
// had, or a name or value holds a line break or NUL (or would
// not read back as given). Root reads and writes the file only in a folder no
// one else can change (platform/trusted_folder.h); elsewhere it reads as
// missing and is never written. What root writes is never given to another
// owner, nor made writable by group or others.
int WritePrivateProfileString(const std::string& section, const std::string& key,
                              const std::string& value, const std::string& path);

// Number of characters of UTF-8 text; a stray byte counts as one.
size_t Utf8CharCount(std::string_view text);

// For tests: called after the temporary file is written and flushed, before
// the rename. Returning false abandons the write as a failure would; exiting
// the process inside it leaves things as a crash at that point would.
using ProfileRenameHook = bool (*)(const std::string& tempPath);
void SetProfileRenameHookForTesting(ProfileRenameHook hook);

// For tests: called once the file is read, before anything is written.
using ProfileReadHook = void (*)(const std::string& path);
void SetProfileReadHookForTesting(ProfileReadHook hook);

// For tests: stands in for fsync on the settings file; nullptr restores it.
using ProfileSyncCall = int (*)(int fd);
void SetProfileSyncForTesting(ProfileSyncCall sync);

}  // namespace corvane
