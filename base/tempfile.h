// Unique temporary files in the user's temporary directory.
#pragma once

#include <string>

namespace qrp {

// The user's temporary directory: $TMPDIR when set and usable, else /tmp.
std::string TempDirectory();

// Creates a new, empty, uniquely named file in directory whose name begins with prefix and
// returns its full path. Raises EFCreateError when no file can be made.
std::string CreateUniqueFile(const std::string& directory, const std::string& prefix);

// Like CreateUniqueFile, but returns an empty path and sets error (an errno value) when no
// file can be made.
std::string TryCreateUniqueFile(const std::string& directory, const std::string& prefix, int& error);

// Same device and inode: the two paths name one file (false when either is missing).
bool SameFile(const std::string& a, const std::string& b);
// Like CreateUniqueFile, but returns an empty path and sets error (an errno value) when no
// file can be made.
std::string TryCreateUniqueFile(const std::string& directory, const std::string& prefix, int& error);

// Same device and inode as an open descriptor.
bool SameFile(const std::string& path, int openHandle);

}  // namespace qrp
