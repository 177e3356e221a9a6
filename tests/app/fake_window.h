// A window for tests: edit-box texts and check states in memory, safe to use
// from a worker thread; and safe points that stop after a given count.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "core/safe_points.h"
#include "core/window_ops.h"

namespace testing_support {

using core::Control;
using core::Text;

class FakeWindow : public core::WindowOps {
 public:
  Text ReadText(Control c) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_[c];
  }
  void ReplaceText(Control c, const Text& t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_[c] = t;
  }
  void AppendText(Control c, const Text& t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_[c] += t;
  }
  bool IsChecked(Control c) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++checkReads_[c];
    if (onIsChecked_) onIsChecked_(c, checked_);
    return checked_[c];
  }
  void SetChecked(Control c, bool on) override {
    std::lock_guard<std::mutex> lock(mutex_);
    checked_[c] = on;
  }
  void SetDisabled(Control c, bool off) override {
    std::lock_guard<std::mutex> lock(mutex_);
    disabled_[c] = off;
  }
  // Each report as "keyword/keywords saved".
  void ShowProgress(int keyword, int keywords, int saved) override {
    std::lock_guard<std::mutex> lock(mutex_);
    progress_.push_back(core::IntToText(keyword) + "/" + core::IntToText(keywords) + " " + core::IntToText(saved));
  }
  std::vector<Text> Progress() {
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
  }

  Text Get(Control c) { return ReadText(c); }
  void Set(Control c, const Text& t) { ReplaceText(c, t); }
  bool Checked(Control c) {
    std::lock_guard<std::mutex> lock(mutex_);
    return checked_[c];
  }
  bool Disabled(Control c) {
    std::lock_guard<std::mutex> lock(mutex_);
    return disabled_[c];
  }
  int CheckReads(Control c) {
    std::lock_guard<std::mutex> lock(mutex_);
    return checkReads_[c];
  }
  // Called (under the window's lock) at every IsChecked before it answers;
  // lets a test flip a box in the middle of a run.
  void OnIsChecked(std::function<void(Control, std::map<Control, bool>&)> f) {
    std::lock_guard<std::mutex> lock(mutex_);
    onIsChecked_ = std::move(f);
  }

 private:
  std::mutex mutex_;
  std::map<Control, Text> texts_;
  std::map<Control, bool> checked_;
  std::map<Control, bool> disabled_;
  std::map<Control, int> checkReads_;
  std::vector<Text> progress_;
  std::function<void(Control, std::map<Control, bool>&)> onIsChecked_;
};

// Safe points that never hold; the pass counts as stopped from safe point
// number `stopAt` on (counting from 0; -1: never).
class CountingSafePoints : public core::SafePoints {
 public:
  explicit CountingSafePoints(int stopAt = -1) : stopAt_(stopAt) {}
  bool Checkpoint() override {
    if (count_ == stopAt_) stopped_ = true;
    ++count_;
    return !stopped_;
  }
  bool IsStopped() const override { return stopped_; }
  int count() const { return count_; }

 private:
  int stopAt_;
  int count_ = 0;
  bool stopped_ = false;
};

}  // namespace testing_support
