// A tolerant document tree of an HTML page.
//
// Not a browser's tree: it knows the implied ends that real pages need (an
// open p ends at the next block, li at the next li, td and tr at the next cell
// and row, option, dd and dt), void elements, and ignores end tags that close
// nothing. html, head and body tags make no nodes: their contents hang under
// the root. Nodes live in one array in document order, so a parent's index is
// always lower than its children's and a walk needs no recursion; building
// takes time and memory linear in the page whatever its nesting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace html {

// The elements the tree builder and the extractor tell apart; any other name
// gets an id above kTagCount.
#define HTML_TAGS(X)                                                                            \
  X(a) X(abbr) X(address) X(applet) X(area) X(article) X(aside) X(audio) X(b) X(base)           \
  X(blockquote) X(body) X(br) X(button) X(canvas) X(caption) X(center) X(code) X(col)          \
  X(colgroup) X(dd) X(details) X(dialog) X(dir) X(div) X(dl) X(dt) X(em) X(embed)             \
  X(fieldset) X(figcaption) X(figure) X(font) X(footer) X(form) X(frame) X(frameset) X(h1)     \
  X(h2) X(h3) X(h4) X(h5) X(h6) X(head) X(header) X(hgroup) X(hr) X(html) X(i) X(iframe)       \
  X(img) X(input) X(keygen) X(label) X(li) X(link) X(main) X(map) X(marquee) X(menu) X(meta)  \
  X(nav) X(noscript) X(object) X(ol) X(optgroup) X(option) X(p) X(param) X(picture) X(pre)     \
  X(s) X(script) X(section) X(select) X(small) X(source) X(span) X(strong) X(style) X(sub)     \
  X(summary) X(sup) X(svg) X(table) X(tbody) X(td) X(template) X(textarea) X(tfoot) X(th)     \
  X(thead) X(time) X(title) X(tr) X(track) X(u) X(ul) X(video) X(wbr)

enum Tag : std::uint16_t {
  kTagNone = 0,  // text nodes and the root
#define HTML_TAG_ENUM(name) kTag_##name,
  HTML_TAGS(HTML_TAG_ENUM)
#undef HTML_TAG_ENUM
  kTagCount
};

inline bool IsHeading(std::uint32_t tag) { return tag >= kTag_h1 && tag <= kTag_h6; }

struct Node {
  std::int32_t parent = -1;
  std::int32_t firstChild = -1;
  std::int32_t lastChild = -1;
  std::int32_t nextSibling = -1;
  std::uint32_t tag = kTagNone;  // a Tag, or an id above kTagCount for other names
  bool isText = false;
  std::uint32_t begin = 0;  // text node: its text; element: its attributes
  std::uint32_t size = 0;
};

class Document {
 public:
  static constexpr int kRoot = 0;

  const Node& At(int n) const { return nodes_[size_t(n)]; }
  int Size() const { return int(nodes_.size()); }

  // A text node's text (GBK, references decoded); "" for an element.
  std::string_view Text(int n) const;
  // An element's attribute value, or "" (present or not).
  std::string_view Attribute(int n, std::string_view name) const;
  bool HasAttribute(int n, std::string_view name) const;
  // The lower-case tag name ("" for text nodes and the root).
  std::string_view TagName(int n) const;

 private:
  friend class TreeBuilder;
  struct Attr {
    std::uint32_t name, nameSize, value, valueSize;  // into strings_
  };
  std::vector<Node> nodes_;
  std::vector<Attr> attributes_;
  std::string texts_;
  std::string strings_;
  std::vector<std::string> otherTagNames_;  // names of ids kTagCount + i
};

// The tree of a GBK page; the root alone for a page larger than
// core::kLargestPageBytes.
Document ParseDocument(std::string_view page);

// The id of a lower-case tag name (known names only; kTagNone otherwise).
std::uint32_t KnownTag(std::string_view name);

}  // namespace html
