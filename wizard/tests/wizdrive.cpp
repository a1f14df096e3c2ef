// wizdrive: the wizard driver on the command line, for scripts that walk a
// running wizard (the main job) or time its start-up (the benchmark).
//
//   wizdrive wait PAGE [SECONDS] [--shot FILE.bmp]
//                                  waits for the page, shown and painted; prints
//                                  "PAGE LEFT TOP WIDTH HEIGHT" (the host's place);
//                                  saves what the screen shows of the host then
//   wizdrive click BUTTON [--then-wait PAGE SECONDS] [--shot FILE.bmp]
//                                  forward, close, disagree or select-folder of the
//                                  page shown; then, in the same call, the wait
//   wizdrive close-host            posts WM_CLOSE to the host
//   wizdrive get-text [CLASS]      prints (UTF-8) the text of the page's first visible
//                                  window of the class (default TElEdit, the edit)
//   wizdrive set-text TEXT [CLASS] replaces that text
//   wizdrive keys [--to CLASS] KEY[*N]...
//                                  posts the keys (N times each) to the page's window
//                                  of the class, or to the wizard's focused window
//   wizdrive keys [--to CLASS] --until-edit TEXT [--max N] KEY...
//                                  posts the keys again and again (at most N times,
//                                  default 40), each time waiting for the page's edit
//                                  (TElEdit) to change and printing it, until it reads
//                                  TEXT: the folder page's edit tells where the tree's
//                                  selection is
//   wizdrive message [SECONDS] [--close]
//                                  waits for a message box of the wizard, prints its
//                                  text (UTF-8); with --close presses its OK button
//   wizdrive time-click BUTTON PAGE
//                                  posts the click and prints the milliseconds until
//                                  PAGE is shown and painted (the folder page's benchmark)
//   wizdrive time-keys [--to CLASS] KEY...
//                                  sends each key's press and release, as the window
//                                  would have them from its message loop, and prints
//                                  the milliseconds until they are handled and the
//                                  wizard is painted again
//   wizdrive wait-gone [SECONDS]   waits until no wizard window is left
//   wizdrive startup [--any] [--rounds N] PROGRAM [ARGUMENTS...]
//                                  starts the program N times (default 1) and prints,
//                                  for each start, the milliseconds from the start to
//                                  its first page painted; then ends it. With --any the
//                                  program is not our wizard: its first visible
//                                  top-level window with controls counts.
// Exit status: 0 done, 1 timed out or not found, 2 bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "WizardDriver.hpp"

using namespace wizdrive;

namespace {

std::string Narrow(const wchar_t* s) {
  int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
  return out;
}

DWORD Seconds(int argc, wchar_t** argv, int index, DWORD fallback) {
  if (index >= argc) return fallback * 1000;
  return DWORD(_wtoi(argv[index])) * 1000;
}

// Quotes one argument by the command-line rules of the C run-time.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
    } else {
      if (c == L'"') out.append(slashes + 1, L'\\');
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, L'\\');
  return out + L"\"";
}

// Waits for the page on `wizard` and prints where its host is; with a shot
// file, saves what the screen shows of the host the moment it is painted.
int Wait(TWizard& wizard, TPage page, DWORD timeoutMs, const std::wstring& shotFile) {
  if (page == TPage::Finish) wizard.SetAfterInstall(true);
  if (!wizard.WaitFor(page, timeoutMs)) {
    std::printf("timed out waiting for %s; shown: %s\n", PageName(page), PageName(wizard.Current()));
    return 1;
  }
  const HWND host = wizard.Windows().Host;
  if (!shotFile.empty()) {
    TShot shot;
    if (!TakeShot(host, shot) || !SaveShot(shot, shotFile)) {
      std::printf("%s shown, but its screenshot could not be saved\n", PageName(page));
      return 1;
    }
  }
  RECT r{};
  GetWindowRect(host, &r);
  std::printf("%s %ld %ld %ld %ld\n", PageName(page), r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}

bool ClickOn(TWizard& wizard, const std::string& button, int& result) {
  result = 1;
  if (wizard.Current() == TPage::None) {
    std::printf("no wizard page shown\n");
    return false;
  }
  bool clicked = false;
  if (button == "forward") clicked = wizard.ClickForward();
  else if (button == "close") clicked = wizard.ClickClose();
  else if (button == "disagree") clicked = wizard.ClickDisagree();
  else if (button == "select-folder") clicked = wizard.ClickSelectFolder();
  else {
    result = 2;
    return false;
  }
  if (!clicked) std::printf("the %s page has no %s button shown\n", PageName(wizard.Current()), button.c_str());
  result = clicked ? 0 : 1;
  return clicked;
}

// The options after a command: --then-wait PAGE SECONDS and --shot FILE.
struct TWaitOptions {
  bool Then = false;
  TPage Page = TPage::None;
  DWORD TimeoutMs = 60000;
  std::wstring ShotFile;
};

bool ReadOptions(int argc, wchar_t** argv, int first, TWaitOptions& options) {
  for (int i = first; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--then-wait") == 0 && i + 2 < argc) {
      options.Then = true;
      if (!ParsePage(Narrow(argv[++i]), options.Page)) return false;
      options.TimeoutMs = DWORD(_wtoi(argv[++i])) * 1000;
    } else if (std::wcscmp(argv[i], L"--shot") == 0 && i + 1 < argc) {
      options.ShotFile = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

// ---- Start-up timing -----------------------------------------------------------------

struct TWindowSearch {
  DWORD ProcessId;
  HWND Found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM data) {
  auto search = reinterpret_cast<TWindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->ProcessId || !IsWindowVisible(window)) return TRUE;
  HWND child = GetWindow(window, GW_CHILD);
  while (child && !IsWindowVisible(child)) child = GetWindow(child, GW_HWNDNEXT);
  if (!child) return TRUE;
  search->Found = window;
  return FALSE;
}

// Another program's first page: a visible top-level window with a visible
// control in it, painted by the same rule as the wizard's.
bool OtherProgramPainted(DWORD processId, HWND& window) {
  TWindowSearch search{processId, nullptr};
  EnumWindows(&FindShownWindow, reinterpret_cast<LPARAM>(&search));
  window = search.Found;
  if (!window) return false;
  TPageWindows page;
  page.Host = page.Holder = window;
  return Painted(page);
}

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// One start: milliseconds to the first page painted, or -1.
double TimeOneStart(const std::wstring& commandLine, bool any) {
  TProcess process;
  const double start = Now();
  if (!process.Start(commandLine)) return -1;
  TWizard wizard(process.Id());
  HWND other = nullptr;
  const bool shown = WaitUntil([&] {
    if (any) return OtherProgramPainted(process.Id(), other);
    return wizard.Current() == TPage::Welcome && Painted(wizard.Windows());
  }, 60000, 5);
  const double elapsed = Now() - start;
  // The program ends as its user would end it: the close button, or the
  // window's close for another program.
  if (any) {
    if (other) PostMessageA(other, WM_CLOSE, 0, 0);
  } else {
    wizard.ClickClose();
  }
  if (!process.WaitForEnd(20000)) process.Kill();
  return shown ? elapsed : -1;
}

int Startup(int argc, wchar_t** argv, int first) {
  bool any = false;
  int rounds = 1;
  int i = first;
  for (; i < argc && argv[i][0] == L'-'; ++i) {
    if (std::wcscmp(argv[i], L"--any") == 0) any = true;
    else if (std::wcscmp(argv[i], L"--rounds") == 0 && i + 1 < argc) rounds = _wtoi(argv[++i]);
    else return 2;
  }
  if (i >= argc) return 2;
  std::wstring commandLine;
  for (; i < argc; ++i) commandLine += (commandLine.empty() ? L"" : L" ") + Quote(argv[i]);
  int failed = 0;
  for (int round = 0; round < rounds; ++round) {
    const double ms = TimeOneStart(commandLine, any);
    if (ms < 0) ++failed;
    std::printf("%.1f\n", ms);
    std::fflush(stdout);
  }
  return failed ? 1 : 0;
}

// ---- Edits, keys and message boxes ---------------------------------------------------

HWND PageWindow(const std::string& className) {
  const HWND host = FindHost(0);
  const HWND window = FindDescendant(host, className.c_str());
  if (!window) std::printf("no visible %s in the wizard\n", host ? className.c_str() : "wizard");
  return window;
}

int GetText(const std::string& className) {
  const HWND window = PageWindow(className);
  std::wstring text;
  if (!window || !ReadText(window, text)) return 1;
  std::printf("%s\n", Narrow(text.c_str()).c_str());
  return 0;
}

int SetTextOf(const std::wstring& text, const std::string& className) {
  const HWND window = PageWindow(className);
  return window && SetText(window, text) ? 0 : 1;
}

// Posts the keys until the page's edit reads `wanted`, printing each text.
int KeysUntilEdit(HWND target, const std::vector<WORD>& keys, const std::wstring& wanted, int rounds) {
  const HWND edit = PageWindow("TElEdit");
  std::wstring last;
  if (!edit) return 1;
  if (PostKeysUntilText(target, edit, keys, wanted, rounds, last, [](const std::wstring& text) {
        std::printf("%s\n", Narrow(text.c_str()).c_str());
        std::fflush(stdout);
      }))
    return 0;
  std::printf("the edit never read %s\n", Narrow(wanted.c_str()).c_str());
  return 1;
}

int Keys(int argc, wchar_t** argv, int first) {
  HWND target = nullptr;
  int i = first;
  std::wstring wanted;
  bool until = false;
  int rounds = 40;
  if (i + 1 < argc && std::wcscmp(argv[i], L"--to") == 0) {
    target = PageWindow(Narrow(argv[i + 1]));
    if (!target) return 1;
    i += 2;
  } else {
    target = FocusOf(FindHost(0));
    if (!target) {
      std::printf("no focused window in the wizard\n");
      return 1;
    }
  }
  std::vector<WORD> keys;
  for (; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--until-edit") == 0 && i + 1 < argc) {
      until = true;
      wanted = argv[++i];
      continue;
    }
    if (std::wcscmp(argv[i], L"--max") == 0 && i + 1 < argc) {
      rounds = _wtoi(argv[++i]);
      if (rounds < 1) return 2;
      continue;
    }
    std::string name = Narrow(argv[i]);
    int count = 1;
    const size_t star = name.find('*');
    if (star != std::string::npos) {
      count = std::atoi(name.c_str() + star + 1);
      name.resize(star);
    }
    const WORD key = KeyByName(name);
    if (!key || count < 1 || count > 10000) return 2;
    keys.insert(keys.end(), size_t(count), key);
  }
  if (keys.empty()) return 2;
  if (until) return KeysUntilEdit(target, keys, wanted, rounds);
  return PostKeys(target, keys) ? 0 : 1;
}

int Message(int argc, wchar_t** argv, int first) {
  DWORD timeoutMs = 10000;
  bool close = false;
  for (int i = first; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--close") == 0) close = true;
    else if (argv[i][0] != L'-') timeoutMs = DWORD(_wtoi(argv[i])) * 1000;
    else return 2;
  }
  HWND box = nullptr;
  const HWND host = FindHost(0);
  DWORD processId = 0;
  if (host) GetWindowThreadProcessId(host, &processId);
  if (!WaitUntil([&] { return (box = FindMessageBox(processId)) != nullptr; }, timeoutMs)) {
    std::printf("no message box shown\n");
    return 1;
  }
  std::wstring text;
  if (!ReadMessageBox(box, text)) return 1;
  std::printf("%s\n", Narrow(text.c_str()).c_str());
  std::fflush(stdout);
  if (!close) return 0;
  return CloseMessageBox(box) && WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000) ? 0 : 1;
}

// ---- Timing a page's work --------------------------------------------------------

int TimeClick(TWizard& wizard, const std::string& button, const std::string& pageName) {
  TPage page;
  if (!ParsePage(pageName, page)) return 2;
  const double start = Now();
  int result = 0;
  if (!ClickOn(wizard, button, result)) return result;
  if (!WaitUntil([&] { return wizard.Current() == page && Painted(wizard.Windows()); }, 60000, 2)) {
    std::printf("timed out waiting for %s; shown: %s\n", PageName(page), PageName(wizard.Current()));
    return 1;
  }
  std::printf("%.1f\n", Now() - start);
  return 0;
}

// Sent rather than posted: the send returns once the key has been handled,
// which a posted key never tells another process.
int TimeKeys(int argc, wchar_t** argv, int first) {
  int i = first;
  HWND target = nullptr;
  if (i + 1 < argc && std::wcscmp(argv[i], L"--to") == 0) {
    target = PageWindow(Narrow(argv[i + 1]));
    i += 2;
  } else {
    target = FocusOf(FindHost(0));
  }
  if (!target) return 1;
  std::vector<WORD> keys;
  for (; i < argc; ++i) {
    const WORD key = KeyByName(Narrow(argv[i]));
    if (!key) return 2;
    keys.push_back(key);
  }
  if (keys.empty()) return 2;
  TWizard wizard;
  const double start = Now();
  for (WORD key : keys) {
    const LPARAM scan = LPARAM(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target, WM_KEYDOWN, key, scan | 1, SMTO_NORMAL, 60000, &result) ||
        !SendMessageTimeoutW(target, WM_KEYUP, key, scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31), SMTO_NORMAL,
                             60000, &result))
      return 1;
  }
  if (!WaitUntil([&] { return wizard.Current() != TPage::None && Painted(wizard.Windows()); }, 60000, 2)) return 1;
  std::printf("%.1f\n", Now() - start);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: wizdrive wait PAGE [SECONDS] [--shot FILE.bmp]\n"
               "       wizdrive click forward|close|disagree|select-folder [--then-wait PAGE SECONDS] [--shot FILE.bmp]\n"
               "       wizdrive close-host | wait-gone [SECONDS]\n"
               "       wizdrive get-text [CLASS] | set-text TEXT [CLASS]\n"
               "       wizdrive keys [--to CLASS] [--until-edit TEXT [--max N]] KEY[*N]...\n"
               "       wizdrive message [SECONDS] [--close]\n"
               "       wizdrive time-click BUTTON PAGE | time-keys [--to CLASS] KEY...\n"
               "       wizdrive startup [--any] [--rounds N] PROGRAM [ARGS...]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::string command = Narrow(argv[1]);
  TWizard wizard;
  TWaitOptions options;
  if (command == "wait" && argc >= 3) {
    TPage page;
    if (!ParsePage(Narrow(argv[2]), page)) return Usage();
    int next = 3;
    if (next < argc && argv[next][0] != L'-') options.TimeoutMs = DWORD(_wtoi(argv[next++])) * 1000;
    if (!ReadOptions(argc, argv, next, options) || options.Then) return Usage();
    return Wait(wizard, page, options.TimeoutMs, options.ShotFile);
  }
  if (command == "click" && argc >= 3) {
    if (!ReadOptions(argc, argv, 3, options) || (!options.ShotFile.empty() && !options.Then)) return Usage();
    int result = 0;
    if (!ClickOn(wizard, Narrow(argv[2]), result)) return result == 2 ? Usage() : result;
    return options.Then ? Wait(wizard, options.Page, options.TimeoutMs, options.ShotFile) : 0;
  }
  if (command == "close-host") {
    wizard.Current();
    return wizard.CloseHost() ? 0 : 1;
  }
  if (command == "get-text" && argc <= 3) return GetText(argc == 3 ? Narrow(argv[2]) : "TElEdit");
  if (command == "set-text" && (argc == 3 || argc == 4))
    return SetTextOf(argv[2], argc == 4 ? Narrow(argv[3]) : "TElEdit");
  if (command == "keys") {
    const int result = Keys(argc, argv, 2);
    return result == 2 ? Usage() : result;
  }
  if (command == "message") {
    const int result = Message(argc, argv, 2);
    return result == 2 ? Usage() : result;
  }
  if (command == "time-click" && argc == 4) {
    const int result = TimeClick(wizard, Narrow(argv[2]), Narrow(argv[3]));
    return result == 2 ? Usage() : result;
  }
  if (command == "time-keys") {
    const int result = TimeKeys(argc, argv, 2);
    return result == 2 ? Usage() : result;
  }
  if (command == "wait-gone") return wizard.WaitForHostGone(Seconds(argc, argv, 2, 60)) ? 0 : 1;
  if (command == "startup") {
    const int result = Startup(argc, argv, 2);
    return result == 2 ? Usage() : result;
  }
  return Usage();
}
