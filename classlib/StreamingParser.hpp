// The parse tree of a text form and its parser. Internal to form streaming;
// free of <windows.h>.
#pragma once

#include <string>
#include <vector>

#include "System.hpp"

namespace streaming_detail {

// A string literal as written: quoted runs ('...', bytes of the ANSI code
// page) and character codes (#nnn, UTF-16 units). A code above 127 makes it a
// wide string; read into an ANSI string, codes are converted to the code page.
struct TextString {
  struct Part {
    bool IsCode = false;
    std::string Bytes;
    unsigned Code = 0;
  };
  std::vector<Part> Parts;

  bool Wide() const;
  AnsiString ToAnsi() const;
  WideString ToWide() const;
};

struct TextValue {
  enum class Kind { Integer, Float, String, Ident, Set, List, Binary };
  Kind kind = Kind::Integer;
  Int64 Integer = 0;
  double Float = 0;
  TextString String;
  std::string Ident;
  std::vector<std::string> Set;
  std::vector<TextValue> List;
  std::string Binary;
  int Line = 0;
};

struct TextProperty {
  std::string Name;  // may be a path: Font.Name
  TextValue Value;
  int Line = 0;
};

struct TextObject {
  bool Inherited = false;
  std::string Name;
  std::string ClassName;
  int Line = 0;
  std::vector<TextProperty> Properties;
  std::vector<TextObject> Children;
};

// Parses one form text; syntax errors raise EReadError naming the source and
// the line.
TextObject ParseFormText(const std::string& text, const std::string& source);

// "message (source, line N)".
std::string Located(const std::string& message, const std::string& source, int line);

}  // namespace streaming_detail
