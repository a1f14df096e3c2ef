// A shared background for a form (or one control): the image form paints the
// control's background itself through a window-procedure hook, lets the
// library's controls lying on it paint the part under them, tells them of
// changes through change links, can shape the window after a picture and lets
// the user move the window by dragging its background or a caption control.
#pragma once

#include <memory>
#include <vector>

#include "Controls.hpp"
#include "ElExtBkgnd.hpp"
#include "ElHook.hpp"
#include "ElList.hpp"
#include "ExtCtrls.hpp"
#include "ImgList.hpp"

// The library's private messages around shared backgrounds.
// Broadcast to the children when the background moved or was resized.
constexpr UINT EL_BACKGROUND_MOVED = 7413;
// Asked of the control before its background is painted: non-zero means the
// control paints its own.
constexpr UINT EL_OWN_BACKGROUND = 7415;
// lParam: a TRect* the control may widen to the full area its background
// must cover.
constexpr UINT EL_BACKGROUND_RECT = 2350;

class TCustomElImageForm;

// Registered with an image form, a link hears of every change of its
// picture, shape or type. A destroyed link unregisters itself.
class TImgFormChangeLink : public TChangeLink {
 public:
  ~TImgFormChangeLink() override;
  TCustomElImageForm* Form() const { return form_; }
  void SetForm(TCustomElImageForm* form) { form_ = form; }
  // Fires OnChange with the image form as Sender.
  void Change() override;

 private:
  TCustomElImageForm* form_ = nullptr;
};

class TCustomElImageForm : public TComponent {
 public:
  explicit TCustomElImageForm(TComponent* owner);
  ~TCustomElImageForm() override;
  void BeforeDestruction() override;

  TGraphicControl* CaptionControl() const { return captionControl_; }
  void SetCaptionControl(TGraphicControl* value);
  bool ChangeFormRegion() const { return changeFormRegion_; }
  void SetChangeFormRegion(bool value);
  TBitmap* Background() const { return background_.get(); }
  void SetBackground(TBitmap* value);
  TImage* FormImage() const { return formImage_; }
  void SetFormImage(TImage* value);
  bool MoveForm() const { return moveForm_; }
  void SetMoveForm(bool value) { moveForm_ = value; }
  TElBkGndType BackgroundType() const { return backgroundType_; }
  void SetBackgroundType(TElBkGndType value);
  int GradientSteps() const { return gradientSteps_; }
  void SetGradientSteps(int value);
  TColor GradientStartColor() const { return gradientStartColor_; }
  void SetGradientStartColor(TColor value);
  TColor GradientEndColor() const { return gradientEndColor_; }
  void SetGradientEndColor(TColor value);
  TWinControl* Control() const { return control_; }
  void SetControl(TWinControl* value);
  TColor TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(TColor value);

  // Control when set, else the owner (when it is a windowed control).
  TWinControl* GetRealControl() const;
  // Paints the part of the background under R of the real control's client
  // area, R lying at Origin of it (controls on the form pass their offset).
  void PaintBkgnd(HDC dc, const TRect& r, bool extended, TPoint origin);

  void RegisterChanges(TImgFormChangeLink* link);
  void UnregisterChanges(TImgFormChangeLink* link);
  // The window region made from FormImage; nullptr when none is set.
  HRGN Region() const { return region_; }

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool InDesignMode() const;
  void NotifyLinks();
  void Repaint();
  void InstallHook();
  void RemoveHook();
  void BuildRegion();
  void RemoveRegion();
  void BuildStretchedCopy();
  void BackgroundChanged(TObject* sender);
  void PictureChanged(TObject* sender);
  TBitmap* FormImageBitmap() const;
  void PaintBitmapKind(HDC dc, const TRect& r, bool extended, TPoint origin, const TRect& full, TColor color);

  // The hook's handlers.
  void BeforeControlMessage(TObject* sender, TMessage& msg, bool& handled);
  void AfterControlMessage(TObject* sender, TMessage& msg, bool& handled);
  void EraseBackground(TMessage& msg, bool& handled);
  void HitTest(TMessage& msg);
  void NonClientButton(TMessage& msg);

  TGraphicControl* captionControl_ = nullptr;
  bool changeFormRegion_ = false;
  std::unique_ptr<TBitmap> background_;
  TImage* formImage_ = nullptr;
  bool moveForm_ = false;
  TElHook* hook_ = nullptr;
  TNotifyEvent chainedPictureChange_;
  HRGN region_ = nullptr;
  TElBkGndType backgroundType_ = bgtColorFill;
  int gradientSteps_ = 16;
  TColor gradientStartColor_ = clBlack;
  TColor gradientEndColor_ = clBlack;
  bool sizing_ = false;
  std::unique_ptr<TElList> links_;
  std::unique_ptr<TBitmap> stretched_;
  TWinControl* control_ = nullptr;
  TColor transparentColor_ = clNone;
};

class TElImageForm : public TCustomElImageForm {
 public:
  explicit TElImageForm(TComponent* owner) : TCustomElImageForm(owner) {}
};

// Moves a control's change link from the image form it follows (`current`)
// to `value`, either of them null: the old form forgets the link and no
// longer tells the control of its end, the new one takes both. False when
// `value` is already the form followed.
bool FollowImageForm(TComponent* control, TElImageForm*& current, TElImageForm* value,
                     TImgFormChangeLink* link);

// For every row of a picture (pixels row by row, top row first), every
// maximal run of pixels whose colour differs from the transparent colour, as
// a rectangle one pixel high.
std::vector<TRect> OpaqueRuns(const std::vector<TColor>& pixels, int width, int height, TColor transparent);
// The pixels of a bitmap as RGB colours, row by row.
std::vector<TColor> BitmapPixels(TBitmap* bitmap);

// Registers TElImageForm's published properties for form files.
extern const TUnitInfo ElImgFrmUnit;
