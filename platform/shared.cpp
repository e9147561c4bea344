// The parts of the OS layer that are the same on every platform.
#include <atomic>

#include "platform/platform.h"
#include "platform/write_hook.h"

namespace korvane::platform {
namespace {

std::atomic<int> writesBeforeFailure{-1};

}  // namespace

bool WriteMustFail() {
  int left = writesBeforeFailure.load();
  while (left >= 0 && !writesBeforeFailure.compare_exchange_weak(left, left - 1)) {
  }
  return left == 0;
}

void FailOneWriteForTesting(int afterWrites) { writesBeforeFailure.store(afterWrites); }

Thread::Thread(Thread&& other) noexcept : native_(other.native_) { other.native_ = 0; }

Thread& Thread::operator=(Thread&& other) noexcept {
  if (this != &other) {
    Join();
    native_ = other.native_;
    other.native_ = 0;
  }
  return *this;
}

}  // namespace korvane::platform
