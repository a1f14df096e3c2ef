// Forced deletion, folder trees, and the rollback of the install folder:
// only what the install created goes, never what was there before.
#include <gtest/gtest.h>

#include "EngineTestSupport.hpp"
#include "SysUtils.hpp"
#include "InstallRecord.hpp"
#include "ui_0__Delete.hpp"

using namespace enginetest;

namespace {

void MakeFolder(const AnsiString& path) { ASSERT_TRUE(ForceDirectories(path)) << path; }

// An install as the extraction makes it: the record notes each entry, then
// the library writes it.
class RemoveInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    maker_ = scratch_ / "Kestrum";
    target_ = maker_ + "\\Lumbrix 2008";
  }
  void Install(const AnsiString& relative, bool isFolder = false) {
    record_.NoteEntry(relative, isFolder);
    const AnsiString path = target_ + "\\" + relative;
    if (isFolder) {
      MakeFolder(path);
    } else {
      MakeFolder(ExtractFilePath(path));
      WriteFile(path, "installed");
    }
  }
  void InstallPayload() {
    record_.Begin(target_);
    Install("kv4.exe");
    Install("Storage\\Tutorial\\index.htm");
    Install(Ansi("Шаблоны\\Главная.htm"));
    Install("Empty", true);
  }
  void Rollback() { RemoveInstallFolder(target_, record_.CreatedPaths()); }

  TScratchFolder scratch_{"delete"};
  AnsiString maker_, target_;
  TInstallRecord record_;
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

TEST_F(RemoveInstall, RollbackRemovesTheTargetAndTheParentsItCreated) {
  InstallPayload();
  Rollback();
  EXPECT_FALSE(FolderThere(target_));
  EXPECT_FALSE(FolderThere(maker_));
  EXPECT_TRUE(FolderThere(scratch_.Path()));
}

TEST_F(RemoveInstall, RollbackKeepsWhatWasThereBefore) {
  // The user pointed the install at a folder of their own.
  MakeFolder(target_ + "\\Storage");
  WriteFile(target_ + "\\" + Ansi("письмо.doc"), "mine");
  WriteFile(target_ + "\\Storage\\photo.jpg", "mine too");
  InstallPayload();
  Rollback();
  EXPECT_EQ(ListTree(target_), (std::vector<AnsiString>{"Storage\\", "Storage\\photo.jpg", Ansi("письмо.doc")}));
  EXPECT_EQ(ReadFile(target_ + "\\Storage\\photo.jpg"), "mine too");
}

TEST_F(RemoveInstall, AnEmptyTargetThatExistedStaysAndSoDoesItsEmptyParent) {
  // A folder made ready on the desktop: neither it nor the desktop goes.
  MakeFolder(target_);
  InstallPayload();
  Rollback();
  EXPECT_TRUE(FolderThere(target_));
  EXPECT_TRUE(ListTree(target_).empty());
  EXPECT_TRUE(FolderThere(maker_));
}

TEST_F(RemoveInstall, AFileThePayloadReplacedIsNotDeleted) {
  MakeFolder(target_);
  WriteFile(target_ + "\\kv4.exe", "the user's older copy");
  InstallPayload();
  Rollback();
  // It holds the product's bytes now, but it was there before.
  EXPECT_EQ(ListTree(target_), std::vector<AnsiString>{"kv4.exe"});
}

TEST_F(RemoveInstall, WhatTheUserPutIntoACreatedFolderKeepsIt) {
  InstallPayload();
  WriteFile(target_ + "\\Storage\\notes.txt", "written while the install ran");
  Rollback();
  EXPECT_EQ(ListTree(target_), (std::vector<AnsiString>{"Storage\\", "Storage\\notes.txt"}));
}

TEST_F(RemoveInstall, MakerFolderHoldingAnotherProductStays) {
  MakeFolder(maker_ + "\\Other Product");
  WriteFile(maker_ + "\\Other Product\\other.exe", "other");
  InstallPayload();
  Rollback();
  EXPECT_FALSE(FolderThere(target_));
  EXPECT_TRUE(FileThere(maker_ + "\\Other Product\\other.exe"));
}

TEST_F(RemoveInstall, TargetTypedWithATrailingBackslashRollsBackAlike) {
  record_.Begin(target_ + "\\");
  Install("kv4.exe");
  RemoveInstallFolder(target_ + "\\", record_.CreatedPaths());
  EXPECT_FALSE(FolderThere(target_));
  EXPECT_FALSE(FolderThere(maker_));
}

TEST_F(RemoveInstall, PathsOutsideTheTargetAreNeverTouched) {
  InstallPayload();
  const AnsiString elsewhere = scratch_ / "elsewhere.txt";
  WriteFile(elsewhere, "not the install's");
  std::vector<AnsiString> created = record_.CreatedPaths();
  created.push_back(elsewhere);
  created.push_back(scratch_ / "Kestrum2");
  MakeFolder(scratch_ / "Kestrum2");
  RemoveInstallFolder(target_, created);
  EXPECT_TRUE(FileThere(elsewhere));
  EXPECT_TRUE(FolderThere(scratch_ / "Kestrum2"));
  EXPECT_FALSE(FolderThere(target_));
}
