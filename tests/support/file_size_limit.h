#pragma once
// Windows has no file-size limit to set: the tests that use one skip there.
#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>

namespace quarnby::testing {

// While alive, the system refuses to let this process write files beyond `bytes`, the
// way a full disk cuts a write short ("File too large" instead of a signal).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit saved_ {};
  void (*previous_)(int) = nullptr;
};

}  // namespace quarnby::testing
#endif
