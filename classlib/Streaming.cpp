#include "Streaming.hpp"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {


std::map<std::string, TClass>& ClassRegistry() {
  static std::map<std::string, TClass> registry;
  return registry;
}

std::map<TClass, std::unique_ptr<TClassInfo>>& ClassInfos() {
  static std::map<TClass, std::unique_ptr<TClassInfo>> infos;
  return infos;
}

std::map<std::type_index, std::vector<std::string>>& EnumNameTables() {
  static std::map<std::type_index, std::vector<std::string>> tables;
  return tables;
}

[[noreturn]] void InvalidValue() { throw EReadError("Invalid property value"); }

// The 80-bit extended format of vaExtended values: sign and a 15-bit
// exponent biased by 16383, then a 64-bit mantissa with an explicit integer
// bit. Converted by hand so that the stream does not depend on long double.
void DoubleToExtended(double value, unsigned char out[10]) {
  std::memset(out, 0, 10);
  std::uint16_t signExp = std::signbit(value) ? 0x8000 : 0;
  std::uint64_t mantissa = 0;
  double a = std::fabs(value);
  if (std::isnan(a)) {
    signExp |= 0x7FFF;
    mantissa = 0xC000000000000000ULL;
  } else if (std::isinf(a)) {
    signExp |= 0x7FFF;
    mantissa = 0x8000000000000000ULL;
  } else if (a != 0) {
    int exp = 0;
    double frac = std::frexp(a, &exp);  // a = frac * 2^exp, frac in [0.5, 1)
    mantissa = static_cast<std::uint64_t>(std::ldexp(frac, 64));
    signExp |= static_cast<std::uint16_t>(exp - 1 + 16383);
  }
  std::memcpy(out, &mantissa, 8);
  std::memcpy(out + 8, &signExp, 2);
}

double ExtendedToDouble(const unsigned char in[10]) {
  std::uint64_t mantissa;
  std::uint16_t signExp;
  std::memcpy(&mantissa, in, 8);
  std::memcpy(&signExp, in + 8, 2);
  int exp = signExp & 0x7FFF;
  double sign = (signExp & 0x8000) ? -1.0 : 1.0;
  if (exp == 0x7FFF)
    return (mantissa << 1) ? std::nan("") : sign * HUGE_VAL;
  if (mantissa == 0) return sign * 0.0;
  return sign * std::ldexp(static_cast<double>(mantissa), exp - 16383 - 63);
}

}  // namespace

// ---------------------------------------------------------------------------
// Class registry

void RegisterClass(TClass cls) {
  if (!cls) return;
  auto& registry = ClassRegistry();
  std::string key = UpperCase(cls->Name);
  auto it = registry.find(key);
  if (it != registry.end()) {
    if (it->second == cls) return;
    throw EFilerError("A class named " + cls->Name + " already exists");
  }
  registry.emplace(key, cls);
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass cls : classes) RegisterClass(cls);
}

void UnRegisterClass(TClass cls) {
  if (!cls) return;
  auto& registry = ClassRegistry();
  auto it = registry.find(UpperCase(cls->Name));
  if (it != registry.end() && it->second == cls) registry.erase(it);
}

TClass GetClass(const std::string& name) {
  auto& registry = ClassRegistry();
  auto it = registry.find(UpperCase(name));
  return it == registry.end() ? nullptr : it->second;
}

TClass FindClass(const std::string& name) {
  TClass cls = GetClass(name);
  if (!cls) throw EClassNotFound("Class " + name + " not found");
  return cls;
}

// ---------------------------------------------------------------------------
// Property tables

namespace streaming_detail {

const std::vector<std::string>* EnumNamesOf(std::type_index type) {
  auto& tables = EnumNameTables();
  auto it = tables.find(type);
  return it == tables.end() ? nullptr : &it->second;
}

void SetEnumNames(std::type_index type, std::vector<std::string> names) {
  EnumNameTables()[type] = std::move(names);
}


}  // namespace streaming_detail


const TPropInfo* TClassInfo::FindProperty(const std::string& name) const {
  for (const TClassInfo* info = this; info; info = info->parent_)
    for (const TPropInfo& p : info->Properties)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const std::string& name) const {
  for (const TClassInfo* info = this; info; info = info->parent_)
    for (const TMethodInfo& m : info->Methods)
      if (SameText(m.Name, name)) return &m;
  return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const std::string& name) const {
  for (const TClassInfo* info = this; info; info = info->parent_)
    for (const TFieldInfo& f : info->Fields)
      if (SameText(f.Name, name)) return &f;
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProperties() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* info = this; info; info = info->parent_) chain.insert(chain.begin(), info);
  std::vector<const TPropInfo*> result;
  for (const TClassInfo* info : chain) {
    for (const TPropInfo& p : info->Properties) {
      bool replaced = false;
      for (const TPropInfo*& existing : result) {
        if (SameText(existing->Name, p.Name)) {
          existing = &p;
          replaced = true;
        }
      }
      if (!replaced) result.push_back(&p);
    }
  }
  return result;
}

std::vector<const TMethodInfo*> TClassInfo::AllMethods() const {
  std::vector<const TMethodInfo*> result;
  for (const TClassInfo* info = this; info; info = info->parent_)
    for (const TMethodInfo& m : info->Methods) result.push_back(&m);
  return result;
}

namespace {

// TComponent publishes Tag; every component table inherits it.
void PublishComponentBase(TClassInfo* info) {
  TPublisher<TComponent>(info).Property("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

int Depth(const TClassInfo* info) {
  int depth = 0;
  for (; info; info = info->Parent()) ++depth;
  return depth;
}

}  // namespace

TClassInfo* ClassInfoOfClass(TClass cls) {
  auto& infos = ClassInfos();
  auto it = infos.find(cls);
  if (it != infos.end()) return it->second.get();
  auto info = std::make_unique<TClassInfo>(cls, nullptr);
  TClassInfo* raw = info.get();
  infos.emplace(cls, std::move(info));
  if (cls == ClassOf<TComponent>()) PublishComponentBase(raw);
  return raw;
}

const TClassInfo* ClassInfoOf(const TObject* object) {
  if (!object) return nullptr;
  // The exact class when it is published, else the deepest published class
  // the object belongs to (a form class that publishes nothing of its own).
  const TClassInfo* best = nullptr;
  std::string name = object->ClassName();
  for (const auto& [cls, info] : ClassInfos()) {
    if (!cls->IsInstance || !cls->IsInstance(object)) continue;
    if (cls->Name == name) return info.get();
    if (!best || Depth(info.get()) > Depth(best)) best = info.get();
  }
  return best;
}

// ---------------------------------------------------------------------------
// TReader

void TReader::DefineProperty(const std::string& name, TReaderProc readData, TWriterProc,
                             bool) {
  if (propRead_ || !readData || !SameText(name, propName_)) return;
  propRead_ = true;
  readData(this);
}

void TReader::DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc,
                                   bool) {
  if (propRead_ || !readData || !SameText(name, propName_)) return;
  propRead_ = true;
  if (ReadValue() != vaBinary) InvalidValue();
  std::uint32_t count = ReadCount();
  Int64 left = Stream()->Size() - Stream()->Position();
  if (count > left) throw EReadError("Stream read error");
  std::string bytes(count, '\0');
  Read(bytes.data(), static_cast<std::int32_t>(count));
  streaming_detail::ByteStream data(std::move(bytes));
  readData(&data);
}

void TReader::Read(void* buffer, std::int32_t count) {
  if (count < 0 || Stream()->Read(buffer, count) != count) throw EReadError("Stream read error");
}

TValueType TReader::ReadValue() {
  Byte b;
  Read(&b, 1);
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  TValueType v = ReadValue();
  Stream()->Seek(-1, soCurrent);
  return v;
}

bool TReader::EndOfList() { return NextValue() == vaNull; }

void TReader::ReadListBegin() {
  if (ReadValue() != vaList) InvalidValue();
}

void TReader::ReadListEnd() {
  if (ReadValue() != vaNull) InvalidValue();
}

std::uint32_t TReader::ReadCount() {
  std::uint32_t n;
  Read(&n, 4);
  return n;
}

Int64 TReader::ReadInt64() {
  switch (ReadValue()) {
    case vaInt8: { std::int8_t v; Read(&v, 1); return v; }
    case vaInt16: { std::int16_t v; Read(&v, 2); return v; }
    case vaInt32: { std::int32_t v; Read(&v, 4); return v; }
    case vaInt64: { std::int64_t v; Read(&v, 8); return v; }
    default: InvalidValue();
  }
}

int TReader::ReadInteger() {
  Int64 v = ReadInt64();
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    InvalidValue();
  return static_cast<int>(v);
}

bool TReader::ReadBoolean() {
  TValueType v = ReadValue();
  if (v != vaTrue && v != vaFalse) InvalidValue();
  return v == vaTrue;
}

double TReader::ReadFloat() {
  TValueType v = NextValue();
  if (v == vaExtended) {
    ReadValue();
    unsigned char ext[10];
    Read(ext, 10);
    return ExtendedToDouble(ext);
  }
  if (v == vaSingle) {
    ReadValue();
    float f;
    Read(&f, 4);
    return f;
  }
  return static_cast<double>(ReadInt64());
}

AnsiString TReader::ReadStr() {
  Byte n;
  Read(&n, 1);
  std::string s(n, '\0');
  Read(s.data(), n);
  return s;
}

AnsiString TReader::ReadString() {
  TValueType v = ReadValue();
  if (v == vaString) return ReadStr();
  if (v == vaLString || v == vaUTF8String) {
    std::uint32_t n = ReadCount();
    if (n > Stream()->Size() - Stream()->Position()) throw EReadError("Stream read error");
    std::string s(n, '\0');
    Read(s.data(), static_cast<std::int32_t>(n));
    return v == vaLString ? s : streaming_detail::WideToAnsi(streaming_detail::Utf8ToWide(s));
  }
  if (v == vaWString) {
    Stream()->Seek(-1, soCurrent);
    return streaming_detail::WideToAnsi(ReadWideString());
  }
  InvalidValue();
}

WideString TReader::ReadWideString() {
  if (NextValue() == vaUTF8String) {
    ReadValue();
    std::uint32_t n = ReadCount();
    if (n > Stream()->Size() - Stream()->Position()) throw EReadError("Stream read error");
    std::string s(n, '\0');
    Read(s.data(), static_cast<std::int32_t>(n));
    return streaming_detail::Utf8ToWide(s);
  }
  if (NextValue() != vaWString) return streaming_detail::AnsiToWide(ReadString());
  ReadValue();
  std::uint32_t n = ReadCount();
  if (n > (Stream()->Size() - Stream()->Position()) / 2) throw EReadError("Stream read error");
  std::wstring s(n, L'\0');
  for (std::uint32_t i = 0; i < n; ++i) {
    std::uint16_t unit;
    Read(&unit, 2);
    s[i] = static_cast<wchar_t>(unit);
  }
  return s;
}

AnsiString TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue();
  }
}

void TReader::SkipValue() {
  TValueType v = NextValue();
  switch (v) {
    case vaList:
      ReadListBegin();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    case vaInt8: case vaInt16: case vaInt32: case vaInt64:
      ReadInt64();
      return;
    case vaExtended: case vaSingle:
      ReadFloat();
      return;
    case vaString: case vaLString: case vaUTF8String:
      ReadString();
      return;
    case vaWString:
      ReadWideString();
      return;
    case vaIdent: case vaNull: case vaFalse: case vaTrue: case vaNil:
      ReadIdent();
      return;
    case vaCurrency: case vaDate: {
      unsigned char skip[9];
      Read(skip, 9);
      return;
    }
    case vaBinary: {
      ReadValue();
      std::uint32_t n = ReadCount();
      if (n > Stream()->Size() - Stream()->Position()) throw EReadError("Stream read error");
      Stream()->Seek(n, soCurrent);
      return;
    }
    case vaSet:
      ReadValue();
      while (!ReadStr().empty()) {}
      return;
    default:
      InvalidValue();
  }
}

// ---------------------------------------------------------------------------
// TWriter

void TWriter::DefineProperty(const std::string& name, TReaderProc, TWriterProc writeData,
                             bool hasData) {
  if (!hasData || !writeData) return;
  if (sink_) {
    sink_(name, writeData, nullptr);
    return;
  }
  WriteStr(name);
  writeData(this);
}

void TWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc writeData,
                                   bool hasData) {
  if (!hasData || !writeData) return;
  if (sink_) {
    sink_(name, nullptr, writeData);
    return;
  }
  WriteStr(name);
  streaming_detail::ByteStream data;
  writeData(&data);
  WriteBinary(data.Bytes().data(), static_cast<std::int32_t>(data.Bytes().size()));
}

void TWriter::Write(const void* buffer, std::int32_t count) {
  if (count < 0 || Stream()->Write(buffer, count) != count) throw EWriteError("Stream write error");
}

void TWriter::WriteValue(TValueType value) {
  Byte b = value;
  Write(&b, 1);
}

void TWriter::WriteInteger(Int64 value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    std::int8_t v = static_cast<std::int8_t>(value);
    Write(&v, 1);
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    std::int16_t v = static_cast<std::int16_t>(value);
    Write(&v, 2);
  } else if (value >= std::numeric_limits<std::int32_t>::min() &&
             value <= std::numeric_limits<std::int32_t>::max()) {
    WriteValue(vaInt32);
    std::int32_t v = static_cast<std::int32_t>(value);
    Write(&v, 4);
  } else {
    WriteValue(vaInt64);
    Write(&value, 8);
  }
}

void TWriter::WriteFloat(double value) {
  WriteValue(vaExtended);
  unsigned char ext[10];
  DoubleToExtended(value, ext);
  Write(ext, 10);
}

void TWriter::WriteStr(const AnsiString& value) {
  Byte n = static_cast<Byte>(value.size() > 255 ? 255 : value.size());
  Write(&n, 1);
  Write(value.data(), n);
}

void TWriter::WriteString(const AnsiString& value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(value);
    return;
  }
  WriteValue(vaLString);
  std::uint32_t n = static_cast<std::uint32_t>(value.size());
  Write(&n, 4);
  Write(value.data(), static_cast<std::int32_t>(n));
}

void TWriter::WriteWideString(const WideString& value) {
  WriteValue(vaWString);
  std::uint32_t n = static_cast<std::uint32_t>(value.size());
  Write(&n, 4);
  for (wchar_t c : value) {
    std::uint16_t unit = static_cast<std::uint16_t>(c);
    Write(&unit, 2);
  }
}

void TWriter::WriteIdent(const AnsiString& ident) {
  if (SameText(ident, "False")) {
    WriteValue(vaFalse);
  } else if (SameText(ident, "True")) {
    WriteValue(vaTrue);
  } else if (SameText(ident, "nil")) {
    WriteValue(vaNil);
  } else if (SameText(ident, "Null")) {
    WriteValue(vaNull);
  } else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteBinary(const void* data, std::int32_t count) {
  WriteValue(vaBinary);
  std::uint32_t n = static_cast<std::uint32_t>(count);
  Write(&n, 4);
  Write(data, count);
}

// ---------------------------------------------------------------------------

namespace streaming_detail {

std::int32_t ByteStream::Read(void* buffer, std::int32_t count) {
  if (count <= 0 || position_ >= bytes_.size()) return 0;
  size_t n = std::min(static_cast<size_t>(count), bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return static_cast<std::int32_t>(n);
}

std::int32_t ByteStream::Write(const void* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
  std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
  position_ += static_cast<size_t>(count);
  return count;
}

Int64 ByteStream::Seek(Int64 offset, TSeekOrigin origin) {
  Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? static_cast<Int64>(position_) : Size();
  Int64 target = base + offset;
  if (target < 0) throw EStreamError("Invalid stream position");
  position_ = static_cast<size_t>(target);
  return target;
}

void ByteStream::SetSize(Int64 size) {
  if (size < 0) throw EStreamError("Invalid stream size");
  bytes_.resize(static_cast<size_t>(size));
  if (position_ > bytes_.size()) position_ = bytes_.size();
}

}  // namespace streaming_detail

namespace {

// A string list stores its strings as a list of string values; any string
// value type is read, wide ones converted to the code page.
TExternalDefinedProperty StringsProperty() {
  TExternalDefinedProperty p;
  p.Class = ClassOf<TStrings>();
  p.Name = "Strings";
  p.Read = [](TObject* object, TReader* reader) {
    auto* strings = static_cast<TStrings*>(object);
    reader->ReadListBegin();
    strings->BeginUpdate();
    try {
      strings->Clear();
      while (!reader->EndOfList()) strings->Add(reader->ReadString());
    } catch (...) {
      strings->EndUpdate();
      throw;
    }
    strings->EndUpdate();
    reader->ReadListEnd();
  };
  p.Write = [](TObject* object, TWriter* writer) {
    auto* strings = static_cast<TStrings*>(object);
    writer->WriteListBegin();
    for (int i = 0; i < strings->Count(); ++i) writer->WriteString(strings->Strings(i));
    writer->WriteListEnd();
  };
  p.HasData = [](TObject* object) { return static_cast<TStrings*>(object)->Count() > 0; };
  return p;
}

std::vector<TExternalDefinedProperty>& ExternalProperties() {
  static std::vector<TExternalDefinedProperty> properties{StringsProperty()};
  return properties;
}

}  // namespace

void RegisterDefinedProperty(TExternalDefinedProperty property) {
  ExternalProperties().push_back(std::move(property));
}

void DefineAllProperties(TPersistent* object, TFiler* filer) {
  object->DefineProperties(filer);
  for (const TExternalDefinedProperty& p : ExternalProperties()) {
    if (!p.Class->IsInstance || !p.Class->IsInstance(object)) continue;
    const auto& read = p.Read;
    const auto& write = p.Write;
    filer->DefineProperty(
        p.Name, [&read, object](TReader* reader) { read(object, reader); },
        [&write, object](TWriter* writer) { write(object, writer); }, p.HasData(object) || filer->Ancestor());
  }
}

TStreamingHooks& StreamingHooks() {
  static TStreamingHooks hooks;
  return hooks;
}
