// Drives a running setup wizard from another process, as a user would: finds
// its windows by class and structure, tells which page is shown, posts mouse
// clicks to the buttons' windows and waits, with generous bounds, for pages
// and for the end of the program. Plain Win32, so that any program of the
// tree (the scenario tests, wizdrive.exe, the start-up benchmark) can use it.
//
// The wizard's windows, as the driver knows them:
//   host   top-level "TMainPanel"
//   holder "TSBCImage" child of the host; the page shown is the top one
//   bars   "TSBTripleCImage" children of the holder at its top and bottom
//   forward_button "TSBImgBtn" in the bottom bar; close_button "TSBImgBtn"
//          directly in the holder
//   Licence    a "TSBScrollbaredElEdit" in the holder, and the
//              "TSBHorzSizableImgBtn" "Не согласен" in the bottom bar
//   Ready      a "TSBHorzSizableImgBtn" ("Выбрать папку") in the bottom bar
//              and no edit
//   Folder     the folder tree "TElTree" (its rows in the "TElTreeView"
//              inside it) and the folder's "TElEdit" in the holder
//   Installing the progress track, a flat "TSBCImage" in the holder, with
//              the bar ("TSBTripleCImage") inside it; forward hidden
//   Error      forward hidden, no track
//   Welcome and Finish look alike; the order tells them apart.
// Labels are windowless, so texts cannot be read from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wizdrive {

enum class TPage { None, Welcome, Licence, Ready, Folder, Installing, Finish, Error };

const char* PageName(TPage page);
// Accepts the names PageName gives, case-insensitively.
bool ParsePage(const std::string& name, TPage& page);

// The windows of the page shown, found by class and place.
struct TPageWindows {
  HWND Host = nullptr;
  HWND Holder = nullptr;
  HWND TopBar = nullptr;
  HWND BottomBar = nullptr;
  HWND Forward = nullptr;
  HWND Close = nullptr;
  HWND LicenceEdit = nullptr;
  HWND Disagree = nullptr;
  HWND SelectFolder = nullptr;
  HWND FolderTree = nullptr;
  HWND FolderView = nullptr;
  HWND FolderEdit = nullptr;
  HWND Track = nullptr;
  HWND Bar = nullptr;
  bool ForwardVisible = false;
};

// The visible wizard host of the process (any process when processId is 0).
HWND FindHost(DWORD processId);
// Reads the page shown in the host; false when the host has no page yet.
bool ReadPage(HWND host, TPageWindows& page);
// Which page the windows make. Welcome and Finish share their structure:
// `afterInstall` says the install has been started.
TPage Classify(const TPageWindows& page, bool afterInstall);
// The host is visible, no window of the page waits for painting, and the
// host's thread is back in its message loop (so a paint begun has ended).
bool Painted(const TPageWindows& page, DWORD timeoutMs = 5000);

// Width of a window, or -1 when it is gone.
int WindowWidth(HWND window);
// A click as the mouse gives it: button down and up at the window's centre,
// posted. False when the window is gone or hidden.
bool PostClick(HWND button);

// One started program: its process and the wizard it shows.
class TProcess {
 public:
  TProcess() = default;
  ~TProcess();
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;
  // Starts the command line; false when it cannot be started.
  bool Start(const std::wstring& commandLine);
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_; }
  // Waits for the end; true when the process has ended.
  bool WaitForEnd(DWORD timeoutMs);
  bool Running();
  // The exit code, or STILL_ACTIVE.
  DWORD ExitCode();
  // Ends a process that outlived its test.
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Watches the pages of one wizard process (any when processId is 0).
class TWizard {
 public:
  explicit TWizard(DWORD processId = 0) : processId_(processId) {}
  // Reads the page shown now; None while there is no host or page.
  TPage Current();
  const TPageWindows& Windows() const { return windows_; }
  // Waits until `page` is shown and painted, the same windows found by two
  // readings 30 ms apart. False after the timeout (or when the process
  // ends), with Current() telling what was shown last.
  bool WaitFor(TPage page, DWORD timeoutMs = 60000);
  // Waits until the host window is gone.
  bool WaitForHostGone(DWORD timeoutMs = 60000);
  // The buttons of the page shown (read by Current or WaitFor). A forward
  // click on the Ready or Folder page starts the install, after which the
  // plain page is the Finish page (a folder refused keeps the Folder page).
  bool ClickForward();
  bool ClickClose();
  bool ClickDisagree();
  bool ClickSelectFolder();
  // WM_CLOSE to the host, as Alt+F4 or the end of the session send it.
  bool CloseHost();
  // The close a user gives the program's taskbar button or the task list:
  // WM_SYSCOMMAND SC_CLOSE (or WM_CLOSE) to the application's window, the
  // host's owner.
  bool CloseApplicationWindow(bool sysCommand);
  // The install has been started (a Ready forward click or an Installing
  // page seen). Set by hand for a wizard that was watched from elsewhere.
  bool AfterInstall() const { return afterInstall_; }
  void SetAfterInstall(bool value) { afterInstall_ = value; }

 private:
  DWORD processId_;
  TPageWindows windows_;
  TPage page_ = TPage::None;
  bool afterInstall_ = false;
};

// ---- Edits, keys and message boxes ----

// The first visible window of the class among the window's descendants, in
// z-order, the top one first; nullptr when none.
HWND FindDescendant(HWND parent, const char* className);
// A window's text by WM_GETTEXT, and its replacement by WM_SETTEXT, both sent
// with a time limit; false when the window is gone or does not answer.
bool ReadText(HWND window, std::wstring& text);
bool SetText(HWND window, const std::wstring& text);
// The window that has the keyboard focus in the host's thread.
HWND FocusOf(HWND host);
// Keys as the keyboard gives them: WM_KEYDOWN and WM_KEYUP for each virtual
// key, posted in order (the target's message loop makes the characters).
// False when the window is gone.
bool PostKeys(HWND window, const std::vector<WORD>& keys);
// Posts the keys to `target` again and again, at most `rounds` times, until
// `edit` reads `wanted`. Each round waits for the edit to change (a reading,
// sent, would overtake the keys, posted), up to 60 s for a slow machine
// listing a large folder; a round that changes nothing ends the walk. `shown` is called with each text read;
// `last` holds the last one. False when the text never came.
bool PostKeysUntilText(HWND target, HWND edit, const std::vector<WORD>& keys, const std::wstring& wanted,
                       int rounds, std::wstring& last, void (*shown)(const std::wstring&) = nullptr);
// Virtual key for a name: up, down, left, right, home, end, pgup, pgdn,
// enter, tab, space, escape, backspace, delete, f1..f12, or one letter or
// digit. 0 for anything else.
WORD KeyByName(const std::string& name);
// A visible message box ("#32770" with its text control) of the process,
// any process when processId is 0.
HWND FindMessageBox(DWORD processId);
// Its message text; false when it is gone.
bool ReadMessageBox(HWND box, std::wstring& text);
// Presses its OK button, or Cancel when it has none, as a click does.
bool CloseMessageBox(HWND box);

// The pixels of a window as the screen shows them (a window region's cut
// parts show what lies behind), taken from the screen. Rows top-down, 32 bits
// a pixel (BGRX).
struct TShot {
  int Width = 0;
  int Height = 0;
  std::vector<DWORD> Pixels;
  DWORD At(int x, int y) const { return Pixels[size_t(y) * Width + x] & 0xFFFFFF; }
  // Number of distinct colours, up to `limit`.
  size_t Colours(size_t limit) const;
};
bool TakeShot(HWND window, TShot& shot);
// Writes the picture as a 24-bit BMP file.
bool SaveShot(const TShot& shot, const std::wstring& path);

// Waits for a condition, polling every `stepMs`; false after the timeout.
template <typename F>
bool WaitUntil(F condition, DWORD timeoutMs, DWORD stepMs = 10) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(stepMs);
  }
  return true;
}

}  // namespace wizdrive
