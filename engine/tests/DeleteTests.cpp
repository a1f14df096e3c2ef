// Forced deletion, folder trees, and the install folder's removal: only what
// the install created goes, never what was there before.
#include <gtest/gtest.h>

#include "EngineTestSupport.hpp"
#include "SysUtils.hpp"
#include "ui_0__Delete.hpp"

using namespace enginetest;

namespace {

void MakeFolder(const AnsiString& path) { ASSERT_TRUE(ForceDirectories(path)) << path; }

// Puts a file in place and records it, with its new folders, as the
// extraction records what it creates.
void Installed(const AnsiString& target, const AnsiString& relative) {
  AnsiString path = target;
  size_t start = 0;
  while (true) {
    size_t end = relative.find('\\', start);
    if (end == AnsiString::npos) break;
    path = target + "\\" + relative.substr(0, end);
    if (!FolderThere(path)) {
      CreateDirectoryA(path.c_str(), nullptr);
      InstallCreatedPaths.push_back(path);
    }
    start = end + 1;
  }
  WriteFile(target + "\\" + relative, "installed");
  InstallCreatedPaths.push_back(target + "\\" + relative);
}

class RemoveInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallCreatedPaths.clear();
    maker_ = scratch_ / "Kestrum";
    target_ = maker_ + "\\Lumbrix 2008";
    MakeFolder(maker_);
  }
  void TearDown() override {
    InstallCreatedPaths.clear();
    RemovalMode = 0;
  }
  void InstallPayload() {
    if (!FolderThere(target_)) {
      CreateDirectoryA(target_.c_str(), nullptr);
    }
    Installed(target_, "kv4.exe");
    Installed(target_, "Storage\\Tutorial\\index.htm");
    Installed(target_, Ansi("Шаблоны\\Главная.htm"));
  }
  TScratchFolder scratch_{"delete"};
  AnsiString maker_, target_;
};

}  // namespace

TEST(DeleteFileForced, RemovesReadOnlyAndSystemFilesOnly) {
  TScratchFolder scratch("forced");
  AnsiString file = scratch / "locked.txt";
  WriteFile(file, "x");
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  DeleteFileForced(file);
  EXPECT_FALSE(FileThere(file));
  // A folder of that name is not a file and stays; a missing name is no error.
  AnsiString folder = scratch / "folder";
  MakeFolder(folder);
  DeleteFileForced(folder);
  EXPECT_TRUE(FolderThere(folder));
  DeleteFileForced(scratch / "missing.txt");
}

TEST(FolderTree, ContentsGoExceptFoldersBeginningWithAFullStop) {
  TScratchFolder scratch("tree");
  AnsiString root = scratch / "root";
  MakeFolder(root + "\\a\\b");
  MakeFolder(root + "\\.keep\\inner");
  WriteFile(root + "\\a\\b\\file.txt", "x");
  WriteFile(root + "\\top.txt", "x");
  WriteFile(root + "\\.keep\\inner\\kept.txt", "x");
  SetFileAttributesA((root + "\\top.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(IsFolderEmpty(root));
  DeleteFolderTree(root);
  // The dot-folder survives and keeps its parent.
  EXPECT_EQ(ListTree(root), (std::vector<AnsiString>{".keep\\", ".keep\\inner\\", ".keep\\inner\\kept.txt"}));
}

TEST(FolderTree, EmptinessIgnoresOnlyTheDotEntries) {
  TScratchFolder scratch("empty");
  EXPECT_TRUE(IsFolderEmpty(scratch.Path()));
  EXPECT_TRUE(IsFolderEmpty(scratch / "missing"));
  MakeFolder(scratch / "sub");
  EXPECT_FALSE(IsFolderEmpty(scratch.Path()));
  EXPECT_TRUE(IsFolderEmpty(scratch / "sub"));
  DeleteFolderTree(scratch / "sub");
  EXPECT_FALSE(FolderThere(scratch / "sub"));
}

TEST(FolderTree, NeverEntersALinkedFolder) {
  TScratchFolder scratch("links");
  AnsiString outside = scratch / "outside";
  MakeFolder(outside);
  WriteFile(outside + "\\precious.txt", "user data");
  AnsiString root = scratch / "root";
  MakeFolder(root);
  // Looked up at run time: the build targets systems older than folder links.
  using TCreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto createLink = reinterpret_cast<TCreateLink>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  const DWORD directoryLink = 1;
  if (!createLink || !createLink((root + "\\link").c_str(), outside.c_str(), directoryLink))
    GTEST_SKIP() << "this system cannot make folder links (error " << GetLastError() << ")";
  ASSERT_NE(GetFileAttributesA((root + "\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  DeleteFolderTree(root);
  EXPECT_TRUE(FileThere(outside + "\\precious.txt"));
  // Removing the linked folder itself does not reach through either.
  DeleteFolderTree(root + "\\link");
  EXPECT_TRUE(FileThere(outside + "\\precious.txt"));
}

TEST_F(RemoveInstall, RollbackLeavesNeitherTargetNorEmptyMakerFolder) {
  InstallPayload();
  RemovalMode = RollbackRemovalMode;
  RemoveInstallFolder(target_);
  EXPECT_FALSE(FolderThere(target_));
  EXPECT_FALSE(FolderThere(maker_));
  EXPECT_TRUE(InstallCreatedPaths.empty());
}

TEST_F(RemoveInstall, RollbackKeepsFilesThatWereThereBefore) {
  // The user pointed the install at a folder of their own.
  MakeFolder(target_ + "\\Storage");
  WriteFile(target_ + "\\letter.doc", "mine");
  WriteFile(target_ + "\\Storage\\photo.jpg", "mine too");
  InstallPayload();
  RemovalMode = RollbackRemovalMode;
  RemoveInstallFolder(target_);
  EXPECT_EQ(ListTree(target_), (std::vector<AnsiString>{"Storage\\", "Storage\\photo.jpg", "letter.doc"}));
  EXPECT_TRUE(FolderThere(maker_));
}

TEST_F(RemoveInstall, MakerFolderHoldingAnotherProductStays) {
  MakeFolder(maker_ + "\\Other Product");
  WriteFile(maker_ + "\\Other Product\\other.exe", "other");
  InstallPayload();
  RemovalMode = RollbackRemovalMode;
  RemoveInstallFolder(target_);
  EXPECT_FALSE(FolderThere(target_));
  EXPECT_TRUE(FileThere(maker_ + "\\Other Product\\other.exe"));
}

TEST_F(RemoveInstall, WithoutTheRollbackModeANonEmptyTargetIsNotEmptied) {
  InstallPayload();
  RemovalMode = 0;
  RemoveInstallFolder(target_);
  EXPECT_TRUE(FileThere(target_ + "\\kv4.exe"));
  // An empty target goes in any mode, and so does its empty parent.
  InstallCreatedPaths.clear();
  DeleteFolderContents(target_);
  RemoveInstallFolder(target_);
  EXPECT_FALSE(FolderThere(target_));
  EXPECT_FALSE(FolderThere(maker_));
}

TEST_F(RemoveInstall, TargetWithTrailingBackslashIsItsOwnParent) {
  InstallPayload();
  WriteFile(maker_ + "\\sibling.txt", "x");
  RemovalMode = RollbackRemovalMode;
  RemoveInstallFolder(target_ + "\\");
  EXPECT_FALSE(FolderThere(target_));
  EXPECT_TRUE(FileThere(maker_ + "\\sibling.txt"));
}
