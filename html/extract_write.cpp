#include "html/extract_write.h"

#include <cctype>
#include <string_view>

#include "core/text.h"
#include "html/extract_measure.h"
#include "html/extract_tuning.h"
#include "html/picture_source.h"

namespace html::extraction {
namespace {

std::string_view ImageSource(const Document& d, int n) {
  return PictureSource([&](std::string_view name) { return d.Attribute(n, name); });
}

class ParagraphWriter {
 public:
  explicit ParagraphWriter(std::string& out) : out_(out) {}

  void Text(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (IsAsciiBlank(c)) {
        pendingBlank_ = !line_.empty();
        continue;
      }
      if (pendingBlank_) line_.push_back(' ');
      pendingBlank_ = false;
      if (const size_t length = core::CharLengthAt(text, i); length > 1) {
        line_.append(text.data() + i, length);
        i += length - 1;
      } else if (c == '<') {
        line_ += "&lt;";
      } else if (c == '&' && i + 1 < text.size() && (std::isalpha(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '#')) {
        line_ += "&amp;";
      } else {
        line_.push_back(c);
      }
    }
  }

  void Break() {
    pendingBlank_ = false;
    if (line_.empty()) return;
    out_ += "<p>";
    out_ += line_;
    out_ += "</p>";
    line_.clear();
  }

  void Image(std::string_view src) {
    if (src.empty()) return;
    Break();
    out_ += "<p><img src=\"";
    for (const char c : src) {
      if (c == '"') {
        out_ += "%22";
      } else if (c != '\r' && c != '\n') {
        out_.push_back(c);
      }
    }
    out_ += "\"></p>";
  }

 private:
  std::string& out_;
  std::string line_;
  bool pendingBlank_ = false;
};

}  // namespace

std::string WriteBody(const Document& d, const std::vector<int>& ends, const Choice& choice) {
  std::string out;
  ParagraphWriter writer(out);
  for (const int root : choice.roots) {
    const int end = ends[size_t(root)];
    // A preorder walk by index; leaving a block ends its paragraph.
    std::vector<int> openBlocks;
    for (int n = root; n < end; ++n) {
      while (!openBlocks.empty() && ends[size_t(openBlocks.back())] <= n) {
        openBlocks.pop_back();
        writer.Break();
      }
      if (choice.dropped[size_t(n)]) {
        n = ends[size_t(n)] - 1;
        continue;
      }
      const Node& node = d.At(n);
      if (node.isText) {
        writer.Text(d.Text(n));
        continue;
      }
      if (node.tag == kTag_br || node.tag == kTag_hr) writer.Break();
      if (node.tag == kTag_img) writer.Image(ImageSource(d, n));
      if (IsBlock(node.tag)) {
        writer.Break();
        openBlocks.push_back(n);
      }
    }
    writer.Break();
  }
  return out;
}

}  // namespace html::extraction
