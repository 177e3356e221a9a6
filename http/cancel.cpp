#include "http/cancel.h"

namespace http {

void CancelToken::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_.exchange(true)) return;
  for (auto& entry : actions_) entry.second();
}

int CancelToken::Register(std::function<void()> action) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int id = nextId_++;
  if (cancelled_.load()) {
    action();
  }
  actions_.emplace(id, std::move(action));
  return id;
}

void CancelToken::Remove(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  actions_.erase(id);
}

void CancelToken::SetPauseHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  pauseHook_ = std::move(hook);
}

bool CancelToken::Checkpoint() {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    hook = pauseHook_;
  }
  if (hook) hook();
  return !cancelled_.load();
}

}  // namespace http
