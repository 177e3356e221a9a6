// An HTML tokenizer for pages from outside: GBK text in, tags, texts and
// comments out.
//
// A state machine with one small function per state. It reads every byte
// once and never backs up, except to end an unclosed comment at its first
// '>' (as older browsers did, so that one "<!--" does not swallow the page).
// Tag and attribute names are lower-cased; entities in texts and attribute
// values are decoded; NUL bytes are dropped. The contents of script, style,
// textarea and title are read as raw text up to their end tag.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/text.h"

namespace html {

// The elements whose contents are read as text up to their end tag.
enum class RawTextElement { kScript, kStyle, kTextarea, kTitle, kNone };
inline constexpr int kRawTextElementCount = int(RawTextElement::kNone);

// The raw-text element of a lower-case tag name; kNone for any other.
RawTextElement RawTextElementOf(std::string_view name);

enum class TokenType { kStartTag, kEndTag, kText, kComment, kEnd };

struct Attribute {
  std::string name;
  std::string value;
};

struct Token {
  TokenType type = TokenType::kEnd;
  std::string name;               // tag name, lower-case
  std::vector<Attribute> attributes;  // the first of duplicate names only
  bool selfClosing = false;
  std::string text;               // decoded text, or a comment's contents
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view page) : page_(page) {}
  // The next token into `token` (its buffers are reused); kEnd at the end.
  void Next(Token& token);

 private:
  enum class State {
    kData, kTagOpen, kEndTagOpen, kTagName, kBeforeAttributeName, kAttributeName,
    kAfterAttributeName, kBeforeAttributeValue, kAttributeValueQuoted,
    kAttributeValueUnquoted, kSelfClosing, kMarkupDeclaration, kRawText
  };
  // Each returns true when `token` is complete.
  bool Data(Token& token);
  bool TagOpen(Token& token);
  bool EndTagOpen(Token& token);
  bool TagName(Token& token);
  bool BeforeAttributeName(Token& token);
  bool AttributeName(Token& token);
  bool AfterAttributeName(Token& token);
  bool BeforeAttributeValue(Token& token);
  bool AttributeValueQuoted(Token& token);
  bool AttributeValueUnquoted(Token& token);
  bool SelfClosing(Token& token);
  bool MarkupDeclaration(Token& token);
  bool RawText(Token& token);

  bool EmitTag(Token& token);
  void FinishAttribute(Token& token);
  // Reads a character reference at pos_ (just past '&') and appends it.
  void AppendReference(std::string& out, bool inAttribute);

  bool AtEnd() const { return pos_ >= page_.size(); }
  char Peek() const { return page_[pos_]; }

  std::string_view page_;
  size_t pos_ = 0;
  State state_ = State::kData;
  char quote_ = 0;
  std::string attributeName_;
  std::string attributeValue_;
  bool attributeOpen_ = false;
  // The current tag's attribute names once it has many, so that a tag of
  // thousands of attributes is read in linear time, not in their square.
  std::unordered_set<std::string> attributeNames_;
  RawTextElement rawText_ = RawTextElement::kNone;  // the one whose end tag ends the raw text
  bool noCommentEnd_ = false;        // no "-->" after some earlier point
  bool noRawTextEnd_[kRawTextElementCount] = {};  // no end tag of that element ahead
};

// Appends the character `codePoint` to GBK `out` ('?' when GBK lacks it).
void AppendCodePoint(std::string& out, unsigned codePoint);

}  // namespace html
