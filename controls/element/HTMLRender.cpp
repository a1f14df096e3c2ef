// The renderer's objects: items and their measuring, the data, the
// renderer's device context with its fonts, preparing texts and hit testing.
#include "HTMLRender.hpp"

#include <cstdlib>

#include "ElTools.hpp"
#include "ElVCLUtils.hpp"
#include "HTMLRenderLines.hpp"
#include "SysUtils.hpp"

const char* const ElHTMLErrorMessage = "Corvane HTML engine error - the text is not valid HTML";

// ---------------------------------------------------------------- items

namespace {

TElHTMLMeasurer* MeasurerOf(const TElHTMLItem& item) {
  return item.Owner && item.Owner->Render ? item.Owner->Render->Measurer() : nullptr;
}

}  // namespace

void TElHTMLItem::CopyAttributes(const TElHTMLItem& source) {
  FontStyle = source.FontStyle;
  FontHeight = source.FontHeight;
  FontBgColor = source.FontBgColor;
  FontColor = source.FontColor;
  LinkRef = source.LinkRef;
  FontName = source.FontName;
  ColorCount = source.ColorCount;
  Indent = source.Indent;
  Flags = source.Flags;
}

bool TElHTMLItem::IsBreak() const {
  return ItemType == hitWrapBreak || ItemType == hitLineBreak || ItemType == hitParagraph ||
         ItemType == hitListItem;
}

TElHTMLFont TElHTMLItem::MeasureFont() const {
  TElHTMLFont font;
  font.Name = FontName;
  font.Charset = Owner ? Owner->Charset : TFontCharset(0);
  font.Height = (IsSubscript() || IsSuperscript()) ? FontHeight - 2 * Sign(FontHeight) : FontHeight;
  font.Style = IsLink() && Owner ? Owner->LinkStyle : FontStyle;
  return font;
}

int TElHTMLItem::GetWidth() {
  switch (ItemType) {
    case hitText:
      if (TextWidth < 0) {
        TElHTMLMeasurer* m = MeasurerOf(*this);
        if (!m) return 0;
        TextWidth = m->TextWidth(MeasureFont(), Text) + 1;
      }
      return TextWidth;
    case hitImage:
    case hitRule:
      return Width;
    case hitListIndent: {
      TElHTMLMeasurer* m = MeasurerOf(*this);
      return m ? m->Metrics(MeasureFont()).MaxCharWidth : 0;
    }
    default:
      return 0;
  }
}

int TElHTMLItem::GetHeight(int& descent) {
  descent = 0;
  switch (ItemType) {
    case hitText: {
      TElHTMLMeasurer* m = MeasurerOf(*this);
      if (!m) return 0;
      const TElHTMLFontMetrics metrics = m->Metrics(MeasureFont());
      descent = metrics.Descent;
      return std::abs(metrics.Height);
    }
    case hitImage:
      return Height;
    default:
      return 0;
  }
}

int TElHTMLBreakItem::GetWidth() {
  if (ItemType != hitListItem) return 0;
  TElHTMLMeasurer* m = MeasurerOf(*this);
  return m ? m->Metrics(MeasureFont()).AveCharWidth : 0;
}

int TElHTMLBreakItem::GetHeight(int& descent) {
  descent = 0;
  if (!Owner) return 0;
  const int height = std::abs(Owner->DefaultHeight);
  switch (ItemType) {
    case hitWrapBreak:
    case hitLineBreak:
    case hitListItem:
      return height;
    case hitParagraph:
      // The first paragraph of a text adds no space above it.
      return Owner->ItemCount() > 0 && Owner->Item(0) == this ? height : MulDiv(height, 3, 2);
    default:
      return 0;
  }
}

// ---------------------------------------------------------------- data

TElHTMLData::TElHTMLData() { Items.SetAutoClearObjects(true); }

TElHTMLData::~TElHTMLData() { ClearItems(); }

void TElHTMLData::ClearItems() {
  HighlightItem = nullptr;
  Items.Clear();
}

// ---------------------------------------------------------------- the renderer's device

// Measures on the renderer's memory device context, in the fonts it keeps.
class TElHTMLRender::DeviceMeasurer : public TElHTMLMeasurer {
 public:
  explicit DeviceMeasurer(TElHTMLRender& render) : render_(render) {}

  int TextWidth(const TElHTMLFont& font, const TElFString& text) override {
    render_.SelectFont(font);
    TRect r{0, 0, 0, 0};
    DrawWideText(render_.dc_.Get(), text.data(), static_cast<int>(text.size()),
                 DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, r);
    return r.right - r.left;
  }

  TElHTMLFontMetrics Metrics(const TElHTMLFont& font) override {
    render_.SelectFont(font);
    TEXTMETRICW tm{};
    ElGetTextMetrics(render_.dc_.Get(), tm);
    TElHTMLFontMetrics m;
    m.Height = tm.tmHeight;
    m.Descent = tm.tmDescent;
    m.AveCharWidth = tm.tmAveCharWidth;
    m.MaxCharWidth = tm.tmMaxCharWidth;
    return m;
  }

  int PixelsPerInch() override { return ScreenPixelsPerInch(); }

 private:
  TElHTMLRender& render_;
};

TElHTMLRender::TElHTMLRender()
    : defaultData_(std::make_unique<TElHTMLData>()),
      dc_(nullptr),
      deviceMeasurer_(std::make_unique<DeviceMeasurer>(*this)) {
  defaultData_->Render = this;
  data_ = defaultData_.get();
  measurer_ = deviceMeasurer_.get();
  if (!dc_.Get()) throw EOutOfResources("Out of system resources");
  PrepareWorkBitmap(1, 1);
}

TElHTMLRender::~TElHTMLRender() {
  if (oldFont_) SelectObject(dc_.Get(), oldFont_);
  for (auto& entry : fonts_) DeleteObject(entry.second);
  if (oldBitmap_) SelectObject(dc_.Get(), oldBitmap_);
}

HFONT TElHTMLRender::FontHandle(const TElHTMLFont& font) {
  auto key = std::make_tuple(font.Name, int(font.Charset), font.Height, font.Style.Bits());
  auto found = fonts_.find(key);
  if (found != fonts_.end()) return found->second;
  // Texts with many sizes or faces must not pile up fonts without bound.
  if (fonts_.size() >= 64) {
    if (oldFont_) SelectObject(dc_.Get(), oldFont_);
    selectedFont_ = nullptr;
    for (auto& entry : fonts_) DeleteObject(entry.second);
    fonts_.clear();
  }
  LOGFONTW lf{};
  lf.lfHeight = font.Height;
  lf.lfWeight = font.Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = font.Style.Contains(fsItalic);
  lf.lfUnderline = font.Style.Contains(fsUnderline);
  lf.lfStrikeOut = font.Style.Contains(fsStrikeOut);
  lf.lfCharSet = font.Charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  font.Name.copy(lf.lfFaceName, LF_FACESIZE - 1);
  HFONT handle = ElCreateFontIndirect(lf);
  if (!handle) throw EOutOfResources("Out of system resources");
  fonts_.emplace(key, handle);
  return handle;
}

void TElHTMLRender::SelectFont(const TElHTMLFont& font) {
  HFONT handle = FontHandle(font);
  if (handle == selectedFont_) return;
  HGDIOBJ old = SelectObject(dc_.Get(), handle);
  if (!oldFont_) oldFont_ = old;
  selectedFont_ = handle;
}

void TElHTMLRender::PrepareWorkBitmap(int width, int height) {
  if (workBitmap_ && width == workWidth_ && height == workHeight_) return;
  TElScreenDC screen;
  TElGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  if (!bitmap) throw EOutOfResources("Out of system resources");
  HGDIOBJ old = SelectObject(dc_.Get(), bitmap.Get());
  if (!oldBitmap_) oldBitmap_ = old;
  workBitmap_ = std::move(bitmap);
  workWidth_ = width;
  workHeight_ = height;
}

void TElHTMLRender::SetMeasurer(TElHTMLMeasurer* measurer) {
  measurer_ = measurer ? measurer : deviceMeasurer_.get();
}

// ---------------------------------------------------------------- data and texts

TElHTMLData* TElHTMLRender::CreateData() {
  auto* data = new TElHTMLData();
  data->Render = this;
  return data;
}

void TElHTMLRender::DestroyData(TElHTMLData* data) {
  if (!data) return;
  if (data == data_) data_ = nullptr;
  // The renderer's own data lives as long as the renderer.
  if (data == defaultData_.get()) return;
  data->Free();
}

void TElHTMLRender::SetData(TElHTMLData* data) {
  data_ = data ? data : defaultData_.get();
  data_->Render = this;
}

void TElHTMLRender::PrepareText(const TElFString& text, int maxWidth, bool autoWrap) {
  if (data_) PrepareToData(text, maxWidth, data_, autoWrap);
}

void TElHTMLRender::PrepareToData(const TElFString& text, int maxWidth, TElHTMLData* data, bool autoWrap) {
  if (!data) return;
  data->Render = this;
  data->ClearItems();
  data->TextWidth = 0;
  data->TextHeight = 0;
  try {
    ElHTMLParseAndLayout(*this, *data, text, maxWidth, autoWrap);
  } catch (...) {
    data->ClearItems();
    data->TextWidth = 0;
    data->TextHeight = 0;
    throw Exception(ElHTMLErrorMessage);
  }
}

void TElHTMLRender::TriggerImageNeededEvent(const TElFString& src, TBitmap*& image) {
  image = nullptr;
  if (OnImageNeeded) OnImageNeeded(this, src, image);
}

// ---------------------------------------------------------------- hit testing

TElHTMLItem* TElHTMLRender::ItemAt(TPoint origin, TPoint point, const TRect& rect) {
  if (!data_) return nullptr;
  const TPoint p{origin.x + point.x, origin.y + point.y};
  TElHTMLLineWalker lines(*data_, rect.right - rect.left + 1);
  TElHTMLLine line;
  while (lines.Next(line)) {
    const std::int64_t bottom = line.Top + line.Break->Height;
    if (bottom <= p.y) continue;
    std::int64_t x = line.X;
    for (int i = line.First + 1; i < line.End; ++i) {
      TElHTMLItem* item = data_->Item(i);
      if (item->ItemType != hitText && item->ItemType != hitImage) continue;
      // A script run is hit at its reduced height; an image in a script
      // keeps its own.
      const bool script = item->ItemType == hitText && (item->IsSubscript() || item->IsSuperscript());
      int h = item->Height;
      if (script) {
        int descent = 0;
        h = item->GetHeight(descent);
      }
      const int s = script && item->IsSuperscript() ? h / 2 : 0;
      if (x <= p.x && p.x <= x + item->Width && bottom - h - s <= p.y && p.y <= bottom - s) return item;
      x += item->Width;
    }
    return nullptr;
  }
  return nullptr;
}

bool TElHTMLRender::IsCursorOverLink(TPoint origin, TPoint point, TElFString& href, const TRect& rect) {
  href.clear();
  TElHTMLItem* item = ItemAt(origin, point, rect);
  if (!item || !item->IsLink()) return false;
  href = item->LinkRef;
  return true;
}
