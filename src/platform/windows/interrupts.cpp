#include "platform/interrupts.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/windows/system_text.h"

namespace quarnby::platform {
namespace {

// The console's handler runs on a thread of its own while the program goes on, so it may
// take locks: the held temporary files are a plain list behind a mutex, and the handler
// waits for renames in progress behind a critical section (which the thread holding it
// may enter again, as nested holders do).
std::mutex tempsGuard;
std::vector<std::filesystem::path>& heldTemps() {
  static std::vector<std::filesystem::path> temps;
  return temps;
}

struct Gate {
  CRITICAL_SECTION section;
  Gate() { ::InitializeCriticalSection(&section); }
};
CRITICAL_SECTION& stopGate() {
  static Gate gate;
  return gate.section;
}

BOOL WINAPI removeTempsAndStop(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: break;
    default: return FALSE;
  }
  ::EnterCriticalSection(&stopGate());
  {
    // A file still open is removed when its last handle closes, as the process ends.
    std::lock_guard guard(tempsGuard);
    for (const auto& temp : heldTemps()) ::DeleteFileW(temp.c_str());
  }
  // The program ends as Ctrl-C would have ended it; the gate stays held meanwhile.
  ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace

void holdTemp(const std::filesystem::path& temp) {
  std::lock_guard guard(tempsGuard);
  if (heldTemps().size() < 64) heldTemps().push_back(temp);
}

void releaseTemp(const std::filesystem::path& temp) {
  std::lock_guard guard(tempsGuard);
  auto& temps = heldTemps();
  if (auto it = std::find(temps.begin(), temps.end(), temp); it != temps.end()) temps.erase(it);
}

// Windows has no file-size signal: a write past a quota or a full disk fails by itself.
void removeTempsOnInterrupt() { ::SetConsoleCtrlHandler(removeTempsAndStop, TRUE); }

StopSignalsHeld::StopSignalsHeld() { ::EnterCriticalSection(&stopGate()); }

StopSignalsHeld::~StopSignalsHeld() { ::LeaveCriticalSection(&stopGate()); }

}  // namespace quarnby::platform
