// Forms, the application object, the screen and hints.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "Controls.hpp"

class TApplication;
class TScreen;
class THintWindow;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// The border of a control: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;

class TCustomForm : public TWinControl {
 public:
  // Constructs the form without reading anything: a C++ constructor cannot
  // know the most derived class yet. TObject::Create<T>(owner) and
  // Application->CreateForm construct and then call AfterConstruction, which
  // reads the form resources of the class and its base form classes (the
  // base's first) and then runs DoCreate (OnCreate). Work that needs the
  // form's content belongs in an override of DoCreate.
  explicit TCustomForm(TComponent* owner);
  // A form without a form resource (CreateNew).
  TCustomForm(TComponent* owner, int dummy);
  ~TCustomForm() override;
  void BeforeDestruction() override;
  void AfterConstruction() override;
  // Reads the form resources once; false when the class has none.
  void ReadFormResource();

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle v);
  bool Scaled() const { return scaled_; }
  void SetScaled(bool v) { scaled_ = v; }
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState v);
  int TextHeight() const { return textHeight_; }
  void SetTextHeight(int v) { textHeight_ = v; }
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}

  RECT ClientRect() const override;
  void SetClientSize(int width, int height) override;
  POINT ClientOrigin() const override;

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  TWinControl* FocusedControl() const { return focusedControl_; }
  // Called when a control of the form gets the focus: CM_EXIT to the controls
  // left, CM_ENTER to the ones entered. False when a handler moved the focus
  // elsewhere meanwhile.
  bool SetFocusedControl(TWinControl* control);
  void FocusControl(TWinControl* control);
  void DefocusControl(TWinControl* control, bool removing);
  void SendCancelMode(TControl* sender);
  bool Active() const { return active_; }

  void Show();
  void Hide() { SetVisible(false); }
  void Close();
  bool CloseQuery();
  // Frees the form once the message loop gets to it again, after the
  // handler that called Release has returned.
  void Release();
  void SetFocus() override;
  bool CanFocus() const override { return visible_ && enabled_; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Dispatch(TMessage& m) override;
  void UpdateShowing() override;
  virtual void DoShow() { OnShow(this); }
  virtual void DoHide() { OnHide(this); }
  virtual void DoClose(TCloseAction& action) { OnClose(this, action); }
  virtual void DoCreate() { OnCreate(this); }
  virtual void Activate() { OnActivate(this); }
  virtual void Deactivate() { OnDeactivate(this); }
  void ApplyPosition();
  RECT FrameInsets() const;
  void CreateParamsNoHandle(TCreateParams& p);

  void WMClose(TMessage& m);
  void WMActivate(TMessage& m);
  void CMRelease(TMessage& m);
  void CMAppSysCommand(TMessage& m);
  void WMGetMinMaxInfo(TMessage& m);

 private:
  void InitForm();

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TFormStyle formStyle_ = fsNormal;
  TWindowState windowState_ = wsNormal;
  bool scaled_ = true;
  int pixelsPerInch_ = 96;
  int textHeight_ = 13;
  bool keyPreview_ = false;
  bool active_ = false;
  bool positioned_ = false;
  bool resourceRead_ = false;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  // A client size set while loading, applied once the border style is known.
  int loadClientWidth_ = -1;
  int loadClientHeight_ = -1;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  TForm(TComponent* owner, int dummy) : TCustomForm(owner, dummy) {}
};

using TFormClass = TClass;

// What the application hands to CM_HINTSHOW; a handler may change it.
struct THintInfo {
  TControl* HintControl = nullptr;
  TClass HintWindowClass = nullptr;
  POINT HintPos{};
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect{};
  POINT CursorPos{};
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  std::string HintStr;
  void* HintData = nullptr;
};
using TShowHintEvent = TEvent<std::string&, bool&, THintInfo&>;
using TExceptionEvent = TEvent<TObject*, Exception*>;
using TIdleEvent = TEvent<TObject*, bool&>;
using TMessageEvent = TEvent<MSG&, bool&>;
// Sees a message of the application's window before it does; setting the
// flag ends its handling there.
using TWindowHook = TEvent<TMessage&, bool&>;

// The standard hint window: a bordered pop-up in clInfoBk showing the hint
// text up to its first NUL byte.
class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* owner);
  virtual RECT CalcHintRect(int maxWidth, const std::string& hint, void* data);
  virtual void ActivateHint(RECT rect, const std::string& hint);
  virtual void ActivateHintData(RECT rect, const std::string& hint, void* /*data*/) { ActivateHint(rect, hint); }
  void ReleaseHandle();
  bool IsHintMsg(const MSG& msg) const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void Dispatch(TMessage& m) override;
};

// Application-wide objects: message loop, main form, exceptions, hints.
class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize();
  HWND Handle();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v);
  TCustomForm* MainForm() const { return mainForm_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool v) { showMainForm_ = v; }
  bool Terminated() const { return terminated_; }

  // Creates the form, owned by the application; the first one becomes the
  // main form.
  template <class T>
  void CreateForm(T*& reference) {
    reference = nullptr;
    reference = TObject::Create<T>(this);
    FormCreated(reference);
  }
  void CreateForm(TClass formClass, TCustomForm*& reference);
  void Run();
  void ProcessMessages();
  void HandleMessage();
  void Terminate();
  void BringToFront();
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);
  // The application's window receives CM_APPKEYDOWN for every key pressed in
  // a window of this library and CM_APPSYSCOMMAND for the menu key of a
  // secondary form; hooks see these and all its other messages first.
  void HookMainWindow(const TWindowHook& hook);
  void UnhookMainWindow(const TWindowHook& hook);

  // Called inside a catch block: the exception being handled goes to
  // OnException or the standard error box. EAbort is silent. Never raises;
  // an exception raised while another is being reported is dropped.
  void HandleException(TObject* sender);
  void ShowException(Exception* e);

  // Hints.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  int HintPause() const { return hintPause_; }
  void SetHintPause(int v) { hintPause_ = v; }
  int HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(int v) { hintShortPause_ = v; }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int v) { hintHidePause_ = v; }
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor v) { hintColor_ = v; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v);
  THintWindow* HintWindowForTest() const { return hintWindow_; }
  void ActivateHint(POINT cursorPos);
  void CancelHint();
  void HideHint();
  void HintMouseMessage(TControl* control, TMessage& m);

  // Mouse tracking: CM_MOUSEENTER/CM_MOUSELEAVE to the innermost control
  // under the screen point. Runs after every mouse message and when idle.
  void CheckMouseControl(POINT screenPos);
  TControl* MouseControl() const { return mouseControl_; }
  void ControlDestroying(TControl* control);
  // One pass of idle work (mouse tracking, synchronise queue, released
  // forms); returns the OnIdle answer "done".
  bool DoIdle();
  // Forms waiting for release.
  void QueueRelease(TCustomForm* form);
  void FormDestroying(TCustomForm* form);

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;

  static TClass HintWindowClass;

 private:
  // The application window's timers: the pause before a hint, and its end.
  static constexpr UINT_PTR kHintTimer = 1;
  static constexpr UINT_PTR kHideTimer = 2;

  void FormCreated(TCustomForm* form);
  void ReportException(TObject* sender, Exception* e);
  friend class TCustomForm;
  void MainFormShown();
  bool ProcessMessage(MSG& msg);
  bool IsCaptureKeyMsg(const MSG& msg);
  bool IsAppKeyMsg(const MSG& msg);
  void CMAppSysCommand(TMessage& m);
  void Idle();
  void WndProc(TMessage& m);
  void CloseMainForm();
  void WakeMainThreadHandler(TObject* sender);
  void ServiceReleases();
  void StartHintTimer(int pause);
  void StopHintTimer();
  void HintTimerExpired();
  bool ShowHintWindow();
  bool IsHintMsg(const MSG& msg);

  HWND handle_ = nullptr;
  std::string title_;
  TCustomForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  bool handlingException_ = false;
  std::vector<TCustomForm*> releases_;
  std::vector<TWindowHook> windowHooks_;
  TControl* mouseControl_ = nullptr;

  bool showHint_ = true;
  int hintPause_ = 500;
  int hintShortPause_ = 50;
  int hintHidePause_ = 2500;
  TColor hintColor_ = clInfoBk;
  std::string hint_;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  RECT hintCursorRect_{};
  bool hintActive_ = false;
  bool hintTimerRunning_ = false;
  bool hideTimerRunning_ = false;
};

// The screen: size, pixels per inch, cursors and the forms.
class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int DesktopLeft() const { return GetSystemMetrics(SM_XVIRTUALSCREEN); }
  int DesktopTop() const { return GetSystemMetrics(SM_YVIRTUALSCREEN); }
  int DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
  int DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }
  RECT WorkAreaRect() const;
  int PixelsPerInch() const { return pixelsPerInch_; }

  // The cursor table: the standard cursors (crArrow, crIBeam, crHandPoint...)
  // and those a program registers under its own ids. An unknown id gives the
  // default cursor.
  HCURSOR Cursors(TCursor id) const;
  void SetCursors(TCursor id, HCURSOR cursor);
  // Overrides every control's cursor unless crDefault; shown at once.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v);

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const { return forms_[index]; }
  TCustomForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }
  TFont* HintFont() const { return hintFont_.get(); }

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form) { forms_.push_back(form); }
  void RemoveForm(TCustomForm* form);
  // One id's cursor; a standard cursor not asked for yet keeps the name it
  // is loaded by when first asked for.
  struct TCursorEntry {
    TCursor Id;
    HCURSOR Cursor;
    const char* SystemName;
  };
  void InitCursors();
  HCURSOR LoadStandardCursor(TCursorEntry& entry) const;

  int pixelsPerInch_ = 96;
  TCursor cursor_ = crDefault;
  mutable std::vector<TCursorEntry> cursors_;
  // Cursors the screen made itself; only these does it ever destroy, never a
  // shared cursor loaded from resources or one a program handed in.
  mutable std::vector<HCURSOR> ownedCursors_;
  mutable HCURSOR defaultCursor_ = nullptr;
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  std::unique_ptr<TFont> hintFont_;
};

extern TApplication* Application;
extern TScreen* Screen;

// The part of a hint before the first "|" (searched only before the first
// NUL byte, so packed hints keep their data), and the part after it.
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

// A hidden window whose messages go to the method.
HWND AllocateHWnd(const TWndMethod& method);
// The same with the given styles (a zero-size window at the screen centre).
HWND AllocateStyledHWnd(const TWndMethod& method, DWORD style, DWORD exStyle);
void DeallocateHWnd(HWND wnd);

// The windowing layer's unit: its start-up creates Screen and Application,
// parents controls read from form files and registers the control classes;
// its shut-down frees the application with every form it owns. List it after
// SysUtilsUnit and ComObjUnit: TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit};
extern const TUnitInfo FormsUnit;
void InitForms();
// Registers the published properties of the window classes for form files.
void RegisterControlClasses();
