#include "app/pass_runner.h"

#include <system_error>
#include <thread>

namespace app {

bool PassRunner::Start(Body body) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (current_ && !current_->IsEnded() && !current_->IsStopped()) return false;
  if (current_ && !current_->IsEnded()) stopped_.push_back(current_);
  std::vector<std::shared_ptr<PassControl>> earlier;
  for (const auto& pass : stopped_) {
    if (!pass->IsEnded()) earlier.push_back(pass);
  }
  stopped_ = earlier;

  auto control = std::make_shared<PassControl>();
  try {
    std::thread worker([control, body, earlier] {
      // A stopped worker lets go at its next safe point, which is never far:
      // everything between two safe points is work in memory or a single write.
      for (const auto& pass : earlier) {
        while (!pass->WaitUntilDrained(std::chrono::seconds(1))) {
        }
      }
      if (control->Checkpoint()) body(*control);
      control->MarkEnded();
    });
    worker.detach();
  } catch (const std::system_error&) {
    current_.reset();  // the thread could not start: no pass
    return false;
  }
  current_ = control;
  return true;
}

bool PassRunner::Pause() {
  const auto pass = Current();
  return pass && pass->Pause();
}

bool PassRunner::Continue() {
  const auto pass = Current();
  return pass && !pass->IsEnded() && pass->Continue();
}

bool PassRunner::Stop() {
  const auto pass = Current();
  return pass && pass->Stop();
}

std::shared_ptr<PassControl> PassRunner::Current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return current_;
}

bool PassRunner::IsBusy() const {
  const auto pass = Current();
  return pass && !pass->IsEnded();
}

}  // namespace app
