// uninsts.exe: its command-line rule, the folder removal with its refusals,
// and the program itself started as the uninstaller starts it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "FolderRemoval.hpp"
#include "WinApi.hpp"

using namespace uninsts;
namespace fs = std::filesystem;

namespace {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = fs::path(temp) / (L"uninsts-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter++));
    fs::create_directories(path_);
  }
  // Removed with the code under test, which never follows a link out.
  ~TempFolder() { RemoveFolder(path_.wstring(), FolderKind::Plain); }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void Touch(const fs::path& path, const std::string& content = "x", DWORD attributes = 0) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
  if (attributes) SetFileAttributesW(path.c_str(), attributes);
}

// A product folder as the install leaves it, with awkward attributes.
fs::path MakeProduct(const fs::path& root, const wchar_t* marker = L"uninstall.exe",
                     const wchar_t* name = L"Лумбрикс 2008") {
  const fs::path product = root / name;
  Touch(product / marker);
  Touch(product / L"Storage" / L"Tutorial" / L"index.htm", "<html>", FILE_ATTRIBUTE_READONLY);
  Touch(product / L"Справка" / L"глава.txt", "text", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  Touch(product / L"readonly-folder" / L"file.bin", "bin", FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((product / L"readonly-folder").c_str(), FILE_ATTRIBUTE_READONLY);
  fs::create_directories(product / L"empty" / L"nested");
  return product;
}

std::string Ansi(const fs::path& path) {
  const std::wstring w = path.wstring();
  const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// Starts uninsts.exe with the given argument text and returns its exit code.
DWORD RunUninsts(const std::string& arguments) {
  std::string commandLine = std::string("\"") + UNINSTS_EXE + "\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 0xFFFFFFFF;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

}  // namespace

TEST(CommandLine, QuotesToggleAndBackslashesStayAsTheyAre) {
  EXPECT_EQ(SplitCommandLine("uninsts.exe \"C:\\Program Files\\Kestrum\\Lumbrix 2008\\\" \"C:\\Menu\\Lumbrix\\\""),
            (std::vector<std::string>{"uninsts.exe", "C:\\Program Files\\Kestrum\\Lumbrix 2008\\", "C:\\Menu\\Lumbrix\\"}));
  EXPECT_EQ(SplitCommandLine("  a\"b c\"d\t\te  "), (std::vector<std::string>{"ab cd", "e"}));
  EXPECT_EQ(SplitCommandLine("p \"unterminated quote"), (std::vector<std::string>{"p", "unterminated quote"}));
  EXPECT_EQ(SplitCommandLine("p \\\"x y\\\""), (std::vector<std::string>{"p", "\\x y\\"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(Removal, AProductFolderGoesWithReadOnlyHiddenAndNestedContents) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  EXPECT_EQ(RemoveFolder(product.wstring() + L"\\", FolderKind::Product), Removal::Removed);
  EXPECT_FALSE(fs::exists(product));
  EXPECT_TRUE(fs::exists(temp.Path()));
}

TEST(Removal, EitherMarkerFileQualifiesAProductFolder) {
  TempFolder temp;
  EXPECT_EQ(RemoveFolder(MakeProduct(temp.Path(), L"kv4.exe").wstring(), FolderKind::Product), Removal::Removed);
}

TEST(Removal, AFolderWithoutMarkerFilesIsRefusedAsProductButNotAsStartMenuFolder) {
  TempFolder temp;
  const fs::path folder = temp.Path() / L"Documents";
  Touch(folder / L"letter.txt");
  Touch(folder / L"uninstall.exe" / L"not-a-file.txt");  // a folder by that name is no marker
  EXPECT_EQ(RemoveFolder(folder.wstring(), FolderKind::Product), Removal::RefusedMarker);
  EXPECT_TRUE(fs::exists(folder / L"letter.txt"));
  EXPECT_EQ(RemoveFolder(folder.wstring(), FolderKind::Plain), Removal::Removed);
  EXPECT_FALSE(fs::exists(folder));
}

TEST(Removal, RootsAndRelativePathsAreRefused) {
  for (const wchar_t* path : {L"C:\\", L"C:", L"C:/", L"Z:\\", L"\\\\server\\share\\", L"\\\\server\\share", L".",
                              L"relative\\folder", L"", L"\\\\?\\C:\\"}) {
    EXPECT_EQ(RemoveFolder(path, FolderKind::Plain), Removal::RefusedRoot) << fs::path(path).string();
  }
}

TEST(Removal, AMissingFolderIsNothingToDo) {
  TempFolder temp;
  EXPECT_EQ(RemoveFolder((temp.Path() / L"gone").wstring(), FolderKind::Product), Removal::NothingThere);
  EXPECT_EQ(ExitCode({Removal::NothingThere}), 0);
}

TEST(Removal, AFileInUseForAMomentIsRetried) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  HANDLE held = CreateFileW((product / L"uninstall.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    Sleep(500);
    CloseHandle(held);
  });
  EXPECT_EQ(RemoveFolder(product.wstring(), FolderKind::Product), Removal::Removed);
  release.join();
  EXPECT_FALSE(fs::exists(product));
}

TEST(Removal, AFileHeldForGoodFailsTheRemoval) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  HANDLE held = CreateFileW((product / L"uninstall.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RemoveFolder(product.wstring(), FolderKind::Product), Removal::Failed);
  CloseHandle(held);
  EXPECT_EQ(ExitCode({Removal::Removed, Removal::Failed}), 1);
}

namespace {

bool IsLink(const fs::path& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A directory link by the system's call; where that is a stub (Wine), a
// host symbolic link made by the host's ln, which Wine shows as a link.
bool MakeDirectoryLink(const fs::path& link, const fs::path& target) {
  using CreateLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateSymbolicLinkW")));
  constexpr DWORD kDirectoryLink = 1;
  if (create && create(link.c_str(), target.c_str(), kDirectoryLink) && IsLink(link)) return true;
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (!unixName) return false;
  char* from = unixName(target.c_str());
  char* to = unixName(link.c_str());
  if (!from || !to) return false;
  // The host names are UTF-8; a wide command line carries them unchanged.
  auto wide = [](const char* utf8) {
    std::wstring out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), static_cast<int>(out.size()));
    out.pop_back();
    return out;
  };
  std::wstring commandLine = L"Z:\\bin\\ln -s \"" + wide(from) + L"\" \"" + wide(to) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // Wine does not wait for a host program through its process handle.
  for (int i = 0; i < 100 && !IsLink(link); ++i) Sleep(50);
  return IsLink(link);
}

}  // namespace

TEST(Removal, ALinkInsideIsDeletedWithoutTouchingItsTarget) {
  TempFolder temp;
  // ASCII names: the host's ln gets them through Wine's command line.
  const fs::path product = MakeProduct(temp.Path(), L"uninstall.exe", L"Lumbrix 2008");
  const fs::path outside = temp.Path() / L"user data";
  Touch(outside / L"precious.txt", "keep me");
  if (!MakeDirectoryLink(product / L"Storage" / L"link", outside))
    GTEST_SKIP() << "no way to make a directory link here";
  ASSERT_TRUE(fs::exists(product / L"Storage" / L"link" / L"precious.txt"));
  const Removal result = RemoveFolder(product.wstring(), FolderKind::Product);
  EXPECT_TRUE(fs::exists(outside / L"precious.txt"));
  if (IsLink(product / L"Storage" / L"link")) {
    // Wine shows host links as folder links but cannot delete them; the
    // removal must then say it failed rather than reach through the link.
    EXPECT_EQ(result, Removal::Failed);
    EXPECT_FALSE(fs::exists(product / L"uninstall.exe"));
  } else {
    EXPECT_EQ(result, Removal::Removed);
    EXPECT_FALSE(fs::exists(product));
  }
}

TEST(Program, DeletesBothQuotedFoldersWithTheirTrailingBackslash) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  const fs::path menu = temp.Path() / L"Kestrum" / L"Lumbrix 2008";
  Touch(menu / L"Лумбрикс 2008.lnk");
  EXPECT_EQ(RunUninsts("\"" + Ansi(product) + "\\\" \"" + Ansi(menu) + "\\\""), 0u);
  EXPECT_FALSE(fs::exists(product));
  EXPECT_FALSE(fs::exists(menu));
  EXPECT_TRUE(fs::exists(temp.Path() / L"Kestrum"));
}

TEST(Program, OneArgumentIsTheProductFolderAlone) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  EXPECT_EQ(RunUninsts("\"" + Ansi(product) + "\\\""), 0u);
  EXPECT_FALSE(fs::exists(product));
}

TEST(Program, RefusalsAndMissingArgumentsGiveANonZeroExitCode) {
  TempFolder temp;
  const fs::path folder = temp.Path() / L"Documents";
  Touch(folder / L"letter.txt");
  EXPECT_NE(RunUninsts("\"" + Ansi(folder) + "\\\""), 0u);
  EXPECT_TRUE(fs::exists(folder / L"letter.txt"));
  const fs::path product = MakeProduct(temp.Path());
  EXPECT_NE(RunUninsts("\"" + Ansi(product) + "\\\" \"C:\\\""), 0u);
  EXPECT_FALSE(fs::exists(product));  // the product folder itself was fine
  EXPECT_NE(RunUninsts(""), 0u);
}
