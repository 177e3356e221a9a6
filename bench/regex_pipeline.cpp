// The body-cleaning pipeline (paragraph tags, "</p>", the five cleaning
// patterns, blank lines) on generated article HTML of 100 KB, 1 MB and 8 MB,
// run through our engine and, on the same inputs, through PCRE2 (JIT and
// interpreted) and std::regex natively, or the VBScript.RegExp class in the
// Windows build. Prints MB/s per engine and step and the ratios.
//
// PCRE2 runs in byte mode on the very GBK bytes ours gets: no UTF mode, so no
// UTF check. Beside it, PCRE2-JIT in UTF mode cleans the UTF-8 form of the
// same article with PCRE2_NO_UTF_CHECK (valid input, so nothing is checked);
// its bytes differ, so only its whole-pipeline time is set against ours.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "collector/content_cleaning.h"
#include "core/encoding.h"
#include "core/text.h"
#include "regex/regex.h"
#include "regex/regex_object.h"

#if HOT_BENCH_PCRE2
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <pthread.h>
#endif
#if HOT_BENCH_VBSCRIPT
#include "tests/regex/vbscript_regexp_win32.h"
#endif

namespace {

using core::Text;

// ---------------------------------------------------------------- input

struct Random {
  unsigned long long state = 88172645463325252ull;
  unsigned Next(unsigned bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return unsigned(state % bound);
  }
};

const char kHanzi[] =
    "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说"
    "产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点"
    "从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原";
const char* kWords[] = {"the", "market", "report", "data", "2023", "GDP", "city", "news", "app", "AI"};

Text Chinese(Random& r, int chars) {
  const size_t pairs = (sizeof kHanzi - 1) / 2;
  Text out;
  for (int i = 0; i < chars; ++i) {
    const size_t k = r.Next(unsigned(pairs));
    out.append(kHanzi + 2 * k, 2);
    if (r.Next(25) == 0) out += "，";
    if (r.Next(40) == 0) out += std::string(" ") + kWords[r.Next(10)] + " ";
  }
  return out + "。";
}

Text Css(Random& r, size_t bytes) {
  Text out;
  while (out.size() < bytes) {
    out += ".c" + std::to_string(r.Next(100000)) + " > a:hover { margin: 0 auto; color: #" +
           std::to_string(100000 + r.Next(800000)) + "; }\r\n";
  }
  return out;
}

Text Script(Random& r, size_t bytes) {
  Text out;
  while (out.size() < bytes) {
    out += "  if (a < b && c > d) { s += \"<div class='x'>\" + i + \"</div>\"; }\r\n";
    if (r.Next(4) == 0) out += "  var t = \"" + Chinese(r, 6) + "\";\r\n";
  }
  return out;
}

// Article HTML of about `size` bytes: Chinese and English paragraphs, links,
// entities, images, blank runs, small style and script blocks, one large
// style block (a quarter of the size), CRLF line ends.
Text Article(size_t size) {
  Random r;
  Text out = "<div class=\"article\">\r\n<style type=\"text/css\">\r\n" + Css(r, 600) + "</style>\r\n";
  const size_t largeAt = size / 3;
  bool largeDone = false;
  while (out.size() < size) {
    if (!largeDone && out.size() >= largeAt) {
      out += "<style>\r\n" + Css(r, size / 4) + "</style>\r\n";
      largeDone = true;
      continue;
    }
    switch (r.Next(12)) {
      case 0:
        out += "<p><img src=\"http://img.example.com/2023/" + std::to_string(r.Next(99999)) +
               ".jpg\" alt=\"图\" width=\"600\"></p>\r\n";
        break;
      case 1:
        out += "<script type=\"text/javascript\">\r\n" + Script(r, 200 + r.Next(14000)) + "</script>\r\n";
        break;
      case 2:
        out += "<style>" + Css(r, 200) + "</style>";
        break;
      case 3:
        out += "\r\n\r\n   \t\r\n\r\n";
        break;
      case 4:
        out += "<P CLASS=\"en\">The <a href=\"http://example.com/x\">report</a> &amp; data&nbsp;show "
               "&#8220;growth&#8221; in 2023.</P>\r\n";
        break;
      default:
        out += "<p class=\"text\">　　" + Chinese(r, 40 + int(r.Next(200))) + "<strong>" + Chinese(r, 5) +
               "</strong>&nbsp;&ldquo;" + Chinese(r, 10) + "&rdquo;</p>\r\n";
        break;
    }
  }
  return out + "</div>";
}

// ---------------------------------------------------------------- engines

constexpr const char* kParagraphTag = "<p.*?>";
constexpr const char* kBlankLines = "(?:^\\r|\\n$)";
const char* const kCleaning[] = {
    "<\\s*style[^>]*>(.|[\\r\\n])*?<\\s*\\/style[^>]*>",
    "<\\s*script[^>]*>(.|[\\r\\n])*?<\\s*\\/script[^>]*>",
    "<\\/?[^>]+>",
    "\\&[a-z]+;",
    "((?![\\r\\n])\\s)+",
};
const char* const kStepNames[] = {"paragraph tags", "</p>", "style", "script", "tags",
                                  "entities", "blanks", "blank lines"};
constexpr int kSteps = 8;

// What an engine must do: every match text of a pattern, and replace every
// match by "". False when the engine failed (limit, stack, memory).
struct Engine {
  virtual ~Engine() = default;
  virtual const char* Name() const = 0;
  virtual bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
                       std::vector<Text>& out) = 0;
  virtual bool Delete(const char* pattern, bool ignoreCase, const Text& subject, Text& out) = 0;
};

struct Ours : Engine {
  const char* Name() const override { return "ours"; }
  bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
               std::vector<Text>& out) override {
    regex::RegexObject re;
    if (!re.Create(pattern, subject, ignoreCase)) return false;
    for (int i = 1; i <= re.MatchCount(); ++i) out.push_back(re.MatchText(i));
    return true;
  }
  bool Delete(const char* pattern, bool ignoreCase, const Text& subject, Text& out) override {
    regex::Regex re;
    re.Compile(pattern, ignoreCase, true);
    return re.Replace(subject, "", true, out) != regex::Status::kLimitHit;
  }
};

#if HOT_BENCH_PCRE2
struct Pcre2 : Engine {
  explicit Pcre2(bool jit, bool utf = false) : jit_(jit), utf_(utf) {
    context_ = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context_, 0xFFFFFFFFu);
    pcre2_set_depth_limit(context_, 0xFFFFFFFFu);
    if (jit_) {
      // The default 32 KiB JIT stack fails on the lazy style and script
      // patterns, and 8 MiB on the large style block; reserve plenty.
      stack_ = pcre2_jit_stack_create(32 * 1024, 1 << 30, nullptr);
      pcre2_jit_stack_assign(context_, nullptr, stack_);
    }
  }
  ~Pcre2() override {
    if (stack_) pcre2_jit_stack_free(stack_);
    pcre2_match_context_free(context_);
  }
  const char* Name() const override {
    return utf_ ? "PCRE2-JIT UTF-8" : jit_ ? "PCRE2-JIT" : "PCRE2";
  }
  // Match options: in UTF mode the subject is known to be valid UTF-8.
  std::uint32_t Options() const { return (jit_ ? 0 : PCRE2_NO_JIT) | (utf_ ? PCRE2_NO_UTF_CHECK : 0); }
  pcre2_code* Compile(const char* pattern, bool ignoreCase) {
    int error;
    PCRE2_SIZE offset;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED,
                                     PCRE2_MULTILINE | (ignoreCase ? PCRE2_CASELESS : 0) |
                                         (utf_ ? PCRE2_UTF : 0),
                                     &error,
                                     &offset, nullptr);
    if (code && jit_) pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    return code;
  }
  bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
               std::vector<Text>& out) override {
    pcre2_code* code = Compile(pattern, ignoreCase);
    if (!code) return false;
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    PCRE2_SIZE at = 0;
    bool ok = true;
    while (at <= subject.size()) {
      const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), at,
                                 Options(), data, context_);
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc < 0) {
        ok = false;
        break;
      }
      const PCRE2_SIZE* v = pcre2_get_ovector_pointer(data);
      out.emplace_back(subject, v[0], v[1] - v[0]);
      at = v[1];
      if (v[1] == v[0]) {
        // Past an empty match by one character (a whole one in UTF mode).
        ++at;
        while (utf_ && at < subject.size() && (static_cast<unsigned char>(subject[at]) & 0xC0) == 0x80) ++at;
      }
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    return ok;
  }
  bool Delete(const char* pattern, bool ignoreCase, const Text& subject, Text& out) override {
    pcre2_code* code = Compile(pattern, ignoreCase);
    if (!code) return false;
    out.resize(subject.size() + 1);
    PCRE2_SIZE length = out.size();
    int rc = pcre2_substitute(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                              PCRE2_SUBSTITUTE_GLOBAL | Options(), nullptr, context_,
                              reinterpret_cast<PCRE2_SPTR>(""), 0,
                              reinterpret_cast<PCRE2_UCHAR*>(&out[0]), &length);
    pcre2_code_free(code);
    if (rc < 0) return false;
    out.resize(length);
    return true;
  }
  bool jit_;
  bool utf_;
  pcre2_match_context* context_ = nullptr;
  pcre2_jit_stack* stack_ = nullptr;
};

// std::regex recurses per character: it runs on a 256 MiB thread stack, and
// only on the sizes where that is enough.
struct StdRegex : Engine {
  const char* Name() const override { return "std::regex"; }
  static std::regex Make(const char* pattern, bool ignoreCase) {
    auto flags = std::regex::ECMAScript | std::regex::multiline;
    if (ignoreCase) flags |= std::regex::icase;
    return std::regex(pattern, flags);
  }
  bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
               std::vector<Text>& out) override {
    try {
      const std::regex re = Make(pattern, ignoreCase);
      for (auto it = std::sregex_iterator(subject.begin(), subject.end(), re); it != std::sregex_iterator(); ++it) {
        out.push_back(it->str());
      }
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  bool Delete(const char* pattern, bool ignoreCase, const Text& subject, Text& out) override {
    try {
      out = std::regex_replace(subject, Make(pattern, ignoreCase), "");
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
};

void OnBigStack(const std::function<void()>& work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, size_t(256) << 20);
  pthread_t thread;
  auto body = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  pthread_create(&thread, &attr, body, const_cast<std::function<void()>*>(&work));
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}
#endif

#if HOT_BENCH_VBSCRIPT
struct VbScript : Engine {
  const char* Name() const override { return "VBScript.RegExp"; }
  bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
               std::vector<Text>& out) override {
    vbscript::RegExp re;
    std::vector<vbscript::Match> matches;
    if (!re.ok() || !re.Set(pattern, ignoreCase, true, true) || !re.Execute(subject, matches)) return false;
    for (auto& m : matches) out.push_back(m.value);
    return true;
  }
  bool Delete(const char* pattern, bool ignoreCase, const Text& subject, Text& out) override {
    vbscript::RegExp re;
    return re.ok() && re.Set(pattern, ignoreCase, true, true) && re.Replace(subject, "", out);
  }
};
#endif

// ---------------------------------------------------------------- pipeline

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Run {
  bool ok = true;
  double seconds[kSteps] = {};
  size_t input[kSteps] = {};
  Text result;
};

// The pipeline with `engine` doing the regular expressions; the plain text
// steps are the program's own.
Run Pipeline(Engine& engine, const Text& body) {
  Run run;
  Text text = body;
  auto step = [&](int i, const std::function<bool(Text&)>& work) {
    if (!run.ok) return;
    run.input[i] = text.size();
    const auto start = std::chrono::steady_clock::now();
    run.ok = work(text);
    run.seconds[i] = Seconds(start);
  };
  step(0, [&](Text& t) {
    std::vector<Text> tags;
    if (!engine.Matches(kParagraphTag, true, t, tags)) return false;
    t = collector::RemoveEachText(t, std::vector<std::string_view>(tags.begin(), tags.end()));
    return true;
  });
  step(1, [&](Text& t) {
    t = collector::ReplaceParagraphEnds(t);
    return true;
  });
  for (int p = 0; p < 5; ++p) {
    step(2 + p, [&](Text& t) {
      Text out;
      if (!engine.Delete(kCleaning[p], false, t, out)) return false;
      t.swap(out);
      return true;
    });
  }
  step(7, [&](Text& t) {
    std::string_view v = t;
    if (core::StartsWith(v, "\r\n")) v.remove_prefix(2);
    if (core::EndsWith(v, "\r\n")) v.remove_suffix(2);
    Text out;
    if (!engine.Delete(kBlankLines, true, Text(v), out)) return false;
    t.swap(out);
    return true;
  });
  run.result = text;
  return run;
}

// Best of a few runs, step by step.
Run Measure(Engine& engine, const Text& body, int repeats) {
  Run best;
  for (int i = 0; i < repeats; ++i) {
    Run run = Pipeline(engine, body);
    if (!run.ok) return run;
    if (i == 0) {
      best = run;
      continue;
    }
    for (int s = 0; s < kSteps; ++s) {
      if (run.seconds[s] < best.seconds[s]) best.seconds[s] = run.seconds[s];
    }
  }
  return best;
}

double Total(const Run& run) {
  double sum = 0;
  for (double s : run.seconds) sum += s;
  return sum;
}

double MBps(size_t bytes, double seconds) { return seconds > 0 ? bytes / 1048576.0 / seconds : 0; }

// `sameBytes` engines ran on `body` itself; the others on another encoding
// of the same article, so only their whole-pipeline time is shown, as MB/s
// of `body`. The last column is ours against the second engine, step by step.
void Report(const char* label, const Text& body, const std::vector<Engine*>& engines,
            const std::vector<Run>& runs, size_t sameBytes) {
  std::printf("\n== %s input (%.2f MB)\n%-16s", label, body.size() / 1048576.0, "step (MB/s)");
  for (Engine* e : engines) std::printf("%17s", e->Name());
  const bool versus = runs.size() > 1 && runs[0].ok && runs[1].ok;
  if (versus) std::printf("   ours/%s", engines[1]->Name());
  std::printf("\n");
  for (int s = 0; s < kSteps; ++s) {
    std::printf("%-16s", kStepNames[s]);
    for (size_t i = 0; i < runs.size(); ++i) {
      const Run& r = runs[i];
      if (!r.ok) std::printf("%17s", "failed");
      else if (i >= sameBytes) std::printf("%17s", "-");
      else std::printf("%17.1f", MBps(r.input[s], r.seconds[s]));
    }
    if (versus) std::printf("%9.2fx", runs[1].seconds[s] / runs[0].seconds[s]);
    std::printf("\n");
  }
  std::printf("%-16s", "whole pipeline");
  for (const Run& r : runs) {
    if (r.ok) std::printf("%17.1f", MBps(body.size(), Total(r)));
    else std::printf("%17s", "failed");
  }
  if (versus) std::printf("%9.2fx", Total(runs[1]) / Total(runs[0]));
  std::printf("\n");
  for (size_t i = 1; i < runs.size(); ++i) {
    if (!runs[i].ok || !runs[0].ok) continue;
    std::printf("ours / %s: %.2fx its speed%s\n", engines[i]->Name(), Total(runs[i]) / Total(runs[0]),
                runs[i].result == runs[0].result ? " (same output)" : " (output differs in dialect details)");
  }
  std::fflush(stdout);
}

}  // namespace

int main() {
#if defined(__SANITIZE_ADDRESS__)
  std::printf("warning: built with AddressSanitizer; configure with -DHOT_SANITIZE=OFF for figures\n");
#endif
  // The pipeline here is the program's own: same text as CleanBody.
  {
    const Text body = Article(200 << 10);
    collector::ImageSources sources;
    Ours ours;
    if (Pipeline(ours, body).result != collector::CleanBody(body, false, sources, ::sources::CleaningRules())) {
      std::printf("error: the pipeline here differs from CleanBody\n");
      return 1;
    }
  }
  struct Size {
    const char* label;
    size_t size;
  };
#if HOT_BENCH_VBSCRIPT
  vbscript::ComScope com;
  const Size sizes[] = {{"1 MB", 1 << 20}};
#else
  const Size sizes[] = {{"100 KB", 100 << 10}, {"1 MB", 1 << 20}, {"8 MB", 8 << 20}};
#endif
  for (const Size& size : sizes) {
    const Text body = Article(size.size);
    const int repeats = size.size <= (1 << 20) ? 5 : 2;
    Ours ours;
    std::vector<Engine*> engines = {&ours};
    std::vector<Run> runs = {Measure(ours, body, repeats)};
    size_t sameBytes = 1;
#if HOT_BENCH_PCRE2
    Pcre2 jit(true), interpreted(false), jitUtf8(true, true);
    StdRegex stdRegex;
    engines.push_back(&jit);
    runs.push_back(Measure(jit, body, repeats));
    engines.push_back(&interpreted);
    runs.push_back(Measure(interpreted, body, repeats));
    if (size.size <= (1 << 20)) {
      engines.push_back(&stdRegex);
      Run run;
      OnBigStack([&] { run = Measure(stdRegex, body, 1); });
      runs.push_back(run);
    }
    sameBytes = runs.size();
    engines.push_back(&jitUtf8);
    runs.push_back(Measure(jitUtf8, core::GbkToUtf8(body), repeats));
    runs.back().result = core::Utf8ToGbk(runs.back().result);
#endif
#if HOT_BENCH_VBSCRIPT
    VbScript vb;
    engines.push_back(&vb);
    runs.push_back(Measure(vb, body, 1));
    sameBytes = runs.size();
#endif
    Report(size.label, body, engines, runs, sameBytes);
  }
  return 0;
}
