// The folder tree's look: folder icons, skinned scroll-bar parts, the
// corner picture between the bars and a separator line for owner-drawn
// rows. The pictures live on a form that is never shown.
#pragma once

#include "ElTree.hpp"
#include "ExtCtrls.hpp"
#include "Forms.hpp"
#include "ImgList.hpp"
#include "SBCImage.hpp"

class TTreeHandlerFormG : public TForm {
 public:
  explicit TTreeHandlerFormG(TComponent* owner) : TForm(owner) {}

  TImage* sbUpNormal = nullptr;
  TImage* sbUpDown = nullptr;
  TImage* sbUpOver = nullptr;
  TImage* sbBg = nullptr;
  TImage* sbLeftNormal = nullptr;
  TImage* sbHBg = nullptr;
  TImage* sbLeftDown = nullptr;
  TImage* sbLeftOver = nullptr;
  TImage* sbRightOver = nullptr;
  TImage* sbRightDown = nullptr;
  TImage* sbRightNormal = nullptr;
  TImage* sbDownOver = nullptr;
  TImage* sbDownDown = nullptr;
  TImage* sbDownNormal = nullptr;
  TImageList* Icons = nullptr;
  TImage* sbThumbBg = nullptr;
  TImage* sbThumbMain = nullptr;
  TImage* sbThumbTop = nullptr;
  TImage* sbThumbBottom = nullptr;
  TImage* sbHThumbBg = nullptr;
  TImage* sbHThumbMain = nullptr;
  TImage* sbHThumbLeft = nullptr;
  TImage* sbHThumbRight = nullptr;
  TSBCImage* Ugolok = nullptr;
  TSBCImage* separator_line_image = nullptr;

 protected:
  // The form text carries no picture data: the images come from the
  // program's resources.
  void DoCreate() override;
};

class TTreeDrawHandler : public TComponent {
 public:
  // Owned by the tree it will draw.
  explicit TTreeDrawHandler(TComponent* owner);
  // Takes its drawing events back from the tree, which frees its owned
  // handler early in its own teardown and may paint after that.
  ~TTreeDrawHandler() override;

  void LoadIcons();
  void Attach(TCustomElTree* tree);

  void ItemDraw(TObject* sender, TElTreeItem* item, TCanvas* surface, TRect r, int sectionIndex);
  void ItemPostDraw(TObject* sender, TCanvas* canvas, TElTreeItem* item, TRect itemRect, bool& drawFocusRect);
  void ItemPicDraw(TObject* sender, TElTreeItem* item, int& imageIndex);
  void HorzScrollDrawPart(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart part, bool enabled,
                          bool focused, bool pressed, bool& defaultDraw);
  void VertScrollDrawPart(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart part, bool enabled,
                          bool focused, bool pressed, bool& defaultDraw);

  TCustomElTree* Tree() const { return tree_; }
  TTreeHandlerFormG* Pictures() const { return form_; }
  TSBCImage* Corner() const { return corner_; }

 private:
  void UpdateCorner();

  TCustomElTree* tree_ = nullptr;
  TTreeHandlerFormG* form_ = nullptr;
  TSBCImage* corner_ = nullptr;
};

// The picture a bar part shows: pressed before hover before normal.
TImage* ChooseArrowPicture(bool pressed, bool focused, TImage* down, TImage* over, TImage* normal);

// Fills the bitmap with copies of the tile starting at (x, y), which lie at
// or left of and above the bitmap's corner; an empty tile leaves it as it
// is and answers false.
bool TileBitmap(TBitmap* target, TGraphic* tile, int x, int y);

// Publishes the picture form for form files; the handler's constructor
// does it when nothing did before. Needs the kit's controls published.
void RegisterTreeHandlerForm();
