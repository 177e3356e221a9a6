// An article or result page from outside: decoding, the layout cut, the
// first result link and the file title made from what was cut.
#include "collector/article_extraction.h"
#include "collector/article_files.h"
#include "collector/search_results.h"
#include "core/encoding.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto p = FuzzParts(data, size, 2);
  const core::Bytes bytes(p[0].begin(), p[0].end());
  const sources::Profile& classic = sources::Classic();
  const core::Text page = collector::ArticlePageText(bytes, classic.article.percentDecode);
  const collector::ArticleCut cut = collector::CutArticle(page, classic.article);
  if (cut.title.size() > page.size() || cut.body.size() > page.size()) __builtin_trap();
  if (cut.layout == 0 && (!cut.title.empty() || !cut.body.empty())) __builtin_trap();
  if (collector::FirstResultLink(p[0], classic.search.engines[0]).size() > p[0].size()) {
    __builtin_trap();
  }

  const core::Text folder = "C:\\out\\" + p[1].substr(0, 200);
  const core::Text title = collector::SafeFileTitle(cut.title.empty() ? p[1] : cut.title, folder);
  for (const char c : title) {
    if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();
  }
  if (!title.empty() && (title.back() == '.' || title.back() == ' ')) __builtin_trap();
  if (!title.empty() &&
      core::Gb18030ToWide(collector::ArticleFilePath(folder, title)).size() >
          size_t(collector::kMaxPathUnits)) {
    __builtin_trap();
  }
  return 0;
}
