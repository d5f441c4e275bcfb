#pragma once
// Whole-file replacement that never leaves a half-written file: the content goes to a temporary file
// in the same folder, is flushed to the disk, and then takes the old file's place in one rename. A
// crash or a full disk leaves either the old file or the new one, never a mixture.

#include <string>
#include <string_view>

namespace platform {

// Replaces (or creates) the file at path with content. An existing file keeps its permissions; a new
// one gets the usual 0666 less the umask, which is read, never changed, so that files other threads
// create meanwhile keep theirs. A symbolic link to a file is followed. False when anything failed; the
// previous file is then unchanged and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, std::string_view content);

} // namespace platform
