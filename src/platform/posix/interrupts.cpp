#include "platform/interrupts.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace quarnby::platform {
namespace {

// A fixed table the signal handler can walk without taking locks or memory: a slot's
// path is written before the slot is marked in use.
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX];
};
Slot slots[64];

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTempsAndStop(int signal) {
  for (Slot& slot : slots)
    if (slot.used.load()) ::unlink(slot.path);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kStopSignals) sigaddset(&set, s);
  return set;
}

thread_local int holders = 0;
thread_local sigset_t before;

}  // namespace

void holdTemp(const std::filesystem::path& temp) {
  const std::string& name = temp.native();
  if (name.size() >= PATH_MAX) return;
  for (Slot& slot : slots) {
    if (slot.used.load()) continue;
    std::memcpy(slot.path, name.c_str(), name.size() + 1);
    slot.used.store(true);
    return;
  }
}

void releaseTemp(const std::filesystem::path& temp) {
  for (Slot& slot : slots)
    if (slot.used.load() && temp.native() == slot.path) {
      slot.used.store(false);
      return;
    }
}

void removeTempsOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = removeTempsAndStop;
  action.sa_mask = stopSignals();  // one clean-up at a time
  for (int s : kStopSignals) {
    struct sigaction previous {};
    // A signal ignored by whoever started the program (nohup) stays ignored.
    if (::sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    ::sigaction(s, &action, nullptr);
  }
  ::signal(SIGXFSZ, SIG_IGN);
}

StopSignalsHeld::StopSignalsHeld() {
  if (holders++ > 0) return;
  const sigset_t set = stopSignals();
  ::sigprocmask(SIG_BLOCK, &set, &before);
}

StopSignalsHeld::~StopSignalsHeld() {
  if (--holders > 0) return;
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace quarnby::platform
