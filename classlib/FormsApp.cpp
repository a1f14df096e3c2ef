// TApplication (message loop, idle work, exceptions, mouse tracking), TScreen,
// AllocateHWnd and the start-up of the windowing layer.
#include <objbase.h>

#include <algorithm>

#include "ControlsDrag.hpp"
#include "Forms.hpp"
#include "GraphicsScoped.hpp"
#include "WinApi.hpp"
#include "Streaming.hpp"
#include "ComObj.hpp"
#include "Thread.hpp"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
TClass TApplication::HintWindowClass = nullptr;

namespace {
void DoneForms() {
  if (Application) {
    TApplication* app = Application;
    app->CancelHint();
    app->DestroyComponents();
    Application = nullptr;
    app->Free();
  }
  if (Screen) {
    TScreen* screen = Screen;
    Screen = nullptr;
    screen->Free();
  }
}
}  // namespace

const TUnitInfo FormsUnit{"Forms", &InitForms, &DoneForms};

void HandleCallbackException(TObject* sender) {
  if (Application) Application->HandleException(sender);
}

void InitForms() {
  if (!Screen) Screen = new TScreen(nullptr);
  if (!Application) Application = new TApplication(nullptr);
  if (!TApplication::HintWindowClass) TApplication::HintWindowClass = ClassOf<THintWindow>();
  StreamingHooks().SetParentComponent = [](TComponent* component, TComponent* parent) {
    auto* control = dynamic_cast<TControl*>(component);
    auto* win = dynamic_cast<TWinControl*>(parent);
    if (control && win) control->SetParent(win);
  };
  StreamingHooks().GetParentComponent = [](TComponent* component) -> TComponent* {
    auto* control = dynamic_cast<TControl*>(component);
    return control ? control->Parent() : nullptr;
  };
  RegisterControlClasses();
}

// ---------------------------------------------------------------------------
// AllocateHWnd

namespace {
LRESULT CALLBACK UtilWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!method) return DefWindowProcA(wnd, msg, wp, lp);
  TMessage m;
  m.Msg = msg;
  m.WParam = wp;
  m.LParam = lp;
  try {
    (*method)(m);
  } catch (...) {
    HandleCallbackException(nullptr);
  }
  return m.Result;
}

const char kUtilClass[] = "TPUtilWindow";
}  // namespace

HWND AllocateHWnd(const TWndMethod& method) { return AllocateStyledHWnd(method, WS_POPUP, WS_EX_TOOLWINDOW); }

HWND AllocateStyledHWnd(const TWndMethod& method, DWORD style, DWORD exStyle) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(inst, kUtilClass, &wc)) {
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = inst;
    wc.lpszClassName = kUtilClass;
    RegisterClassA(&wc);
  }
  HWND wnd = CreateWindowExA(exStyle, kUtilClass, "", style, GetSystemMetrics(SM_CXSCREEN) / 2,
                             GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, inst, nullptr);
  if (!wnd) throw EOutOfResources("Error creating window");
  if (method) {
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(method)));
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilWndProc));
  }
  return wnd;
}

void DeallocateHWnd(HWND wnd) {
  if (!wnd) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
  SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
  DestroyWindow(wnd);
  delete method;
}

// ---------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name = name.substr(0, dot);
  title_ = name;
}

TApplication::~TApplication() {
  // Under the queue's lock: a worker thread may be queueing right now.
  WakeMainThread.ClearIfBoundTo(this);
  if (handle_) DeallocateHWnd(handle_);
}

void TApplication::Initialize() {
  // COM for the main thread belongs to the COM unit, which undoes it at the
  // program's end.
  if (!UnitInitialized(&ComObjUnit)) InitializeUnits({&ComObjUnit});
  Handle();
}

HWND TApplication::Handle() {
  if (!handle_) {
    // The owner of every form; an empty captioned window, so that the
    // program's task bar button shows Title once the main form shows.
    handle_ = AllocateStyledHWnd(TWndMethod(this, &TApplication::WndProc),
                                 WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0);
    SetWindowTextA(handle_, title_.c_str());
    // Worker threads post a wake-up so the loop serves their queue at once.
    WakeMainThread = TNotifyEvent(this, &TApplication::WakeMainThreadHandler);
  }
  return handle_;
}

void TApplication::SetTitle(const std::string& v) {
  title_ = v;
  if (handle_) SetWindowTextA(handle_, v.c_str());
}

void TApplication::WakeMainThreadHandler(TObject*) {
  if (handle_) PostMessageA(handle_, WM_NULL, 0, 0);
}

void TApplication::HookMainWindow(const TWindowHook& hook) {
  if (hook && std::find(windowHooks_.begin(), windowHooks_.end(), hook) == windowHooks_.end())
    windowHooks_.push_back(hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& hook) {
  windowHooks_.erase(std::remove(windowHooks_.begin(), windowHooks_.end(), hook), windowHooks_.end());
}

void TApplication::WndProc(TMessage& m) {
  // A hook may unhook itself or another while it runs.
  std::vector<TWindowHook> hooks = windowHooks_;
  for (const TWindowHook& hook : hooks) {
    if (std::find(windowHooks_.begin(), windowHooks_.end(), hook) == windowHooks_.end()) continue;
    bool handled = false;
    hook(m, handled);
    if (handled) return;
  }
  switch (m.Msg) {
    case WM_TIMER:
      if (m.WParam == kHintTimer) HintTimerExpired();
      else if (m.WParam == kHideTimer) HideHint();
      return;
    case CM_RELEASE: ServiceReleases(); return;
    case WM_NULL: CheckSynchronize(); return;
    case WM_CLOSE: CloseMainForm(); return;
    case CM_APPSYSCOMMAND: CMAppSysCommand(m); return;
    case WM_SYSCOMMAND:
      if ((m.WParam & 0xFFF0) == SC_CLOSE) {
        CloseMainForm();
        return;
      }
      break;
    default: break;
  }
  m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

// The menu key of a secondary form, performed by the main form with the
// focus lent to it for the time of the command.
void TApplication::CMAppSysCommand(TMessage& m) {
  m.Result = 0;
  if (!mainForm_ || !mainForm_->HandleAllocated()) return;
  HWND main = mainForm_->Handle();
  if (!IsWindowEnabled(main) || !IsWindowVisible(main)) return;
  HWND saved = GetFocus();
  ::SetFocus(main);
  mainForm_->Perform(WM_SYSCOMMAND, m.WParam, m.LParam);
  if (saved && IsWindow(saved)) ::SetFocus(saved);
  m.Result = 1;
}

// This window is the program's taskbar button: its Close, and a close from
// the task list, arrive here. The window's default answer would destroy it
// and every form it owns without ending the program; the main form's own
// close handling decides instead, as for a close of the form itself.
void TApplication::CloseMainForm() {
  if (mainForm_) mainForm_->Perform(WM_CLOSE, 0, 0);
  else Terminate();
}

void TApplication::MainFormShown() {
  if (handle_ && !IsWindowVisible(handle_)) ShowWindow(handle_, SW_SHOWNOACTIVATE);
}

void TApplication::FormCreated(TCustomForm* form) {
  if (!mainForm_) {
    mainForm_ = form;
    form->HandleNeeded();
  }
}

void TApplication::CreateForm(TClass formClass, TCustomForm*& reference) {
  if (!formClass || !formClass->CreateComponent) throw EInvalidOperation("Cannot create form");
  // The class reference constructs the form and runs its AfterConstruction.
  reference = nullptr;
  TComponent* c = formClass->CreateComponent(this);
  reference = dynamic_cast<TCustomForm*>(c);
  if (!reference) {
    c->Free();
    throw EInvalidCast("Invalid class typecast");
  }
  FormCreated(reference);
}

// ---------------------------------------------------------------------------
// The loop

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  OnMessage(msg, handled);
  if (!handled && TDragLoop::KeyMessage(msg)) handled = true;
  if (!handled && IsCaptureKeyMsg(msg)) handled = true;
  if (!handled && IsAppKeyMsg(msg)) handled = true;
  if (!handled && !IsHintMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

// Keys go to the focused window, which is rarely the control that holds the
// mouse: a control dragging or resizing something would never see the Escape
// that ends it. So while a control of this library holds the capture, a
// key-down goes to it first as CN_KEYDOWN; a non-zero answer consumes it.
bool TApplication::IsCaptureKeyMsg(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  TControl* control = GetCaptureControl();
  return control && control->Perform(CN_KEYDOWN, msg.wParam, msg.lParam) != 0;
}

// Every key pressed in a window of this library is offered to the
// application's window (and so to its hooks) as CM_APPKEYDOWN; a non-zero
// answer consumes it.
bool TApplication::IsAppKeyMsg(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  HWND wnd = msg.hwnd;
  while (wnd && !TWinControl::FindControl(wnd)) wnd = GetParent(wnd);
  if (!wnd) return false;
  return SendMessageA(Handle(), CM_APPKEYDOWN, msg.wParam, msg.lParam) != 0;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::Idle() {
  bool done = true;
  try {
    done = DoIdle();
  } catch (...) {
    HandleException(this);
  }
  if (done && !terminated_) WaitMessage();
}

bool TApplication::DoIdle() {
  TControlCanvas::FreeAllHandles();
  POINT p;
  if (GetCursorPos(&p)) CheckMouseControl(p);
  ServiceReleases();
  bool done = true;
  OnIdle(this, done);
  if (GetCurrentThreadId() == MainThreadID && CheckSynchronize()) done = false;
  return done;
}

void TApplication::Run() {
  Handle();
  if (mainForm_ && showMainForm_) mainForm_->Show();
  while (!terminated_) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::BringToFront() {
  HWND wnd = nullptr;
  if (mainForm_ && mainForm_->HandleAllocated()) wnd = GetLastActivePopup(mainForm_->Handle());
  if (wnd && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) SetForegroundWindow(wnd);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = nullptr;
  if (mainForm_ && mainForm_->HandleAllocated() && IsWindowVisible(mainForm_->Handle()))
    owner = mainForm_->Handle();
  return MessageBoxA(owner, text.c_str(), caption.empty() ? title_.c_str() : caption.c_str(), flags);
}

// ---------------------------------------------------------------------------
// Release

void TApplication::QueueRelease(TCustomForm* form) {
  if (std::find(releases_.begin(), releases_.end(), form) != releases_.end()) return;
  releases_.push_back(form);
  PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

void TApplication::FormDestroying(TCustomForm* form) {
  releases_.erase(std::remove(releases_.begin(), releases_.end(), form), releases_.end());
  if (form == mainForm_) mainForm_ = nullptr;
  ControlDestroying(form);
}

void TApplication::ServiceReleases() {
  while (!releases_.empty()) {
    TCustomForm* form = releases_.front();
    releases_.erase(releases_.begin());
    form->Perform(CM_RELEASE, 0, 0);
  }
}

// ---------------------------------------------------------------------------
// Exceptions

// Never raises: it runs inside the guards of window procedures and timers.
// While one exception is being reported (its error box runs a message loop,
// in which a failing Paint fails again), further ones are dropped, so that a
// repeating failure shows one box, not a stack of them. An OnException
// handler that raises has its own exception shown in the standard box.
void TApplication::HandleException(TObject* sender) {
  std::exception_ptr current = std::current_exception();
  if (!current || handlingException_) return;
  handlingException_ = true;
  try {
    try {
      std::rethrow_exception(current);
    } catch (EAbort&) {
    } catch (Exception& e) {
      ReportException(sender, &e);
    } catch (std::exception& e) {
      Exception wrapped(e.what());
      ReportException(sender, &wrapped);
    } catch (...) {
      Exception wrapped("Unknown exception");
      ReportException(sender, &wrapped);
    }
  } catch (...) {
    // Out of memory while wrapping or reporting: nothing more can be done.
  }
  handlingException_ = false;
}

void TApplication::ReportException(TObject* sender, Exception* e) {
  if (!OnException) {
    ShowException(e);
    return;
  }
  try {
    OnException(sender, e);
  } catch (EAbort&) {
  } catch (Exception& failure) {
    ShowException(&failure);
  } catch (std::exception& failure) {
    Exception wrapped(failure.what());
    ShowException(&wrapped);
  } catch (...) {
    Exception wrapped("Unknown exception");
    ShowException(&wrapped);
  }
}

void TApplication::ShowException(Exception* e) {
  std::string msg = e->Message();
  // The message ends with a full stop unless it ends in punctuation.
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  MessageBoxA(handle_, msg.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

// ---------------------------------------------------------------------------
// Mouse tracking

void TApplication::CheckMouseControl(POINT screenPos) {
  TControl* target = FindDragTarget(screenPos, true);
  if (target == mouseControl_) return;
  TControl* old = mouseControl_;
  mouseControl_ = target;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  // A leave handler may have destroyed the new control; it forgot itself then.
  if (mouseControl_ == target && target) {
    target->Perform(CM_MOUSEENTER, 0, 0);
    if (auto* win = dynamic_cast<TWinControl*>(target->Parent() && !dynamic_cast<TWinControl*>(target)
                                                     ? target->Parent() : target)) {
      // Ask for WM_MOUSELEAVE so leaving the program's windows is noticed.
      if (win->HandleAllocated()) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, win->Handle(), 0};
        TrackMouseEvent(&tme);
      }
    }
  }
}

void TApplication::ControlDestroying(TControl* control) {
  if (mouseControl_ == control) mouseControl_ = nullptr;
  if (hintControl_ == control) {
    hintControl_ = nullptr;
    CancelHint();
  }
}

// ---------------------------------------------------------------------------
// TScreen

TScreen::TScreen(TComponent* owner) : TComponent(owner), hintFont_(std::make_unique<TFont>()) {
  pixelsPerInch_ = GetDeviceCaps(ScopedWindowDC(nullptr).Get(), LOGPIXELSY);
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    hintFont_->SetName(ncm.lfStatusFont.lfFaceName);
    hintFont_->SetHeight(ncm.lfStatusFont.lfHeight);
  }
  hintFont_->SetColor(clInfoText);
  InitCursors();
}

TScreen::~TScreen() {
  for (HCURSOR cursor : ownedCursors_) DestroyCursor(cursor);
}

RECT TScreen::WorkAreaRect() const {
  RECT r{0, 0, Width(), Height()};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

namespace {
// A 32 x 32 monochrome cursor from rows of art: 'X' black, '.' white, any
// other character transparent.
HCURSOR MakeCursor(std::initializer_list<const char*> rows, int hotX, int hotY) {
  BYTE andMask[32 * 4], xorMask[32 * 4];
  std::fill(std::begin(andMask), std::end(andMask), 0xFF);
  std::fill(std::begin(xorMask), std::end(xorMask), 0x00);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; row[x] && x < 32; ++x) {
      char c = row[x];
      if (c != 'X' && c != '.') continue;
      andMask[y * 4 + x / 8] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
      if (c == '.') xorMask[y * 4 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    }
    if (++y == 32) break;
  }
  return CreateCursor(GetModuleHandleA(nullptr), hotX, hotY, 32, 32, andMask, xorMask);
}

// A hand for crHandPoint: Windows 95 and NT 4 have no IDC_HAND, so the
// cursor is drawn here when the system lacks it.
HCURSOR MakeHandCursor() {
  return MakeCursor({"     XX         ", "    X..X        ", "    X..X        ", "    X..X        ",
                     "    X..XXX      ", "    X..X..XXX   ", "    X..X..X..XX ", " XX X..X..X..X.X",
                     "X..XX........X.X", "X...X..........X", " X.............X", "  X............X",
                     "  X...........X ", "   X..........X ", "    X........X  ", "    XXXXXXXXXX  "},
                    5, 0);
}

// The arrow of the drag cursors, the dragged things drawn below it.
constexpr const char* kDragArrow[] = {
    "X           ", "XX          ", "X.X         ", "X..X        ", "X...X       ", "X....X      ",
    "X.....X     ", "X......X    ", "X.......X   ", "X........X  ", "X.....XXXXX ", "X..X..X     ",
    "X.X X..X    ", "XX  X..X    ", "X    X..X   ", "     X..X   ", "      XX    "};

// crDrag: the arrow with one dotted page.
HCURSOR MakeDragCursor() {
  const char* const* a = kDragArrow;
  return MakeCursor({a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12], a[13],
                     a[14], a[15], a[16], "                ", "    X.X.X.X.X.X ", "    .         X ",
                     "    X         . ", "    .         X ", "    X.X.X.X.X.X "},
                    0, 0);
}

// crMultiDrag: the arrow with a stack of dotted pages.
HCURSOR MakeMultiDragCursor() {
  const char* const* a = kDragArrow;
  return MakeCursor({a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12], a[13],
                     a[14], a[15], a[16], "        X.X.X.X.X.X ", "      X.X.X.X.X.X . ",
                     "    X.X.X.X.X.X . X ", "    .         X X . ", "    X         . . X ",
                     "    .         X X   ", "    X.X.X.X.X.X .   ", "                    "},
                    0, 0);
}
}  // namespace

// The standard cursors are loaded, or drawn, when first asked for: a
// program shows a few of them, and each costs the start-up its time.
void TScreen::InitCursors() {
  const std::pair<TCursor, const char*> system[] = {
      {crArrow, IDC_ARROW}, {crCross, IDC_CROSS}, {crIBeam, IDC_IBEAM},
      {crSizeNESW, IDC_SIZENESW}, {crSizeNS, IDC_SIZENS}, {crSizeNWSE, IDC_SIZENWSE},
      {crSizeWE, IDC_SIZEWE}, {crUpArrow, IDC_UPARROW}, {crHourGlass, IDC_WAIT},
      {crNo, IDC_NO}, {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP},
      {crSizeAll, IDC_SIZEALL}, {crNoDrop, IDC_NO},
      {crHSplit, IDC_SIZEWE}, {crVSplit, IDC_SIZENS}, {crSQLWait, IDC_WAIT},
      {crHandPoint, MAKEINTRESOURCEA(32649)},  // IDC_HAND where it exists
      {crDrag, IDC_ARROW}, {crMultiDrag, IDC_ARROW}};  // drawn; the arrow if that fails
  for (auto& [id, name] : system) cursors_.push_back({id, nullptr, name});
  cursors_.push_back({crNone, nullptr, nullptr});
}

HCURSOR TScreen::LoadStandardCursor(TCursorEntry& entry) const {
  HCURSOR cursor = nullptr;
  if (entry.Id == crDrag || entry.Id == crMultiDrag) {
    // The system has no drag cursors: the library draws its own.
    cursor = entry.Id == crDrag ? MakeDragCursor() : MakeMultiDragCursor();
    if (cursor) ownedCursors_.push_back(cursor);
    else cursor = LoadCursorA(nullptr, entry.SystemName);
  } else {
    cursor = LoadCursorA(nullptr, entry.SystemName);
    if (!cursor && entry.Id == crHandPoint) {
      cursor = MakeHandCursor();
      if (cursor) ownedCursors_.push_back(cursor);
    }
  }
  entry.Cursor = cursor;
  entry.SystemName = nullptr;
  return cursor;
}

HCURSOR TScreen::Cursors(TCursor id) const {
  for (TCursorEntry& entry : cursors_)
    if (entry.Id == id) return entry.SystemName ? LoadStandardCursor(entry) : entry.Cursor;
  if (!defaultCursor_) defaultCursor_ = LoadCursorA(nullptr, IDC_ARROW);
  return defaultCursor_;
}

void TScreen::SetCursors(TCursor id, HCURSOR cursor) {
  if (id == crDefault) {
    defaultCursor_ = cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW);
    return;
  }
  for (TCursorEntry& entry : cursors_)
    if (entry.Id == id) {
      HCURSOR replaced = entry.Cursor;
      entry.Cursor = cursor;
      entry.SystemName = nullptr;
      auto owned = std::find(ownedCursors_.begin(), ownedCursors_.end(), replaced);
      if (owned != ownedCursors_.end() && replaced != cursor) {
        ownedCursors_.erase(owned);
        DestroyCursor(replaced);
      }
      return;
    }
  cursors_.push_back({id, cursor, nullptr});
}

void TScreen::SetCursor(TCursor v) {
  if (cursor_ == v) return;
  cursor_ = v;
  POINT p;
  GetCursorPos(&p);
  if (v != crDefault) {
    ::SetCursor(Cursors(v));
  } else {
    // Let the window under the mouse choose its cursor again.
    HWND wnd = WindowFromPoint(p);
    if (wnd) SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
}

void TScreen::RemoveForm(TCustomForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (activeForm_ == form) activeForm_ = nullptr;
}
