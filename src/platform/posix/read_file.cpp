#include "platform/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quarnby::platform {
namespace {

FileRead refused(FileRead::Refusal refusal, int error = 0) {
  FileRead read;
  read.refusal = refusal;
  if (error != 0) read.systemText = std::strerror(error);
  return read;
}

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

FileRead readRegularFile(const std::filesystem::path& file, std::size_t limit) {
  Descriptor d{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
  if (d.fd < 0) return refused(errno == ENOENT ? FileRead::Refusal::Missing : FileRead::Refusal::System, errno);
  struct stat st {};
  if (::fstat(d.fd, &st) != 0) return refused(FileRead::Refusal::System, errno);
  if (S_ISDIR(st.st_mode)) return refused(FileRead::Refusal::System, EISDIR);
  if (!S_ISREG(st.st_mode)) return refused(FileRead::Refusal::NotRegular);
  if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > limit) return refused(FileRead::Refusal::TooLarge);

  FileRead read;
  // One byte more than the file holds, so that growth past the limit is seen.
  read.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t done = 0;
  for (;;) {
    if (done == read.bytes.size()) {
      if (done > limit) return refused(FileRead::Refusal::TooLarge);
      read.bytes.resize(std::min(limit + 1, 2 * done));
    }
    const ssize_t got = ::read(d.fd, read.bytes.data() + done, read.bytes.size() - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      return refused(FileRead::Refusal::System, errno);
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (done > limit) return refused(FileRead::Refusal::TooLarge);
  read.bytes.resize(done);
  return read;
}

}  // namespace quarnby::platform
