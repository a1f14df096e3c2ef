// The HTML-subset renderer: a UTF-16 text in a small HTML subset is parsed
// into runs, images, rules and breaks, laid out into lines (optionally
// wrapped at a maximum width), painted through an off-screen bitmap and
// hit-tested for links.
//
// Tags: b, i, u, strikeout, sub, sup, font (face, name, size, color,
// bgcolor), a (href), img (src, width, height), br, p (align, indent), hr
// (width), ul, li and comments. Entities: nbsp, amp, quot, gt, lt, euro,
// sect, reg, copy, para, trade and decimal character numbers.
//
// Measuring goes through TElHTMLMeasurer, so that parsing, wrapping, layout
// and hit testing run without a device; painting always uses the real one.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>

#include "ElGdiScope.hpp"
#include "ElList.hpp"
#include "ElStrUtils.hpp"
#include "Graphics.hpp"

class TElHTMLData;
class TElHTMLRender;

// The font a run is measured and drawn with.
struct TElHTMLFont {
  TElFString Name;
  TFontCharset Charset = 0;
  int Height = 0;  // negative: character height in pixels
  TFontStyles Style;
};

// The text metrics the layout uses, in pixels.
struct TElHTMLFontMetrics {
  int Height = 0;
  int Descent = 0;
  int AveCharWidth = 0;
  int MaxCharWidth = 0;
};

// Text extents and font metrics for the layout.
class TElHTMLMeasurer {
 public:
  virtual ~TElHTMLMeasurer() = default;
  // The width of a single line of text, without prefix processing.
  virtual int TextWidth(const TElHTMLFont& font, const TElFString& text) = 0;
  virtual TElHTMLFontMetrics Metrics(const TElHTMLFont& font) = 0;
  // Vertical pixels per inch, for relative font sizes.
  virtual int PixelsPerInch() = 0;
};

// Item kinds.
enum TElHTMLItemType : Byte {
  hitText = 0,
  hitWrapBreak = 1,  // made by word wrap
  hitLineBreak = 2,
  hitParagraph = 3,
  hitImage = 4,
  hitRule = 5,
  hitListItem = 6,   // a break that draws a bullet
  hitListIndent = 7  // only while measuring a list indent
};

// Item flags.
constexpr Byte hifLink = 1;
constexpr Byte hifSubscript = 2;
constexpr Byte hifSuperscript = 4;

// Line alignment, in the low 16 bits of a break item's Align.
constexpr int haLeft = 0;
constexpr int haCenter = 1;
constexpr int haRight = 2;

// One run of text, an image or a rule.
class TElHTMLItem : public TObject {
 public:
  explicit TElHTMLItem(TElHTMLData* owner, Byte itemType = hitText) : Owner(owner), ItemType(itemType) {}

  virtual int GetWidth();
  virtual int GetHeight(int& descent);

  // Takes the font and link attributes and the indent of another item.
  void CopyAttributes(const TElHTMLItem& source);
  bool IsBreak() const;
  bool IsLink() const { return (Flags & hifLink) != 0; }
  bool IsSubscript() const { return (Flags & hifSubscript) != 0; }
  bool IsSuperscript() const { return (Flags & hifSuperscript) != 0; }
  // The font the item is measured and drawn with: the link style for links,
  // a smaller height for subscript and superscript.
  TElHTMLFont MeasureFont() const;

  TElHTMLData* Owner;
  Byte ItemType;
  TElFString Text;  // the src value for an image
  TFontStyles FontStyle;
  std::int32_t FontHeight = 0;
  TColor FontBgColor = clNone;
  TColor FontColor = clWindowText;
  TElFString LinkRef;
  TElFString FontName;
  // Enclosing font tags that set a colour; non-zero: explicit colours.
  std::int32_t ColorCount = 0;
  // Measured width of Text, -1 until measured.
  std::int32_t TextWidth = -1;
  // Layout size; for an image or rule the size from the attributes.
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Indent = 0;
  Byte Flags = 0;
};

// The item that starts every line.
class TElHTMLBreakItem : public TElHTMLItem {
 public:
  using TElHTMLItem::TElHTMLItem;

  int GetWidth() override;
  int GetHeight(int& descent) override;

  int Alignment() const { return Align & 0xFFFF; }
  // The line's maximum descent, kept by the layout in the high 16 bits.
  int LineDescent() const { return static_cast<std::int16_t>(static_cast<std::uint32_t>(Align) >> 16); }

  std::int32_t Align = haLeft;
  std::int32_t ListLevel = 0;
  std::int32_t ListIndex = 0;
};

// The parsed and laid-out form of one text.
class TElHTMLData : public TObject {
 public:
  TElHTMLData();
  ~TElHTMLData() override;

  // Frees the items and forgets the highlighted one.
  void ClearItems();
  std::int32_t ItemCount() const { return Items.Count(); }
  TElHTMLItem* Item(std::int32_t index) const { return static_cast<TElHTMLItem*>(static_cast<TObject*>(Items.FastGet(index))); }

  TElHTMLRender* Render = nullptr;
  TColor LinkColor = 0xFF0000;
  TColor DefaultColor = clWindowText;
  TFontStyles LinkStyle{fsUnderline};
  TFontStyles DefaultStyle;
  std::int32_t DefaultHeight = -11;
  TFontCharset Charset = 0;
  AnsiString DefaultFont = "MS Sans Serif";
  TElList Items;  // owns its items
  TColor DefaultBgColor = clNone;
  TColor HighlightBgColor = 0;
  TColor HighlightColor = 0;
  TElHTMLItem* HighlightItem = nullptr;
  TRect Rect{0, 0, 0, 0};
  std::int32_t TextWidth = 0;
  std::int32_t TextHeight = 0;
};

using TElHTMLImageNeededEvent = TEvent<TObject*, const TElFString&, TBitmap*&>;

// The message of the one failure the renderer reports.
extern const char* const ElHTMLErrorMessage;

class TElHTMLRender : public TObject {
 public:
  TElHTMLRender();
  ~TElHTMLRender() override;

  // A new data with the defaults; the caller owns it.
  TElHTMLData* CreateData();
  // Frees the data; when it was current, nothing is drawn or hit until
  // SetData.
  void DestroyData(TElHTMLData* data);
  // Makes the data current (nullptr: the renderer's own).
  void SetData(TElHTMLData* data);
  TElHTMLData* Data() const { return data_; }

  // Parses and lays out the text into the current data. Raises Exception
  // with ElHTMLErrorMessage, leaving the data empty, when that fails.
  void PrepareText(const TElFString& text, int maxWidth, bool autoWrap);
  // The same into another data; the current data stays current.
  void PrepareToData(const TElFString& text, int maxWidth, TElHTMLData* data, bool autoWrap);

  void DrawText(TCanvas* canvas, TPoint origin, TColor dimColor, const TRect& rect);
  // Paints the current data over the canvas content in Rect. Override
  // replaces the colours of runs without explicit colours by BgColor and
  // TextColor, and the highlight colours by HotBgColor and HotColor.
  void DrawTextEx(TCanvas* canvas, TPoint origin, TColor dimColor, TColor hotBgColor, TColor hotColor,
                  TColor bgColor, TColor textColor, bool override, const TRect& rect);

  // Origin is the scroll offset: data coordinates are Origin + Point.
  bool IsCursorOverLink(TPoint origin, TPoint point, TElFString& href, const TRect& rect);
  TElHTMLItem* ItemAt(TPoint origin, TPoint point, const TRect& rect);

  // The measurer of the layout; nullptr restores the renderer's own, which
  // measures on its memory device context. The renderer does not own it.
  void SetMeasurer(TElHTMLMeasurer* measurer);
  TElHTMLMeasurer* Measurer() const { return measurer_; }

  // Image := nullptr, then OnImageNeeded when it is assigned.
  virtual void TriggerImageNeededEvent(const TElFString& src, TBitmap*& image);

  TElHTMLImageNeededEvent OnImageNeeded;

 private:
  class DeviceMeasurer;
  struct PaintColors;

  HFONT FontHandle(const TElHTMLFont& font);
  void SelectFont(const TElHTMLFont& font);
  void PrepareWorkBitmap(int width, int height);
  void PaintRun(TElHTMLItem& item, int x, int baseline, const PaintColors& colors);
  void PaintImage(TElHTMLItem& item, int x, int y);
  void PaintBullet(TElHTMLBreakItem& item, int x, int top, int lineHeight, const PaintColors& colors);
  void PaintRule(TElHTMLItem& item, int x, int top, int lineHeight, int lineWidth, int areaWidth);

  std::unique_ptr<TElHTMLData> defaultData_;
  TElHTMLData* data_ = nullptr;
  TElMemoryDC dc_;
  TElGdiObject<HBITMAP> workBitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
  int workWidth_ = 0;
  int workHeight_ = 0;
  // Fonts made so far, by name, charset, height and style.
  std::map<std::tuple<TElFString, int, int, std::uint64_t>, HFONT> fonts_;
  HFONT selectedFont_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  std::unique_ptr<DeviceMeasurer> deviceMeasurer_;
  TElHTMLMeasurer* measurer_ = nullptr;
};
