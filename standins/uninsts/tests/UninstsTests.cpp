// uninsts.exe: its command-line rule, the removal of exactly what the list of
// installed files names, its refusals, and the program itself started as the
// uninstaller starts it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "InstalledFilesList.hpp"
#include "ListRemoval.hpp"
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
  ~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void Touch(const fs::path& path, const std::string& content = "x", DWORD attributes = 0) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
  if (attributes) SetFileAttributesW(path.c_str(), attributes);
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.pop_back();
  return out;
}

void WriteList(const fs::path& product, const std::vector<std::wstring>& names) {
  std::vector<std::string> utf8;
  for (const auto& name : names) utf8.push_back(Utf8(name));
  std::ofstream(product / installedfiles::FileName, std::ios::binary) << installedfiles::Format(utf8);
}

// A product folder as the install leaves it, with awkward attributes and
// Cyrillic names, and its list.
const std::vector<std::wstring> ProductNames = {
    L"kv4.exe",          L"uninstall.exe",           L"Storage\\",          L"Storage\\Tutorial\\",
    L"Storage\\Tutorial\\index.htm", L"Справка\\", L"Справка\\глава.txt", L"readonly-folder\\",
    L"readonly-folder\\file.bin",    L"empty\\",   L"empty\\nested\\"};

fs::path MakeProduct(const fs::path& root, const wchar_t* name = L"Лумбрикс 2008") {
  const fs::path product = root / name;
  Touch(product / L"kv4.exe");
  Touch(product / L"uninstall.exe");
  Touch(product / L"Storage" / L"Tutorial" / L"index.htm", "<html>", FILE_ATTRIBUTE_READONLY);
  Touch(product / L"Справка" / L"глава.txt", "text", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  Touch(product / L"readonly-folder" / L"file.bin", "bin", FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((product / L"readonly-folder").c_str(), FILE_ATTRIBUTE_READONLY);
  fs::create_directories(product / L"empty" / L"nested");
  WriteList(product, ProductNames);
  return product;
}

// The user's own things beside the product's: a file in the product folder,
// one in a product sub-folder, and a folder of their own.
void AddUsersFiles(const fs::path& product) {
  Touch(product / L"Мои заметки.txt", "notes");
  Touch(product / L"Storage" / L"мой шаблон.htm", "template");
  Touch(product / L"Мои сайты" / L"сайт" / L"index.html", "site");
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

std::string Quoted(const fs::path& folder) { return "\"" + Ansi(folder) + "\\\""; }

}  // namespace

TEST(CommandLine, QuotesToggleAndBackslashesStayAsTheyAre) {
  EXPECT_EQ(SplitCommandLine("uninsts.exe \"C:\\Program Files\\Kestrum\\Lumbrix 2008\\\" \"C:\\Menu\\Lumbrix\\\""),
            (std::vector<std::string>{"uninsts.exe", "C:\\Program Files\\Kestrum\\Lumbrix 2008\\", "C:\\Menu\\Lumbrix\\"}));
  EXPECT_EQ(SplitCommandLine("  a\"b c\"d\t\te  "), (std::vector<std::string>{"ab cd", "e"}));
  EXPECT_EQ(SplitCommandLine("p \"unterminated quote"), (std::vector<std::string>{"p", "unterminated quote"}));
  EXPECT_EQ(SplitCommandLine("p \\\"x y\\\""), (std::vector<std::string>{"p", "\\x y\\"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(Removal, TheListedProductGoesWithReadOnlyHiddenAndNestedContents) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  EXPECT_EQ(RemoveProduct(product.wstring() + L"\\", L""), Outcome::Removed);
  EXPECT_FALSE(fs::exists(product));
  EXPECT_TRUE(fs::exists(temp.Path()));
}

TEST(Removal, TheUsersFilesStayWithTheFoldersThatHoldThem) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  AddUsersFiles(product);
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Removed);
  std::vector<fs::path> left;
  for (const auto& entry : fs::recursive_directory_iterator(product)) left.push_back(fs::relative(entry.path(), product));
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<fs::path>{L"Storage", L"Storage\\мой шаблон.htm", L"Мои заметки.txt", L"Мои сайты",
                                         L"Мои сайты\\сайт", L"Мои сайты\\сайт\\index.html"}));
  std::ifstream kept(product / L"Storage" / L"мой шаблон.htm", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "template");
}

TEST(Removal, AUsersFileMovedAsideGoesBackInPlaceOfTheProductsCopy) {
  TempFolder temp;
  const fs::path product = temp.Path() / L"Lumbrix 2008";
  Touch(product / L"kv4.exe", "the product's");
  Touch(product / L"Storage" / L"index.htm", "the product's page");
  Touch(product / L"Storage" / L"index.htm.lumbrix-original", "the user's page", FILE_ATTRIBUTE_READONLY);
  // The user has removed the other backup, and its installed copy.
  WriteList(product, {L"kv4.exe", L"Storage\\", L"Storage\\index.htm|Storage\\index.htm.lumbrix-original",
                      L"gone.txt|gone.txt.lumbrix-original"});
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Removed);
  std::ifstream restored(product / L"Storage" / L"index.htm", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(restored), {}), "the user's page");
  EXPECT_EQ(GetFileAttributesW((product / L"Storage" / L"index.htm").c_str()) & FILE_ATTRIBUTE_READONLY,
            DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_FALSE(fs::exists(product / L"Storage" / L"index.htm.lumbrix-original"));
  EXPECT_FALSE(fs::exists(product / L"kv4.exe"));
}

TEST(Removal, AFolderThatWasThereBeforeTheInstallStaysEvenEmpty) {
  // The list names only what the install created: "Storage" was the
  // user's, so it stays though the product's file in it goes.
  TempFolder temp;
  const fs::path product = temp.Path() / L"product";
  Touch(product / L"Storage" / L"index.htm");
  Touch(product / L"kv4.exe");
  WriteList(product, {L"kv4.exe", L"Storage\\index.htm"});
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Removed);
  EXPECT_TRUE(fs::is_directory(product / L"Storage"));
  EXPECT_TRUE(fs::is_empty(product / L"Storage"));
  EXPECT_FALSE(fs::exists(product / installedfiles::FileName));
}

TEST(Removal, WithoutAReadableListNothingIsRemoved) {
  TempFolder temp;
  const fs::path folder = temp.Path() / L"Документы";
  Touch(folder / L"письмо.txt");
  Touch(folder / L"uninstall.exe");
  Touch(folder / L"kv4.exe");
  const fs::path menu = temp.Path() / L"Menu";
  fs::create_directories(menu);
  // No list at all.
  EXPECT_EQ(RemoveProduct(folder.wstring(), menu.wstring()), Outcome::NoList);
  // Another file's first line.
  Touch(folder / installedfiles::FileName, "kv4.exe\r\nuninstall.exe\r\n");
  EXPECT_EQ(RemoveProduct(folder.wstring(), menu.wstring()), Outcome::NoList);
  // One line that reaches out of the folder spoils the whole list.
  WriteList(folder, {L"kv4.exe", L"..\\..\\important.txt"});
  EXPECT_EQ(RemoveProduct(folder.wstring(), menu.wstring()), Outcome::NoList);
  // A list that is not UTF-8.
  Touch(folder / installedfiles::FileName, std::string(installedfiles::Header) + "\r\n\xEF\xF0\xE8\r\n");
  EXPECT_EQ(RemoveProduct(folder.wstring(), menu.wstring()), Outcome::NoList);
  EXPECT_TRUE(fs::exists(folder / L"письмо.txt"));
  EXPECT_TRUE(fs::exists(folder / L"uninstall.exe"));
  EXPECT_TRUE(fs::exists(folder / L"kv4.exe"));
  EXPECT_TRUE(fs::exists(menu)) << "the Start-menu folder waits for a product that was removed";
}

TEST(Removal, RootsAndRelativePathsAreRefused) {
  for (const wchar_t* path : {L"C:\\", L"C:", L"C:/", L"Z:\\", L"\\\\server\\share\\", L"\\\\server\\share", L".",
                              L"relative\\folder", L"", L"\\\\?\\C:\\"}) {
    EXPECT_EQ(RemoveProduct(path, L""), Outcome::BadArguments) << fs::path(path).string();
  }
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  EXPECT_EQ(RemoveProduct(product.wstring(), L"C:\\"), Outcome::BadArguments);
  EXPECT_TRUE(fs::exists(product / L"kv4.exe")) << "a bad Start-menu folder stops it all";
}

TEST(Removal, TheStartMenuFolderGoesOnlyWhenEmpty) {
  TempFolder temp;
  const fs::path menu = temp.Path() / L"Kestrum" / L"Lumbrix 2008";
  fs::create_directories(menu);
  EXPECT_EQ(RemoveProduct(MakeProduct(temp.Path()).wstring(), menu.wstring()), Outcome::Removed);
  EXPECT_FALSE(fs::exists(menu));
  EXPECT_TRUE(fs::exists(temp.Path() / L"Kestrum"));
  // A shortcut of the user's own keeps it.
  Touch(menu / L"Мой ярлык.lnk");
  EXPECT_EQ(RemoveProduct(MakeProduct(temp.Path()).wstring(), menu.wstring()), Outcome::Removed);
  EXPECT_TRUE(fs::exists(menu / L"Мой ярлык.lnk"));
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
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Removed);
  release.join();
  EXPECT_FALSE(fs::exists(product));
}

TEST(Removal, AFileHeldForGoodLeavesTheListForAnotherTry) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  HANDLE held = CreateFileW((product / L"uninstall.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Incomplete);
  CloseHandle(held);
  // The rest went; the list is still there, so a second run finishes.
  EXPECT_FALSE(fs::exists(product / L"kv4.exe"));
  EXPECT_TRUE(fs::exists(product / installedfiles::FileName));
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Removed);
  EXPECT_FALSE(fs::exists(product));
}

TEST(Removal, AListedNameThatIsAFolderNowIsNotDeleted) {
  TempFolder temp;
  const fs::path product = temp.Path() / L"product";
  Touch(product / L"kv4.exe" / L"user.txt");  // a folder of the user's by that name
  WriteList(product, {L"kv4.exe"});
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Removed);
  EXPECT_TRUE(fs::exists(product / L"kv4.exe" / L"user.txt"));
}

namespace {

bool IsLink(const fs::path& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The host's program with the given arguments (UTF-8 host names; a wide
// command line carries them unchanged). Wine does not wait for a host
// program through its process handle: the caller waits for its effect.
bool StartHostProgram(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

std::wstring HostName(const fs::path& path) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  const char* utf8 = unixName ? unixName(path.c_str()) : nullptr;
  if (!utf8) return {};
  std::wstring out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), static_cast<int>(out.size()));
  out.pop_back();
  return out;
}

// A directory link by the system's call; where that is a stub (Wine), a
// host symbolic link made by the host's ln, which Wine shows as a link. It
// goes again with the object (Wine's own calls would follow it).
class TDirectoryLink {
 public:
  TDirectoryLink(const fs::path& link, const fs::path& target) : link_(link) {
    using CreateLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    auto create = reinterpret_cast<CreateLink>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkW")));
    constexpr DWORD kDirectoryLink = 1;
    if (create && create(link.c_str(), target.c_str(), kDirectoryLink) && IsLink(link)) {
      made_ = true;
      return;
    }
    host_ = HostName(link);
    const std::wstring from = HostName(target);
    if (host_.empty() || from.empty() || !StartHostProgram(L"Z:\\bin\\ln -s \"" + from + L"\" \"" + host_ + L"\""))
      return;
    for (int i = 0; i < 1200 && !IsLink(link); ++i) Sleep(50);
    made_ = IsLink(link);
  }
  ~TDirectoryLink() {
    if (!made_) return;
    if (host_.empty()) {
      RemoveDirectoryW(link_.c_str());
    } else if (StartHostProgram(L"Z:\\bin\\rm -f \"" + host_ + L"\"")) {
      for (int i = 0; i < 1200 && GetFileAttributesW(link_.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    }
  }
  bool Made() const { return made_; }

 private:
  fs::path link_;
  std::wstring host_;
  bool made_ = false;
};

}  // namespace

std::string Content(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Removal, AListedFolderReplacedByALinkIsNeverEnteredAndTheListStays) {
  TempFolder temp;
  // ASCII names: the host's ln gets them through Wine's command line.
  const fs::path product = temp.Path() / L"Lumbrix 2008";
  const fs::path outside = temp.Path() / L"user data";
  Touch(outside / L"index.htm", "the user's own page");
  Touch(product / L"kv4.exe");
  Touch(product / L"uninstall.exe");
  WriteList(product, {L"kv4.exe", L"uninstall.exe", L"Storage\\", L"Storage\\index.htm"});
  TDirectoryLink link(product / L"Storage", outside);
  if (!link.Made()) GTEST_SKIP() << "no way to make a directory link here";
  ASSERT_TRUE(fs::exists(product / L"Storage" / L"index.htm"));
  // What lies under the link could not be looked at: not removed.
  EXPECT_EQ(RemoveProduct(product.wstring(), L""), Outcome::Incomplete);
  EXPECT_EQ(Content(outside / L"index.htm"), "the user's own page");
  EXPECT_FALSE(fs::exists(product / L"kv4.exe"));
  EXPECT_TRUE(IsLink(product / L"Storage")) << "the link is the user's; it stays";
  EXPECT_TRUE(fs::exists(product / installedfiles::FileName));
  EXPECT_TRUE(fs::exists(product / L"uninstall.exe")) << "the uninstaller stays for another try";
}

TEST(Removal, AFolderIsHeldWhileItsEntriesGoSoItCannotBeSwappedForALink) {
  TempFolder temp;
  const fs::path product = temp.Path() / L"Lumbrix 2008";
  const fs::path outside = temp.Path() / L"user data";
  Touch(outside / L"a.txt", "user a");
  Touch(outside / L"b.txt", "user b");
  Touch(product / L"Storage" / L"a.txt");
  Touch(product / L"Storage" / L"b.txt");
  WriteList(product, {L"Storage\\", L"Storage\\a.txt", L"Storage\\b.txt"});
  // The removal waits for a.txt; meanwhile the folder is moved away and a
  // link to the user's folder put in its place, if the system lets it.
  const fs::path staged = temp.Path() / L"staged";
  TDirectoryLink link(staged, outside);
  if (!link.Made()) GTEST_SKIP() << "no way to make a directory link here";
  HANDLE held = CreateFileW((product / L"Storage" / L"a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  bool moved = false, linked = false;
  std::thread swapper([&] {
    Sleep(500);
    moved = MoveFileW((product / L"Storage").c_str(), (product / L"moved").c_str()) != 0;
    linked = moved && MoveFileW(staged.c_str(), (product / L"Storage").c_str()) != 0;
    CloseHandle(held);
  });
  const Outcome outcome = RemoveProduct(product.wstring(), L"");
  swapper.join();
  EXPECT_EQ(Content(outside / L"a.txt"), "user a");
  EXPECT_EQ(Content(outside / L"b.txt"), "user b");
  EXPECT_FALSE(moved) << "the folder was not held";
  EXPECT_FALSE(linked);
  EXPECT_EQ(outcome, Outcome::Removed);
  EXPECT_FALSE(fs::exists(product));
}

TEST(Program, RemovesTheListedProductAndTheEmptyStartMenuFolder) {
  TempFolder temp;
  const fs::path product = MakeProduct(temp.Path());
  AddUsersFiles(product);
  const fs::path menu = temp.Path() / L"Kestrum" / L"Lumbrix 2008";
  fs::create_directories(menu);
  EXPECT_EQ(RunUninsts(Quoted(product) + " " + Quoted(menu)), 0u);
  EXPECT_FALSE(fs::exists(product / L"kv4.exe"));
  EXPECT_TRUE(fs::exists(product / L"Мои заметки.txt"));
  EXPECT_FALSE(fs::exists(menu));
}

TEST(Program, ExitCodesSayWhatBecameOfTheProduct) {
  TempFolder temp;
  const fs::path folder = temp.Path() / L"Документы";
  Touch(folder / L"письмо.txt");
  EXPECT_EQ(RunUninsts(Quoted(folder)), DWORD(Outcome::NoList));
  EXPECT_TRUE(fs::exists(folder / L"письмо.txt"));
  EXPECT_EQ(RunUninsts(""), DWORD(Outcome::BadArguments));
  EXPECT_EQ(RunUninsts("\"relative\\\""), DWORD(Outcome::BadArguments));
  const fs::path product = MakeProduct(temp.Path());
  EXPECT_EQ(RunUninsts(Quoted(product)), 0u);
  EXPECT_FALSE(fs::exists(product));
}
