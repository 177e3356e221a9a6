// Shared pieces of the clients' wire tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/http/wire/test_server.h"

namespace wire {

// True when `expected` occur among `lines` in this order (others may be
// between them); the message names the first one missing.
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& lines,
                                          const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const std::string& want : expected) {
    while (at < lines.size() && lines[at] != want) ++at;
    if (at == lines.size()) {
      std::string all;
      for (const std::string& l : lines) all += "\n  " + l;
      return ::testing::AssertionFailure() << "missing or out of order: " << want << "\nsent:" << all;
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

class WireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.available()) << "run under tools/with-test-server";
    ASSERT_TRUE(server.Reset());
  }
  // The last request the server received, split.
  ParsedRequest Last() { return Parse(server.Request(-1)); }
  // An answer with a plain body.
  static Answer Body(const std::string& body) {
    Answer a;
    a.body = body;
    return a;
  }

  TestServer server;
};

}  // namespace wire
