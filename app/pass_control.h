// The control object of one collection pass: pause, continue and stop as the
// window commands them, and the safe points where the worker obeys.
//
// Nothing suspends or terminates the worker from outside. Pause raises a
// level and continue lowers it; the worker holds at its next safe point while
// the level is above zero. Stop ends the pass at its next safe point and
// cancels the HTTP exchange in flight, whose result is then thrown away.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "collector/search_session.h"
#include "core/safe_points.h"
#include "http/cancel.h"

namespace app {

class PassControl : public core::SafePoints {
 public:
  PassControl();
  PassControl(const PassControl&) = delete;
  PassControl& operator=(const PassControl&) = delete;

  // --- the worker's side ---
  // Holds while paused; false once stopped.
  bool Checkpoint() override;
  bool IsStopped() const override;
  // Brackets a blocking exchange: a worker inside one counts as holding still
  // for the pause message, because the pass holds its result at the safe point
  // right after it.
  void EnterExchange();
  void LeaveExchange();
  // The worker is past its last safe point (it fetches and writes no more).
  void MarkEnded();
  // The token handed to the HTTP clients: its pause hook holds while paused
  // and stop cancels it.
  http::CancelToken& Token() { return token_; }

  // --- the window's side ---
  // False, and nothing done, when the pass has ended or was stopped.
  bool Pause();
  // Removes one pause level; false when there was none to remove.
  bool Continue();
  // Ends the pass at its next safe point; false when it had ended or was
  // stopped already.
  bool Stop();
  int PauseLevel() const;
  bool IsEnded() const;
  // True while the worker can neither fetch nor write: it holds at a safe
  // point, waits inside an exchange, or has ended.
  bool IsHeld() const;
  // True while a stopped worker may still be between a safe point it passed
  // before the stop and its next one (where it could still finish a write).
  bool IsDraining() const;

  // Waits for the states above; false on time-out.
  bool WaitUntilHeld(std::chrono::milliseconds limit) const;
  bool WaitUntilDrained(std::chrono::milliseconds limit) const;
  bool WaitUntilEnded(std::chrono::milliseconds limit) const;

 private:
  bool HeldLocked() const { return holding_ || exchanges_ > 0 || ended_; }
  void HoldWhilePausedLocked(std::unique_lock<std::mutex>& lock);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  int pauseLevel_ = 0;
  bool stopped_ = false;
  bool holding_ = false;
  int exchanges_ = 0;
  bool ended_ = false;
  bool draining_ = false;
  http::CancelToken token_;
};

// Marks an exchange for the life of a scope; on leaving it the worker holds
// the result while paused.
class ExchangeScope {
 public:
  explicit ExchangeScope(PassControl& control) : control_(control) { control_.EnterExchange(); }
  ~ExchangeScope() { control_.LeaveExchange(); }
  ExchangeScope(const ExchangeScope&) = delete;
  ExchangeScope& operator=(const ExchangeScope&) = delete;

 private:
  PassControl& control_;
};

// The steady clock, and a wait that naps between the pass's safe points: it
// holds while the pass is paused and ends early (false) on stop.
collector::PassClock PassWaitClock(PassControl& control);

}  // namespace app
