#include "SBCustomImgBtn.hpp"

#include "SBPainting.hpp"

TPoint IconPosition(TSize control, TSize icon, TAlignment alignment, TTextLayout layout,
                    int horizontalMargin, int verticalMargin) {
  TPoint p{0, 0};
  switch (alignment) {
    case taLeftJustify: p.x = horizontalMargin; break;
    case taRightJustify: p.x = control.cx - icon.cx - horizontalMargin; break;
    case taCenter: p.x = (control.cx - icon.cx) / 2; break;
  }
  switch (layout) {
    case tlTop: p.y = verticalMargin; break;
    case tlCenter: p.y = (control.cy - icon.cy) / 2; break;
    case tlBottom: p.y = control.cy - icon.cy - verticalMargin; break;
  }
  return p;
}

TSBCustomImgBtn::TSBCustomImgBtn(TComponent* owner, std::initializer_list<TSkinPictures::TSlot> lookSlots)
    : TSBButton(owner),
      looks_(lookSlots, TNotifyEvent(this, &TSBCustomImgBtn::PictureChanged)),
      picIcon_(new TPicture()),
      picIconDown_(new TPicture()),
      crop_(this, [this] { return BuildCropRegion(); }, true) {
  SetPictureControlStyle(this);
}

TSBCustomImgBtn::~TSBCustomImgBtn() {
  picIcon_->Free();
  picIconDown_->Free();
}

void TSBCustomImgBtn::AssignLookPicture(std::size_t slot, TPicture* value) {
  if (looks_.Assign(slot, value)) RefreshLook();
}

void TSBCustomImgBtn::SetPicResource(const std::string& value) {
  if (looks_.SetResource(value)) PictureChanged(this);
}

void TSBCustomImgBtn::SetState(int newState) {
  if (newState != state_) {
    switch (newState) {
      case bsNormal:
        if (LookPresent(bsNormal)) state_ = bsNormal;
        break;
      case bsHover:
      case bsPressed:
        if (!LookPresent(newState)) {
          SetState(bsNormal);
          return;
        }
        state_ = Byte(newState);
        break;
      default: return;
    }
  }
  if (!painting_) Invalidate();
}

void TSBCustomImgBtn::SetDown(bool value) {
  const bool effective = groupIndex_ != 0 && value;
  if (effective == down_ || (down_ && !allowAllUp_)) return;
  down_ = effective;
  pressed_ = effective;
  SetState(effective ? bsPressed : bsNormal);
  if (effective) ButtonPressedBroadcast();
}

void TSBCustomImgBtn::ButtonPressedBroadcast() {
  if (groupIndex_ == 0 || !Parent()) return;
  TMessage m;
  m.Msg = CM_BUTTONPRESSED;
  m.WParam = static_cast<WPARAM>(groupIndex_);
  m.LParam = reinterpret_cast<LPARAM>(static_cast<TObject*>(this));
  Parent()->Broadcast(m);
}

// The message is a window message, and any program may send one: its
// sender is taken only when it is one of this button's siblings, found among
// the parent's controls without ever reading through the pointer first.
void TSBCustomImgBtn::ButtonPressed(TMessage& m) {
  if (groupIndex_ == 0 || static_cast<int>(m.WParam) != groupIndex_ || !Parent()) return;
  TSBCustomImgBtn* sender = nullptr;
  for (int i = 0; i < Parent()->ControlCount() && !sender; ++i) {
    TControl* sibling = Parent()->Controls(i);
    if (reinterpret_cast<LPARAM>(static_cast<TObject*>(sibling)) == m.LParam)
      sender = dynamic_cast<TSBCustomImgBtn*>(sibling);
  }
  if (!sender || sender == this) return;
  if (sender->down_ && down_) {
    down_ = false;
    pressed_ = false;
    SetState(hover_ ? bsHover : bsNormal);
  }
  allowAllUp_ = sender->allowAllUp_;
}

void TSBCustomImgBtn::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSBButton::MouseDown(button, shift, x, y);
  if (hover_ && button == mbLeft) {
    pressed_ = true;
    SetState(bsPressed);
  }
}

void TSBCustomImgBtn::ButtonUp(TMessage& m) {
  if (groupIndex_ == 0) {
    pressed_ = false;
    SetState(hover_ ? bsHover : bsNormal);
  } else if (hover_) {
    SetDown(!down_);
  } else {
    pressed_ = false;
  }
  TSBButton::Dispatch(m);
}

void TSBCustomImgBtn::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER:
      hover_ = true;
      SetState(pressed_ ? bsPressed : bsHover);
      break;
    case CM_MOUSELEAVE:
      hover_ = false;
      if (!down_) SetState(bsNormal);
      break;
    case WM_LBUTTONUP: ButtonUp(m); return;
    case WM_LBUTTONDBLCLK: {
      TSBButton::Dispatch(m);
      // The release after a double click fires OnClick a second time.
      TControlState state = ControlState();
      state.Include(csClicked);
      SetControlState(state);
      return;
    }
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      TSBButton::Dispatch(m);
      Invalidate();
      return;
    case CM_BUTTONPRESSED: ButtonPressed(m); return;
    case WM_ERASEBKGND:
      if (SuppressesErase()) {
        m.Result = 1;
        return;
      }
      break;
  }
  TSBButton::Dispatch(m);
}

void TSBCustomImgBtn::Loaded() {
  TSBButton::Loaded();
  RefreshLook();
}

void TSBCustomImgBtn::PictureChanged(TObject*) {
  if (AutoSize()) {
    const TSize size = AutoSizeExtent();
    SetBounds(Left(), Top(), size.cx > 0 ? size.cx : Width(), size.cy > 0 ? size.cy : Height());
  }
  SetControlOpaque(this, !(LookTransparent() || crop_.Cropped()));
  crop_.Invalidate();
  if (!painting_) Invalidate();
}

bool TSBCustomImgBtn::CanAutoSize(int& newWidth, int& newHeight) {
  const TSize size = AutoSizeExtent();
  if (size.cx > 0 && (Align() == alNone || Align() == alLeft || Align() == alRight))
    newWidth = size.cx;
  if (size.cy > 0 && (Align() == alNone || Align() == alTop || Align() == alBottom))
    newHeight = size.cy;
  return true;
}

void TSBCustomImgBtn::SetBounds(int left, int top, int width, int height) {
  const int oldWidth = Width(), oldHeight = Height();
  TSBButton::SetBounds(left, top, width, height);
  if (Width() != oldWidth || Height() != oldHeight) {
    crop_.Invalidate();
    RefreshLook();
  }
}

void TSBCustomImgBtn::CreateWnd() {
  TSBButton::CreateWnd();
  crop_.WindowCreated();
}

void TSBCustomImgBtn::ApplyCropRegion() { crop_.Apply(); }

void TSBCustomImgBtn::ClearCropRegion() { crop_.Clear(); }

void TSBCustomImgBtn::PaintIcon(TCanvas* target) {
  if (PictureEmpty(picIcon_)) return;
  const TSize iconSize{picIcon_->Width(), picIcon_->Height()};
  TPoint p = IconPosition({Width(), Height()}, iconSize, picIconAlignment_, picIconLayout_,
                          picIconH_, picIconV_);
  if (state_ == bsPressed) {
    ++p.x;
    ++p.y;
  }
  const RECT icon{p.x, p.y, p.x + iconSize.cx, p.y + iconSize.cy}, client = ClientRect();
  RECT shown;
  TPicture* picture = LookIcon();
  if (PictureEmpty(picture) || !IntersectRect(&shown, &icon, &client)) return;
  target->Draw(p.x, p.y, picture->Graphic());
}

void TSBCustomImgBtn::PaintCaption(TCanvas* target) {
  const std::string caption = Caption();
  if (caption.empty()) return;
  RECT r = CaptionArea();
  InflateRect(&r, -textOffset_, -textOffset_);
  if (pressed_ || hover_) OffsetRect(&r, -1, -1);
  UINT flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u);
  flags |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
  flags = DrawTextBiDiModeFlags(flags);
  target->Font()->Assign(Font());
  target->Brush()->SetStyle(bsClear);
  target->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
  HDC dc = target->Handle();
  SetBkMode(dc, TRANSPARENT);
  if (layout_ != tlTop) {
    // The measured text is placed at the bottom or in the middle of R.
    RECT measured = r;
    DrawTextA(dc, caption.c_str(), -1, &measured, flags | DT_CALCRECT);
    const int room = (r.bottom - r.top) - (measured.bottom - measured.top);
    r.top += layout_ == tlBottom ? room : room / 2;
  }
  DrawTextA(dc, caption.c_str(), -1, &r, flags);
}

void TSBCustomImgBtn::Paint() {
  PaintOffscreen({this, Canvas(), crop_, NeedsParentBackground(), [this](TCanvas* target, const TRect& clip) {
                    TFlagScope painting(painting_);
                    PaintLook(target, clip);
                    PaintIcon(target);
                    PaintCaption(target);
                  }});
}

// --- Properties -------------------------------------------------------------

void TSBCustomImgBtn::SetPicIcon(TPicture* value) {
  picIcon_->Assign(value);
  RefreshLook();
}

void TSBCustomImgBtn::SetPicIconDown(TPicture* value) {
  picIconDown_->Assign(value);
  RefreshLook();
}

namespace {
// Stores a changed value and runs the reaction.
template <class T, class F>
void Change(T& field, const T& value, F react) {
  if (field == value) return;
  field = value;
  react();
}
}  // namespace

void TSBCustomImgBtn::SetPicIconLayout(TTextLayout v) { Change(picIconLayout_, v, [&] { RefreshLook(); }); }
void TSBCustomImgBtn::SetPicIconAlignment(TAlignment v) { Change(picIconAlignment_, v, [&] { RefreshLook(); }); }
void TSBCustomImgBtn::SetPicIconH(int v) { Change(picIconH_, v, [&] { RefreshLook(); }); }
void TSBCustomImgBtn::SetPicIconV(int v) { Change(picIconV_, v, [&] { RefreshLook(); }); }
void TSBCustomImgBtn::SetAlignment(TAlignment v) { Change(alignment_, v, [&] { Invalidate(); }); }
void TSBCustomImgBtn::SetLayout(TTextLayout v) { Change(layout_, v, [&] { Invalidate(); }); }
void TSBCustomImgBtn::SetTextOffset(int v) { Change(textOffset_, v, [&] { Invalidate(); }); }
void TSBCustomImgBtn::SetWordWrap(bool v) { Change(wordWrap_, v, [&] { Invalidate(); }); }
void TSBCustomImgBtn::SetTransparent(bool v) { Change(transparent_, v, [&] { PictureChanged(this); }); }
void TSBCustomImgBtn::SetGroupIndex(int v) { Change(groupIndex_, v, [&] { ButtonPressedBroadcast(); }); }
void TSBCustomImgBtn::SetAllowAllUp(bool v) { Change(allowAllUp_, v, [&] { ButtonPressedBroadcast(); }); }

void TSBCustomImgBtn::SetCropped(bool value) {
  if (crop_.SetCropped(value)) PictureChanged(this);
}

void TSBCustomImgBtn::SetTransparentCrop(bool value) {
  if (crop_.SetTransparentCrop(value)) PictureChanged(this);
}
