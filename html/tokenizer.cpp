#include "html/tokenizer.h"

#include <algorithm>
#include <cstring>

#include "core/encoding.h"
#include "core/utf8.h"

namespace html {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

struct NamedEntity {
  const char* name;
  unsigned codePoint;
};

// The named references that pages actually use; others stay as written.
// Up to this many attributes a tag's duplicates are found by looking through
// them; beyond it, by a set of their names.
constexpr size_t kAttributesSearchedInTurn = 16;

constexpr NamedEntity kNamedEntities[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '},
    {"ensp", ' '}, {"emsp", 0x3000}, {"thinsp", ' '}, {"zwnj", 0}, {"zwj", 0},
    {"copy", 0xA9}, {"reg", 0xAE}, {"trade", 0x2122}, {"middot", 0xB7}, {"bull", 0x2022},
    {"hellip", 0x2026}, {"mdash", 0x2014}, {"ndash", 0x2013}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"bdquo", 0x201E}, {"laquo", 0xAB}, {"raquo", 0xBB}, {"lsaquo", 0x2039},
    {"rsaquo", 0x203A}, {"times", 0xD7}, {"divide", 0xF7}, {"deg", 0xB0}, {"plusmn", 0xB1},
    {"sect", 0xA7}, {"para", 0xB6}, {"yen", 0xA5}, {"euro", 0x20AC}, {"pound", 0xA3},
    {"cent", 0xA2}, {"iexcl", 0xA1}, {"iquest", 0xBF}, {"shy", 0}, {"frac12", 0xBD},
    {"frac14", 0xBC}, {"frac34", 0xBE}, {"sup2", 0xB2}, {"sup3", 0xB3}, {"micro", 0xB5},
    {"larr", 0x2190}, {"rarr", 0x2192}, {"uarr", 0x2191}, {"darr", 0x2193},
    {"hearts", 0x2665}, {"star", 0x2606}, {"prime", 0x2032}, {"Prime", 0x2033},
    {"permil", 0x2030}, {"dagger", 0x2020}, {"Dagger", 0x2021}, {"le", 0x2264},
    {"ge", 0x2265}, {"ne", 0x2260}, {"asymp", 0x2248}, {"infin", 0x221E},
    {"alpha", 0x3B1}, {"beta", 0x3B2}, {"gamma", 0x3B3}, {"delta", 0x3B4}, {"pi", 0x3C0},
    {"mu", 0x3BC}, {"eacute", 0xE9}, {"egrave", 0xE8}, {"aacute", 0xE1}, {"agrave", 0xE0},
    {"uuml", 0xFC}, {"ouml", 0xF6}, {"auml", 0xE4}, {"Uuml", 0xDC}, {"Ouml", 0xD6},
    {"Auml", 0xC4}, {"szlig", 0xDF}, {"ccedil", 0xE7}, {"ntilde", 0xF1}, {"iacute", 0xED},
    {"oacute", 0xF3}, {"uacute", 0xFA}, {"ecirc", 0xEA}, {"acirc", 0xE2}, {"ocirc", 0xF4},
};

// The Windows-1252 meaning of references 0x80-0x9F, as browsers read them.
constexpr unsigned short kWindows1252[32] = {
    0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160,
    0x2039, 0x152, 0x8D, 0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178};

// The raw-text elements; title and textarea hold text with references.
constexpr const char* kRawTextElements[] = {"script", "style", "textarea", "title"};
constexpr int kRawTextCount = 4;

int RawTextIndex(std::string_view name) {
  for (int i = 0; i < kRawTextCount; ++i) {
    if (name == kRawTextElements[i]) return i;
  }
  return -1;
}

// True when `page` at `at` starts with `what`, ASCII case ignored.
bool StartsWithNoCase(std::string_view page, size_t at, std::string_view what) {
  if (at > page.size() || page.size() - at < what.size()) return false;
  for (size_t i = 0; i < what.size(); ++i) {
    if (core::AsciiLower(page[at + i]) != what[i]) return false;
  }
  return true;
}

}  // namespace

void AppendCodePoint(std::string& out, unsigned codePoint) {
  if (codePoint == 0) return;
  if (codePoint < 0x80) {
    out.push_back(char(codePoint));
    return;
  }
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) codePoint = 0xFFFD;
  core::Wide wide;
  core::AppendUtf16(codePoint, wide);
  out += core::WideToGbk(wide);
}

void Tokenizer::AppendReference(std::string& out, bool inAttribute) {
  // pos_ is just past '&'. A reference that does not parse stays as written.
  const size_t start = pos_;
  if (!AtEnd() && Peek() == '#') {
    size_t p = pos_ + 1;
    const bool hex = p < page_.size() && (page_[p] == 'x' || page_[p] == 'X');
    if (hex) ++p;
    const size_t digitsStart = p;
    unsigned long value = 0;
    while (p < page_.size() && (hex ? IsHexDigit(page_[p]) : IsAsciiDigit(page_[p]))) {
      const char c = page_[p];
      const unsigned digit = IsAsciiDigit(c) ? unsigned(c - '0') : unsigned(core::AsciiLower(c) - 'a' + 10);
      if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + digit;
      ++p;
    }
    if (p == digitsStart) {
      out.push_back('&');
      return;
    }
    if (p < page_.size() && page_[p] == ';') ++p;
    pos_ = p;
    if (value >= 0x80 && value < 0xA0) value = kWindows1252[value - 0x80];
    AppendCodePoint(out, value == 0 ? 0xFFFD : unsigned(std::min<unsigned long>(value, 0x110000)));
    return;
  }
  size_t p = pos_;
  while (p < page_.size() && p - start < 10 && (IsAsciiAlpha(page_[p]) || IsAsciiDigit(page_[p]))) ++p;
  const std::string_view name = page_.substr(start, p - start);
  const bool terminated = p < page_.size() && page_[p] == ';';
  for (const NamedEntity& e : kNamedEntities) {
    if (name != e.name) continue;
    // In an attribute an unterminated name followed by more of a URL is text.
    if (!terminated && inAttribute) break;
    pos_ = terminated ? p + 1 : p;
    AppendCodePoint(out, e.codePoint);
    return;
  }
  out.push_back('&');
}

void Tokenizer::Next(Token& token) {
  token.type = TokenType::kEnd;
  token.name.clear();
  token.attributes.clear();
  token.selfClosing = false;
  token.text.clear();
  // Dropped, not cleared: clearing keeps the buckets, and would cost every
  // later tag the size of the biggest one.
  if (!attributeNames_.empty()) std::unordered_set<std::string>().swap(attributeNames_);
  for (;;) {
    bool done = false;
    switch (state_) {
      case State::kData: done = Data(token); break;
      case State::kTagOpen: done = TagOpen(token); break;
      case State::kEndTagOpen: done = EndTagOpen(token); break;
      case State::kTagName: done = TagName(token); break;
      case State::kBeforeAttributeName: done = BeforeAttributeName(token); break;
      case State::kAttributeName: done = AttributeName(token); break;
      case State::kAfterAttributeName: done = AfterAttributeName(token); break;
      case State::kBeforeAttributeValue: done = BeforeAttributeValue(token); break;
      case State::kAttributeValueQuoted: done = AttributeValueQuoted(token); break;
      case State::kAttributeValueUnquoted: done = AttributeValueUnquoted(token); break;
      case State::kSelfClosing: done = SelfClosing(token); break;
      case State::kMarkupDeclaration: done = MarkupDeclaration(token); break;
      case State::kRawText: done = RawText(token); break;
    }
    if (done) return;
    if (AtEnd() && state_ == State::kData && token.text.empty()) {
      token.type = TokenType::kEnd;
      return;
    }
  }
}

bool Tokenizer::Data(Token& token) {
  // Text up to the next '<' that opens something; '&' starts a reference.
  while (!AtEnd()) {
    const char c = Peek();
    if (c == '<') {
      const char next = pos_ + 1 < page_.size() ? page_[pos_ + 1] : '\0';
      if (IsAsciiAlpha(next) || next == '/' || next == '!' || next == '?') {
        if (!token.text.empty()) {
          token.type = TokenType::kText;
          return true;  // the tag is read on the next call
        }
        ++pos_;
        state_ = State::kTagOpen;
        return false;
      }
      token.text.push_back(c);
      ++pos_;
    } else if (c == '&') {
      ++pos_;
      AppendReference(token.text, false);
    } else if (c == '\0') {
      ++pos_;
    } else {
      // A run of ordinary bytes at once. GBK trail bytes are never '<', '&'
      // or NUL, so the run can be cut at any of them.
      size_t end = pos_ + 1;
      while (end < page_.size() && page_[end] != '<' && page_[end] != '&' && page_[end] != '\0') ++end;
      token.text.append(page_.data() + pos_, end - pos_);
      pos_ = end;
    }
  }
  if (!token.text.empty()) {
    token.type = TokenType::kText;
    return true;
  }
  return false;
}

bool Tokenizer::TagOpen(Token& token) {
  const char c = Peek();  // the caller saw a byte after '<'
  if (c == '/') {
    ++pos_;
    state_ = State::kEndTagOpen;
  } else if (c == '!' || c == '?') {
    ++pos_;
    state_ = State::kMarkupDeclaration;
  } else {
    token.type = TokenType::kStartTag;
    state_ = State::kTagName;
  }
  return false;
}

bool Tokenizer::EndTagOpen(Token& token) {
  if (AtEnd()) {
    state_ = State::kData;
    return false;
  }
  if (IsAsciiAlpha(Peek())) {
    token.type = TokenType::kEndTag;
    state_ = State::kTagName;
    return false;
  }
  // "</>" is dropped; "</ ..." or "</3" is a bogus comment.
  if (Peek() == '>') {
    ++pos_;
    state_ = State::kData;
    return false;
  }
  state_ = State::kMarkupDeclaration;
  return false;
}

bool Tokenizer::TagName(Token& token) {
  while (!AtEnd()) {
    const char c = Peek();
    ++pos_;
    if (IsBlank(c)) {
      state_ = State::kBeforeAttributeName;
      return false;
    }
    if (c == '/') {
      state_ = State::kSelfClosing;
      return false;
    }
    if (c == '>') return EmitTag(token);
    if (c != '\0') token.name.push_back(core::AsciiLower(c));
  }
  // A tag cut off by the end of the page is dropped.
  token.type = TokenType::kEnd;
  state_ = State::kData;
  return false;
}

bool Tokenizer::BeforeAttributeName(Token& token) {
  while (!AtEnd() && IsBlank(Peek())) ++pos_;
  if (AtEnd()) return TagName(token);
  const char c = Peek();
  if (c == '>') {
    ++pos_;
    return EmitTag(token);
  }
  if (c == '/') {
    ++pos_;
    state_ = State::kSelfClosing;
    return false;
  }
  attributeName_.clear();
  attributeValue_.clear();
  attributeOpen_ = true;
  // '=' or a quote here begins a name, as in browsers.
  attributeName_.push_back(core::AsciiLower(c));
  ++pos_;
  state_ = State::kAttributeName;
  return false;
}

bool Tokenizer::AttributeName(Token& token) {
  while (!AtEnd()) {
    const char c = Peek();
    if (IsBlank(c) || c == '/' || c == '>') {
      state_ = State::kAfterAttributeName;
      return false;
    }
    ++pos_;
    if (c == '=') {
      state_ = State::kBeforeAttributeValue;
      return false;
    }
    if (c != '\0') attributeName_.push_back(core::AsciiLower(c));
  }
  return TagName(token);
}

bool Tokenizer::AfterAttributeName(Token& token) {
  while (!AtEnd() && IsBlank(Peek())) ++pos_;
  if (AtEnd()) return TagName(token);
  if (Peek() == '=') {
    ++pos_;
    state_ = State::kBeforeAttributeValue;
    return false;
  }
  FinishAttribute(token);
  state_ = State::kBeforeAttributeName;
  return false;
}

bool Tokenizer::BeforeAttributeValue(Token& token) {
  while (!AtEnd() && IsBlank(Peek())) ++pos_;
  if (AtEnd()) return TagName(token);
  const char c = Peek();
  if (c == '"' || c == '\'') {
    quote_ = c;
    ++pos_;
    state_ = State::kAttributeValueQuoted;
  } else if (c == '>') {
    FinishAttribute(token);
    ++pos_;
    return EmitTag(token);
  } else {
    state_ = State::kAttributeValueUnquoted;
  }
  return false;
}

bool Tokenizer::AttributeValueQuoted(Token& token) {
  while (!AtEnd()) {
    const char c = Peek();
    ++pos_;
    if (c == quote_) {
      FinishAttribute(token);
      state_ = State::kBeforeAttributeName;
      return false;
    }
    if (c == '&') {
      AppendReference(attributeValue_, true);
    } else if (c != '\0') {
      attributeValue_.push_back(c);
    }
  }
  return TagName(token);
}

bool Tokenizer::AttributeValueUnquoted(Token& token) {
  while (!AtEnd()) {
    const char c = Peek();
    if (IsBlank(c) || c == '>') {
      FinishAttribute(token);
      state_ = State::kBeforeAttributeName;
      return false;
    }
    ++pos_;
    if (c == '&') {
      AppendReference(attributeValue_, true);
    } else if (c != '\0') {
      attributeValue_.push_back(c);
    }
  }
  return TagName(token);
}

bool Tokenizer::SelfClosing(Token& token) {
  if (!AtEnd() && Peek() == '>') {
    ++pos_;
    token.selfClosing = true;
    return EmitTag(token);
  }
  state_ = State::kBeforeAttributeName;
  return false;
}

bool Tokenizer::MarkupDeclaration(Token& token) {
  // After "<!", "<?" or a bogus "</": a comment up to "-->" when it began
  // with "<!--", otherwise up to the next '>'.
  const bool dashes = page_.substr(pos_, 2) == "--";
  size_t end = std::string_view::npos;
  size_t after = 0;
  if (dashes && (page_.substr(pos_ + 2, 1) == ">" || page_.substr(pos_ + 2, 2) == "->")) {
    // "<!-->" and "<!--->" are empty comments, as in browsers; read as the
    // start of one, they would hide the page up to the next comment's end.
    end = pos_ + 2;
    after = page_[pos_ + 2] == '>' ? pos_ + 3 : pos_ + 4;
  } else if (dashes && !noCommentEnd_) {
    end = page_.find("-->", pos_ + 2);
    if (end == std::string_view::npos) {
      noCommentEnd_ = true;
    } else {
      after = end + 3;
    }
  }
  const size_t textStart = dashes ? pos_ + 2 : pos_;
  if (end == std::string_view::npos) {
    end = page_.find('>', textStart);
    if (end == std::string_view::npos) end = page_.size();
    after = std::min(end + 1, page_.size());
  }
  token.type = TokenType::kComment;
  token.text.assign(page_.data() + textStart, end > textStart ? end - textStart : 0);
  pos_ = after;
  state_ = State::kData;
  return true;
}

bool Tokenizer::RawText(Token& token) {
  // Raw text runs to "</name"; script and style without one run to the end
  // of the page, title and textarea without one are read as ordinary markup.
  const int which = RawTextIndex(rawTextEnd_);
  size_t at = pos_;
  size_t end = std::string_view::npos;
  while (!noRawTextEnd_[which] && at < page_.size()) {
    const char* lt = core::FindByte(page_.data() + at, page_.size() - at, '<');
    if (lt == nullptr) break;
    at = size_t(lt - page_.data());
    if (at + 1 < page_.size() && page_[at + 1] == '/' && StartsWithNoCase(page_, at + 2, rawTextEnd_)) {
      const size_t next = at + 2 + rawTextEnd_.size();
      if (next >= page_.size() || IsBlank(page_[next]) || page_[next] == '>' || page_[next] == '/') {
        end = at;
        break;
      }
    }
    ++at;
  }
  state_ = State::kData;
  if (end == std::string_view::npos) {
    noRawTextEnd_[which] = true;  // none further on either: later searches are skipped
    if (which >= 2) return false;
    end = page_.size();
  }
  token.type = TokenType::kText;
  if (which >= 2) {
    // Title and textarea text holds references.
    const size_t stop = end;
    while (pos_ < stop) {
      const char c = page_[pos_++];
      if (c == '&') {
        const std::string_view saved = page_;
        page_ = page_.substr(0, stop);
        AppendReference(token.text, false);
        page_ = saved;
      } else if (c != '\0') {
        token.text.push_back(c);
      }
    }
  } else {
    for (size_t i = pos_; i < end; ++i) {
      if (page_[i] != '\0') token.text.push_back(page_[i]);
    }
    pos_ = end;
  }
  if (token.text.empty()) return false;
  return true;
}

void Tokenizer::FinishAttribute(Token& token) {
  if (!attributeOpen_) return;
  attributeOpen_ = false;
  // The first of duplicates counts.
  if (token.attributes.size() < kAttributesSearchedInTurn) {
    for (const Attribute& a : token.attributes) {
      if (a.name == attributeName_) return;
    }
  } else {
    if (attributeNames_.empty()) {
      for (const Attribute& a : token.attributes) attributeNames_.insert(a.name);
    }
    if (!attributeNames_.insert(attributeName_).second) return;
  }
  token.attributes.push_back({attributeName_, attributeValue_});
}

bool Tokenizer::EmitTag(Token& token) {
  FinishAttribute(token);
  state_ = State::kData;
  if (token.type == TokenType::kStartTag) {
    const int which = RawTextIndex(token.name);
    if (which >= 0 && !token.selfClosing) {
      rawTextEnd_ = kRawTextElements[which];
      state_ = State::kRawText;
    }
  }
  return true;
}

}  // namespace html
