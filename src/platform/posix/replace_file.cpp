#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/processes.h"
#include "platform/read_file.h"

namespace quarnby::platform {
namespace {

std::string text(int error) { return std::strerror(error); }

std::filesystem::path folderOf(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Puts a rename on the disk as far as the folder lets itself be synced; the rename has
// happened either way.
void syncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> replaceRefusal(const std::filesystem::path& file) {
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0) return std::nullopt;  // a new file
  if (S_ISDIR(st.st_mode)) return text(EISDIR);
  // Never a device or a pipe, least of all through a link: only a file is replaced.
  if (!S_ISREG(st.st_mode)) return std::string(kNotRegularFile);
  if (::access(file.c_str(), W_OK) != 0) return text(errno);
  // In a sticky folder only the owner of a file, the owner of the folder or root may
  // rename over it.
  struct stat folder {};
  const uid_t me = ::geteuid();
  if (me != 0 && ::stat(folderOf(file).c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) && st.st_uid != me &&
      folder.st_uid != me)
    return text(EPERM);
  return std::nullopt;
}

std::optional<TempFile> createTemp(const std::filesystem::path& folder, const std::filesystem::path& like,
                                   std::string& error) {
  std::string pattern = (folder / (std::string(kTempPrefix) + std::to_string(thisProcess()) + '-' +
                                   std::to_string(thisProcessStart()) + "-XXXXXX"))
                            .string();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error = text(errno);
    return std::nullopt;
  }
  struct stat st {};
  if (!like.empty() && ::stat(like.c_str(), &st) == 0) {
    // The owner first: changing it may clear the mode's set-id bits. A user may give a
    // file only to themselves but to any group they belong to; what is refused is let go.
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
      if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    ::fchmod(fd, newFileMode());
  }
  return TempFile{pattern, fd};
}

std::optional<std::string> writeAll(int handle, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(handle, bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return text(errno);
    }
    if (put == 0) return text(ENOSPC);
    done += static_cast<std::size_t>(put);
  }
  return std::nullopt;
}

std::optional<std::string> syncAndClose(int handle) {
  int error = 0;
  if (::fsync(handle) == 0) countSync();
  else if (errno != EINVAL) error = errno;
  if (::close(handle) != 0 && error == 0 && errno != EINTR) error = errno;
  if (error != 0) return text(error);
  return std::nullopt;
}

void closeHandle(int handle) {
  if (handle >= 0) ::close(handle);
}

std::optional<std::string> renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return text(errno);
  syncFolder(folderOf(to));
  return std::nullopt;
}

void removeFile(const std::filesystem::path& file) { ::unlink(file.c_str()); }

std::optional<std::filesystem::path> keepAside(const std::filesystem::path& file, std::string& error) {
  auto aside = createTemp(folderOf(file), file, error);
  if (!aside) return std::nullopt;
  ::close(aside->handle);
  // A hard link keeps the very file (its owner, its inode) at no cost.
  ::unlink(aside->path.c_str());
  if (::link(file.c_str(), aside->path.c_str()) == 0) return aside->path;
  // Where links are refused, a copy with the file's mode.
  const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) {
    error = text(errno);
    return std::nullopt;
  }
  auto copy = createTemp(folderOf(file), file, error);
  if (!copy) {
    ::close(in);
    return std::nullopt;
  }
  std::uint8_t chunk[1 << 16];
  std::optional<std::string> failed;
  for (;;) {
    const ssize_t got = ::read(in, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failed = text(errno);
    if (got <= 0) break;
    if ((failed = writeAll(copy->handle, std::span<const std::uint8_t>(chunk, static_cast<std::size_t>(got))))) break;
  }
  ::close(in);
  if (!failed) failed = syncAndClose(copy->handle);
  else ::close(copy->handle);
  if (failed) {
    ::unlink(copy->path.c_str());
    error = *failed;
    return std::nullopt;
  }
  return copy->path;
}

}  // namespace quarnby::platform
