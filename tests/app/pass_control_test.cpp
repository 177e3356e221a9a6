#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "app/pass_control.h"
#include "app/pass_runner.h"

namespace {

using app::PassControl;
using app::PassRunner;
using namespace std::chrono_literals;

// Generous: these waits end as soon as the state is reached.
constexpr auto kLong = std::chrono::seconds(20);

// A one-shot gate a worker can wait at.
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(m_);
    open_ = true;
    cv_.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool open_ = false;
};

// Commands on a control that no worker drives: what each returns and what
// state it leaves behind.
TEST(PassControl, CommandTableWithoutWorker) {
  struct Step {
    const char* command;
    bool accepted;
    int level;
    bool stopped;
  };
  const Step steps[] = {
      {"continue", false, 0, false},  // not paused: no effect
      {"pause", true, 1, false},      {"pause", true, 2, false},
      {"continue", true, 1, false},   {"stop", true, 1, true},
      {"pause", false, 1, true},      // a stopped pass takes no more pauses
      {"stop", false, 1, true},       {"continue", true, 0, true},
      {"continue", false, 0, true},
  };
  PassControl control;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.command);
    bool accepted = false;
    if (std::string(s.command) == "pause") accepted = control.Pause();
    if (std::string(s.command) == "continue") accepted = control.Continue();
    if (std::string(s.command) == "stop") accepted = control.Stop();
    EXPECT_EQ(accepted, s.accepted);
    EXPECT_EQ(control.PauseLevel(), s.level);
    EXPECT_EQ(control.IsStopped(), s.stopped);
  }
  EXPECT_FALSE(control.Checkpoint());
}

TEST(PassControl, EndedPassTakesNoCommands) {
  PassControl control;
  control.MarkEnded();
  EXPECT_FALSE(control.Pause());
  EXPECT_FALSE(control.Stop());
  EXPECT_FALSE(control.IsStopped());
  EXPECT_TRUE(control.IsHeld());
}

TEST(PassControl, StopCancelsTheHttpToken) {
  PassControl control;
  int closed = 0;
  control.Token().Register([&] { ++closed; });
  EXPECT_TRUE(control.Token().Checkpoint());
  control.Stop();
  EXPECT_TRUE(control.Token().IsCancelled());
  EXPECT_FALSE(control.Token().Checkpoint());
  EXPECT_EQ(closed, 1);
}

// A worker that passes safe points in a loop and counts them.
struct CountingWorker {
  std::atomic<int> progress{0};
  PassRunner::Body Body() {
    return [this](PassControl& control) {
      while (control.Checkpoint()) {
        ++progress;
        std::this_thread::sleep_for(1ms);
      }
    };
  }
  void WaitForProgressBeyond(int value) {
    while (progress.load() <= value) std::this_thread::sleep_for(1ms);
  }
};

TEST(PassRunner, PauseNestsAndStopEndsAHeldWorker) {
  PassRunner runner;
  CountingWorker worker;
  ASSERT_TRUE(runner.Start(worker.Body()));
  worker.WaitForProgressBeyond(0);
  const auto pass = runner.Current();

  ASSERT_TRUE(runner.Pause());
  ASSERT_TRUE(pass->WaitUntilHeld(kLong));
  ASSERT_TRUE(runner.Pause());
  const int held = worker.progress.load();
  ASSERT_TRUE(runner.Continue());
  // One level left: the worker still holds.
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(worker.progress.load(), held);
  EXPECT_TRUE(pass->IsHeld());

  ASSERT_TRUE(runner.Continue());
  worker.WaitForProgressBeyond(held);
  EXPECT_FALSE(runner.Continue()) << "continue without a pause level has no effect";

  ASSERT_TRUE(runner.Pause());
  ASSERT_TRUE(pass->WaitUntilHeld(kLong));
  const int heldAgain = worker.progress.load();
  ASSERT_TRUE(runner.Stop()) << "stop while paused";
  ASSERT_TRUE(pass->WaitUntilEnded(kLong));
  EXPECT_EQ(worker.progress.load(), heldAgain) << "a stopped worker went on";
  EXPECT_FALSE(runner.Pause());
  EXPECT_FALSE(runner.Stop());
  EXPECT_FALSE(runner.Continue());
  EXPECT_FALSE(runner.IsBusy());
}

TEST(PassRunner, CommandsWithoutAPassActOnNothing) {
  PassRunner runner;
  EXPECT_FALSE(runner.Pause());
  EXPECT_FALSE(runner.Continue());
  EXPECT_FALSE(runner.Stop());
  EXPECT_EQ(runner.Current(), nullptr);
  EXPECT_FALSE(runner.IsBusy());
}

TEST(PassRunner, OnePassAtATime) {
  PassRunner runner;
  Gate release;
  std::atomic<int> started{0};
  auto body = [&](PassControl& control) {
    ++started;
    release.Wait();
    control.Checkpoint();
  };
  ASSERT_TRUE(runner.Start(body));
  const auto first = runner.Current();
  EXPECT_FALSE(runner.Start(body)) << "start while running";
  first->Pause();
  EXPECT_FALSE(runner.Start(body)) << "start while paused";
  first->Continue();
  release.Open();
  ASSERT_TRUE(first->WaitUntilEnded(kLong));
  EXPECT_TRUE(runner.Start(body)) << "start after the end";
  ASSERT_TRUE(runner.Current()->WaitUntilEnded(kLong));
  EXPECT_EQ(started.load(), 2);
}

// A stopped worker blocked in an exchange does not delay the next pass, and
// when its exchange returns it passes no further safe point.
TEST(PassRunner, StoppedWorkerInExchangeDoesNotBlockTheNextPass) {
  PassRunner runner;
  Gate inExchange, answer;
  std::atomic<bool> oldWentOn{false};
  ASSERT_TRUE(runner.Start([&](PassControl& control) {
    {
      app::ExchangeScope exchange(control);
      inExchange.Open();
      answer.Wait();
    }
    if (control.Checkpoint()) oldWentOn = true;
  }));
  inExchange.Wait();
  const auto old = runner.Current();
  ASSERT_TRUE(runner.Stop());
  EXPECT_FALSE(old->IsDraining());

  std::atomic<bool> secondRan{false};
  ASSERT_TRUE(runner.Start([&](PassControl&) { secondRan = true; }));
  ASSERT_TRUE(runner.Current()->WaitUntilEnded(kLong));
  EXPECT_TRUE(secondRan.load());

  answer.Open();
  ASSERT_TRUE(old->WaitUntilEnded(kLong));
  EXPECT_FALSE(oldWentOn.load());
}

// A worker stopped between a safe point and a write finishes that write
// before the next pass begins: the two never write at the same time.
TEST(PassRunner, NextPassWaitsForTheStoppedWorkersWrite) {
  PassRunner runner;
  Gate writing, finishWrite;
  std::atomic<int> order{0};
  std::atomic<int> oldWriteDone{0}, newStart{0};
  ASSERT_TRUE(runner.Start([&](PassControl& control) {
    if (!control.Checkpoint()) return;
    writing.Open();
    finishWrite.Wait();  // the write in progress
    oldWriteDone = ++order;
    control.Checkpoint();
  }));
  writing.Wait();
  const auto old = runner.Current();
  ASSERT_TRUE(runner.Stop());
  EXPECT_TRUE(old->IsDraining());
  ASSERT_TRUE(runner.Start([&](PassControl&) { newStart = ++order; }));
  const auto next = runner.Current();
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(newStart.load(), 0) << "the new pass began during the old write";
  finishWrite.Open();
  ASSERT_TRUE(next->WaitUntilEnded(kLong));
  EXPECT_EQ(oldWriteDone.load(), 1);
  EXPECT_EQ(newStart.load(), 2);
}

// The HTTP clients' pause hook holds the worker like any safe point, and a
// stop wakes it into a cancelled exchange.
TEST(PassRunner, TokenCheckpointHoldsWhilePaused) {
  PassRunner runner;
  std::atomic<int> chunks{0};
  ASSERT_TRUE(runner.Start([&](PassControl& control) {
    while (control.Token().Checkpoint()) {
      ++chunks;
      std::this_thread::sleep_for(1ms);
    }
  }));
  const auto pass = runner.Current();
  while (chunks.load() == 0) std::this_thread::sleep_for(1ms);
  pass->Pause();
  ASSERT_TRUE(pass->WaitUntilHeld(kLong));
  const int held = chunks.load();
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(chunks.load(), held);
  pass->Stop();
  ASSERT_TRUE(pass->WaitUntilEnded(kLong));
  EXPECT_EQ(chunks.load(), held) << "a stopped exchange read another chunk";
}

// Paused while inside an exchange: the worker counts as held at once, and
// the exchange's result waits at the end of the exchange until continue.
TEST(PassRunner, ExchangeResultIsHeldWhilePaused) {
  PassRunner runner;
  Gate inExchange, answer;
  std::atomic<bool> usedResult{false};
  ASSERT_TRUE(runner.Start([&](PassControl& control) {
    {
      app::ExchangeScope exchange(control);
      inExchange.Open();
      answer.Wait();
    }
    usedResult = true;
    control.Checkpoint();
  }));
  inExchange.Wait();
  const auto pass = runner.Current();
  ASSERT_TRUE(runner.Pause());
  EXPECT_TRUE(pass->IsHeld());
  answer.Open();
  std::this_thread::sleep_for(30ms);
  EXPECT_FALSE(usedResult.load());
  ASSERT_TRUE(runner.Continue());
  ASSERT_TRUE(pass->WaitUntilEnded(kLong));
  EXPECT_TRUE(usedResult.load());
}

// The pacing wait between two searches: a pause holds it at a safe point
// (the window sees the worker held), continue lets it end, and a stop ends
// it early with false, however long it was to last.
TEST(PassWaitClock, PauseHoldsTheWaitAndStopEndsIt) {
  PassControl paused;
  const collector::PassClock clock = app::PassWaitClock(paused);
  EXPECT_TRUE(clock.wait(0));
  ASSERT_TRUE(paused.Pause());
  std::atomic<int> result{-1};
  std::thread waiting([&] { result = clock.wait(1) ? 1 : 0; });
  EXPECT_TRUE(paused.WaitUntilHeld(kLong));
  EXPECT_EQ(result, -1);  // held while paused
  ASSERT_TRUE(paused.Continue());
  waiting.join();
  EXPECT_EQ(result, 1);

  PassControl stopped;
  const collector::PassClock long_wait = app::PassWaitClock(stopped);
  std::atomic<int> ended{-1};
  std::thread hour([&] { ended = long_wait.wait(3600 * 1000) ? 1 : 0; });
  ASSERT_TRUE(stopped.Stop());
  hour.join();
  EXPECT_EQ(ended, 0);
}

}  // namespace
