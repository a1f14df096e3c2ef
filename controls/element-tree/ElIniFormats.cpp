// The two file formats of the ini storage: text with nested section names,
// and tagged binary records.
#include <climits>
#include <cstring>
#include <vector>

#include "ElIni.hpp"
#include "SysUtils.hpp"

namespace {

constexpr Byte kValueRecord = 0;
constexpr Byte kKeyRecord = 1;

// ---------------------------------------------------------------- text

AnsiString BoolText(bool value, bool simple) {
  if (simple) return value ? "1" : "0";
  return value ? "true" : "false";
}

bool IsDecimalDigits(const AnsiString& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Each kind of value is recognised only when its text is exactly what
// writing that value gives back, so that no text changes on a round trip.
void SetValueFromText(TElIniEntry& entry, const AnsiString& text) {
  const AnsiString upper = UpperCase(text);
  if (upper == "TRUE" || upper == "FALSE") {
    entry.SetBoolValue(upper == "TRUE");
    return;
  }
  int code = 0;
  TElDottedPair pair = 0;
  ParseDottedPair(text, code, pair);
  AnsiString back;
  if (code == 0) {
    FormatDottedPair(back, pair);
    if (back == text) {
      entry.SetPairValue(pair);
      return;
    }
  }
  int number = 0;
  Val(text, number, code);
  if (code == 0 && IntToStr(number) == text) {
    entry.SetIntValue(number);
    return;
  }
  if (text.compare(0, 4, "454C") == 0) {
    std::vector<Byte> data;
    std::int32_t size = 0;
    if (HexStringToData(text, data, size)) {
      DataToHexString(data.data(), size, back);
      if (back == text) {
        entry.SetData(data.data(), size);
        return;
      }
    }
  }
  entry.SetStringValue(text);
}

// ---------------------------------------------------------------- binary

void WriteByte(TStream* stream, Byte value) { stream->WriteBuffer(&value, 1); }

void WriteInt32(TStream* stream, std::int32_t value) { stream->WriteBuffer(&value, 4); }

// The stream string, raising on a failed write (the tool routine would only
// answer False, and a short file must never count as saved).
void WriteStreamString(TStream* stream, const AnsiString& s) {
  WriteInt32(stream, static_cast<std::int32_t>(s.size()));
  if (!s.empty()) stream->WriteBuffer(s.data(), static_cast<std::int32_t>(s.size()));
}

std::int32_t StringSize(const AnsiString& s) { return static_cast<std::int32_t>(s.size()) + 4; }

std::int32_t ValueDataSize(const TElIniEntry& entry) {
  switch (entry.ValueType()) {
    case evtBoolean: return 1;
    case evtInt: return 4;
    case evtString: return StringSize(entry.StringValue());
    case evtMultiString: {
      std::int32_t size = 0;
      for (int i = 0; i < entry.ListValue()->Count(); ++i) size += StringSize(entry.ListValue()->Strings(i));
      return size;
    }
    case evtBinary: return entry.DataSize() + 4;
    case evtPair: return 8;
    default: return 0;
  }
}

void WriteValueData(TStream* stream, const TElIniEntry& entry) {
  switch (entry.ValueType()) {
    case evtBoolean: WriteByte(stream, entry.BoolValue() ? 1 : 0); break;
    case evtInt: WriteInt32(stream, entry.IntValue()); break;
    case evtString: WriteStreamString(stream, entry.StringValue()); break;
    case evtMultiString:
      for (int i = 0; i < entry.ListValue()->Count(); ++i) WriteStreamString(stream, entry.ListValue()->Strings(i));
      break;
    case evtBinary:
      WriteInt32(stream, entry.DataSize());
      if (entry.DataSize() > 0) stream->WriteBuffer(entry.Data().data(), entry.DataSize());
      break;
    case evtPair:
      WriteInt32(stream, DottedPairFirst(entry.PairValue()));
      WriteInt32(stream, DottedPairSecond(entry.PairValue()));
      break;
    default: break;
  }
}

// Reads records from memory; every length is checked against what is left.
class RecordCursor {
 public:
  RecordCursor(const Byte* data, std::size_t size) : data_(data), left_(size) {}
  std::size_t Left() const { return left_; }
  const Byte* Here() const { return data_; }
  bool Skip(std::size_t n) {
    if (n > left_) return false;
    data_ += n;
    left_ -= n;
    return true;
  }
  bool Take(void* out, std::size_t n) {
    if (n > left_) return false;
    std::memcpy(out, data_, n);
    return Skip(n);
  }
  bool Byte8(Byte& b) { return Take(&b, 1); }
  bool Int32(std::int32_t& n) { return Take(&n, 4); }
  bool String(AnsiString& s) {
    std::int32_t n = 0;
    if (!Int32(n) || n < 0 || static_cast<std::size_t>(n) > left_) return false;
    s.assign(reinterpret_cast<const char*>(data_), static_cast<std::size_t>(n));
    return Skip(static_cast<std::size_t>(n));
  }

 private:
  const Byte* data_;
  std::size_t left_;
};

// The data of one value record, which must fill its announced size exactly.
bool ReadValueData(RecordCursor data, Byte type, TElIniEntry& entry) {
  switch (type) {
    case evtBoolean: {
      Byte b = 0;
      if (!data.Byte8(b)) return false;
      entry.SetBoolValue(b != 0);
      break;
    }
    case evtInt: {
      std::int32_t n = 0;
      if (!data.Int32(n)) return false;
      entry.SetIntValue(n);
      break;
    }
    case evtString: {
      AnsiString s;
      if (!data.String(s)) return false;
      entry.SetStringValue(s);
      break;
    }
    case evtMultiString: {
      entry.SetValueType(evtMultiString);
      while (data.Left() > 0) {
        AnsiString s;
        if (!data.String(s)) return false;
        entry.ListValue()->Add(s);
      }
      break;
    }
    case evtBinary: {
      std::int32_t n = 0;
      if (!data.Int32(n) || n < 0 || static_cast<std::size_t>(n) != data.Left()) return false;
      entry.SetData(data.Here(), n);
      data.Skip(static_cast<std::size_t>(n));
      break;
    }
    case evtPair: {
      std::int32_t first = 0, second = 0;
      if (!data.Int32(first) || !data.Int32(second)) return false;
      entry.SetPairValue(MakeDottedPair(first, second));
      break;
    }
    default:
      return false;
  }
  return data.Left() == 0;
}

}  // namespace

// ---------------------------------------------------------------- text

void TElIniFile::ParseLine(const AnsiString& line, AnsiString& name, bool& hasDiv, AnsiString& text) {
  name.clear();
  text.clear();
  hasDiv = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      if (!comment_.empty() && line.compare(i, comment_.size(), comment_) == 0) break;
      if (c == divChar_ && !hasDiv) {
        hasDiv = true;
        continue;
      }
    }
    (hasDiv ? text : name) += c;
  }
}

namespace {

bool HasLineBreak(const AnsiString& s) { return s.find_first_of("\r\n") != AnsiString::npos; }

// The number of names in a key path (the delimiters at either end aside).
std::int32_t PathDepth(const AnsiString& path, char delimiter) {
  std::size_t first = 0, last = path.size();
  if (first < last && path[first] == delimiter) ++first;
  if (last > first && path[last - 1] == delimiter) --last;
  if (first >= last) return 0;
  std::int32_t depth = 1;
  for (std::size_t i = first; i < last; ++i)
    if (path[i] == delimiter) ++depth;
  return depth;
}

// The keys below Root in the order the files list them: each key, then its
// child keys in order, depth first, without a call per level.
template <class Visit>
void ForEachKey(const TElIniEntry* root, Visit visit) {
  std::vector<const TElIniEntry*> stack{root};
  while (!stack.empty()) {
    const TElIniEntry* key = stack.back();
    stack.pop_back();
    visit(key);
    for (std::int32_t i = key->ChildCount() - 1; i >= 0; --i)
      if (key->Child(i)->IsKey()) stack.push_back(key->Child(i));
  }
}

}  // namespace

bool TElIniFile::TextFileHolds(const AnsiString& name, const AnsiString& text) const {
  if (HasLineBreak(name) || HasLineBreak(text)) return false;
  const bool bare = name.empty() || name[0] == '#';
  return (bare ? text : name).compare(0, 1, "[") != 0;
}

void TElIniFile::WriteText(TStream* stream) {
  if (!warningMessage_.empty()) WriteTextLine(stream, comment_ + warningMessage_);
  ForEachKey(root_.get(), [&](const TElIniEntry* key) { WriteTextKey(stream, key); });
}

// One section: its header line and its values (the child keys follow as
// sections of their own).
void TElIniFile::WriteTextKey(TStream* stream, const TElIniEntry* key) {
  if (key != root_.get()) {
    WriteTextLine(stream, "");
    WriteTextLine(stream, "[" + PathOf(key, false) + "]");
  }
  for (std::int32_t i = 0; i < key->ChildCount(); ++i) {
    const TElIniEntry* value = key->Child(i);
    if (value->IsKey()) continue;
    const AnsiString& name = value->Name();
    // Lines read without a name come back as "#" + their line number.
    const AnsiString prefix = name.empty() || name[0] == '#' ? AnsiString() : name + divChar_;
    AnsiString text;
    switch (value->ValueType()) {
      case evtBoolean: text = BoolText(value->BoolValue(), simple_); break;
      case evtInt: text = IntToStr(value->IntValue()); break;
      case evtString: text = value->StringValue(); break;
      case evtBinary: DataToHexString(value->Data().data(), value->DataSize(), text); break;
      case evtPair: FormatDottedPair(text, value->PairValue()); break;
      case evtMultiString:
        for (int j = 0; j < value->ListValue()->Count(); ++j) {
          const AnsiString& item = value->ListValue()->Strings(j);
          if (HasLineBreak(name) || HasLineBreak(item)) UnholdableValue(name);
          WriteTextLine(stream, name + "[" + IntToStr(j) + "]" + divChar_ + item);
        }
        continue;
      default: continue;
    }
    // A value that would read back as other lines is never written: the
    // save fails and the old file stays.
    if (!TextFileHolds(name, text)) UnholdableValue(name);
    WriteTextLine(stream, prefix + text);
  }
}

void TElIniFile::UnholdableValue(const AnsiString& name) {
  throw EElIniError("Value \"" + name + "\" can not be stored in a text file.");
}

bool TElIniFile::ReadText(TStream* stream) {
  TStringList lines;
  lines.LoadFromStream(stream);
  TElIniEntry* section = root_.get();
  for (int i = 0; i < lines.Count(); ++i) {
    const AnsiString line = lines.Strings(i);
    if (line.empty()) continue;
    if (!comment_.empty() && line.compare(0, comment_.size(), comment_) == 0) continue;
    if (line[0] == '[') {
      const bool closed = line.size() >= 2 && line.back() == ']';
      const AnsiString name = line.substr(1, closed ? line.size() - 2 : AnsiString::npos);
      if (delimiter_ && PathDepth(name, delimiter_) > ElIniMaxKeyDepth) return false;
      current_ = root_.get();
      // Values under a section that cannot be opened are skipped.
      section = OpenKey(AnsiString(1, delimiter_) + name, true) ? current_ : nullptr;
      current_ = root_.get();
      continue;
    }
    if (section) ReadTextValue(section, i + 1, line);
  }
  return true;
}

void TElIniFile::ReadTextValue(TElIniEntry* section, std::int32_t lineNumber, const AnsiString& line) {
  AnsiString name, text;
  bool hasDiv = false;
  ParseLine(line, name, hasDiv, text);
  if (!hasDiv) {
    text = name;
    name = "#" + IntToStr(lineNumber);
  }
  // "name[index]" is an item of the list "name"; items are appended in the
  // order they come.
  bool listItem = false;
  if (!name.empty() && name.back() == ']') {
    const std::size_t open = name.rfind('[');
    if (open != AnsiString::npos && IsDecimalDigits(name.substr(open + 1, name.size() - open - 2))) {
      listItem = true;
      name.erase(open);
    }
  }
  if (name.empty() && !listItem) return;
  TElIniEntry* entry = section->ChildByName(name);
  if (entry && entry->IsKey()) return;
  if (!entry) {
    entry = new TElIniEntry();
    entry->SetName(name);
    entry->SetParent(section);
  }
  if (listItem) {
    if (entry->ValueType() != evtMultiString) entry->SetValueType(evtMultiString);
    entry->ListValue()->Add(text);
  } else {
    SetValueFromText(*entry, text);
  }
}

// ---------------------------------------------------------------- binary

void TElIniFile::WriteBinary(TStream* stream) {
  ForEachKey(root_.get(), [&](const TElIniEntry* key) { WriteBinaryKey(stream, key); });
}

// One key record and its values (the child keys follow as records of
// their own).
void TElIniFile::WriteBinaryKey(TStream* stream, const TElIniEntry* key) {
  WriteByte(stream, kKeyRecord);
  WriteStreamString(stream, PathOf(key, false));
  for (std::int32_t i = 0; i < key->ChildCount(); ++i) {
    const TElIniEntry* value = key->Child(i);
    if (value->IsKey() || value->ValueType() == evtUnknown) continue;
    WriteByte(stream, kValueRecord);
    WriteStreamString(stream, value->Name());
    WriteByte(stream, value->ValueType());
    WriteInt32(stream, ValueDataSize(*value));
    WriteValueData(stream, *value);
  }
}

bool TElIniFile::ReadBinary(const std::vector<Byte>& bytes) {
  RecordCursor cursor(bytes.data(), bytes.size());
  TElIniEntry* section = root_.get();
  TElIniEntry scratch;
  while (cursor.Left() > 0) {
    Byte record = 0;
    cursor.Byte8(record);
    if (record == kKeyRecord) {
      AnsiString path;
      if (!cursor.String(path)) return false;
      if (delimiter_ && PathDepth(path, delimiter_) > ElIniMaxKeyDepth) return false;
      if (path.empty() || path[0] != delimiter_) path.insert(0, 1, delimiter_);
      current_ = root_.get();
      section = OpenKey(path, true) ? current_ : nullptr;
      current_ = root_.get();
      continue;
    }
    if (record != kValueRecord) return false;
    AnsiString name;
    Byte type = 0;
    std::int32_t size = 0;
    if (!cursor.String(name) || !cursor.Byte8(type) || !cursor.Int32(size)) return false;
    if (size < 0 || static_cast<std::size_t>(size) > cursor.Left()) return false;
    // Values of a key that could not be opened, or named like a key, are
    // checked and skipped.
    TElIniEntry* target = &scratch;
    if (section) {
      TElIniEntry* entry = section->ChildByName(name);
      if (!entry) {
        entry = new TElIniEntry();
        entry->SetName(name);
        entry->SetParent(section);
      }
      if (!entry->IsKey()) target = entry;
    }
    if (!ReadValueData(RecordCursor(cursor.Here(), static_cast<std::size_t>(size)), type, *target)) return false;
    cursor.Skip(static_cast<std::size_t>(size));
  }
  return true;
}

// ---------------------------------------------------------------- either

void TElIniFile::WriteTo(TStream* stream) {
  if (binaryMode_)
    WriteBinary(stream);
  else
    WriteText(stream);
}

bool TElIniFile::ReadFrom(TStream* stream) {
  if (!binaryMode_) return ReadText(stream);
  const Int64 left = stream->Size() - stream->Position();
  if (left > INT32_MAX) return false;
  std::vector<Byte> bytes(static_cast<std::size_t>(left > 0 ? left : 0));
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  return ReadBinary(bytes);
}
