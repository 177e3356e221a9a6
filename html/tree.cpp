#include "html/tree.h"

#include <algorithm>
#include <unordered_map>

#include "core/page_limit.h"
#include "html/tokenizer.h"

namespace html {
namespace {

constexpr const char* kTagNames[] = {
    "",
#define HTML_TAG_NAME(name) #name,
    HTML_TAGS(HTML_TAG_NAME)
#undef HTML_TAG_NAME
};

const std::unordered_map<std::string_view, std::uint32_t>& KnownTags() {
  static const auto* tags = [] {
    auto* map = new std::unordered_map<std::string_view, std::uint32_t>();
    for (std::uint32_t t = 1; t < kTagCount; ++t) (*map)[kTagNames[t]] = t;
    return map;
  }();
  return *tags;
}

bool IsVoid(std::uint32_t t) {
  switch (t) {
    case kTag_area: case kTag_base: case kTag_br: case kTag_col: case kTag_embed: case kTag_hr:
    case kTag_img: case kTag_input: case kTag_keygen: case kTag_link: case kTag_meta:
    case kTag_param: case kTag_source: case kTag_track: case kTag_wbr: case kTag_frame:
      return true;
    default:
      return false;
  }
}

// Start tags before which an open p ends.
bool ClosesParagraph(std::uint32_t t) {
  switch (t) {
    case kTag_address: case kTag_article: case kTag_aside: case kTag_blockquote: case kTag_center:
    case kTag_details: case kTag_dialog: case kTag_dir: case kTag_div: case kTag_dl: case kTag_fieldset:
    case kTag_figcaption: case kTag_figure: case kTag_footer: case kTag_form: case kTag_h1:
    case kTag_h2: case kTag_h3: case kTag_h4: case kTag_h5: case kTag_h6: case kTag_header:
    case kTag_hgroup: case kTag_hr: case kTag_main: case kTag_menu: case kTag_nav: case kTag_ol:
    case kTag_p: case kTag_pre: case kTag_section: case kTag_summary: case kTag_table: case kTag_ul:
    case kTag_li: case kTag_dd: case kTag_dt:
      return true;
    default:
      return false;
  }
}

// Elements whose contents stay unparsed text; a start tag arriving while one
// is open means its end tag was missing.
bool IsRawText(std::uint32_t t) {
  static const std::vector<bool> rawText = [] {
    std::vector<bool> known(kTagCount);
    for (std::uint32_t tag = 1; tag < kTagCount; ++tag) {
      known[tag] = RawTextElementOf(kTagNames[tag]) != RawTextElement::kNone;
    }
    return known;
  }();
  return t < kTagCount && rawText[t];
}

}  // namespace

std::uint32_t KnownTag(std::string_view name) {
  const auto& tags = KnownTags();
  const auto it = tags.find(name);
  return it == tags.end() ? std::uint32_t(kTagNone) : it->second;
}

std::string_view Document::Text(int n) const {
  const Node& node = At(n);
  if (!node.isText) return {};
  return std::string_view(texts_).substr(node.begin, node.size);
}

std::string_view Document::Attribute(int n, std::string_view name) const {
  const Node& node = At(n);
  if (node.isText) return {};
  for (std::uint32_t i = node.begin; i < node.begin + node.size; ++i) {
    const Attr& a = attributes_[i];
    if (std::string_view(strings_).substr(a.name, a.nameSize) == name) {
      return std::string_view(strings_).substr(a.value, a.valueSize);
    }
  }
  return {};
}

bool Document::HasAttribute(int n, std::string_view name) const {
  const Node& node = At(n);
  if (node.isText) return false;
  for (std::uint32_t i = node.begin; i < node.begin + node.size; ++i) {
    const Attr& a = attributes_[i];
    if (std::string_view(strings_).substr(a.name, a.nameSize) == name) return true;
  }
  return false;
}

std::string_view Document::TagName(int n) const {
  const std::uint32_t t = At(n).tag;
  if (t < kTagCount) return kTagNames[t];
  return otherTagNames_[t - kTagCount];
}

class TreeBuilder {
 public:
  explicit TreeBuilder(Document& doc) : d_(doc) {
    d_.nodes_.emplace_back();  // the root
    stack_.push_back(Document::kRoot);
    open_.resize(kTagCount);
  }

  void Add(const Token& token) {
    switch (token.type) {
      case TokenType::kText: AddText(token.text); break;
      case TokenType::kStartTag: StartTag(token); break;
      case TokenType::kEndTag: EndTag(token); break;
      default: break;
    }
  }

 private:
  std::uint32_t TagId(const std::string& name) {
    const std::uint32_t known = KnownTag(name);
    if (known != kTagNone) return known;
    const auto it = others_.find(name);
    if (it != others_.end()) return it->second;
    const std::uint32_t id = std::uint32_t(kTagCount + d_.otherTagNames_.size());
    d_.otherTagNames_.push_back(name);
    others_.emplace(name, id);
    open_.emplace_back();
    return id;
  }

  // The stack position of the innermost open element `t`, or -1.
  int Top(std::uint32_t t) const { return open_[t].empty() ? -1 : open_[t].back(); }
  // The innermost element that end tags and implied ends do not reach past.
  int Scope() const {
    return std::max({Top(kTag_table), Top(kTag_td), Top(kTag_th), Top(kTag_caption),
                     Top(kTag_object), Top(kTag_marquee), Top(kTag_applet)});
  }
  std::uint32_t Current() const { return d_.At(stack_.back()).tag; }

  // Closes every open element from the top down to stack position `pos`.
  void PopTo(int pos) {
    while (int(stack_.size()) > pos && stack_.size() > 1) {
      const std::uint32_t t = d_.At(stack_.back()).tag;
      open_[t].pop_back();
      stack_.pop_back();
    }
  }
  void CloseIfAbove(int pos, int boundary) {
    if (pos > boundary) PopTo(pos);
  }

  int Append(Node node) {
    const int n = int(d_.nodes_.size());
    const int parent = stack_.back();
    node.parent = parent;
    Node& p = d_.nodes_[size_t(parent)];
    if (p.lastChild >= 0) {
      d_.nodes_[size_t(p.lastChild)].nextSibling = n;
    } else {
      p.firstChild = n;
    }
    p.lastChild = n;
    d_.nodes_.push_back(node);
    return n;
  }

  void AddText(const std::string& text) {
    const Node& parent = d_.At(stack_.back());
    if (parent.lastChild >= 0) {
      Node& last = d_.nodes_[size_t(parent.lastChild)];
      if (last.isText && last.begin + last.size == d_.texts_.size()) {
        d_.texts_ += text;
        last.size += std::uint32_t(text.size());
        return;
      }
    }
    Node node;
    node.isText = true;
    node.begin = std::uint32_t(d_.texts_.size());
    node.size = std::uint32_t(text.size());
    d_.texts_ += text;
    Append(node);
  }

  void ImpliedEnds(std::uint32_t t) {
    if (IsRawText(Current())) PopTo(int(stack_.size()) - 1);
    if (ClosesParagraph(t)) CloseIfAbove(Top(kTag_p), Scope());
    switch (t) {
      case kTag_li:
        CloseIfAbove(Top(kTag_li), std::max({Scope(), Top(kTag_ul), Top(kTag_ol), Top(kTag_menu)}));
        break;
      case kTag_dd:
      case kTag_dt:
        CloseIfAbove(std::max(Top(kTag_dd), Top(kTag_dt)), std::max(Scope(), Top(kTag_dl)));
        break;
      case kTag_option:
        if (Current() == kTag_option) PopTo(int(stack_.size()) - 1);
        break;
      case kTag_optgroup:
        if (Current() == kTag_option) PopTo(int(stack_.size()) - 1);
        if (Current() == kTag_optgroup) PopTo(int(stack_.size()) - 1);
        break;
      case kTag_tr:
        CloseIfAbove(LowestAbove({Top(kTag_tr), Top(kTag_td), Top(kTag_th)}, Top(kTag_table)),
                     Top(kTag_table));
        break;
      case kTag_td:
      case kTag_th:
        CloseIfAbove(LowestAbove({Top(kTag_td), Top(kTag_th)}, Top(kTag_table)), Top(kTag_table));
        break;
      case kTag_thead:
      case kTag_tbody:
      case kTag_tfoot:
        CloseIfAbove(LowestAbove({Top(kTag_thead), Top(kTag_tbody), Top(kTag_tfoot), Top(kTag_tr),
                                  Top(kTag_td), Top(kTag_th)},
                                 Top(kTag_table)),
                     Top(kTag_table));
        break;
      case kTag_a:
        CloseIfAbove(Top(kTag_a), Scope());
        break;
      default:
        if (IsHeading(t) && IsHeading(Current())) PopTo(int(stack_.size()) - 1);
        break;
    }
  }

  // The lowest of the positions that lie above `boundary`, or -1.
  static int LowestAbove(std::initializer_list<int> positions, int boundary) {
    int lowest = -1;
    for (const int p : positions) {
      if (p > boundary && (lowest < 0 || p < lowest)) lowest = p;
    }
    return lowest;
  }

  void StartTag(const Token& token) {
    const std::uint32_t t = TagId(token.name);
    if (t == kTag_html || t == kTag_head || t == kTag_body) return;
    ImpliedEnds(t);
    Node node;
    node.tag = t;
    node.begin = std::uint32_t(d_.attributes_.size());
    node.size = std::uint32_t(token.attributes.size());
    for (const Attribute& a : token.attributes) {
      Document::Attr attr;
      attr.name = std::uint32_t(d_.strings_.size());
      attr.nameSize = std::uint32_t(a.name.size());
      d_.strings_ += a.name;
      attr.value = std::uint32_t(d_.strings_.size());
      attr.valueSize = std::uint32_t(a.value.size());
      d_.strings_ += a.value;
      d_.attributes_.push_back(attr);
    }
    const int n = Append(node);
    // "<x/>" closes itself only for names HTML does not know (svg parts and
    // the like); a known element ignores the slash, as in browsers.
    if (IsVoid(t) || (token.selfClosing && t >= kTagCount)) return;
    open_[t].push_back(int(stack_.size()));
    stack_.push_back(n);
  }

  void EndTag(const Token& token) {
    const std::uint32_t t = TagId(token.name);
    if (t == kTag_html || t == kTag_head || t == kTag_body) return;
    if (t == kTag_br) {
      Token br;
      br.type = TokenType::kStartTag;
      br.name = "br";
      StartTag(br);
      return;
    }
    int boundary = Scope();
    switch (t) {
      case kTag_table:
        boundary = -1;
        break;
      case kTag_td: case kTag_th: case kTag_tr: case kTag_tbody: case kTag_thead: case kTag_tfoot:
      case kTag_caption:
        boundary = Top(kTag_table);
        break;
      case kTag_object: case kTag_marquee: case kTag_applet:
        boundary = std::max({Top(kTag_table), Top(kTag_td), Top(kTag_th), Top(kTag_caption)});
        break;
      default:
        break;
    }
    const int pos = Top(t);
    if (pos > boundary && pos > 0) {
      PopTo(pos);
    } else if (t == kTag_p) {
      // A "</p>" with no open p still breaks the text, as in browsers.
      Token p;
      p.type = TokenType::kStartTag;
      p.name = "p";
      StartTag(p);
      PopTo(int(stack_.size()) - 1);
    }
  }

  Document& d_;
  std::vector<int> stack_;               // node indexes of the open elements
  std::vector<std::vector<int>> open_;   // per tag id: stack positions of its open elements
  std::unordered_map<std::string, std::uint32_t> others_;
};

Document ParseDocument(std::string_view page) {
  Document doc;
  TreeBuilder builder(doc);
  if (page.size() > core::kLargestPageBytes) return doc;  // the root alone
  Tokenizer tokenizer(page);
  Token token;
  for (;;) {
    tokenizer.Next(token);
    if (token.type == TokenType::kEnd) break;
    builder.Add(token);
  }
  return doc;
}

}  // namespace html
