// Hit testing read against the paint: every column of pixels a part drew
// answers that part, in both reading directions, with and without columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "ElTree.hpp"

namespace {

std::vector<int> Numbers(const std::vector<TSTItemPart>& parts) { return std::vector<int>(parts.begin(), parts.end()); }

class THitTree : public TElTree {
 public:
  explicit THitTree(TComponent* owner) : TElTree(owner) {}
  using TCustomElTree::FBkColor;
  using TCustomElTree::FHeader;
  using TCustomElTree::FImages;
  using TCustomElTree::FImages2;
  using TCustomElTree::FLeftPosition;
  using TCustomElTree::FLineHeight;
  using TCustomElTree::FMainTreeColumn;
  using TCustomElTree::FRightAlignedTree;
  using TCustomElTree::FShowButtons;
  using TCustomElTree::FShowCheckboxes;
  using TCustomElTree::FShowColumns;
  using TCustomElTree::FShowImages;
  using TCustomElTree::FShowLines;
  using TCustomElTree::FTextColor;
};

constexpr TColor kBack = 0xF0F0F0, kText = 0x102030, kImage = 0x0000FF, kImage2 = 0xFF0000;
constexpr int kWidth = 240, kHeight = 100;

class TreeHitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree = TObject::Create<THitTree>(nullptr);
    tree->FBkColor = kBack;
    tree->FTextColor = kText;
    tree->FShowLines = false;
    tree->FShowButtons = true;
    tree->FShowCheckboxes = true;
    tree->FShowImages = true;
    tree->View()->SetBounds(0, 0, kWidth, kHeight);
    bitmap.SetSize(kWidth, kHeight);
    images = SolidList(16, kImage);
    images2 = SolidList(10, kImage2);
    tree->FImages = images;
    tree->FImages2 = images2;
    parent = tree->Items()->AddLastChild(nullptr, TElFString(L"WWWW"));
    child = tree->Items()->AddLastChild(parent, TElFString(L"child"));
    for (TElTreeItem* item : {parent, child}) {
      item->SetShowCheckBox(true);
      item->SetImageIndex(0);
      item->SetImageIndex2(0);
      item->SetStateImageIndex(0);
      item->SetStateImageIndex2(0);
    }
    parent->SetExpanded(true);
    tree->View()->VisibleRows()->Clear();
    tree->View()->VisibleRows()->Add(parent);
    tree->View()->VisibleRows()->Add(child);
  }
  void TearDown() override {
    tree->Free();
    delete images;
    delete images2;
  }
  static TImageList* SolidList(int width, TColor color) {
    auto* list = new TImageList(nullptr);
    list->SetWidth(width);
    list->SetHeight(width);
    TBitmap picture;
    picture.SetSize(width, width);
    picture.Canvas()->Brush()->SetColor(color);
    picture.Canvas()->FillRect(TRect{0, 0, width, width});
    list->Add(&picture, nullptr);
    return list;
  }
  void Paint() {
    TRect all{0, 0, kWidth, kHeight};
    tree->View()->PaintBackground(bitmap.Canvas(), all);
    tree->View()->DrawRows(bitmap.Canvas(), 0, tree->View()->VisibleRows());
  }
  TColor Pixel(int x, int y) { return static_cast<TColor>(GetPixel(bitmap.Canvas()->Handle(), x, y)); }
  TSTItemPart PartAt(int x, int y, TElTreeItem* expected, int* column = nullptr) {
    TSTItemPart part;
    int hitColumn;
    TElTreeItem* item = tree->View()->GetItemAt(x, y, part, hitColumn);
    EXPECT_EQ(item, expected) << "x " << x << " y " << y;
    if (column) *column = hitColumn;
    return part;
  }
  // The part the pixels of the row drew in each column, checked against the
  // hit test; answers the parts met from left to right.
  std::vector<TSTItemPart> CheckRow(TElTreeItem* item, int top) {
    std::vector<TSTItemPart> order;
    const int bottom = top + item->Height();
    for (int x = 0; x < kWidth; ++x) {
      const TSTItemPart part = PartAt(x, top + 1, item);
      if (order.empty() || order.back() != part) order.push_back(part);
      for (int y = top; y < bottom; ++y) {
        const TColor c = Pixel(x, y);
        if (c == kImage) {
          EXPECT_EQ(part, HitImage) << "x " << x;
        }
        if (c == kImage2) {
          EXPECT_EQ(part, HitImage2) << "x " << x;
        }
        if (c == kText) {
          EXPECT_EQ(part, HitText) << "x " << x;
        }
        if (c != kBack && c != kImage && c != kImage2 && c != kText) {
          EXPECT_TRUE(part == HitButton || part == HitCheckBox || part == HitText) << "x " << x << " part " << part;
        }
      }
    }
    return order;
  }

  THitTree* tree = nullptr;
  TElTreeItem* parent = nullptr;
  TElTreeItem* child = nullptr;
  TImageList* images = nullptr;
  TImageList* images2 = nullptr;
  TBitmap bitmap;
};

TEST_F(TreeHitTest, EveryDrawnPartAnswersItselfInBothDirections) {
  // The gaps between the parts are indent.
  const std::vector<TSTItemPart> leftToRight{HitButton, HitCheckBox, HitImage2, HitImage, HitText};
  auto parts = [](std::vector<TSTItemPart> row) {
    EXPECT_EQ(row.back(), HitIndent);  // right of the text
    row.erase(std::remove(row.begin(), row.end(), HitIndent), row.end());
    return row;
  };
  for (bool mirrored : {false, true}) {
    SCOPED_TRACE(mirrored ? "right-aligned" : "left-aligned");
    tree->FRightAlignedTree = mirrored;
    Paint();
    std::vector<TSTItemPart> row = CheckRow(parent, 0);
    if (mirrored) std::reverse(row.begin(), row.end());
    EXPECT_EQ(Numbers(parts(row)), Numbers(leftToRight));
    // The child has no button: its place is indent.
    std::vector<TSTItemPart> childParts = CheckRow(child, parent->Height());
    EXPECT_EQ(std::count(childParts.begin(), childParts.end(), HitButton), 0);
    EXPECT_EQ(std::count(childParts.begin(), childParts.end(), HitCheckBox), 1);
  }
  // Below the rows and above the view nothing is hit.
  const int below = parent->Height() + child->Height();
  EXPECT_EQ(PartAt(10, below, nullptr), HitNowhere);
  EXPECT_EQ(PartAt(10, -1, nullptr), HitNowhere);
}

TEST_F(TreeHitTest, APartNoLongerDrawnIsNoLongerHit) {
  Paint();
  tree->FShowCheckboxes = false;
  tree->FImages2 = nullptr;
  Paint();
  const std::vector<TSTItemPart> parts = CheckRow(parent, 0);
  EXPECT_EQ(std::count(parts.begin(), parts.end(), HitCheckBox), 0);
  EXPECT_EQ(std::count(parts.begin(), parts.end(), HitImage2), 0);
  EXPECT_EQ(std::count(parts.begin(), parts.end(), HitImage), 1);
}

TEST_F(TreeHitTest, ColumnsAnswerCellsAndNothingPastTheLast) {
  tree->FHeader = new TElHeader(tree);
  for (int width : {60, 80, 50}) tree->FHeader->Sections()->AddSection()->SetWidth(width);
  tree->FShowColumns = true;
  for (int main : {0, 1}) {
    SCOPED_TRACE(main);
    tree->FMainTreeColumn = main;
    for (int scroll : {0, 25}) {
      tree->FLeftPosition = scroll;
      Paint();
      int column;
      // Section 2 spans [140, 190) of the tree.
      EXPECT_EQ(PartAt(150 - scroll, 2, parent, &column), HitCell);
      EXPECT_EQ(column, 2);
      EXPECT_EQ(PartAt(195 - scroll, 2, parent, &column), HitNowhere);
      EXPECT_EQ(column, -1);
      // The main column answers its own parts with its index; the other
      // of the first two is a cell.
      const int mainLeft = main == 0 ? 0 : 60, otherLeft = main == 0 ? 60 : 0;
      std::map<TSTItemPart, int> seen;
      for (int x = mainLeft; x < mainLeft + (main == 0 ? 60 : 80); ++x)
        if (x - scroll >= 0) {
          ++seen[PartAt(x - scroll, 2, parent, &column)];
          EXPECT_EQ(column, main);
        }
      EXPECT_EQ(seen.count(HitCell), 0u);
      if (otherLeft + 5 - scroll >= 0) {
        EXPECT_EQ(PartAt(otherLeft + 5 - scroll, 2, parent, &column), HitCell);
        EXPECT_EQ(column, 1 - main);
      }
      if (scroll == 0) {
        EXPECT_GT(seen.count(HitText) + seen.count(HitImage), 0u);
      }
    }
  }
}

}  // namespace
