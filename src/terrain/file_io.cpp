#include "terrain/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/read_file.h"

namespace quarnby {
namespace {

constexpr std::size_t kWriteChunk = 1 << 16;

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string systemErrorText(int error) { return std::strerror(error); }

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& file, std::size_t limit,
                                                       std::string& error, bool* missing) {
  using Refusal = platform::FileRead::Refusal;
  platform::FileRead read = platform::readRegularFile(file, limit);
  if (missing) *missing = read.refusal == Refusal::Missing;
  switch (read.refusal) {
    case Refusal::None: return std::move(read.bytes);
    case Refusal::NotRegular: error = "not a regular file"; break;
    case Refusal::TooLarge: error = "larger than " + std::to_string(limit / readLimit::kMiB) + " MiB"; break;
    case Refusal::Missing:
    case Refusal::System: error = read.systemText; break;
  }
  return std::nullopt;
}

SafeFile::SafeFile(std::filesystem::path target, std::filesystem::path temp, int fd)
    : target_(std::move(target)), temp_(std::move(temp)), fd_(fd) {
  buffer_.reserve(kWriteChunk);
}

SafeFile::SafeFile(SafeFile&& other) noexcept
    : target_(std::move(other.target_)),
      temp_(std::move(other.temp_)),
      fd_(other.fd_),
      error_(other.error_),
      buffer_(std::move(other.buffer_)) {
  other.fd_ = -1;
  other.temp_.clear();
}

SafeFile::~SafeFile() { abandon(); }

std::optional<SafeFile> SafeFile::create(const std::filesystem::path& target, std::string& error) {
  struct stat st {};
  mode_t mode = newFileMode();
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      error = systemErrorText(EISDIR);
      return std::nullopt;
    }
    if (::access(target.c_str(), W_OK) != 0) {
      error = systemErrorText(errno);
      return std::nullopt;
    }
    mode = st.st_mode & 07777;
  }
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    error = systemErrorText(errno);
    return std::nullopt;
  }
  ::fchmod(fd, mode);
  return SafeFile(target, pattern, fd);
}

void SafeFile::flushBuffer() {
  std::size_t done = 0;
  while (error_ == 0 && done < buffer_.size()) {
    const ssize_t put = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
    } else if (put == 0) {
      error_ = ENOSPC;
    } else {
      done += static_cast<std::size_t>(put);
    }
  }
  buffer_.clear();
}

void SafeFile::write(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0 || error_ != 0) return;
  while (!bytes.empty()) {
    const std::size_t room = kWriteChunk - buffer_.size();
    const std::size_t take = std::min(room, bytes.size());
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (buffer_.size() == kWriteChunk) flushBuffer();
  }
}

void SafeFile::write(std::string_view text) {
  write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<std::string> SafeFile::flush() {
  if (fd_ < 0) return systemErrorText(EBADF);
  flushBuffer();
  if (error_ != 0) return systemErrorText(error_);
  return std::nullopt;
}

std::optional<std::string> SafeFile::commit() {
  if (fd_ < 0) return systemErrorText(EBADF);
  flushBuffer();
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  if (error_ == 0 && std::rename(temp_.c_str(), target_.c_str()) != 0) error_ = errno;
  if (error_ != 0) {
    const int error = error_;
    abandon();
    return systemErrorText(error);
  }
  temp_.clear();
  return std::nullopt;
}

void SafeFile::abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

std::optional<std::string> replaceFile(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
  std::string error;
  auto file = SafeFile::create(target, error);
  if (!file) return error;
  file->write(bytes);
  return file->commit();
}

std::optional<std::string> replaceFile(const std::filesystem::path& target, std::string_view text) {
  return replaceFile(target, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<ReplaceFailure> replaceFiles(std::span<const Replacement> files) {
  std::vector<SafeFile> written;  // abandoned on the way out unless committed
  written.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string error;
    auto file = SafeFile::create(files[i].target, error);
    if (!file) return ReplaceFailure{i, error};
    file->write(files[i].bytes);
    if (auto failed = file->flush()) return ReplaceFailure{i, *failed};
    written.push_back(std::move(*file));
  }
  for (std::size_t i = 0; i < written.size(); ++i)
    if (auto failed = written[i].commit()) return ReplaceFailure{i, *failed};
  return std::nullopt;
}

}  // namespace quarnby
