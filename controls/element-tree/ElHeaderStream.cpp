// The section stream: an int32 version (-12 written), an int32 count, and
// per section a fixed block followed by its strings. Readers take every
// version from -4 on, except -7 and -3 and above, which were never written.
// A stream is read and checked whole before the collection changes, so a
// damaged one raises EReadError and leaves the sections as they were.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "ElHeaderLayout.hpp"
#include "ElHeaderSections.hpp"

namespace {

constexpr std::int32_t kWrittenVersion = -12;
constexpr int kBlockSize = 140;

// Where each field lies in the block of one family of versions; -1 where the
// family has no such field.
struct TBlockLayout {
  int Size;
  int LookupEnabled, ParentIndex, Expandable, Expanded, StoredVisible, ClickSelect, Resizable, Style;
  int Width, MinWidth, MaxWidth, SortMode, AllowClick, Alignment, SectionId, Index, FieldType, Editable;
  int ImageIndex, PictureAlign, Password, ParentColor, Color, FontColor, FilterEnabled, TextLayout;
  int UseMainStyle, AutoSize, Tag;
};

// -11 and below (and the written -12).
constexpr TBlockLayout kLayout11{140, 4, 8, 12, 13, 14, 15, 16, 17, 20, 24, 28, 32, 33, 34, 36, 40, 44, 45,
                                 48, 52, 53, 54, 56, 60, 64, 65, 66, 67, 68};
// -10: the same without Tag.
constexpr TBlockLayout kLayout10{68, 4, 8, 12, 13, 14, 15, 16, 17, 20, 24, 28, 32, 33, 34, 36, 40, 44, 45,
                                 48, 52, 53, 54, 56, 60, 64, 65, 66, 67, -1};
// -9 and -8: no SectionId; AutoSize only at -9.
constexpr TBlockLayout kLayout9{64, 4, 8, 12, 13, 14, 15, 16, 17, 20, 24, 28, 32, 33, 34, -1, 36, 40, 41,
                                44, 48, 49, 50, 52, 56, 60, 61, 62, 63, -1};
constexpr TBlockLayout kLayout8{64, 4, 8, 12, 13, 14, 15, 16, 17, 20, 24, 28, 32, 33, 34, -1, 36, 40, 41,
                                44, 48, 49, 50, 52, 56, 60, 61, 62, -1, -1};
// -6 and -5.
constexpr TBlockLayout kLayout6{52, 4, 8, 12, 13, 14, 15, 16, 17, 20, 24, 28, 32, 33, 34, -1, 36, 40, 41,
                                44, 48, 49, -1, -1, -1, -1, -1, -1, -1, -1};
// -4: no lookup, parent or expanding.
constexpr TBlockLayout kLayout4{36, -1, -1, -1, -1, 0, 1, 2, 3, 4, 8, 12, 16, 17, 18, -1, 20, 24, 25,
                                28, 32, 33, -1, -1, -1, -1, -1, -1, -1, -1};

// What a version has after its block.
struct TVersionFormat {
  const TBlockLayout* Block;
  bool PopupName;
  enum class Hint { None, Ansi, Wide } HintKind;
};

TVersionFormat FormatOf(std::int32_t version) {
  using H = TVersionFormat::Hint;
  if (version <= -12) return {&kLayout11, true, H::Wide};
  switch (version) {
    case -11: return {&kLayout11, true, H::Ansi};
    case -10: return {&kLayout10, true, H::Ansi};
    case -9: return {&kLayout9, true, H::Ansi};
    case -8: return {&kLayout8, true, H::Ansi};
    case -6: return {&kLayout6, true, H::None};
    case -5: return {&kLayout6, false, H::None};
    case -4: return {&kLayout4, false, H::None};
    default: throw EReadError("Unsupported header sections stream version " + std::to_string(version));
  }
}

// Reads from a stream, checking every length against what is left before it
// allocates or reads.
class Reader {
 public:
  explicit Reader(TStream* stream) : stream_(stream) {}

  std::int32_t Int32() {
    Byte b[4];
    Bytes(b, 4);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                     static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
  }
  std::vector<Byte> Block(int size) {
    std::vector<Byte> block(static_cast<size_t>(size));
    Bytes(block.data(), size);
    return block;
  }
  // int32 n, then n bytes of which those before the first zero are the text.
  AnsiString ZeroEnded() {
    const std::vector<Byte> bytes = Counted(1);
    const auto* p = reinterpret_cast<const char*>(bytes.data());
    return AnsiString(p, strnlen(p, bytes.size()));
  }
  AnsiString Ansi() {
    const std::vector<Byte> bytes = Counted(1);
    return AnsiString(bytes.begin(), bytes.end());
  }
  TElFString Wide() {
    const std::vector<Byte> bytes = Counted(2);
    TElFString text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<wchar_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return text;
  }
  Int64 Left() { return stream_->Size() - stream_->Position(); }

 private:
  std::vector<Byte> Counted(int unitSize) {
    const std::int32_t count = Int32();
    if (count < 0) throw EReadError("Invalid string header read from the stream");
    const Int64 bytes = static_cast<Int64>(count) * unitSize;
    Need(bytes);
    std::vector<Byte> data(static_cast<size_t>(bytes));
    if (bytes > 0) stream_->ReadBuffer(data.data(), static_cast<std::int32_t>(bytes));
    return data;
  }
  void Need(Int64 bytes) {
    if (bytes > Left()) throw EReadError("Stream read error");
  }
  void Bytes(Byte* buffer, int count) {
    Need(count);
    stream_->ReadBuffer(buffer, count);
  }

  TStream* stream_;
};

class Writer {
 public:
  explicit Writer(TStream* stream) : stream_(stream) {}
  void Int32(std::int32_t value) {
    Byte b[4];
    PutInt32(b, value);
    stream_->WriteBuffer(b, 4);
  }
  void Bytes(const void* data, size_t size) {
    if (size > 0) stream_->WriteBuffer(data, static_cast<std::int32_t>(size));
  }
  static void PutInt32(Byte* at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<Byte>(v >> (8 * i));
  }

 private:
  TStream* stream_;
};

std::int32_t GetInt32(const std::vector<Byte>& block, int offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | block[static_cast<size_t>(offset + i)];
  return static_cast<std::int32_t>(v);
}

}  // namespace

// One section as the stream holds it, read and checked before any section
// changes.
struct TElHeaderSectionRecord {
  std::vector<Byte> Block;
  const TBlockLayout* Layout = nullptr;
  AnsiString Text, FieldName, PopupName;
  TElFString Hint;
  bool HasPopupName = false;
  bool HasHint = false;

  bool Has(int offset) const { return offset >= 0; }
  bool Bool(int offset) const { return Block[static_cast<size_t>(offset)] != 0; }
  Byte Enum(int offset, int last) const {
    const Byte value = Block[static_cast<size_t>(offset)];
    if (value > last) throw EReadError("Invalid value in the header sections stream");
    return value;
  }
  std::int32_t Int(int offset) const { return GetInt32(Block, offset); }
  int ParentIndex() const { return Has(Layout->ParentIndex) ? Int(Layout->ParentIndex) : -1; }

  void Check() const {
    const TBlockLayout& l = *Layout;
    Enum(l.Style, ElhsPictureOnly);
    Enum(l.SortMode, hsmDescend);
    Enum(l.Alignment, hsaRight);
    Enum(l.FieldType, sftMemo);
    Enum(l.PictureAlign, hsaRight);
    if (Has(l.TextLayout)) Enum(l.TextLayout, tlBottom);
    if (Int(l.Width) < 0) throw EReadError("Negative section width in the header sections stream");
    if (Int(l.MinWidth) > Int(l.MaxWidth)) throw EReadError("Section width bounds reversed in the header sections stream");
    if (Int(l.Index) < 0) throw EReadError("Negative section index in the header sections stream");
  }

  // Every field the version has; the others keep the new section's values.
  void ApplyTo(TElHeaderSection& s) const {
    const TBlockLayout& l = *Layout;
    if (Has(l.LookupEnabled)) s.lookupEnabled_ = Bool(l.LookupEnabled);
    if (Has(l.Expandable)) s.expandable_ = Bool(l.Expandable);
    if (Has(l.Expanded)) s.expanded_ = Bool(l.Expanded);
    s.storedVisible_ = Bool(l.StoredVisible);
    s.clickSelect_ = Bool(l.ClickSelect);
    s.resizable_ = Bool(l.Resizable);
    s.style_ = static_cast<TElSectionStyle>(Enum(l.Style, ElhsPictureOnly));
    s.minWidth_ = Int(l.MinWidth);
    s.maxWidth_ = Int(l.MaxWidth);
    s.width_ = std::clamp(Int(l.Width), s.minWidth_, s.maxWidth_);
    s.sortMode_ = static_cast<TElSSortMode>(Enum(l.SortMode, hsmDescend));
    s.allowClick_ = Bool(l.AllowClick);
    s.alignment_ = static_cast<TElSAlignment>(Enum(l.Alignment, hsaRight));
    if (Has(l.SectionId)) s.sectionId_ = Int(l.SectionId);
    s.index_ = Int(l.Index);
    s.fieldType_ = static_cast<TElFieldType>(Enum(l.FieldType, sftMemo));
    s.editable_ = Bool(l.Editable);
    s.imageIndex_ = Int(l.ImageIndex);
    s.pictureAlign_ = static_cast<TElSAlignment>(Enum(l.PictureAlign, hsaRight));
    s.password_ = Bool(l.Password);
    if (Has(l.ParentColor)) s.parentColor_ = Bool(l.ParentColor);
    if (Has(l.Color)) s.color_ = Int(l.Color);
    if (Has(l.FontColor)) s.fontColor_ = Int(l.FontColor);
    if (Has(l.FilterEnabled)) s.filterEnabled_ = Bool(l.FilterEnabled);
    if (Has(l.TextLayout)) s.textLayout_ = static_cast<TTextLayout>(Enum(l.TextLayout, tlBottom));
    if (Has(l.UseMainStyle)) s.useMainStyle_ = Bool(l.UseMainStyle);
    if (Has(l.AutoSize)) s.autoSize_ = Bool(l.AutoSize);
    if (Has(l.Tag)) s.tag_ = Int(l.Tag);
    s.text_ = AnsiToWide(Text);
    s.fieldName_ = FieldName;
    if (HasPopupName) s.popupMenuName_ = PopupName;
    if (HasHint) s.hint_ = Hint;
  }

  static std::vector<Byte> BlockOf(const TElHeaderSection& s) {
    std::vector<Byte> b(kBlockSize, 0);
    const TBlockLayout& l = kLayout11;
    auto put32 = [&b](int offset, std::int32_t value) { Writer::PutInt32(&b[static_cast<size_t>(offset)], value); };
    auto put8 = [&b](int offset, unsigned value) { b[static_cast<size_t>(offset)] = static_cast<Byte>(value); };
    put8(l.LookupEnabled, s.lookupEnabled_);
    put32(l.ParentIndex, s.parentSection_ ? s.parentSection_->index_ : -1);
    put8(l.Expandable, s.expandable_);
    put8(l.Expanded, s.expanded_);
    put8(l.StoredVisible, s.storedVisible_);
    put8(l.ClickSelect, s.clickSelect_);
    put8(l.Resizable, s.resizable_);
    put8(l.Style, s.style_);
    put32(l.Width, s.width_);
    put32(l.MinWidth, s.minWidth_);
    put32(l.MaxWidth, s.maxWidth_);
    put8(l.SortMode, s.sortMode_);
    put8(l.AllowClick, s.allowClick_);
    put8(l.Alignment, s.alignment_);
    put32(l.SectionId, s.sectionId_);
    put32(l.Index, s.index_);
    put8(l.FieldType, s.fieldType_);
    put8(l.Editable, s.editable_);
    put32(l.ImageIndex, s.imageIndex_);
    put8(l.PictureAlign, s.pictureAlign_);
    put8(l.Password, s.password_);
    put8(l.ParentColor, s.parentColor_);
    put32(l.Color, s.color_);
    put32(l.FontColor, s.fontColor_);
    put8(l.FilterEnabled, s.filterEnabled_);
    put8(l.TextLayout, static_cast<unsigned>(s.textLayout_));
    put8(l.UseMainStyle, s.useMainStyle_);
    put8(l.AutoSize, s.autoSize_);
    put32(l.Tag, s.tag_);
    return b;
  }
};

namespace {

using Records = std::vector<TElHeaderSectionRecord>;

Records ReadRecords(Reader& in, std::int32_t version) {
  const TVersionFormat format = FormatOf(version);
  const std::int32_t count = in.Int32();
  // Each section takes at least its block and two string lengths.
  if (count < 0 || static_cast<Int64>(count) * (format.Block->Size + 8) > in.Left())
    throw EReadError("Invalid section count in the header sections stream");
  Records records(static_cast<size_t>(count));
  for (TElHeaderSectionRecord& r : records) {
    r.Layout = format.Block;
    r.Block = in.Block(format.Block->Size);
    r.Text = in.ZeroEnded();
    r.FieldName = in.ZeroEnded();
    if (format.PopupName) {
      r.PopupName = in.Ansi();
      r.HasPopupName = true;
    }
    if (format.HintKind != TVersionFormat::Hint::None) {
      r.Hint = format.HintKind == TVersionFormat::Hint::Wide ? in.Wide() : AnsiToWide(in.Ansi());
      r.HasHint = true;
    }
    r.Check();
  }
  std::set<std::int32_t> indexes, ids;
  for (const TElHeaderSectionRecord& r : records) {
    if (!indexes.insert(r.Int(r.Layout->Index)).second)
      throw EReadError("Duplicate section index in the header sections stream");
    if (r.Has(r.Layout->SectionId) && !ids.insert(r.Int(r.Layout->SectionId)).second)
      throw EReadError("Duplicate section identifier in the header sections stream");
  }
  return records;
}

// The parent number of each record, -1 for none, a number naming no section
// and a section whose parent chain comes back to itself.
std::vector<int> ParentIndexes(const Records& records) {
  std::map<int, int> parentOf;
  for (const TElHeaderSectionRecord& r : records) parentOf[r.Int(r.Layout->Index)] = r.ParentIndex();
  std::vector<int> parents;
  for (const TElHeaderSectionRecord& r : records) {
    const int self = r.Int(r.Layout->Index);
    int parent = r.ParentIndex();
    if (parentOf.count(parent) == 0) parent = -1;
    int at = parent;
    for (size_t steps = 0; at >= 0 && steps <= records.size(); ++steps) {
      if (at == self) {
        parent = -1;
        break;
      }
      auto next = parentOf.find(at);
      at = next == parentOf.end() ? -1 : next->second;
    }
    parents.push_back(parent);
  }
  return parents;
}

}  // namespace

void TElHeaderSections::SaveToStream(TStream* stream) {
  Writer out(stream);
  out.Int32(kWrittenVersion);
  out.Int32(Count());
  for (int i = 0; i < Count(); ++i) {
    const TElHeaderSection& s = *GetSectionAt(i);
    const std::vector<Byte> block = TElHeaderSectionRecord::BlockOf(s);
    out.Bytes(block.data(), block.size());
    for (const AnsiString& text : {WideToAnsi(s.text_), s.fieldName_}) {
      out.Int32(static_cast<std::int32_t>(text.size() + 1));
      out.Bytes(text.c_str(), text.size() + 1);
    }
    out.Int32(static_cast<std::int32_t>(s.popupMenuName_.size()));
    out.Bytes(s.popupMenuName_.data(), s.popupMenuName_.size());
    out.Int32(static_cast<std::int32_t>(s.hint_.size()));
    for (wchar_t c : s.hint_) {
      const Byte unit[2] = {static_cast<Byte>(c & 0xFF), static_cast<Byte>((c >> 8) & 0xFF)};
      out.Bytes(unit, 2);
    }
  }
}

void TElHeaderSections::LoadFromStream(TStream* stream) {
  Reader in(stream);
  const Records records = ReadRecords(in, in.Int32());
  const std::vector<int> parents = ParentIndexes(records);
  TElHeaderUpdateScope update(layout_);
  Clear();
  for (const TElHeaderSectionRecord& r : records) {
    TElHeaderSection* s = AddSection();
    r.ApplyTo(*s);
  }
  RelinkParents(parents);
  layout_.UpdateHeight();
  layout_.Host().RepaintHeader();
}
