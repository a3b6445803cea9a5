#include "platform/processes.h"

// What every system shares of telling runs apart.
namespace quarnby::platform {

// Asked every time: a forked child is a process of its own with a start of its own.
long long thisProcessStart() { return processStart(thisProcess()); }

bool processAlive(long long process, long long start) {
  if (!processRunning(process)) return false;
  if (start == 0) return true;
  const long long now = processStart(process);
  return now == 0 || now == start;
}

}  // namespace quarnby::platform
