// The base of the library's owner-painted controls that can draw through the
// visual styles: one theme handle per window, opened after the window is
// created, closed after it is destroyed and reopened on system theme
// changes; and the themed non-client border.
#pragma once

#include "Controls.hpp"
#include "ElStrUtils.hpp"
#include "ElUxTheme.hpp"

// The client rectangle of a window in its window coordinates (the
// non-client area's), for drawing frames around it.
RECT ClientRectInWindow(HWND wnd);

class TElXPThemedControl : public TCustomControl {
 public:
  explicit TElXPThemedControl(TComponent* owner);

  bool UseXPThemes() const { return useXPThemes_; }
  virtual void SetUseXPThemes(bool value);
  HTHEME Theme() const { return theme_.Get(); }
  bool IsThemeApplied() const { return useXPThemes_ && theme_; }

  void Dispatch(TMessage& m) override;

 protected:
  // The theme class list of the control ("SCROLLBAR", "EDIT"...).
  virtual void GetThemedClassName(TElFString& name) = 0;
  virtual void FreeThemeHandle();
  virtual void CreateThemeHandle();
  void CreateWnd() override;
  // Closes the theme whenever one is open, also when UseXPThemes was
  // switched off while the control was being destroyed.
  void DestroyWnd() override;

  void WMNCPaint(TMessage& m);
  void WMThemeChanged(TMessage& m);

 private:
  bool useXPThemes_ = true;
  TElThemeHandle theme_;
};
