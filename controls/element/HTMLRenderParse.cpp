// The renderer's parser and layout: tags, entities, blanks and word wrap
// turn a text into items; the layout sizes every line.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ElTools.hpp"
#include "ElUnicodeStrings.hpp"
#include "HTMLRender.hpp"
#include "HTMLRenderLines.hpp"
#include "SysUtils.hpp"

namespace {

WideChar AsciiLower(WideChar c) { return (c >= L'A' && c <= L'Z') ? WideChar(c + (L'a' - L'A')) : c; }

TElFString AsciiLowerCase(TElFString s) {
  for (WideChar& c : s) c = AsciiLower(c);
  return s;
}

// A decimal number with an optional sign that fits 32 bits.
bool ParseDecimal(const TElFString& s, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  if (i == s.size()) return false;
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < L'0' || s[i] > L'9') return false;
    v = v * 10 + (s[i] - L'0');
    if (v > INT32_MAX + std::int64_t(1)) return false;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

std::int32_t DecimalOr(const TElFString& s, std::int32_t fallback) {
  std::int32_t v = 0;
  return ParseDecimal(s, v) ? v : fallback;
}

// Sizes, indents and font heights from a text: any 32-bit number arrives,
// and the layout keeps them in the 16 bits its items hold.
std::int32_t Coordinate(std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -32768, 32767)); }
std::int32_t Size(std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, 32767)); }

// Points at the given pixels per inch, rounded half away from zero like
// MulDiv, for any 32-bit number of points.
std::int64_t PointsToPixels(std::int32_t points, int pixelsPerInch) {
  const std::int64_t product = std::int64_t(points) * pixelsPerInch;
  return (product >= 0 ? product + 36 : product - 36) / 72;
}

// One to eight hexadecimal digits.
bool ParseHex(const TElFString& s, std::uint32_t& value) {
  if (s.empty() || s.size() > 8) return false;
  std::uint32_t v = 0;
  for (WideChar c : s) {
    int digit;
    if (c >= L'0' && c <= L'9')
      digit = c - L'0';
    else if (c >= L'a' && c <= L'f')
      digit = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
      digit = c - L'A' + 10;
    else
      return false;
    v = v * 16 + std::uint32_t(digit);
  }
  value = v;
  return true;
}

// The ASCII text of S; false when S holds anything else.
bool AsciiOf(const TElFString& s, std::string& out) {
  out.clear();
  for (WideChar c : s) {
    if (c >= 0x80) return false;
    out += static_cast<char>(c);
  }
  return true;
}

// A tag's attributes as lower-cased name=value strings.
class TagAttributes {
 public:
  // Splits the text between the tag name and ">" at blanks outside quotes.
  explicit TagAttributes(const TElFString& text) {
    TElFString part;
    WideChar quote = 0;
    for (WideChar c : text) {
      if (quote) {
        part += c;
        if (c == quote) quote = 0;
      } else if (c == L' ') {
        Flush(part);
      } else {
        if (c == L'"' || c == L'\'') quote = c;
        part += c;
      }
    }
    Flush(part);
  }

  bool Empty() { return list_.Count() == 0; }

  // The value without its opening quote and its matching closing quote.
  TElFString Value(const wchar_t* name) {
    TElFString v = list_.GetValue(name);
    if (!v.empty() && (v[0] == L'"' || v[0] == L'\'')) {
      const WideChar quote = v[0];
      v.erase(0, 1);
      if (!v.empty() && v.back() == quote) v.pop_back();
    }
    return v;
  }

 private:
  void Flush(TElFString& part) {
    const std::size_t eq = part.find(L'=');
    if (eq != TElFString::npos) list_.Add(AsciiLowerCase(part.substr(0, eq)) + part.substr(eq));
    part.clear();
  }

  TElWideStringList list_;
};

}  // namespace

// ---------------------------------------------------------------- the parser

namespace {

// The attributes a text starts with, from the data's defaults.
void SetBaseAttributes(TElHTMLItem& item, const TElHTMLData& data) {
  item.FontName = AnsiToWide(data.DefaultFont);
  item.FontHeight = data.DefaultHeight;
  item.FontStyle = data.DefaultStyle;
  item.FontColor = data.DefaultColor;
  item.FontBgColor = data.DefaultBgColor;
}

}  // namespace

class TElHTMLParser {
 public:
  TElHTMLParser(TElHTMLRender& render, TElHTMLData& data, int maxWidth, bool autoWrap)
      : render_(render), data_(data), maxWidth_(maxWidth), autoWrap_(autoWrap) {
    run_ = std::make_unique<TElHTMLItem>(&data_);
    SetBaseAttributes(*run_, data_);
  }

  void Parse(const TElFString& text);

 private:
  struct FontState {
    TElFString name;
    std::int32_t height;
    TColor color;
    TColor bgColor;
  };

  std::size_t ReadTag(const TElFString& text, std::size_t pos);
  std::size_t ReadEntity(const TElFString& text, std::size_t pos);
  void ApplyTag(const TElFString& name, TagAttributes& attrs);
  void FontTag(TagAttributes& attrs);
  void EndFontTag();
  void ListTag(bool open);
  void ImageTag(TagAttributes& attrs);
  void RuleTag(TagAttributes& attrs);
  void ReadColor(const TElFString& value, TColor fallback, TColor& color);

  void Append(WideChar c);
  void AppendBlank();
  void WrapLine();

  void Emit();
  std::unique_ptr<TElHTMLItem> NewRun() const;
  std::unique_ptr<TElHTMLBreakItem> NewBreak(Byte kind) const;
  void AddItem(std::unique_ptr<TElHTMLItem> item);
  void RemoveTrailingLineBreak();
  void RecountLine();
  TElHTMLBreakItem* LastBreak() const {
    return lastBreak_ >= 0 ? static_cast<TElHTMLBreakItem*>(data_.Item(lastBreak_)) : nullptr;
  }
  int LastAlign() const { return LastBreak() ? LastBreak()->Alignment() : haLeft; }
  int MaxCharWidth() const;

  TElHTMLRender& render_;
  TElHTMLData& data_;
  int maxWidth_;
  bool autoWrap_;
  std::unique_ptr<TElHTMLItem> run_;
  std::vector<FontState> fonts_;
  int listLevel_ = 0;
  // The last break item among the items and, while wrapping, the width of
  // the items after it.
  int lastBreak_ = -1;
  std::int64_t lineWidth_ = 0;
};

void TElHTMLParser::Parse(const TElFString& source) {
  // The text ends at its first zero unit.
  const TElFString text = source.substr(0, source.find(L'\0'));
  std::size_t pos = 0;
  const std::size_t end = text.size();
  while (pos < end) {
    const WideChar c = text[pos];
    if (c == L'<') {
      pos = ReadTag(text, pos);
    } else if (c == L'&') {
      pos = ReadEntity(text, pos);
    } else if (c == L'\r') {
      pos += (pos + 1 < end && text[pos + 1] == L'\n') ? 2 : 1;
    } else {
      if (c == L' ')
        AppendBlank();
      else
        Append(c);
      ++pos;
    }
  }
  if (run_->ItemType != hitText || !run_->Text.empty()) AddItem(std::move(run_));
  if (data_.ItemCount() > 0 && data_.Item(0)->ItemType != hitParagraph) {
    auto front = std::make_unique<TElHTMLBreakItem>(&data_, hitParagraph);
    SetBaseAttributes(*front, data_);
    data_.Items.Insert(0, static_cast<TObject*>(front.release()));
  }
}

// ---- characters

void TElHTMLParser::Append(WideChar c) {
  run_->Text += c;
  run_->TextWidth = -1;
  if (!autoWrap_) return;
  const std::int64_t indent = LastBreak() ? LastBreak()->Indent : 0;
  if (maxWidth_ < run_->GetWidth() + lineWidth_ + indent) WrapLine();
}

void TElHTMLParser::AppendBlank() {
  if (run_->Text.empty() || run_->Text.back() != L' ') Append(L' ');
}

// Ends the line before the current run's last word (or, for one long word
// right after a break, before its last character) with a wrap break.
void TElHTMLParser::WrapLine() {
  TElFString& text = run_->Text;
  const std::size_t blank = text.rfind(L' ');
  // The start of the text is the start of a line too.
  const bool afterBreak = data_.ItemCount() == 0 || data_.Item(data_.ItemCount() - 1)->IsBreak();
  const std::size_t cut = (blank != TElFString::npos || !afterBreak)
                              ? (blank == TElFString::npos ? 0 : blank + 1)
                              : text.size() - 1;
  TElFString moved = text.substr(cut);
  text.erase(cut);
  run_->TextWidth = -1;

  auto wrap = NewBreak(hitWrapBreak);
  if (TElHTMLBreakItem* last = LastBreak()) {
    wrap->Align = last->Alignment();
    wrap->ListLevel = last->ListLevel;
    wrap->ListIndex = last->ListIndex;
  }
  auto next = NewRun();
  next->Text = std::move(moved);
  // A run left empty by the move is not kept.
  if (!text.empty()) AddItem(std::move(run_));
  AddItem(std::move(wrap));
  run_ = std::move(next);
}

std::size_t TElHTMLParser::ReadEntity(const TElFString& text, std::size_t pos) {
  std::size_t end = pos + 1;
  while (end < text.size() && text[end] != L';') ++end;
  const TElFString name = text.substr(pos + 1, end - pos - 1);
  const std::size_t next = (end < text.size() && text[end] == L';') ? end + 1 : end;

  if (!name.empty() && name[0] == L'#') {
    std::int32_t code = DecimalOr(name.substr(1), 32);
    if (code == 32)
      AppendBlank();
    else if (code > 0 && code <= 0xFFFF)  // NUL and values past one code unit are left out
      Append(static_cast<WideChar>(code));
    return next;
  }
  static const struct {
    const wchar_t* name;
    WideChar c;
  } kEntities[] = {{L"amp", L'&'},       {L"quot", L'"'},      {L"gt", L'>'},       {L"lt", L'<'},
                   {L"euro", 0x20AC},    {L"sect", 0x00A7},    {L"reg", 0x00AE},    {L"copy", 0x00A9},
                   {L"para", 0x00B6},    {L"trade", 0x2122}};
  const TElFString lower = AsciiLowerCase(name);
  if (lower == L"nbsp") {
    Append(L' ');  // a blank that never collapses
    return next;
  }
  for (const auto& e : kEntities)
    if (lower == e.name) {
      Append(e.c);
      break;
    }
  return next;
}

// ---- tags

std::size_t TElHTMLParser::ReadTag(const TElFString& text, std::size_t pos) {
  const std::size_t end = text.size();
  std::size_t i = pos + 1;
  TElFString name;
  while (i < end && text[i] != L' ' && text[i] != L'>') {
    name += text[i++];
    if (name == L"!--") {
      const std::size_t close = text.find(L"-->", i);
      return close == TElFString::npos ? end : close + 3;
    }
  }
  if (i >= end) return end;  // cut off by the end of the text
  std::size_t close = i;
  if (text[i] == L' ') {
    close = text.find(L'>', i);
    if (close == TElFString::npos) return end;
  }
  TagAttributes attrs(text.substr(i, close - i));
  ApplyTag(AsciiLowerCase(name), attrs);
  return close + 1;
}

void TElHTMLParser::ApplyTag(const TElFString& name, TagAttributes& attrs) {
  struct Toggle {
    const wchar_t* open;
    const wchar_t* close;
    Byte flag;
    int style;  // a TFontStyle, or -1
  };
  static const Toggle kToggles[] = {
      {L"sub", L"/sub", hifSubscript, -1},    {L"sup", L"/sup", hifSuperscript, -1},
      {L"b", L"/b", 0, fsBold},               {L"i", L"/i", 0, fsItalic},
      {L"strikeout", L"/strikeout", 0, fsStrikeOut}, {L"u", L"/u", 0, fsUnderline}};
  for (const Toggle& t : kToggles) {
    const bool open = name == t.open;
    if (!open && name != t.close) continue;
    Emit();
    if (t.style >= 0) {
      if (open)
        run_->FontStyle.Include(static_cast<TFontStyle>(t.style));
      else
        run_->FontStyle.Exclude(static_cast<TFontStyle>(t.style));
    } else {
      run_->Flags = open ? Byte(run_->Flags | t.flag) : Byte(run_->Flags & ~t.flag);
    }
    return;
  }
  if (name == L"ul" || name == L"/ul") {
    ListTag(name == L"ul");
  } else if (name == L"li") {
    Emit();
    RemoveTrailingLineBreak();
    auto item = NewBreak(hitListItem);
    item->ListLevel = listLevel_;
    item->ListIndex = -1;
    AddItem(std::move(item));
  } else if (name == L"p") {
    Emit();
    const TElFString align = AsciiLowerCase(attrs.Value(L"align"));
    auto paragraph = NewBreak(hitParagraph);
    paragraph->Align = align == L"center" ? haCenter : (align == L"right" ? haRight : haLeft);
    paragraph->Indent = Coordinate(DecimalOr(attrs.Value(L"indent"), 0));
    run_->Indent = paragraph->Indent;
    AddItem(std::move(paragraph));
  } else if (name == L"br") {
    Emit();
    auto lineBreak = NewBreak(hitLineBreak);
    lineBreak->Align = LastAlign();
    AddItem(std::move(lineBreak));
  } else if (name == L"img") {
    ImageTag(attrs);
  } else if (name == L"a") {
    if (attrs.Empty()) return;
    Emit();
    run_->Flags |= hifLink;
    run_->LinkRef = attrs.Value(L"href");
  } else if (name == L"/a") {
    Emit();
    run_->Flags &= Byte(~hifLink);
    run_->LinkRef.clear();
  } else if (name == L"hr") {
    RuleTag(attrs);
  } else if (name == L"font") {
    FontTag(attrs);
  } else if (name == L"/font") {
    EndFontTag();
  }
}

int TElHTMLParser::MaxCharWidth() const {
  TElHTMLItem probe(&data_, hitListIndent);
  probe.CopyAttributes(*run_);
  return probe.GetWidth();
}

void TElHTMLParser::ListTag(bool open) {
  Emit();
  if (open) {
    ++listLevel_;
    run_->Indent = Coordinate(std::int64_t(run_->Indent) + MaxCharWidth());
    return;
  }
  // A closing tag without its list ends the line but moves nothing back:
  // the text must not slide out of the area to the left.
  if (listLevel_ > 0) {
    --listLevel_;
    run_->Indent = Coordinate(std::int64_t(run_->Indent) - MaxCharWidth());
  }
  RemoveTrailingLineBreak();
  auto lineBreak = NewBreak(hitLineBreak);
  lineBreak->ListLevel = listLevel_;
  AddItem(std::move(lineBreak));
}

void TElHTMLParser::ImageTag(TagAttributes& attrs) {
  const TElFString src = attrs.Value(L"src");
  if (src.empty()) return;
  Emit();
  auto image = std::make_unique<TElHTMLItem>(&data_, hitImage);
  image->CopyAttributes(*run_);
  image->Text = src;
  TBitmap* bitmap = nullptr;
  render_.TriggerImageNeededEvent(src, bitmap);
  image->Width = Size(DecimalOr(attrs.Value(L"width"), bitmap ? bitmap->Width() : 0));
  image->Height = Size(DecimalOr(attrs.Value(L"height"), bitmap ? bitmap->Height() : 0));
  AddItem(std::move(image));
}

void TElHTMLParser::RuleTag(TagAttributes& attrs) {
  // The run before the rule keeps its place on the line above it.
  Emit();
  const int align = LastAlign();
  auto rule = std::make_unique<TElHTMLItem>(&data_, hitRule);
  rule->CopyAttributes(*run_);
  rule->Width = Size(DecimalOr(attrs.Value(L"width"), 0));
  // A full-width rule starts at the left; a sized one follows the paragraph.
  auto before = NewBreak(hitLineBreak);
  before->Align = rule->Width == 0 ? haLeft : align;
  auto after = NewBreak(hitLineBreak);
  after->Align = align;
  AddItem(std::move(before));
  AddItem(std::move(rule));
  AddItem(std::move(after));
}

void TElHTMLParser::ReadColor(const TElFString& value, TColor fallback, TColor& color) {
  if (!value.empty() && value[0] == L'#') {
    std::uint32_t rgb = 0;
    color = ParseHex(value.substr(1), rgb) ? static_cast<TColor>(ByteSwap32(rgb << 8)) : fallback;
    return;
  }
  std::string ident;
  if (!AsciiOf(value, ident)) return;
  if (ident.size() < 2 || !SameText(ident.substr(0, 2), "cl")) ident = "cl" + ident;
  TColor found = 0;
  if (IdentToColor(ident, found)) color = found;
}

void TElHTMLParser::FontTag(TagAttributes& attrs) {
  Emit();
  fonts_.push_back(FontState{run_->FontName, run_->FontHeight, run_->FontColor, run_->FontBgColor});
  for (const wchar_t* key : {L"face", L"name"}) {
    const TElFString face = attrs.Value(key);
    if (!face.empty()) run_->FontName = face;
  }
  const TElFString size = attrs.Value(L"size");
  if (!size.empty()) {
    if (size[0] == L'+' || size[0] == L'-')
      run_->FontHeight = Coordinate(std::int64_t(data_.DefaultHeight) -
                                    PointsToPixels(DecimalOr(size, 0), render_.Measurer()->PixelsPerInch()));
    else
      run_->FontHeight = Coordinate(DecimalOr(size, data_.DefaultHeight));
  }
  const TElFString color = attrs.Value(L"color"), bgColor = attrs.Value(L"bgcolor");
  if (!color.empty()) ReadColor(color, data_.DefaultColor, run_->FontColor);
  if (!bgColor.empty()) ReadColor(bgColor, data_.DefaultBgColor, run_->FontBgColor);
  if (!color.empty() || !bgColor.empty()) ++run_->ColorCount;
}

void TElHTMLParser::EndFontTag() {
  Emit();
  if (fonts_.empty()) return;
  const FontState saved = fonts_.back();
  fonts_.pop_back();
  if (saved.color != run_->FontColor || saved.bgColor != run_->FontBgColor) --run_->ColorCount;
  run_->FontName = saved.name;
  run_->FontHeight = saved.height;
  run_->FontColor = saved.color;
  run_->FontBgColor = saved.bgColor;
}

// ---- items

std::unique_ptr<TElHTMLItem> TElHTMLParser::NewRun() const {
  auto item = std::make_unique<TElHTMLItem>(&data_, hitText);
  item->CopyAttributes(*run_);
  return item;
}

std::unique_ptr<TElHTMLBreakItem> TElHTMLParser::NewBreak(Byte kind) const {
  auto item = std::make_unique<TElHTMLBreakItem>(&data_, kind);
  item->CopyAttributes(*run_);
  item->ListLevel = listLevel_;
  return item;
}

// Adds the current run when it holds anything; a new run with its
// attributes takes its place.
void TElHTMLParser::Emit() {
  if (run_->ItemType == hitText && run_->Text.empty()) return;
  auto next = NewRun();
  AddItem(std::move(run_));
  run_ = std::move(next);
}

void TElHTMLParser::AddItem(std::unique_ptr<TElHTMLItem> item) {
  const bool isBreak = item->IsBreak();
  TElHTMLItem* added = item.get();
  data_.Items.Add(static_cast<TObject*>(item.release()));
  if (isBreak) {
    lastBreak_ = data_.ItemCount() - 1;
    lineWidth_ = 0;
  } else if (autoWrap_) {
    lineWidth_ += added->GetWidth();
  }
}

void TElHTMLParser::RemoveTrailingLineBreak() {
  const int last = data_.ItemCount() - 1;
  if (last < 0 || data_.Item(last)->ItemType != hitLineBreak) return;
  data_.Items.Delete(last);
  RecountLine();
}

void TElHTMLParser::RecountLine() {
  lastBreak_ = -1;
  lineWidth_ = 0;
  for (int i = data_.ItemCount() - 1; i >= 0; --i) {
    if (data_.Item(i)->IsBreak()) {
      lastBreak_ = i;
      break;
    }
    if (autoWrap_) lineWidth_ += data_.Item(i)->GetWidth();
  }
}

// ---------------------------------------------------------------- layout

namespace {

// Scripts grow a text run's line by part of its height; an image or a
// rule inside a script keeps its own size.
void ApplyScript(TElHTMLItem& item, int& descent) {
  if (item.ItemType != hitText) return;
  const int h = item.Height;
  if (item.IsSubscript()) {
    descent += h / 4;
    item.Height = Size(h + (h >> 2));
  } else if (item.IsSuperscript()) {
    descent -= h / 2;
    item.Height = Size(h + h * 2 / 3);
  }
}

// Line sizes are summed in 64 bits and kept in the 16 bits of the items,
// so that no text, however hostile, lays out wider or taller than that.
void LayoutLines(TElHTMLData& data) {
  const int count = data.ItemCount();
  std::int64_t textWidth = 0, textHeight = 0;
  for (int i = 0; i < count;) {
    TElHTMLItem* first = data.Item(i);
    std::int64_t lineWidth = 0;
    int lineHeight = 0, lineDescent = 0;
    int j = i;
    do {
      TElHTMLItem* item = data.Item(j);
      int descent = 0;
      item->Width = Coordinate(item->GetWidth());
      item->Height = Size(item->GetHeight(descent));
      ApplyScript(*item, descent);
      lineWidth += item->Width;
      lineHeight = Max(lineHeight, item->Height);
      lineDescent = Max(lineDescent, descent);
      ++j;
    } while (j < count && !data.Item(j)->IsBreak());
    if (first->IsBreak()) {
      auto* line = static_cast<TElHTMLBreakItem*>(first);
      line->Height = lineHeight;
      line->Width = Coordinate(line->Indent + lineWidth);
      line->Align = line->Alignment() | (Min(lineDescent, 0x7FFF) << 16);
      textWidth = std::max<std::int64_t>(textWidth, line->Width);
      textHeight += line->Height;
    }
    i = j;
  }
  data.TextWidth = Size(textWidth);
  data.TextHeight = Size(textHeight);
}

}  // namespace

void ElHTMLParseAndLayout(TElHTMLRender& render, TElHTMLData& data, const TElFString& text, int maxWidth,
                          bool autoWrap) {
  TElHTMLParser parser(render, data, maxWidth, autoWrap);
  parser.Parse(text);
  LayoutLines(data);
}
