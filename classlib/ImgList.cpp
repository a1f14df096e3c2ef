// Image lists and change links.
#include "ImgList.hpp"

#include <algorithm>

namespace {

constexpr DWORD kRopPSDPxax = 0x00B8074A;  // pattern where the source is 0, else the destination

COLORREF ListColor(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(color));
}

}  // namespace

// --- TChangeLink ----------------------------------------------------------------

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (sender_) OnChange(sender_);
}

// --- TCustomImageList -------------------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) { CreateImageList(); }

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(std::max(width, 1)), height_(std::max(height, 1)) {
  CreateImageList();
}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : clients_) link->SetSender(nullptr);
  clients_.clear();
  DestroyImageList();
}

void TCustomImageList::CreateImageList() {
  UINT flags = ILC_COLOR32 | (masked_ ? ILC_MASK : 0);
  handle_ = ImageList_Create(width_, height_, flags, 4, 4);
  if (!handle_) throw EInvalidOperation("Failed to create image list");
}

void TCustomImageList::DestroyImageList() {
  if (handle_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

void TCustomImageList::Assign(TPersistent* source) {
  auto* list = dynamic_cast<TCustomImageList*>(source);
  if (!list) {
    TPersistent::Assign(source);
    return;
  }
  if (list == this) return;
  DestroyImageList();
  width_ = list->width_;
  height_ = list->height_;
  masked_ = list->masked_;
  drawingStyle_ = list->drawingStyle_;
  imageType_ = list->imageType_;
  blendColor_ = list->blendColor_;
  handle_ = ImageList_Duplicate(list->handle_);
  if (!handle_) CreateImageList();
  Change();
}

void TCustomImageList::SetWidth(int width) {
  if (width < 1 || width == width_) return;
  width_ = width;
  DestroyImageList();
  CreateImageList();
  Change();
}

void TCustomImageList::SetHeight(int height) {
  if (height < 1 || height == height_) return;
  height_ = height;
  DestroyImageList();
  CreateImageList();
  Change();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == masked_) return;
  masked_ = value;
  DestroyImageList();
  CreateImageList();
  Change();
}

int TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

TColor TCustomImageList::BkColor() const {
  COLORREF color = ImageList_GetBkColor(handle_);
  return color == CLR_NONE ? clNone : static_cast<TColor>(color);
}

void TCustomImageList::SetBkColor(TColor color) {
  ImageList_SetBkColor(handle_, ListColor(color));
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle style) {
  if (style == drawingStyle_) return;
  drawingStyle_ = style;
  Change();
}

void TCustomImageList::SetImageType(TImageType type) {
  if (type == imageType_) return;
  imageType_ = type;
  Change();
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty()) return -1;
  int index = ImageList_Add(handle_, image->Handle(), mask && !mask->Empty() ? mask->Handle() : nullptr);
  if (index < 0) throw EInvalidOperation("Failed to add image to image list");
  Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image || image->Empty()) return -1;
  // ImageList_AddMasked blackens the masked pixels of the bitmap it gets;
  // it gets a copy.
  TBitmap copy;
  copy.Assign(image);
  int index = masked_ ? ImageList_AddMasked(handle_, copy.Handle(), static_cast<COLORREF>(ColorToRGB(maskColor)))
                      : ImageList_Add(handle_, copy.Handle(), nullptr);
  if (index < 0) throw EInvalidOperation("Failed to add image to image list");
  Change();
  return index;
}

void TCustomImageList::Clear() { Delete(-1); }

void TCustomImageList::Delete(int index) {
  if (index >= Count()) throw EInvalidOperation("Image index out of range");
  ImageList_Remove(handle_, index);
  Change();
}

UINT TCustomImageList::DrawStyleFlags(TDrawingStyle style, TImageType type) {
  static const UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT flags = kStyles[style];
  if (type == itMask) flags |= ILD_MASK;
  return flags;
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
                            bool enabled) {
  if (index < 0 || index >= Count()) return;
  DoDraw(index, canvas, x, y, DrawStyleFlags(style, type), enabled);
}

bool TCustomImageList::Overlay(int imageIndex, int overlay) {
  if (overlay < 0 || overlay > 3) return false;
  return ImageList_SetOverlayImage(handle_, imageIndex, overlay + 1) != FALSE;
}

void TCustomImageList::DrawOverlay(TCanvas* canvas, int x, int y, int imageIndex, int overlay, bool enabled) {
  if (imageIndex < 0 || imageIndex >= Count() || overlay < 0 || overlay > 3) return;
  DoDraw(imageIndex, canvas, x, y, DrawStyleFlags(drawingStyle_, imageType_) | INDEXTOOVERLAYMASK(overlay + 1), enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) {
  if (!enabled) {
    DrawDisabled(index, canvas, x, y);
    return;
  }
  canvas->RequiredState({csHandleValid});
  ImageList_DrawEx(handle_, index, canvas->Handle(), x, y, 0, 0, ImageList_GetBkColor(handle_),
                   ListColor(blendColor_), style);
}

// A disabled image is its shape embossed: the mask drawn in the highlight
// colour one pixel down and right, then in the shadow colour in place.
void TCustomImageList::DrawDisabled(int index, TCanvas* canvas, int x, int y) {
  HBITMAP mono = CreateBitmap(width_, height_, 1, 1, nullptr);
  HDC monoDC = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(monoDC, mono);
  PatBlt(monoDC, 0, 0, width_, height_, WHITENESS);
  ImageList_DrawEx(handle_, index, monoDC, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
  HDC dc = canvas->Handle();
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
  const TColor colors[2] = {clBtnHighlight, clBtnShadow};
  for (int pass = 0; pass < 2; ++pass) {
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(colors[pass])));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    int offset = pass == 0 ? 1 : 0;
    BitBlt(dc, x + offset, y + offset, width_, height_, monoDC, 0, 0, kRopPSDPxax);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
  SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBk);
  SelectObject(monoDC, old);
  DeleteDC(monoDC);
  DeleteObject(mono);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link || std::find(clients_.begin(), clients_.end(), link) != clients_.end()) return;
  if (link->Sender() && link->Sender() != this) link->Sender()->UnRegisterChanges(link);
  link->SetSender(this);
  clients_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(clients_.begin(), clients_.end(), link);
  if (it == clients_.end()) return;
  clients_.erase(it);
  link->SetSender(nullptr);
}

void TCustomImageList::Change() {
  // A link may unregister itself while being told; walk a copy.
  std::vector<TChangeLink*> links = clients_;
  for (TChangeLink* link : links)
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
  OnChange(this);
}

// --- TDragImageList ---------------------------------------------------------------

namespace {
TDragImageList* g_currentDrag = nullptr;
}  // namespace

TDragImageList::~TDragImageList() { EndDrag(); }

bool TDragImageList::SetDragImage(int index, int hotSpotX, int hotSpotY) {
  if (index < 0 || index >= Count()) return false;
  dragIndex_ = index;
  hotspot_ = POINT{hotSpotX, hotSpotY};
  return true;
}

bool TDragImageList::BeginDrag(HWND window, int x, int y) {
  if (dragIndex_ < 0 || dragIndex_ >= Count()) return false;
  if (g_currentDrag) g_currentDrag->EndDrag();
  if (!ImageList_BeginDrag(Handle(), dragIndex_, hotspot_.x, hotspot_.y)) return false;
  if (!ImageList_DragEnter(window, x, y)) {
    ImageList_EndDrag();
    return false;
  }
  dragging_ = true;
  dragWindow_ = window;
  g_currentDrag = this;
  return true;
}

bool TDragImageList::DragMove(int x, int y) { return dragging_ && ImageList_DragMove(x, y); }

void TDragImageList::EndDrag() {
  if (!dragging_) return;
  ImageList_DragLeave(dragWindow_);
  ImageList_EndDrag();
  dragging_ = false;
  if (g_currentDrag == this) g_currentDrag = nullptr;
}

void TDragImageList::HideDragImage() {
  if (dragging_) ImageList_DragShowNolock(FALSE);
}

void TDragImageList::ShowDragImage() {
  if (dragging_) ImageList_DragShowNolock(TRUE);
}

TDragImageList* TDragImageList::CurrentDrag() { return g_currentDrag; }

void TDragImageList::EndCurrentDrag() {
  if (g_currentDrag) g_currentDrag->EndDrag();
}
