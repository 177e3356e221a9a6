// hotextract [--time] FILE...: the title and article text of saved pages, found by the
// general extractor, one JSON line per page in UTF-8:
//   {"id": "<file name without extension>", "title": "...", "body": "..."}
// The body is what an article file would hold: the cleaning of a layout's
// body with runs of blanks kept as one space between ASCII characters.
// hotextract --text FILE...: the whole page as the extractor reads it, decoded,
//   {"id": "...", "text": "..."}
// so that the benchmark can check that its peers are given the same characters.
#include <cstdio>
#include <ctime>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "app/page_file.h"
#include "core/encoding.h"
#include "html/extract.h"

namespace {

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out.push_back(c);
        }
    }
  }
  return out + "\"";
}

std::string FileId(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  // --time: the processor seconds spent extracting and cleaning (not reading
  // files, decoding or writing lines, as the peers are timed) go to stderr at
  // the end, for the benchmark. Processor time, since the machine is shared.
  const bool timed = argc > 1 && std::strcmp(argv[1], "--time") == 0;
  const bool textOnly = argc > 1 && std::strcmp(argv[1], "--text") == 0;
  const int first = timed || textOnly ? 2 : 1;
  if (argc <= first) {
    std::fprintf(stderr, "usage: hotextract [--time | --text] FILE...\n");
    return 2;
  }
  std::clock_t spent = 0;
  int failures = 0;
  for (int i = first; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "hotextract: cannot read %s\n", argv[i]);
      ++failures;
      continue;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const core::Text page = app::PageFileText(bytes);
    if (textOnly) {
      std::printf("{\"id\": %s, \"text\": %s}\n", JsonString(FileId(argv[i])).c_str(),
                  JsonString(core::GbkToUtf8(page)).c_str());
      continue;
    }
    const std::clock_t start = std::clock();
    const html::Extracted article = html::ExtractArticle(page);
    const core::Text text = app::ArticleFileText(article.body);
    spent += std::clock() - start;
    std::printf("{\"id\": %s, \"title\": %s, \"body\": %s}\n", JsonString(FileId(argv[i])).c_str(),
                JsonString(core::GbkToUtf8(article.title)).c_str(),
                JsonString(core::GbkToUtf8(text)).c_str());
  }
  if (timed) std::fprintf(stderr, "seconds %.6f\n", double(spent) / CLOCKS_PER_SEC);
  return failures == 0 ? 0 : 1;
}
