#include "terrain/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/interrupts.h"
#include "platform/processes.h"
#include "platform/read_file.h"
#include "platform/replace_file.h"

namespace quarnby {
namespace {

constexpr std::size_t kWriteChunk = 1 << 16;

}  // namespace

std::string systemErrorText(int error) { return std::strerror(error); }

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& file, std::size_t limit,
                                                       std::string& error, bool* missing) {
  using Refusal = platform::FileRead::Refusal;
  platform::FileRead read = platform::readRegularFile(file, limit);
  if (missing) *missing = read.refusal == Refusal::Missing;
  switch (read.refusal) {
    case Refusal::None: return std::move(read.bytes);
    case Refusal::NotRegular: error = platform::kNotRegularFile; break;
    case Refusal::TooLarge: error = "larger than " + std::to_string(limit / readLimit::kMiB) + " MiB"; break;
    case Refusal::Missing:
    case Refusal::System: error = read.systemText; break;
  }
  return std::nullopt;
}

SafeFile::SafeFile(std::filesystem::path target, std::filesystem::path temp, int fd)
    : target_(std::move(target)), temp_(std::move(temp)), fd_(fd) {
  buffer_.reserve(kWriteChunk);
  platform::holdTemp(temp_);
}

SafeFile::SafeFile(SafeFile&& other) noexcept
    : target_(std::move(other.target_)),
      temp_(std::move(other.temp_)),
      fd_(other.fd_),
      error_(std::move(other.error_)),
      buffer_(std::move(other.buffer_)) {
  other.fd_ = -1;
  other.temp_.clear();
}

SafeFile::~SafeFile() { abandon(); }

std::optional<SafeFile> SafeFile::create(const std::filesystem::path& target, std::string& error) {
  // A link stays a link: the file it names is the one replaced, beside itself.
  const std::filesystem::path file = platform::fileBehind(target);
  if (auto refusal = platform::replaceRefusal(file)) {
    error = *refusal;
    return std::nullopt;
  }
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  const bool exists = std::filesystem::exists(file, ec);
  auto temp = platform::createTemp(folder, exists ? file : std::filesystem::path(), error);
  if (!temp) return std::nullopt;
  return SafeFile(file, temp->path, temp->handle);
}

void SafeFile::flushBuffer() {
  if (!error_ && !buffer_.empty()) error_ = platform::writeAll(fd_, buffer_);
  buffer_.clear();
}

void SafeFile::write(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0 || error_) return;
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
  return error_;
}

std::optional<std::string> SafeFile::finish() {
  if (fd_ < 0) return error_ ? error_ : systemErrorText(EBADF);
  flushBuffer();
  auto closed = platform::syncAndClose(fd_);
  fd_ = -1;
  if (!error_) error_ = closed;
  return error_;
}

std::optional<std::string> SafeFile::putInPlace() {
  if (auto failed = platform::renameOver(temp_, target_)) {
    abandon();
    return failed;
  }
  platform::releaseTemp(temp_);
  temp_.clear();
  return std::nullopt;
}

std::optional<std::string> SafeFile::commit() {
  if (auto failed = finish()) {
    abandon();
    return failed;
  }
  platform::StopSignalsHeld held;
  return putInPlace();
}

void SafeFile::abandon() {
  platform::closeHandle(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    platform::removeFile(temp_);
    platform::releaseTemp(temp_);
  }
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
  return replaceFile(target,
                     std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<ReplaceFailure> replaceFiles(std::span<const Replacement> files,
                                           const std::function<void(std::size_t)>& beforeRename) {
  // Every new file written out and on the disk, every target checked (by create); a file
  // to be removed is only kept aside below.
  std::vector<std::optional<SafeFile>> written(files.size());  // abandoned on the way out unless put in place
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].remove) continue;
    std::string error;
    auto file = SafeFile::create(files[i].target, error);
    if (!file) return ReplaceFailure{i, error};
    file->write(files[i].bytes);
    if (auto failed = file->finish()) return ReplaceFailure{i, *failed};
    written[i].emplace(std::move(*file));
  }
  const auto target = [&](std::size_t i) -> const std::filesystem::path& {
    return files[i].remove ? files[i].target : written[i]->target_;
  };

  // The old files stay under a second name until the last rename succeeded, so that a
  // rename the checks could not foresee puts the earlier ones back.
  platform::StopSignalsHeld held;
  std::vector<std::optional<std::filesystem::path>> kept(files.size());
  const auto dropKept = [&] {
    for (auto& k : kept)
      if (k) platform::removeFile(*k);
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::error_code ec;
    if (!std::filesystem::exists(target(i), ec)) continue;
    std::string error;
    kept[i] = platform::keepAside(target(i), error);
    if (!kept[i]) {
      dropKept();
      return ReplaceFailure{i, error};
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (beforeRename) beforeRename(i);
    std::optional<std::string> failed;
    if (!files[i].remove) {
      failed = written[i]->putInPlace();
    } else if (kept[i]) {
      std::error_code ec;
      if (!std::filesystem::remove(target(i), ec) && ec) failed = ec.message();
    }
    if (failed) {
      for (std::size_t j = 0; j < i; ++j) {
        if (!kept[j]) {
          if (!files[j].remove) platform::removeFile(target(j));  // it was new
        } else if (!platform::renameOver(*kept[j], target(j))) {
          kept[j].reset();
        }
      }
      dropKept();
      return ReplaceFailure{i, *failed};
    }
  }
  dropKept();
  return std::nullopt;
}

void removeLeftoverTemps(const std::filesystem::path& folder) {
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(platform::kTempPrefix)) continue;
    // ".quarnby-<process>-<start>-XXXXXX"; a name without the start is told by its number.
    const char* digits = name.c_str() + platform::kTempPrefix.size();
    char* end = nullptr;
    const long long process = std::strtoll(digits, &end, 10);
    if (end == digits || *end != '-') continue;
    char* startEnd = nullptr;
    long long start = std::strtoll(end + 1, &startEnd, 10);
    if (startEnd == end + 1 || *startEnd != '-') start = 0;
    if (platform::processAlive(process, start)) continue;
    std::error_code removed;
    if (it->is_regular_file(removed)) std::filesystem::remove(it->path(), removed);
  }
}

}  // namespace quarnby
