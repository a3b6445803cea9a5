#include "platform/processes.h"

// What every system shares of telling runs apart.
namespace quarnby::platform {

long long thisProcessStart() {
  static const long long start = processStart(thisProcess());
  return start;
}

bool processAlive(long long process, long long start) {
  if (!processRunning(process)) return false;
  if (start == 0) return true;
  const long long now = processStart(process);
  return now == 0 || now == start;
}

}  // namespace quarnby::platform
