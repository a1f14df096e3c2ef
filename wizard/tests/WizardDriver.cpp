#include "WizardDriver.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <set>

namespace wizdrive {

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Direct children in z-order, the top one first.
std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) out.push_back(child);
  return out;
}

HWND ChildOfClass(HWND parent, const char* className) {
  for (HWND child : Children(parent))
    if (ClassOf(child) == className) return child;
  return nullptr;
}

BOOL CALLBACK CollectDescendant(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

bool NothingToPaint(HWND window) {
  if (!IsWindowVisible(window)) return true;
  return !GetUpdateRect(window, nullptr, FALSE);
}

}  // namespace

const char* PageName(TPage page) {
  switch (page) {
    case TPage::None: return "None";
    case TPage::Welcome: return "Welcome";
    case TPage::Licence: return "Licence";
    case TPage::Ready: return "Ready";
    case TPage::Folder: return "Folder";
    case TPage::Installing: return "Installing";
    case TPage::Finish: return "Finish";
    case TPage::Error: return "Error";
  }
  return "?";
}

bool ParsePage(const std::string& name, TPage& page) {
  for (TPage p : {TPage::None, TPage::Welcome, TPage::Licence, TPage::Ready, TPage::Folder, TPage::Installing,
                  TPage::Finish, TPage::Error}) {
    if (lstrcmpiA(name.c_str(), PageName(p)) == 0) {
      page = p;
      return true;
    }
  }
  return false;
}

HWND FindHost(DWORD processId) {
  // By class first: a search that asks about every top-level window would
  // load the server that the watched program needs for its own start.
  for (HWND window = FindWindowExA(nullptr, nullptr, "TMainPanel", nullptr); window;
       window = FindWindowExA(nullptr, window, "TMainPanel", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((!processId || owner == processId) && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

bool ReadPage(HWND host, TPageWindows& page) {
  page = TPageWindows();
  page.Host = host;
  if (!host || !IsWindow(host)) return false;
  // While a page hands over to the next, two holders are docked: the new
  // one has been brought to the front.
  for (HWND child : Children(host)) {
    if (ClassOf(child) == "TSBCImage" && IsWindowVisible(child)) {
      page.Holder = child;
      break;
    }
  }
  if (!page.Holder) return false;
  RECT holder{};
  GetClientRect(page.Holder, &holder);
  for (HWND child : Children(page.Holder)) {
    const std::string name = ClassOf(child);
    const RECT r = RectInParent(child);
    if (name == "TSBTripleCImage") {
      if (r.top <= 0) page.TopBar = child;
      else if (r.bottom >= holder.bottom) page.BottomBar = child;
    } else if (name == "TSBImgBtn") {
      page.Close = child;
    } else if (name == "TSBCImage" && r.bottom - r.top <= 24 && r.right - r.left >= 200) {
      // The borders are tall and narrow; the progress track is flat and wide.
      page.Track = child;
      page.Bar = ChildOfClass(child, "TSBTripleCImage");
    }
  }
  std::vector<HWND> all;
  EnumChildWindows(page.Holder, &CollectDescendant, reinterpret_cast<LPARAM>(&all));
  for (HWND window : all) {
    const std::string name = ClassOf(window);
    if (name == "TSBScrollbaredElEdit") page.LicenceEdit = window;
    else if (name == "TElTree" && GetParent(window) == page.Holder) page.FolderTree = window;
    else if (name == "TElEdit" && GetParent(window) == page.Holder) page.FolderEdit = window;
  }
  if (page.FolderTree) page.FolderView = ChildOfClass(page.FolderTree, "TElTreeView");
  if (page.BottomBar) {
    page.Forward = ChildOfClass(page.BottomBar, "TSBImgBtn");
    page.ForwardVisible = page.Forward && IsWindowVisible(page.Forward);
    // The bottom bar's sizable button is "Не согласен" beside the licence,
    // else "Выбрать папку".
    if (HWND sizable = ChildOfClass(page.BottomBar, "TSBHorzSizableImgBtn"))
      (page.LicenceEdit ? page.Disagree : page.SelectFolder) = sizable;
  }
  return true;
}

TPage Classify(const TPageWindows& page, bool afterInstall) {
  if (!page.Holder) return TPage::None;
  if (page.LicenceEdit) return TPage::Licence;
  if (page.FolderTree && page.FolderEdit) return TPage::Folder;
  if (page.SelectFolder) return TPage::Ready;
  if (page.Track) return TPage::Installing;
  if (!page.ForwardVisible) return TPage::Error;
  return afterInstall ? TPage::Finish : TPage::Welcome;
}

bool Painted(const TPageWindows& page, DWORD timeoutMs) {
  if (!page.Host || !IsWindowVisible(page.Host) || !page.Holder) return false;
  if (!NothingToPaint(page.Host)) return false;
  std::vector<HWND> all;
  EnumChildWindows(page.Host, &CollectDescendant, reinterpret_cast<LPARAM>(&all));
  for (HWND window : all)
    if (!NothingToPaint(window)) return false;
  // The update region is emptied when a paint begins. The thread answers a
  // sent message only between messages, so an answer means that paint ended.
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(page.Host, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

int WindowWidth(HWND window) {
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return -1;
  return r.right - r.left;
}

bool PostClick(HWND button) {
  if (!button || !IsWindow(button) || !IsWindowVisible(button)) return false;
  RECT r{};
  GetClientRect(button, &r);
  const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  return PostMessageA(button, WM_LBUTTONUP, 0, at) != 0;
}

// ---- TProcess ---------------------------------------------------------------------

TProcess::~TProcess() {
  Kill();
  if (process_) CloseHandle(process_);
}

bool TProcess::Start(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  return true;
}

bool TProcess::WaitForEnd(DWORD timeoutMs) {
  return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool TProcess::Running() { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD TProcess::ExitCode() {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

void TProcess::Kill() {
  if (Running()) {
    TerminateProcess(process_, 255);
    WaitForSingleObject(process_, 10000);
  }
}

// ---- TWizard ----------------------------------------------------------------------

TPage TWizard::Current() {
  if (!ReadPage(FindHost(processId_), windows_)) {
    page_ = TPage::None;
    return page_;
  }
  page_ = Classify(windows_, afterInstall_);
  if (page_ == TPage::Installing) afterInstall_ = true;
  return page_;
}

namespace {

bool SameWindows(const TPageWindows& a, const TPageWindows& b) {
  return a.Host == b.Host && a.Holder == b.Holder && a.TopBar == b.TopBar && a.BottomBar == b.BottomBar &&
         a.Forward == b.Forward && a.Close == b.Close && a.LicenceEdit == b.LicenceEdit &&
         a.Disagree == b.Disagree && a.SelectFolder == b.SelectFolder && a.FolderTree == b.FolderTree &&
         a.FolderView == b.FolderView && a.FolderEdit == b.FolderEdit && a.Track == b.Track && a.Bar == b.Bar &&
         a.ForwardVisible == b.ForwardVisible;
}

}  // namespace

bool TWizard::WaitFor(TPage page, DWORD timeoutMs) {
  HANDLE process = nullptr;
  if (processId_) process = OpenProcess(SYNCHRONIZE, FALSE, processId_);
  // A page docked into the shown host gets its windows one by one, and the
  // wizard's thread may answer a sent message in between: the page counts
  // as shown once two readings some time apart find the same windows, each
  // painted.
  TPageWindows seen;
  DWORD seenAt = 0;
  bool have = false;
  const bool shown = WaitUntil([&] {
    if (Current() == page && Painted(windows_)) {
      if (have && SameWindows(seen, windows_) && GetTickCount() - seenAt >= 30) return true;
      if (!have || !SameWindows(seen, windows_)) {
        seen = windows_;
        seenAt = GetTickCount();
        have = true;
      }
      return false;
    }
    have = false;
    // A process that has ended shows nothing more.
    if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) timeoutMs = 0;
    return false;
  }, timeoutMs);
  if (process) CloseHandle(process);
  return shown;
}

bool TWizard::WaitForHostGone(DWORD timeoutMs) {
  return WaitUntil([&] { return FindHost(processId_) == nullptr; }, timeoutMs);
}

bool TWizard::ClickForward() {
  const bool startsInstall = page_ == TPage::Ready || page_ == TPage::Folder;
  if (!windows_.ForwardVisible || !PostClick(windows_.Forward)) return false;
  if (startsInstall) afterInstall_ = true;
  return true;
}

bool TWizard::ClickClose() { return PostClick(windows_.Close); }

bool TWizard::ClickDisagree() { return PostClick(windows_.Disagree); }

bool TWizard::ClickSelectFolder() { return PostClick(windows_.SelectFolder); }

bool TWizard::CloseHost() { return windows_.Host && PostMessageA(windows_.Host, WM_CLOSE, 0, 0); }

bool TWizard::CloseApplicationWindow(bool sysCommand) {
  HWND application = windows_.Host ? GetWindow(windows_.Host, GW_OWNER) : nullptr;
  if (!application) return false;
  return sysCommand ? PostMessageA(application, WM_SYSCOMMAND, SC_CLOSE, 0) != 0
                    : PostMessageA(application, WM_CLOSE, 0, 0) != 0;
}

// ---- Edits, keys and message boxes -----------------------------------------------

namespace {

// The message box's text control (its id in the dialog template).
constexpr int kMessageTextId = 0xFFFF;
constexpr UINT kSendTimeoutMs = 5000;

struct TBoxSearch {
  DWORD ProcessId;
  HWND Found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
  auto search = reinterpret_cast<TBoxSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->ProcessId && owner != search->ProcessId) return TRUE;
  if (!IsWindowVisible(window) || ClassOf(window) != "#32770" || !GetDlgItem(window, kMessageTextId)) return TRUE;
  search->Found = window;
  return FALSE;
}

}  // namespace

HWND FindDescendant(HWND parent, const char* className) {
  if (!parent) return nullptr;
  std::vector<HWND> all;
  EnumChildWindows(parent, &CollectDescendant, reinterpret_cast<LPARAM>(&all));
  for (HWND window : all)
    if (IsWindowVisible(window) && ClassOf(window) == className) return window;
  return nullptr;
}

bool ReadText(HWND window, std::wstring& text) {
  text.clear();
  if (!IsWindow(window)) return false;
  // The text may change between asking its length and reading it: a buffer
  // left with room to spare held all of it.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) return false;
  for (size_t size = size_t(length) + 64;; size *= 2) {
    std::wstring buffer(size, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
      return false;
    if (size_t(copied) + 1 < size || size > (size_t(1) << 20)) {
      text.assign(buffer.data(), std::min(size_t(copied), size - 1));
      return true;
    }
  }
}

bool SetText(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return IsWindow(window) && SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                                 SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) &&
         result;
}

HWND FocusOf(HWND host) {
  if (!host) return nullptr;
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(host, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool PostKeys(HWND window, const std::vector<WORD>& keys) {
  if (!IsWindow(window)) return false;
  for (WORD key : keys) {
    const LPARAM scan = LPARAM(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    if (!PostMessageW(window, WM_KEYDOWN, key, scan | 1)) return false;
    if (!PostMessageW(window, WM_KEYUP, key, scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31))) return false;
  }
  return true;
}

bool PostKeysUntilText(HWND target, HWND edit, const std::vector<WORD>& keys, const std::wstring& wanted,
                       int rounds, std::wstring& last, void (*shown)(const std::wstring&)) {
  if (!ReadText(edit, last)) return false;
  for (int round = 0; last != wanted; ++round) {
    if (round == rounds || !PostKeys(target, keys)) return false;
    const std::wstring before = last;
    const bool changed = WaitUntil([&] { return !ReadText(edit, last) || last != before; }, 60000, 20);
    if (!IsWindow(edit)) return false;
    if (shown) shown(last);
    // The keys moved nothing: the end of the rows, or no answer to them.
    if (!changed) return false;
  }
  return true;
}

WORD KeyByName(const std::string& name) {
  static const struct {
    const char* Name;
    WORD Key;
  } named[] = {{"up", VK_UP},         {"down", VK_DOWN},     {"left", VK_LEFT},     {"right", VK_RIGHT},
               {"home", VK_HOME},     {"end", VK_END},       {"pgup", VK_PRIOR},    {"pgdn", VK_NEXT},
               {"enter", VK_RETURN},  {"tab", VK_TAB},       {"space", VK_SPACE},   {"escape", VK_ESCAPE},
               {"backspace", VK_BACK}, {"delete", VK_DELETE}};
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  for (const auto& n : named)
    if (lower == n.Name) return n.Key;
  if (lower.size() >= 2 && lower.size() <= 3 && lower[0] == 'f') {
    const int n = std::atoi(lower.c_str() + 1);
    if (n >= 1 && n <= 12 && std::to_string(n) == lower.substr(1)) return WORD(VK_F1 + n - 1);
  }
  if (lower.size() == 1 && std::isalnum(static_cast<unsigned char>(lower[0])))
    return WORD(std::toupper(static_cast<unsigned char>(lower[0])));
  return 0;
}

HWND FindMessageBox(DWORD processId) {
  TBoxSearch search{processId, nullptr};
  EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

bool ReadMessageBox(HWND box, std::wstring& text) {
  HWND control = IsWindow(box) ? GetDlgItem(box, kMessageTextId) : nullptr;
  return control && ReadText(control, text);
}

bool CloseMessageBox(HWND box) {
  if (!IsWindow(box)) return false;
  for (int id : {IDOK, IDCANCEL}) {
    HWND button = GetDlgItem(box, id);
    if (button && IsWindowVisible(button))
      return PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
  }
  return false;
}

// ---- Screenshots -------------------------------------------------------------------

size_t TShot::Colours(size_t limit) const {
  std::set<DWORD> seen;
  for (DWORD pixel : Pixels) {
    seen.insert(pixel & 0xFFFFFF);
    if (seen.size() >= limit) break;
  }
  return seen.size();
}

bool TakeShot(HWND window, TShot& shot) {
  RECT r{};
  if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return false;
  shot.Width = r.right - r.left;
  shot.Height = r.bottom - r.top;
  shot.Pixels.assign(size_t(shot.Width) * shot.Height, 0);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.Width;
  info.bmiHeader.biHeight = -shot.Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, shot.Width, shot.Height, screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    if (ok) std::memcpy(shot.Pixels.data(), bits, shot.Pixels.size() * sizeof(DWORD));
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool SaveShot(const TShot& shot, const std::wstring& path) {
  const int rowBytes = (shot.Width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = shot.Width;
  header.biHeight = shot.Height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = DWORD(rowBytes) * shot.Height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::vector<BYTE> data(header.biSizeImage, 0);
  for (int y = 0; y < shot.Height; ++y) {
    BYTE* row = data.data() + size_t(shot.Height - 1 - y) * rowBytes;
    for (int x = 0; x < shot.Width; ++x) {
      const DWORD pixel = shot.Pixels[size_t(y) * shot.Width + x];
      row[x * 3] = BYTE(pixel);
      row[x * 3 + 1] = BYTE(pixel >> 8);
      row[x * 3 + 2] = BYTE(pixel >> 16);
    }
  }
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(out, &file, sizeof(file), &written, nullptr) &&
            ::WriteFile(out, &header, sizeof(header), &written, nullptr) &&
            ::WriteFile(out, data.data(), DWORD(data.size()), &written, nullptr);
  CloseHandle(out);
  return ok;
}

}  // namespace wizdrive
