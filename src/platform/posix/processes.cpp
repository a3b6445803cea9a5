#include "platform/processes.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace quarnby::platform {

long long thisProcess() { return ::getpid(); }

bool processRunning(long long process) {
  if (process <= 0 || process != static_cast<pid_t>(process)) return false;
  // EPERM: it runs, under another user.
  return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
}

// The start time in clock ticks since boot, the 22nd field of /proc/<pid>/stat (Linux);
// the second field, the command, may hold spaces and parentheses, so fields are counted
// from its closing one.
long long processStart(long long process) {
  if (process <= 0) return 0;
  std::ifstream in("/proc/" + std::to_string(process) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return 0;
  const auto close = line.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i)
    if (i == 22) return std::atoll(field.c_str());
  return 0;
}

}  // namespace quarnby::platform
