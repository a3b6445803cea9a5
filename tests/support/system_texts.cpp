#include "support/system_texts.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include "platform/windows/system_text.h"
#endif

namespace quarnby::testing {

std::string systemText(int errnoValue) {
#ifdef _WIN32
  switch (errnoValue) {
    case ENOENT: return platform::systemText(ERROR_FILE_NOT_FOUND);
    case EISDIR: return platform::systemText(ERROR_DIRECTORY);
    case EACCES: return platform::systemText(ERROR_ACCESS_DENIED);
    default: break;
  }
#endif
  return std::strerror(errnoValue);
}

std::string missingFolderText() {
#ifdef _WIN32
  return platform::systemText(ERROR_PATH_NOT_FOUND);
#else
  return std::strerror(ENOENT);
#endif
}

}  // namespace quarnby::testing
