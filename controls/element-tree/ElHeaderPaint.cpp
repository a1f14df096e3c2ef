// Painting of the header: every section through a memory bitmap, the strip
// right of the sections, and the image of a dragged section.
#include <algorithm>

#include "ElHeader.hpp"
#include "ElTmSchema.hpp"
#include "ElTools.hpp"
#include "ElVCLUtils.hpp"
#include "GraphicsScoped.hpp"

struct TCustomElHeader::TSectionPaint {
  TElHeaderSection* Section = nullptr;
  bool Pressed = false;
  bool Hot = false;
  bool Themed = false;
  bool DragImage = false;
  TColor Color = clBtnFace;
};

namespace {

// The colour of a dragged section's image: its own at three quarters of the
// lightness. The image's pixels of this colour are what shows through.
TColor DragImageColor(TColor color) {
  const TColor hls = RGBtoHLS(ColorToRGB(color));
  const int lightness = std::min(((hls >> 8) & 0xFF) * 3 / 4, 239);
  return HLStoRGB((hls & ~0xFF00) | (lightness << 8));
}

void Edge(HDC dc, TRect r, UINT edge, UINT flags) { DrawEdge(dc, &r, edge, flags); }

// A glyph bitmap drawn without its background: the colour of its
// bottom-left pixel.
void DrawGlyph(HDC dc, TBitmap* glyph, int x, int y, int height) {
  if (!glyph || height <= 0) return;
  const TColor transparent = glyph->Canvas()->Pixels(0, glyph->Height() - 1);
  DrawTransparentBitmapEx(dc, glyph, x, y, TRect{0, 0, glyph->Width(), std::min(height, glyph->Height())},
                          transparent);
}

}  // namespace

bool TCustomElHeader::SectionPressed(const TElHeaderSection* section) const {
  return (pressing_ && pressedSection_ == section) || dragSection_ == section;
}

void TCustomElHeader::Paint() {
  if (painting_ || ComponentState().Contains(csDestroying)) return;
  painting_ = true;
  try {
    const TRect client = ClientRect();
    TRect clip = Canvas()->ClipRect();
    if (!IntersectRect(&clip, &clip, &client)) {
      painting_ = false;
      return;
    }
    TBitmap buffer;
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(client.right, client.bottom);
    TCanvas* canvas = buffer.Canvas();
    canvas->Font()->Assign(Font());
    TElHeaderSections* sections = Sections();
    TElHeaderSection* fixed = layout_.LeftFixedSection();
    PaintStrip(canvas, clip);
    // Each section is clipped to its own part of the update region. The
    // clip region is reset rather than restored with RestoreDC, which would
    // also put back fonts and pens the canvas has replaced meanwhile.
    auto paintOne = [&](TElHeaderSection* s) {
      TRect r = layout_.SectionClientRect(s), area;
      if (!IntersectRect(&area, &r, &clip)) return;
      const HDC dc = canvas->Handle();
      IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
      PaintSection(canvas, s, false, r);
      SelectClipRgn(dc, nullptr);
    };
    for (int i = 0; i < sections->Count(); ++i) {
      TElHeaderSection* s = sections->GetSectionAt(i);
      if (s != fixed && s->Visible()) paintOne(s);
    }
    if (fixed && fixed->Visible()) paintOne(fixed);
    PaintDragImage(canvas);
    BitBlt(Canvas()->Handle(), clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, canvas->Handle(),
           clip.left, clip.top, SRCCOPY);
  } catch (...) {
    painting_ = false;
    throw;
  }
  painting_ = false;
}

void TCustomElHeader::PaintBackground(TCanvas* canvas, const TRect& rect, TColor color) {
  if (imageForm_ && !imageForm_->ComponentState().Contains(csDesigning)) {
    if (TWinControl* real = imageForm_->GetRealControl()) {
      const POINT own = ClientOrigin(), base = real->ClientOrigin();
      imageForm_->PaintBkgnd(canvas->Handle(), rect, true, TPoint{own.x - base.x, own.y - base.y});
      return;
    }
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FillRect(rect);
}

// Right of the sections: an empty header item when themed, else the
// header's colour in a raised frame.
void TCustomElHeader::PaintStrip(TCanvas* canvas, const TRect& clip) {
  int left = layout_.SectionsWidth() - layout_.LeftOffset();
  if (TElHeaderSection* fixed = layout_.LeftFixedSection(); fixed && fixed->Visible())
    left = std::max(left, static_cast<int>(layout_.SectionClientRect(fixed).right));
  TRect strip{std::max(left, 0), 0, ClientWidth(), ClientHeight()}, area;
  if (!IntersectRect(&area, &strip, &clip)) return;
  const HDC dc = canvas->Handle();
  if (ThemesAvailable && IsThemeApplied()) {
    DrawThemeBackground(Theme(), dc, HP_HEADERITEM, HIS_NORMAL, &strip, &area);
    return;
  }
  PaintBackground(canvas, strip, Color());
  Edge(dc, strip, BDR_RAISEDINNER, BF_RECT);
}

void TCustomElHeader::PaintSection(TCanvas* canvas, TElHeaderSection* section, bool asDragImage, const TRect& rect) {
  TSectionPaint p;
  p.Section = section;
  p.DragImage = asDragImage;
  p.Pressed = asDragImage || SectionPressed(section);
  p.Hot = !asDragImage && section == hotSection_;
  p.Themed = ThemesAvailable && IsThemeApplied();
  p.Color = section->ParentColor() ? Color() : section->Color();
  if (asDragImage) p.Color = DragImageColor(p.Color);
  canvas->Font()->Assign(Font());
  TRect r = rect;
  PaintFrame(canvas, p, r);
  r.right -= 4;
  PaintButtons(canvas, p, r);
  PaintSortMark(canvas, p, r);
  r.left += 5;
  if (r.right > r.left) PaintContent(canvas, p, r);
}

void TCustomElHeader::PaintFrame(TCanvas* canvas, const TSectionPaint& p, TRect& rect) {
  const HDC dc = canvas->Handle();
  if (p.Themed) {
    const int state = p.Pressed ? HIS_PRESSED : p.Hot ? HIS_HOT : HIS_NORMAL;
    DrawThemeBackground(Theme(), dc, HP_HEADERITEM, state, &rect, nullptr);
    return;
  }
  if (p.DragImage) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(p.Color);
    canvas->FillRect(rect);
  } else {
    PaintBackground(canvas, rect, p.Color);
  }
  const bool flat = Flat();
  if (p.Pressed) {
    if (flat) {
      Edge(dc, rect, BDR_SUNKENOUTER, BF_RECT);
    } else {
      Edge(dc, rect, BDR_SUNKENINNER, BF_LEFT | BF_TOP);
      Edge(dc, rect, BDR_SUNKENOUTER, BF_RIGHT | BF_BOTTOM);
    }
    OffsetRect(&rect, 1, 1);
    return;
  }
  if (flat) {
    Edge(dc, rect, BDR_RAISEDINNER, BF_RECT);
    return;
  }
  Edge(dc, rect, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
  Edge(dc, rect, BDR_RAISEDINNER, BF_LEFT | BF_TOP);
  Edge(dc, TRect{rect.left, rect.top, rect.right - 1, rect.bottom - 1}, BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM);
}

// The expand sign at the top right, and below it the lookup or filter
// button; they take 8 pixels of the right edge.
void TCustomElHeader::PaintButtons(TCanvas* canvas, const TSectionPaint& p, TRect& rect) {
  const TElHeaderSection* s = p.Section;
  if (!(s->Expandable() || s->LookupEnabled() || s->FilterEnabled()) || rect.right - rect.left <= 7) return;
  const HDC dc = canvas->Handle();
  const int x = rect.right, y = rect.top;
  if (s->Expandable())
    DrawArrow(canvas, s->Expanded() ? eadLeft : eadRight, TRect{x - 6, y + 2, x - 1, y + 9}, true, clBtnText);
  if (s->LookupEnabled()) {
    DrawGlyph(dc, ElHeaderBitmaps().Point, x - 6, y + 10, std::min(y + 14, static_cast<int>(rect.bottom)) - (y + 10) + 1);
  } else if (s->FilterEnabled()) {
    const TColor color = s->FilterIsActive() ? activeFilterColor_ : filterColor_;
    canvas->Pen()->SetColor(color);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    const int tip = std::min(y + 14, static_cast<int>(rect.bottom));
    canvas->Polygon({TPoint{x - 6, y + 10}, TPoint{x - 2, y + 10}, TPoint{x - 4, tip}});
  }
  rect.right -= 8;
}

void TCustomElHeader::PaintSortMark(TCanvas* canvas, const TSectionPaint& p, TRect& rect) {
  const TElHeaderSection* s = p.Section;
  if (s->SortMode() == hsmNone || !s->ShowSortMark()) return;
  if (rect.right - rect.left < 13) return;
  const bool ascending = (s->SortMode() == hsmAscend) != invertSortArrows_;
  TBitmap* glyph = ascending ? ElHeaderBitmaps().Ascending : ElHeaderBitmaps().Descending;
  DrawGlyph(canvas->Handle(), glyph, rect.right - 9, rect.top + (rect.bottom - rect.top - 6) / 2, 6);
  rect.right -= 12;
}

void TCustomElHeader::PaintImage(TCanvas* canvas, int index, int x, const TRect& rect) {
  images_->Draw(canvas, x, rect.top + (rect.bottom - rect.top - images_->Height()) / 2, index, Enabled());
}

void TCustomElHeader::PaintContent(TCanvas* canvas, const TSectionPaint& p, TRect& rect) {
  TElHeaderSection* s = p.Section;
  int image = -1;
  if (images_) {
    image = s->ImageIndex();
    if (image == -1) DoPictureNeeded(s, image);
  }
  const int imageWidth = image >= 0 ? images_->Width() : 0;
  switch (s->Style()) {
    case ElhsOwnerDraw:
      DoSectionDraw(canvas, s, rect, p.Pressed && !p.DragImage);
      if (image >= 0) PaintImage(canvas, image, rect.right - imageWidth, rect);
      return;
    case ElhsPictureOnly:
      if (image >= 0) PaintImage(canvas, image, rect.left + (rect.right - rect.left - imageWidth) / 2, rect);
      return;
    case ElhsText: break;
  }
  if (image >= 0 && s->PictureAlign() == hsaLeft) {
    PaintImage(canvas, image, rect.left, rect);
    rect.left += imageWidth + 3;
  }
  const int textWidth = rect.right > rect.left ? PaintText(canvas, p, rect) : 0;
  if (image >= 0 && s->PictureAlign() == hsaRight) {
    const int x = rect.left + textWidth + 3;
    if (x + imageWidth <= rect.right) PaintImage(canvas, image, x, rect);
  }
}

int TCustomElHeader::PaintText(TCanvas* canvas, const TSectionPaint& p, const TRect& rect) {
  const TElHeaderSection* s = p.Section;
  const TElFString& text = s->Text();
  if (text.empty()) return 0;
  const bool hot = p.Hot && !p.Themed;
  const TColor color = hot ? clHighlight : s->ParentColor() ? Font()->Color() : s->FontColor();
  const int areaHeight = rect.bottom - rect.top;
  if (text.size() >= 6 && WideSameText(text.substr(0, 6), L"<html>")) {
    SetUpRender();
    render_->Data()->DefaultColor = color;
    render_->PrepareText(text, WrapCaptions() ? rect.right - rect.left : 0, WrapCaptions());
    const int textHeight = render_->Data()->TextHeight;
    TRect r = rect;
    if (s->TextLayout() == tlCenter) r.top += std::max(0, (areaHeight - textHeight) / 2);
    if (s->TextLayout() == tlBottom) r.top = std::max(r.top, r.bottom - textHeight);
    canvas->Brush()->SetStyle(bsClear);
    render_->DrawText(canvas, TPoint{0, 0}, clNone, r);
    return std::min(render_->Data()->TextWidth, static_cast<int>(rect.right - rect.left));
  }
  TElSAlignment alignment = s->Alignment();
  if (rightAlignedText_ && alignment != hsaCenter) alignment = alignment == hsaLeft ? hsaRight : hsaLeft;
  UINT flags = DT_NOPREFIX | (alignment == hsaLeft ? DT_LEFT : alignment == hsaRight ? DT_RIGHT : DT_CENTER);
  if (rightAlignedText_) flags |= DT_RTLREADING;
  if (WrapCaptions())
    flags |= DT_WORDBREAK;
  else if (text.find_first_of(L"\r\n") == TElFString::npos)
    flags |= DT_SINGLELINE | DT_END_ELLIPSIS;
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(color);
  if (hot) canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsUnderline});
  canvas->RequiredState({csHandleValid, csFontValid});
  const HDC dc = canvas->Handle();
  TRect measured = rect;
  DrawWideText(dc, text.c_str(), static_cast<int>(text.size()), (flags & ~DT_END_ELLIPSIS) | DT_CALCRECT, measured);
  const int textHeight = measured.bottom - measured.top;
  TRect r = rect;
  if (s->TextLayout() == tlCenter) r.top += (areaHeight - textHeight) / 2;
  if (s->TextLayout() == tlBottom) r.top = r.bottom - textHeight;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
  DrawWideText(dc, text.c_str(), static_cast<int>(text.size()), flags, r);
  SetBkMode(dc, oldMode);
  return std::min(static_cast<int>(measured.right - measured.left), static_cast<int>(rect.right - rect.left));
}

// ---------------------------------------------------------------- drag image

void TCustomElHeader::BuildDragImage() {
  const TRect r = layout_.SectionClientRect(dragSection_);
  const int width = std::max(static_cast<int>(r.right - r.left), 1), height = std::max(ClientHeight(), 1);
  dragImage_ = std::make_unique<TBitmap>();
  dragImage_->SetPixelFormat(pf24bit);
  dragImage_->SetSize(width, height);
  PaintSection(dragImage_->Canvas(), dragSection_, true, TRect{0, 0, width, height});
  const TColor own = dragSection_->ParentColor() ? Color() : dragSection_->Color();
  dragColor_ = DragImageColor(own);
}

// The image follows the pointer over the strip as painted; on Windows NT its
// pixels of the drag colour let the strip show through.
void TCustomElHeader::PaintDragImage(TCanvas* canvas) {
  if (!dragSection_ || !dragImage_) return;
  const HDC dc = canvas->Handle();
  if (IsWinNT)
    DrawTransparentBitmapEx(dc, dragImage_.get(), dragRect_.left, dragRect_.top,
                            TRect{0, 0, dragImage_->Width(), dragImage_->Height()}, dragColor_);
  else
    BitBlt(dc, dragRect_.left, dragRect_.top, dragImage_->Width(), dragImage_->Height(), dragImage_->Canvas()->Handle(),
           0, 0, SRCCOPY);
}
