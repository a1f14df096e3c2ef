#include "ElImgFrm.hpp"

#include <cstring>

#include "ElGdiScope.hpp"
#include "Streaming.hpp"

// ---------------------------------------------------------------------------
// TImgFormChangeLink

TImgFormChangeLink::~TImgFormChangeLink() {
  if (form_) form_->UnregisterChanges(this);
}

void TImgFormChangeLink::Change() { OnChange(form_); }

// ---------------------------------------------------------------------------
// Pictures to regions

std::vector<TRect> OpaqueRuns(const std::vector<TColor>& pixels, int width, int height, TColor transparent) {
  std::vector<TRect> runs;
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height) return runs;
  for (int y = 0; y < height; ++y) {
    const TColor* row = pixels.data() + static_cast<size_t>(y) * width;
    int x = 0;
    while (x < width) {
      while (x < width && row[x] == transparent) ++x;
      if (x == width) break;
      int start = x;
      while (x < width && row[x] != transparent) ++x;
      runs.push_back(TRect{start, y, x, y + 1});
    }
  }
  return runs;
}

std::vector<TColor> BitmapPixels(TBitmap* bitmap) {
  const int w = bitmap->Width(), h = bitmap->Height();
  std::vector<TColor> pixels;
  if (w <= 0 || h <= 0) return pixels;
  std::vector<DWORD> bgra(static_cast<size_t>(w) * h);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HBITMAP handle = bitmap->Handle();
  TElScreenDC screen;
  if (!GetDIBits(screen.Get(), handle, 0, static_cast<UINT>(h), bgra.data(), &info, DIB_RGB_COLORS)) return pixels;
  pixels.resize(bgra.size());
  for (size_t i = 0; i < bgra.size(); ++i) {
    DWORD p = bgra[i];
    pixels[i] = static_cast<TColor>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
  }
  return pixels;
}

namespace {

HRGN RegionFromRects(const std::vector<TRect>& rects) {
  std::vector<Byte> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(rects.size());
  header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  SetRectEmpty(&header->rcBound);
  for (const TRect& r : rects) UnionRect(&header->rcBound, &header->rcBound, &r);
  if (!rects.empty()) std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
}

bool IsGradient(TElBkGndType type) { return type == bgtHorzGradient || type == bgtVertGradient; }

}  // namespace

// ---------------------------------------------------------------------------
// TCustomElImageForm

TCustomElImageForm::TCustomElImageForm(TComponent* owner)
    : TComponent(owner), background_(std::make_unique<TBitmap>()), links_(std::make_unique<TElList>()) {
  background_->OnChange = TNotifyEvent(this, &TCustomElImageForm::BackgroundChanged);
  InstallHook();
}

TCustomElImageForm::~TCustomElImageForm() {
  // A bare delete skipped BeforeDestruction; the hook still must not call
  // into this object.
  RemoveHook();
}

void TCustomElImageForm::BeforeDestruction() {
  RemoveHook();
  RemoveRegion();
  while (links_->Count() > 0) UnregisterChanges(static_cast<TImgFormChangeLink*>(links_->Last()));
  // The picture must not call into this object once it is gone.
  SetFormImage(nullptr);
  background_->OnChange = nullptr;
  TComponent::BeforeDestruction();
}

bool TCustomElImageForm::InDesignMode() const {
  if (ComponentState().Contains(csDesigning)) return true;
  TWinControl* real = GetRealControl();
  return real && real->ComponentState().Contains(csDesigning);
}

TWinControl* TCustomElImageForm::GetRealControl() const {
  return control_ ? control_ : dynamic_cast<TWinControl*>(Owner());
}

void TCustomElImageForm::RegisterChanges(TImgFormChangeLink* link) {
  if (!link || links_->IndexOf(link) >= 0) return;
  links_->Add(link);
  link->SetForm(this);
}

void TCustomElImageForm::UnregisterChanges(TImgFormChangeLink* link) {
  if (links_->IndexOf(link) < 0) return;
  link->SetForm(nullptr);
  links_->Remove(link);
}

bool FollowImageForm(TComponent* control, TElImageForm*& current, TElImageForm* value,
                     TImgFormChangeLink* link) {
  if (value == current) return false;
  if (current) {
    current->UnregisterChanges(link);
    current->RemoveFreeNotification(control);
  }
  current = value;
  if (value) {
    value->RegisterChanges(link);
    value->FreeNotification(control);
  }
  return true;
}

void TCustomElImageForm::NotifyLinks() {
  // A link's handler may unregister links: walk a copy, skip the gone.
  std::vector<TImgFormChangeLink*> copy;
  for (std::int32_t i = 0; i < links_->Count(); ++i) copy.push_back(static_cast<TImgFormChangeLink*>(links_->FastGet(i)));
  for (TImgFormChangeLink* link : copy)
    if (links_->IndexOf(link) >= 0) link->Change();
}

void TCustomElImageForm::Repaint() {
  TWinControl* real = GetRealControl();
  if (real && real->HandleAllocated()) InvalidateRect(real->Handle(), nullptr, TRUE);
}

// ---- hook

void TCustomElImageForm::InstallHook() {
  RemoveHook();
  TWinControl* real = GetRealControl();
  if (!real || InDesignMode() || real->ComponentState().Contains(csDestroying)) return;
  hook_ = new TElHook(nullptr);
  hook_->OnBeforeProcess = TElHookEvent(this, &TCustomElImageForm::BeforeControlMessage);
  hook_->OnAfterProcess = TElHookEvent(this, &TCustomElImageForm::AfterControlMessage);
  hook_->SetControl(real);
  hook_->SetActive(true);
}

void TCustomElImageForm::RemoveHook() {
  TElHook* hook = hook_;
  hook_ = nullptr;
  if (hook) hook->Free();
}

void TCustomElImageForm::BeforeControlMessage(TObject*, TMessage& msg, bool& handled) {
  if (InDesignMode()) return;
  if (msg.Msg == WM_SIZE) sizing_ = true;
  if (msg.Msg == WM_ERASEBKGND) EraseBackground(msg, handled);
}

void TCustomElImageForm::EraseBackground(TMessage& msg, bool& handled) {
  TWinControl* real = GetRealControl();
  if (!real || real->Perform(EL_OWN_BACKGROUND, 0, 0) != 0) return;
  // A plain colour on the form itself is the form's own erase.
  if (!control_ && backgroundType_ == bgtColorFill) return;
  HDC dc = reinterpret_cast<HDC>(msg.WParam);
  TRect r;
  int kind = GetClipBox(dc, &r);
  if (kind == NULLREGION || kind == ERROR || IsRectEmpty(&r)) {
    r = real->ClientRect();
    real->Perform(EL_BACKGROUND_RECT, 0, reinterpret_cast<LPARAM>(&r));
  }
  PaintBkgnd(dc, r, true, TPoint{0, 0});
  if (!sizing_) {
    msg.Result = 1;
    handled = true;
  }
}

void TCustomElImageForm::AfterControlMessage(TObject*, TMessage& msg, bool&) {
  if (InDesignMode()) return;
  TWinControl* real = GetRealControl();
  if (!real) return;
  switch (msg.Msg) {
    case WM_NCHITTEST:
      if (moveForm_) HitTest(msg);
      break;
    case WM_SIZE: {
      sizing_ = false;
      if (real->HandleAllocated()) InvalidateRect(real->Handle(), nullptr, TRUE);
      BuildStretchedCopy();
      TMessage moved;
      moved.Msg = EL_BACKGROUND_MOVED;
      real->Broadcast(moved);
      break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
      if (real->HandleAllocated()) InvalidateRect(real->Handle(), nullptr, FALSE);
      TMessage moved;
      moved.Msg = EL_BACKGROUND_MOVED;
      real->Broadcast(moved);
      break;
    }
    case WM_NCRBUTTONDOWN: case WM_NCRBUTTONUP: case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN: case WM_NCMBUTTONUP: case WM_NCMBUTTONDBLCLK:
      if (moveForm_ && !captionControl_) NonClientButton(msg);
      break;
    case WM_PALETTECHANGED:
      if (real->HandleAllocated()) InvalidateRect(real->Handle(), nullptr, TRUE);
      break;
    default: break;
  }
}

// An empty spot of the background (or the caption control) answers as a
// caption, so that dragging it moves the window; child controls keep their
// clicks.
void TCustomElImageForm::HitTest(TMessage& msg) {
  TWinControl* real = GetRealControl();
  POINT screen{static_cast<short>(LOWORD(msg.LParam)), static_cast<short>(HIWORD(msg.LParam))};
  if (captionControl_) {
    POINT p = captionControl_->ScreenToClient(screen);
    TRect cr = captionControl_->ClientRect();
    if (PtInRect(&cr, p)) msg.Result = HTCAPTION;
    return;
  }
  POINT p = real->ScreenToClient(screen);
  TRect cr = real->ClientRect();
  if (p.x >= 0 && p.y >= 0 && PtInRect(&cr, p) && !real->ControlAtPos(p, true, true)) msg.Result = HTCAPTION;
}

// A right or middle click on a spot that answered as caption comes as a
// non-client message; the control gets it as the client message it was.
void TCustomElImageForm::NonClientButton(TMessage& msg) {
  TWinControl* real = GetRealControl();
  POINT p = real->ScreenToClient(POINT{static_cast<short>(LOWORD(msg.LParam)), static_cast<short>(HIWORD(msg.LParam))});
  WPARAM keys = 0;
  if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
  if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
  UINT client = msg.Msg - WM_NCRBUTTONDOWN + WM_RBUTTONDOWN;
  real->Perform(client, keys, MAKELPARAM(p.x, p.y));
}

// ---- painting

void TCustomElImageForm::PaintBkgnd(HDC dc, const TRect& r, bool extended, TPoint origin) {
  TWinControl* real = GetRealControl();
  if (!real) return;
  const TColor color = real->Color();
  TRect full{0, 0, real->ClientWidth(), real->ClientHeight()};
  if (real->HandleAllocated()) {
    HWND wnd = real->Handle();
    LONG style = GetWindowLongA(wnd, GWL_STYLE);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS;
    if ((style & WS_HSCROLL) && GetScrollInfo(wnd, SB_HORZ, &si)) {
      if (si.nMax - si.nMin > 0) full.right = si.nMax - si.nMin;
      origin.x += si.nPos;
    }
    si.fMask = SIF_RANGE | SIF_POS;
    if ((style & WS_VSCROLL) && GetScrollInfo(wnd, SB_VERT, &si)) {
      if (si.nMax - si.nMin > 0) full.bottom = si.nMax - si.nMin;
      origin.y += si.nPos;
    }
  }
  real->Perform(EL_BACKGROUND_RECT, 0, reinterpret_cast<LPARAM>(&full));
  switch (backgroundType_) {
    case bgtColorFill: FillSolidRect(dc, r, color); break;
    case bgtHorzGradient:
    case bgtVertGradient:
      // A single band (or none) is the start colour throughout.
      GradientFillRectClipped(dc, r, full, backgroundType_ == bgtVertGradient, gradientSteps_,
                              gradientStartColor_, gradientEndColor_, origin);
      break;
    default: PaintBitmapKind(dc, r, extended, origin, full, color); break;
  }
}

void TCustomElImageForm::PaintBitmapKind(HDC dc, const TRect& r, bool extended, TPoint origin, const TRect& full,
                                         TColor color) {
  TElBkGndType type = backgroundType_;
  TBitmap* bitmap = background_.get();
  if (type == bgtStretchBitmap) {
    // The copy made at the control's size is laid like a tile.
    type = bgtTileBitmap;
    bitmap = stretched_.get();
  }
  if (!bitmap || bitmap->Empty()) {
    FillSolidRect(dc, r, color);
    return;
  }
  if (type == bgtTopLeftBitmap) color = bitmap->Canvas()->Pixels(bitmap->Width() - 1, bitmap->Height() - 1);
  if (extended)
    DrawExtendedBackground(dc, r, type, bitmap, false, clNone, color, false, origin, full);
  else
    DrawBackground(dc, r, type, bitmap, color, origin, full);
}

void TCustomElImageForm::BuildStretchedCopy() {
  stretched_.reset();
  TWinControl* real = GetRealControl();
  if (backgroundType_ != bgtStretchBitmap || background_->Empty() || !real) return;
  const int w = real->Width(), h = real->Height();
  if (w <= 0 || h <= 0) return;
  auto copy = std::make_unique<TBitmap>();
  copy->SetSize(w, h);
  copy->Canvas()->StretchDraw(TRect{0, 0, w, h}, background_.get());
  stretched_ = std::move(copy);
}

// ---- region

TBitmap* TCustomElImageForm::FormImageBitmap() const {
  if (!formImage_) return nullptr;
  TPicture* picture = formImage_->Picture();
  if (!picture->Graphic() || picture->Graphic()->Empty() || picture->Width() <= 0 || picture->Height() <= 0)
    return nullptr;
  return picture->Bitmap();
}

void TCustomElImageForm::BuildRegion() {
  RemoveRegion();
  TWinControl* real = GetRealControl();
  TBitmap* bitmap = FormImageBitmap();
  if (!real || !bitmap) return;
  std::vector<TColor> pixels = BitmapPixels(bitmap);
  if (pixels.empty()) return;
  const int w = bitmap->Width(), h = bitmap->Height();
  TColor transparent = pixels[static_cast<size_t>(h - 1) * w];
  HRGN region = RegionFromRects(OpaqueRuns(pixels, w, h, transparent));
  if (!region) return;
  // The window owns the region from here on and deletes it when it is
  // replaced.
  if (!SetWindowRgn(real->Handle(), region, TRUE)) {
    DeleteObject(region);
    return;
  }
  region_ = region;
}

void TCustomElImageForm::RemoveRegion() {
  if (!region_) return;
  region_ = nullptr;
  TWinControl* real = GetRealControl();
  if (real && real->HandleAllocated()) SetWindowRgn(real->Handle(), nullptr, TRUE);
}

// ---- change handlers

void TCustomElImageForm::BackgroundChanged(TObject*) {
  BuildStretchedCopy();
  Repaint();
  NotifyLinks();
}

void TCustomElImageForm::PictureChanged(TObject* sender) {
  chainedPictureChange_(sender);
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  RemoveRegion();
  TBitmap* bitmap = FormImageBitmap();
  transparentColor_ = bitmap ? bitmap->Canvas()->Pixels(0, bitmap->Height() - 1) : clNone;
  if (changeFormRegion_ && bitmap) BuildRegion();
  NotifyLinks();
}

// ---- setters

void TCustomElImageForm::SetCaptionControl(TGraphicControl* value) {
  if (captionControl_ == value) return;
  if (captionControl_) captionControl_->RemoveFreeNotification(this);
  captionControl_ = value;
  if (value) value->FreeNotification(this);
}

void TCustomElImageForm::SetChangeFormRegion(bool value) {
  if (changeFormRegion_ == value) return;
  changeFormRegion_ = value;
  if (ComponentState().Contains(csLoading)) return;
  if (value)
    BuildRegion();
  else
    RemoveRegion();
}

void TCustomElImageForm::SetBackground(TBitmap* value) { background_->Assign(value); }

void TCustomElImageForm::SetBackgroundType(TElBkGndType value) {
  if (backgroundType_ == value) return;
  backgroundType_ = value;
  BuildStretchedCopy();
  Repaint();
  NotifyLinks();
}

void TCustomElImageForm::SetGradientSteps(int value) {
  if (gradientSteps_ == value) return;
  gradientSteps_ = value;
  if (IsGradient(backgroundType_)) Repaint();
}

void TCustomElImageForm::SetGradientStartColor(TColor value) {
  if (gradientStartColor_ == value) return;
  gradientStartColor_ = value;
  if (IsGradient(backgroundType_)) Repaint();
}

void TCustomElImageForm::SetGradientEndColor(TColor value) {
  if (gradientEndColor_ == value) return;
  gradientEndColor_ = value;
  if (IsGradient(backgroundType_)) Repaint();
}

void TCustomElImageForm::SetControl(TWinControl* value) {
  if (control_ == value) return;
  RemoveHook();
  RemoveRegion();
  if (control_) control_->RemoveFreeNotification(this);
  control_ = value;
  if (value) value->FreeNotification(this);
  if (changeFormRegion_ && !ComponentState().Contains(csLoading)) BuildRegion();
  InstallHook();
  BuildStretchedCopy();
}

void TCustomElImageForm::SetFormImage(TImage* value) {
  if (formImage_ == value) return;
  if (formImage_) {
    formImage_->RemoveFreeNotification(this);
    formImage_->Picture()->OnChange = chainedPictureChange_;
  }
  chainedPictureChange_ = nullptr;
  formImage_ = value;
  if (value) {
    value->FreeNotification(this);
    chainedPictureChange_ = value->Picture()->OnChange;
    value->Picture()->OnChange = TNotifyEvent(this, &TCustomElImageForm::PictureChanged);
  }
  if (changeFormRegion_ && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying))
    BuildRegion();
}

void TCustomElImageForm::SetTransparentColor(TColor value) {
  if (transparentColor_ == value) return;
  transparentColor_ = value;
  if (ComponentState().Contains(csLoading)) return;
  if (changeFormRegion_) BuildRegion();
  NotifyLinks();
}

void TCustomElImageForm::Loaded() {
  TComponent::Loaded();
  if (formImage_) PictureChanged(formImage_->Picture());
  InstallHook();
}

void TCustomElImageForm::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove || !component) return;
  if (component == captionControl_) captionControl_ = nullptr;
  if (component == formImage_) SetFormImage(nullptr);
  if (component == control_) {
    // The window goes with its control, and so does its region.
    control_ = nullptr;
    region_ = nullptr;
    stretched_.reset();
    if (!ComponentState().Contains(csDestroying)) InstallHook();
  }
}

// ---------------------------------------------------------------------------
// Unit

namespace {

void InitElImgFrm() {
  RegisterEnumNames<TElBkGndType>({"bgtTileBitmap", "bgtStretchBitmap", "bgtColorFill", "bgtCenterBitmap",
                                   "bgtHorzGradient", "bgtVertGradient", "bgtTopLeftBitmap"});
  using F = TElImageForm;
  Publish<F, TComponent>()
      .Property("CaptionControl", &F::CaptionControl, &F::SetCaptionControl)
      .Property("ChangeFormRegion", &F::ChangeFormRegion, &F::SetChangeFormRegion)
      .Property("FormImage", &F::FormImage, &F::SetFormImage)
      .Property("MoveForm", &F::MoveForm, &F::SetMoveForm, false)
      .Property("Background", &F::Background, nullptr)
      .Property("BackgroundType", &F::BackgroundType, &F::SetBackgroundType, bgtColorFill)
      .Property("GradientStartColor", &F::GradientStartColor, &F::SetGradientStartColor).Idents(&ColorIdents)
      .Property("GradientEndColor", &F::GradientEndColor, &F::SetGradientEndColor).Idents(&ColorIdents)
      .Property("GradientSteps", &F::GradientSteps, &F::SetGradientSteps, 16);
}

}  // namespace

const TUnitInfo ElImgFrmUnit = {"ElImgFrm", &InitElImgFrm, nullptr};
