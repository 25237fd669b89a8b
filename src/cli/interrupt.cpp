#include "cli/interrupt.h"

#include <atomic>
#include <csignal>

namespace kelvo::cli {
namespace {

// A signal handler may touch nothing but a lock-free atomic.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void NoteInterrupt(int /*signal*/) {
  interrupted.store(true, std::memory_order_relaxed);
}

}  // namespace

void StopOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = NoteInterrupt;
  sigemptyset(&action.sa_mask);
  // SA_RESETHAND: the handler is good for one Ctrl-C; the next one kills as usual.
  // SA_RESTART: a write to the terminal or a file under way is not cut short by it.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
  return interrupted.load(std::memory_order_relaxed);
}

}  // namespace kelvo::cli
