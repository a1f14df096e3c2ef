// Scrolling: the system's scroll messages passed to the view, the tree's parts laid out in its client area, the scroll
// metrics worked out after every update, and the tree's non-client border
// with the corner between the bars.
#include <algorithm>

#include "ElHook.hpp"
#include "ElImgFrm.hpp"
#include "ElTree.hpp"
#include "ElVCLUtils.hpp"

namespace {

// Posted once after the window is made: the non-client area is worked out
// again with the bars in place.
constexpr UINT kFrameChangeMessage = 2322;

struct TMovingBars {
  bool& flag;
  bool old;
  explicit TMovingBars(bool& f) : flag(f), old(f) { flag = true; }
  ~TMovingBars() { flag = old; }
};

int RowsPerPage(int height, int lineHeight) {
  if (lineHeight <= 0 || height <= 0) return 1;
  return std::max(1, (height + lineHeight - 1) / lineHeight);
}

}  // namespace

// ---------------------------------------------------------------- the bars

void TCustomElTree::WireScrollBars() {
  if (FHScrollBar) {
    FHScrollBar->OnDrawPart = TElScrollDrawPartEvent(this, &TCustomElTree::HorzScrollDrawPart);
    FHScrollBar->OnScrollHintNeeded = TElScrollHintNeededEvent(this, &TCustomElTree::HorzScrollHintNeeded);
    if (FView) FHScrollBar->OnScroll = TElScrollEvent(FView, &TElTreeView::HorzScrollHandler);
  }
  if (FVScrollBar) {
    FVScrollBar->OnDrawPart = TElScrollDrawPartEvent(this, &TCustomElTree::VertScrollDrawPart);
    FVScrollBar->OnScrollHintNeeded = TElScrollHintNeededEvent(this, &TCustomElTree::VertScrollHintNeeded);
    if (FView) FVScrollBar->OnScroll = TElScrollEvent(FView, &TElTreeView::VertScrollHandler);
  }
}

void TCustomElTree::HorzScrollDrawPart(TObject* /*sender*/, TCanvas* canvas, TRect r, TElScrollBarPart part,
                                       bool enabled, bool focused, bool pressed, bool& defaultDraw) {
  OnHorzScrollDrawPart(this, canvas, r, part, enabled, focused, pressed, defaultDraw);
}

void TCustomElTree::VertScrollDrawPart(TObject* /*sender*/, TCanvas* canvas, TRect r, TElScrollBarPart part,
                                       bool enabled, bool focused, bool pressed, bool& defaultDraw) {
  OnVertScrollDrawPart(this, canvas, r, part, enabled, focused, pressed, defaultDraw);
}

void TCustomElTree::HorzScrollHintNeeded(TObject* /*sender*/, int trackPosition, TElFString& hint) {
  OnHorzScrollHintNeeded(this, trackPosition, hint);
}

void TCustomElTree::VertScrollHintNeeded(TObject* /*sender*/, int trackPosition, TElFString& hint) {
  OnVertScrollHintNeeded(this, trackPosition, hint);
  if (!hint.empty() || FSortSection == -1 || !FItems) return;
  // The item on the row the thumb stands for, in the sort column.
  TElTreeItem* item = FItems->GetVisibleItem(trackPosition);
  if (!item) return;
  if (FVirtualityLevel != vlNone) {
    DoVirtualTextNeeded(item, FSortSection == FMainTreeColumn ? -1 : FSortSection, hint);
  } else if (FSortSection == FMainTreeColumn) {
    hint = item->GetText();
  } else if (TElWideStrings* texts = item->ColumnText()) {
    const int index = FSortSection > FMainTreeColumn ? FSortSection - 1 : FSortSection;
    if (index >= 0 && index < texts->GetCount()) hint = texts->Get(index);
  }
}

// ---------------------------------------------------------------- layout

TRect TCustomElTree::CornerRect() const { return FCornerRect; }

void TCustomElTree::LayOutParts() {
  if (!HandleAllocated() || !FView) return;
  struct LayingOut {
    bool& flag;
    ~LayingOut() { flag = false; }
  } guard{FLayingOut};
  FLayingOut = true;
  const RECT client = ClientRect();
  int left = client.left, right = client.right, bottom = client.bottom;
  TRect view{client.left, client.top, client.right, client.bottom};
  TRect header{0, 0, right, 0};
  if (FShowColumns && FHeader) {
    FHeaderHeight = FHeader->Height();
    header.bottom = FHeaderHeight;
    if (FStickyHeaderSections) ++header.right;
    view.top = FHeaderHeight;
  }
  const bool custom = FUseCustomScrollBars;
  const bool horz = custom && FHorzBarShown && FHScrollBar;
  const bool vert = custom && FVertBarShown && FVScrollBar;
  TRect hbar{0, bottom, right, bottom};
  if (horz) {
    const int h = FHScrollBar->Height();
    hbar = TRect{0, bottom - h, right, bottom};
    bottom -= h;
    view.bottom = bottom;
  }
  TRect vbar{right, 0, right, bottom};
  FCornerRect = TRect{0, 0, 0, 0};
  if (vert) {
    const int w = FVScrollBar->Width();
    if (FRightAlignedText == FScrollbarOpposite) {
      vbar = TRect{right - w, 0, right, bottom};
      header.right -= w;
      view.right -= w;
      hbar.right -= w;
    } else {
      vbar = TRect{left, 0, left + w, bottom};
      header.left += w;
      view.left += w;
      hbar.left += w;
    }
    if (horz) FCornerRect = TRect{vbar.left, bottom, vbar.right, hbar.bottom};
  }
  if (FHeader) {
    if (FShowColumns)
      FHeader->SetBounds(header.left, header.top, header.right - header.left, header.bottom - header.top);
    FHeader->SetVisible(FShowColumns);
  }
  FView->SetBounds(view.left, view.top, std::max<int>(0, view.right - view.left),
                   std::max<int>(0, view.bottom - view.top));
  if (FHScrollBar) {
    if (horz) FHScrollBar->SetBounds(hbar.left, hbar.top, hbar.right - hbar.left, hbar.bottom - hbar.top);
    FHScrollBar->SetVisible(horz);
  }
  if (FVScrollBar) {
    if (vert) FVScrollBar->SetBounds(vbar.left, vbar.top, vbar.right - vbar.left, vbar.bottom - vbar.top);
    FVScrollBar->SetVisible(vert);
  }
  if (FCornerRect.right > FCornerRect.left && FCornerRect.bottom > FCornerRect.top)
    InvalidateRect(Handle(), &FCornerRect, FALSE);
}

// ---------------------------------------------------------------- metrics

bool TCustomElTree::UpdateHorzMetrics() {
  const bool wasNeeded = FHorzNeeded;
  int content;
  if (FShowColumns) {
    content = FHeader ? FHeader->SectionsWidth() : 0;
  } else {
    if (FView->FLongestWidth < 0) FView->UpdateLongestWidth();
    content = FView->FLongestWidth;
  }
  content = std::max(0, content);
  const int viewWidth = FView->ClientWidth();
  FHorzNeeded = content - (viewWidth + 1) >= 1 && !FHideHorzScrollBar;
  if (!FHorzNeeded) {
    content = 0;
    FLeftPosition = 0;
    if (FHeader) FHeader->SetLeftOffset(0);
  }
  const bool forced = FForcedScrollBars == ssHorizontal || FForcedScrollBars == ssBoth;
  const bool changed = FHorzNeeded != wasNeeded && !forced;
  FLeftPosition = std::min(FLeftPosition, std::max(0, content));
  SetBarMetrics(FHScrollBar, content, viewWidth + 1, FLeftPosition, FHorzNeeded);
  if (!FUseCustomScrollBars && HandleAllocated()) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | (forced ? SIF_DISABLENOSCROLL : 0u), 0,
                    content, static_cast<UINT>(viewWidth + 1), FLeftPosition, 0};
    SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
  }
  if (FHeader && FHeader->LeftOffset() != FLeftPosition) FHeader->SetLeftOffset(FLeftPosition);
  FHorzBarShown = FHorzNeeded || forced;
  return changed;
}

bool TCustomElTree::UpdateVertMetrics() {
  const bool wasNeeded = FVertNeeded;
  if (FVisibleCount == 0) RecountVisibleRows();
  const bool multi = FMultiLineCount > 0;
  int maximum = multi ? FView->RowsAbove(std::max(0, FVisibleCount - 1)) : FVisibleCount - 1;
  maximum = std::max(0, maximum);
  const int viewHeight = FView->ClientHeight();
  FVertNeeded = !FHideVertScrollBar &&
                !(FTopIndex < 1 && FView->TotalRowsHeight() <= viewHeight && FView->FVisibleRows->Count() >= maximum);
  int page = multi ? 1 : std::max(1, RowsPerPage(viewHeight, FLineHeight) - 1);
  if (!FVertNeeded) {
    maximum = 0;
    page = 1;
  }
  const bool forced = FForcedScrollBars == ssVertical || FForcedScrollBars == ssBoth;
  SetBarMetrics(FVScrollBar, maximum, page, FTopIndex, FVertNeeded);
  if (!FUseCustomScrollBars && HandleAllocated()) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | (forced ? SIF_DISABLENOSCROLL : 0u), 0,
                    maximum, static_cast<UINT>(page), FTopIndex, 0};
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
  }
  FVertBarShown = FVertNeeded || forced;
  return FVertNeeded != wasNeeded && !forced;
}

void TCustomElTree::SetBarMetrics(TElScrollBar* bar, int maximum, int page, int position, bool enabled) {
  if (!bar || !FView) return;
  TMovingBars moving(FView->FMovingBars);
  bar->SetMin(0);
  bar->SetMax(maximum);
  bar->SetPage(page);
  bar->SetPosition(position);
  bar->SetEnabled(enabled && Enabled());
}

void TCustomElTree::UpdateScrollBars() {
  if (!FView || IsLoading()) return;
  for (int layouts = 0;; ++layouts) {
    bool changed = UpdateHorzMetrics();
    if (!changed) changed = UpdateVertMetrics();
    // Bars whose needs flip each other settle after a few layouts.
    if (!changed || layouts == 4) break;
    LayOutParts();
  }
  // A forced bar shows without a change of need: the layout follows what
  // is shown.
  const bool custom = FUseCustomScrollBars;
  if ((FHScrollBar && FHScrollBar->Visible() != (custom && FHorzBarShown)) ||
      (FVScrollBar && FVScrollBar->Visible() != (custom && FVertBarShown)))
    LayOutParts();
  if (!HandleAllocated()) return;
  if (!FFirstLayoutDone && FUseCustomScrollBars) {
    FFirstLayoutDone = true;
    PostMessageA(Handle(), kFrameChangeMessage, 0, 0);
  }
  if (FUseCustomScrollBars && FBorderStyle == bsSingle) DrawBorderOwnDC();
}

// ---------------------------------------------------------------- frame

void TCustomElTree::DrawBorder(HDC dc) {
  if (!HandleAllocated()) return;
  RECT window, client;
  GetWindowRect(Handle(), &window);
  GetClientRect(Handle(), &client);
  MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  OffsetRect(&window, -window.left, -window.top);
  if (!FUseCustomScrollBars) {
    if (FHorzBarShown) client.bottom += GetSystemMetrics(SM_CYHSCROLL);
    if (FVertBarShown) client.right += GetSystemMetrics(SM_CXVSCROLL);
  }
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  if (IsThemeApplied() && FBorderStyle == bsSingle) {
    DrawThemedBackground(L"EDIT", dc, 1, 1, window, nullptr);
  } else if (FBorderStyle == bsSingle) {
    const bool active = FHasFocus || FMouseOver;
    TElFlatBorderType type = active ? FActiveBorderType : FInactiveBorderType;
    if (!FFlat && FUseCustomScrollBars) type = fbtSunken;
    if (type == fbtRaised) type = fbtRaisedOuter;
    const TColor color = active ? FLineBorderActiveColor : FLineBorderInactiveColor;
    DrawFlatFrameEx2(dc, TRect{window.left, window.top, window.right, window.bottom}, color, type, FBorderSides,
                     active);
  }
  RestoreDC(dc, saved);
}

void TCustomElTree::DrawBorderOwnDC() {
  if (!HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  DrawBorder(dc);
  ReleaseDC(Handle(), dc);
}

void TCustomElTree::Paint() {
  HDC dc = Canvas()->Handle();
  const bool themed = IsThemeApplied();
  if (((FFlat || FUseCustomScrollBars) && FBorderStyle == bsSingle) || themed) DrawBorderOwnDC();
  if (!(FUseCustomScrollBars && FHorzBarShown && FVertBarShown && FHScrollBar && FVScrollBar)) return;
  TRect corner{FVScrollBar->Left(), FHScrollBar->Top(), FVScrollBar->Left() + FVScrollBar->Width(),
               FHScrollBar->Top() + FHScrollBar->Height()};
  if (themed && DrawThemeBackground) {
    TRect grown = corner;
    InflateRect(&grown, 1, 1);
    DrawThemeBackground(Theme(), dc, 0, 0, &grown, &corner);
  } else if (!FImgForm || ComponentState().Contains(csDesigning)) {
    FillSolidRect(dc, corner, ColorToRGB(FVScrollBar->Color()));
  } else {
    TPoint origin{0, 0};
    TWinControl* real = FImgForm->GetRealControl();
    if (real && real->HandleAllocated()) MapWindowPoints(Handle(), real->Handle(), &origin, 1);
    FImgForm->PaintBkgnd(dc, corner, false, origin);
  }
}

// ---------------------------------------------------------------- window

void TCustomElTree::CreateParams(TCreateParams& p) {
  TElXPThemedControl::CreateParams(p);
  const bool single = FBorderStyle == bsSingle;
  if (single) p.Style |= WS_BORDER;
  // The window's own bars exist for the system's scroll messages; with
  // custom bars they take no room (WM_NCCALCSIZE).
  p.Style |= WS_HSCROLL | WS_VSCROLL;
  if (Ctl3D() && single) {
    p.Style &= ~WS_BORDER;
    p.ExStyle |= WS_EX_CLIENTEDGE;
  }
  p.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
  if (FRightAlignedText) p.ExStyle |= WS_EX_RIGHT | WS_EX_RTLREADING;
}

void TCustomElTree::CreateWnd() {
  TElXPThemedControl::CreateWnd();
  AttachFormHook();
  LayOutParts();
  ApplyDragType();
}

// ---------------------------------------------------------------- messages

void TCustomElTree::ScrollMessage(TMessage& m, TScrollBarKind kind) {
  const int request = LOWORD(m.WParam);
  if (request < SB_LINEUP || request > SB_ENDSCROLL || !FView) return;
  TElScrollBar* bar = kind == sbVertical ? FVScrollBar : FHScrollBar;
  int position;
  if (request == SB_THUMBTRACK || request == SB_THUMBPOSITION) {
    // The track position in 32 bits, from the custom bar or the window's
    // own; the message's 16 bits only where neither answers.
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
    if (FUseCustomScrollBars && bar && bar->HandleAllocated() &&
        SendMessageA(bar->Handle(), SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info)))
      position = info.nTrackPos;
    else if (!FUseCustomScrollBars && HandleAllocated() &&
             GetScrollInfo(Handle(), kind == sbVertical ? SB_VERT : SB_HORZ, &info))
      position = info.nTrackPos;
    else
      position = static_cast<int>(HIWORD(m.WParam));
  } else if (FUseCustomScrollBars && bar) {
    position = bar->Position();
  } else {
    position = kind == sbVertical ? FTopIndex : FLeftPosition;
  }
  // The system's request codes and the bar's scroll codes agree up to
  // the end of a scroll.
  const auto code = static_cast<TElScrollCode>(request == SB_ENDSCROLL ? scEndScroll : request);
  bool doChange = true;
  if (kind == sbVertical)
    FView->VertScrollHandler(bar, code, position, doChange);
  else
    FView->HorzScrollHandler(bar, code, position, doChange);
  m.Result = 0;
}

// Never while the tree is freed: a frame paint delivered then would hang a
// new hook on the form, outliving the tree it calls.
void TCustomElTree::AttachFormHook() {
  if (ComponentState().Contains(csDesigning) || IsDestroying()) return;
  TCustomForm* form = GetParentForm();
  if (!form) return;
  if (!FHook) FHook = new TElHook(this);
  FHook->OnBeforeProcess = TElHookEvent(this, &TCustomElTree::HookBeforeProcess);
  if (FHook->Control() != form) FHook->SetControl(form);
  FHook->SetActive(DoubleBuffered());
}

void TCustomElTree::HookBeforeProcess(TObject* /*sender*/, TMessage& m, bool& handled) {
  if (m.Msg == WM_ENTERSIZEMOVE)
    FInSizeMove = true;
  else if (m.Msg == WM_EXITSIZEMOVE)
    FInSizeMove = false;
  handled = false;
}

void TCustomElTree::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_VSCROLL: ScrollMessage(m, sbVertical); return;
    case WM_HSCROLL: ScrollMessage(m, sbHorizontal); return;
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_NCCALCSIZE: {
      if (!FUseCustomScrollBars) break;
      auto& calc = MessageAs<TWMNCCalcSize>(m);
      RECT* r = calc.Rect();
      if (FBorderStyle == bsSingle) {
        const int bx = GetSystemMetrics(Ctl3D() ? SM_CXEDGE : SM_CXBORDER);
        const int by = GetSystemMetrics(Ctl3D() ? SM_CYEDGE : SM_CYBORDER);
        if (FBorderSides.Contains(ebsLeft)) r->left += bx;
        if (FBorderSides.Contains(ebsRight)) r->right -= bx;
        if (FBorderSides.Contains(ebsTop)) r->top += by;
        if (FBorderSides.Contains(ebsBottom)) r->bottom -= by;
      }
      m.Result = 0;
      return;
    }
    case WM_NCHITTEST: {
      TElXPThemedControl::Dispatch(m);
      if (FUseCustomScrollBars && (m.Result == HTHSCROLL || m.Result == HTVSCROLL)) m.Result = HTBORDER;
      return;
    }
    case WM_NCPAINT: {
      AttachFormHook();
      if ((FFlat || FUseCustomScrollBars || IsThemeApplied()) && FBorderStyle == bsSingle) {
        if (!FUseCustomScrollBars) TElXPThemedControl::Dispatch(m);
        DrawBorderOwnDC();
        m.Result = 0;
        return;
      }
      break;
    }
    case WM_WINDOWPOSCHANGED:
      TElXPThemedControl::Dispatch(m);
      Perform(EL_BACKGROUND_MOVED, 0, 0);
      return;
    case EL_BACKGROUND_MOVED: {
      if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
      for (int i = 0; i < ControlCount(); ++i) Controls(i)->Perform(EL_BACKGROUND_MOVED, m.WParam, m.LParam);
      m.Result = 0;
      return;
    }
    case EL_OWN_BACKGROUND: m.Result = 1; return;
    case WM_SYSCOLORCHANGE: {
      // The built-in buttons are drawn in system colours.
      RecolourElTreeGlyphs();
      TControl* parts[] = {FHScrollBar, FVScrollBar, FHeader};
      for (TControl* part : parts)
        if (part) part->Perform(WM_SYSCOLORCHANGE, m.WParam, m.LParam);
      break;
    }
    case kFrameChangeMessage:
      if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      m.Result = 0;
      return;
    case CM_FONTCHANGED:
      TElXPThemedControl::Dispatch(m);
      FontChanged(this);
      return;
    case WM_SIZE:
      TElXPThemedControl::Dispatch(m);
      LayOutParts();
      UpdateScrollBars();
      if (FFlat || FUseCustomScrollBars || IsThemeApplied()) DrawBorderOwnDC();
      return;
    case WM_SETFOCUS: {
      const auto from = reinterpret_cast<HWND>(m.WParam);
      TElXPThemedControl::Dispatch(m);
      if (!FView || !FView->HandleAllocated() || IsDestroying()) return;
      // Shift+Tab from the view lands here: the focus goes on backwards.
      if (from == FView->Handle())
        FocusPreviousControl();
      else if (FView->CanFocus() && IsWindowVisible(FView->Handle()))
        FView->SetFocus();
      return;
    }
    case CM_ENTER:
    case CM_EXIT:
      FocusChanged(m.Msg == CM_ENTER);
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      MouseOverChanged(m.Msg == CM_MOUSEENTER);
      break;
    case CM_ENABLEDCHANGED:
      TElXPThemedControl::Dispatch(m);
      if (FHScrollBar) FHScrollBar->SetEnabled(Enabled() && FHorzNeeded);
      if (FVScrollBar) FVScrollBar->SetEnabled(Enabled() && FVertNeeded);
      return;
    case WM_ENABLE:
      TElXPThemedControl::Dispatch(m);
      if (FFlat || FUseCustomScrollBars || IsThemeApplied()) RedrawFrame();
      return;
    default: break;
  }
  TElXPThemedControl::Dispatch(m);
}
