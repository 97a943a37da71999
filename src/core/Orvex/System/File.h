#pragma once

#include <string>
#include <string_view>

namespace Orvex {

// The whole content of a regular file. A directory, a pipe or a device is refused, so that a
// path pointing at /dev/zero cannot read without end. Throws Orvex::Exception("File.read:...").
std::string readRegularFile(const std::string &path);

// Writes all of the bytes to a file descriptor, going on after interruptions; false on any error.
bool writeAll(int fd, std::string_view bytes);

// Puts the bytes in place of the file so that, whatever fails, the file holds either its old
// content or the new one: a temporary file beside it, flushed, renamed over it, the folder
// flushed. The old file's owner and mode are kept; a symbolic link keeps pointing at the file it
// names. False, with the file as it was, when it is read-only or anything fails.
bool replaceFile(std::string path, std::string_view bytes);

} // namespace Orvex
