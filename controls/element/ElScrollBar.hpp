// The flat scroll bar: a window control that draws and operates a scroll bar
// itself. Flat or raised arrow buttons, optional secondary buttons, a thumb
// whose length follows the page, a blended or themed track, auto-repeat on a
// timer, owner drawing of every part, and a veto over every move through
// OnScroll. Its geometry lives in TElScrollBarGeometry; the painting is in
// ElScrollBarPaint.cpp. TElScrollBarStyles is the published set through
// which a control that owns two bars lets a form set them up.
#pragma once

#include <memory>

#include "ElHintWindow.hpp"
#include "ElImgFrm.hpp"
#include "ElScrollBarGeometry.hpp"
#include "ElXPThemedControl.hpp"
#include "ExtCtrls.hpp"

// Sender, code, var position (the proposal; the answer is taken), var
// DoChange (False vetoes the move where a veto is possible).
using TElScrollEvent = TEvent<TObject*, TElScrollCode, int&, bool&>;
// Sender, Canvas, R, Part, Enabled, Focused, Pressed, var DefaultDraw.
using TElScrollDrawPartEvent = TEvent<TObject*, TCanvas*, TRect, TElScrollBarPart, bool, bool, bool, bool&>;
// Sender, the position the thumb stands for, var Hint.
using TElScrollHintNeededEvent = TEvent<TObject*, int, TElFString&>;
// Sender, X, Y, var Part, var DefaultTest (False: Part is the answer).
using TElScrollHitTestEvent = TEvent<TObject*, int, int, TElScrollBarPart&, bool&>;

class TCustomElScrollBar : public TElXPThemedControl {
 public:
  explicit TCustomElScrollBar(TComponent* owner);
  ~TCustomElScrollBar() override;
  // Stops the press timer while it is whole: it is an owned component and
  // goes with the others before the destructor runs.
  void BeforeDestruction() override;

  // ---- range and position
  TScrollBarKind Kind() const { return geometry_.Kind; }
  void SetKind(TScrollBarKind value);
  int Position() const { return geometry_.Position; }
  // Clamped into [Min, Max]; OnScroll then hears scPosition with the value
  // asked for, without a veto. Never raises OnChange.
  void SetPosition(int value);
  int Max() const { return geometry_.Max; }
  void SetMax(int value);
  int Min() const { return geometry_.Min; }
  void SetMin(int value);
  int Page() const { return geometry_.Page; }
  void SetPage(int value);
  int Step() const { return geometry_.Step; }
  void SetStep(int value) { geometry_.Step = value; }

  // ---- buttons and thumb
  // The button length in use (shrunk when the bar is too short); the set
  // value is used without system metrics.
  int ButtonSize() const { return geometry_.ButtonLength(); }
  void SetButtonSize(int value);
  // The fixed thumb length (the system's with system metrics).
  int ThumbSize() const { return geometry_.FixedThumbLength(); }
  void SetThumbSize(int value);
  int MinThumbSize() const { return geometry_.MinThumbSize; }
  void SetMinThumbSize(int value);
  TElScrollThumbMode ThumbMode() const { return geometry_.ThumbMode; }
  void SetThumbMode(TElScrollThumbMode value);
  bool UseSystemMetrics() const { return geometry_.UseSystemMetrics; }
  void SetUseSystemMetrics(bool value);
  bool SecondaryButtons() const { return geometry_.SecondaryButtons; }
  void SetSecondaryButtons(bool value);
  TElSecButtonsKind SecondBtnKind() const { return geometry_.SecondBtnKind; }
  void SetSecondBtnKind(TElSecButtonsKind value);
  bool ShowLeftArrows() const { return geometry_.ShowLeftArrows; }
  void SetShowLeftArrows(bool value);
  bool ShowRightArrows() const { return geometry_.ShowRightArrows; }
  void SetShowRightArrows(bool value);
  bool AltDisablingArrows() const { return geometry_.AltDisablingArrows; }
  void SetAltDisablingArrows(bool value);
  bool NoDisableButtons() const { return noDisableButtons_; }
  void SetNoDisableButtons(bool value) { SetLook(noDisableButtons_, value); }

  // ---- look
  bool Flat() const { return flat_; }
  void SetFlat(bool value) { SetLook(flat_, value); }
  bool ActiveFlat() const { return activeFlat_; }
  void SetActiveFlat(bool value) { SetLook(activeFlat_, value); }
  bool ThinFrames() const { return thinFrames_; }
  void SetThinFrames(bool value) { SetLook(thinFrames_, value); }
  bool DrawFrames() const { return drawFrames_; }
  // False also turns DrawArrowFrames off.
  void SetDrawFrames(bool value);
  bool DrawArrowFrames() const { return drawArrowFrames_; }
  void SetDrawArrowFrames(bool value) { SetLook(drawArrowFrames_, value); }
  bool DrawBars() const { return drawBars_; }
  void SetDrawBars(bool value) { SetLook(drawBars_, value); }
  Cardinal BarOffset() const { return barOffset_; }
  void SetBarOffset(Cardinal value) { SetLook(barOffset_, value); }
  TColor BarColor() const { return barColor_; }
  void SetBarColor(TColor value) { SetLook(barColor_, value); }
  TColor ArrowColor() const { return arrowColor_; }
  void SetArrowColor(TColor value) { SetLook(arrowColor_, value); }
  TColor ArrowHotTrackColor() const { return arrowHotTrackColor_; }
  void SetArrowHotTrackColor(TColor value) { SetLook(arrowHotTrackColor_, value); }
  bool NoSunkenThumb() const { return noSunkenThumb_; }
  void SetNoSunkenThumb(bool value) { SetLook(noSunkenThumb_, value); }
  bool ChangeColorsOnScroll() const { return changeColorsOnScroll_; }
  void SetChangeColorsOnScroll(bool value) { SetLook(changeColorsOnScroll_, value); }
  bool BlendBackground() const { return blendBackground_; }
  void SetBlendBackground(bool value) { SetLook(blendBackground_, value); }
  bool SystemBkColor() const { return systemBkColor_; }
  void SetSystemBkColor(bool value) { SetLook(systemBkColor_, value); }
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool value) { SetLook(ownerDraw_, value); }

  // ---- the shared background painted under the bar
  TElImageForm* ImageForm() const { return imageForm_; }
  virtual void SetImageForm(TElImageForm* value);

  // ---- hints
  // The UTF-16 hint; the class library's hint carries it packed.
  const TElFString& Hint() const { return hint_; }
  void SetHint(const TElFString& value);
  bool ShowTrackHint() const { return showTrackHint_; }
  void SetShowTrackHint(bool value) { showTrackHint_ = value; }
  bool IsHTML() const { return isHTML_; }
  void SetIsHTML(bool value) { isHTML_ = value; }
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor value) { hintColor_ = value; }
  TColor HintTextColor() const { return hintTextColor_; }
  void SetHintTextColor(TColor value) { hintTextColor_ = value; }

  // ---- state an owner may read
  const TElScrollBarGeometry& Geometry() const { return geometry_; }
  TElScrollBarPart PressedPart() const { return pressedPart_; }
  TElScrollBarPart HotPart() const { return hotPart_; }
  bool Tracking() const { return tracking_; }
  // The hint that follows a dragged thumb, while it shows.
  TElHintWindow* TrackHintWindow() const { return hintWindow_.get(); }
  bool MouseInside() const { return mouseInside_; }
  // The part under a client point: OnHitTest first, then the geometry.
  TElScrollBarPart ScrollHitTest(int x, int y);
  // Ends a press or a drag as a release would.
  void StopScrolling();
  // Off: a dragged thumb no longer sends WM_HSCROLL/WM_VSCROLL to the
  // parent (an owner that follows OnScroll instead).
  bool NotifyParent() const { return notifyParent_; }
  void SetNotifyParent(bool value) { notifyParent_ = value; }

  TNotifyEvent OnChange;
  TElScrollEvent OnScroll;
  TElScrollDrawPartEvent OnDrawPart;
  TElScrollHintNeededEvent OnScrollHintNeeded;
  TElScrollHitTestEvent OnHitTest;

  void Dispatch(TMessage& message) override;

 protected:
  virtual void TriggerChangeEvent();
  virtual void TriggerScrollEvent(TElScrollCode code, int& scrollPos, bool& doChange);
  virtual void TriggerScrollHintNeededEvent(int trackPosition, TElFString& hint);
  virtual void TriggerHitTestEvent(int x, int y, TElScrollBarPart& part, bool& defaultTest);

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CreateWnd() override;
  void Paint() override;
  void GetThemedClassName(TElFString& name) override;
  void Resize() override;
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  // ---- input
  void MousePress(int x, int y);
  void MouseRelease();
  void MouseMoved(int x, int y);
  void DragTo(int along);
  void EndPress();
  void GiveCaptureBack();
  void RepeatTimer(TObject* sender);
  void Wheel(TWMMouseWheel& m);
  void MouseEnter();
  void MouseLeave();
  void FocusChanged();
  void CaptureChanged(HWND newCapture);
  void SetScrollInfoMessage(TMessage& m);
  void GetScrollInfoMessage(TMessage& m);
  void WindowPosChanged(TMessage& m);
  void HintShow(THintInfo& info);
  // Shows (or moves) the track hint for the position; unchanged positions
  // keep the hint as it is.
  void UpdateTrackHint(int position);
  void FreeTrackHint();

  // ---- property plumbing
  bool Loading() const;
  // A look setting: stored, then repainted.
  template <class T>
  void SetLook(T& field, T value) {
    if (field == value) return;
    field = value;
    RepaintNow();
  }
  // A geometry setting changed: the thumb placed again, then repainted.
  void GeometryChanged();
  void ApplySystemMetrics();
  void RepaintNow();
  void InvalidateTrack();
  // Takes the client size and the system metrics into the geometry.
  void SyncGeometry();

  // ---- painting (ElScrollBarPaint.cpp)
  void PaintButtons(TCanvas* canvas);
  void PaintButton(TCanvas* canvas, TElScrollBarPart part);
  void PaintTrackParts(TCanvas* canvas);
  void PaintTrack(TCanvas* canvas, TElScrollBarPart part);
  void PaintThumb(TCanvas* canvas);
  bool OfferPart(TCanvas* canvas, const TRect& r, TElScrollBarPart part, bool enabled, bool focused,
                 bool pressed);
  bool ButtonUsable(TElScrollBarPart part) const;
  bool ButtonRaised(TElScrollBarPart part) const;
  bool ThumbRaised() const;
  bool PartPressed(TElScrollBarPart part) const { return pressedPart_ == part && hotPart_ == part; }
  // Sets the canvas brush to the track fill (pattern, theme, system or own
  // colour); RestoreBrush puts the solid Color back.
  void SelectTrackBrush(TCanvas* canvas);
  void RestoreBrush(TCanvas* canvas);
  void FillTrackArea(TCanvas* canvas, const TRect& r);
  bool Themed() const;
  // With an image form the bar paints its background and leaves out every
  // solid fill.
  bool ShowsFormBackground() const;
  void PaintFormBackground(TCanvas* canvas);
  void ImageFormChanged(TObject* sender);
  void DrawThemePart(TCanvas* canvas, int part, int state, const TRect& r);
  // The shared blend pattern: made by the first bar while none exists,
  // refilled and freed only by that bar.
  void CreatePatternIfNone();
  void RebuildPattern();
  void ReleasePattern();

  TElScrollBarGeometry geometry_;
  bool thinFrames_ = false;
  bool drawFrames_ = true;
  bool drawArrowFrames_ = true;
  bool drawBars_ = true;
  Cardinal barOffset_ = 2;
  TColor barColor_ = clBtnShadow;
  TColor arrowColor_ = clBtnText;
  TColor arrowHotTrackColor_ = clHighlight;
  bool noSunkenThumb_ = false;
  bool changeColorsOnScroll_ = true;
  bool ownsPattern_ = false;
  bool blendBackground_ = true;
  bool showTrackHint_ = false;
  bool noDisableButtons_ = false;
  bool ownerDraw_ = false;
  bool flat_ = true;
  bool activeFlat_ = false;
  bool mouseInside_ = false;
  bool isHTML_ = false;
  TColor hintColor_ = clInfoBk;
  TColor hintTextColor_ = clInfoText;
  bool systemBkColor_ = true;
  bool notifyParent_ = true;

  struct TFreeObject {
    void operator()(TObject* object) const { object->Free(); }
  };
  std::unique_ptr<TElHintWindow, TFreeObject> hintWindow_;
  int hintPosition_ = 0;
  TElFString hint_;
  std::unique_ptr<TImgFormChangeLink> imgFormChangeLink_;
  TElImageForm* imageForm_ = nullptr;
  TTimer* timer_ = nullptr;  // owned as a component
  // The press in progress.
  bool tracking_ = false;
  TElScrollBarPart pressedPart_ = spNone;
  TElScrollBarPart hotPart_ = spNone;
  int dragOrigin_ = 0;
  int grabOffset_ = 0;
  POINT pointer_{};
  HWND previousCapture_ = nullptr;
  // Set while the bar gives the capture back, so that losing it then does
  // not end the press a second time.
  bool releasingCapture_ = false;
};

class TElScrollBar : public TCustomElScrollBar {
 public:
  explicit TElScrollBar(TComponent* owner) : TCustomElScrollBar(owner) {}
};

// The shared 8 x 8 blend pattern of every bar, or nullptr while none exists.
TBitmap* ScrollBarBlendPattern();

// The published settings of a bar that another control owns (the edit's and
// the tree's two bars). It keeps almost nothing itself: every property reads
// and writes the bar, with the bar's own rules.
class TElScrollBarStyles : public TPersistent {
 public:
  // Both must be given; Control is asked only whether it is loading.
  TElScrollBarStyles(TElScrollBar* scrollBar, TControl* control);

  TElScrollBar* ScrollBar() const { return scrollBar_; }

  bool ActiveFlat() const { return scrollBar_->ActiveFlat(); }
  void SetActiveFlat(bool value) { scrollBar_->SetActiveFlat(value); }
  bool BlendBackground() const { return scrollBar_->BlendBackground(); }
  void SetBlendBackground(bool value) { scrollBar_->SetBlendBackground(value); }
  TColor Color() const { return scrollBar_->Color(); }
  void SetColor(TColor value) { scrollBar_->SetColor(value); }
  bool Flat() const { return scrollBar_->Flat(); }
  void SetFlat(bool value) { scrollBar_->SetFlat(value); }
  int MinThumbSize() const { return scrollBar_->MinThumbSize(); }
  void SetMinThumbSize(int value) { scrollBar_->SetMinThumbSize(value); }
  bool NoDisableButtons() const { return scrollBar_->NoDisableButtons(); }
  void SetNoDisableButtons(bool value) { scrollBar_->SetNoDisableButtons(value); }
  bool NoSunkenThumb() const { return scrollBar_->NoSunkenThumb(); }
  void SetNoSunkenThumb(bool value) { scrollBar_->SetNoSunkenThumb(value); }
  bool OwnerDraw() const { return scrollBar_->OwnerDraw(); }
  void SetOwnerDraw(bool value) { scrollBar_->SetOwnerDraw(value); }
  bool SecondaryButtons() const { return scrollBar_->SecondaryButtons(); }
  void SetSecondaryButtons(bool value) { scrollBar_->SetSecondaryButtons(value); }
  TElSecButtonsKind SecondBtnKind() const { return scrollBar_->SecondBtnKind(); }
  void SetSecondBtnKind(TElSecButtonsKind value) { scrollBar_->SetSecondBtnKind(value); }
  bool ShowLeftArrows() const { return scrollBar_->ShowLeftArrows(); }
  void SetShowLeftArrows(bool value) { scrollBar_->SetShowLeftArrows(value); }
  bool ShowRightArrows() const { return scrollBar_->ShowRightArrows(); }
  void SetShowRightArrows(bool value) { scrollBar_->SetShowRightArrows(value); }
  bool ShowTrackHint() const { return scrollBar_->ShowTrackHint(); }
  void SetShowTrackHint(bool value) { scrollBar_->SetShowTrackHint(value); }
  TElScrollThumbMode ThumbMode() const { return scrollBar_->ThumbMode(); }
  void SetThumbMode(TElScrollThumbMode value) { scrollBar_->SetThumbMode(value); }
  // The bar's thumb length (the system's in etmFixed with system metrics).
  int ThumbSize() const { return scrollBar_->ThumbSize(); }
  void SetThumbSize(int value) { scrollBar_->SetThumbSize(value); }
  // The bar's thickness. Set while system metrics are on (and the owner is
  // not loading), the bar takes the system thickness again instead.
  int Width() const;
  void SetWidth(int value);
  // The button length in use (shrunk when the bar is too short).
  int ButtonSize() const { return scrollBar_->ButtonSize(); }
  void SetButtonSize(int value) { scrollBar_->SetButtonSize(value); }
  bool UseSystemMetrics() const { return scrollBar_->UseSystemMetrics(); }
  void SetUseSystemMetrics(bool value);
  TColor ArrowColor() const { return scrollBar_->ArrowColor(); }
  void SetArrowColor(TColor value) { scrollBar_->SetArrowColor(value); }
  TColor ArrowHotTrackColor() const { return scrollBar_->ArrowHotTrackColor(); }
  void SetArrowHotTrackColor(TColor value) { scrollBar_->SetArrowHotTrackColor(value); }
  bool DrawFrames() const { return scrollBar_->DrawFrames(); }
  void SetDrawFrames(bool value) { scrollBar_->SetDrawFrames(value); }
  bool DrawArrowFrames() const { return scrollBar_->DrawArrowFrames(); }
  void SetDrawArrowFrames(bool value) { scrollBar_->SetDrawArrowFrames(value); }
  bool DrawBars() const { return scrollBar_->DrawBars(); }
  void SetDrawBars(bool value) { scrollBar_->SetDrawBars(value); }
  Cardinal BarOffset() const { return scrollBar_->BarOffset(); }
  void SetBarOffset(Cardinal value) { scrollBar_->SetBarOffset(value); }
  TColor BarColor() const { return scrollBar_->BarColor(); }
  void SetBarColor(TColor value) { scrollBar_->SetBarColor(value); }
  bool ThinFrames() const { return scrollBar_->ThinFrames(); }
  void SetThinFrames(bool value) { scrollBar_->SetThinFrames(value); }
  TColor HintColor() const { return scrollBar_->HintColor(); }
  void SetHintColor(TColor value) { scrollBar_->SetHintColor(value); }
  TColor HintTextColor() const { return scrollBar_->HintTextColor(); }
  void SetHintTextColor(TColor value) { scrollBar_->SetHintTextColor(value); }
  bool SystemBkColor() const { return scrollBar_->SystemBkColor(); }
  void SetSystemBkColor(bool value) { scrollBar_->SetSystemBkColor(value); }
  bool UseXPThemes() const { return scrollBar_->UseXPThemes(); }
  void SetUseXPThemes(bool value) { scrollBar_->SetUseXPThemes(value); }
  TElImageForm* ImageForm() const { return scrollBar_->ImageForm(); }
  void SetImageForm(TElImageForm* value) { scrollBar_->SetImageForm(value); }

  // From another styles object: ActiveFlat, BlendBackground, Color, Flat,
  // MinThumbSize, OwnerDraw, SecondaryButtons, SecondBtnKind, ShowTrackHint,
  // ThumbMode and ThumbSize, in this order, and nothing else.
  void Assign(TPersistent* source) override;

  // After UseSystemMetrics or Width changed.
  TNotifyEvent OnChange;

 private:
  TElScrollBar* scrollBar_;
  TControl* control_;
};

// Registers the bar's and the styles' published properties for form files.
extern const TUnitInfo ElScrollBarUnit;
