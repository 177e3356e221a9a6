// A cancellation token for one worker's exchanges: the controlling thread
// cancels, the exchange checks it before sending and between read chunks.
//
// An exchange registers an action that closes its open handles; Cancel runs
// it at once, which on Windows ends a call blocked on the network. Wine does
// not end a blocked call that way, so an exchange also checks the token when
// its call returns and then throws its result away: a blocked exchange ends
// within its time-out at the latest.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>

namespace http {

class CancelToken {
 public:
  CancelToken() = default;
  CancelToken(const CancelToken&) = delete;
  CancelToken& operator=(const CancelToken&) = delete;

  // Marks the token cancelled and runs every registered action once, on the
  // calling thread. Later calls do nothing.
  void Cancel();
  bool IsCancelled() const { return cancelled_.load(); }
  // Clears the cancelled state for the next pass (registered actions stay).
  void Reset() { cancelled_.store(false); }

  // Registers an action for Cancel; it runs at once when the token is
  // already cancelled. The returned id removes it again. Removing waits
  // while the action runs, so after Remove the action is not running.
  int Register(std::function<void()> action);
  void Remove(int id);

  // A hook called at every safe point of an exchange (between read chunks),
  // where the app may hold the worker while the user has paused the pass.
  void SetPauseHook(std::function<void()> hook);
  // Runs the pause hook, then reports whether the exchange should go on.
  bool Checkpoint();

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::map<int, std::function<void()>> actions_;
  int nextId_ = 1;
  std::function<void()> pauseHook_;
};

// Registers an action for the life of a scope; nothing happens without a token.
class CancelRegistration {
 public:
  CancelRegistration(CancelToken* token, std::function<void()> action)
      : token_(token), id_(token ? token->Register(std::move(action)) : 0) {}
  ~CancelRegistration() {
    if (token_) token_->Remove(id_);
  }
  CancelRegistration(const CancelRegistration&) = delete;
  CancelRegistration& operator=(const CancelRegistration&) = delete;

 private:
  CancelToken* token_;
  int id_;
};

// True when `token` is given and cancelled.
inline bool IsCancelled(const CancelToken* token) { return token && token->IsCancelled(); }

}  // namespace http
