// Writes components as text forms: published properties that differ from
// their defaults and are stored, defined properties converted from their
// binary values, and owned components nested under their parents.
#include <charconv>

#include "Streaming.hpp"
#include "StreamingParser.hpp"

using namespace streaming_detail;

namespace {

constexpr int kBytesPerHexLine = 32;

std::string Indent(int n) { return std::string(static_cast<size_t>(n), ' '); }

// Printable ASCII goes between quotes, everything else as #nnn UTF-16 codes.
// A byte of an ANSI string above 127 is written as the code of its character
// in the code page, unless it has none that converts back (it then stays a
// quoted byte), so that codes always mean the same characters when read.
void AppendQuoted(std::string& out, bool& quoted, char c) {
  if (!quoted) out += '\'';
  quoted = true;
  out += c;
  if (c == '\'') out += '\'';
}

void AppendCode(std::string& out, bool& quoted, unsigned code) {
  if (quoted) out += '\'';
  quoted = false;
  out += '#' + std::to_string(code);
}

std::string Literal(const AnsiString& s) {
  if (s.empty()) return "''";
  std::string out;
  bool quoted = false;
  for (char c : s) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      AppendQuoted(out, quoted, c);
    } else if (byte < 128) {
      AppendCode(out, quoted, byte);
    } else {
      WideString w = streaming_detail::AnsiToWide(std::string(1, c));
      if (w.size() == 1 && streaming_detail::WideToAnsi(w) == std::string(1, c))
        AppendCode(out, quoted, static_cast<unsigned>(w[0]));
      else
        AppendQuoted(out, quoted, c);
    }
  }
  if (quoted) out += '\'';
  return out;
}

std::string Literal(const WideString& s) {
  if (s.empty()) return "''";
  std::string out;
  bool quoted = false;
  for (wchar_t c : s) {
    auto code = static_cast<unsigned>(static_cast<std::uint16_t>(c));
    if (code >= 32 && code < 127)
      AppendQuoted(out, quoted, static_cast<char>(code));
    else
      AppendCode(out, quoted, code);
  }
  if (quoted) out += '\'';
  return out;
}

std::string FloatText(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string HexBlock(const std::string& bytes, int indent) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "{";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % kBytesPerHexLine == 0) out += "\r\n" + Indent(indent);
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out + "}";
}

// One binary value as text; lists put their items on lines of their own.
std::string ValueText(TReader& reader, int indent) {
  switch (reader.NextValue()) {
    case vaList: {
      reader.ReadListBegin();
      std::string out = "(";
      while (!reader.EndOfList()) out += "\r\n" + Indent(indent) + ValueText(reader, indent + 2);
      reader.ReadListEnd();
      return out + ")";
    }
    case vaInt8: case vaInt16: case vaInt32: case vaInt64:
      return std::to_string(reader.ReadInt64());
    case vaExtended: case vaSingle:
      return FloatText(reader.ReadFloat());
    case vaString: case vaLString: case vaUTF8String:
      return Literal(reader.ReadString());
    case vaWString:
      return Literal(reader.ReadWideString());
    case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull:
      return reader.ReadIdent();
    case vaSet: {
      reader.ReadValue();
      std::string out = "[";
      for (std::string item; !(item = reader.ReadStr()).empty();) out += (out.size() > 1 ? ", " : "") + item;
      return out + "]";
    }
    case vaBinary: {
      reader.ReadValue();
      std::uint32_t n;
      reader.Read(&n, 4);
      if (n > reader.Stream()->Size() - reader.Stream()->Position()) throw EWriteError("Invalid binary value");
      std::string bytes(n, '\0');
      reader.Read(bytes.data(), static_cast<std::int32_t>(n));
      return HexBlock(bytes, indent);
    }
    default:
      throw EWriteError("Unsupported value type in a defined property");
  }
}

std::string NamesText(const std::vector<std::string>* names, std::uint64_t bits) {
  std::string out = "[";
  for (size_t i = 0; names && i < names->size() && i < 64; ++i) {
    if (!(bits & (std::uint64_t(1) << i))) continue;
    if (out.size() > 1) out += ", ";
    out += (*names)[i];
  }
  return out + "]";
}

class TextFormWriter {
 public:
  explicit TextFormWriter(TComponent* root) : root_(root) {}

  std::string Run() {
    WriteObject(root_, 0);
    return out_;
  }

 private:
  void WriteObject(TComponent* component, int indent);
  void WriteProperties(TObject* object, const std::string& prefix, int indent);
  bool PropertyText(TObject* object, const TPropInfo& p, std::string& text);
  std::string OrdinalText(const TPropInfo& p, Int64 value);
  void WriteDefined(TObject* object, const std::string& prefix, int indent);
  std::vector<TComponent*> ChildrenOf(TComponent* component) const;
  void Line(int indent, const std::string& text) { out_ += Indent(indent) + text + "\r\n"; }

  TComponent* root_;
  std::string out_;
};

void TextFormWriter::WriteObject(TComponent* component, int indent) {
  const std::string& name = component->Name();
  Line(indent, "object " + (name.empty() ? "" : name + ": ") + component->ClassName());
  WriteProperties(component, "", indent + 2);
  for (TComponent* child : ChildrenOf(component)) WriteObject(child, indent + 2);
  Line(indent, "end");
}

void TextFormWriter::WriteProperties(TObject* object, const std::string& prefix, int indent) {
  const TClassInfo* info = ClassInfoOf(object);
  if (info) {
    for (const TPropInfo* p : info->AllProperties()) {
      if (p->Stored && !p->Stored(object)) continue;
      if (p->Kind == TPropKind::Object) {
        if (TObject* sub = p->GetObject(object)) WriteProperties(sub, prefix + p->Name + ".", indent);
        continue;
      }
      std::string text;
      if (PropertyText(object, *p, text)) Line(indent, prefix + p->Name + " = " + text);
    }
  }
  WriteDefined(object, prefix, indent);
}

// The value of one property as text; false when it is not stored.
bool TextFormWriter::PropertyText(TObject* object, const TPropInfo& p, std::string& text) {
  switch (p.Kind) {
    case TPropKind::Integer: case TPropKind::Boolean: case TPropKind::Enumeration: case TPropKind::Set: {
      Int64 value = p.GetOrd(object);
      if (p.HasDefault && value == p.OrdDefault) return false;
      text = OrdinalText(p, value);
      return true;
    }
    case TPropKind::String: {
      AnsiString value = p.GetString(object);
      if (value == p.StringDefault) return false;
      text = Literal(value);
      return true;
    }
    case TPropKind::WideString: {
      WideString value = p.GetWide(object);
      if (value == p.WideDefault) return false;
      text = Literal(value);
      return true;
    }
    case TPropKind::Float: {
      double value = p.GetFloat(object);
      if (value == p.FloatDefault) return false;
      text = FloatText(value);
      return true;
    }
    case TPropKind::Component: {
      auto* ref = dynamic_cast<TComponent*>(p.GetObject(object));
      if (!ref || ref->Name().empty()) return false;
      if (ref == root_ || ref->Owner() == root_ || !ref->Owner())
        text = ref->Name();
      else
        text = ref->Owner()->Name() + "." + ref->Name();
      return true;
    }
    case TPropKind::Method: {
      const TClassInfo* rootInfo = ClassInfoOf(root_);
      if (!rootInfo) return false;
      for (const TMethodInfo* m : rootInfo->AllMethods()) {
        if (p.IsMethod(object, *m, root_)) {
          text = m->Name;
          return true;
        }
      }
      return false;
    }
    case TPropKind::Object:
      return false;
  }
  return false;
}

std::string TextFormWriter::OrdinalText(const TPropInfo& p, Int64 value) {
  switch (p.Kind) {
    case TPropKind::Boolean:
      return value ? "True" : "False";
    case TPropKind::Set:
      return NamesText(p.Names(), static_cast<std::uint64_t>(value));
    case TPropKind::Enumeration:
      if (const auto* names = p.Names()) {
        if (value < 0 || value >= static_cast<Int64>(names->size())) throw EWriteError("Invalid property value");
        return (*names)[static_cast<size_t>(value)];
      }
      [[fallthrough]];
    default: {
      std::string ident;
      if (p.Idents && p.Idents->IntToIdent && p.Idents->IntToIdent(value, ident)) return ident;
      return std::to_string(value);
    }
  }
}

// Runs the object's DefineProperties against a writer whose sink writes each
// defined property that has data as text.
void TextFormWriter::WriteDefined(TObject* object, const std::string& prefix, int indent) {
  auto* persistent = dynamic_cast<TPersistent*>(object);
  if (!persistent) return;
  ByteStream unused;
  TWriter filer(&unused);
  filer.SetRoot(root_);
  std::vector<std::string> written;
  filer.SetDefinedSink([&](const std::string& name, const TWriterProc& writeData, const TStreamProc& writeBinary) {
    // The object's own definition comes first and wins over an external one.
    for (const std::string& w : written)
      if (SameText(w, name)) return;
    written.push_back(name);
    std::string text;
    if (writeBinary) {
      ByteStream data;
      writeBinary(&data);
      text = HexBlock(data.Bytes(), indent + 2);
    } else {
      ByteStream data;
      TWriter writer(&data);
      writer.SetRoot(root_);
      writeData(&writer);
      data.SetPosition(0);
      TReader reader(&data);
      text = ValueText(reader, indent + 2);
      if (data.Position() != data.Size()) throw EWriteError("Property " + name + " wrote more than one value");
    }
    Line(indent, prefix + name + " = " + text);
  });
  DefineAllProperties(persistent, &filer);
}

// The root's components whose parent is this component; components without
// a parent in the form go under the root.
std::vector<TComponent*> TextFormWriter::ChildrenOf(TComponent* component) const {
  std::vector<TComponent*> children;
  const auto& getParent = StreamingHooks().GetParentComponent;
  for (int i = 0; i < root_->ComponentCount(); ++i) {
    TComponent* child = root_->Components(i);
    TComponent* parent = getParent ? getParent(child) : nullptr;
    if (!parent || (parent != root_ && parent->Owner() != root_)) parent = root_;
    if (parent == component) children.push_back(child);
  }
  return children;
}

}  // namespace

std::string ComponentToText(TComponent* root) { return TextFormWriter(root).Run(); }
