// The HTML label: the class library's label with a UTF-16 caption, drawn as
// plain text or rendered as the HTML subset with clickable links, the hand
// cursor over links, a popup menu for links, word wrap at the label's width
// and auto size to the rendered text. Its UTF-16 hint travels packed in the
// class library's hint.
#pragma once

#include <memory>

#include "ElHandPt.hpp"
#include "ElHintWindow.hpp"
#include "HTMLRender.hpp"
#include "Menus.hpp"
#include "StdCtrls.hpp"

// Where the rendered text (TextWidth x TextHeight) lies in a client area of
// the given size, by vertical layout and alignment.
TRect HTMLLabelTextRect(int clientWidth, int clientHeight, int textWidth, int textHeight, TTextLayout layout,
                        TAlignment alignment);

class TElHTMLLabel : public TCustomLabel {
 public:
  explicit TElHTMLLabel(TComponent* owner);
  ~TElHTMLLabel() override;

  const TElFString& Caption() const { return caption_; }
  void SetCaption(const TElFString& value);
  const TElFString& Hint() const { return hint_; }
  void SetHint(const TElFString& value);
  // The label's own cursor, shown when the mouse is not over a link.
  TCursor Cursor() const { return labelCursor_; }
  virtual void SetCursor(TCursor value);
  bool IsHTML() const { return isHTML_; }
  virtual void SetIsHTML(bool value);
  virtual bool GetWordWrap() const { return TCustomLabel::WordWrap(); }
  bool WordWrap() const { return GetWordWrap(); }
  virtual void SetWordWrap(bool value);
  TColor LinkColor() const { return linkColor_; }
  virtual void SetLinkColor(TColor value);
  TFontStyles LinkStyle() const { return linkStyle_; }
  virtual void SetLinkStyle(TFontStyles value);
  TPopupMenu* LinkPopupMenu() const { return linkPopupMenu_; }
  void SetLinkPopupMenu(TPopupMenu* value);
  TElHTMLRender* Render() const { return render_.get(); }
  // The rectangle the rendered text is painted and hit-tested in.
  TRect TextRect() const;

  void SetAutoSize(bool value) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetName(const std::string& name) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& m) override;

  TElHTMLLinkClickEvent OnLinkClick;
  TElHTMLImageNeededEvent OnImageNeeded;

 protected:
  virtual void TriggerLinkClickEvent(const TElFString& href);
  void Loaded() override;
  void Paint() override;
  void AdjustBounds() override;
  void DoDrawText(RECT& rect, UINT flags) override;
  void Click() override;
  void MouseMove(TShiftState shift, int x, int y) override;

 private:
  void Prepare();
  void Refresh();
  bool LinkAt(POINT clientPoint, TElFString& href) const;
  bool Loading() const;
  void TextChanged();
  void HintShow(THintInfo& info);
  bool LinkContextMenu(TWMContextMenu& m);
  void RenderImageNeeded(TObject* sender, const TElFString& src, TBitmap*& image);

  std::unique_ptr<TElHTMLRender> render_;
  TElFString caption_;
  TElFString hint_;
  TCursor labelCursor_ = crDefault;
  bool isHTML_ = false;
  TColor linkColor_ = 0xFF0000;
  TFontStyles linkStyle_{fsUnderline};
  TPopupMenu* linkPopupMenu_ = nullptr;
};

// Registers TElHTMLLabel's published properties for form files; list it
// after FormsUnit.
extern const TUnitInfo ElHTMLLblUnit;
