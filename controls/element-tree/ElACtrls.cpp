#include "ElACtrls.hpp"

#include <algorithm>

#include "ElGdiScope.hpp"
#include "Forms.hpp"
#include "GraphicsScoped.hpp"
#include "Streaming.hpp"

namespace {

// WM_GETDLGCODE answers of the combo box.
constexpr LRESULT kDialogCode = DLGC_WANTARROWS | DLGC_WANTCHARS;
constexpr LRESULT kDialogCodeAllKeys = kDialogCode | DLGC_WANTALLKEYS;

// Frame states of the themed button: normal, hot, pressed, disabled.
enum { kStateNormal = 1, kStateHot = 2, kStatePressed = 3, kStateDisabled = 4 };

}  // namespace

// ---------------------------------------------------------------- life

TElAdvancedComboBox::TElAdvancedComboBox(TComponent* owner)
    : TComboBox(owner),
      windowCanvas_(std::make_unique<TCanvas>()),
      imageFormLink_(std::make_unique<TImgFormChangeLink>()) {
  imageFormLink_->OnChange = TNotifyEvent(this, &TElAdvancedComboBox::ImageFormChanged);
}

TElAdvancedComboBox::~TElAdvancedComboBox() {
  listSubclass_.Remove();
  editSubclass_.Remove();
  if (imageForm_) {
    imageForm_->UnregisterChanges(imageFormLink_.get());
    imageForm_->RemoveFreeNotification(this);
  }
}

void TElAdvancedComboBox::CreateParams(TCreateParams& p) {
  TComboBox::CreateParams(p);
  p.Style &= ~static_cast<DWORD>(WS_BORDER);
  p.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  if (horizontalScroll_) p.Style |= WS_HSCROLL;
}

void TElAdvancedComboBox::CreateWnd() {
  widest_ = 0;
  TComboBox::CreateWnd();
  if (useXPThemes_ && !theme_) CreateThemeHandle();
}

void TElAdvancedComboBox::DestroyWnd() {
  TComboBox::DestroyWnd();
  listSubclass_.Remove();
  editSubclass_.Remove();
  if (theme_) FreeThemeHandle();
}

void TElAdvancedComboBox::CreateThemeHandle() {
  if (ThemesAvailable && IsThemeActive() && HandleAllocated())
    theme_.Open(Handle(), L"EDIT");
  else
    theme_.Close();
}

void TElAdvancedComboBox::FreeThemeHandle() { theme_.Close(); }

void TElAdvancedComboBox::Notification(TComponent* component, TOperation operation) {
  TComboBox::Notification(component, operation);
  if (operation == opRemove && component == imageForm_) SetImageForm(nullptr);
}

// ---------------------------------------------------------------- properties

void TElAdvancedComboBox::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  RedrawFrame();
}

// A border type or line colour matters only for the state it belongs to.
void TElAdvancedComboBox::SetActiveBorderType(TElFlatBorderType value) {
  if (activeBorderType_ == value) return;
  activeBorderType_ = value;
  if (Focused() || Hovered()) RedrawFrame();
}

void TElAdvancedComboBox::SetInactiveBorderType(TElFlatBorderType value) {
  if (inactiveBorderType_ == value) return;
  inactiveBorderType_ = value;
  if (!Focused() && !Hovered()) RedrawFrame();
}

void TElAdvancedComboBox::SetLineBorderActiveColor(TColor value) {
  if (lineBorderActiveColor_ == value) return;
  lineBorderActiveColor_ = value;
  if (Flat() && (Focused() || Hovered())) RedrawFrame();
}

void TElAdvancedComboBox::SetLineBorderInactiveColor(TColor value) {
  if (lineBorderInactiveColor_ == value) return;
  lineBorderInactiveColor_ = value;
  if (Flat() && !Focused() && !Hovered()) RedrawFrame();
}

void TElAdvancedComboBox::SetBtnFlat(bool value) {
  if (btnFlat_ == value) return;
  btnFlat_ = value;
  RedrawFrame();
}

void TElAdvancedComboBox::SetBtnTransparent(bool value) {
  if (btnTransparent_ == value) return;
  btnTransparent_ = value;
  RedrawFrame();
}

void TElAdvancedComboBox::SetBtnThinFrame(bool value) {
  if (btnThinFrame_ == value) return;
  btnThinFrame_ = value;
  RedrawFrame();
}

void TElAdvancedComboBox::SetUseXPThemes(bool value) {
  if (useXPThemes_ == value) return;
  useXPThemes_ = value;
  if (HandleAllocated()) {
    if (value && !theme_) CreateThemeHandle();
    if (!value && theme_) FreeThemeHandle();
  }
  RedrawFrame();
}

void TElAdvancedComboBox::SetHorizontalScroll(bool value) {
  if (horizontalScroll_ == value) return;
  horizontalScroll_ = value;
  RecreateWnd();
}

void TElAdvancedComboBox::SetHint(const TElFString& value) {
  hint_ = value;
  TControl::SetHint(PackWideHint(value));
}

void TElAdvancedComboBox::SetImageForm(TElImageForm* value) {
  if (!FollowImageForm(this, imageForm_, value, imageFormLink_.get())) return;
  if (HandleAllocated() && !ComponentState().Contains(csDestroying)) Invalidate();
}

void TElAdvancedComboBox::ImageFormChanged(TObject*) {
  if (HandleAllocated()) Invalidate();
}

void TElAdvancedComboBox::RedrawFrame() {
  if (!HandleAllocated() || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
    return;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

// ---------------------------------------------------------------- inner windows

void TElAdvancedComboBox::ParentNotify(TMessage& m) {
  const HWND child = reinterpret_cast<HWND>(m.LParam);
  if (LOWORD(m.WParam) == WM_DESTROY) {
    if (child == editSubclass_.Window()) editSubclass_.Remove();
    if (child == listSubclass_.Window()) listSubclass_.Remove();
  }
  TComboBox::Dispatch(m);
  if (LOWORD(m.WParam) != WM_CREATE) return;
  char name[51] = {};
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "Edit") == 0 && (GetWindowLongPtrA(Handle(), GWL_STYLE) & CBS_DROPDOWN)) {
    editSubclass_.Install(child, TWndMethod(this, &TElAdvancedComboBox::EditWindowProc));
  } else if (lstrcmpiA(name, "ComboLBox") == 0 && !listSubclass_.Installed()) {
    listSubclass_.Install(child, TWndMethod(this, &TElAdvancedComboBox::ListWindowProc));
    if (horizontalScroll_)
      SetWindowLongPtrA(child, GWL_STYLE, GetWindowLongPtrA(child, GWL_STYLE) | WS_HSCROLL);
  }
}

void TElAdvancedComboBox::EditWindowProc(TMessage& m) {
  switch (m.Msg) {
    case WM_DESTROY:
      editSubclass_.RemoveAndCallDefault(m);
      OnEditWindowMessage(m);
      return;
    case WM_CHAR:
      editSubclass_.CallDefault(m);
      if (autoCompletion_ && Style() == csDropDown && m.WParam != VK_BACK) AutoComplete();
      return;
    case WM_GETDLGCODE:
      editSubclass_.CallDefault(m);
      if (handleDialogKeys_) m.Result |= DLGC_WANTALLKEYS;
      return;
    default:
      OnEditWindowMessage(m);
      editSubclass_.CallDefault(m);
  }
}

void TElAdvancedComboBox::ListWindowProc(TMessage& m) {
  if (m.Msg == WM_DESTROY) {
    listSubclass_.RemoveAndCallDefault(m);
    OnListWindowMessage(m);
    return;
  }
  OnListWindowMessage(m);
  switch (m.Msg) {
    case WM_NCPAINT:
      listSubclass_.CallDefault(m);
      if (flat_ && !IsThemeApplied()) DrawListScrollbars(false);
      return;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      listSubclass_.CallDefault(m);
      bool& tracking = m.Msg == WM_HSCROLL ? hThumbTracking_ : vThumbTracking_;
      if (LOWORD(m.WParam) == SB_THUMBTRACK) tracking = true;
      if (LOWORD(m.WParam) == SB_THUMBPOSITION) tracking = false;
      if (flat_ && !IsThemeApplied()) DrawListScrollbars(true);
      return;
    }
    default: break;
  }
  if (!horizontalScroll_) {
    listSubclass_.CallDefault(m);
    return;
  }
  switch (m.Msg) {
    case WM_SETFONT:
      listSubclass_.CallDefault(m);
      Canvas()->Font()->Assign(Font());
      RecomputeWidths();
      return;
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      listSubclass_.CallDefault(m);
      if (m.Result >= 0) {
        widest_ = std::max(widest_, GetItemWidth(static_cast<int>(m.Result)));
        ApplyExtent();
      }
      return;
    case LB_DELETESTRING: {
      // The item always goes; the widths are measured again only when the
      // widest one went.
      const int index = static_cast<int>(m.WParam);
      const int width = index >= 0 && index < Items()->Count() ? GetItemWidth(index) : 0;
      listSubclass_.CallDefault(m);
      if (width >= widest_) RecomputeWidths();
      return;
    }
    case LB_RESETCONTENT:
      widest_ = 0;
      ApplyExtent();
      listSubclass_.CallDefault(m);
      return;
    default:
      listSubclass_.CallDefault(m);
  }
}

// The list's standard scroll bars, drawn flat over its non-client area;
// each bar's thumb at its track position while it is being dragged.
void TElAdvancedComboBox::DrawListScrollbars(bool followTracking) {
  const HWND list = listSubclass_.Window();
  ScopedWindowDC dc(list, true);
  RECT r;
  GetWindowRect(list, &r);
  OffsetRect(&r, -r.left, -r.top);
  const DWORD ex = static_cast<DWORD>(GetWindowLongPtrA(list, GWL_EXSTYLE));
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE));
  if (!followTracking) {
    DrawFlatScrollbars(list, dc.Get(), r, ex, style, false, false, ssBoth);
    return;
  }
  DrawFlatScrollbars(list, dc.Get(), r, ex, style, false, hThumbTracking_, ssHorizontal);
  DrawFlatScrollbars(list, dc.Get(), r, ex, style, false, vThumbTracking_, ssVertical);
}

int TElAdvancedComboBox::GetItemWidth(int index) { return Canvas()->TextWidth(Items()->Strings(index) + "W"); }

void TElAdvancedComboBox::RecomputeWidths() {
  widest_ = 0;
  for (int i = 0; i < Items()->Count(); ++i) widest_ = std::max(widest_, GetItemWidth(i));
  ApplyExtent();
}

// The list's own extent, and the combo box's, which it passes on to the
// list it may make later.
void TElAdvancedComboBox::ApplyExtent() {
  if (listSubclass_.Installed())
    SendMessageA(listSubclass_.Window(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
  if (HandleAllocated()) SendMessageA(Handle(), CB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
}

// ---------------------------------------------------------------- keys and completion

// The first item that begins with the text before the caret becomes the
// text; the added tail is selected with the caret left where it was.
void TElAdvancedComboBox::AutoComplete() {
  const int caret = SelStart();
  const AnsiString prefix = Text().substr(0, static_cast<std::size_t>(caret));
  if (prefix.empty()) return;
  for (int i = 0; i < Items()->Count(); ++i) {
    const AnsiString item = Items()->Strings(i);
    if (item.compare(0, prefix.size(), prefix) != 0) continue;
    SetText(item);
    if (EditHandle())
      SendMessageA(EditHandle(), EM_SETSEL, static_cast<WPARAM>(item.size()), static_cast<LPARAM>(caret));
    return;
  }
}

void TElAdvancedComboBox::KeyDown(Word& key, TShiftState shift) {
  const bool navigation = key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_UP ||
                          key == VK_RIGHT || key == VK_DOWN;
  if (autoCompletion_ && !DroppedDown() && (shift * TShiftState{ssShift, ssCtrl, ssAlt}).Empty() &&
      Style() == csDropDown && navigation)
    AutoComplete();
  TComboBox::KeyDown(key, shift);
}

// ---------------------------------------------------------------- messages

void TElAdvancedComboBox::CNCommand(TMessage& m) {
  TComboBox::Dispatch(m);
  switch (HIWORD(m.WParam)) {
    case CBN_DROPDOWN:
      // A width below the control's leaves the list as wide as the control,
      // also after a wider setting (some systems ignore a zero width).
      SendMessageA(Handle(), CB_SETDROPPEDWIDTH,
                   static_cast<WPARAM>(dropDownWidth_ >= Width() ? dropDownWidth_ : Width()), 0);
      break;
    case CBN_CLOSEUP: Invalidate(); break;
    default: break;
  }
}

void TElAdvancedComboBox::MouseEnterLeave(bool inside) {
  mouseInside_ = inside;
  if (!HandleAllocated()) return;
  const bool themed = ThemesAvailable && IsThemeApplied();
  const bool typesDiffer = flat_ && !Focused() && !btnThinFrame_ && activeBorderType_ != inactiveBorderType_;
  const bool coloursDiffer =
      inactiveBorderType_ == fbtColorLineBorder && lineBorderActiveColor_ != lineBorderInactiveColor_;
  if (themed || typesDiffer || coloursDiffer)
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_INVALIDATE);
}

void TElAdvancedComboBox::HintShow(TMessage& m) {
  TComboBox::Dispatch(m);
  if (auto* info = reinterpret_cast<THintInfo*>(m.LParam)) AnswerPackedHint(*info, hint_, TControl::Hint());
}

void TElAdvancedComboBox::WMPaint(TMessage& m) {
  TComboBox::Dispatch(m);
  if (!HandleAllocated()) return;
  // A context handed in (a test, a print) has its origin at the window's
  // corner: the combo box has no non-client area of its own.
  if (HDC dc = reinterpret_cast<HDC>(m.WParam)) {
    DrawFrame(dc, Button::With);
    return;
  }
  ScopedWindowDC dc(Handle(), true);
  DrawFrame(dc.Get(), Button::With);
}

void TElAdvancedComboBox::WMNCPaint(TMessage& m) {
  TComboBox::Dispatch(m);
  if (!flat_ || !HandleAllocated()) return;
  ScopedWindowDC dc(Handle(), true);
  DrawFrame(dc.Get(), Button::Without);
  m.Result = 0;
}

void TElAdvancedComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PARENTNOTIFY: ParentNotify(m); return;
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_PAINT: WMPaint(m); return;
    case WM_NCPAINT: WMNCPaint(m); return;
    case WM_SIZE:
    case WM_KILLFOCUS:
      TComboBox::Dispatch(m);
      if (flat_) RedrawFrame();
      return;
    case WM_SETFOCUS:
    case CM_ENTER:
    case CM_EXIT:
    case CM_ENABLEDCHANGED:
      TComboBox::Dispatch(m);
      Invalidate();
      return;
    case WM_WINDOWPOSCHANGED:
      TComboBox::Dispatch(m);
      Perform(EL_BACKGROUND_MOVED, 0, 0);
      return;
    case WM_GETDLGCODE: m.Result = handleDialogKeys_ ? kDialogCodeAllKeys : kDialogCode; return;
    case WM_THEMECHANGED:
      RecreateWnd();
      m.Result = 1;
      return;
    case CN_COMMAND: CNCommand(m); return;
    case CM_MOUSEENTER:
      TComboBox::Dispatch(m);
      MouseEnterLeave(true);
      return;
    case CM_MOUSELEAVE:
      TComboBox::Dispatch(m);
      MouseEnterLeave(false);
      return;
    case CM_HINTSHOW: HintShow(m); return;
    default: TComboBox::Dispatch(m);
  }
}

// ---------------------------------------------------------------- painting

TElFlatBorderType TElAdvancedComboBox::CurrentBorderType() const {
  if (!flat_) return fbtSunken;
  if (Focused() || Hovered()) return activeBorderType_;
  return inactiveBorderType_;
}

TRect TElAdvancedComboBox::ButtonRect() const {
  TRect r = ClientRect();
  InflateRect(&r, -2, -2);
  r.left = std::max(r.left, r.right - GetSystemMetrics(SM_CXVSCROLL));
  return r;
}

void TElAdvancedComboBox::DrawFrame(HDC dc, Button button) {
  const int state = !Enabled() ? kStateDisabled : DroppedDown() ? kStatePressed : Hovered() ? kStateHot : kStateNormal;
  if (IsThemeApplied() && ThemesAvailable && DrawThemedFrame(dc, button, state)) return;
  const TElFlatBorderType borderType = CurrentBorderType();
  const TColor lineColor = Focused() || Hovered() ? lineBorderActiveColor_ : lineBorderInactiveColor_;
  TRect window{0, 0, Width(), Height()};
  if (borderType == fbtColorLineBorder)
    DrawColorLineBorder(dc, window, lineColor);
  else
    DrawFlatFrameEx2(dc, window, Color(), borderType, AllBorderSides, Focused() || Hovered());
  if (button == Button::With) DrawButton(dc, borderType, lineColor);
}

bool TElAdvancedComboBox::DrawThemedFrame(HDC dc, Button button, int state) {
  const int saved = SaveDC(dc);
  TRect inner = ClientRect();
  if (button == Button::With) inner.right -= GetSystemMetrics(SM_CXVSCROLL);
  InflateRect(&inner, -2, -2);
  ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  TRect window{0, 0, Width(), Height()};
  bool ok = SUCCEEDED(DrawThemeBackground(theme_.Get(), dc, 0, 0, &window, nullptr));
  RestoreDC(dc, saved);
  if (ok && button == Button::With) {
    const TRect r = ButtonRect();
    ok = SUCCEEDED(DrawThemedBackground(L"COMBOBOX", dc, 1, state, r, nullptr));
  }
  return ok;
}

// The line border the frame routine leaves to its owners: a ring in the line
// colour with a ring of the control's colour inside it.
void TElAdvancedComboBox::DrawColorLineBorder(HDC dc, const TRect& rect, TColor lineColor) {
  TElGdiObject<HBRUSH> line(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(lineColor))));
  TElGdiObject<HBRUSH> face(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color()))));
  FrameRect(dc, &rect, line.Get());
  TRect inner = rect;
  InflateRect(&inner, -1, -1);
  FrameRect(dc, &inner, face.Get());
}

void TElAdvancedComboBox::DrawButton(HDC dc, TElFlatBorderType borderType, TColor lineColor) {
  const TRect r = ButtonRect();
  if (r.right <= r.left || r.bottom <= r.top) return;
  const TColor buttonColor = Color() == clWindow ? clBtnFace : Color();
  FillSolidRect(dc, r, btnTransparent_ ? Color() : buttonColor);
  const bool dropped = DroppedDown();
  if (!btnTransparent_) {
    if (!btnFlat_ || dropped) {
      if (flat_ && borderType == fbtColorLineBorder)
        DrawColorLineBorder(dc, r, lineColor);
      else
        DrawColoredButtonFrame(dc, r, !btnThinFrame_, flat_ && !(Hovered() || Focused()), buttonColor, dropped);
    } else {
      TElGdiObject<HBRUSH> shadow(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnShadow))));
      FrameRect(dc, &r, shadow.Get());
    }
  }
  TCanvasBinding binding(windowCanvas_.get(), dc);
  DrawArrow(windowCanvas_.get(), eadDown, r, Enabled(), Font()->Color());
}

// ---------------------------------------------------------------- publishing

namespace {

void PublishAdvancedComboBox() {
  RegisterComboBoxClass();
  RegisterEnumNames<TElFlatBorderType>({"fbtFlat", "fbtSunken", "fbtSunkenInner", "fbtSunkenOuter", "fbtRaised",
                                        "fbtRaisedInner", "fbtRaisedOuter", "fbtBump", "fbtBigBump", "fbtEtched",
                                        "fbtFramed", "fbtLine", "fbtLineBorder", "fbtNone", "fbtColorLineBorder"});
  using T = TElAdvancedComboBox;
  Publish<T, TComboBox>()
      .Property("Flat", &T::Flat, &T::SetFlat)
      .Property("ActiveBorderType", &T::ActiveBorderType, &T::SetActiveBorderType)
      .Property("InactiveBorderType", &T::InactiveBorderType, &T::SetInactiveBorderType)
      .Property("BtnFlat", &T::BtnFlat, &T::SetBtnFlat, false)
      .Property("BtnTransparent", &T::BtnTransparent, &T::SetBtnTransparent, false)
      .Property("HorizontalScroll", &T::HorizontalScroll, &T::SetHorizontalScroll)
      .Property("UseXPThemes", &T::UseXPThemes, &T::SetUseXPThemes, true)
      .Property("BtnThinFrame", &T::BtnThinFrame, &T::SetBtnThinFrame, true)
      .Property("LineBorderActiveColor", &T::LineBorderActiveColor, &T::SetLineBorderActiveColor)
      .Idents(&ColorIdents)
      .Property("LineBorderInactiveColor", &T::LineBorderInactiveColor, &T::SetLineBorderInactiveColor)
      .Idents(&ColorIdents)
      // The 8-bit hint is the packed form of this one.
      .Property("Hint", &T::Hint, &T::SetHint)
      .Property("DropDownWidth", &T::DropDownWidth, &T::SetDropDownWidth, 0)
      .Property("AutoCompletion", &T::AutoCompletion, &T::SetAutoCompletion)
      .Property("HandleDialogKeys", &T::HandleDialogKeys, &T::SetHandleDialogKeys);
}

}  // namespace

const TUnitInfo ElACtrlsUnit{"ElACtrls", &PublishAdvancedComboBox, nullptr};
