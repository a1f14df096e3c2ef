// The UTF-16 edit control: a window around the window-free edit logic
// (TElEditCore). The window measures with the control's font, paints the
// text through an off-screen bitmap, keeps the system caret, draws its own
// flat or themed border, shows the window's scroll bars or two owned flat
// scroll bars, and turns the
// messages it receives (text, the standard edit messages, keys, characters,
// the mouse, the clipboard and the input method) into calls of the logic.
#pragma once

#include <memory>

#include "ElEditCore.hpp"
#include "ElEditPlatform.hpp"
#include "ElGdiScope.hpp"
#include "ElImgFrm.hpp"
#include "ElScrollBar.hpp"
#include "ElVCLUtils.hpp"
#include "ElXPThemedControl.hpp"
#include "Forms.hpp"
#include "Menus.hpp"

#include <imm.h>

// The input method calls the edit makes, replaceable for tests. The wide
// result reader is looked up in IMM32 by name when a result arrives (it is
// missing on old systems); a test sets it directly.
struct TElEditInputMethod {
  HIMC(WINAPI* GetContext)(HWND) = nullptr;
  BOOL(WINAPI* ReleaseContext)(HWND, HIMC) = nullptr;
  LONG(WINAPI* GetCompositionStringW)(HIMC, DWORD, LPVOID, DWORD) = nullptr;
  LONG(WINAPI* GetCompositionStringA)(HIMC, DWORD, LPVOID, DWORD) = nullptr;
  BOOL(WINAPI* SetCompositionFontW)(HIMC, LPLOGFONTW) = nullptr;
  // Windows 9x has no wide one (nor the wide font query it needs).
  BOOL(WINAPI* SetCompositionFontA)(HIMC, LPLOGFONTA) = nullptr;
  BOOL(WINAPI* SetCompositionWindow)(HIMC, LPCOMPOSITIONFORM) = nullptr;
};
// IMM32's functions; GetCompositionStringW stays nil until needed.
TElEditInputMethod SystemInputMethod();

// The edit's own message that hands its window a UTF-16 text (lParam: the
// text). It is honoured only while the edit itself sends it; WM_SETTEXT
// always carries 8-bit text, whoever sends it.
constexpr UINT EL_EDIT_SET_WIDE_TEXT = 7420;


class TCustomElEdit : public TElXPThemedControl {
 public:
  explicit TCustomElEdit(TComponent* owner);
  ~TCustomElEdit() override;
  void BeforeDestruction() override;

  // ---- text
  TElFString Text();
  void SetText(const TElFString& value);
  // The ANSI view of the text, which the class library's Caption and
  // window-text calls use.
  std::string GetText() const override;
  void SetText(const std::string& value) override;
  TElEditStrings* Lines() { return core_->Lines(); }
  void SetLines(TElWideStrings* value);

  // ---- published properties
  bool Multiline() const { return core_->Multiline(); }
  void SetMultiline(bool value);
  bool WordWrap() const { return core_->WordWrap(); }
  void SetWordWrap(bool value) { core_->SetWordWrap(value); }
  TScrollStyle ScrollBars() const { return core_->ScrollBars(); }
  void SetScrollBars(TScrollStyle value);
  bool UseCustomScrollBars() const { return useCustomScrollBars_; }
  void SetUseCustomScrollBars(bool value);
  // The owned bars' published settings; setting one copies it.
  TElScrollBarStyles* VertScrollBarStyles() const { return vertStyles_.get(); }
  void SetVertScrollBarStyles(TElScrollBarStyles* value) { vertStyles_->Assign(value); }
  TElScrollBarStyles* HorzScrollBarStyles() const { return horzStyles_.get(); }
  void SetHorzScrollBarStyles(TElScrollBarStyles* value) { horzStyles_->Assign(value); }
  // The owned bars (children of the edit); nil once they are gone.
  TElScrollBar* VertScrollBar() const { return vertBar_; }
  TElScrollBar* HorzScrollBar() const { return horzBar_; }
  bool FlatFocusedScrollBars() const { return flatFocusedScrollBars_; }
  void SetFlatFocusedScrollBars(bool value);
  TAlignment Alignment() const { return core_->Alignment(); }
  void SetAlignment(TAlignment value) { core_->SetAlignment(value); }
  bool AlignBottom() const { return core_->AlignBottom(); }
  void SetAlignBottom(bool value) { core_->SetAlignBottom(value); }
  int LeftMargin() const { return core_->LeftMargin(); }
  void SetLeftMargin(int value) { core_->SetLeftMargin(value); }
  int RightMargin() const { return core_->RightMargin(); }
  void SetRightMargin(int value) { core_->SetRightMargin(value); }
  int TopMargin() const { return core_->TopMargin(); }
  void SetTopMargin(int value) { core_->SetTopMargin(value); }
  int TabSpaces() const { return core_->TabSpaces(); }
  void SetTabSpaces(int value) { core_->SetTabSpaces(value); }
  int MaxLength() const { return core_->MaxLength(); }
  virtual void SetMaxLength(int value);
  int MaxUndoLevel() const { return core_->MaxUndoLevel(); }
  void SetMaxUndoLevel(int value) { core_->SetMaxUndoLevel(value); }
  TElFString PasswordChar() const { return core_->PasswordChar(); }
  void SetPasswordChar(const TElFString& value) { core_->SetPasswordChar(value); }
  TElEditCharCase CharCase() const { return core_->CharCase(); }
  void SetCharCase(TElEditCharCase value) { core_->SetCharCase(value); }
  bool ReadOnly() const { return core_->ReadOnly(); }
  void SetReadOnly(bool value);
  bool WantTabs() const { return core_->WantTabs(); }
  void SetWantTabs(bool value) { core_->SetWantTabs(value); }
  bool AutoSelect() const { return core_->AutoSelect(); }
  void SetAutoSelect(bool value) { core_->SetAutoSelect(value); }
  bool HandleDialogKeys() const { return core_->HandleDialogKeys(); }
  void SetHandleDialogKeys(bool value) { core_->SetHandleDialogKeys(value); }
  bool HideSelection() const { return core_->HideSelection(); }
  void SetHideSelection(bool value) { core_->SetHideSelection(value); }
  bool NotifyUserChangeOnly() const { return core_->NotifyUserChangeOnly(); }
  void SetNotifyUserChangeOnly(bool value) { core_->SetNotifyUserChangeOnly(value); }
  bool RTLContent() const { return core_->RTLContent(); }
  void SetRTLContent(bool value);
  void SetAutoSize(bool value) override;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  TElBorderSides BorderSides() const { return borderSides_; }
  void SetBorderSides(TElBorderSides value);
  bool Flat() const { return flat_; }
  virtual void SetFlat(bool value);
  TElFlatBorderType ActiveBorderType() const { return activeBorderType_; }
  virtual void SetActiveBorderType(TElFlatBorderType value);
  TElFlatBorderType InactiveBorderType() const { return inactiveBorderType_; }
  virtual void SetInactiveBorderType(TElFlatBorderType value);
  TColor LineBorderActiveColor() const { return lineBorderActiveColor_; }
  virtual void SetLineBorderActiveColor(TColor value);
  TColor LineBorderInactiveColor() const { return lineBorderInactiveColor_; }
  virtual void SetLineBorderInactiveColor(TColor value);
  TBitmap* Background() const { return background_.get(); }
  void SetBackground(TBitmap* value);
  bool UseBackground() const { return useBackground_; }
  void SetUseBackground(bool value);
  TElImageForm* ImageForm() const { return imageForm_; }
  virtual void SetImageForm(TElImageForm* value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool ChangeDisabledText() const { return changeDisabledText_; }
  void SetChangeDisabledText(bool value);
  void SetUseXPThemes(bool value) override;
  // The UTF-16 hint; the class library's 8-bit hint holds its packed form.
  const TElFString& Hint() const { return wideHint_; }
  void SetHint(const TElFString& value);

  // ---- caret, selection and positions
  virtual int GetSelStart();
  virtual void SetSelStart(int value);
  virtual void SetSelLength(int value);
  virtual void SetSelText(const TElFString& value);
  TElFString SelText() { return core_->GetSelText(); }
  int SelLength();
  void SelectAll() { core_->SelectAll(); }
  void Undo() { core_->Undo(); }
  bool CanUndo() { return core_->UndoList()->CanUndo(); }
  TElDisplayPos CaretPos() const { return core_->CaretPos(); }
  TElActionList* UndoList() { return core_->UndoList(); }
  virtual TPoint PosToPoint(TElDisplayPos pos) { return core_->PosToPoint(pos); }
  virtual TElDisplayPos PointToPos(TPoint point) { return core_->PointToPos(point); }

  // ---- view
  const TRect& EditRect() const { return core_->EditRect(); }
  virtual void SetEditRect(const TRect& rect);
  int LineHeight() const { return core_->LineHeight(); }
  int FirstLine() const { return core_->FirstLine(); }
  int VisibleLines() const { return core_->VisibleLines(); }
  int FirstColumn() const { return core_->FirstColumn(); }
  bool MouseInside() const { return mouseInside_; }
  bool CaretCreated() const { return caretCreated_; }

  void SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& m) override;

  // Test seams: the key translation and the input method.
  void SetKeyTranslator(const TElEditKeyTranslator& translator) { core_->SetKeyTranslator(translator); }
  void SetInputMethod(const TElEditInputMethod& inputMethod) { inputMethod_ = inputMethod; }

  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  virtual void Change();
  virtual void SelectionChanged();
  virtual void DoResize();
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  // The class library's resize notification raises OnResize through DoResize.
  void Resize() override { DoResize(); }

  void GetThemedClassName(TElFString& name) override { name = L"EDIT"; }
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  // What the logic asks of the window.
  class Host;
  friend class Host;

 private:
  // ---- layout and view (ElEdits.cpp)
  bool ThemedLook();
  bool CustomBars() const { return useCustomScrollBars_ && Multiline(); }
  bool BarShown(TElScrollBar* bar) const { return bar && CustomBars() && bar->Visible(); }
  // A rectangle of the client area less the shown custom bars.
  TRect BarsExcluded(TRect rect) const;
  TRect TextAreaRect();
  int AutoSizeHeight();
  void ResetEditRect();
  void RecreateOrUpdate();
  void UpdateFont();
  void ApplyScrollRanges(const TElEditScrollRanges& ranges);
  void ApplyWindowBar(int bar, const TElEditScrollBarState& state);
  // Places, shows and sets the custom bars; true when one was shown or hidden.
  bool ApplyCustomBars(const TElEditScrollRanges& ranges);
  void ApplyCustomBar(TElScrollBar* bar, const TElEditScrollBarState& state, const TRect& place);
  TElScrollBar* NewBar(TScrollBarKind kind);
  void CustomBarScroll(TObject* sender, TElScrollCode code, int& position, bool& doChange);
  void StylesChanged(TObject* sender);
  void InvalidateText(bool erase);
  void PlaceSystemCaret(TPoint point);
  void CreateSystemCaret();
  void DestroySystemCaret();

  // ---- painting and borders (ElEditsPaint.cpp)
  void PaintBackground(HDC dc, HDC screen, const TRect& area);
  void PaintText(HDC dc, const TRect& area);
  void DrawBorder();
  void DrawOwnBorder(HDC windowDC, const TRect& windowRect);
  void DrawThemedBorder(HDC windowDC, const TRect& windowRect);
  int ThemeState();
  TElFlatBorderType CurrentBorderType();
  bool OwnBorderDrawn();
  void RepaintBorderIfFlat();

  // ---- message handlers (ElEditsMessages.cpp)
  void WMSetText(TMessage& m);
  void SetWideTextMessage(TMessage& m);
  void WMGetText(TMessage& m);
  void WMGetTextLength(TMessage& m);
  bool EditMessage(TMessage& m);
  void WMKeyDown(TMessage& m);
  void WMChar(TMessage& m);
  void WMSetFocus(TMessage& m);
  void WMKillFocus(TMessage& m);
  void WMSize(TMessage& m);
  void WMEraseBkgnd(TMessage& m);
  void WMNCCalcSize(TMessage& m);
  void WMNCPaint(TMessage& m);
  void WMScroll(TMessage& m, bool vertical);
  void WMMouseWheel(TMessage& m);
  void WMWindowPosChanged(TMessage& m);
  void WMContextMenu(TMessage& m);
  void WMImeStartComposition(TMessage& m);
  void SetCompositionFont(HIMC context);
  void WMImeComposition(TMessage& m);
  void CMFontChanged(TMessage& m);
  void CMEnabledChanged(TMessage& m);
  void CMCtl3DChanged(TMessage& m);
  void CMMouseEnter(TMessage& m);
  void CMMouseLeave(TMessage& m);
  void CMHintShow(TMessage& m);
  void BackgroundMoved(TMessage& m);
  void BackgroundChanged(TObject* sender);
  void ImageFormChanged(TObject* sender);
  // An image form's background shows through the edit (one that paints a
  // plain colour does not).
  bool ShowsImageForm() const;
  void PaintImageFormBackground(HDC dc);
  TElFString CompositionResult(HIMC context);

  // The edit measures with its own copy of the font, selected into a memory
  // context of its own, so that text set before the window exists wraps
  // with the real font and a font change never deletes a selected font.
  class FontMeasurer;
  std::unique_ptr<FontMeasurer> measurer_;
  std::unique_ptr<Host> host_;
  std::unique_ptr<TElEditCore> core_;

  bool useCustomScrollBars_ = true;
  bool flatFocusedScrollBars_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  TElBorderSides borderSides_ = AllBorderSides;
  bool flat_ = false;
  TElFlatBorderType activeBorderType_ = fbtSunken;
  TElFlatBorderType inactiveBorderType_ = fbtSunkenOuter;
  TColor lineBorderActiveColor_ = clBlack;
  TColor lineBorderInactiveColor_ = clBlack;
  std::unique_ptr<TBitmap> background_;
  bool useBackground_ = false;
  TElImageForm* imageForm_ = nullptr;
  std::unique_ptr<TImgFormChangeLink> imageFormLink_;
  bool transparent_ = false;
  bool changeDisabledText_ = false;
  TElFString wideHint_;

  TElScrollBar* vertBar_ = nullptr;
  TElScrollBar* horzBar_ = nullptr;
  std::unique_ptr<TElScrollBarStyles> vertStyles_;
  std::unique_ptr<TElScrollBarStyles> horzStyles_;
  // The bars are being set from the text's ranges: their position changes
  // are the edit's own.
  bool applyingRanges_ = false;
  // The text area is being fitted to bars that were shown or hidden.
  bool fittingBars_ = false;

  bool caretCreated_ = false;
  bool mouseInside_ = false;
  // A right press showed the popup menu; the context-menu message that its
  // release brings must not show it again.
  bool popupShownOnPress_ = false;
  // The class library's Loaded writes the remembered 8-bit window text back
  // into the window; the edit keeps its own UTF-16 text instead.
  bool ignoreWindowText_ = false;
  // The text the edit is sending its window, while it does.
  const TElFString* sendingText_ = nullptr;
  TElEditInputMethod inputMethod_;
};

class TElEdit : public TCustomElEdit {
 public:
  explicit TElEdit(TComponent* owner) : TCustomElEdit(owner) {}
};

// Registers the edit's published properties for form files.
extern const TUnitInfo ElEditsUnit;
