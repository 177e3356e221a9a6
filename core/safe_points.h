// Where a pass may hold still or end: the worker calls Checkpoint between
// keywords, between the steps of a keyword and before each file write. Pause
// and stop take effect only there, so the worker never stops while it holds
// a lock (no thread is ever suspended or terminated from outside).
#pragma once

namespace core {

class SafePoints {
 public:
  virtual ~SafePoints() = default;
  // Holds while the pass is paused; false once the pass was stopped, and the
  // caller then ends without fetching, writing or touching the window again.
  virtual bool Checkpoint() = 0;
  // True once the pass was stopped (does not hold).
  virtual bool IsStopped() const = 0;
};

}  // namespace core
