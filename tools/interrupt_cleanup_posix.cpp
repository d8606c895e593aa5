// The POSIX interrupt handler: it may call only async-signal-safe
// functions, so the temporaries sit in a fixed table of lock-free slots
// that it reads and unlinks without allocating.
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "interrupt_cleanup.h"

namespace kuv::tool {

namespace {

enum SlotState : int { kFree = 0, kFilling = 1, kLive = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char path[4096];
};

// One slot per output written at once: --jobs stays far below this.
constexpr int kSlots = 256;
Slot slots[kSlots];

// Threads that are creating a temporary not yet in the table. Each blocks
// the signals meanwhile; a handler run by another thread waits for them.
std::atomic<int> creating{0};

// The signal mask of a thread that holds interrupts, restored after.
thread_local sigset_t savedMask;
thread_local int heldDepth = 0;

std::atomic<bool> barOnLine{false};

static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free slots");
static_assert(std::atomic<bool>::is_always_lock_free, "the handler needs a lock-free flag");

extern "C" void RemoveTemporariesAndExit(int signal) {
  const struct timespec pause = {0, 1000000};
  for (int waited = 0; creating.load() > 0 && waited < 2000; ++waited) ::nanosleep(&pause, nullptr);
  for (Slot& slot : slots) {
    if (slot.state.load() == kLive) ::unlink(slot.path);
  }
  if (barOnLine.load()) {
    static constexpr char kClearLine[] = "\r\033[K";
    (void)!::write(STDERR_FILENO, kClearLine, sizeof kClearLine - 1);
  }
  ::_exit(128 + signal);
}

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = RemoveTemporariesAndExit;
  sigfillset(&action.sa_mask);  // one handler run at a time
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction previous;
    // A signal ignored when we started (a background job's SIGINT) stays
    // ignored, as the shell asked.
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

void NoteBarOnLine(bool drawn) { barOnLine.store(drawn); }

InterruptsHeld::InterruptsHeld() {
  if (heldDepth++ > 0) return;
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &savedMask);
  creating.fetch_add(1);
}

InterruptsHeld::~InterruptsHeld() {
  if (--heldDepth > 0) return;
  creating.fetch_sub(1);
  ::pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
}

RegisteredTemporary::RegisteredTemporary(const std::string& path) {
  if (path.empty() || path.size() >= sizeof(Slot::path)) return;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(kLive);
    slot_ = i;
    return;
  }
}

void RegisteredTemporary::Release() {
  if (slot_ < 0) return;
  slots[slot_].state.store(kFree);
  slot_ = -1;
}

}  // namespace kuv::tool
