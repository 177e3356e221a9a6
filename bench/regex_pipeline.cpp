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
#include <algorithm>
#include <chrono>
#include <cstdlib>
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

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name)
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif
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
constexpr const char* kParagraphEnd = "</p>";
constexpr const char* kBlankLines = "(?:^\\r|\\n$)";
const char* const kCleaning[] = {
    "<\\s*style[^>]*>(.|[\\r\\n])*?<\\s*\\/style[^>]*>",
    "<\\s*script[^>]*>(.|[\\r\\n])*?<\\s*\\/script[^>]*>",
    "<\\/?[^>]+>",
    "\\&[a-z]+;",
    "((?![\\r\\n])\\s)+",
};
// The count: every tag of the article as fetched, counted and not kept.
constexpr const char* kCountPattern = "<\\/?[^>]+>";
const char* const kStepNames[] = {"paragraph tags", "</p>", "style", "script", "tags",
                                  "entities", "blanks", "blank lines", "match count"};
constexpr int kPipelineSteps = 8;  // the count is measured beside the pipeline, not in it
constexpr int kSteps = 9;

// What an engine must do: the match texts of a pattern (as views into the
// subject, or into `storage` for an engine that hands out copies), the number
// of matches, and every match replaced. False when the engine failed (limit,
// stack, memory).
struct Engine {
  virtual ~Engine() = default;
  virtual const char* Name() const = 0;
  virtual bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
                       std::vector<std::string_view>& out, std::vector<Text>& storage) = 0;
  virtual bool Count(const char* pattern, bool ignoreCase, const Text& subject, size_t& count) = 0;
  virtual bool Replace(const char* pattern, bool ignoreCase, const Text& subject, const char* with,
                       Text& out) = 0;
  // Every "</p>" in any case becomes a line break: ours by the program's own
  // text routine, a peer by its regular expression.
  virtual bool CloseParagraphs(const Text& subject, Text& out) {
    return Replace(kParagraphEnd, true, subject, "\r\n", out);
  }
};

struct Ours : Engine {
  const char* Name() const override { return "ours"; }
  bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
               std::vector<std::string_view>& out, std::vector<Text>&) override {
    regex::Regex re;
    re.Compile(pattern, ignoreCase, true);
    std::vector<std::int32_t> caps;
    if (re.Execute(subject, true, caps) == regex::Status::kLimitHit) return false;
    const size_t width = size_t(2 * (re.Groups() + 1));
    out.reserve(caps.size() / width);
    for (size_t m = 0; m + 1 < caps.size(); m += width) {
      out.emplace_back(subject.data() + caps[m], size_t(caps[m + 1] - caps[m]));
    }
    return true;
  }
  bool Count(const char* pattern, bool ignoreCase, const Text& subject, size_t& count) override {
    regex::Regex re;
    re.Compile(pattern, ignoreCase, true);
    return re.Count(subject, count) != regex::Status::kLimitHit;
  }
  bool Replace(const char* pattern, bool ignoreCase, const Text& subject, const char* with,
               Text& out) override {
    regex::Regex re;
    re.Compile(pattern, ignoreCase, true);
    return re.Replace(subject, with, true, out) != regex::Status::kLimitHit;
  }
  bool CloseParagraphs(const Text& subject, Text& out) override {
    out = collector::ReplaceParagraphEnds(subject);
    return true;
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
  // Calls `onMatch(begin, end)` for every match; false on an engine failure.
  template <typename OnMatch>
  bool EachMatch(const char* pattern, bool ignoreCase, const Text& subject, OnMatch&& onMatch) {
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
      onMatch(v[0], v[1]);
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
  bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
               std::vector<std::string_view>& out, std::vector<Text>&) override {
    return EachMatch(pattern, ignoreCase, subject,
                     [&](size_t b, size_t e) { out.emplace_back(subject.data() + b, e - b); });
  }
  bool Count(const char* pattern, bool ignoreCase, const Text& subject, size_t& count) override {
    count = 0;
    return EachMatch(pattern, ignoreCase, subject, [&](size_t, size_t) { ++count; });
  }
  bool Replace(const char* pattern, bool ignoreCase, const Text& subject, const char* with,
               Text& out) override {
    pcre2_code* code = Compile(pattern, ignoreCase);
    if (!code) return false;
    // Room for the result when it is no longer than the subject (as for
    // every replacement here); else a second call with the length asked for.
    out.resize(subject.size() + 1);
    PCRE2_SIZE length = out.size();
    auto substitute = [&] {
      return pcre2_substitute(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                              PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | Options(), nullptr,
                              context_, reinterpret_cast<PCRE2_SPTR>(with), PCRE2_ZERO_TERMINATED,
                              reinterpret_cast<PCRE2_UCHAR*>(&out[0]), &length);
    };
    int rc = substitute();
    if (rc == PCRE2_ERROR_NOMEMORY) {
      out.resize(length);
      rc = substitute();
    }
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
               std::vector<std::string_view>& out, std::vector<Text>&) override {
    try {
      const std::regex re = Make(pattern, ignoreCase);
      for (auto it = std::sregex_iterator(subject.begin(), subject.end(), re); it != std::sregex_iterator(); ++it) {
        out.emplace_back(subject.data() + it->position(), size_t(it->length()));
      }
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  bool Count(const char* pattern, bool ignoreCase, const Text& subject, size_t& count) override {
    try {
      const std::regex re = Make(pattern, ignoreCase);
      count = size_t(std::distance(std::sregex_iterator(subject.begin(), subject.end(), re),
                                   std::sregex_iterator()));
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  bool Replace(const char* pattern, bool ignoreCase, const Text& subject, const char* with,
               Text& out) override {
    try {
      out = std::regex_replace(subject, Make(pattern, ignoreCase), with);
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
  bool Execute(const char* pattern, bool ignoreCase, const Text& subject, std::vector<vbscript::Match>& matches) {
    vbscript::RegExp re;
    return re.ok() && re.Set(pattern, ignoreCase, true, true) && re.Execute(subject, matches);
  }
  bool Matches(const char* pattern, bool ignoreCase, const Text& subject,
               std::vector<std::string_view>& out, std::vector<Text>& storage) override {
    std::vector<vbscript::Match> matches;
    if (!Execute(pattern, ignoreCase, subject, matches)) return false;
    storage.clear();
    for (auto& m : matches) storage.push_back(m.value);
    for (const Text& t : storage) out.emplace_back(t);
    return true;
  }
  bool Count(const char* pattern, bool ignoreCase, const Text& subject, size_t& count) override {
    std::vector<vbscript::Match> matches;
    if (!Execute(pattern, ignoreCase, subject, matches)) return false;
    count = matches.size();
    return true;
  }
  bool Replace(const char* pattern, bool ignoreCase, const Text& subject, const char* with,
               Text& out) override {
    vbscript::RegExp re;
    return re.ok() && re.Set(pattern, ignoreCase, true, true) && re.Replace(subject, with, out);
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
  size_t count = 0;  // of the match-count step
};

// The pipeline with `engine` doing the regular expressions; the plain text
// steps are the program's own. After it, the match count on `body`.
Run Pipeline(Engine& engine, const Text& body) {
  Run run;
  Text text = body;
  auto step = [&](int i, const std::function<bool(Text&)>& work) {
    if (!run.ok) return;
    run.input[i] = text.size();
    CALLGRIND_ZERO_STATS;
    const auto start = std::chrono::steady_clock::now();
    run.ok = work(text);
    run.seconds[i] = Seconds(start);
    // Under callgrind (--collect-atstart=no is not needed: the counts are
    // zeroed before each step) one dump per step, named after it.
    CALLGRIND_DUMP_STATS_AT(kStepNames[i]);
  };
  step(0, [&](Text& t) {
    std::vector<std::string_view> tags;
    std::vector<Text> storage;
    if (!engine.Matches(kParagraphTag, true, t, tags, storage)) return false;
    t = collector::RemoveEachText(t, tags);
    return true;
  });
  step(1, [&](Text& t) {
    Text out;
    if (!engine.CloseParagraphs(t, out)) return false;
    t.swap(out);
    return true;
  });
  for (int p = 0; p < 5; ++p) {
    step(2 + p, [&](Text& t) {
      Text out;
      if (!engine.Replace(kCleaning[p], false, t, "", out)) return false;
      t.swap(out);
      return true;
    });
  }
  step(7, [&](Text& t) {
    std::string_view v = t;
    if (core::StartsWith(v, "\r\n")) v.remove_prefix(2);
    if (core::EndsWith(v, "\r\n")) v.remove_suffix(2);
    Text out;
    if (!engine.Replace(kBlankLines, true, Text(v), "", out)) return false;
    t.swap(out);
    return true;
  });
  run.result = text;
  if (!run.ok) return run;
  text = body;
  step(8, [&](Text& t) { return engine.Count(kCountPattern, false, t, run.count); });
  return run;
}

// Keeps, step by step, the faster of `best` and `run`.
void KeepBest(Run& best, const Run& run, bool first) {
  if (!run.ok || first) {
    best = run;
    return;
  }
  for (int s = 0; s < kSteps; ++s) {
    if (run.seconds[s] < best.seconds[s]) best.seconds[s] = run.seconds[s];
  }
}

double Total(const Run& run) {
  double sum = 0;
  for (int s = 0; s < kPipelineSteps; ++s) sum += run.seconds[s];
  return sum;
}

double MBps(size_t bytes, double seconds) { return seconds > 0 ? bytes / 1048576.0 / seconds : 0; }

// One engine of a size: what it runs on, its best run of each round.
struct Entry {
  Engine* engine;
  Text input;          // the article as this engine reads it
  bool sameBytes;      // input is the GBK body itself (steps comparable)
  bool inRounds;       // takes part in the interleaved rounds
  std::vector<Run> rounds;
};

// MB/s of every engine step by step (each engine's best over all rounds).
void Report(const char* label, const Text& body, std::vector<Entry>& entries) {
  std::printf("\n== %s input (%.2f MB), MB/s, best of all rounds\n%-16s", label, body.size() / 1048576.0,
              "step");
  for (const Entry& e : entries) std::printf("%17s", e.engine->Name());
  std::printf("\n");
  std::vector<Run> best(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    for (size_t r = 0; r < entries[i].rounds.size(); ++r) KeepBest(best[i], entries[i].rounds[r], r == 0);
  }
  for (int s = 0; s < kSteps; ++s) {
    std::printf("%-16s", kStepNames[s]);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!best[i].ok) std::printf("%17s", "failed");
      else if (!entries[i].sameBytes) std::printf("%17s", "-");
      else std::printf("%17.1f", MBps(best[i].input[s], best[i].seconds[s]));
    }
    std::printf("\n");
  }
  std::printf("%-16s", "whole pipeline");
  for (const Run& r : best) {
    if (r.ok) std::printf("%17.1f", MBps(body.size(), Total(r)));
    else std::printf("%17s", "failed");
  }
  std::printf("\n");
  for (size_t i = 1; i < entries.size(); ++i) {
    if (!best[i].ok || !best[0].ok) continue;
    std::printf("ours / %s: %.2fx its speed%s%s\n", entries[i].engine->Name(), Total(best[i]) / Total(best[0]),
                best[i].result == best[0].result ? " (same output)" : " (output differs in dialect details)",
                best[i].count == best[0].count ? "" : " (its match count differs)");
  }
  std::fflush(stdout);
}

// Ours against `peer` (an entry in the rounds), per step and round: its time
// over ours, so above 1 means ours is faster.
struct Ratios {
  std::vector<std::vector<double>> step;  // [step][round]
  std::vector<double> whole;              // [round]
};

Ratios RatiosAgainst(const Entry& ours, const Entry& peer) {
  Ratios out;
  out.step.assign(kSteps, {});
  for (size_t r = 0; r < ours.rounds.size() && r < peer.rounds.size(); ++r) {
    const Run& a = ours.rounds[r];
    const Run& b = peer.rounds[r];
    if (!a.ok || !b.ok) continue;
    for (int s = 0; s < kSteps; ++s) out.step[s].push_back(b.seconds[s] / a.seconds[s]);
    out.whole.push_back(Total(b) / Total(a));
  }
  return out;
}

void PrintRounds(const std::vector<double>& values) {
  for (double v : values) std::printf(" %5.2f", v);
  for (size_t k = values.size(); k < 3; ++k) std::printf(" %5s", "-");
  std::printf("  |");
}

}  // namespace

// bench_regex [--rounds N] [--sizes 100k,1m,8m] [--one ENGINE [--repeat N]]
//   --one ours|jit|jit-utf8: that engine alone, one pipeline per size (or N,
//   for a profiler); under callgrind it dumps the instructions of each step
//   (bench/regex.sh --callgrind).
int main(int argc, char** argv) {
#if defined(__SANITIZE_ADDRESS__)
  std::printf("warning: built with AddressSanitizer; configure with -DHOT_SANITIZE=OFF for figures\n");
#endif
  int rounds = 3;
  std::string one;
  int repeat = 1;
  std::string sizeList = "100k,1m,8m";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--one" && i + 1 < argc) one = argv[++i];
    else if (arg == "--repeat" && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--sizes" && i + 1 < argc) sizeList = argv[++i];
  }
  struct Size {
    const char* label;
    const char* key;
    size_t size;
  };
#if HOT_BENCH_VBSCRIPT
  vbscript::ComScope com;
  const Size allSizes[] = {{"1 MB", "1m", 1 << 20}};
#else
  const Size allSizes[] = {{"100 KB", "100k", 100 << 10}, {"1 MB", "1m", 1 << 20}, {"8 MB", "8m", 8 << 20}};
#endif
  std::vector<Size> sizes;
  for (const Size& s : allSizes) {
    if (("," + sizeList + ",").find(std::string(",") + s.key + ",") != std::string::npos) sizes.push_back(s);
  }
  if (!one.empty()) {
    Ours ours;
    Engine* engine = &ours;
#if HOT_BENCH_PCRE2
    Pcre2 jit(true), jitUtf8(true, true);
    if (one == "jit") engine = &jit;
    if (one == "jit-utf8") engine = &jitUtf8;
#endif
    for (const Size& size : sizes) {
      const Text body = Article(size.size);
      const Text input = engine == &ours || one == "jit" ? body : core::GbkToUtf8(body);
      Run run;
      for (int k = 0; k < repeat; ++k) run = Pipeline(*engine, input);
      std::printf("%s: %s %s, %.1f MB/s\n", size.label, engine->Name(), run.ok ? "ok" : "failed",
                  MBps(size.size, Total(run)));
    }
    return 0;
  }
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
#if defined(__GLIBC__)
  // Large blocks from the heap, kept once freed: otherwise every result of
  // a megabyte or more is a fresh mapping whose page faults land on
  // whichever engine happens to allocate it.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  std::printf("Rounds: %d, interleaved (each repeat runs every engine of the rounds once, in turn).\n", rounds);
  struct SizeRatios {
    const char* label;
    Ratios jit, jitUtf8;
  };
  std::vector<SizeRatios> summary;
  for (const Size& size : sizes) {
    const Text body = Article(size.size);
    const int repeats = size.size <= (100 << 10) ? 10 : size.size <= (1 << 20) ? 6 : 6;
    Ours ours;
    std::vector<Entry> entries = {{&ours, body, true, true, {}}};
#if HOT_BENCH_PCRE2
    Pcre2 jit(true), interpreted(false), jitUtf8(true, true);
    StdRegex stdRegex;
    entries.push_back({&jit, body, true, true, {}});
    entries.push_back({&interpreted, body, true, false, {}});
    if (size.size <= (1 << 20)) entries.push_back({&stdRegex, body, true, false, {}});
    entries.push_back({&jitUtf8, core::GbkToUtf8(body), false, true, {}});
#endif
#if HOT_BENCH_VBSCRIPT
    VbScript vb;
    entries.push_back({&vb, body, true, false, {}});
#endif
    for (int r = 0; r < rounds; ++r) {
      for (Entry& e : entries) e.rounds.emplace_back();
      for (int k = 0; k < repeats; ++k) {
        // Every other repeat in the reverse order, so no engine always runs
        // right after the same other one.
        for (size_t i = 0; i < entries.size(); ++i) {
          Entry& e = entries[k % 2 ? entries.size() - 1 - i : i];
          if (!e.inRounds) continue;
          KeepBest(e.rounds.back(), Pipeline(*e.engine, e.input), k == 0);
        }
      }
    }
    // The slow peers once, after the rounds.
    for (Entry& e : entries) {
      if (e.inRounds) continue;
      Run run;
#if HOT_BENCH_PCRE2
      if (e.engine == &stdRegex) OnBigStack([&] { run = Pipeline(*e.engine, e.input); });
      else
#endif
        run = Pipeline(*e.engine, e.input);
      e.rounds.assign(1, run);
    }
    for (Entry& e : entries) {
      if (e.sameBytes) continue;
      for (Run& run : e.rounds) run.result = core::Utf8ToGbk(run.result);
    }
    Report(size.label, body, entries);
#if HOT_BENCH_PCRE2
    summary.push_back({size.label, RatiosAgainst(entries[0], entries[1]), RatiosAgainst(entries[0], entries.back())});
#endif
  }
  if (summary.empty()) return 0;
  std::printf("\n== ours / PCRE2-JIT (byte mode, no UTF check), per round; above 1: ours is faster\n%-16s", "step");
  for (const SizeRatios& s : summary) std::printf(" %-20s|", s.label);
  std::printf("\n");
  for (int st = 0; st < kSteps; ++st) {
    std::printf("%-16s", kStepNames[st]);
    for (const SizeRatios& s : summary) PrintRounds(s.jit.step[st]);
    std::printf("\n");
  }
  std::printf("%-16s", "whole pipeline");
  for (const SizeRatios& s : summary) PrintRounds(s.jit.whole);
  std::printf("\n%-16s", "vs JIT UTF-8");
  for (const SizeRatios& s : summary) PrintRounds(s.jitUtf8.whole);
  std::printf("\n");
  return 0;
}
