#include "platform/processes.h"

#include <windows.h>

namespace quarnby::platform {

long long thisProcess() { return ::GetCurrentProcessId(); }

bool processRunning(long long process) {
  if (process <= 0 || process > 0xFFFFFFFFll) return false;
  const HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
  if (!h) return ::GetLastError() == ERROR_ACCESS_DENIED;  // another user's
  DWORD code = 0;
  const bool running = ::GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  ::CloseHandle(h);
  return running;
}

// The creation time, in 100 ns units since 1601.
long long processStart(long long process) {
  if (process <= 0 || process > 0xFFFFFFFFll) return 0;
  const HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
  if (!h) return 0;
  FILETIME created{}, exited{}, kernel{}, user{};
  long long start = 0;
  if (::GetProcessTimes(h, &created, &exited, &kernel, &user))
    start =
        static_cast<long long>((static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
  ::CloseHandle(h);
  return start;
}

}  // namespace quarnby::platform
