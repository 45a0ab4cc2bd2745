#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvato {

// One file at a time, as the system has it: paths are the bytes the system
// names files by. Nothing here throws.

// A file that could not be written, and why (the system's reason).
struct FileFailure {
  std::string path;
  std::string reason;
};

// The failure of `path` with the reason of the current errno.
FileFailure failureFromErrno(const std::string& path);

// Writes every byte to `fd`, going on after interrupted writes; false (errno
// set) on the first error.
bool writeAll(int fd, std::string_view bytes);

// The folder part of a path ("." for a bare name).
std::string folderOfPath(const std::string& path);

// True when both paths name one file (the same device and inode, links
// followed); false when either is not there.
bool sameFile(const std::string& a, const std::string& b);

// True when the file can be opened for reading, or when opening it fails only
// because access is denied; false for every other outcome.
bool fileExists(const std::string& path);

// Removes a plain file (or a link to one); never a folder or a special file.
bool deleteFile(const std::string& path);

// What a path given as source names.
enum class SourceFileKind { missing, text, notText };
// A plain file (or a pipe) is text; a folder, a device or a socket is not.
SourceFileKind sourceFileKind(const std::string& path);

// Every byte of a plain file or a pipe; nothing when it cannot be read or is a
// folder or a device (which would be read for ever).
std::optional<std::string> readTextFileBytes(const std::string& path);

}  // namespace zelvato
