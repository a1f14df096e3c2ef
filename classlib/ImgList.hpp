// Image lists over the common controls' image lists, and the change links
// through which their users learn about changes.
#pragma once

#include <vector>

#include "Classes.hpp"
#include "Graphics.hpp"

#include <commctrl.h>

class TCustomImageList;

// Registered with an image list (RegisterChanges), a link hears of every
// change through Change. A destroyed link unregisters itself.
class TChangeLink : public TObject {
 public:
  TChangeLink() = default;
  ~TChangeLink() override;

  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* sender) { sender_ = sender; }
  // Fires OnChange with the image list as Sender.
  virtual void Change();

  TNotifyEvent OnChange;

 private:
  TCustomImageList* sender_ = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* owner);
  // Makes an empty list of images of the size.
  TCustomImageList(TComponent* owner, int width, int height);
  ~TCustomImageList() override;
  void Assign(TPersistent* source) override;

  HIMAGELIST Handle() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // A new size empties the list.
  void SetWidth(int width);
  void SetHeight(int height);
  int Count() const;
  // The colour behind the images; clNone draws them transparently.
  TColor BkColor() const;
  void SetBkColor(TColor color);
  // Mixed in by the focus and selected drawing styles; clNone mixes in the
  // system highlight colour.
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor color) { blendColor_ = color; }
  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle style);
  TImageType ImageType() const { return imageType_; }
  void SetImageType(TImageType type);
  bool Masked() const { return masked_; }
  // A change recreates the (empty) list.
  void SetMasked(bool value);

  // Adds the image, cut in images of Width from the left; the mask may be
  // nullptr. Returns the index of the first new image.
  int Add(TBitmap* image, TBitmap* mask);
  // Adds the image with the pixels of the colour as the transparent part;
  // the image itself is not changed.
  int AddMasked(TBitmap* image, TColor maskColor);
  void Clear();
  void Delete(int index);

  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  // The same with a style and image type for this one call: DrawingStyle
  // and ImageType stay as they are, so no change link hears of it.
  void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
            bool enabled = true);
  // Makes the image one of the four overlays (0..3).
  bool Overlay(int imageIndex, int overlay);
  void DrawOverlay(TCanvas* canvas, int x, int y, int imageIndex, int overlay, bool enabled = true);

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);

  TNotifyEvent OnChange;

 protected:
  // Tells every link, then OnChange.
  virtual void Change();
  virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled);

 private:
  void CreateImageList();
  void DestroyImageList();
  static UINT DrawStyleFlags(TDrawingStyle style, TImageType type);
  void DrawDisabled(int index, TCanvas* canvas, int x, int y);

  HIMAGELIST handle_ = nullptr;
  int width_ = 16;
  int height_ = 16;
  TColor blendColor_ = clNone;
  TDrawingStyle drawingStyle_ = dsNormal;
  TImageType imageType_ = itImage;
  bool masked_ = true;
  std::vector<TChangeLink*> clients_;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};

// An image list whose image follows the cursor during a drag, through the
// system's image-list drag functions: one image, with the point in it that
// sits under the cursor (the hot spot). One list at a time shows its image.
class TDragImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
  ~TDragImageList() override;

  // Chooses the dragged image and its hot spot; false for a bad index.
  bool SetDragImage(int index, int hotSpotX, int hotSpotY);
  int DragIndex() const { return dragIndex_; }
  POINT DragHotspot() const { return hotspot_; }
  void SetDragHotspot(POINT hotspot) { hotspot_ = hotspot; }

  // Shows the image over the window (the desktop: the whole screen) with the
  // hot spot at the point, in the window's coordinates; ends the drag of
  // another list first.
  bool BeginDrag(HWND window, int x, int y);
  bool DragMove(int x, int y);
  void EndDrag();
  bool Dragging() const { return dragging_; }
  // Around painting under the image, which must not be painted over.
  void HideDragImage();
  void ShowDragImage();

  // The list whose image shows now, and an end to it.
  static TDragImageList* CurrentDrag();
  static void EndCurrentDrag();

 private:
  int dragIndex_ = 0;
  POINT hotspot_{};
  bool dragging_ = false;
  HWND dragWindow_ = nullptr;
};
