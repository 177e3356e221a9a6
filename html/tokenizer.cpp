#include "html/tokenizer.h"

#include <algorithm>
#include <cstring>

#include "core/char_refs.h"
#include "core/encoding.h"
#include "core/utf8.h"

namespace html {
namespace {

using core::IsAsciiBlank;

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Up to this many attributes a tag's duplicates are found by looking through
// them; beyond it, by a set of their names.
constexpr size_t kAttributesSearchedInTurn = 16;

// The raw-text elements' names, in the order of RawTextElement.
constexpr std::string_view kRawTextElements[kRawTextElementCount] = {"script", "style", "textarea",
                                                                     "title"};

// Title and textarea text holds references; script and style text does not.
bool HoldsReferences(RawTextElement element) {
  return element == RawTextElement::kTextarea || element == RawTextElement::kTitle;
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

RawTextElement RawTextElementOf(std::string_view name) {
  for (int i = 0; i < kRawTextElementCount; ++i) {
    if (name == kRawTextElements[i]) return RawTextElement(i);
  }
  return RawTextElement::kNone;
}

void AppendCodePoint(std::string& out, unsigned codePoint) {
  if (codePoint == 0) return;
  if (codePoint < 0x80) {
    out.push_back(char(codePoint));
    return;
  }
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) codePoint = 0xFFFD;
  core::Wide wide;
  core::AppendUtf16(codePoint, wide);
  out += core::WideToGb18030(wide);
}

void Tokenizer::AppendReference(std::string& out, bool inAttribute) {
  // pos_ is just past '&'. A reference that does not parse stays as written.
  const core::CharRef ref = core::ReadCharRef(
      page_, pos_ - 1, inAttribute ? core::RefContext::kAttribute : core::RefContext::kText);
  if (ref.length == 0) {
    out.push_back('&');
    return;
  }
  pos_ += ref.length - 1;
  AppendCodePoint(out, ref.codePoint);
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
    if (IsAsciiBlank(c)) {
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
  while (!AtEnd() && IsAsciiBlank(Peek())) ++pos_;
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
    if (IsAsciiBlank(c) || c == '/' || c == '>') {
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
  while (!AtEnd() && IsAsciiBlank(Peek())) ++pos_;
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
  while (!AtEnd() && IsAsciiBlank(Peek())) ++pos_;
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
    if (IsAsciiBlank(c) || c == '>') {
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
  const std::string_view rawTextEnd = kRawTextElements[int(rawText_)];
  size_t at = pos_;
  size_t end = std::string_view::npos;
  while (!noRawTextEnd_[int(rawText_)] && at < page_.size()) {
    const char* lt = core::FindByte(page_.data() + at, page_.size() - at, '<');
    if (lt == nullptr) break;
    at = size_t(lt - page_.data());
    if (at + 1 < page_.size() && page_[at + 1] == '/' && StartsWithNoCase(page_, at + 2, rawTextEnd)) {
      const size_t next = at + 2 + rawTextEnd.size();
      if (next >= page_.size() || IsAsciiBlank(page_[next]) || page_[next] == '>' || page_[next] == '/') {
        end = at;
        break;
      }
    }
    ++at;
  }
  state_ = State::kData;
  if (end == std::string_view::npos) {
    noRawTextEnd_[int(rawText_)] = true;  // none further on either: later searches are skipped
    if (HoldsReferences(rawText_)) return false;
    end = page_.size();
  }
  token.type = TokenType::kText;
  if (HoldsReferences(rawText_)) {
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
    const RawTextElement element = RawTextElementOf(token.name);
    if (element != RawTextElement::kNone && !token.selfClosing) {
      rawText_ = element;
      state_ = State::kRawText;
    }
  }
  return true;
}

}  // namespace html
