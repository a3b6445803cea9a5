#include "platform/file_access.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quarnby::platform {

std::optional<std::string> readWriteRefusal(const std::filesystem::path& file) {
  if (::access(file.c_str(), R_OK | W_OK) != 0) return std::string(std::strerror(errno));
  return std::nullopt;
}

}  // namespace quarnby::platform
