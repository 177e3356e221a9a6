#include "http/cancel.h"

#include <gtest/gtest.h>

#include <thread>

namespace http {
namespace {

TEST(Cancel, ActionsRunOnceAndLateRegistrationsRunAtOnce) {
  CancelToken token;
  int closed = 0, late = 0;
  {
    CancelRegistration reg(&token, [&] { ++closed; });
    EXPECT_TRUE(token.Checkpoint());
    token.Cancel();
    token.Cancel();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(token.Checkpoint());
    CancelRegistration after(&token, [&] { ++late; });
    EXPECT_EQ(late, 1);
  }
  token.Reset();
  EXPECT_FALSE(token.IsCancelled());
  {
    CancelRegistration reg(&token, [&] { ++closed; });
  }
  token.Cancel();
  EXPECT_EQ(closed, 1);  // a removed action never runs
  CancelRegistration none(nullptr, [&] { ++closed; });
  EXPECT_FALSE(IsCancelled(nullptr));
}

TEST(Cancel, PauseHookHeldAtCheckpointAndCancelFromAnotherThread) {
  CancelToken token;
  int paused = 0;
  token.SetPauseHook([&] { ++paused; });
  EXPECT_TRUE(token.Checkpoint());
  EXPECT_EQ(paused, 1);
  std::atomic<int> ran{0};
  CancelRegistration reg(&token, [&] { ++ran; });
  std::thread other([&] { token.Cancel(); });
  other.join();
  EXPECT_EQ(ran.load(), 1);
  EXPECT_FALSE(token.Checkpoint());
  EXPECT_EQ(paused, 2);
}

}  // namespace
}  // namespace http
