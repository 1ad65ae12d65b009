#include "termination.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

namespace {

constexpr int TERMINATING[] = {SIGTERM, SIGINT, SIGHUP};

bool ignored(int sig) {
  struct sigaction current {};
  return sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

[[noreturn]] void end_by(int sig) {
  const std::lock_guard<std::mutex> lock(rows_write_lock());
  signal(sig, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  raise(sig);  // pending while blocked here: delivered on unblocking
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  _exit(128 + sig);  // not reached
}

}  // namespace

std::mutex& rows_write_lock() {
  static std::mutex lock;
  return lock;
}

void defer_termination_to_whole_writes() {
  static std::once_flag started;
  std::call_once(started, [] {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : TERMINATING)
      if (!ignored(sig)) sigaddset(&set, sig);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
    std::thread([set] {
      int sig = 0;
      if (sigwait(&set, &sig) == 0) end_by(sig);
    }).detach();
  });
}
