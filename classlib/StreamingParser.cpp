#include "StreamingParser.hpp"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "Streaming.hpp"

namespace streaming_detail {

std::string Located(const std::string& message, const std::string& source, int line) {
  std::string where = source.empty() ? "" : source + ", ";
  return message + " (" + where + "line " + std::to_string(line) + ")";
}

bool TextString::Wide() const {
  for (const Part& p : Parts)
    if (p.IsCode && p.Code > 127) return true;
  return false;
}

AnsiString TextString::ToAnsi() const {
  // Runs of codes are converted together, so that surrogate pairs stay whole.
  AnsiString result;
  WideString run;
  for (const Part& p : Parts) {
    if (p.IsCode) {
      run += static_cast<wchar_t>(p.Code);
      continue;
    }
    result += WideToAnsi(run) + p.Bytes;
    run.clear();
  }
  return result + WideToAnsi(run);
}

WideString TextString::ToWide() const {
  WideString result;
  for (const Part& p : Parts) {
    if (p.IsCode)
      result += static_cast<wchar_t>(p.Code);
    else
      result += AnsiToWide(p.Bytes);
  }
  return result;
}

namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c) || c == '.'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Objects and lists nest by recursion; hostile nesting must end in a read
// error, not a stack overflow. Real forms nest a few levels deep.
constexpr int kMaxNesting = 100;

class Parser {
 public:
  Parser(const std::string& text, const std::string& source) : s_(text), source_(source) {
    // A form file saved as UTF-8 with a byte-order mark has UTF-8 text
    // between its quotes; without the mark the text is in the ANSI code page.
    if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      pos_ = 3;
      utf8_ = true;
    }
  }

  TextObject ParseRoot() {
    SkipBlanks();
    TextObject root = ParseObject();
    SkipBlanks();
    if (!AtEnd()) Fail("End of file expected");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& message) { FailAt(message, line_); }
  [[noreturn]] void FailAt(const std::string& message, int line) {
    throw EReadError(Located(message, source_, line));
  }

  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

  // CR LF, LF and a CR alone each end a line.
  void SkipBlanks() {
    while (!AtEnd()) {
      char c = s_[pos_];
      if (c == '\n' || (c == '\r' && (pos_ + 1 >= s_.size() || s_[pos_ + 1] != '\n'))) ++line_;
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
      ++pos_;
    }
  }

  // Counts one level of nesting for the length of a scope.
  class NestingLevel {
   public:
    explicit NestingLevel(Parser& parser) : parser_(parser) {
      if (++parser_.depth_ > kMaxNesting) parser_.Fail("Nesting too deep");
    }
    ~NestingLevel() { --parser_.depth_; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

   private:
    Parser& parser_;
  };
  void SkipSpaces() {
    while (!AtEnd() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }

  void Expect(char c, const char* what) {
    SkipBlanks();
    if (Peek() != c) Fail(std::string("'") + what + "' expected");
    ++pos_;
  }

  std::string ReadIdent(const char* what) {
    SkipBlanks();
    if (!IsIdentStart(Peek())) Fail(std::string(what) + " expected");
    size_t start = pos_;
    while (!AtEnd() && IsIdentChar(s_[pos_])) ++pos_;
    return s_.substr(start, pos_ - start);
  }

  // The next word without consuming it, "" when none.
  std::string PeekWord() {
    SkipBlanks();
    size_t p = pos_;
    while (p < s_.size() && IsIdentChar(s_[p])) ++p;
    return s_.substr(pos_, p - pos_);
  }

  TextObject ParseObject() {
    NestingLevel level(*this);
    TextObject obj;
    obj.Line = line_;
    std::string keyword = ReadIdent("'object'");
    if (SameText(keyword, "inherited"))
      obj.Inherited = true;
    else if (!SameText(keyword, "object") && !SameText(keyword, "inline"))
      Fail("'object' expected");
    std::string first = ReadIdent("Object name");
    SkipSpaces();
    if (Peek() == ':') {
      ++pos_;
      obj.Name = first;
      // The class name is on the same line: "end" below is not one.
      SkipSpaces();
      if (!IsIdentStart(Peek())) Fail("Class name expected");
      obj.ClassName = ReadIdent("Class name");
    } else {
      obj.ClassName = first;  // an object without a name
    }
    SkipSpaces();
    if (Peek() == '[') {  // the creation order index of inline frames; not used
      while (!AtEnd() && Peek() != ']' && Peek() != '\n') ++pos_;
      Expect(']', "]");
    }
    ParseBody(obj);
    return obj;
  }

  void ParseBody(TextObject& obj) {
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("'end' expected for " + (obj.Name.empty() ? obj.ClassName : obj.Name) +
                        " (begun at line " + std::to_string(obj.Line) + ")");
      std::string word = PeekWord();
      if (SameText(word, "end")) {
        pos_ += word.size();
        return;
      }
      if (SameText(word, "object") || SameText(word, "inherited") || SameText(word, "inline")) {
        obj.Children.push_back(ParseObject());
        continue;
      }
      TextProperty prop;
      prop.Line = line_;
      prop.Name = ReadIdent("Property name");
      Expect('=', "=");
      SkipBlanks();
      prop.Value = ParseValue();
      obj.Properties.push_back(std::move(prop));
    }
  }

  TextValue ParseValue() {
    SkipBlanks();
    TextValue v;
    v.Line = line_;
    char c = Peek();
    if (c == '\'' || c == '#') {
      v.kind = TextValue::Kind::String;
      v.String = ParseString();
    } else if (c == '-' || c == '+' || c == '$' || IsDigit(c)) {
      ParseNumber(v);
    } else if (c == '[') {
      v.kind = TextValue::Kind::Set;
      ParseSet(v);
    } else if (c == '(') {
      v.kind = TextValue::Kind::List;
      ParseList(v);
    } else if (c == '{') {
      v.kind = TextValue::Kind::Binary;
      ParseBinary(v);
    } else if (c == '<') {
      Fail("Collections are not supported");
    } else if (IsIdentStart(c)) {
      v.kind = TextValue::Kind::Ident;
      v.Ident = ReadIdent("Identifier");
    } else {
      Fail(AtEnd() ? "Value expected" : std::string("Invalid character '") + c + "'");
    }
    return v;
  }

  TextString ParseString() {
    TextString str;
    for (;;) {
      char c = Peek();
      if (c == '\'' && utf8_) {
        for (unsigned unit : Utf16Units(ParseQuoted())) str.Parts.push_back({true, {}, unit});
      } else if (c == '\'') {
        str.Parts.push_back({false, ParseQuoted(), 0});
      } else if (c == '#') {
        str.Parts.push_back({true, {}, ParseCharCode()});
      } else {
        // "+" continues the string on the next line.
        size_t savePos = pos_;
        int saveLine = line_;
        SkipBlanks();
        if (Peek() != '+') {
          pos_ = savePos;
          line_ = saveLine;
          return str;
        }
        ++pos_;
        SkipBlanks();
        if (Peek() != '\'' && Peek() != '#') Fail("String expected after '+'");
      }
    }
  }

  std::string ParseQuoted() {
    ++pos_;  // opening quote
    std::string bytes;
    for (;;) {
      if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail("Unterminated string");
      char c = s_[pos_++];
      if (c != '\'') {
        bytes += c;
      } else if (Peek() == '\'') {
        bytes += '\'';
        ++pos_;
      } else {
        return bytes;
      }
    }
  }

  std::vector<unsigned> Utf16Units(const std::string& bytes) {
    std::vector<unsigned> units;
    for (size_t i = 0; i < bytes.size();) {
      auto lead = static_cast<unsigned char>(bytes[i]);
      int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
      if (extra < 0 || i + static_cast<size_t>(extra) >= bytes.size()) Fail("Invalid UTF-8 text");
      unsigned cp = extra == 0 ? lead : lead & (0x3F >> extra);
      for (int k = 1; k <= extra; ++k) {
        auto next = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80) Fail("Invalid UTF-8 text");
        cp = (cp << 6) | (next & 0x3F);
      }
      i += static_cast<size_t>(extra) + 1;
      static const unsigned kShortest[] = {0, 0x80, 0x800, 0x10000};
      if (cp < kShortest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) Fail("Invalid UTF-8 text");
      if (cp >= 0x10000) {
        units.push_back(0xD800 + ((cp - 0x10000) >> 10));
        units.push_back(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        units.push_back(cp);
      }
    }
    return units;
  }

  unsigned ParseCharCode() {
    ++pos_;  // '#'
    bool hex = Peek() == '$';
    if (hex) ++pos_;
    unsigned code = 0;
    size_t start = pos_;
    while (!AtEnd() && (hex ? HexValue(Peek()) >= 0 : IsDigit(Peek()))) {
      code = code * (hex ? 16 : 10) + static_cast<unsigned>(hex ? HexValue(Peek()) : Peek() - '0');
      if (code > 0xFFFF) Fail("Character code out of range");
      ++pos_;
    }
    if (pos_ == start) Fail("Character code expected");
    return code;
  }

  void ParseNumber(TextValue& v) {
    size_t start = pos_;
    bool negative = false;
    if (Peek() == '-' || Peek() == '+') negative = s_[pos_++] == '-';
    if (Peek() == '$') {
      ++pos_;
      std::uint64_t value = 0;
      size_t digits = pos_;
      while (!AtEnd() && HexValue(Peek()) >= 0) {
        if (pos_ - digits >= 16) Fail("Integer value out of range");
        value = value * 16 + static_cast<unsigned>(HexValue(s_[pos_++]));
      }
      if (pos_ == digits) Fail("Hexadecimal number expected");
      // $FFFFFFFF is -1 as in the 32-bit integers it was written from; with a
      // sign the digits are the magnitude, so -$80000000 is the lowest 32-bit
      // value.
      v.kind = TextValue::Kind::Integer;
      if (negative) {
        if (value > (std::uint64_t(1) << 63)) Fail("Integer value out of range");
        v.Integer = value == (std::uint64_t(1) << 63) ? std::numeric_limits<Int64>::min()
                                                       : -static_cast<Int64>(value);
      } else {
        v.Integer = value <= 0xFFFFFFFFULL ? static_cast<std::int32_t>(value) : static_cast<Int64>(value);
      }
      CheckNumberEnd();
      return;
    }
    bool isFloat = false;
    while (!AtEnd() && IsDigit(Peek())) ++pos_;
    if (Peek() == '.' && pos_ + 1 < s_.size() && IsDigit(s_[pos_ + 1])) {
      isFloat = true;
      ++pos_;
      while (!AtEnd() && IsDigit(Peek())) ++pos_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      isFloat = true;
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!IsDigit(Peek())) Fail("Invalid number");
      while (!AtEnd() && IsDigit(Peek())) ++pos_;
    }
    std::string text = s_.substr(start, pos_ - start);
    if (text == "-" || text == "+") Fail("Number expected");
    errno = 0;
    if (isFloat) {
      v.kind = TextValue::Kind::Float;
      v.Float = std::strtod(text.c_str(), nullptr);
    } else {
      v.kind = TextValue::Kind::Integer;
      v.Integer = std::strtoll(text.c_str(), nullptr, 10);
    }
    if (errno == ERANGE) Fail("Number out of range");
    // Float values may carry a type letter: s(ingle), c(urrency), d(ate).
    if (isFloat && (Peek() == 's' || Peek() == 'S' || Peek() == 'c' || Peek() == 'C' ||
                    Peek() == 'd' || Peek() == 'D'))
      ++pos_;
    CheckNumberEnd();
  }

  void CheckNumberEnd() {
    if (IsIdentChar(Peek())) Fail("Invalid number");
  }

  void ParseSet(TextValue& v) {
    ++pos_;  // '['
    SkipBlanks();
    if (Peek() == ']') {
      ++pos_;
      return;
    }
    for (;;) {
      v.Set.push_back(ReadIdent("Set member"));
      SkipBlanks();
      if (Peek() == ']') {
        ++pos_;
        return;
      }
      Expect(',', ",");
    }
  }

  void ParseList(TextValue& v) {
    NestingLevel level(*this);
    ++pos_;  // '('
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("')' expected");
      if (Peek() == ')') {
        ++pos_;
        return;
      }
      v.List.push_back(ParseValue());
    }
  }

  void ParseBinary(TextValue& v) {
    ++pos_;  // '{'
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("'}' expected");
      char c = s_[pos_++];
      if (c == '}') break;
      int digit = HexValue(c);
      if (digit < 0) Fail("Invalid binary value");
      if (high < 0) {
        high = digit;
      } else {
        v.Binary += static_cast<char>(high * 16 + digit);
        high = -1;
      }
    }
    if (high >= 0) Fail("Odd number of hexadecimal digits in binary value");
  }

  const std::string& s_;
  const std::string& source_;
  size_t pos_ = 0;
  int line_ = 1;
  int depth_ = 0;
  bool utf8_ = false;
};

}  // namespace

TextObject ParseFormText(const std::string& text, const std::string& source) {
  return Parser(text, source).ParseRoot();
}

}  // namespace streaming_detail
