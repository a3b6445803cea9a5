// Runs that are stopped, killed or cut short leave nothing behind, and two runs never
// work in one folder at once.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <fstream>
#include <thread>

#include "app/commands.h"
#include "platform/folder_lock.h"
#include "platform/interrupts.h"
#include "platform/processes.h"
#include "support/terrain_fixture.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

struct InterruptedRuns : testing::TerrainFixture {
  InterruptedRuns() { writeElevation(ElevationGrid()); }

  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }

#ifndef _WIN32
  // Runs `child` in a process of its own; how that process ended (its wait status).
  static int inChild(const std::function<void()>& child) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      child();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }
#endif
};

TEST_F(InterruptedRuns, StopSignalsRemoveTheTemporaryFilesAndStopTheProgram) {
#ifdef _WIN32
  GTEST_SKIP() << "no POSIX stop signals or fork on Windows; Ctrl-C is a console event";
#else
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const int status = inChild([&] {
      platform::removeTempsOnInterrupt();
      std::string error;
      auto elevation = SafeFile::create(terrainFile(folder, suffix::kElevation), error);
      auto types = SafeFile::create(terrainFile(folder, suffix::kType), error);
      elevation->write(std::string(100000, 'x'));
      ::raise(signal);
      ::_exit(7);  // not reached
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
    EXPECT_EQ(names(), std::vector<std::string>{"Europe.elv"}) << signal;
  }
#endif
}

TEST_F(InterruptedRuns, AFileSizeLimitIsAWriteFailureOfTheBatchProgram) {
#ifdef _WIN32
  GTEST_SKIP() << "no file-size limit (rlimit) on Windows";
#else
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 2);
    ::close(out[0]);
    const rlimit limit = {100000, 100000};
    ::setrlimit(RLIMIT_FSIZE, &limit);  // the type grid is 262,144 bytes
    const std::string config = (tmp.path() / "quarnby.cfg").string();
    ::execl(QUARNBY_BATCH_PROGRAM, "quarnby-batch", "--config", config.c_str(), folder.c_str(), "set-type", nullptr);
    ::_exit(127);
  }
  ::close(out[1]);
  std::string printed;
  char buffer[512];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) printed.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(printed.find("Can't write the Type File:\n" + systemErrorText(EFBIG)), std::string::npos) << printed;
  EXPECT_EQ(names(), std::vector<std::string>{"Europe.elv"});
#endif
}

TEST_F(InterruptedRuns, TheNextOperationRemovesWhatKilledRunsLeft) {
#ifdef _WIN32
  GTEST_SKIP() << "needs fork for a process number that has ended";
#else
  const int gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string killed = ".quarnby-" + std::to_string(gone) + "-a1b2c3";
  const std::string running = ".quarnby-" + std::to_string(::getppid()) + "-d4e5f6";
  const std::string mine = ".quarnby-" + std::to_string(::getpid()) + "-g7h8i9";
  // A number that a later process got (a container's first process): its start differs.
  const std::string parent = std::to_string(::getppid());
  const std::string reused = ".quarnby-" + parent + "-1-j1k2l3";
  const std::string runningSince =
      ".quarnby-" + parent + '-' + std::to_string(platform::processStart(::getppid())) + "-m4n5o6";
  for (const auto& name :
       {killed, running, mine, reused, runningSince, std::string(".quarnby-notanumber"), std::string("Europe.ter")})
    testing::writeText(folder / name, "left");
  EXPECT_EQ(runCommand(*findCommand("set-type"), h.cx), Outcome::Completed);
  // The names are listed in order, and the order of the two pids is not known beforehand.
  std::vector<std::string> kept{running,      mine,         runningSince, ".quarnby-notanumber",
                                "Europe.elv", "Europe.ter", "Europe.typ"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names(), kept);
#endif
}

TEST_F(InterruptedRuns, ASecondRunWaitsForTheFolderThenSaysItIsBusy) {
  std::optional<platform::FolderLock> other;
  ASSERT_EQ(platform::FolderLock::take(folder, std::chrono::milliseconds(0), other),
            platform::FolderLock::Result::Taken);
  EXPECT_EQ(runCommand(*findCommand("set-type"), h.cx), Outcome::EndedEarly);
  EXPECT_EQ(h.host.onlyMessage(), "The terrain folder is in use by another run of Quarnby:\r\n" + folder.string() +
                                      "\r\nTry again when that run has ended.");
  EXPECT_EQ(names(), std::vector<std::string>{"Europe.elv"});  // the lock is no file either

  // A run that ends within the patience lets the second one go on.
  h.host = {};
  std::thread ending([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    other.reset();
  });
  EXPECT_EQ(runCommand(*findCommand("set-type"), h.cx), Outcome::Completed);
  ending.join();
  EXPECT_EQ(names(), (std::vector<std::string>{"Europe.elv", "Europe.typ"}));
}

// A process of another user is running all the same: kill() answers it with EPERM.
TEST_F(InterruptedRuns, AnotherUsersRunningProcessIsRunning) {
#ifdef _WIN32
  GTEST_SKIP() << "needs fork and another user";
#else
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  const long long root = ::getpid();
  const int status = inChild([&] {
    if (::setuid(65534) != 0) ::_exit(2);
    ::_exit(platform::processRunning(root) && platform::processAlive(root, platform::processStart(root)) ? 0 : 1);
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

}  // namespace
}  // namespace quarnby
