#pragma once
#include <string>

namespace quarnby::testing {

// The system's own description of an error the program passes on, as this platform words
// it: strerror's on POSIX ("No such file or directory"), FormatMessage's on Windows for
// the same fault (a missing file, a folder where a file belongs, a denied access).
std::string systemText(int errnoValue);
// A file in a folder that does not exist: POSIX says ENOENT as for a missing file,
// Windows has a text of its own for the path.
std::string missingFolderText();

}  // namespace quarnby::testing
