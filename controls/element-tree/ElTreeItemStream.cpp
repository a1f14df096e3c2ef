// The item stream: one item and its subtree as a versioned binary record.
// The writer produces version -13; the reader takes every version from -13
// up to -1 and the older record without a version. Integers are
// little-endian; strings are the stream strings of ElTools.
//
// The reader trusts nothing: every count is checked against the bytes left
// before anything is made for it, every enumeration byte against its range,
// and the nesting against kElTreeStreamMaxDepth. A damaged record raises
// EReadError; the items read up to then stay in the tree, each linked whole.
#include "ElTree.hpp"

#include <cstring>

#include "ElTools.hpp"

namespace {

// The state block's size in version -13 (also -12 and -11), and the older
// blocks with their trailing byte.
constexpr int kStateBlockSize = 128;
constexpr int kStateBlock10Size = 60 + 1;
constexpr int kStateBlock9Size = 52 + 1;
constexpr int kStyleBlockSize = 36;
// The least a column text or a child record takes in the stream.
constexpr int kMinEntrySize = 4;

[[noreturn]] void DataError(const std::string& what) {
  throw EReadError(Format(LoadStr(SElTreeStreamError), {what}));
}

std::int32_t GetInt32(const Byte* p) {
  return static_cast<std::int32_t>(static_cast<Cardinal>(p[0]) | static_cast<Cardinal>(p[1]) << 8 |
                                   static_cast<Cardinal>(p[2]) << 16 | static_cast<Cardinal>(p[3]) << 24);
}

Word GetWord(const Byte* p) { return static_cast<Word>(p[0] | p[1] << 8); }

void PutInt32(Byte* p, std::int32_t value) {
  const auto v = static_cast<Cardinal>(value);
  p[0] = static_cast<Byte>(v);
  p[1] = static_cast<Byte>(v >> 8);
  p[2] = static_cast<Byte>(v >> 16);
  p[3] = static_cast<Byte>(v >> 24);
}

void PutWord(Byte* p, Word value) {
  p[0] = static_cast<Byte>(value);
  p[1] = static_cast<Byte>(value >> 8);
}

std::int32_t ReadInt32(TStream* stream) {
  Byte b[4];
  stream->ReadBuffer(b, 4);
  return GetInt32(b);
}

Byte ReadByte(TStream* stream) {
  Byte b = 0;
  stream->ReadBuffer(&b, 1);
  return b;
}

void WriteInt32(TStream* stream, std::int32_t value) {
  Byte b[4];
  PutInt32(b, value);
  stream->WriteBuffer(b, 4);
}

void WriteByte(TStream* stream, Byte value) { stream->WriteBuffer(&value, 1); }

void WriteAnsi(TStream* stream, const AnsiString& s) {
  WriteInt32(stream, static_cast<std::int32_t>(s.size()));
  if (!s.empty()) stream->WriteBuffer(s.data(), static_cast<std::int32_t>(s.size()));
}

void WriteWide(TStream* stream, const TElFString& s) {
  WriteInt32(stream, static_cast<std::int32_t>(s.size()));
  for (WideChar c : s) {
    Byte b[2];
    PutWord(b, static_cast<Word>(c));
    stream->WriteBuffer(b, 2);
  }
}

Int64 BytesLeft(TStream* stream) { return stream->Size() - stream->Position(); }

// A count of entries, each taking at least minSize bytes.
std::int32_t ReadCount(TStream* stream, int minSize, const char* what) {
  const std::int32_t count = ReadInt32(stream);
  if (count < 0 || static_cast<Int64>(count) * minSize > BytesLeft(stream)) DataError(what);
  return count;
}

Byte CheckedByte(Byte value, Byte limit, const char* what) {
  if (value >= limit) DataError(what);
  return value;
}

// The bytes of an 8-bit text whose length is already read.
AnsiString ReadAnsiOfLength(TStream* stream, std::int32_t length) {
  if (length > BytesLeft(stream)) DataError("text length");
  AnsiString s(static_cast<size_t>(length), '\0');
  if (length > 0) stream->ReadBuffer(s.data(), length);
  return s;
}

// The overlay halves of version -13; each must fit the item's 8-bit index.
std::int8_t OverlayHalf(std::int16_t half) {
  if (half < -128 || half > 127) DataError("overlay index");
  return static_cast<std::int8_t>(half);
}

}  // namespace

// ---------------------------------------------------------------- writing

void TElTreeItem::WriteData(TStream* stream) {
  WriteInt32(stream, kElTreeStreamVersion);
  WriteAnsi(stream, FStaticData ? WideToAnsi(FStaticData->Text) : AnsiString());
  WriteState(stream);
  WriteInt32(stream, -1);
  WriteWide(stream, FStaticData ? FStaticData->Hint : TElFString());
  TElWideStringList* columns = ColumnTextList();
  const int count = columns ? columns->Count() : 0;
  WriteInt32(stream, count);
  for (int i = 0; i < count; ++i) WriteAnsi(stream, WideToAnsi(columns->Get(i)));
  WriteStyles(stream);
  if (FOwner) FOwner->DoItemSave(this, stream);
  WriteInt32(stream, ChildrenCount());
  for (int i = 0; i < ChildrenCount(); ++i) GetChild(i)->WriteData(stream);
}

void TElTreeItem::WriteState(TStream* stream) {
  Byte b[kStateBlockSize] = {};
  // Focus and selection belong to this session only.
  PutWord(b + 0, static_cast<Word>(FState & ~(kStateFocused | kStateSelected)));
  PutInt32(b + 4, FImageIndex);
  PutInt32(b + 8, FStateImageIndex);
  PutInt32(b + 12, FImageIndex2);
  PutInt32(b + 16, FStateImageIndex2);
  PutInt32(b + 20, static_cast<std::int32_t>(FFlags & ~ifTransient));
  PutInt32(b + 28, FColor);
  PutInt32(b + 32, FRowBkColor);
  PutInt32(b + 36, FBkColor);
  b[40] = FCheckBoxState;
  b[41] = FCheckBoxType;
  PutInt32(b + 44, FOwnHeight);
  b[48] = FBorderStyle;
  PutInt32(b + 52, FIndent);
  PutInt32(b + 56, FLineThroughColor);
  PutInt32(b + 60, FTag);
  // Each index in its own half, so that -1 beside another value survives.
  PutInt32(b + 64, static_cast<std::int32_t>((static_cast<Cardinal>(FOverlayIndex) & 0xFFFF) |
                                             (static_cast<Cardinal>(FOverlayIndex2) << 16)));
  stream->WriteBuffer(b, kStateBlockSize);
}

void TElTreeItem::WriteStyles(TStream* stream) {
  // An item without texts of its own has no styles to write either.
  const bool styles = UseStyles() && FStaticData;
  WriteByte(stream, styles ? 1 : 0);
  if (!styles) return;
  const bool byHandler = FOwner && FOwner->OnCellStyleSave.Assigned();
  WriteByte(stream, byHandler ? 1 : 0);
  WriteStyle(stream, MainStyle(), byHandler);
  WriteInt32(stream, StylesCount());
  for (int i = 0; i < StylesCount(); ++i) WriteStyle(stream, GetStyle(i), byHandler);
}

void TElTreeItem::WriteStyle(TStream* stream, TElCellStyle* style, bool byHandler) {
  if (byHandler) {
    FOwner->OnCellStyleSave(FOwner, stream, style);
    return;
  }
  Byte b[kStyleBlockSize] = {};
  PutInt32(b + 0, style->FCellBkColor);
  PutInt32(b + 4, style->FTextBkColor);
  PutInt32(b + 8, style->FTextColor);
  PutInt32(b + 12, style->FTextFlags);
  // Bytes 16-19 would hold a picture of this process only: written as 0.
  b[20] = style->FCellType;
  b[21] = style->FStyle;
  b[22] = style->FUseTreeLook ? 1 : 0;
  b[23] = style->FUseBkColor ? 1 : 0;
  PutInt32(b + 24, style->FFontSize);
  b[28] = static_cast<Byte>(style->FFontStyles.Bits() & 0x0F);
  PutInt32(b + 32, style->FStyleValue);
  stream->WriteBuffer(b, kStyleBlockSize);
  WriteAnsi(stream, style->FFontName);
}

// ---------------------------------------------------------------- reading

void TElTreeItem::ReadData(TStream* stream) {
  ReadRecord(stream);
  ReadChildren(stream);
}

void TElTreeItem::ReadRecord(TStream* stream) {
  const std::int32_t first = ReadInt32(stream);
  const bool versioned = first < 0;
  if (first < kElTreeStreamVersion) DataError("version " + IntToStr(first));
  const std::int32_t version = versioned ? first : 0;
  const AnsiString text = versioned ? ReadStreamString(stream) : ReadAnsiOfLength(stream, first);
  if (FStaticData) FStaticData->Text = AnsiToWide(text);
  ReadState(stream, version);

  std::int32_t m = ReadInt32(stream);
  if (m == -1) {
    const TElFString hint = version < -11 ? ReadWideStreamString(stream) : AnsiToWide(ReadStreamString(stream));
    if (FStaticData) FStaticData->Hint = hint;
    m = ReadInt32(stream);
  }
  if (m < 0 || static_cast<Int64>(m) * kMinEntrySize > BytesLeft(stream)) DataError("column count");
  TElWideStringList* columns = ColumnTextList();
  if (columns) columns->BeginUpdate();
  try {
    for (std::int32_t i = 0; i < m; ++i) {
      const AnsiString column = ReadStreamString(stream);
      if (columns) columns->Add(AnsiToWide(column));
    }
  } catch (...) {
    if (columns) columns->EndUpdate();
    throw;
  }
  if (columns) columns->EndUpdate();

  if (versioned) ReadStyles(stream, version);
  if (FOwner) FOwner->DoItemLoad(this, stream);
}

void TElTreeItem::ReadChildren(TStream* stream) {
  const std::int32_t count = ReadCount(stream, kMinEntrySize, "child count");
  if (count == 0) return;
  if (FList->FReadDepth + 1 > kElTreeStreamMaxDepth) DataError("nesting deeper than " + IntToStr(kElTreeStreamMaxDepth));
  ++FList->FReadDepth;
  try {
    for (std::int32_t i = 0; i < count; ++i) FList->AddItem(this)->ReadData(stream);
  } catch (...) {
    --FList->FReadDepth;
    throw;
  }
  --FList->FReadDepth;
}

void TElTreeItem::ReadState(TStream* stream, std::int32_t version) {
  if (version <= -11) {
    Byte b[kStateBlockSize];
    stream->ReadBuffer(b, kStateBlockSize);
    const Byte checkState = CheckedByte(b[40], 3, "check box state");
    const Byte checkType = CheckedByte(b[41], 3, "check box type");
    const Byte border = CheckedByte(b[48], 5, "border style");
    const auto packed = static_cast<Cardinal>(GetInt32(b + 64));
    const std::int8_t overlay = OverlayHalf(static_cast<std::int16_t>(packed & 0xFFFF));
    const std::int8_t overlay2 = OverlayHalf(static_cast<std::int16_t>(packed >> 16));
    SetStateWord(static_cast<Word>(GetWord(b) & kStateKnownBits & ~(kStateFocused | kStateSelected)));
    FImageIndex = GetInt32(b + 4);
    FStateImageIndex = GetInt32(b + 8);
    FImageIndex2 = GetInt32(b + 12);
    FStateImageIndex2 = GetInt32(b + 16);
    const auto flags = static_cast<Cardinal>(GetInt32(b + 20)) & ~ifTransient;
    FColor = GetInt32(b + 28);
    FRowBkColor = GetInt32(b + 32);
    FBkColor = GetInt32(b + 36);
    FCheckBoxState = checkState;
    FCheckBoxType = checkType;
    FOwnHeight = static_cast<Word>(GetInt32(b + 44));
    FBorderStyle = border;
    FIndent = GetInt32(b + 52);
    FLineThroughColor = GetInt32(b + 56);
    FTag = GetInt32(b + 60);
    if (version == -13) {
      FOverlayIndex = overlay;
      FOverlayIndex2 = overlay2;
    }
    SetFlagsWord(flags);
    SetIsHTML((flags & ifIsHTML) != 0);
    return;
  }
  const bool v10 = version == -10;
  if (!v10 && (version < -9 || version > -7)) return;
  Byte b[kStateBlock10Size];
  const int size = v10 ? kStateBlock10Size : kStateBlock9Size;
  stream->ReadBuffer(b, size);
  // The older blocks keep each option in a byte of its own.
  struct ByteFlag {
    int offset9, offset10;
    Cardinal flag;
  };
  static const ByteFlag kByteFlags[] = {
      {12, 12, ifAlwaysButton},  {24, 28, ifParentColors}, {25, 29, ifParentStyle},   {26, 30, ifCheckBoxActive},
      {28, 32, ifShowCheckBox},  {40, 44, ifEnabled},      {41, 45, ifHidden},        {42, 47, ifMultiline},
      {43, 48, ifTreeLineHeight}, {48, 56, ifNoTreeLines}, {52, 60, ifUseBkColor}};
  const Byte checkState = CheckedByte(b[v10 ? 31 : 27], 3, "check box state");
  const Byte checkType = CheckedByte(b[v10 ? 33 : 29], 3, "check box type");
  SetStateWord(static_cast<Word>(GetWord(b) & kStateKnownBits & ~(kStateFocused | kStateSelected)));
  FImageIndex = GetInt32(b + 4);
  FStateImageIndex = GetInt32(b + 8);
  FColor = GetInt32(b + 16);
  if (v10) {
    FRowBkColor = GetInt32(b + 20);
    FBkColor = GetInt32(b + 24);
    FOwnHeight = GetWord(b + 54);
  } else {
    FBkColor = GetInt32(b + 20);
    FImageIndex2 = GetInt32(b + 32);
    FStateImageIndex2 = GetInt32(b + 36);
    FOwnHeight = GetWord(b + 44);
  }
  FCheckBoxState = checkState;
  FCheckBoxType = checkType;
  Cardinal flags = FFlags;
  for (const ByteFlag& f : kByteFlags) {
    if (b[v10 ? f.offset10 : f.offset9])
      flags |= f.flag;
    else
      flags &= ~f.flag;
  }
  SetFlagsWord(flags);
  SetIsHTML(b[v10 ? 57 : 49] != 0);
}

void TElTreeItem::ReadStyles(TStream* stream, std::int32_t version) {
  const Byte useStyles = CheckedByte(ReadByte(stream), 2, "style flag");
  ChangeFlags(ifUseStyles, useStyles != 0);
  if (!useStyles) return;
  const Byte byHandler = version < -1 ? CheckedByte(ReadByte(stream), 2, "style handler flag") : 0;
  if (byHandler && !(FOwner && FOwner->OnCellStyleLoad.Assigned())) DataError("styles without their loader");
  // An item without texts of its own reads its styles into a scratch one.
  TElCellStyle scratch(nullptr);
  TElCellStyle* main = MainStyle();
  ReadStyle(stream, main ? main : &scratch, byHandler != 0);
  const std::int32_t count = ReadCount(stream, byHandler ? 1 : kStyleBlockSize + 4, "style count");
  for (std::int32_t i = 0; i < count; ++i) {
    TElCellStyle* style = AddStyle();
    ReadStyle(stream, style ? style : &scratch, byHandler != 0);
  }
}

void TElTreeItem::ReadStyle(TStream* stream, TElCellStyle* style, bool byHandler) {
  if (byHandler) {
    FOwner->OnCellStyleLoad(FOwner, stream, style);
    return;
  }
  Byte b[kStyleBlockSize];
  stream->ReadBuffer(b, kStyleBlockSize);
  const Byte cellType = CheckedByte(b[20], kElFieldTypeCount, "cell type");
  const Byte sectionStyle = CheckedByte(b[21], kElSectionStyleCount, "cell style");
  const AnsiString fontName = ReadStreamString(stream);
  style->FCellBkColor = GetInt32(b + 0);
  style->FTextBkColor = GetInt32(b + 4);
  style->FTextColor = GetInt32(b + 8);
  style->FTextFlags = GetInt32(b + 12);
  style->FCellType = static_cast<TElFieldType>(cellType);
  style->FStyle = static_cast<TElSectionStyle>(sectionStyle);
  style->FUseTreeLook = b[22] != 0;
  style->FUseBkColor = b[23] != 0;
  style->FFontSize = GetInt32(b + 24);
  style->FFontStyles = TFontStyles::FromBits(b[28] & 0x0F);
  style->FStyleValue = GetInt32(b + 32);
  style->FFontName = fontName;
}
