// The start-up benchmark's floor: a program with install.exe's system
// libraries (each used once, so that each is loaded and started) that shows
// one window with one control and ends when it is closed. Its time to the
// first window painted is what any such program pays under this Wine.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>
#include <shlobj.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  InitCommonControls();
  CoInitialize(nullptr);
  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAMS, FALSE);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) == ERROR_SUCCESS) RegCloseKey(key);
  ImmReleaseContext(nullptr, ImmGetContext(nullptr));
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "FirstWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("FirstWindow", "First window", WS_POPUP, 390, 312, 500, 400, nullptr, nullptr,
                              instance, nullptr);
  CreateWindowA("BUTTON", "OK", WS_CHILD | WS_VISIBLE, 330, 350, 141, 31, window, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  CoUninitialize();
  return 0;
}
