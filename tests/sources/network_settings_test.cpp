#include <gtest/gtest.h>

#include "sources/profile.h"
#include "sources/settings.h"

namespace {

using core::Text;
using core::TextArray;

// What a user may type as the proxy, and what the clients are handed.
TEST(ProxySetting, ValueIsHostAndPort) {
  struct Case {
    const char* value;
    const char* proxy;  // "" when refused
  };
  const Case cases[] = {
      {"127.0.0.1:8080", "127.0.0.1:8080"},
      {"proxy.school.edu.cn:3128", "proxy.school.edu.cn:3128"},
      {"http://10.0.0.1:80", "10.0.0.1:80"},   // copied from a browser's settings
      {"http://10.0.0.1:80/", "10.0.0.1:80"},
      {"p:65535", "p:65535"},
      {"proxy", ""},                            // no port: the clients would guess one
      {"proxy:", ""},
      {"proxy:0", ""},
      {"proxy:65536", ""},
      {":8080", ""},
      {"https://p:8080", ""},                   // an https proxy is not what the clients speak
      {"socks5://p:1080", ""},
      {"user:pw@p:8080", ""},
      {"p:8080/path", ""},
      {"p :8080", ""},
      {"代理:8080", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(sources::ProxyValue(c.value), c.proxy) << c.value;
}

// The profile `chosen` as settings of `content` make it, and their lines.
sources::Profile Built(const char* content, const char* chosen, TextArray& problems) {
  return sources::BuildProfile(sources::ParseSettings(content, problems), chosen, problems);
}

// `problem` the one settings line, or none when it is "".
void ExpectProblem(const TextArray& problems, const char* problem) {
  if (*problem) {
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], problem);
  } else {
    EXPECT_TRUE(problems.empty()) << problems[0];
  }
}

// [network] proxy= reaches the profile; a bad value is one settings line
// and the pass goes direct.
TEST(ProxySetting, SettingsLineOrDirect) {
  struct Case {
    const char* content;
    const char* proxy;
    const char* problem;  // "" for none
  };
  const Case cases[] = {
      {"", "", ""},
      {"[network]\nproxy=127.0.0.1:3128\n", "127.0.0.1:3128", ""},
      {"\xEF\xBB\xBF[network]\r\nproxy = http://p.test:80/ \r\n", "p.test:80", ""},
      {"[network]\nproxy=\n", "", ""},
      {"[network]\nproxy=p.test\n", "", "settings.ini 第2行的代理 p.test 无效（应为 主机:端口），使用默认值"},
      {"[network]\nproxy=p:1\nproxy=bad value\n", "",
       "settings.ini 第3行的代理 bad value 无效（应为 主机:端口），使用默认值"},
      {"[network]\nproxi=p:1\n", "", "settings.ini 第2行的键 proxi 未知，使用默认值"},
      {"[hosts]\nproxy=p:1\n", "", "settings.ini 第2行的键 proxy 未知，使用默认值"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    for (const char* chosen : {"classic", "current"}) {
      TextArray problems;
      EXPECT_EQ(Built(c.content, chosen, problems).proxy, c.proxy);
      ExpectProblem(problems, c.problem);
    }
  }
}

// [network] certificates= : current checks unless told to ignore; classic
// ignores unless told to check; a bad value is one line and the default.
TEST(CertificatesSetting, CheckIgnoreOrTheProfilesDefault) {
  struct Case {
    const char* content;
    bool classic, current;  // checkCertificates of each
    const char* problem;    // "" for none
  };
  const Case cases[] = {
      {"", false, true, ""},
      {"[network]\ncertificates=ignore\n", false, false, ""},
      {"[network]\r\ncertificates = check \r\n", true, true, ""},
      {"[network]\ncertificates=ignore\ncertificates=check\n", true, true, ""},
      {"[network]\ncertificates=no\n", false, true,
       "settings.ini 第2行的取值 no 无效（应为 check 或 ignore），使用默认值"},
      {"[network]\ncertificates=ignore\ncertificates=\n", false, true,
       "settings.ini 第3行的取值  无效（应为 check 或 ignore），使用默认值"},
      {"[network]\ncertificates=IGNORE\n", false, true,
       "settings.ini 第2行的取值 IGNORE 无效（应为 check 或 ignore），使用默认值"},
      {"[hosts]\ncertificates=ignore\n", false, true, "settings.ini 第2行的键 certificates 未知，使用默认值"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    for (const char* chosen : {"classic", "current"}) {
      TextArray problems;
      EXPECT_EQ(Built(c.content, chosen, problems).checkCertificates,
                Text(chosen) == "classic" ? c.classic : c.current)
          << chosen;
      ExpectProblem(problems, c.problem);
    }
  }
}

}  // namespace
