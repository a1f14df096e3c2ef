// Controls: the visual control classes. TControl has bounds, a parent and the
// message routing (WindowProc -> WndProc -> Dispatch -> DefaultHandler) with
// or without a window; TWinControl owns an ANSI window and its children;
// TGraphicControl paints on its parent's device context; TCustomControl
// paints its own window through a canvas.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Classes.hpp"
#include "Graphics.hpp"
#include "Messages.hpp"
#include "WinApi.hpp"

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TDragObject;
class TDragImageList;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
  csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
  csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector, csActionClient,
  csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
  csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge>;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
// Whether a left press starts a drag of the control by itself.
enum TDragMode { dmManual, dmAutomatic };
// What a drag does to a target under it.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, Word&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;
using TMouseWheelEvent = TEvent<TObject*, TShiftState, int, POINT, bool&>;
using TMouseWheelUpDownEvent = TEvent<TObject*, TShiftState, POINT, bool&>;
// Drag events: the source is the dragged control when the library made the
// drag object for it, else the drag object itself; the target of an end of
// drag is nullptr when the drag was cancelled or refused.
using TStartDragEvent = TEvent<TObject*, TDragObject*&>;
using TDragOverEvent = TEvent<TObject*, TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, int, int>;
using TEndDragEvent = TEvent<TObject*, TObject*, int, int>;
using TContextPopupEvent = TEvent<TObject*, POINT, bool&>;
// A replaceable window procedure: the object plus its method (window
// procedure hooks swap and restore it).
using TWndMethod = TEvent<TMessage&>;

// Shift state from the key flags of a mouse message / the keyboard.
TShiftState KeysToShiftState(Word keys);
TShiftState KeyDataToShiftState(LPARAM keyData);
TShiftState KeyboardStateToShiftState();

// Minimum and maximum sizes applied by SetBounds; 0 means no limit.
class TSizeConstraints : public TPersistent {
 public:
  explicit TSizeConstraints(class TControl* control) : control_(control) {}
  int MaxHeight() const { return maxHeight_; }
  int MaxWidth() const { return maxWidth_; }
  int MinHeight() const { return minHeight_; }
  int MinWidth() const { return minWidth_; }
  void SetMaxHeight(int v);
  void SetMaxWidth(int v);
  void SetMinHeight(int v);
  void SetMinWidth(int v);
  void Assign(TPersistent* source) override;
  TNotifyEvent OnChange;

 private:
  void Change();
  class TControl* control_;
  int maxHeight_ = 0, maxWidth_ = 0, minHeight_ = 0, minWidth_ = 0;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  void BeforeDestruction() override;

  // Parent.
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  TCustomForm* GetParentForm() const;

  // Geometry; all of it exists without a window.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  void SetBoundsRect(const RECT& r) { SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); }
  virtual RECT ClientRect() const;
  int ClientWidth() const { RECT r = ClientRect(); return r.right - r.left; }
  int ClientHeight() const { RECT r = ClientRect(); return r.bottom - r.top; }
  virtual void SetClientSize(int width, int height);
  void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
  void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
  // Screen position of the client area's origin.
  virtual POINT ClientOrigin() const;
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;

  // Layout.
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool value);

  // Appearance and state.
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode value) { dragMode_ = value; }
  // The cursor over a target that accepts a drag of this control.
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value) { dragCursor_ = value; }
  TBiDiMode BiDiMode() const { return bdLeftToRight; }
  // Flags for DrawText: this library always draws left to right.
  UINT DrawTextBiDiModeFlags(UINT flags) const { return flags; }
  bool IsRightToLeft() const { return false; }

  // Text. Caption and Text are the same property; SetText sends
  // CM_TEXTCHANGED only when the text changes.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& value) { SetText(value); }
  std::string Text() const { return GetText(); }
  void SetTextProp(const std::string& value) { SetText(value); }
  virtual std::string GetText() const;
  virtual void SetText(const std::string& value);
  void SetName(const std::string& name) override;

  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle v) { controlStyle_ = v; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState v) { controlState_ = v; }

  // Messages. Perform runs a message through WindowProc and returns Result.
  LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& message);
  // Calls the handler for the message number, else DefaultHandler. Derived
  // classes override it with a switch over their numbers and end with the
  // base class's Dispatch; calling Base::Dispatch from a handler is the
  // library's "inherited" for that message.
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  // Painting.
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  virtual bool Showing() const;
  virtual bool HasParent() const { return parent_ != nullptr; }

  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  virtual void SetZOrder(bool topMost);

  bool MouseCapture() const;
  void SetMouseCapture(bool value);
  void SendCancelMode(TControl* sender);
  bool IsControlAt(POINT clientPt) const;
  // Whether the point in the control's coordinates is inside it; graphic
  // controls with shapes may override.
  virtual bool HitTest(int x, int y) const;
  virtual void Click();
  virtual void DblClick();

  // Drag and drop. BeginDrag returns at once; the drag goes on while the
  // program handles its messages. Not immediate, it starts once the pressed
  // mouse has moved Threshold pixels (Mouse->DragThreshold when negative),
  // and a release before that is an ordinary click.
  void BeginDrag(bool immediate, int threshold = -1);
  // Drops where the target accepts, else ends without a target.
  void EndDrag(bool drop);
  bool Dragging() const;
  // Fires OnDragDrop.
  virtual void DragDrop(TObject* source, int x, int y);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

 protected:
  friend class TWinControl;
  friend class TApplication;
  friend class TSizeConstraints;
  friend class TDragControlObject;
  friend class TDragLoop;

  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void Resize();
  virtual void DoContextPopup(POINT pos, bool& handled);
  virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, POINT mousePos);
  // One whole notch of the wheel towards or away from the user.
  virtual bool DoMouseWheelDown(TShiftState shift, POINT mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, POINT mousePos);
  // Fires OnStartDrag, which may supply the drag object.
  virtual void DoStartDrag(TDragObject*& dragObject);
  // Fires OnDragOver; without a handler the control refuses the drag.
  virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
  // Fires OnEndDrag; no target when the drag was cancelled or refused.
  virtual void DoEndDrag(TObject* target, int x, int y);
  // The images that follow the cursor while this control is dragged.
  virtual TDragImageList* GetDragImages() { return nullptr; }
  virtual void Changed() {}
  virtual bool CanAutoSize(int& newWidth, int& newHeight);
  virtual void AdjustSize();
  virtual void ConstrainedResize(int& /*minW*/, int& /*minH*/, int& /*maxW*/, int& /*maxH*/) {}
  virtual void Loaded() override;
  virtual void VisibleChanging() {}
  virtual void RequestAlign();
  virtual void UpdateBoundsRect(const RECT& r);
  virtual void SetParentComponent(TWinControl* parent) { SetParent(parent); }
  // Called when the anchors' reference should be taken from the current
  // bounds and the parent's client size.
  void UpdateAnchorRules();
  void ApplyConstraints(int& width, int& height) const;
  void DoAutoSize();
  void FontChanged(TObject* sender);

  // Message handlers of every control.
  void WMMouseMove(TWMMouse& m);
  void WMButtonDown(TWMMouse& m, TMouseButton button, bool dbl);
  void WMButtonUp(TWMMouse& m, TMouseButton button);
  void CMEnabledChanged(TMessage& m);
  void CMFontChanged(TMessage& m);
  void CMColorChanged(TMessage& m);
  void CMParentFontChanged(TMessage& m);
  void CMParentColorChanged(TMessage& m);
  void CMParentShowHintChanged(TMessage& m);
  void CMVisibleChanged(TMessage& m);
  void CMTextChanged(TMessage&) {}
  void CMCursorChanged(TMessage& m);
  void CMHitTest(TMessage& m);
  void CMDrag(TMessage& m);
  void WMCancelMode(TMessage& m);
  void WMContextMenu(TWMContextMenu& m);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  // The bounds and the parent's client size the anchors are measured from.
  RECT anchorBounds_{};
  SIZE anchorParentSize_{};
  bool anchorsValid_ = false;
  std::unique_ptr<TSizeConstraints> constraints_;
  bool autoSize_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_;
  bool parentColor_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TCursor cursor_ = crDefault;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TPopupMenu* popupMenu_ = nullptr;
  TDragMode dragMode_ = dmManual;
  TCursor dragCursor_ = crDrag;
  std::string text_;
  TControlStyle controlStyle_;
  TControlState controlState_;
  bool updatingBounds_ = false;
  bool anchorMove_ = false;
  bool autoSizing_ = false;
};

using TControlClass = TClass;

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // The window, created on demand.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  void RecreateWnd();
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND wnd);
  // Finds the control owning a window created by this library.
  static TWinControl* FindControl(HWND wnd);

  // Children, graphic ones included, in z-order (bottom first).
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_[index]; }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(TControl* control) const;
  TControl* ControlAtPos(POINT pos, bool allowDisabled, bool allowWinControls = false) const;
  void Broadcast(TMessage& message);
  // Broadcast through every level of children until one answers.
  void BroadcastDeep(TMessage& message);
  void NotifyControls(UINT msg);
  void Realign();
  void DisableAlign() { ++alignLevel_; }
  void EnableAlign();
  bool AlignDisabled() const { return alignLevel_ > 0; }
  // Paints the background and the graphic children of this control that
  // lie under the given control into the DC, the control's origin mapped to
  // (x, y) of the DC. Controls that draw their parent behind them fetch
  // their background this way.
  void PaintControlsBackground(HDC dc, TControl* child);
  void PaintTo(HDC dc, int x, int y);

  // Focus and tab order.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  int TabOrder() const;
  void SetTabOrder(int value);
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  virtual bool CanFocus() const;
  virtual void SetFocus();
  virtual bool Focused() const;
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                               bool checkParent) const;
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

  // Frame.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool v);
  TBevelEdges BevelEdges() const { return bevelEdges_; }
  void SetBevelEdges(TBevelEdges v);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut v);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v);
  TBevelKind BevelKind() const { return bevelKind_; }
  void SetBevelKind(TBevelKind v);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int v);
  bool DoubleBuffered() const { return doubleBuffered_; }
  // The control's own brush in its Color, which it answers CN_CTLCOLOR*
  // with: a brush shared between controls would be recoloured (and its
  // handle deleted) by the next control that answers.
  TBrush* Brush();
  void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

  RECT ClientRect() const override;
  POINT ClientOrigin() const override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* parent) override;
  std::string GetText() const override;
  void SetText(const std::string& value) override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void SetZOrder(bool topMost) override;
  // Whether the window is shown on the screen: created, visible, and its
  // parents too.
  bool Showing() const override;

  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseWheelEvent OnMouseWheel;

 protected:
  friend class TControl;
  friend class TApplication;
  friend class TCustomForm;

  // The window's class and styles. WinClassName defaults to the class name.
  struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSA WindowClass{};
    std::string WinClassName;
  };
  virtual void CreateParams(TCreateParams& params);
  // Makes the class a copy of a system class (EDIT, BUTTON...) whose window
  // procedure becomes the default handler.
  void CreateSubClass(TCreateParams& params, const char* controlClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  virtual void CreateHandle();
  void DestroyHandle();
  virtual void AlignControls(TControl* control, RECT& rect);
  virtual void AdjustClientRect(RECT& /*rect*/) {}
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  virtual void PaintWindow(HDC dc);
  void PaintHandler(TWMPaint& m);
  void PaintControls(HDC dc, TControl* first);
  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyUp(Word& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  virtual bool DoKeyDown(TWMKey& m);
  virtual void UpdateShowing();
  void UpdateControlState();
  void UpdateBounds();
  void AdjustSize() override;
  void RequestAlign() override;
  void Loaded() override;
  // The room the border width and the bevels take on each side of the
  // client area; sizing, non-client calculation and painting all use it.
  RECT FrameEdges() const;

  // Message handlers.
  void WMPaint(TWMPaint& m);
  void WMEraseBkgnd(TWMEraseBkgnd& m);
  void WMSize(TWMSize& m);
  void WMMove(TWMMove& m);
  void WMWindowPosChanged(TWMWindowPosChanged& m);
  void WMSetCursor(TWMSetCursor& m);
  void WMSetFocus(TWMSetFocus& m);
  void WMKillFocus(TWMKillFocus& m);
  void WMKeyDown(TWMKey& m);
  void WMKeyUp(TWMKey& m);
  void WMChar(TWMKey& m);
  void WMMouseWheel(TWMMouseWheel& m);
  void WMNCCalcSize(TWMNCCalcSize& m);
  void WMNCPaint(TMessage& m);
  void WMCommandLike(TMessage& m);
  void WMSysColorChange(TMessage& m);
  void WMSysCommand(TMessage& m);
  void WMNCDestroy(TMessage& m);
  void CMEnter(TMessage&) { DoEnter(); }
  void CMExit(TMessage&) { DoExit(); }
  void CMRecreateWnd(TMessage& m);
  void CMParentCtl3DChanged(TMessage& m);
  void WMContextMenu(TWMContextMenu& m);
  // Puts a new window between its windowed siblings as the controls list
  // orders them.
  void PlaceInSiblingOrder();
  void CMShowingChanged(TMessage& m);
  void CMMouseWheel(TMessage& m);
  void CMFindDragTarget(TMessage& m);
  bool MouseWheelHandled(TMessage& m);
  // Whole notches of the wheel, the rest of a turn kept for the next one.
  bool DoMouseWheelNotches(TShiftState shift, int wheelDelta, POINT mousePos);
  bool IsControlMouseMsg(TWMMouse& m);

  static LRESULT CALLBACK InitWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT MainWndProc(UINT msg, WPARAM wp, LPARAM lp);

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  // Children in z-order (bottom first), and the windowed ones in tab order.
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  bool tabStop_ = false;
  int alignLevel_ = 0;
  bool alignPending_ = false;
  int borderWidth_ = 0;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  TBevelEdges bevelEdges_{beLeft, beTop, beRight, beBottom};
  TBevelCut bevelInner_ = bvRaised;
  TBevelCut bevelOuter_ = bvLowered;
  TBevelKind bevelKind_ = bkNone;
  int bevelWidth_ = 1;
  bool doubleBuffered_ = false;
  std::unique_ptr<TBrush> brush_;
  bool recreating_ = false;
  bool reparenting_ = false;
  int wheelAccumulator_ = 0;
};

// A canvas on a control's device context. Painting binds the paint context
// to it (TCanvasBinding). Outside painting the canvas takes a context on
// demand, so that Canvas()->TextWidth(...) works anywhere: the window's for a
// windowed control, the parent's moved to the control's origin and clipped to
// it for a graphic one, and a memory context compatible with the screen
// (good for measuring; drawing there is lost) while there is no window.
// Such a context is given back when the outermost window message has been
// handled, when the application goes idle, when its window is destroyed, and
// when more than a few are held at once: a handle read from the canvas is
// good only until then.
class TControlCanvas : public TCanvas {
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* control);
  // Gives back a context taken on demand; a bound paint context stays.
  void FreeHandle();
  bool OwnsHandle() const { return ownDC_ != nullptr; }
  // Gives back every context taken on demand, or those on one window.
  static void FreeAllHandles();
  static void FreeHandlesOf(HWND wnd);

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC ownDC_ = nullptr;
  HWND ownWnd_ = nullptr;
};

// Binds a canvas to a device context for one paint or measurement and puts
// back what it had however the scope ends. A control canvas first gives back
// a context it took on demand.
class TCanvasBinding {
 public:
  TCanvasBinding(TCanvas* canvas, HDC dc);
  ~TCanvasBinding();
  TCanvasBinding(const TCanvasBinding&) = delete;
  TCanvasBinding& operator=(const TCanvasBinding&) = delete;

 private:
  TCanvas* canvas_;
  HDC previous_;
};

// A control without a window: paints on the parent's DC, gets its mouse
// messages from the parent.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  void Dispatch(TMessage& message) override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void WMPaint(TWMPaint& m);
  std::unique_ptr<TControlCanvas> canvas_;
};

// A windowed control that paints itself on Canvas in Paint.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  void Dispatch(TMessage& message) override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  std::unique_ptr<TControlCanvas> canvas_;
};

// The mouse: capture and position.
class TMouse {
 public:
  HWND Capture() const { return GetCapture(); }
  void SetCapture(HWND wnd);
  POINT CursorPos() const;
  void SetCursorPos(POINT p);
  bool MousePresent() const { return GetSystemMetrics(SM_MOUSEPRESENT) != 0; }
  bool WheelPresent() const { return GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0; }
  int WheelScrollLines() const;
  // How far a pressed mouse moves before a drag that waits for it starts,
  // and whether an automatic drag starts at the press itself.
  int DragThreshold() const { return dragThreshold_; }
  void SetDragThreshold(int value) { dragThreshold_ = value; }
  bool DragImmediate() const { return dragImmediate_; }
  void SetDragImmediate(bool value) { dragImmediate_ = value; }

 private:
  int dragThreshold_ = 5;
  bool dragImmediate_ = true;
};
extern TMouse* Mouse;

// The control holding the mouse capture (graphic ones included), if any.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The innermost control of this library under a screen point.
TControl* FindDragTarget(POINT pos, bool allowDisabled);
TControl* FindControl(HWND wnd);
TControl* FindVCLWindow(POINT pos);

// Drawing of the bevel edges into a window's non-client area; the edge and
// flag tables, for controls that draw bevels of their own alike.
extern const UINT BevelInnerStyles[4];   // by TBevelCut
extern const UINT BevelOuterStyles[4];   // by TBevelCut
extern const UINT BevelKindStyles[4];    // by TBevelKind
extern const UINT Ctl3DStyles[2];        // by Ctl3D
// BF_LEFT/TOP/RIGHT/BOTTOM for the edges.
inline UINT BevelEdgeFlags(TBevelEdges edges) { return static_cast<UINT>(edges.Bits() & 15); }

// Installed by the application: where an exception caught in a window
// procedure or a timer goes.
void HandleCallbackException(TObject* sender);
