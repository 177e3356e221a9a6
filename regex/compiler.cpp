// Pattern text -> syntax tree -> program.
#include <memory>
#include <vector>

#include "core/text.h"
#include "regex/program.h"

namespace regex {
namespace {

// Deeper nesting of groups is refused: the parser and the compiler recurse
// along the nesting (never along the subject).
constexpr int kMaxNesting = 100;

struct Node {
  enum Kind {
    kEmpty, kChar, kAny, kClass, kBol, kEol, kWordBoundary, kNotWordBoundary,
    kGroup, kConcat, kAlt, kRepeat, kBackref, kLook,
  };
  explicit Node(Kind k) : kind(k) {}
  Kind kind;
  Char ch = 0;
  int cls = -1;
  int group = 0;  // kGroup: capture number or 0; kBackref: group number
  std::uint32_t min = 0, max = 0;
  bool greedy = true;
  bool negative = false;
  std::vector<std::unique_ptr<Node>> kids;
};
using NodePtr = std::unique_ptr<Node>;

int HexValue(unsigned char c) { return core::HexDigitValue(char(c)); }

class Parser {
 public:
  Parser(std::string_view pattern, Program& program)
      : s_(reinterpret_cast<const unsigned char*>(pattern.data())),
        n_(pattern.size()),
        program_(program) {}

  NodePtr Parse() {
    totalGroups_ = CountGroups();
    NodePtr root = ParseDisjunction(0);
    if (!root || pos_ != n_) return nullptr;
    program_.groups = groupCount_;
    return root;
  }

 private:
  bool AtEnd() const { return pos_ >= n_; }
  unsigned char Peek(size_t ahead = 0) const { return pos_ + ahead < n_ ? s_[pos_ + ahead] : 0; }
  Char NextChar() {
    size_t length;
    const Char c = DecodeAt(s_, n_, pos_, length);
    pos_ += length;
    return c;
  }

  // Capturing groups of the whole pattern, so that \N can tell a
  // backreference (also a forward one) from an octal escape.
  int CountGroups() const {
    int count = 0;
    bool inClass = false;
    for (size_t i = 0; i < n_;) {
      const unsigned char c = s_[i];
      if (c >= 0x80) {
        i += core::Gb18030CharLength(s_ + i, s_ + n_);
      } else if (c == '\\') {
        i += i + 1 < n_ ? 1 + core::Gb18030CharLength(s_ + i + 1, s_ + n_) : 1;
      } else if (inClass) {
        if (c == ']') inClass = false;
        ++i;
      } else {
        if (c == '[') inClass = true;
        if (c == '(' && !(i + 1 < n_ && s_[i + 1] == '?')) ++count;
        ++i;
      }
    }
    return count;
  }

  int NewClass() {
    program_.classes.emplace_back();
    return int(program_.classes.size()) - 1;
  }

  NodePtr ParseDisjunction(int depth) {
    if (depth > kMaxNesting) return nullptr;
    NodePtr first = ParseAlternative(depth);
    if (!first) return nullptr;
    if (AtEnd() || Peek() != '|') return first;
    auto alt = std::make_unique<Node>(Node::kAlt);
    alt->kids.push_back(std::move(first));
    while (!AtEnd() && Peek() == '|') {
      ++pos_;
      NodePtr next = ParseAlternative(depth);
      if (!next) return nullptr;
      alt->kids.push_back(std::move(next));
    }
    return alt;
  }

  NodePtr ParseAlternative(int depth) {
    auto concat = std::make_unique<Node>(Node::kConcat);
    while (!AtEnd() && Peek() != '|' && Peek() != ')') {
      NodePtr term = ParseTerm(depth);
      if (!term) return nullptr;
      concat->kids.push_back(std::move(term));
    }
    return concat;
  }

  NodePtr ParseTerm(int depth) {
    const unsigned char c = Peek();
    NodePtr atom;
    bool quantifiable = true;
    if (c == '^' || c == '$') {
      ++pos_;
      atom = std::make_unique<Node>(c == '^' ? Node::kBol : Node::kEol);
      quantifiable = false;
    } else if (c == '\\' && (Peek(1) == 'b' || Peek(1) == 'B')) {
      atom = std::make_unique<Node>(Peek(1) == 'b' ? Node::kWordBoundary : Node::kNotWordBoundary);
      pos_ += 2;
      quantifiable = false;
    } else {
      atom = ParseAtom(depth);
      if (!atom) return nullptr;
    }
    std::uint32_t min, max;
    size_t save = pos_;
    if (!ReadQuantifier(min, max)) return atom;
    if (!quantifiable) return nullptr;
    bool greedy = true;
    if (!AtEnd() && Peek() == '?') {
      greedy = false;
      ++pos_;
    }
    if (min > max) return nullptr;
    (void)save;
    auto repeat = std::make_unique<Node>(Node::kRepeat);
    repeat->min = min;
    repeat->max = max;
    repeat->greedy = greedy;
    repeat->kids.push_back(std::move(atom));
    // A quantifier right after a quantifier has nothing to repeat.
    if (!AtEnd() && (Peek() == '*' || Peek() == '+' || Peek() == '?')) return nullptr;
    if (!AtEnd() && Peek() == '{') {
      std::uint32_t a, b;
      const size_t here = pos_;
      if (ReadQuantifier(a, b)) return nullptr;
      pos_ = here;
    }
    return repeat;
  }

  static std::uint32_t Saturate(std::uint64_t v) { return v > 1000000000u ? 1000000000u : std::uint32_t(v); }

  // Reads *, +, ?, {n}, {n,}, {n,m}; a "{" that starts none of them is left
  // alone (it is then an ordinary character).
  bool ReadQuantifier(std::uint32_t& min, std::uint32_t& max) {
    if (AtEnd()) return false;
    const unsigned char c = Peek();
    if (c == '*') { ++pos_; min = 0; max = kUnbounded; return true; }
    if (c == '+') { ++pos_; min = 1; max = kUnbounded; return true; }
    if (c == '?') { ++pos_; min = 0; max = 1; return true; }
    if (c != '{') return false;
    size_t i = pos_ + 1;
    std::uint64_t a = 0;
    size_t digits = 0;
    while (i < n_ && s_[i] >= '0' && s_[i] <= '9') {
      a = a * 10 + (s_[i] - '0');
      if (a > 0xFFFFFFFFull) a = 0xFFFFFFFFull;
      ++i;
      ++digits;
    }
    if (digits == 0) return false;
    std::uint64_t b = a;
    if (i < n_ && s_[i] == ',') {
      ++i;
      size_t digits2 = 0;
      b = 0;
      while (i < n_ && s_[i] >= '0' && s_[i] <= '9') {
        b = b * 10 + (s_[i] - '0');
        if (b > 0xFFFFFFFFull) b = 0xFFFFFFFFull;
        ++i;
        ++digits2;
      }
      if (digits2 == 0) b = kUnbounded;
    }
    if (i >= n_ || s_[i] != '}') return false;
    pos_ = i + 1;
    min = Saturate(a);
    max = b == kUnbounded ? kUnbounded : Saturate(b);
    if (a > b) {  // reported by the caller through min > max
      min = 1;
      max = 0;
    }
    return true;
  }

  NodePtr CharNode(Char c) {
    auto node = std::make_unique<Node>(Node::kChar);
    node->ch = c;
    return node;
  }

  NodePtr ClassNode(int cls) {
    auto node = std::make_unique<Node>(Node::kClass);
    node->cls = cls;
    return node;
  }

  NodePtr ParseAtom(int depth) {
    const unsigned char c = Peek();
    switch (c) {
      case '.':
        ++pos_;
        return std::make_unique<Node>(Node::kAny);
      case '(': {
        ++pos_;
        NodePtr node;
        if (Peek() == '?') {
          const unsigned char kind = Peek(1);
          if (kind == ':') {
            node = std::make_unique<Node>(Node::kGroup);
          } else if (kind == '=' || kind == '!') {
            node = std::make_unique<Node>(Node::kLook);
            node->negative = kind == '!';
          } else {
            return nullptr;
          }
          pos_ += 2;
        } else {
          node = std::make_unique<Node>(Node::kGroup);
          node->group = ++groupCount_;
        }
        NodePtr inner = ParseDisjunction(depth + 1);
        if (!inner || AtEnd() || Peek() != ')') return nullptr;
        ++pos_;
        node->kids.push_back(std::move(inner));
        return node;
      }
      case ')':
      case '|':
      case '*':
      case '+':
      case '?':
        return nullptr;
      case '{': {
        std::uint32_t a, b;
        const size_t here = pos_;
        if (ReadQuantifier(a, b)) return nullptr;  // nothing to repeat
        pos_ = here + 1;
        return CharNode('{');
      }
      case '[':
        return ParseClass();
      case '\\':
        return ParseEscape();
      default:
        return CharNode(NextChar());
    }
  }

  // \d \D \s \S \w \W as a class; -1 for other letters.
  int ShorthandClass(unsigned char letter) {
    CharClass set;
    switch (letter) {
      case 'd': case 'D':
        for (Char c = '0'; c <= '9'; ++c) set.Add(c);
        break;
      case 's': case 'S':
        for (Char c : {' ', '\f', '\n', '\r', '\t', '\v'}) set.Add(c);
        break;
      case 'w': case 'W':
        for (Char c = 0; c < 0x80; ++c) {
          if (IsWordChar(c)) set.Add(c);
        }
        break;
      default:
        return -1;
    }
    if (letter == 'D' || letter == 'S' || letter == 'W') set.Negate();
    const int index = NewClass();
    program_.classes[index] = std::move(set);
    return index;
  }

  // After the backslash: a character escape, or -1 when it is not one (the
  // caller handles class shorthands and backreferences first). Advances.
  Char CharacterEscape(bool inClass) {
    const unsigned char c = Peek();
    switch (c) {
      case 'f': ++pos_; return '\f';
      case 'n': ++pos_; return '\n';
      case 'r': ++pos_; return '\r';
      case 't': ++pos_; return '\t';
      case 'v': ++pos_; return '\v';
      case 'b':
        if (inClass) { ++pos_; return '\b'; }
        break;
      case 'c': {
        const unsigned char x = Peek(1);
        if (IsAsciiLetter(x)) {
          pos_ += 2;
          return x % 32;
        }
        return '\\';  // "\c" without a letter: the backslash is literal
      }
      case 'x': {
        const int h1 = HexValue(Peek(1)), h2 = HexValue(Peek(2));
        if (pos_ + 2 < n_ && h1 >= 0 && h2 >= 0) {
          pos_ += 3;
          return GbkFromUnicode(std::uint16_t(h1 * 16 + h2));
        }
        ++pos_;
        return 'x';
      }
      case 'u': {
        int value = 0;
        bool ok = pos_ + 4 < n_;
        for (int k = 1; ok && k <= 4; ++k) {
          const int h = HexValue(Peek(k));
          if (h < 0) ok = false;
          value = value * 16 + h;
        }
        if (ok) {
          pos_ += 5;
          return GbkFromUnicode(std::uint16_t(value));
        }
        ++pos_;
        return 'u';
      }
      default:
        break;
    }
    if (c >= '0' && c <= '7') {
      // Octal: up to three digits, at most 0377.
      int value = 0, digits = 0;
      while (digits < 3 && Peek() >= '0' && Peek() <= '7' && value * 8 + (Peek() - '0') <= 0377) {
        value = value * 8 + (Peek() - '0');
        ++pos_;
        ++digits;
      }
      return GbkFromUnicode(std::uint16_t(value));
    }
    return NextChar();  // identity escape: \/ \= \& \. and the like
  }

  NodePtr ParseEscape() {
    ++pos_;  // the backslash
    if (AtEnd()) return nullptr;
    const unsigned char c = Peek();
    const int shorthand = ShorthandClass(c);
    if (shorthand >= 0) {
      ++pos_;
      return ClassNode(shorthand);
    }
    if (c >= '1' && c <= '9') {
      size_t i = pos_;
      std::uint64_t number = 0;
      while (i < n_ && s_[i] >= '0' && s_[i] <= '9') {
        number = number * 10 + (s_[i] - '0');
        if (number > 100000) number = 100000;
        ++i;
      }
      if (number <= std::uint64_t(totalGroups_)) {
        pos_ = i;
        auto node = std::make_unique<Node>(Node::kBackref);
        node->group = int(number);
        return node;
      }
      if (c >= '8') {  // not octal: the digit itself
        ++pos_;
        return CharNode(c);
      }
    }
    return CharNode(CharacterEscape(false));
  }

  NodePtr ParseClass() {
    ++pos_;  // [
    bool negate = false;
    if (Peek() == '^' && !AtEnd()) {
      negate = true;
      ++pos_;
    }
    CharClass set;
    for (;;) {
      if (AtEnd()) return nullptr;
      if (Peek() == ']') {
        ++pos_;
        break;
      }
      int shorthand = -1;
      Char low = ClassAtom(shorthand);
      if (shorthand >= 0) {
        set.AddClass(program_.classes[shorthand]);
        program_.classes.pop_back();
        continue;
      }
      if (!AtEnd() && Peek() == '-' && pos_ + 1 < n_ && s_[pos_ + 1] != ']') {
        const size_t here = pos_;
        ++pos_;
        int shorthand2 = -1;
        Char high = ClassAtom(shorthand2);
        if (shorthand2 >= 0) {
          // "a-\d": the dash is an ordinary character.
          set.AddClass(program_.classes[shorthand2]);
          program_.classes.pop_back();
          set.Add(low);
          set.Add('-');
          continue;
        }
        (void)here;
        if (low == kNoChar || high == kNoChar) continue;
        const std::uint32_t ulow = UnicodeFromGbk(low), uhigh = UnicodeFromGbk(high);
        if (ulow == kNoUnicode || uhigh == kNoUnicode) {
          if (low > high) return nullptr;
          set.Add(low);
          set.Add(high);
          continue;
        }
        if (ulow > uhigh) return nullptr;
        set.AddUnicodeRange(ulow, uhigh);
        continue;
      }
      if (low != kNoChar) set.Add(low);
    }
    if (program_.ignoreCase) set.FoldCase();
    if (negate) set.Negate();
    const int index = NewClass();
    program_.classes[index] = std::move(set);
    return ClassNode(index);
  }

  // One character of a class, or a shorthand class (its index in
  // `shorthand`, appended to the program's classes for the caller to take).
  Char ClassAtom(int& shorthand) {
    if (Peek() != '\\') return NextChar();
    ++pos_;
    if (AtEnd()) return '\\';
    const unsigned char c = Peek();
    shorthand = ShorthandClass(c);
    if (shorthand >= 0) {
      ++pos_;
      return 0;
    }
    if (c >= '8' && c <= '9') {
      ++pos_;
      return c;
    }
    if (c == 'B') {
      ++pos_;
      return 'B';
    }
    return CharacterEscape(true);
  }

  const unsigned char* s_;
  size_t n_;
  size_t pos_ = 0;
  int groupCount_ = 0;
  int totalGroups_ = 0;
  Program& program_;
};

class Compiler {
 public:
  Compiler(Program& program, bool plain) : p_(program), plain_(plain) {}

  void Compile(const Node& root) {
    Emit(root);
    Add(Op::kMatch);
    for (const CharClass& set : p_.classes) {
      p_.classKinds.push_back(std::uint8_t(set.Kind()));
      ClassStops stops;
      if (!plain_) stops.count = set.MissingAscii(stops.bytes, 4);
      p_.classStops.push_back(stops);
    }
    if (plain_) return;  // anyStart stays true, every kSplit keeps kUnbounded sets
    SetHints();
    Specialise();
    FirstBytes(root);
    SecondBytes(root);
  }

 private:
  size_t Add(Op op) {
    Inst inst;
    inst.op = op;
    if (op == Op::kSplit) inst.c = inst.d = kUnbounded;
    p_.code.push_back(inst);
    return p_.code.size() - 1;
  }
  std::uint32_t Here() const { return std::uint32_t(p_.code.size()); }

  // A class of the characters the node matches when it matches exactly one
  // character; `group` gets the capture it sits in (0 if none). -1 otherwise.
  int SingleClass(const Node& node, int& group) {
    switch (node.kind) {
      case Node::kChar: {
        CharClass set;
        set.Add(node.ch);
        if (p_.ignoreCase) set.FoldCase();
        p_.classes.push_back(std::move(set));
        return int(p_.classes.size()) - 1;
      }
      case Node::kAny: return AnyClass();
      case Node::kClass: return node.cls;
      case Node::kConcat: {
        if (node.kids.size() == 1) return SingleClass(*node.kids[0], group);
        // (?!X)Y with single characters X and Y: one character of Y not in X.
        if (node.kids.size() != 2 || node.kids[0]->kind != Node::kLook ||
            !node.kids[0]->negative) {
          return -1;
        }
        int inner = 0;
        const int excluded = SingleClass(*node.kids[0]->kids[0], inner);
        if (excluded < 0 || inner != 0) return -1;
        const int taken = SingleClass(*node.kids[1], group);
        if (taken < 0) return -1;
        CharClass set(p_.classes[taken]);
        set.Subtract(p_.classes[excluded]);
        p_.classes.push_back(std::move(set));
        return int(p_.classes.size()) - 1;
      }
      case Node::kGroup: {
        if (node.group != 0) {
          if (group != 0) return -1;
          group = node.group;
        }
        return SingleClass(*node.kids[0], group);
      }
      case Node::kAlt: {
        CharClass set;
        for (const auto& kid : node.kids) {
          int inner = 0;
          const int cls = SingleClass(*kid, inner);
          if (cls < 0 || inner != 0) return -1;
          set.AddClass(p_.classes[cls]);
        }
        p_.classes.push_back(std::move(set));
        return int(p_.classes.size()) - 1;
      }
      default:
        return -1;
    }
  }

  int AnyClass() {
    if (anyClass_ < 0) {
      CharClass set;
      set.Add('\n');
      set.Negate();
      p_.classes.push_back(std::move(set));
      anyClass_ = int(p_.classes.size()) - 1;
    }
    return anyClass_;
  }

  static bool Nullable(const Node& node) {
    switch (node.kind) {
      case Node::kChar: case Node::kAny: case Node::kClass: return false;
      case Node::kGroup: return Nullable(*node.kids[0]);
      case Node::kConcat:
        for (const auto& kid : node.kids) {
          if (!Nullable(*kid)) return false;
        }
        return true;
      case Node::kAlt:
        for (const auto& kid : node.kids) {
          if (Nullable(*kid)) return true;
        }
        return false;
      case Node::kRepeat: return node.min == 0 || Nullable(*node.kids[0]);
      default: return true;
    }
  }

  void EmitChar(Char c) {
    if (p_.ignoreCase && IsAsciiLetter(c)) {
      p_.code[Add(Op::kCharFold)].a = FoldAscii(c);
    } else {
      p_.code[Add(c < 0x80 ? Op::kByte : Op::kChar)].a = c;
    }
  }

  // A run of literal characters as one string instruction.
  void EmitString(const std::vector<Char>& chars) {
    if (chars.size() == 1) {
      EmitChar(chars[0]);
      return;
    }
    bool folded = false;
    const size_t offset = p_.literals.size();
    for (Char c : chars) {
      if (c >= 0x100) {
        char bytes[4];
        const size_t k = EncodeChar(c, bytes);
        p_.literals.append(bytes, k);
        p_.foldMask.append(k, '\0');
      } else if (p_.ignoreCase && IsAsciiLetter(c)) {
        p_.literals.push_back(char(FoldAscii(c)));
        p_.foldMask.push_back('\1');
        folded = true;
      } else {
        p_.literals.push_back(char(c));
        p_.foldMask.push_back('\0');
      }
    }
    const size_t at = Add(folded ? Op::kStringFold : Op::kString);
    p_.code[at].a = std::uint32_t(offset);
    p_.code[at].b = std::uint32_t(p_.literals.size() - offset);
  }

  void Emit(const Node& node) {
    switch (node.kind) {
      case Node::kEmpty: break;
      case Node::kChar: EmitChar(node.ch); break;
      case Node::kAny: Add(Op::kAny); break;
      case Node::kClass: p_.code[Add(Op::kClass)].a = node.cls; break;
      case Node::kBol: Add(Op::kBol); break;
      case Node::kEol: Add(Op::kEol); break;
      case Node::kWordBoundary: Add(Op::kWordBoundary); break;
      case Node::kNotWordBoundary: Add(Op::kNotWordBoundary); break;
      case Node::kBackref: p_.code[Add(Op::kBackref)].a = node.group; break;
      case Node::kGroup:
        if (node.group) p_.code[Add(Op::kSave)].a = 2 * node.group;
        Emit(*node.kids[0]);
        if (node.group) p_.code[Add(Op::kSave)].a = 2 * node.group + 1;
        break;
      case Node::kConcat: {
        std::vector<Char> run;
        for (const auto& kid : node.kids) {
          // Characters without bytes (kNoChar) and lone high bytes stay single.
          if (kid->kind == Node::kChar && kid->ch != kNoChar && !(kid->ch >= 0x80 && kid->ch < 0x100)) {
            run.push_back(kid->ch);
            continue;
          }
          if (!run.empty()) EmitString(run);
          run.clear();
          Emit(*kid);
        }
        if (!run.empty()) EmitString(run);
        break;
      }
      case Node::kAlt: {
        std::vector<size_t> jumps;
        for (size_t i = 0; i < node.kids.size(); ++i) {
          if (i + 1 < node.kids.size()) {
            const size_t split = Add(Op::kSplit);
            p_.code[split].a = Here();
            p_.code[split].c = StartSet(node.kids.begin() + i, node.kids.begin() + i + 1);
            p_.code[split].d = StartSet(node.kids.begin() + i + 1, node.kids.end());
            Emit(*node.kids[i]);
            jumps.push_back(Add(Op::kJump));
            p_.code[split].b = Here();
          } else {
            Emit(*node.kids[i]);
          }
        }
        for (size_t j : jumps) p_.code[j].a = Here();
        break;
      }
      case Node::kLook: {
        const size_t look = Add(Op::kLookahead);
        p_.code[look].a = node.negative ? 1 : 0;
        Emit(*node.kids[0]);
        Add(Op::kLookEnd);
        p_.code[look].b = Here();
        break;
      }
      case Node::kRepeat: EmitRepeat(node); break;
    }
  }

  void EmitRepeat(const Node& node) {
    if (node.max == 0) return;
    const Node& body = *node.kids[0];
    int group = 0;
    const int cls = SingleClass(body, group);
    if (cls >= 0) {
      const size_t at = Add(Op::kCharLoop);
      Inst& inst = p_.code[at];
      inst.a = cls;
      inst.c = node.min;
      inst.d = node.max;
      inst.e = group;
      inst.greedy = node.greedy;
      return;
    }
    if (node.min == 1 && node.max == 1) {
      Emit(body);
      return;
    }
    const bool nullable = Nullable(body);
    if (node.min == 0 && node.max == kUnbounded) {
      // x*: no counter needed.
      const std::uint32_t loop = Here();
      const size_t split = Add(Op::kSplit);
      int mark = -1;
      if (nullable) {
        mark = p_.positions++;
        p_.code[Add(Op::kMarkPos)].a = mark;
      }
      const std::uint32_t bodyStart = nullable ? loop + 1 : Here();
      Emit(body);
      if (nullable) {
        const size_t check = Add(Op::kCheckPos);
        p_.code[check].a = mark;
        p_.code[check].b = 0xFFFFFFFFu;
      }
      p_.code[Add(Op::kJump)].a = loop;
      const std::uint32_t exit = Here();
      const std::uint32_t bodySet = StartSet(node.kids.begin(), node.kids.end());
      if (node.greedy) {
        p_.code[split].a = bodyStart;
        p_.code[split].b = exit;
        p_.code[split].c = bodySet;
      } else {
        p_.code[split].a = exit;
        p_.code[split].b = loop + 1;
        p_.code[split].d = bodySet;
      }
      return;
    }
    const int counter = p_.counters++;
    p_.code[Add(Op::kRepeatInit)].a = counter;
    const std::uint32_t loop = Here();
    const size_t test = Add(Op::kRepeatTest);
    int mark = -1;
    if (nullable) {
      mark = p_.positions++;
      p_.code[Add(Op::kMarkPos)].a = mark;
    }
    Emit(body);
    if (nullable) {
      const size_t check = Add(Op::kCheckPos);
      p_.code[check].a = mark;
      p_.code[check].b = counter;
      p_.code[check].c = node.min;
    }
    const size_t inc = Add(Op::kRepeatInc);
    p_.code[inc].a = counter;
    p_.code[inc].c = node.min;
    p_.code[inc].d = node.max;
    p_.code[Add(Op::kJump)].a = loop;
    Inst& t = p_.code[test];
    t.a = counter;
    t.b = Here();
    t.c = node.min;
    t.d = node.max;
    t.greedy = node.greedy;
  }

  // A character loop followed by a literal learns the literal's first byte:
  // it then only stops where that byte stands.
  void SetHints() {
    for (size_t i = 0; i + 1 < p_.code.size(); ++i) {
      Inst& inst = p_.code[i];
      if (inst.op != Op::kCharLoop) continue;
      const Inst& next = p_.code[i + 1];
      if ((next.op == Op::kChar || next.op == Op::kByte) && next.a != kNoChar) {
        inst.f = FirstByteOf(next.a);
      } else if (next.op == Op::kString) {
        inst.f = static_cast<unsigned char>(p_.literals[next.a]);
      }
    }
  }

  // Character loops without a capture whose form allows it run as one of the
  // lighter instructions.
  void Specialise() {
    for (Inst& inst : p_.code) {
      if (inst.op != Op::kCharLoop || inst.e != 0) continue;
      if (!inst.greedy) {
        if (inst.c == 0 && inst.d == kUnbounded && inst.f >= 0 && p_.classKinds[inst.a] != 0) {
          inst.op = Op::kLazyTo;
        }
        continue;
      }
      const CharClass& set = p_.classes[inst.a];
      const bool hopeless = inst.f >= 0 && inst.f < 0x80 && !set.Test(Char(inst.f));
      if (inst.d == kUnbounded && inst.c <= 1 && p_.classStops[inst.a].count >= 0 && hopeless) {
        inst.op = Op::kRunLoop;
      } else if (inst.d == kUnbounded && inst.c <= 1 && !set.HasAnyHigh() && hopeless) {
        inst.op = Op::kAsciiRun;
      } else if (inst.c == 0 && inst.d == 1) {
        inst.op = Op::kOptionalChar;
      }
    }
  }

  // The node itself when it is one character or class, seen through
  // single-item sequences and non-capturing groups; else nullptr.
  static const Node* OneCharacter(const Node& node) {
    if (node.kind == Node::kChar || node.kind == Node::kClass) return &node;
    if ((node.kind == Node::kConcat || (node.kind == Node::kGroup && node.group == 0)) &&
        node.kids.size() == 1) {
      return OneCharacter(*node.kids[0]);
    }
    return nullptr;
  }

  // True when a one-character node takes the single-byte character `c`.
  bool Matches(const Node& node, Char c) const {
    if (node.kind == Node::kClass) return p_.classes[node.cls].Test(c);
    if (node.ch == c) return true;
    return p_.ignoreCase && IsAsciiLetter(c) && FoldAscii(node.ch) == FoldAscii(c);
  }

  // Adds the bytes a match of `node` can begin with; true when the node can
  // also match empty (so what follows it counts too).
  bool Firsts(const Node& node, bool* bytes) {
    switch (node.kind) {
      case Node::kChar: {
        const Char c = node.ch;
        if (c == kNoChar) return false;
        if (c >= 0x100) {
          bytes[FirstByteOf(c)] = true;
        } else {
          bytes[c] = true;
          if (p_.ignoreCase && IsAsciiLetter(c)) bytes[c ^ 0x20] = true;
        }
        return false;
      }
      case Node::kAny:
        for (int b = 0; b < 256; ++b) bytes[b] = bytes[b] || b != '\n';
        return false;
      case Node::kClass:
        p_.classes[node.cls].FirstBytes(bytes);
        return false;
      case Node::kGroup:
        return Firsts(*node.kids[0], bytes);
      case Node::kConcat: {
        // After (?!X) with X one character, a one-byte character of X cannot
        // begin what follows.
        const Node* excluded = nullptr;
        for (const auto& kid : node.kids) {
          if (kid->kind == Node::kLook && kid->negative) {
            excluded = OneCharacter(*kid->kids[0]);
            continue;
          }
          bool own[256] = {};
          const bool nullable = Firsts(*kid, own);
          for (int b = 0; b < 256; ++b) {
            if (own[b] && !(excluded && b < 0x80 && Matches(*excluded, Char(b)))) bytes[b] = true;
          }
          if (!nullable) return false;
          if (kid->kind != Node::kBol && kid->kind != Node::kEol) excluded = nullptr;
        }
        return true;
      }
      case Node::kAlt: {
        bool nullable = false;
        for (const auto& kid : node.kids) nullable = Firsts(*kid, bytes) || nullable;
        return nullable;
      }
      case Node::kRepeat: {
        const bool inner = Firsts(*node.kids[0], bytes);
        return inner || node.min == 0;
      }
      case Node::kBackref:
        unknownStart_ = true;
        return true;
      case Node::kBol:
        return !bolBlocks_;  // see LineStartFirsts
      default:  // assertions and lookaheads consume nothing
        return true;
    }
  }

  // The start byte set (see Program::startSets) of the nodes tried one
  // after the other as alternatives.
  template <typename It>
  std::uint32_t StartSet(It begin, It end) {
    if (plain_) return kUnbounded;
    bool bytes[256] = {};
    const bool saved = unknownStart_;
    unknownStart_ = false;
    bool open = false;
    for (It it = begin; it != end; ++it) open = Firsts(**it, bytes) || open;
    const bool unknown = unknownStart_;
    unknownStart_ = saved;
    if (open || unknown) return kUnbounded;
    const std::uint32_t at = std::uint32_t(p_.startSets.size());
    p_.startSets.resize(at + 4, 0);
    for (int b = 0; b < 256; ++b) {
      if (bytes[b]) p_.startSets[at + (b >> 6)] |= std::uint64_t(1) << (b & 63);
    }
    return at;
  }

  void FirstBytes(const Node& root) {
    bool bytes[256] = {};
    const bool nullable = Firsts(root, bytes);
    p_.anyStart = nullable || unknownStart_;
    if (p_.anyStart) return;
    int count = 0, last = -1;
    for (int b = 0; b < 256; ++b) {
      p_.firstBytes[b] = bytes[b];
      if (bytes[b]) {
        ++count;
        last = b;
      }
    }
    p_.singleFirstByte = count == 1 ? last : -1;
    if (count <= 4) {
      p_.fewFirstBytes = count;
      int k = 0;
      for (int b = 0; b < 256; ++b) {
        if (bytes[b]) p_.firstByteList[k++] = static_cast<unsigned char>(b);
      }
    }
    if (!p_.code.empty() && p_.code[0].op == Op::kString) {
      p_.prefix.assign(p_.literals, p_.code[0].a, p_.code[0].b);
    }
    LineStartFirsts(root);
    bool eol[256] = {}, free[256] = {};
    EolFirsts(root, eol, free);
    for (int b = 0; b < 0x80; ++b) {
      p_.lineEndAfterFirst[b] = p_.firstBytes[b] && eol[b] && !free[b];
      p_.anyLineEndAfterFirst = p_.anyLineEndAfterFirst || p_.lineEndAfterFirst[b];
    }
    p_.decidedByFirst = DecidedByFirst(root);
  }

  // True when every match is one ASCII character that only the line
  // anchors around it qualify: the pattern is a choice among [^]X[$] with X
  // one character or a class of ASCII characters, and no byte begins two of
  // them. The first-byte checks then decide a match on their own.
  bool DecidedByFirst(const Node& root) {
    if (p_.groups != 0) return false;
    const Node* node = &root;
    while ((node->kind == Node::kConcat || (node->kind == Node::kGroup && node->group == 0)) &&
           node->kids.size() == 1) {
      node = node->kids[0].get();
    }
    std::vector<const Node*> choices;
    if (node->kind == Node::kAlt) {
      for (const auto& kid : node->kids) choices.push_back(kid.get());
    } else {
      choices.push_back(node);
    }
    bool taken[256] = {};
    for (const Node* choice : choices) {
      std::vector<const Node*> items;
      if (choice->kind == Node::kConcat) {
        for (const auto& kid : choice->kids) items.push_back(kid.get());
      } else {
        items.push_back(choice);
      }
      size_t i = 0;
      if (i < items.size() && items[i]->kind == Node::kBol) ++i;
      if (i >= items.size()) return false;
      const Node* one = OneCharacter(*items[i]);
      if (!one) return false;
      if (one->kind == Node::kChar ? (one->ch >= 0x80) : p_.classes[one->cls].HasAnyHigh()) return false;
      ++i;
      if (i < items.size() && items[i]->kind == Node::kEol) ++i;
      if (i != items.size()) return false;
      bool bytes[256] = {};
      Firsts(*one, bytes);
      for (int b = 0; b < 256; ++b) {
        if (!bytes[b]) continue;
        if (taken[b]) return false;
        taken[b] = true;
      }
    }
    return true;
  }

  // As Firsts, with the first bytes of the paths that take one ASCII
  // character and then assert a line end ("\n$") in `eol`, all others in
  // `free`. Nodes it does not look into go to `free` whole.
  bool EolFirsts(const Node& node, bool* eol, bool* free) {
    switch (node.kind) {
      case Node::kGroup:
        return EolFirsts(*node.kids[0], eol, free);
      case Node::kAlt: {
        bool nullable = false;
        for (const auto& kid : node.kids) nullable = EolFirsts(*kid, eol, free) || nullable;
        return nullable;
      }
      case Node::kConcat:
        for (size_t i = 0; i < node.kids.size(); ++i) {
          const Node& kid = *node.kids[i];
          if (OneCharacter(kid) && i + 1 < node.kids.size() && node.kids[i + 1]->kind == Node::kEol) {
            bool bytes[256] = {};
            Firsts(kid, bytes);
            for (int b = 0; b < 256; ++b) {
              if (bytes[b]) (b < 0x80 ? eol : free)[b] = true;
            }
            return false;
          }
          if (!EolFirsts(kid, eol, free)) return false;
        }
        return true;
      default:
        return Firsts(node, free);
    }
  }

  // The first bytes that begin a match only after a line-start assertion
  // ("^\r" in "(?:^\r|\n$)"): the first bytes that remain when "^" lets
  // nothing through are the others.
  void LineStartFirsts(const Node& root) {
    bool free[256] = {};
    bolBlocks_ = true;
    Firsts(root, free);
    bolBlocks_ = false;
    for (int b = 0; b < 256; ++b) {
      p_.lineStartFirst[b] = p_.firstBytes[b] && !free[b];
      p_.anyLineStartFirst = p_.anyLineStartFirst || p_.lineStartFirst[b];
    }
  }

  // For a pattern that is a sequence beginning with one ASCII character:
  // the bytes the rest of the sequence can begin with, when the rest cannot
  // match empty.
  void SecondBytes(const Node& root) {
    if (p_.anyStart || root.kind != Node::kConcat || root.kids.size() < 2) return;
    const Node& first = *root.kids[0];
    if (first.kind != Node::kChar || first.ch == kNoChar || first.ch >= 0x80) return;
    bool bytes[256] = {};
    const bool unknownBefore = unknownStart_;
    bool nullable = true;
    for (size_t i = 1; i < root.kids.size() && nullable; ++i) nullable = Firsts(*root.kids[i], bytes);
    const bool unknown = unknownStart_ && !unknownBefore;
    unknownStart_ = unknownBefore;
    if (nullable || unknown) return;
    p_.hasSecondBytes = true;
    int taken = 0, runs = 0;
    for (int b = 0; b < 256; ++b) {
      p_.secondBytes[b] = bytes[b];
      if (!bytes[b]) continue;
      ++taken;
      if (b > 0 && bytes[b - 1]) continue;
      int end = b;
      while (end + 1 < 256 && bytes[end + 1]) ++end;
      if (runs < 3) {
        p_.secondRuns.low[runs] = static_cast<unsigned char>(b);
        p_.secondRuns.span[runs] = static_cast<unsigned char>(end - b);
      }
      ++runs;
    }
    if (p_.fewFirstBytes > 0 && runs <= 3 && taken <= 128) p_.secondRuns.count = runs;
  }

  Program& p_;
  const bool plain_;
  bool bolBlocks_ = false;  // Firsts lets nothing through "^"
  int anyClass_ = -1;
  bool unknownStart_ = false;
};

}  // namespace

bool CompilePattern(std::string_view pattern, bool ignoreCase, bool multiline, Program& out,
                    bool plain) {
  out = Program();
  out.ignoreCase = ignoreCase;
  out.multiline = multiline;
  Parser parser(pattern, out);
  NodePtr root = parser.Parse();
  if (!root) {
    out = Program();
    return false;
  }
  Compiler(out, plain).Compile(*root);
  return true;
}

}  // namespace regex
