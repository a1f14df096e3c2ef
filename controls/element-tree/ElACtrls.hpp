// The advanced combo box: a flat, owner-painted frame and drop-down button
// that follow focus and hover, optional themed painting, a horizontal scroll
// extent for its list that follows the widest item, prefix completion, a
// wider drop-down list, a UTF-16 hint, and the window procedures of its
// inner edit and list open to its owner.
#pragma once

#include <memory>

#include "ElImgFrm.hpp"
#include "ElStrUtils.hpp"
#include "ElUxTheme.hpp"
#include "ElVCLUtils.hpp"
#include "StdCtrlsCombo.hpp"

// The messages of an inner window, shown to the combo box's owner.
using TElWndMessageEvent = TEvent<TMessage&>;

class TElAdvancedComboBox : public TComboBox {
 public:
  explicit TElAdvancedComboBox(TComponent* owner);
  ~TElAdvancedComboBox() override;

  TElFlatBorderType ActiveBorderType() const { return activeBorderType_; }
  void SetActiveBorderType(TElFlatBorderType value);
  TElFlatBorderType InactiveBorderType() const { return inactiveBorderType_; }
  void SetInactiveBorderType(TElFlatBorderType value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  // The list may drop wider than the control (0: as wide as the control).
  int DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int value) { dropDownWidth_ = value; }
  TElImageForm* ImageForm() const { return imageForm_; }
  void SetImageForm(TElImageForm* value);
  bool AutoCompletion() const { return autoCompletion_; }
  void SetAutoCompletion(bool value) { autoCompletion_ = value; }
  bool HorizontalScroll() const { return horizontalScroll_; }
  void SetHorizontalScroll(bool value);
  const TElFString& Hint() const { return hint_; }
  void SetHint(const TElFString& value);
  bool BtnFlat() const { return btnFlat_; }
  void SetBtnFlat(bool value);
  bool BtnTransparent() const { return btnTransparent_; }
  void SetBtnTransparent(bool value);
  bool UseXPThemes() const { return useXPThemes_; }
  void SetUseXPThemes(bool value);
  bool BtnThinFrame() const { return btnThinFrame_; }
  void SetBtnThinFrame(bool value);
  TColor LineBorderActiveColor() const { return lineBorderActiveColor_; }
  void SetLineBorderActiveColor(TColor value);
  TColor LineBorderInactiveColor() const { return lineBorderInactiveColor_; }
  void SetLineBorderInactiveColor(TColor value);
  bool HandleDialogKeys() const { return handleDialogKeys_; }
  void SetHandleDialogKeys(bool value) { handleDialogKeys_ = value; }

  // Whether a visual style paints the frame and button.
  bool IsThemeApplied() const { return useXPThemes_ && theme_; }
  // The widest item as the list's horizontal extent counts it.
  int WidestItem() const { return widest_; }

  // Every message of the inner list and edit, before (or, for WM_DESTROY,
  // after) their own handling; set by the owner.
  TElWndMessageEvent OnListWindowMessage;
  TElWndMessageEvent OnEditWindowMessage;

  void Dispatch(TMessage& m) override;

 protected:
  virtual void ListWindowProc(TMessage& m);
  virtual void EditWindowProc(TMessage& m);
  // The width of the item's text followed by "W" on the control's canvas.
  virtual int GetItemWidth(int index);
  virtual void FreeThemeHandle();
  virtual void CreateThemeHandle();

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  enum class Button { Without, With };
  void ParentNotify(TMessage& m);
  void WMPaint(TMessage& m);
  void WMNCPaint(TMessage& m);
  void CNCommand(TMessage& m);
  void MouseEnterLeave(bool inside);
  void HintShow(TMessage& m);

  // The frame and, with Button::With, the drop-down button, on a context
  // whose origin is the window's top-left corner.
  void DrawFrame(HDC dc, Button button);
  bool DrawThemedFrame(HDC dc, Button button, int state);
  void DrawButton(HDC dc, TElFlatBorderType borderType, TColor lineColor);
  void DrawColorLineBorder(HDC dc, const TRect& rect, TColor lineColor);
  TRect ButtonRect() const;
  TElFlatBorderType CurrentBorderType() const;
  bool Hovered() const { return mouseInside_; }
  void RedrawFrame();

  void DrawListScrollbars(bool followTracking);
  void AutoComplete();
  void ApplyExtent();
  void RecomputeWidths();
  void ImageFormChanged(TObject* sender);

  TElFlatBorderType activeBorderType_ = fbtSunken;
  TElFlatBorderType inactiveBorderType_ = fbtSunkenOuter;
  bool flat_ = false;
  bool mouseInside_ = false;
  std::unique_ptr<TCanvas> windowCanvas_;
  int dropDownWidth_ = 0;
  TElImageForm* imageForm_ = nullptr;
  std::unique_ptr<TImgFormChangeLink> imageFormLink_;
  bool autoCompletion_ = false;
  TWindowSubclass listSubclass_;
  TWindowSubclass editSubclass_;
  bool hThumbTracking_ = false;
  bool vThumbTracking_ = false;
  TElThemeHandle theme_;
  bool horizontalScroll_ = false;
  TElFString hint_;
  int widest_ = 0;
  bool btnFlat_ = false;
  bool btnTransparent_ = false;
  bool useXPThemes_ = true;
  bool btnThinFrame_ = true;
  TColor lineBorderActiveColor_ = clBlack;
  TColor lineBorderInactiveColor_ = clBlack;
  bool handleDialogKeys_ = false;
};

// Publishes TElAdvancedComboBox (and the combo box it derives from) for
// form files. Programs list it after FormsUnit.
extern const TUnitInfo ElACtrlsUnit;
