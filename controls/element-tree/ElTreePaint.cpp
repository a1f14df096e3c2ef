// The view's painting: the rows with their cells, the lines of the
// hierarchy, the expand buttons, check boxes, images and texts, the grid
// lines, the background and the drag image. Every painter works on the
// canvas it is given, so a paint pass can go into a memory bitmap.
#include <algorithm>
#include <cwctype>

#include "ElExtBkgnd.hpp"
#include "ElImgFrm.hpp"
#include "ElTree.hpp"
#include "ElVCLUtils.hpp"

#include <commctrl.h>

namespace {

// Theme parts and states of the tree-view glyph and the button class.
constexpr int kThemeTreeGlyph = 2, kThemeGlyphClosed = 1, kThemeGlyphOpened = 2;
constexpr int kThemeRadioButton = 2, kThemeCheckBox = 3;

TElTreeItem* RowItem(TElList* rows, int index) {
  return static_cast<TElTreeItem*>(static_cast<TObject*>(rows->FastGet(index)));
}

bool IsHtmlText(const TElFString& text) {
  static const wchar_t kTag[] = L"<html>";
  if (text.size() < 6) return false;
  for (size_t i = 0; i < 6; ++i)
    if (std::towlower(static_cast<wint_t>(text[i])) != static_cast<wint_t>(kTag[i])) return false;
  return true;
}

// Siblings that show: with filtering on, hidden ones do not count.
TElTreeItem* NextShownSibling(TElTreeItem* item, bool filtered) {
  for (TElTreeItem* s = item->GetNextSibling(); s; s = s->GetNextSibling())
    if (!filtered || !s->Hidden()) return s;
  return nullptr;
}

TElTreeItem* PrevShownSibling(TElTreeItem* item, bool filtered) {
  for (TElTreeItem* s = item->GetPrevSibling(); s; s = s->GetPrevSibling())
    if (!filtered || !s->Hidden()) return s;
  return nullptr;
}

// A horizontal or vertical line from (x1, y1) up to, not including,
// (x2, y2). Dotted lines set every second pixel chosen by the parity of
// x xor y, so that the pieces drawn in neighbouring rows join into one line.
void TreeLine(HDC dc, int x1, int y1, int x2, int y2, TColor color, bool dotted) {
  const COLORREF rgb = static_cast<COLORREF>(ColorToRGB(color));
  if (!dotted) {
    HPEN pen = CreatePen(PS_SOLID, 1, rgb);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
    return;
  }
  if (y1 == y2) {
    for (int x = std::min(x1, x2); x < std::max(x1, x2); ++x)
      if (((x ^ y1) & 1) == 0) SetPixelV(dc, x, y1, rgb);
  } else {
    for (int y = std::min(y1, y2); y < std::max(y1, y2); ++y)
      if (((x1 ^ y) & 1) == 0) SetPixelV(dc, x1, y, rgb);
  }
}

// The width a cell's text takes in the canvas's font, two pixels of margin
// included: the laid-out width of HTML, else the drawn text's.
int TextWidth(TCanvas* canvas, TElTreeItem* item, const TElFString& text, const TElHTMLData* html) {
  if (html) return html->TextWidth + 2;
  TRect m{0, 0, 0, 0};
  canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid});
  DrawWideText(canvas->Handle(), text.c_str(), static_cast<int>(text.size()),
               DT_CALCRECT | DT_NOPREFIX | (item->Multiline() ? 0 : DT_SINGLELINE), m);
  return m.right - m.left + 2;
}

void FillColour(HDC dc, const TRect& r, TColor color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// Draws a bitmap into Box at (x, y), clipped to Box, with or without its
// transparent colour.
void DrawGlyph(HDC dc, TBitmap* glyph, int x, int y, const TRect& sourceRect, const TRect& box, bool transparent,
               TColor transparentColor) {
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  if (transparent) {
    DrawTransparentBitmapEx(dc, glyph, x, y, sourceRect, transparentColor);
  } else {
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, glyph->Handle());
    BitBlt(dc, x, y, sourceRect.right - sourceRect.left, sourceRect.bottom - sourceRect.top, src, sourceRect.left,
           sourceRect.top, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
  }
  RestoreDC(dc, saved);
}

UINT AlignmentFlags(TElSAlignment alignment, bool rightAlignedText) {
  switch (alignment) {
    case hsaCenter: return DT_CENTER;
    case hsaRight: return rightAlignedText ? DT_LEFT : DT_RIGHT;
    default: return rightAlignedText ? DT_RIGHT : DT_LEFT;
  }
}

}  // namespace

// The colours a cell takes, decided before it is filled.
struct TElTreeView::TCellLook {
  bool fill = false;     // a background colour was decided
  TColor back = clNone;
  TColor text = clNone;  // clNone: the item's own or the tree's colour
  bool selected = false;
};

// ---------------------------------------------------------------- geometry

TRect TElTreeView::PaintRowRect(TElList* rows, int row, int top) {
  TElTreeItem* item = RowItem(rows, row);
  return TRect{0, top, ClientWidth(), top + item->GetHeight()};
}

int TElTreeView::TotalRowsHeight() {
  int total = 0;
  for (int i = 0; i < FVisibleRows->Count(); ++i) total += RowItem(FVisibleRows.get(), i)->GetHeight();
  return total;
}

void TElTreeView::UpdateLongestWidth() {
  int longest = 0;
  FOwner->ForEachRow([&longest](TElTreeItem* item, int, int) {
    longest = std::max(longest, item->GetWidth());
    return true;
  });
  FLongestWidth = longest;
}

// ---------------------------------------------------------------- background

void TElTreeView::UpdateBackgroundBitmap() {
  TCustomElTree* t = FOwner;
  const TElBkGndType type = t->FBackgroundType;
  if (type == bgtColorFill || type == bgtCenterBitmap) {
    FBackgroundBitmap = std::make_unique<TBitmap>();
    return;
  }
  const TRect client{0, 0, std::max<int>(0, ClientWidth()), std::max<int>(0, ClientHeight())};
  if (client.right == 0 || client.bottom == 0) return;
  FBackgroundBitmap->SetSize(client.right, client.bottom);
  HDC dc = FBackgroundBitmap->Canvas()->Handle();
  if (type == bgtHorzGradient || type == bgtVertGradient) {
    GradientFillRect(dc, client, t->FGradientStartColor, type == bgtVertGradient, t->FGradientSteps,
                     t->FGradientEndColor);
  } else {
    DrawBackground(dc, client, type, t->FBackground, t->FBkColor, TPoint{0, 0}, client);
  }
}

void TElTreeView::PaintBackground(TCanvas* canvas, const TRect& r) {
  TCustomElTree* t = FOwner;
  HDC dc = canvas->Handle();
  if (t->FImgForm && !t->ComponentState().Contains(csDesigning)) {
    TPoint origin{0, 0};
    TWinControl* real = t->FImgForm->GetRealControl();
    if (real && real->HandleAllocated() && HandleAllocated()) MapWindowPoints(Handle(), real->Handle(), &origin, 1);
    t->FImgForm->PaintBkgnd(dc, r, false, origin);
    return;
  }
  const TRect client{0, 0, ClientWidth(), ClientHeight()};
  if (t->FBackgroundType == bgtCenterBitmap) {
    DrawBackground(dc, r, bgtCenterBitmap, t->FBackground, t->FBkColor, TPoint{0, 0}, client);
  } else if (t->FBackgroundType != bgtColorFill && !FBackgroundBitmap->Empty()) {
    FillColour(dc, r, t->FBkColor);
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, FBackgroundBitmap->Canvas()->Handle(), r.left,
           r.top, SRCCOPY);
  } else {
    FillColour(dc, r, t->FBkColor);
  }
}

void TElTreeView::Paint() {
  struct PaintingFlag {
    bool& flag;
    ~PaintingFlag() { flag = false; }
  } painting{FPainting};
  FPainting = true;
  TCanvas* canvas = Canvas();
  // During a size-move the cells fill their own backgrounds.
  if (!FOwner->FInSizeMove) PaintBackground(canvas, canvas->ClipRect());
  DrawRows(canvas, FOwner->FLeftPosition, FVisibleRows.get());
  PaintFrame(canvas);
}

// ---------------------------------------------------------------- the pass

void TElTreeView::DrawRows(TCanvas* canvas, int origin, TElList* rows) {
  TCustomElTree* t = FOwner;
  TElHeader* header = t->FShowColumns ? t->FHeader : nullptr;
  if (t->FMainTreeColumn < 0 || t->FMainTreeColumn >= t->HeaderSectionCount()) t->FMainTreeColumn = 0;
  // The pass works at Origin; the scroll position and the header's offset
  // come back whatever a handler raises.
  struct Restore {
    TCustomElTree* tree;
    TElHeader* header;
    int left;
    ~Restore() {
      tree->FLeftPosition = left;
      if (header) header->SetLeftOffset(left);
    }
  } restore{t, header, t->FLeftPosition};
  t->FLeftPosition = origin;
  if (header) header->SetLeftOffset(origin);

  HDC dc = canvas->Handle();
  const TRect clip = canvas->ClipRect();
  const int width = ClientWidth();
  const int sectionsWidth = header ? header->SectionsWidth() : 0;
  int top = 0;
  for (int i = 0; i < rows->Count(); ++i) {
    TElTreeItem* item = RowItem(rows, i);
    TRect rowRect = PaintRowRect(rows, i, top);
    top = rowRect.bottom;
    const bool gridBelow = t->FHorizontalLines && !t->FBarStyle && item->BorderStyle() == ibsNone;
    if (gridBelow) --rowRect.bottom;
    if (rowRect.bottom <= clip.top || rowRect.top >= clip.bottom) continue;
    TRect cell = rowRect;
    cell.right = header ? sectionsWidth - origin : std::max(FLongestWidth, width + origin) - origin;
    cell.left = -origin;
    if (!item->UseStyles()) {
      canvas->SetFont(t->Font());
      canvas->Font()->SetColor(t->FTextColor);
      canvas->Pen()->SetColor(t->FTextColor);
    }
    t->FCurrentTextColor = t->FTextColor;
    const bool framed = t->FBarStyle || item->BorderStyle() != ibsNone;
    if (framed) {
      InflateRect(&rowRect, -1, -1);
      InflateRect(&cell, -1, -1);
    }
    DrawRow(canvas, item, i, cell, rowRect);
    if (!framed) continue;
    InflateRect(&rowRect, 1, 1);
    if (header) rowRect.right = sectionsWidth - origin;
    switch (item->BorderStyle()) {
      case ibsNone: DrawEdge(dc, &rowRect, item->Selected() ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT); break;
      case ibsRaised: DrawEdge(dc, &rowRect, BDR_RAISEDINNER, BF_RECT); break;
      case ibsFlat: DrawEdge(dc, &rowRect, BDR_SUNKENOUTER, BF_RECT | BF_FLAT); break;
      case ibsSunken: DrawEdge(dc, &rowRect, BDR_SUNKENOUTER, BF_RECT); break;
      case ibsLine: {
        // The frame takes the item's border colour, whatever brush the
        // canvas holds.
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(item->BorderColor())));
        FrameRect(dc, &rowRect, brush);
        DeleteObject(brush);
        break;
      }
    }
  }

  // Below the rows and right of the sections.
  if (t->FBackgroundType == bgtColorFill && !t->FImgForm) {
    const TRect below{0, top, width + 1, ClientHeight() + 1};
    if (t->FInSizeMove) FillColour(dc, below, t->FBkColor);
    if (header) FillColour(dc, TRect{sectionsWidth - origin, 0, width + 1, ClientHeight() + 1}, t->FBkColor);
  }
  if (!t->FBarStyle || t->FBarStyleVerticalLines) DrawGridLines(canvas, top);
}

void TElTreeView::DrawGridLines(TCanvas* canvas, int rowsBottom) {
  TCustomElTree* t = FOwner;
  TElHeader* header = t->FShowColumns ? t->FHeader : nullptr;
  HDC dc = canvas->Handle();
  const int origin = t->FLeftPosition;
  const int height = ClientHeight();
  if (t->FHorizontalLines && !t->FBarStyle) {
    const int right = header ? header->SectionsWidth() - origin : ClientWidth();
    int top = 0;
    for (int i = 0; i < FVisibleRows->Count() && top < height; ++i) {
      TElTreeItem* item = RowItem(FVisibleRows.get(), i);
      top += item->GetHeight();
      if (item->GridLineBelow() && top - 1 < height) TreeLine(dc, 0, top - 1, right, top - 1, t->FHorzDivLinesColor, false);
    }
  }
  if (!(t->FVerticalLines && header && t->FVerticalLinesLong) || rowsBottom >= height) return;
  TElHeaderSection* fixed = header->LeftFixedSection();
  const int fixedRight = fixed && fixed->Visible() ? fixed->Right() : 0;
  TElHeaderSections* sections = header->Sections();
  for (int p = 0; p < sections->Count(); ++p) {
    TElHeaderSection* s = sections->GetSectionAt(p);
    if (!s->Visible() || s->Width() <= 0) continue;
    int x = s->Right() - 1;
    if (s != fixed) {
      x -= origin;
      if (fixed && x < fixedRight) continue;
    }
    TreeLine(dc, x, rowsBottom, x, height, t->FVertDivLinesColor, false);
  }
}

// ---------------------------------------------------------------- a row

void TElTreeView::DrawRow(TCanvas* canvas, TElTreeItem* item, int row, TRect cell, TRect rowRect) {
  TCustomElTree* t = FOwner;
  FRowBackgroundSet = false;
  FRowColourFromItem = false;
  FRowTextSet = false;
  if (!item->ParentColors() && item->UseBkColor()) {
    FRowBackgroundSet = FRowColourFromItem = true;
    t->FCurrentRowColor = item->RowBkColor();
  }
  if (item->Selected() && t->FRowSelect && !t->FBarStyle && item->BorderStyle() == ibsNone) {
    const bool focused = FHasFocus || !t->FHideSelection;
    t->FCurrentRowColor = focused ? t->FFocusedSelectColor : t->FHideSelectColor;
    t->FCurrentTextColor = focused ? t->FFocusedSelectTextColor : t->FHideSelectTextColor;
    FRowBackgroundSet = FRowTextSet = true;
    FRowColourFromItem = false;
  } else if (t->FStripedItems) {
    t->FCurrentRowColor = ((t->FTopIndex + row) % 2 == 0) ? t->FStripedEvenColor : t->FStripedOddColor;
    FRowBackgroundSet = true;
    FRowColourFromItem = false;
  }
  if (item == FDropTrg && t->FRowSelect) {
    if (t->FDragTrgDrawMode == ColorRect) {
      t->FCurrentRowColor = FDropAcc ? t->FDragRectAcceptColor : t->FDragRectDenyColor;
      t->FCurrentTextColor = clBtnText;
      FRowBackgroundSet = FRowTextSet = true;
    } else if (t->FDragTrgDrawMode == SelColorRect) {
      t->FCurrentRowColor = clHighlight;
      t->FCurrentTextColor = clHighlightText;
      FRowBackgroundSet = FRowTextSet = true;
    }
  }

  TElHeader* header = t->FShowColumns ? t->FHeader : nullptr;
  if (!header) {
    DrawMainCell(canvas, item, cell, rowRect);
  } else {
    HDC dc = canvas->Handle();
    const int origin = t->FLeftPosition;
    TElHeaderSection* fixed = header->LeftFixedSection();
    if (fixed && !fixed->Visible()) fixed = nullptr;
    // What lies under the fixed section before the scrolled cells pass
    // under it comes back before the fixed cell is drawn.
    TBitmap saved;
    TRect fixedRect{};
    if (fixed) {
      fixedRect = TRect{fixed->Left(), rowRect.top, fixed->Right(), rowRect.bottom};
      saved.SetSize(std::max<int>(1, fixedRect.right - fixedRect.left), std::max<int>(1, fixedRect.bottom - fixedRect.top));
      BitBlt(saved.Canvas()->Handle(), 0, 0, fixedRect.right - fixedRect.left, fixedRect.bottom - fixedRect.top, dc,
             fixedRect.left, fixedRect.top, SRCCOPY);
    }
    TElHeaderSections* sections = header->Sections();
    auto drawSection = [&](TElHeaderSection* s, bool isFixed) {
      TRect r{s->Left(), cell.top, s->Right(), cell.bottom};
      if (!isFixed) OffsetRect(&r, -origin, 0);
      if (s->Index() == t->FMainTreeColumn)
        DrawMainCell(canvas, item, r, rowRect);
      else
        DrawColumnCell(canvas, item, s, r);
    };
    for (int p = 0; p < sections->Count(); ++p) {
      TElHeaderSection* s = sections->GetSectionAt(p);
      if (!s->Visible() || s == fixed) continue;
      drawSection(s, false);
    }
    if (fixed) {
      BitBlt(dc, fixedRect.left, fixedRect.top, fixedRect.right - fixedRect.left, fixedRect.bottom - fixedRect.top,
             saved.Canvas()->Handle(), 0, 0, SRCCOPY);
      drawSection(fixed, true);
    }
  }

  HDC dc = canvas->Handle();
  if (item->LineThroughRow()) {
    const int y = (rowRect.top + rowRect.bottom) / 2 + 1;
    const int left = item->TextLeft() - t->FLeftPosition - 2;
    const int right = header ? header->SectionsWidth() - t->FLeftPosition : item->TextRight() - t->FLeftPosition;
    TColor color = item->LineThroughColor();
    if (item->Selected() && t->FRowSelect && !t->FBarStyle && item->BorderStyle() == ibsNone)
      color = (FHasFocus || !t->FHideSelection) ? t->FFocusedSelectTextColor : t->FHideSelectTextColor;
    TreeLine(dc, left, y, right, y, color, false);
  }

  TRect focusRect = rowRect;
  if (!t->FRowSelect) {
    focusRect.left = item->TextLeft() - t->FLeftPosition + 1;
    focusRect.right = item->TextRight() - t->FLeftPosition - 1;
    if (header && t->FSelectColumn >= 0 && t->FSelectColumn != t->FMainTreeColumn) {
      if (TElHeaderSection* s = header->Sections()->GetSectionByIndex(t->FSelectColumn)) {
        focusRect.left = s->Left() - t->FLeftPosition;
        focusRect.right = s->Right() - t->FLeftPosition;
      }
    }
  }
  bool drawFocusRect = FHasFocus || t->Focused() || !t->FHideFocusRect;
  t->DoItemPostDraw(canvas, item, rowRect, drawFocusRect);
  if (item->Focused() && drawFocusRect && t->FDrawFocusRect && focusRect.right > focusRect.left) {
    canvas->Brush()->SetColor(t->FBkColor);
    canvas->Font()->SetColor(t->FTextColor);
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(t->FBkColor)));
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(t->FTextColor)));
    DrawFocusRect(dc, &focusRect);
  }
  DrawDropMark(canvas, item, rowRect);
}

void TElTreeView::DrawDropMark(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect) {
  TCustomElTree* t = FOwner;
  if (item != FDropTrg) return;
  HDC dc = canvas->Handle();
  const TColor dragColor = FDropAcc ? t->FDragRectAcceptColor : t->FDragRectDenyColor;
  switch (t->FDragTrgDrawMode) {
    case ColorFrame: {
      HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(dragColor)));
      FrameRect(dc, &rowRect, brush);
      DeleteObject(brush);
      break;
    }
    case dtdUpColorLine: TreeLine(dc, rowRect.left, rowRect.top, rowRect.right, rowRect.top, dragColor, false); break;
    case dtdDownColorLine:
      TreeLine(dc, rowRect.left, rowRect.bottom - 1, rowRect.right, rowRect.bottom - 1, dragColor, false);
      break;
    case dtdUpSelColorLine:
      TreeLine(dc, rowRect.left, rowRect.top, rowRect.right, rowRect.top, clHighlight, false);
      break;
    case dtdDownSelColorLine:
      TreeLine(dc, rowRect.left, rowRect.bottom - 1, rowRect.right, rowRect.bottom - 1, clHighlight, false);
      break;
    default: break;
  }
}

// ---------------------------------------------------------------- cells

void TElTreeView::DecideCellLook(TElTreeItem* item, TElCellStyle* style, bool selectColumn, TCellLook& look) {
  TCustomElTree* t = FOwner;
  const bool styleLook = style && item->UseStyles() && !style->UseTreeLook();
  if (FRowBackgroundSet) {
    look.fill = true;
    look.back = t->FCurrentRowColor;
    if (FRowTextSet) look.text = t->FCurrentTextColor;
  } else if (styleLook && style->UseBkColor()) {
    look.fill = true;
    look.back = style->CellBkColor();
  }
  if (styleLook && !FRowTextSet) look.text = style->TextColor();
  if (item->Selected() && (selectColumn || t->FRowSelect) && !t->FBarStyle) {
    const bool focused = FHasFocus || !t->FHideSelection;
    look.fill = look.selected = true;
    look.back = focused ? t->FFocusedSelectColor : t->FHideSelectColor;
    look.text = focused ? t->FFocusedSelectTextColor : t->FHideSelectTextColor;
  }
  if (item == FDropTrg && (selectColumn || t->FRowSelect)) {
    if (t->FDragTrgDrawMode == ColorRect) {
      look.fill = true;
      look.back = FDropAcc ? t->FDragRectAcceptColor : t->FDragRectDenyColor;
      look.text = clBtnText;
    } else if (t->FDragTrgDrawMode == SelColorRect) {
      look.fill = true;
      look.back = clHighlight;
      look.text = clHighlightText;
    }
  }
  const bool plainFill = t->FBackgroundType == bgtColorFill && !t->FImgForm;
  if (t->FInSizeMove && plainFill && !look.fill) {
    look.fill = true;
    look.back = t->FBkColor;
  }
}

void TElTreeView::DrawCellText(TCanvas* canvas, TElTreeItem* item, const TElFString& text, TElHTMLData* html,
                               TRect r, UINT align, TColor color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HDC dc = canvas->Handle();
  if (html && item->IsHTML()) {
    FRender->SetData(html);
    TRect area = r;
    // Vertically centred unless the row is taller than one line.
    if (!(item->GetHeight() > FOwner->FLineHeight) && html->TextHeight < r.bottom - r.top)
      area.top += (r.bottom - r.top - html->TextHeight) / 2;
    FRender->DrawTextEx(canvas, TPoint{0, 0}, clNone, clNone, clNone, clNone, color, true, area);
    FRender->SetData(nullptr);
    return;
  }
  UINT flags = DT_NOPREFIX | align;
  const bool tall = (item->Multiline() || item->IsHTML()) && item->GetHeight() > FOwner->FLineHeight;
  if (!item->Multiline()) flags |= DT_SINGLELINE | DT_END_ELLIPSIS;
  if (!tall && !item->Multiline()) flags |= DT_VCENTER;
  canvas->Font()->SetColor(color);
  canvas->Brush()->SetStyle(bsClear);
  canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
  DrawWideText(dc, text.c_str(), static_cast<int>(text.size()), flags, r);
  canvas->Brush()->SetStyle(bsSolid);
}

void TElTreeView::DrawColumnCell(TCanvas* canvas, TElTreeItem* item, TElHeaderSection* section, TRect cell) {
  TCustomElTree* t = FOwner;
  HDC dc = canvas->Handle();
  const int column = section->Index();
  const int textIndex = column > t->FMainTreeColumn ? column - 1 : column;
  TElFString text;
  if (t->FVirtualityLevel != vlNone) {
    t->DoVirtualTextNeeded(item, column, text);
  } else if (TElWideStrings* texts = item->ColumnText()) {
    if (textIndex >= 0 && textIndex < texts->GetCount()) text = texts->Get(textIndex);
  }
  if (section->Password()) text = L"******";
  TElCellStyle* style = nullptr;
  if (t->FVirtualityLevel != vlNone && FScratchStyle) {
    t->DoVirtualStyleNeeded(item, column, FScratchStyle);
    style = FScratchStyle;
  } else if (item->UseStyles()) {
    style = section->UseMainStyle() ? item->MainStyle() : item->GetStyle(textIndex);
    if (!style) style = item->MainStyle();
  }
  const bool selectColumn = t->FSelectColumn == column;
  TCellLook look;
  DecideCellLook(item, style, selectColumn, look);
  TRect fill = cell;
  if (t->FVerticalLines) --fill.right;
  if (look.fill) FillColour(dc, fill, look.back);

  const bool ownerDraw = (t->FOwnerDrawByColumn && section->Style() == ElhsOwnerDraw) ||
                         (!t->FOwnerDrawByColumn && text == t->FOwnerDrawMask) ||
                         (style && item->UseStyles() && style->Style() == ElhsOwnerDraw);
  if (ownerDraw) {
    TRect r = cell;
    InflateRect(&r, -1, -1);
    if (t->FVerticalLines) --r.right;
    t->DoItemDraw(item, canvas, r, column);
  } else if (style && item->UseStyles() && style->Style() == ElhsPictureOnly && style->Picture()) {
    TBitmap* picture = style->Picture();
    const int x = (cell.left + cell.right - picture->Width()) / 2;
    const int y = (cell.top + cell.bottom - picture->Height()) / 2;
    DrawGlyph(dc, picture, x, y, TRect{0, 0, picture->Width(), picture->Height()}, cell, picture->Transparent(),
              picture->TransparentColor());
  } else if (style && item->UseStyles() && style->Control()) {
    TRect r = cell;
    InflateRect(&r, -style->Control()->BorderWidth(), -style->Control()->BorderWidth());
    style->Control()->Paint(canvas, r);
  } else if (!text.empty()) {
    if (style && item->UseStyles() && !style->UseTreeLook()) {
      canvas->Font()->SetName(style->FontName().empty() ? t->Font()->Name() : style->FontName());
      if (style->FontSize() > 0) canvas->Font()->SetSize(style->FontSize());
      canvas->Font()->SetStyle(style->FontStyles());
    } else {
      canvas->SetFont(t->Font());
    }
    if (item == FTrackItem && t->FTracking && t->FUnderlineTracked && t->FRowHotTrack)
      canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsUnderline});
    TElHTMLData* html = item->IsHTML() && IsHtmlText(text) ? item->ColumnHTMLData(textIndex) : nullptr;
    const int width = TextWidth(canvas, item, text, html);
    const UINT align = AlignmentFlags(section->Alignment(), t->FRightAlignedText);
    const int ii = t->FItemIndent;
    TRect r = cell;
    if (align == DT_CENTER) {
      r.left = std::max(cell.left, (cell.left + cell.right - width - 3) / 2);
      r.right = std::min(cell.right, r.left + width + 3);
    } else if (align == DT_RIGHT) {
      r.right = cell.right - ii / 5;
      r.left = std::max(cell.left, r.right - width);
    } else {
      r.left = cell.left + ii / 5;
      r.right = std::min(cell.left + ii / 3 + width, cell.right);
    }
    TColor color = look.text != clNone ? look.text : (item->ParentColors() ? t->FCurrentTextColor : item->Color());
    DrawCellText(canvas, item, text, html, r, html ? 0 : align, color);
  }
  const bool verticalLine =
      t->FVerticalLines && (t->FBarStyle ? t->FBarStyleVerticalLines
                                         : (item->BorderStyle() == ibsNone || t->FBarStyleVerticalLines));
  if (verticalLine) TreeLine(dc, cell.right - 1, cell.top, cell.right - 1, cell.bottom + 1, t->FVertDivLinesColor, false);
}

void TElTreeView::DrawMainCell(TCanvas* canvas, TElTreeItem* item, TRect cell, TRect rowRect) {
  TCustomElTree* t = FOwner;
  HDC dc = canvas->Handle();
  const int origin = t->FLeftPosition;
  const int ii = t->FItemIndent;
  TElHeader* header = t->FShowColumns ? t->FHeader : nullptr;
  TElHeaderSection* section = header ? header->Sections()->GetSectionByIndex(t->FMainTreeColumn) : nullptr;
  const bool verticalLine = header && t->FVerticalLines &&
                            (t->FBarStyle ? t->FBarStyleVerticalLines
                                          : (item->BorderStyle() == ibsNone || t->FBarStyleVerticalLines));
  TRect full = cell;
  if (verticalLine) --cell.right;
  // Worked out left to right and drawn mirrored when the tree is.
  struct MirrorScope {
    bool& flag;
    ~MirrorScope() { flag = false; }
  } mirrorScope{FMirror};
  FMirror = t->FRightAlignedTree;
  FMirrorSum = cell.left + cell.right;
  TElCellStyle* style = item->UseStyles() ? item->MainStyle() : nullptr;
  if (t->FVirtualityLevel != vlNone && FScratchStyle && item->UseStyles()) {
    t->DoVirtualStyleNeeded(item, -1, FScratchStyle);
    style = FScratchStyle;
  }
  TCellLook look;
  DecideCellLook(item, style, true, look);
  if (look.fill) FillColour(dc, cell, look.back);

  // Indent, lines, button, check box and images, left to right.
  const bool rootColumn = (t->FShowRoot && t->FShowLines) || (t->FShowButtons && t->FShowRootButtons);
  TRect rest = cell;
  item->ClearPartSpans();
  rest.left += item->Indent() + (rootColumn ? ii : ii / 5);
  const int level = item->Level();
  if (t->FShowLines && !item->NoTreeLines())
    DrawLines(canvas, item, rowRect, rest);
  else
    rest.left += (level - 1) * ii;
  TElTreeItem* topLevel = item->GetTopLevelItem();
  if (rootColumn && topLevel && topLevel->NoButton()) rest.left -= ii;
  if (t->FShowButtons && !item->NoButton() && (level > 0 || t->FShowRootButtons) &&
      (item->HasVisibleChildren() || item->AlwaysButton() || t->FShowLeafButton))
    DrawButton(canvas, item, rowRect, rest);
  rest.left += ii;
  if (t->FShowCheckboxes) DrawCheckBox(canvas, item, rowRect, rest);
  item->SetImageDrawn(false);
  item->SetImage2Drawn(false);
  if (t->FShowImages) DrawImages(canvas, item, rowRect, rest);

  const bool plain = !t->FShowButtons && !t->FShowLines && !t->FShowImages && !t->FShowCheckboxes;
  const TElFString text = item->GetText();
  const bool ownerDraw = (t->FOwnerDrawByColumn && section && section->Style() == ElhsOwnerDraw) ||
                         (!t->FOwnerDrawByColumn && text == t->FOwnerDrawMask) ||
                         (style && style->Style() == ElhsOwnerDraw);
  if (ownerDraw) {
    TRect r = rest;
    r.left += ii / 3;
    if (r.right > r.left) {
      const TRect span = MirrorRect(TRect{plain ? rest.left : r.left, r.top, r.right, r.bottom});
      item->SetTextSpan(span.left + origin, span.right + origin);
      t->DoItemDraw(item, canvas, MirrorRect(r), t->FMainTreeColumn);
    } else {
      item->SetTextSpan(MirrorX(rest.left, 0) + origin, MirrorX(rest.left, 0) + origin);
    }
  } else {
    const int gapLeft = rest.left;
    rest.left += ii / 3;
    if (style && style->Style() == ElhsPictureOnly && style->Picture()) {
      TBitmap* picture = style->Picture();
      const int y = (rowRect.top + rowRect.bottom - picture->Height()) / 2;
      DrawGlyph(dc, picture, MirrorX(rest.left, picture->Width()), y, TRect{0, 0, picture->Width(), picture->Height()},
                cell, picture->Transparent(), picture->TransparentColor());
      const TRect span = MirrorRect(TRect{rest.left, 0, std::min(rest.left + picture->Width(), rest.right), 0});
      item->SetTextSpan(span.left + origin, span.right + origin);
    } else {
      TFont* font = canvas->Font();
      font->Assign(t->Font());
      if (!item->ParentStyle()) {
        TFontStyles styles;
        if (item->Bold()) styles.Include(fsBold);
        if (item->Italic()) styles.Include(fsItalic);
        if (item->Underlined()) styles.Include(fsUnderline);
        if (item->StrikeOut()) styles.Include(fsStrikeOut);
        font->SetStyle(styles);
      }
      const bool hot = item == FTrackItem && t->FTracking;
      if (hot && t->FUnderlineTracked) font->SetStyle(font->Style() + TFontStyles{fsUnderline});
      TElHTMLData* html = item->IsHTML() && IsHtmlText(text) ? item->HTMLData() : nullptr;
      const int width = TextWidth(canvas, item, text, html);
      TRect r{rest.left - 1, cell.top, std::min(rest.left + width + 3, rest.right), cell.bottom};
      if (r.right <= r.left) {
        item->SetTextSpan(MirrorX(rest.left, 0) + origin, MirrorX(rest.left, 0) + origin);
      } else {
        TColor color = item->ParentColors() ? t->FTextColor : item->Color();
        if (hot && !look.selected) color = t->FTrackColor;
        if (look.text != clNone && (look.selected || FRowTextSet || look.fill)) color = look.text;
        const TRect drawn = MirrorRect(r);
        if (!item->ParentColors() && item->UseBkColor() && !look.selected) FillColour(dc, drawn, item->BkColor());
        const TRect textRect =
            FMirror ? TRect{drawn.left, r.top, drawn.right - 1, r.bottom} : TRect{r.left + 1, r.top, r.right, r.bottom};
        DrawCellText(canvas, item, text, html, textRect, FMirror ? DT_RIGHT : DT_LEFT, color);
        // The gap before the text belongs to it when nothing else is drawn.
        const TRect span = MirrorRect(TRect{plain ? gapLeft : r.left - 1, 0, r.right + 1, 0});
        item->SetTextSpan(span.left + origin, span.right + origin);
      }
    }
  }
  if (verticalLine) TreeLine(dc, full.right - 1, full.top, full.right - 1, full.bottom + 1, t->FVertDivLinesColor, false);
}

// ---------------------------------------------------------------- painters

void TElTreeView::RecordPartSpan(TElTreeItem* item, TSTItemPart part, int left, int right) {
  if (right <= left) return;
  const TRect span = MirrorRect(TRect{left, 0, right, 0});
  item->SetPartSpan(part, span.left + FOwner->FLeftPosition, span.right + FOwner->FLeftPosition);
}

void TElTreeView::DrawLines(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell) {
  TCustomElTree* t = FOwner;
  HDC dc = canvas->Handle();
  const int ii = t->FItemIndent;
  const bool filtered = t->FFilteredVisibility;
  const bool dotted = t->FLinesStyle == psDot;
  const TColor color = t->FLinesColor;
  const int level = item->Level();
  // Level L's column starts (L - 1) indents after the cell's left edge:
  // the top level's column lies in the root indent before it.
  auto columnLeft = [&](int l) { return cell.left + (l - 1) * ii; };
  const int mid = (rowRect.top + rowRect.bottom) / 2;
  const int saved = SaveDC(dc);
  const TRect clip = cell;
  const TRect clipped = MirrorRect(TRect{clip.left - ii, clip.top, clip.right, clip.bottom});
  IntersectClipRect(dc, clipped.left, clipped.top, clipped.right, clipped.bottom);
  auto vertical = [&](int x, int top, int bottom) { TreeLine(dc, MirrorX(x, 1), top, MirrorX(x, 1), bottom, color, dotted); };
  auto stub = [&](int x1, int x2, int y) {
    const TRect span = MirrorRect(TRect{x1, y, x2, y});
    TreeLine(dc, span.left, y, span.right, y, color, dotted);
  };

  // The ancestors' lines that pass through this row.
  std::vector<TElTreeItem*> chain;
  for (TElTreeItem* p = item->Parent(); p; p = p->Parent()) chain.push_back(p);
  for (TElTreeItem* a : chain) {
    const int l = a->Level();
    if (l == 0 && !t->FShowRoot) continue;
    if (!NextShownSibling(a, filtered)) continue;
    const int x = columnLeft(l) + ii / 2;
    vertical(x, rowRect.top, rowRect.bottom);
  }
  const int x = columnLeft(level) + ii / 2;
  const int stubRight = columnLeft(level) + ii;
  const bool hasNext = NextShownSibling(item, filtered) != nullptr;
  if (level == 0) {
    if (t->FShowRoot) {
      stub(x, stubRight, mid);
      if (PrevShownSibling(item, filtered)) vertical(x, rowRect.top, mid);
      if (hasNext) vertical(x, mid, rowRect.bottom);
    }
  } else {
    vertical(x, rowRect.top, mid);
    stub(x, stubRight, mid);
    if (hasNext) vertical(x, mid, rowRect.bottom);
  }
  RestoreDC(dc, saved);
  cell.left += (level - 1) * ii;
}

void TElTreeView::DrawButton(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell) {
  TCustomElTree* t = FOwner;
  const int ii = t->FItemIndent;
  if (cell.right <= cell.left) return;
  RecordPartSpan(item, HitButton, cell.left, std::min<int>(cell.left + ii, cell.right));
  HDC dc = canvas->Handle();
  const TRect box = MirrorRect(TRect{cell.left, rowRect.top, cell.left + ii, rowRect.bottom});
  const bool children = item->HasVisibleChildren() || item->AlwaysButton();
  const bool expanded = item->Expanded();
  const TRect clipBox =
      MirrorRect(TRect{cell.left, rowRect.top, std::min<int>(cell.left + ii, cell.right), rowRect.bottom});
  if (t->IsThemeApplied() && GetThemePartSize && DrawThemeBackground) {
    SIZE size{9, 9};
    const int state = expanded && children ? kThemeGlyphOpened : kThemeGlyphClosed;
    GetThemePartSize(t->Theme(), dc, kThemeTreeGlyph, state, nullptr, TS_TRUE, &size);
    const int x = box.left + (ii - size.cx) / 2, y = (box.top + box.bottom - size.cy) / 2;
    const RECT r{x, y, x + size.cx, y + size.cy};
    DrawThemeBackground(t->Theme(), dc, kThemeTreeGlyph, state, &r, &clipBox);
    return;
  }
  TBitmap* glyph;
  TColor transparentColor;
  if (t->FCustomPlusMinus) {
    glyph = !children ? t->FLeafPicture : (expanded ? t->FMinusPicture : t->FPlusPicture);
    if (!glyph || glyph->Empty()) return;
    transparentColor = glyph->Canvas()->Pixels(0, glyph->Height() - 1);
  } else {
    glyph = ElTreeBuiltInGlyph(!children ? TElTreeGlyph::Leaf : (expanded ? TElTreeGlyph::Minus : TElTreeGlyph::Plus));
    if (!glyph || glyph->Empty()) return;
    transparentColor = glyph->Canvas()->Pixels(1, glyph->Height() - 2);
  }
  const TBitmap* sizing = t->FCustomPlusMinus && t->FPlusPicture && !t->FPlusPicture->Empty() ? t->FPlusPicture : glyph;
  const int x = box.left + (ii - sizing->Width()) / 2;
  const int y = (box.top + box.bottom - sizing->Height()) / 2;
  DrawGlyph(dc, glyph, x, y, TRect{0, 0, glyph->Width(), glyph->Height()}, clipBox, t->FPlusMinusTransparent,
            transparentColor);
}

void TElTreeView::DrawCheckBox(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell) {
  TCustomElTree* t = FOwner;
  if (!item->ShowCheckBox()) return;
  HDC dc = canvas->Handle();
  const bool radio = item->CheckBoxType() == ectRadioButton;
  const TElCheckBoxState state = item->CheckBoxState();
  const bool enabled = item->CheckBoxActive();
  const int saved = SaveDC(dc);
  const TRect clip = MirrorRect(cell);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  int width;
  if (t->FCustomCheckboxes) {
    TBitmap* glyph = radio ? t->FRadioButtonGlyph : t->FCheckBoxGlyph;
    width = glyph && !glyph->Empty() ? glyph->Width() / 6 : 0;
    if (width > 0) {
      const int index = (state == ecbChecked ? 2 : state == ecbGrayed ? 4 : 0) + (enabled ? 0 : 1);
      const int y = (rowRect.top + rowRect.bottom - glyph->Height()) / 2;
      DrawTransparentBitmapEx(dc, glyph, MirrorX(cell.left, width), y,
                              TRect{index * width, 0, (index + 1) * width, glyph->Height()}, glyph->TransparentColor());
    }
  } else if (t->IsThemeApplied() && ThemesAvailable) {
    TElThemeHandle theme;
    theme.Open(t->HandleAllocated() ? t->Handle() : nullptr, L"BUTTON");
    const int part = radio ? kThemeRadioButton : kThemeCheckBox;
    const int stateId = (state == ecbChecked ? 5 : state == ecbGrayed ? 9 : 1) + (enabled ? 0 : 3);
    SIZE size{13, 13};
    if (theme) GetThemePartSize(theme.Get(), dc, part, stateId, nullptr, TS_TRUE, &size);
    width = size.cx;
    const int y = (rowRect.top + rowRect.bottom - size.cy) / 2;
    const int x = MirrorX(cell.left, size.cx);
    const RECT r{x, y, x + size.cx, y + size.cy};
    if (theme) DrawThemeBackground(theme.Get(), dc, part, stateId, &r, nullptr);
  } else {
    width = t->FCheckBoxSize;
    const int y = (rowRect.top + rowRect.bottom - width) / 2;
    const int x = MirrorX(cell.left, width);
    RECT r{x, y, x + width, y + width};
    UINT flags = radio ? DFCS_BUTTONRADIO : item->CheckBoxType() == ect3SCheckBox ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK;
    if (state == ecbChecked) flags |= DFCS_CHECKED;
    if (state == ecbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (!enabled) flags |= DFCS_INACTIVE;
    DrawFrameControl(dc, &r, DFC_BUTTON, flags);
  }
  RestoreDC(dc, saved);
  RecordPartSpan(item, HitCheckBox, cell.left, std::min<int>(cell.left + width, cell.right));
  cell.left += width;
}

void TElTreeView::DrawImages(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell) {
  TCustomElTree* t = FOwner;
  HDC dc = canvas->Handle();
  const int gap = t->FItemIndent / 3;
  bool preceded = t->FShowCheckboxes && item->ShowCheckBox();
  const bool stateImage = item->Focused() || item->Selected() || item->Expanded();
  const bool drawSelected =
      t->FChangeStateImage && (item->Selected() || (item->Focused() && t->FRowSelect));
  auto one = [&](TImageList* list, int stateIndex, int index, int overlay, bool showEmpty, bool second) {
    if (!list) return;
    int i = stateImage ? stateIndex : index;
    if (i == -1) {
      if (second)
        t->DoGetPicture2(item, i);
      else
        t->DoGetPicture(item, i);
    }
    const bool valid = i >= 0 && i < list->Count();
    if (!valid && !showEmpty) return;
    if (preceded) cell.left += gap;
    if (valid && cell.left < cell.right) {
      const int y = (rowRect.top + rowRect.bottom - list->Height()) / 2;
      const int saved = SaveDC(dc);
      const TRect clip = MirrorRect(cell);
      IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
      UINT style = ILD_TRANSPARENT | (drawSelected ? ILD_SELECTED : 0);
      if (overlay >= 0 && overlay < 4) style |= INDEXTOOVERLAYMASK(overlay + 1);
      ImageList_DrawEx(list->Handle(), i, dc, MirrorX(cell.left, list->Width()), y, 0, 0, CLR_NONE, CLR_DEFAULT,
                       style);
      RestoreDC(dc, saved);
    }
    RecordPartSpan(item, second ? HitImage2 : HitImage, cell.left, std::min<int>(cell.left + list->Width(), cell.right));
    cell.left += list->Width();
    preceded = true;
    if (second)
      item->SetImage2Drawn(true);
    else
      item->SetImageDrawn(true);
  };
  one(t->FImages2, item->StateImageIndex2(), item->ImageIndex2(), item->OverlayIndex2(), t->FShowEmptyImages2, true);
  one(t->FImages, item->StateImageIndex(), item->ImageIndex(), item->OverlayIndex(), t->FShowEmptyImages, false);
}

// ---------------------------------------------------------------- drag image

void TElTreeView::BuildDragImages() {
  TCustomElTree* t = FOwner;
  if (FDragImages) {
    FDragImages->Free();
    FDragImages = nullptr;
  }
  if (t->FDragImageMode == dimNever) return;
  int first = -1, last = -1, count = 0;
  for (int i = 0; i < FVisibleRows->Count(); ++i) {
    if (!RowItem(FVisibleRows.get(), i)->Selected()) continue;
    if (first < 0) first = i;
    last = i;
    ++count;
  }
  if (count == 0 || (t->FDragImageMode == dimOne && count != 1)) return;
  int top = 0;
  for (int i = 0; i < first; ++i) top += RowItem(FVisibleRows.get(), i)->GetHeight();
  int height = 0;
  for (int i = first; i <= last; ++i) height += RowItem(FVisibleRows.get(), i)->GetHeight();
  TElHeader* header = t->FShowColumns ? t->FHeader : nullptr;
  TElHeaderSection* main = header ? header->Sections()->GetSectionByIndex(t->FMainTreeColumn) : nullptr;
  const int width = main ? main->Width() : ClientWidth();
  if (width <= 0 || height <= 0) return;
  FDragImageTop = top;

  TBitmap image;
  image.SetSize(width, height);
  TCanvas* canvas = image.Canvas();
  HDC dc = canvas->Handle();
  FillColour(dc, TRect{0, 0, width, height}, t->FBkColor);
  const int ii = t->FItemIndent;
  const bool rootColumn = (t->FShowRoot && t->FShowLines) || (t->FShowButtons && t->FShowRootButtons);
  int y = 0;
  for (int i = first; i <= last; ++i) {
    TElTreeItem* item = RowItem(FVisibleRows.get(), i);
    const int h = item->GetHeight();
    const TRect row{0, y, width, y + h};
    y += h;
    if (!item->Selected()) continue;
    int x = (rootColumn ? ii : ii / 5) + item->Level() * ii;
    const TElFString text = item->GetText();
    if (!t->FOwnerDrawByColumn && text == t->FOwnerDrawMask) {
      t->DoItemDraw(item, canvas, TRect{x, row.top, width, row.bottom}, t->FMainTreeColumn);
      continue;
    }
    if (t->FShowImages && t->FImages) {
      int index = item->Selected() || item->Focused() ? item->StateImageIndex() : item->ImageIndex();
      if (index == -1) t->DoGetPicture(item, index);
      if (index >= 0 && index < t->FImages->Count()) {
        ImageList_Draw(t->FImages->Handle(), index, dc, x, (row.top + row.bottom - t->FImages->Height()) / 2,
                       ILD_TRANSPARENT);
        x += t->FImages->Width();
      }
    }
    x += ii / 3;
    canvas->SetFont(t->Font());
    TFontStyles styles;
    if (item->Bold()) styles.Include(fsBold);
    if (item->Italic()) styles.Include(fsItalic);
    if (item->Underlined()) styles.Include(fsUnderline);
    if (item->StrikeOut()) styles.Include(fsStrikeOut);
    canvas->Font()->SetStyle(styles);
    TElHTMLData* html = item->IsHTML() && IsHtmlText(text) ? item->HTMLData() : nullptr;
    const UINT align = t->FRightAlignedText ? DT_RIGHT | DT_RTLREADING : DT_LEFT;
    DrawCellText(canvas, item, text, html, TRect{x, row.top, width, row.bottom}, align,
                 item->ParentColors() ? t->FTextColor : item->Color());
  }
  FDragImages = new TDragImageList(this, width, height);
  FDragImages->AddMasked(&image, t->FBkColor);
}
