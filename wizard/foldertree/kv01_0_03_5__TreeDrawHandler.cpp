#include "kv01_0_03_5__TreeDrawHandler.hpp"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "SBCropRegion.hpp"
#include "SBResourceStorage.hpp"
#include "Streaming.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

namespace {

constexpr int kIconCount = 20;

// Copies the skin picture of that name (a bitmap or PNG resource) into the
// picture as a bitmap, which the tree's parts draw and tile; a missing one
// leaves the picture empty.
void LoadResourcePicture(TPicture* picture, const char* name) {
  TPicture* shared = GetSharedPicture(name, "");
  if (!shared || PictureEmpty(shared)) return;
  TBitmap bitmap;
  bitmap.Assign(shared->Graphic());
  picture->SetBitmap(&bitmap);
}

// A folder icon's PNG resource as a 32-bit bitmap whose fourth byte is the
// alpha, not premultiplied: the image list blends it without a mask. False,
// the bitmap untouched, when the resource is missing or unreadable.
bool LoadIconBitmap(TBitmap* bitmap, const std::string& name) {
  std::unique_ptr<TPNGObject> png(LoadPngResource(name, ""));
  if (!png || png->Empty()) return false;
  TChunkIHDR* header = png->HeaderChunk();
  const int width = png->Width(), height = png->Height();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<Byte*>(bitmap->ScanLine(y));
    const Byte* alpha = header->AlphaRow(std::uint32_t(y));
    for (int x = 0; x < width; ++x) {
      const COLORREF c = COLORREF(png->ReadPixelColor(x, y));
      Byte* p = row + 4 * x;
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
      p[3] = alpha ? alpha[x] : 255;
    }
  }
  return true;
}

TGraphic* GraphicOf(TImage* image) { return image ? image->Picture()->Graphic() : nullptr; }

int Width(const TRect& r) { return r.right - r.left; }
int Height(const TRect& r) { return r.bottom - r.top; }

// Pascal's mod: the sign of the dividend; a zero width gives 0.
int Offset(int position, int size) { return size > 0 ? -(position % size) : 0; }

void DrawArrow(TCanvas* canvas, const TRect& r, bool focused, bool pressed, TImage* down, TImage* over,
               TImage* normal) {
  if (TGraphic* picture = GraphicOf(ChooseArrowPicture(pressed, focused, down, over, normal)))
    canvas->Draw(r.left, r.top, picture);
}

void DrawTrack(TCanvas* canvas, const TRect& r, TImage* tile, int x, int y) {
  TBitmap buffer;
  buffer.SetSize(Width(r), Height(r));
  if (TileBitmap(&buffer, GraphicOf(tile), x, y)) canvas->Draw(r.left, r.top, &buffer);
}

}  // namespace

TImage* ChooseArrowPicture(bool pressed, bool focused, TImage* down, TImage* over, TImage* normal) {
  if (pressed) return down;
  return focused ? over : normal;
}

bool TileBitmap(TBitmap* target, TGraphic* tile, int x, int y) {
  if (!tile || tile->Empty() || tile->Width() <= 0 || tile->Height() <= 0) return false;
  TCanvas* canvas = target->Canvas();
  for (int top = y; top < target->Height(); top += tile->Height())
    for (int left = x; left < target->Width(); left += tile->Width()) canvas->Draw(left, top, tile);
  return true;
}

void TTreeHandlerFormG::DoCreate() {
  const std::pair<TImage*, const char*> pictures[] = {
      {sbUpNormal, "TREE_SB_UP_NORMAL"},       {sbUpDown, "TREE_SB_UP_DOWN"},
      {sbUpOver, "TREE_SB_UP_OVER"},           {sbBg, "TREE_SB_TRACK"},
      {sbLeftNormal, "TREE_SB_LEFT_NORMAL"},   {sbHBg, "TREE_SB_HTRACK"},
      {sbLeftDown, "TREE_SB_LEFT_DOWN"},       {sbLeftOver, "TREE_SB_LEFT_OVER"},
      {sbRightOver, "TREE_SB_RIGHT_OVER"},     {sbRightDown, "TREE_SB_RIGHT_DOWN"},
      {sbRightNormal, "TREE_SB_RIGHT_NORMAL"}, {sbDownOver, "TREE_SB_DOWN_OVER"},
      {sbDownDown, "TREE_SB_DOWN_DOWN"},       {sbDownNormal, "TREE_SB_DOWN_NORMAL"},
      {sbThumbBg, "TREE_SB_THUMB_TILE"},       {sbThumbMain, "TREE_SB_THUMB_MAIN"},
      {sbThumbTop, "TREE_SB_THUMB_TOP"},       {sbThumbBottom, "TREE_SB_THUMB_BOTTOM"},
      {sbHThumbBg, "TREE_SB_HTHUMB_TILE"},     {sbHThumbMain, "TREE_SB_HTHUMB_MAIN"},
      {sbHThumbLeft, "TREE_SB_HTHUMB_LEFT"},   {sbHThumbRight, "TREE_SB_HTHUMB_RIGHT"}};
  for (auto [image, name] : pictures)
    if (image) LoadResourcePicture(image->Picture(), name);
  TForm::DoCreate();
}

TTreeDrawHandler::TTreeDrawHandler(TComponent* owner) : TComponent(owner) {
  RegisterTreeHandlerForm();
  form_ = TObject::Create<TTreeHandlerFormG>(this);
  corner_ = form_->Ugolok;
  LoadIcons();
}

TTreeDrawHandler::~TTreeDrawHandler() {
  if (!tree_) return;
  auto release = [this](auto& event) {
    if (event.Data() == this) event = {};
  };
  release(tree_->OnHorzScrollDrawPart);
  release(tree_->OnVertScrollDrawPart);
  release(tree_->OnItemPostDraw);
  release(tree_->OnItemDraw);
  release(tree_->OnItemPicDraw);
}

void TTreeDrawHandler::LoadIcons() {
  TImageList* icons = form_->Icons;
  if (!icons) return;
  icons->Clear();
  for (int n = 0; n < kIconCount; ++n) {
    TBitmap bitmap;
    if (!LoadIconBitmap(&bitmap, "ICON_" + std::to_string(n))) {
      // A missing picture still takes its place, so the kinds after it keep
      // their indexes.
      bitmap.SetPixelFormat(pf32bit);
      bitmap.SetSize(icons->Width(), icons->Height());
      std::fill_n(static_cast<DWORD*>(bitmap.ScanLine(bitmap.Height() - 1)),
                  size_t(bitmap.Width()) * size_t(bitmap.Height()), 0u);
    }
    if (n == 0) {
      icons->SetWidth(bitmap.Width());
      icons->SetHeight(bitmap.Height());
    }
    icons->Add(&bitmap, nullptr);
  }
}

void TTreeDrawHandler::Attach(TCustomElTree* tree) {
  tree_ = tree;
  if (corner_) {
    corner_->SetParent(tree);
    corner_->SetBounds(tree->Width() - corner_->Width(), tree->Height() - corner_->Height(), corner_->Width(),
                       corner_->Height());
    corner_->SetAnchors(TAnchors{akRight, akBottom});
  }
  tree->OnHorzScrollDrawPart = TElScrollDrawPartEvent(this, &TTreeDrawHandler::HorzScrollDrawPart);
  tree->OnVertScrollDrawPart = TElScrollDrawPartEvent(this, &TTreeDrawHandler::VertScrollDrawPart);
  tree->OnItemPostDraw = TElTreeItemPostDrawEvent(this, &TTreeDrawHandler::ItemPostDraw);
  tree->OnItemDraw = TOnItemDrawEvent(this, &TTreeDrawHandler::ItemDraw);
  // The tree draws the state picture of a focused, selected or expanded
  // item; the folder items keep their picture in the image index alone.
  tree->OnItemPicDraw = TOnPicDrawEvent(this, &TTreeDrawHandler::ItemPicDraw);
  tree->SetImages(form_->Icons);
  UpdateCorner();
}

void TTreeDrawHandler::ItemDraw(TObject*, TElTreeItem*, TCanvas* surface, TRect r, int) {
  TSBCImage* line = form_->separator_line_image;
  TGraphic* picture = line ? line->Picture()->Graphic() : nullptr;
  if (!picture || picture->Empty() || picture->Width() <= 0 || !tree_) return;
  const int top = r.top + (Height(r) - picture->Height()) / 2;
  const int right = tree_->Width() - 20;
  HDC dc = surface->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, top, std::max(0, right), top + picture->Height());
  for (int x = 0; x < right; x += picture->Width()) surface->Draw(x, top, picture);
  RestoreDC(dc, saved);
}

void TTreeDrawHandler::ItemPostDraw(TObject*, TCanvas*, TElTreeItem*, TRect, bool&) { UpdateCorner(); }

void TTreeDrawHandler::ItemPicDraw(TObject*, TElTreeItem* item, int& imageIndex) {
  if (item) imageIndex = item->ImageIndex();
}

void TTreeDrawHandler::UpdateCorner() {
  if (!corner_ || !tree_) return;
  TElScrollBar* h = tree_->HScrollBar();
  TElScrollBar* v = tree_->VScrollBar();
  const bool both = tree_->UseCustomScrollBars() && h && v && h->Visible() && v->Visible();
  if (corner_->Visible() != both) corner_->SetVisible(both);
}

void TTreeDrawHandler::HorzScrollDrawPart(TObject*, TCanvas* canvas, TRect r, TElScrollBarPart part, bool,
                                          bool focused, bool pressed, bool& defaultDraw) {
  TTreeHandlerFormG* f = form_;
  switch (part) {
    case spFirstArrow:
      DrawArrow(canvas, r, focused, pressed, f->sbLeftDown, f->sbLeftOver, f->sbLeftNormal);
      break;
    case spLastArrow:
      DrawArrow(canvas, r, focused, pressed, f->sbRightDown, f->sbRightOver, f->sbRightNormal);
      break;
    case spThumb: {
      TBitmap buffer;
      buffer.SetSize(Width(r), Height(r));
      TGraphic* tile = GraphicOf(f->sbHThumbBg);
      TileBitmap(&buffer, tile, Offset(r.left, tile ? tile->Width() : 0), Offset(r.top, tile ? tile->Height() : 0));
      if (TGraphic* left = GraphicOf(f->sbHThumbLeft)) buffer.Canvas()->Draw(0, 0, left);
      if (TGraphic* right = GraphicOf(f->sbHThumbRight)) buffer.Canvas()->Draw(Width(r) - right->Width(), 0, right);
      canvas->Draw(r.left, r.top, &buffer);
      break;
    }
    case spTrackBefore:
    case spTrackAfter: {
      TGraphic* tile = GraphicOf(f->sbHBg);
      DrawTrack(canvas, r, f->sbHBg, Offset(r.left, tile ? tile->Width() : 0), 0);
      break;
    }
    default:
      break;
  }
  defaultDraw = false;
}

void TTreeDrawHandler::VertScrollDrawPart(TObject*, TCanvas* canvas, TRect r, TElScrollBarPart part, bool,
                                          bool focused, bool pressed, bool& defaultDraw) {
  TTreeHandlerFormG* f = form_;
  switch (part) {
    case spFirstArrow:
      DrawArrow(canvas, r, focused, pressed, f->sbUpDown, f->sbUpOver, f->sbUpNormal);
      break;
    case spLastArrow:
      DrawArrow(canvas, r, focused, pressed, f->sbDownDown, f->sbDownOver, f->sbDownNormal);
      break;
    case spThumb: {
      TBitmap buffer;
      buffer.SetSize(Width(r), Height(r));
      TGraphic* tile = GraphicOf(f->sbThumbBg);
      TileBitmap(&buffer, tile, Offset(r.left, tile ? tile->Width() : 0), Offset(r.top, tile ? tile->Height() : 0));
      if (TGraphic* top = GraphicOf(f->sbThumbTop)) buffer.Canvas()->Draw(0, 0, top);
      if (TGraphic* bottom = GraphicOf(f->sbThumbBottom))
        buffer.Canvas()->Draw(0, Height(r) - bottom->Height(), bottom);
      canvas->Draw(r.left, r.top, &buffer);
      break;
    }
    case spTrackBefore:
    case spTrackAfter: {
      TGraphic* tile = GraphicOf(f->sbBg);
      DrawTrack(canvas, r, f->sbBg, 0, Offset(r.top, tile ? tile->Height() : 0));
      break;
    }
    default:
      break;
  }
  defaultDraw = false;
}

void RegisterTreeHandlerForm() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TTreeHandlerFormG;
  Publish<F, TForm>()
      .Field("sbUpNormal", &F::sbUpNormal)
      .Field("sbUpDown", &F::sbUpDown)
      .Field("sbUpOver", &F::sbUpOver)
      .Field("sbBg", &F::sbBg)
      .Field("sbLeftNormal", &F::sbLeftNormal)
      .Field("sbHBg", &F::sbHBg)
      .Field("sbLeftDown", &F::sbLeftDown)
      .Field("sbLeftOver", &F::sbLeftOver)
      .Field("sbRightOver", &F::sbRightOver)
      .Field("sbRightDown", &F::sbRightDown)
      .Field("sbRightNormal", &F::sbRightNormal)
      .Field("sbDownOver", &F::sbDownOver)
      .Field("sbDownDown", &F::sbDownDown)
      .Field("sbDownNormal", &F::sbDownNormal)
      .Field("Icons", &F::Icons)
      .Field("sbThumbBg", &F::sbThumbBg)
      .Field("sbThumbMain", &F::sbThumbMain)
      .Field("sbThumbTop", &F::sbThumbTop)
      .Field("sbThumbBottom", &F::sbThumbBottom)
      .Field("sbHThumbBg", &F::sbHThumbBg)
      .Field("sbHThumbMain", &F::sbHThumbMain)
      .Field("sbHThumbLeft", &F::sbHThumbLeft)
      .Field("sbHThumbRight", &F::sbHThumbRight)
      .Field("Ugolok", &F::Ugolok)
      .Field("separator_line_image", &F::separator_line_image);
}
