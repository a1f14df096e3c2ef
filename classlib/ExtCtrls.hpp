// Extra controls: the image, the shape and the timer.
#pragma once

#include <memory>

#include "Controls.hpp"

// Shows a picture at its origin (or centred, or stretched). Also serves as a
// hidden picture carrier.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* v) { picture_->Assign(v); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  void SetAutoSize(bool value) override;
  RECT DestRect() const;

 protected:
  void Paint() override;
  bool CanAutoSize(int& newWidth, int& newHeight) override;

 private:
  void PictureChanged(TObject* sender);
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool transparent_ = false;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// A geometric shape drawn with its own pen and brush.
class TShape : public TGraphicControl {
 public:
  explicit TShape(TComponent* owner);
  ~TShape() override;

  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType v);
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* v) { pen_->Assign(v); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* v) { brush_->Assign(v); }

 protected:
  void Paint() override;

 private:
  void StyleChanged(TObject*) { Invalidate(); }
  TShapeType shape_ = stRectangle;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
};

// Fires OnTimer in the main thread every Interval milliseconds while it is
// enabled with a positive interval and a handler; a change of any of the
// three, the handler included, restarts the count.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  // The handler, used like any event field; assigning it (re)starts or stops
  // the timer, as setting Enabled or Interval does.
  class TTimerEvent {
   public:
    explicit TTimerEvent(TTimer* timer) : timer_(timer) {}
    TTimerEvent(const TTimerEvent&) = delete;
    TTimerEvent& operator=(const TNotifyEvent& handler) {
      handler_ = handler;
      timer_->UpdateTimer();
      return *this;
    }
    TTimerEvent& operator=(const TTimerEvent& other) { return *this = other.handler_; }
    operator const TNotifyEvent&() const { return handler_; }
    void operator()(TObject* sender) const { handler_(sender); }
    bool Assigned() const { return handler_.Assigned(); }
    explicit operator bool() const { return Assigned(); }
    friend bool operator==(const TTimerEvent& a, const TNotifyEvent& b) { return a.handler_ == b; }

   private:
    TTimer* timer_;
    TNotifyEvent handler_;
  };

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  Cardinal Interval() const { return interval_; }
  void SetInterval(Cardinal v);
  void SetOnTimer(const TNotifyEvent& v) { OnTimer = v; }
  const TNotifyEvent& GetOnTimer() const { return OnTimer; }
  bool Running() const { return running_; }

  TTimerEvent OnTimer{this};

 protected:
  virtual void Timer() { OnTimer(this); }
  void Loaded() override;

 private:
  void UpdateTimer();
  void WndProc(TMessage& m);
  HWND window_ = nullptr;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
  bool running_ = false;
};
