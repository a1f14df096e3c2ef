// The tree's paint pass read back from memory bitmaps: lines, buttons,
// check boxes, selection, stripes, frames, HTML and owner-drawn cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElTree.hpp"

namespace {

// The tree with the settings the paint pass reads reachable from the tests.
class TPaintTree : public TElTree {
 public:
  explicit TPaintTree(TComponent* owner) : TElTree(owner) {}
  using TCustomElTree::FBackground;
  using TCustomElTree::FBackgroundType;
  using TCustomElTree::FBkColor;
  using TCustomElTree::FGradientEndColor;
  using TCustomElTree::FGradientStartColor;
  using TCustomElTree::FCheckBoxGlyph;
  using TCustomElTree::FCustomCheckboxes;
  using TCustomElTree::FCustomPlusMinus;
  using TCustomElTree::FFocusedSelectColor;
  using TCustomElTree::FHideSelectColor;
  using TCustomElTree::FHideSelection;
  using TCustomElTree::FItemIndent;
  using TCustomElTree::FLineHeight;
  using TCustomElTree::FLinesColor;
  using TCustomElTree::FOwnerDrawByColumn;
  using TCustomElTree::FPlusMinusTransparent;
  using TCustomElTree::FPlusPicture;
  using TCustomElTree::FRightAlignedTree;
  using TCustomElTree::FShowButtons;
  using TCustomElTree::FShowCheckboxes;
  using TCustomElTree::FShowRoot;
  using TCustomElTree::FStripedEvenColor;
  using TCustomElTree::FStripedItems;
  using TCustomElTree::FStripedOddColor;
  using TCustomElTree::FTextColor;
  using TCustomElTree::FTopIndex;
  using TCustomElTree::FVertDivLinesColor;
  using TCustomElTree::FVerticalLines;

  // Columns from a header of its own when construction has not made one.
  TElHeader* Columns(std::initializer_list<int> widths) {
    if (!FHeader) FHeader = new TElHeader(this);
    for (int width : widths) FHeader->Sections()->AddSection()->SetWidth(width);
    FShowColumns = true;
    return FHeader;
  }
};

class TViewAccess : public TElTreeView {
 public:
  static void SetFocus(TElTreeView* view, bool value) { static_cast<TViewAccess*>(view)->FHasFocus = value; }
};

constexpr TColor kBack = 0xF0F0F0;
constexpr TColor kText = 0x102030;

class TreePaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree = TObject::Create<TPaintTree>(nullptr);
    tree->FBkColor = kBack;
    tree->FTextColor = kText;
    tree->FLinesColor = 0x0000FF;
    tree->View()->SetBounds(0, 0, kWidth, kHeight);
    bitmap.SetSize(kWidth, kHeight);
  }
  void TearDown() override { tree->Free(); }

  TElTreeItem* Add(TElTreeItem* parent, const wchar_t* text) {
    return tree->Items()->AddLastChild(parent, TElFString(text));
  }
  // Shows the items from the first row down, starting at shown row Top.
  void ShowRows(const std::vector<TElTreeItem*>& rows, int top = 0) {
    tree->FTopIndex = top;
    tree->View()->VisibleRows()->Clear();
    for (TElTreeItem* item : rows) tree->View()->VisibleRows()->Add(item);
  }
  void Paint() {
    TRect all{0, 0, kWidth, kHeight};
    tree->View()->PaintBackground(bitmap.Canvas(), all);
    tree->View()->DrawRows(bitmap.Canvas(), 0, tree->View()->VisibleRows());
  }
  TColor Pixel(int x, int y) { return static_cast<TColor>(GetPixel(bitmap.Canvas()->Handle(), x, y)); }
  int Count(TColor color, int top, int bottom, int left = 0, int right = kWidth) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += Pixel(x, y) == color;
    return n;
  }
  int RowTop(int row) { return row * tree->FLineHeight; }
  // Pixels of the rows' band that are not background.
  int Painted(int top, int bottom) { return kWidth * (bottom - top) - Count(kBack, top, bottom); }

  static constexpr int kWidth = 200, kHeight = 120;
  TPaintTree* tree = nullptr;
  TBitmap bitmap;
};

TEST_F(TreePaintTest, DottedLinesJoinAcrossRowsOfOddHeight) {
  ASSERT_EQ(tree->FLineHeight % 2, 1);  // a dot pattern restarted per row would show
  tree->FShowRoot = true;
  tree->FShowButtons = false;
  TElTreeItem* a = Add(nullptr, L"a");
  TElTreeItem* b = Add(a, L"b");
  TElTreeItem* c = Add(a, L"c");
  TElTreeItem* d = Add(nullptr, L"d");
  a->SetExpanded(true);
  ShowRows({a, b, c, d});
  Paint();
  // The top level's line runs from a down through b and c to d.
  const int ii = tree->FItemIndent;
  const int x = ii / 2;
  const int from = RowTop(0) + tree->FLineHeight / 2 + 1, to = RowTop(3) + tree->FLineHeight / 2;
  for (int y = from; y < to; ++y)
    EXPECT_NE(Pixel(x, y) == 0x0000FF, Pixel(x, y + 1) == 0x0000FF) << "y " << y;
  // b's own line stops at c (its last sibling), c's does not go on to d.
  const int childX = ii + ii / 2;
  EXPECT_GT(Count(0x0000FF, RowTop(1), RowTop(2), childX, childX + 1), 4);
  EXPECT_EQ(Count(0x0000FF, RowTop(2) + tree->FLineHeight / 2 + 1, RowTop(3), childX, childX + 1), 0);
}

TEST_F(TreePaintTest, BuiltInAndCustomButtons) {
  TElTreeItem* a = Add(nullptr, L"a");
  Add(a, L"child");
  TElTreeItem* b = Add(nullptr, L"b");
  Add(b, L"child");
  b->SetExpanded(true);
  ShowRows({a, b});
  Paint();
  // The glyph's box is centred in the first indent column; the plus has a
  // vertical bar above its centre that the minus lacks.
  const int ii = tree->FItemIndent;
  const int left = (ii - 10) / 2, top0 = (tree->FLineHeight - 10) / 2;
  const TColor text = ColorToRGB(clWindowText), shadow = ColorToRGB(clBtnShadow);
  EXPECT_EQ(Pixel(left, top0 + 1), shadow);
  EXPECT_EQ(Pixel(left + 4, top0 + 5), text);
  EXPECT_EQ(Pixel(left + 4, top0 + 3), text);
  const int top1 = RowTop(1) + top0;
  EXPECT_EQ(Pixel(left + 4, top1 + 5), text);
  EXPECT_NE(Pixel(left + 4, top1 + 3), text);

  // A custom plus of 8 x 8 in green, its bottom-left pixel the transparent
  // colour, drawn with that colour left out.
  TBitmap plus;
  plus.SetSize(8, 8);
  FillSolidRect(plus.Canvas()->Handle(), TRect{0, 0, 8, 8}, 0x00C000);
  plus.Canvas()->SetPixels(0, 7, 0xFF00FF);
  tree->FPlusPicture = &plus;
  tree->FCustomPlusMinus = true;
  tree->FPlusMinusTransparent = true;
  ShowRows({a});
  Paint();
  const int x = (ii - 8) / 2, y = (tree->FLineHeight - 8) / 2;
  EXPECT_EQ(Pixel(x + 3, y + 3), 0x00C000);
  EXPECT_EQ(Pixel(x, y + 7), kBack);
  EXPECT_EQ(Count(0xFF00FF, 0, kHeight), 0);
  tree->FPlusPicture = nullptr;
}

TEST_F(TreePaintTest, RightAlignedTreeMirrorsTheMainCell) {
  tree->FRightAlignedTree = true;
  TElTreeItem* a = Add(nullptr, L"text");
  Add(a, L"child");
  ShowRows({a});
  Paint();
  // The button's column is the last ItemIndent pixels of the cell; the
  // plus's vertical bar shows there.
  const int ii = tree->FItemIndent;
  const int left = kWidth - ii + (ii - 10) / 2, top = (tree->FLineHeight - 10) / 2;
  EXPECT_EQ(Pixel(left + 4, top + 3), ColorToRGB(clWindowText));
  // The text ends before the button's column; the left half stays empty.
  EXPECT_LE(a->TextRight(), kWidth - ii + 1);
  EXPECT_GT(a->TextLeft(), kWidth / 2);
  int leftHalf = 0;
  for (int y = 0; y < RowTop(1); ++y)
    for (int x = 0; x < kWidth / 2; ++x) leftHalf += Pixel(x, y) != kBack;
  EXPECT_EQ(leftHalf, 0);
  int textPixels = 0;
  for (int y = 0; y < RowTop(1); ++y)
    for (int x = a->TextLeft(); x < a->TextRight(); ++x) textPixels += Pixel(x, y) != kBack;
  EXPECT_GT(textPixels, 10);
}

TEST_F(TreePaintTest, CheckBoxStripOfSixtyPixelsGivesTenPixelCells) {
  // Six cells, each in its own colour: unchecked, unchecked disabled,
  // checked, checked disabled, grayed, grayed disabled.
  const TColor cells[6] = {0x000011, 0x000022, 0x000033, 0x000044, 0x000055, 0x000066};
  TBitmap strip;
  strip.SetSize(60, 10);
  for (int i = 0; i < 6; ++i) FillSolidRect(strip.Canvas()->Handle(), TRect{i * 10, 0, i * 10 + 10, 10}, cells[i]);
  strip.Canvas()->SetPixels(0, 9, 0xFF00FF);  // the transparent corner
  tree->FCheckBoxGlyph = &strip;
  tree->FCustomCheckboxes = true;
  tree->FShowCheckboxes = true;
  TElTreeItem* unchecked = Add(nullptr, L"u");
  TElTreeItem* checked = Add(nullptr, L"c");
  TElTreeItem* grayed = Add(nullptr, L"g");
  TElTreeItem* disabled = Add(nullptr, L"d");
  for (TElTreeItem* item : {unchecked, checked, grayed, disabled}) {
    item->SetShowCheckBox(true);
    item->SetCheckBoxType(ect3SCheckBox);
  }
  checked->SetCheckBoxState(ecbChecked);
  grayed->SetCheckBoxState(ecbGrayed);
  disabled->SetCheckBoxState(ecbChecked);
  disabled->SetCheckBoxActive(false);
  ShowRows({unchecked, checked, grayed, disabled});
  Paint();
  const int expected[4] = {0, 2, 4, 3};
  for (int row = 0; row < 4; ++row) {
    const int top = RowTop(row), bottom = top + tree->FLineHeight;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Count(cells[i], top, bottom) > 0, i == expected[row]) << row << " " << i;
    // One cell wide: ten columns of the cell's colour.
    int columns = 0;
    for (int x = 0; x < kWidth; ++x) columns += Pixel(x, top + tree->FLineHeight / 2) == cells[expected[row]];
    EXPECT_EQ(columns, 10) << row;
  }
  // The text starts after the box: the box's ten pixels lie before TextLeft.
  const int boxLeft = tree->FItemIndent;
  EXPECT_EQ(Pixel(boxLeft + 5, tree->FLineHeight / 2), cells[0]);
  EXPECT_GE(unchecked->TextLeft(), boxLeft + 10);
  tree->FCheckBoxGlyph = nullptr;
}

TEST_F(TreePaintTest, SelectionFocusedHiddenAndShownWithoutFocus) {
  tree->FFocusedSelectColor = 0x00AA00;
  tree->FHideSelectColor = 0xAA0000;
  TElTreeItem* a = Add(nullptr, L"a");
  TElTreeItem* b = Add(nullptr, L"b");
  a->SetSelected(true);
  ShowRows({a, b});
  TViewAccess::SetFocus(tree->View(), true);
  tree->FHideSelection = true;
  Paint();
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(0) + 3), 0x00AA00);
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(1) + 3), kBack);
  TViewAccess::SetFocus(tree->View(), false);
  Paint();
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(0) + 3), 0xAA0000);
  tree->FHideSelection = false;
  Paint();
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(0) + 3), 0x00AA00);
}

TEST_F(TreePaintTest, StripesFollowTheAbsoluteRowAfterAOneRowScroll) {
  tree->FStripedItems = true;
  tree->FStripedEvenColor = 0x00EE00;
  tree->FStripedOddColor = 0xEE0000;
  std::vector<TElTreeItem*> items;
  for (const wchar_t* name : {L"0", L"1", L"2", L"3"}) items.push_back(Add(nullptr, name));
  ShowRows(items);
  Paint();
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(0) + 3), 0x00EE00);
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(1) + 3), 0xEE0000);
  ShowRows({items[1], items[2], items[3]}, 1);
  Paint();
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(0) + 3), 0xEE0000);
  EXPECT_EQ(Pixel(kWidth - 2, RowTop(1) + 3), 0x00EE00);
}

TEST_F(TreePaintTest, LineBorderFramesTheRowInItsBorderColour) {
  TElTreeItem* a = Add(nullptr, L"a");
  TElTreeItem* b = Add(nullptr, L"b");
  b->SetBorderStyle(ibsLine);
  b->SetBorderColor(0x3366CC);
  ShowRows({a, b});
  Paint();
  const int top = RowTop(1), bottom = RowTop(2) - 1;
  for (int x : {0, kWidth / 2, kWidth - 1}) {
    EXPECT_EQ(Pixel(x, top), 0x3366CC) << x;
    EXPECT_EQ(Pixel(x, bottom), 0x3366CC) << x;
  }
  EXPECT_EQ(Pixel(0, top + 5), 0x3366CC);
  EXPECT_EQ(Pixel(kWidth - 1, top + 5), 0x3366CC);
  EXPECT_EQ(Count(0x3366CC, RowTop(0), RowTop(1)), 0);
}

TEST_F(TreePaintTest, HtmlTextPaintsItsOwnColours) {
  TElTreeItem* a = Add(nullptr, L"plain");
  TElTreeItem* b = Add(nullptr, L"");
  b->SetIsHTML(true);
  b->SetText(L"<html><font color=#00C000>Green</font> and plain");
  ShowRows({a, b});
  Paint();
  EXPECT_GT(Count(0x00C000, RowTop(1), RowTop(2)), 5);
  EXPECT_GT(Count(kText, RowTop(1), RowTop(2)), 5);
  EXPECT_EQ(Count(0x00C000, RowTop(0), RowTop(1)), 0);
  EXPECT_GT(b->TextRight() - b->TextLeft(), 40);
}

TEST_F(TreePaintTest, OwnerDrawMaskRaisesOnItemDrawOnlyWhenNotByColumn) {
  struct TDrawLog : TObject {
    std::vector<TRect> rects;
    void Draw(TObject*, TElTreeItem*, TCanvas*, TRect r, int) { rects.push_back(r); }
  } log;
  tree->OnItemDraw = TOnItemDrawEvent(&log, &TDrawLog::Draw);
  TElTreeItem* masked = Add(nullptr, L"~~@~~");
  ShowRows({masked});
  tree->FOwnerDrawByColumn = false;
  Paint();
  ASSERT_EQ(log.rects.size(), 1u);
  EXPECT_EQ(Painted(0, RowTop(1)), 0);
  EXPECT_GT(log.rects[0].right, log.rects[0].left);
  tree->FOwnerDrawByColumn = true;
  Paint();
  EXPECT_EQ(log.rects.size(), 1u);
  EXPECT_GT(Painted(0, RowTop(1)), 5);
}

TEST_F(TreePaintTest, TiledAndGradientBackgrounds) {
  TBitmap tile;
  tile.SetSize(3, 2);
  FillSolidRect(tile.Canvas()->Handle(), TRect{0, 0, 3, 2}, 0x00A000);
  tile.Canvas()->SetPixels(0, 0, 0x0000C0);
  tree->FBackground = &tile;
  tree->FBackgroundType = bgtTileBitmap;
  tree->View()->UpdateBackgroundBitmap();
  Paint();
  for (auto [x, y] : {std::pair{0, 0}, std::pair{3, 2}, std::pair{30, 10}, std::pair{198, 118}})
    EXPECT_EQ(Pixel(x, y), 0x0000C0) << x << "," << y;
  EXPECT_EQ(Pixel(1, 0), 0x00A000);
  EXPECT_EQ(Pixel(31, 11), 0x00A000);

  // Top to bottom from black to white: darker above, the same along a row.
  tree->FBackgroundType = bgtVertGradient;
  tree->FGradientStartColor = 0x000000;
  tree->FGradientEndColor = 0xFFFFFF;
  tree->View()->UpdateBackgroundBitmap();
  Paint();
  EXPECT_LT(Pixel(5, 2) & 0xFF, 0x20);
  EXPECT_GT(Pixel(5, kHeight - 2) & 0xFF, 0xD0);
  EXPECT_EQ(Pixel(5, kHeight / 2), Pixel(kWidth - 5, kHeight / 2));
  tree->FBackground = nullptr;
}

TEST_F(TreePaintTest, EmptyTreePaintsOnlyTheBackgroundAndTheLongColumnLines) {
  Paint();
  EXPECT_EQ(Count(kBack, 0, kHeight), kWidth * kHeight);
  EXPECT_EQ(tree->View()->TotalRowsHeight(), 0);
  tree->Columns({60, 50});
  tree->FVerticalLines = true;
  tree->FVertDivLinesColor = 0x4080C0;
  Paint();
  // A line at each section's last pixel, from the top to the bottom.
  EXPECT_EQ(Count(0x4080C0, 0, kHeight, 59, 60), kHeight);
  EXPECT_EQ(Count(0x4080C0, 0, kHeight, 109, 110), kHeight);
  EXPECT_EQ(Count(0x4080C0, 0, kHeight), 2 * kHeight);
}

TEST_F(TreePaintTest, ColumnCellsShowTheirTextsAndPasswordsMasked) {
  TElHeader* header = tree->Columns({60, 70, 70});
  TElTreeItem* a = Add(nullptr, L"main");
  a->ColumnText()->Add(L"WWWW");
  a->ColumnText()->Add(L"secret");
  header->Sections()->GetSectionAt(2)->SetPassword(true);
  ShowRows({a});
  Paint();
  const int bottom = RowTop(1);
  EXPECT_GT(Painted(0, bottom), 0);
  // Text in each of the three cells, none past the sections.
  auto paintedIn = [&](int left, int right) {
    int n = 0;
    for (int y = 0; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += Pixel(x, y) != kBack;
    return n;
  };
  EXPECT_GT(paintedIn(60, 130), 10);
  EXPECT_GT(paintedIn(130, 200), 10);
  // The masked text is six stars whatever the text: the same pixels as a
  // cell that says "******".
  TBitmap masked;
  masked.Assign(&bitmap);
  a->ColumnText()->Put(1, L"other");
  Paint();
  int same = 0;
  for (int y = 0; y < bottom; ++y)
    for (int x = 130; x < 200; ++x) same += Pixel(x, y) == static_cast<TColor>(GetPixel(masked.Canvas()->Handle(), x, y));
  EXPECT_EQ(same, 70 * bottom);
}

}  // namespace
