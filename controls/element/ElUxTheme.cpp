#include "ElUxTheme.hpp"

#include <cstring>
#include <iterator>
#include <string>

#define EL_UXTHEME_DEFINE(ret, name, params) T##name name = nullptr;
EL_UXTHEME_ENTRY_POINTS(EL_UXTHEME_DEFINE)
#undef EL_UXTHEME_DEFINE

bool ThemesAvailable = false;

namespace {

struct TEntryPointSlot {
  const char* Name;
  FARPROC* Pointer;
};

// The pointers in lookup order, each with the export name it is bound from.
#define EL_UXTHEME_SLOT(ret, name, params) {#name, reinterpret_cast<FARPROC*>(&name)},
const TEntryPointSlot kSlots[] = {EL_UXTHEME_ENTRY_POINTS(EL_UXTHEME_SLOT)};
#undef EL_UXTHEME_SLOT

constexpr const char* kRequired[] = {
    "IsThemeActive",   "OpenThemeData",    "CloseThemeData", "DrawThemeBackground",
    "DrawThemeEdge",   "GetThemePartSize", "GetThemeColor",  "GetThemeBackgroundContentRect",
};

HMODULE g_library = nullptr;

void ClearEntryPoints() {
  for (const TEntryPointSlot& slot : kSlots) *slot.Pointer = nullptr;
}

bool RequiredBound() {
  for (const char* name : kRequired)
    for (const TEntryPointSlot& slot : kSlots)
      if (std::strcmp(slot.Name, name) == 0 && !*slot.Pointer) return false;
  return true;
}

// Themes exist from Windows XP (NT 5.1) on.
bool SystemHasThemes(const TThemeLibrarySource& s) {
  if (s.PlatformId != VER_PLATFORM_WIN32_NT) return false;
  return s.MajorVersion > 5 || (s.MajorVersion == 5 && s.MinorVersion >= 1);
}

// From the system folder only: a library of the same name beside the
// program or in the current folder is never taken.
HMODULE LoadFromSystemFolder(const char* name) {
  char folder[MAX_PATH];
  const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::string path(folder, n);
  if (path.back() != '\\') path += '\\';
  return LoadLibraryA((path + name).c_str());
}
FARPROC FindByName(HMODULE module, const char* name) { return GetProcAddress(module, name); }

}  // namespace

std::vector<const char*> ThemeEntryPointsRequired() {
  return std::vector<const char*>(std::begin(kRequired), std::end(kRequired));
}

int ThemeEntryPointCount() { return static_cast<int>(sizeof kSlots / sizeof kSlots[0]); }

TThemeLibrarySource SystemThemeLibrarySource() {
  TThemeLibrarySource s;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info)) {
    s.PlatformId = info.dwPlatformId;
    s.MajorVersion = info.dwMajorVersion;
    s.MinorVersion = info.dwMinorVersion;
  }
  s.Load = &LoadFromSystemFolder;
  s.Find = &FindByName;
  return s;
}

void BindThemeLibrary(const TThemeLibrarySource& source) {
  ThemesAvailable = false;
  ClearEntryPoints();
  if (!SystemHasThemes(source)) return;
  HMODULE module = source.Load("uxtheme.dll");
  if (!module) return;
  g_library = module;
  for (const TEntryPointSlot& slot : kSlots) *slot.Pointer = source.Find(module, slot.Name);
  ThemesAvailable = RequiredBound();
}

void LoadThemeLibrary() { BindThemeLibrary(SystemThemeLibrarySource()); }

void UnloadThemeLibrary() {
  ThemesAvailable = false;
  ClearEntryPoints();
}

HRESULT DrawThemedBackground(const wchar_t* className, HDC dc, int partId, int stateId,
                             const RECT& rect, const RECT* clipRect) {
  if (!OpenThemeData || !CloseThemeData || !DrawThemeBackground) return E_NOTIMPL;
  HTHEME theme = OpenThemeData(nullptr, className);
  if (!theme) return E_NOTIMPL;
  struct TCloser {
    HTHEME Theme;
    ~TCloser() { CloseThemeData(Theme); }
  } closer{theme};
  return DrawThemeBackground(theme, dc, partId, stateId, &rect, clipRect);
}

const TUnitInfo ElUxThemeUnit = {"ElUxTheme", &LoadThemeLibrary, &UnloadThemeLibrary};
