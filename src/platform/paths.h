#pragma once
// Paths are byte strings exactly as the file system holds them. These helpers
// give a display form and map a display form coming back from a dialog to the
// bytes of the entry it shows.
#include <optional>
#include <string>

namespace corvane {

// UTF-8 text for showing a path; every byte that is not part of a valid UTF-8
// sequence becomes U+FFFD, as the toolkit's own decoding does.
std::string DisplayForm(const std::string& bytes);

// A path returned by a dialog (in display form) mapped back to the bytes of the
// existing entry it names. Components that exist as given are kept; a component
// that does not is replaced by the one entry of its directory with the same
// display form. Returns the input unchanged when nothing better is found.
std::string ResolveDisplayPath(const std::string& display);

// The path a "file:" URI names on this computer, its percent-escapes decoded
// byte for byte; nothing for another scheme, another host or a malformed one.
std::optional<std::string> LocalPathOfUri(const std::string& uri);

// The running executable, as the system reports it; empty when it cannot tell.
std::string ExecutablePath();
// The directory that holds it; "." when unknown.
std::string ExecutableDirectory();

// The current directory, as bytes; empty when it cannot be read.
std::string CurrentDirectory();

}  // namespace corvane
