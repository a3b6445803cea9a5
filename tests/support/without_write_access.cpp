#include "support/without_write_access.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#endif

#include <stdexcept>

namespace quarnby::testing {
#ifdef _WIN32
// Windows has no read-only folders nor a user to switch to; the tests that need them skip.
std::string withoutWriteAccess(const std::filesystem::path&, const std::function<std::string()>&) {
  throw std::runtime_error("no folder without write access on Windows");
}
std::string asNobody(const std::function<std::string()>&) { throw std::runtime_error("no user switch on Windows"); }
#else
namespace {

void chmodTree(const std::filesystem::path& folder, mode_t folderMode, mode_t fileMode) {
  ::chmod(folder.c_str(), folderMode);
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    ::chmod(entry.path().c_str(), entry.is_directory() ? folderMode : fileMode);
}

}  // namespace

std::string withoutWriteAccess(const std::filesystem::path& folder, const std::function<std::string()>& work) {
  if (::geteuid() != 0) {
    chmodTree(folder, 0555, 0444);
    std::string result = work();
    chmodTree(folder, 0755, 0644);
    return result;
  }
  // Others may enter every folder on the way and read the terrain's files.
  for (auto p = folder.parent_path(); !p.empty() && p != p.root_path(); p = p.parent_path()) {
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0 && (st.st_mode & 0005) != 0005) ::chmod(p.c_str(), st.st_mode | 0005);
  }
  chmodTree(folder, 0755, 0644);
  return asNobody(work);
}

std::string asNobody(const std::function<std::string()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("pipe");
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
    const std::string result = work();
    std::size_t done = 0;
    while (done < result.size()) {
      const ssize_t n = ::write(fds[1], result.data() + done, result.size() - done);
      if (n <= 0) ::_exit(4);
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string result;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) result.append(buffer, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("the unprivileged run failed");
  return result;
}

#endif
}  // namespace quarnby::testing
