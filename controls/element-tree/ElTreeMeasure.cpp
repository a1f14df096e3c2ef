// Measuring cells: the room the main cell's indent, check box, images and
// text take, another column's text, and the automatic column widths built
// on them. Texts are measured through TElTreeTextMeasurer, so that the
// arithmetic can be checked against a measurer with known answers.
#include <algorithm>

#include "ElTree.hpp"
#include "ElVCLUtils.hpp"
#include "GraphicsScoped.hpp"

namespace {

// Measures with the system's text measurement in a memory device context.
class TSystemTextMeasurer final : public TElTreeTextMeasurer {
 public:
  TPoint TextExtent(const TElFString& text, TFont* font, UINT flags) override {
    ScopedWindowDC dc(nullptr);
    HGDIOBJ old = SelectObject(dc.Get(), font->Handle());
    TRect r{0, 0, 0, 0};
    DrawWideText(dc.Get(), text.c_str(), static_cast<int>(text.size()), flags | DT_CALCRECT, r);
    SelectObject(dc.Get(), old);
    return TPoint{r.right - r.left, r.bottom - r.top};
  }
};

TSystemTextMeasurer g_systemMeasurer;

bool StartsWithHtmlTag(const TElFString& text) {
  static const TElFString kTag = L"<html>";
  if (text.size() < kTag.size()) return false;
  for (size_t i = 0; i < kTag.size(); ++i)
    if (towlower(text[i]) != kTag[i]) return false;
  return true;
}

}  // namespace

TElTreeTextMeasurer* TCustomElTree::TextMeasurer() const {
  return FTextMeasurer ? FTextMeasurer : &g_systemMeasurer;
}

// The style a column's cell is drawn with, or nil when the item has none.
TElCellStyle* TCustomElTree::CellStyle(TElTreeItem* item, int column) {
  if (FVirtualityLevel == vlTextAndStyles && FView && FView->FScratchStyle) {
    DoVirtualStyleNeeded(item, column, FView->FScratchStyle);
    return FView->FScratchStyle;
  }
  if (!item->UseStyles()) return nullptr;
  TElHeaderSection* section = FHeader ? FHeader->Sections()->GetSectionByIndex(column) : nullptr;
  if (column == FMainTreeColumn || (section && section->UseMainStyle())) return item->MainStyle();
  const int index = column > FMainTreeColumn ? column - 1 : column;
  return index >= 0 && index < item->StylesCount() ? item->GetStyle(index) : item->MainStyle();
}

TElFString TCustomElTree::CellText(TElTreeItem* item, int column) {
  if (column == FMainTreeColumn || column < 0) return item->GetText();
  const int index = column > FMainTreeColumn ? column - 1 : column;
  if (FVirtualityLevel == vlTextAndStyles) {
    TElFString text;
    DoVirtualTextNeeded(item, column, text);
    return text;
  }
  TElWideStrings* texts = item->ColumnText();
  return texts && index >= 0 && index < texts->Count() ? texts->Get(index) : TElFString();
}

bool TCustomElTree::IsOwnerDrawnCell(TElTreeItem* item, int column, TElCellStyle* style) {
  if (style && style->Style() == ElhsOwnerDraw) return true;
  if (FOwnerDrawByColumn) {
    TElHeaderSection* section = FHeader ? FHeader->Sections()->GetSectionByIndex(column) : nullptr;
    return section && section->Style() == ElhsOwnerDraw;
  }
  return CellText(item, column) == FOwnerDrawMask;
}

// The text's extent in the cell's font, with the flags the painter uses.
TPoint TCustomElTree::MeasureCellText(TElTreeItem* item, const TElFString& text, TElCellStyle* style,
                                      TElHTMLData* html) {
  if (html && item->IsHTML() && StartsWithHtmlTag(text)) return TPoint{html->TextWidth, html->TextHeight};
  UINT flags = DT_NOPREFIX | DT_VCENTER;
  if (!item->Multiline()) flags |= DT_SINGLELINE;
  if (FRightAlignedText) flags |= DT_RTLREADING;
  if (!style || !item->UseStyles()) return TextMeasurer()->TextExtent(text, Font(), flags);
  TFont font;
  font.Assign(Font());
  if (!style->FontName().empty()) font.SetName(style->FontName());
  if (style->FontSize() != 0) font.SetSize(style->FontSize());
  font.SetStyle(style->FontStyles());
  return TextMeasurer()->TextExtent(text, &font, flags);
}

int TCustomElTree::MeasureImages(TElTreeItem* item, bool checkBox) {
  if (!FShowImages) return 0;
  const bool stateful = item->Focused() || item->Selected() || item->ImageHighlighted() ||
                        (item->Expanded() && item->HasChildren());
  int width = 0;
  bool second = false;
  if (FImages2) {
    int index = stateful ? item->StateImageIndex2() : item->ImageIndex2();
    if (index == -1) DoGetPicture2(item, index);
    if ((index >= 0 && index < FImages2->Count()) || FShowEmptyImages2) {
      width += FImages2->Width() + (checkBox ? FItemIndent / 3 : 0);
      second = true;
    }
  }
  if (FImages) {
    int index = stateful ? item->StateImageIndex() : item->ImageIndex();
    if (index == -1) DoGetPicture(item, index);
    if ((index >= 0 && index < FImages->Count()) || FShowEmptyImages)
      width += FImages->Width() + (second || checkBox ? FItemIndent / 3 : 0);
  }
  return width;
}

void TCustomElTree::MeasureCell(TElTreeItem* item, int columnNum, TPoint& size) {
  size = TPoint{0, FLineHeight};
  if (!item) return;
  const int pad = (FItemIndent / 5) * 3;
  const bool mainColumn = columnNum == -1 || columnNum == FMainTreeColumn;
  const int column = mainColumn ? FMainTreeColumn : columnNum;
  TElCellStyle* style = CellStyle(item, column);
  if (mainColumn) {
    int width = (FShowRoot && FShowLines) || (FShowButtons && FShowRootButtons) ? FItemIndent : FItemIndent / 5;
    width += item->Level() * FItemIndent;
    const bool checkBox = FShowCheckboxes && item->ShowCheckBox();
    if (checkBox) width += FCustomCheckboxes ? RadioButtonGlyph()->Width() / 6 : FCheckBoxSize;
    width += MeasureImages(item, checkBox) + pad;
    if (IsOwnerDrawnCell(item, column, style)) {
      TPoint part{0, 0};
      DoMeasureItemPart(item, column, part);
      width += part.x;
    } else if (style && item->UseStyles() && style->Style() == ElhsPictureOnly) {
      width += (style->Picture() ? style->Picture()->Width() : 0) + 3;
    } else {
      const TPoint text = MeasureCellText(item, item->GetText(), style, item->HTMLData());
      width += text.x;
      size.y = std::max<LONG>(size.y, text.y + 1);
    }
    if (FShowColumns) width += FVerticalLines ? 4 : 2;
    size.x = width;
    return;
  }
  TElHeaderSection* section = FHeader ? FHeader->Sections()->GetSectionByIndex(column) : nullptr;
  if (IsOwnerDrawnCell(item, column, style)) {
    TPoint part{0, 0};
    DoMeasureItemPart(item, column, part);
    size = TPoint{part.x + pad, std::max<int>(FLineHeight, part.y)};
  } else if (style && style->Control()) {
    size = TPoint{section ? section->Width() : 0, FLineHeight};
  } else if (style && style->Style() == ElhsPictureOnly) {
    size = style->Picture() ? TPoint{style->Picture()->Width(), style->Picture()->Height()} : TPoint{0, 0};
  } else {
    const TElFString text = section && section->Password() ? TElFString(L"******") : CellText(item, column);
    const int index = column > FMainTreeColumn ? column - 1 : column;
    const TPoint extent = MeasureCellText(item, text, style, item->ColumnHTMLData(index));
    size = TPoint{pad + extent.x + 2, std::max<int>(FLineHeight, extent.y + 1)};
  }
}

// ---------------------------------------------------------------- column widths

int TCustomElTree::WidestCell(int column) {
  int widest = 0;
  ForEachRow([&](TElTreeItem* item, int, int) {
    TPoint size{0, 0};
    MeasureCell(item, column, size);
    widest = std::max<int>(widest, size.x);
    return true;
  });
  return widest;
}

void TCustomElTree::AutoSizeColumn(TElHeaderSection* section) {
  if (!section || !FHeader) return;
  if (IsUpdating()) {
    FAutoSizePending = true;
    FlagUpdate();
    return;
  }
  const int width = std::max(FHeader->MeasureSection(section).Width, WidestCell(section->Index()));
  section->SetWidth(width);
}

void TCustomElTree::AutoSizeAllColumns() {
  if (!FHeader || FAutoSizing) return;
  FAutoSizing = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{FAutoSizing};
  TElHeaderSections* sections = FHeader->Sections();
  for (int i = 0; i < sections->Count(); ++i) {
    TElHeaderSection* section = (*sections)[i];
    if (section->AutoSize()) {
      const int width = std::max(FHeader->MeasureSection(section).Width, WidestCell(section->Index()));
      section->SetWidth(width);
    }
  }
}
