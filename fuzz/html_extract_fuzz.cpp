// A page from outside through the tokenizer, the tree and the extractor: the
// tree must be well formed and the result no bigger than the page allows.
#include <string>

#include "html/extract.h"
#include "html/tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string page(reinterpret_cast<const char*>(data), size);
  const html::Document doc = html::ParseDocument(page);
  for (int n = 1; n < doc.Size(); ++n) {
    const html::Node& node = doc.At(n);
    // Parents come before children, and a text is never a parent.
    if (node.parent < 0 || node.parent >= n || doc.At(node.parent).isText) __builtin_trap();
    if (node.nextSibling >= 0 && (node.nextSibling <= n || doc.At(node.nextSibling).parent != node.parent)) {
      __builtin_trap();
    }
    if (node.isText && doc.Text(n).empty()) __builtin_trap();
  }
  const html::Extracted article = html::ExtractArticle(page);
  // Every byte of the body comes from the page, apart from the paragraph
  // markup and escapes around each piece of text.
  if (article.body.size() > 16 * (size + 64) || article.title.size() > size) __builtin_trap();
  return 0;
}
