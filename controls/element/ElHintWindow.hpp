// The hint window of the library's controls: a UTF-16 text shown plain
// (optionally word-wrapped) or as the HTML subset, with clickable links and
// images asked for through an event.
#pragma once

#include <memory>

#include "ElStrUtils.hpp"
#include "ElVCLUtils.hpp"
#include "Forms.hpp"
#include "HTMLRender.hpp"

using TElHTMLLinkClickEvent = TEvent<TObject*, const TElFString&>;

// Keeps a hint rectangle on the desktop: moved up when it reaches below the
// desktop's height, left when it reaches past its width, and right again
// when it starts left of the desktop's left edge.
TRect KeepHintOnDesktop(const TRect& rect, int desktopLeft, int desktopWidth, int desktopHeight);

class TElHintWindow : public THintWindow {
 public:
  explicit TElHintWindow(TComponent* owner);
  ~TElHintWindow() override;

  const TElFString& WideCaption() const { return wideCaption_; }
  void SetWideCaption(const TElFString& value);
  bool IsHTML() const { return isHTML_; }
  void SetIsHTML(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  TElHTMLRender* Render() const { return render_.get(); }

  // The size the text needs: laid out once as HTML, or measured as plain
  // text within MaxWidth; 6 pixels wider and 2 higher than the text.
  virtual TRect CalcHintRectW(int maxWidth, const TElFString& text);
  RECT CalcHintRect(int maxWidth, const std::string& hint, void* data) override;
  // Shows the text topmost without activation in the rectangle (4 pixels
  // higher), kept on the desktop.
  virtual void ActivateHintW(TRect rect, const TElFString& text);
  // An 8-bit hint (the part before a zero byte) shown the same way.
  void ActivateHint(RECT rect, const std::string& hint) override;

  void Dispatch(TMessage& m) override;

  TElHTMLLinkClickEvent OnLinkClick;
  TElHTMLImageNeededEvent OnImageNeeded;

 protected:
  virtual void TriggerLinkClickEvent(const TElFString& href);
  virtual void TriggerImageNeededEvent(const TElFString& src, TBitmap*& image);
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void SetUpRender();
  // The area links are hit-tested in, and the point made relative to it.
  bool LinkAt(int x, int y, TElFString& href);
  void FitToCaption();
  void RenderImageNeeded(TObject* sender, const TElFString& src, TBitmap*& image);
  UINT PlainTextFlags() const;

  TElFString wideCaption_;
  std::unique_ptr<TElHTMLRender> render_;
  bool isHTML_ = false;
  bool wordWrap_ = false;
  bool activating_ = false;
};

// Registers TElHintWindow's published properties for form files.
extern const TUnitInfo ElHintWindowUnit;
