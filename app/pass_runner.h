// One pass at a time: starts the worker, hands the window's commands to the
// current pass, and keeps a stopped pass from overlapping the next one.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/pass_control.h"

namespace app {

class PassRunner {
 public:
  // The body of one pass; it runs on a worker thread of its own.
  using Body = std::function<void(PassControl&)>;

  PassRunner() = default;
  PassRunner(const PassRunner&) = delete;
  PassRunner& operator=(const PassRunner&) = delete;

  // Starts a pass unless one runs or is paused (then false and nothing done).
  // A stopped pass that is still blocked in an exchange does not delay the
  // start; the new worker first waits until the stopped one has let go of any
  // write it had begun, so two passes never write at the same time.
  bool Start(Body body);
  // The commands act on the current pass; false when there is none to act on
  // (never started, ended, or already stopped).
  bool Pause();
  bool Continue();
  bool Stop();
  // The current pass, or null before the first start or after a failed one.
  std::shared_ptr<PassControl> Current() const;
  // True while the current pass has not ended (even when stopped).
  bool IsBusy() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<PassControl> current_;
  // Stopped passes whose workers may still be blocked in an exchange.
  std::vector<std::shared_ptr<PassControl>> stopped_;
};

}  // namespace app
