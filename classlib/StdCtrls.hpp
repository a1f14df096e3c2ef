// Standard controls: the label and the memo.
#pragma once

#include <memory>
#include <string>

#include "Controls.hpp"

// Whether the character is the accelerator ("&x") of the caption.
bool IsAccel(char key, const std::string& caption);

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarKind { sbHorizontal, sbVertical };

// A text label without a window. Paints its Caption with DrawText: alignment,
// vertical layout, word wrap, accelerator underline ("&"), embossed when
// disabled; sizes itself to the text when AutoSize is on.
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* owner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  // Transparent labels let the parent show through (no csOpaque).
  bool Transparent() const { return !controlStyle_.Contains(csOpaque); }
  void SetTransparent(bool v);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* v);
  void SetAutoSize(bool value) override;
  void Notification(TComponent* component, TOperation operation) override;

  void Dispatch(TMessage& m) override;

 protected:
  virtual std::string GetLabelText() const { return GetText(); }
  // Draws (or, with DT_CALCRECT, measures) the text into rect.
  virtual void DoDrawText(RECT& rect, UINT flags);
  void Paint() override;
  virtual void AdjustBounds();
  void Loaded() override;
  UINT TextFlags() const;

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// A multi-line edit box. Its lines live in Lines, so a memo that never gets a
// window (a text carrier on a hidden form) still holds its text; with a
// window the two are kept in step.
class TCustomMemo : public TWinControl {
 public:
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;

  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* v) { lines_->Assign(v); }
  std::string GetText() const override;
  void SetText(const std::string& value) override;
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);

  void Dispatch(TMessage& m) override;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  virtual void Change() { OnChange(this); }

 private:
  void LinesChanged(TObject* sender);
  std::unique_ptr<TStringList> lines_;
  bool readOnly_ = false;
  bool wordWrap_ = true;
  TScrollStyle scrollBars_ = ssNone;
  TAlignment alignment_ = taLeftJustify;
  int maxLength_ = 0;
  bool syncing_ = false;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};
