#include "app/pass_control.h"

#include <algorithm>
#include <thread>

namespace app {

PassControl::PassControl() {
  token_.SetPauseHook([this] {
    std::unique_lock<std::mutex> lock(mutex_);
    HoldWhilePausedLocked(lock);
  });
}

void PassControl::HoldWhilePausedLocked(std::unique_lock<std::mutex>& lock) {
  // Reaching any safe point means a stopped worker has let go of whatever it
  // was writing.
  if (draining_) {
    draining_ = false;
    changed_.notify_all();
  }
  if (pauseLevel_ > 0 && !stopped_) {
    holding_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return pauseLevel_ == 0 || stopped_; });
    holding_ = false;
    changed_.notify_all();
  }
}

bool PassControl::Checkpoint() {
  std::unique_lock<std::mutex> lock(mutex_);
  HoldWhilePausedLocked(lock);
  return !stopped_;
}

bool PassControl::IsStopped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

void PassControl::EnterExchange() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++exchanges_;
  draining_ = false;
  changed_.notify_all();
}

void PassControl::LeaveExchange() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (exchanges_ > 0) --exchanges_;
  changed_.notify_all();
  // The result is held here while the pass is paused.
  HoldWhilePausedLocked(lock);
}

void PassControl::MarkEnded() {
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  draining_ = false;
  changed_.notify_all();
}

bool PassControl::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ended_ || stopped_) return false;
  ++pauseLevel_;
  changed_.notify_all();
  return true;
}

bool PassControl::Continue() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (pauseLevel_ == 0) return false;
  --pauseLevel_;
  changed_.notify_all();
  return true;
}

bool PassControl::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ended_ || stopped_) return false;
  }
  // The token first, outside the lock: its actions close handles an exchange
  // may be using, and a worker held in the token's pause hook must find it
  // cancelled when the stop below wakes it.
  token_.Cancel();
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
  draining_ = !HeldLocked();
  changed_.notify_all();
  return true;
}

int PassControl::PauseLevel() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pauseLevel_;
}

bool PassControl::IsEnded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ended_;
}

bool PassControl::IsHeld() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return HeldLocked();
}

bool PassControl::IsDraining() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return draining_;
}

bool PassControl::WaitUntilHeld(std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return HeldLocked(); });
}

bool PassControl::WaitUntilDrained(std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return !draining_; });
}

bool PassControl::WaitUntilEnded(std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return ended_; });
}

collector::PassClock PassWaitClock(PassControl& control) {
  using Clock = std::chrono::steady_clock;
  collector::PassClock clock;
  clock.now = [] {
    return std::int64_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
  };
  // Short naps between safe points: a pause holds at the next one, a stop
  // ends the wait there.
  clock.wait = [&control](std::int64_t milliseconds) {
    const auto due = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < due) {
      if (!control.Checkpoint()) return false;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
      std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(100)));
    }
    return control.Checkpoint();
  };
  return clock;
}

}  // namespace app
