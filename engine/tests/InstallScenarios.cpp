// One install through the worker, for every status, each followed by the
// rollback. Every test runs alone in a fresh Wine prefix (run-scenarios.sh).
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineStrings.h"
#include "EngineTestSeams.hpp"
#include "InstalledFilesList.hpp"
#include "ScenarioSupport.hpp"
#include "SysUtils.hpp"
#include "i01_0_2__InstallData.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"
#include "ui_0__Delete.hpp"

using namespace enginetest;

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbrix 2008";

std::string Value(HKEY root, const AnsiString& key, const AnsiString& name) {
  bool found = false;
  std::string bytes = RegistryBytes(root, key, name, found);
  EXPECT_TRUE(found) << key << " " << name;
  return bytes;
}

void ExpectShortcut(const AnsiString& link, const AnsiString& target, const AnsiString& description) {
  TShortcut read = ReadShortcut(link);
  ASSERT_TRUE(read.Loaded) << link;
  EXPECT_EQ(read.Path, target) << link;
  EXPECT_EQ(read.Description, description) << link;
  EXPECT_EQ(read.Arguments, "") << link;
  EXPECT_EQ(read.WorkingFolder, "") << link;
  EXPECT_EQ(read.IconFile, "") << link;
}

void ExpectAssociation(const AnsiString& target) {
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".qzarc", ""), "Kestrum.Archive");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "Kestrum.Archive\\DefaultIcon", ""), target + "\\qzarc.ico");
  // The association names no program to open the documents with.
  EXPECT_FALSE(RegistryKeyThere(HKEY_CLASSES_ROOT, "Kestrum.Archive\\shell"));
}

void ExpectInstalled(bool win9x) {
  const AnsiString target = InstallSettings->TargetFolder;
  const AnsiString t = target + "\\";
  // Files, byte for byte where the payload's own files are known.
  EXPECT_TRUE(FileThere(t + "uninstall.exe"));
  EXPECT_TRUE(FileThere(t + "qzarc.ico"));
  EXPECT_TRUE(FileThere(t + "Storage\\Tutorial\\index.htm"));
  EXPECT_TRUE(FolderThere(t + Ansi("Storage\\Шаблоны\\Деловой")));
  // The six uninstall values, byte for byte.
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayIcon"), t + "kv4.exe");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"), "Kestrum Lumbrix 2008");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayVersion"), "4.\xF5");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, "Publisher"), "Kestrum Corp.");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"), "\"" + t + "uninstall.exe\"");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, "URLInfoAbout"), LoadStr(IDS_MAKER_URL));
  EXPECT_FALSE(LoadStr(IDS_MAKER_URL).empty());
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008", "Lumbrix2008Path"), target);
  ExpectAssociation(target);
  // The four shortcuts.
  const AnsiString menu = StartMenuProductFolder(win9x) + "\\";
  const AnsiString description = LoadStr(IDS_PRODUCT_DESCRIPTION);
  ExpectShortcut(menu + LoadStr(IDS_PRODUCT_SHORTCUT), t + "kv4.exe", description);
  ExpectShortcut(menu + LoadStr(IDS_UNINSTALL_SHORTCUT), t + "uninstall.exe", "");
  ExpectShortcut(menu + LoadStr(IDS_TUTORIAL_SHORTCUT), t + "Storage\\Tutorial\\index.htm", "");
  ExpectShortcut(AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT), t + "kv4.exe", description);
  // Nothing else of the product's is in the folder; a shortcut of the
  // user's own may be.
  std::vector<AnsiString> expected{LoadStr(IDS_PRODUCT_SHORTCUT), LoadStr(IDS_UNINSTALL_SHORTCUT),
                                   LoadStr(IDS_TUTORIAL_SHORTCUT)};
  if (FileThere(menu + Ansi("Мой ярлык.lnk"))) expected.push_back(Ansi("Мой ярлык.lnk"));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListTree(menu), expected);
}

// A small archive made here from a folder, for the failing statuses.
AnsiString SmallArchive(const TScratchFolder& scratch, TPackOptions options) {
  AnsiString source = scratch / "src";
  ForceDirectories(source + "\\Storage");
  WriteFile(source + "\\kv4.exe", std::string(70000, 'k'));
  WriteFile(source + "\\Storage\\data.bin", std::string(3 * 1024 * 1024, 'd'));
  AnsiString archive = scratch / (options.VolumeSize ? "small.rar" : "small.z");
  PackFolder(source, archive, options);
  return options.VolumeSize ? scratch / "small.part1.rar" : archive;
}

// The small archive with a byte of its middle file's data changed.
AnsiString DamagedSmallArchive(const TScratchFolder& scratch) {
  AnsiString archive = SmallArchive(scratch, {"tulbek"});
  std::string bytes = ReadFile(archive);
  bytes[bytes.size() / 2] ^= 0x33;
  WriteFile(archive, bytes);
  return archive;
}

}  // namespace

TEST(InstallScenario, SuccessWritesEverythingAndRollbackRemovesIt) {
  PrepareEngine(DemoPayload());
  EXPECT_EQ(InstallSettings->TargetFolder, DefaultTarget());
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess) << "RAR code " << run.RarError;
  EXPECT_EQ(run.RarError, 0);
  EXPECT_GT(run.TotalBytes, 30 * 1024 * 1024);
  EXPECT_EQ(run.BytesDone, run.TotalBytes);
  ExpectInstalled(false);
  // The list of installed files names what the payload holds, folders with
  // their trailing backslash, in UTF-8.
  const std::string list = ReadFile(InstallSettings->TargetFolder + "\\uninstall.lst");
  for (const char* name : {"\nuninstall.exe\r", "\nuninsts.exe\r", "\nkv4.exe\r", "\nStorage\\\r",
                           "\nStorage\\Tutorial\\index.htm\r",
                           "\nStorage\\\xD0\xA8\xD0\xB0\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBD\xD1\x8B\\\r"})
    EXPECT_NE(list.find(name), std::string::npos) << name;
  Rollback(run);
  ExpectNothingOfTheInstallLeft(false);
  // The association is never removed.
  ExpectAssociation(InstallSettings->TargetFolder);
}

TEST(InstallScenario, CancelDuringListingExtractsNothing) {
  PrepareEngine(DemoPayload());
  PlaceUsersOwnThings();
  TInstallRun run;
  // The listing is short; try again until the cancel lands inside it.
  for (int attempt = 0; attempt < 5; ++attempt) {
    run = RunInstall(TCancel::DuringListing);
    if (run.Cancelled) break;
    Rollback(run);
  }
  ASSERT_TRUE(run.Cancelled) << "the cancel never met the listing";
  EXPECT_EQ(run.Status, isCancelled);
  EXPECT_EQ(run.BytesDone, 0);
  EXPECT_EQ(run.TargetAtEnd, UsersOwnFiles());
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, CancelDuringALargeFileStopsWithinOneBlockAndSkipsTheRest) {
  PrepareEngine(DemoPayload());
  PlaceUsersOwnThings();
  TInstallRun run = RunInstall(TCancel::DuringExtraction);
  ASSERT_TRUE(run.Cancelled);
  EXPECT_EQ(run.Status, isCancelled);
  // The worker saw the cancel at its next data block: at most the block in
  // flight and one more passed after the main thread's reading.
  EXPECT_LE(run.BytesDone - run.BytesDoneAtCancel, 2 * 1024 * 1024);
  EXPECT_LT(run.BytesDone, run.TotalBytes);
  // No registry step ran.
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008"));
  EXPECT_FALSE(RegistryKeyThere(HKEY_CLASSES_ROOT, ".qzarc"));
  EXPECT_FALSE(FileThere(StartMenuProductFolder(false) + "\\" + LoadStr(IDS_PRODUCT_SHORTCUT)));
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, CancelBetweenSmallFilesLeavesThePayloadUnfinished) {
  // Many files of less than one block: a cancel lands between two of them.
  TScratchFolder scratch("between");
  AnsiString source = scratch / "src";
  ForceDirectories(source);
  for (int i = 0; i < 300; ++i) WriteFile(source + "\\file" + IntToStr(1000 + i) + ".txt", std::string(20000, 'a'));
  PackFolder(source, scratch / "many.z", {"tulbek"});
  PrepareEngine(scratch / "many.z");
  PlaceUsersOwnThings();
  TInstallRun run = RunInstall(TCancel::DuringExtraction);
  ASSERT_TRUE(run.Cancelled);
  EXPECT_EQ(run.Status, isCancelled);
  EXPECT_LT(run.TargetAtEnd.size(), UsersOwnFiles().size() + 300);
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, CancelAfterTheLastStepStillCountsAsCancel) {
  PrepareEngine(DemoPayload());
  TInstallRun run = RunInstall(TCancel::AfterLastStep);
  ASSERT_TRUE(run.Cancelled);
  EXPECT_EQ(run.Status, isCancelled);
  // Every step had run, the shortcuts included.
  EXPECT_TRUE(FileThere(AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT)));
  EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
  Rollback(run);
  ExpectNothingOfTheInstallLeft(false);
}

TEST(InstallScenario, MissingArchiveEndsWithStatus4AtOnce) {
  PrepareEngine(DemoPayload() + ".missing");
  PlaceUsersOwnThings();
  TInstallRun run = RunInstall();
  EXPECT_EQ(run.Status, isArchiveMissing);
  EXPECT_EQ(run.TotalBytes, 0);
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, ListingFailureEndsWithStatus5) {
  TScratchFolder scratch("scan");
  // Encrypted headers with another password: the listing cannot read them.
  PrepareEngine(SmallArchive(scratch, {"not-tulbek", true}));
  PlaceUsersOwnThings();
  TInstallRun run = RunInstall();
  EXPECT_EQ(run.Status, isScanFailed);
  EXPECT_NE(run.RarError, 0);
  EXPECT_EQ(run.TargetAtEnd, UsersOwnFiles());
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, NotAnArchiveEndsWithStatus5AndBadArchive) {
  TScratchFolder scratch("junk");
  WriteFile(scratch / "Install.z", "This is not an archive at all.");
  PrepareEngine(scratch / "Install.z");
  TInstallRun run = RunInstall();
  EXPECT_EQ(run.Status, isScanFailed);
  EXPECT_EQ(run.RarError, 13);
  Rollback(run);
  ExpectNothingOfTheInstallLeft(false);
}

TEST(InstallScenario, WrongPasswordEndsWithStatus6) {
  TScratchFolder scratch("password");
  PrepareEngine(SmallArchive(scratch, {"not-tulbek"}));
  PlaceUsersOwnThings();
  TInstallRun run = RunInstall();
  EXPECT_EQ(run.Status, isExtractFailed);
  EXPECT_NE(run.RarError, 0);
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, DamagedDataEndsWithStatus6AndBadData) {
  TScratchFolder scratch("damaged");
  PrepareEngine(DamagedSmallArchive(scratch));
  PlaceUsersOwnThings();
  TInstallRun run = RunInstall();
  EXPECT_EQ(run.Status, isExtractFailed);
  EXPECT_EQ(run.RarError, 12);
  // The first file was extracted before the damage was met.
  EXPECT_GT(run.TargetAtEnd.size(), UsersOwnFiles().size());
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, SecondVolumeAskedForFails) {
  TScratchFolder scratch("volume");
  PrepareEngine(SmallArchive(scratch, {"tulbek", false, 1024 * 1024}));
  ASSERT_TRUE(FileThere(scratch / "small.part2.rar"));
  PlaceUsersOwnThings();
  TInstallRun run = RunInstall();
  EXPECT_TRUE(run.Status == isScanFailed || run.Status == isExtractFailed) << int(run.Status);
  EXPECT_NE(run.RarError, 0);
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, UnresolvableProgramsFolderMakesOnlyTheDesktopShortcutAndTheRollbackTakesAll) {
  EngineTestSeams::GetSpecialFolderLocationProc = [](HWND owner, int csidl, LPITEMIDLIST* list) WINAPI -> HRESULT {
    if (csidl == CSIDL_PROGRAMS || csidl == CSIDL_COMMON_PROGRAMS) {
      *list = nullptr;
      return E_FAIL;
    }
    return SHGetSpecialFolderLocation(owner, csidl, list);
  };
  PrepareEngine(DemoPayload());
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess);
  EXPECT_FALSE(FolderThere(AddTrailingBackslash(ProgramsFolderOf(false)) + "Kestrum"));
  const AnsiString desktopLink = AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT);
  EXPECT_TRUE(ReadShortcut(desktopLink).Loaded);
  // The rollback does not depend on the programs folder: what the install
  // made goes, the desktop shortcut included.
  Rollback(run);
  EngineTestSeams::GetSpecialFolderLocationProc = nullptr;
  ExpectNothingOfTheInstallLeft(false);
}

TEST(InstallScenario, ARaisingShortcutStepFailsTheInstallAndItIsRolledBack) {
  PrepareEngine(DemoPayload());
  PlaceUsersOwnThings();
  // Without COM in the main thread the shell-link object cannot be made,
  // and the shortcut step raises.
  CoUninitialize();
  TInstallRun run = RunInstall();
  CoInitialize(nullptr);
  EXPECT_EQ(run.Status, isStepFailed);
  // Everything before the shortcuts had been done.
  EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
  EXPECT_GT(run.TargetAtEnd.size(), UsersOwnFiles().size());
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true);
}

TEST(InstallScenario, AFolderOnTheDesktopMadeByTheInstallGoesButTheDesktopStays) {
  PrepareEngine(DemoPayload());
  ASSERT_TRUE(IsFolderEmpty(DesktopFolder)) << "a fresh prefix has an empty desktop";
  InstallSettings->TargetFolder = AddTrailingBackslash(DesktopFolder) + Ansi("Лумбрикс");
  TInstallRun run = RunInstall(TCancel::DuringExtraction);
  ASSERT_TRUE(run.Cancelled);
  EXPECT_EQ(run.Status, isCancelled);
  Rollback(run);
  EXPECT_FALSE(FolderThere(InstallSettings->TargetFolder));
  EXPECT_TRUE(FolderThere(DesktopFolder));
}

TEST(InstallScenario, AFolderOnTheDesktopThatExistedStaysAfterAFailedInstall) {
  TScratchFolder scratch("desktop");
  PrepareEngine(DamagedSmallArchive(scratch));
  InstallSettings->TargetFolder = AddTrailingBackslash(DesktopFolder) + Ansi("Мой сайт");
  ASSERT_TRUE(ForceDirectories(InstallSettings->TargetFolder));
  TInstallRun run = RunInstall();
  EXPECT_EQ(run.Status, isExtractFailed);
  EXPECT_FALSE(run.TargetAtEnd.empty());
  Rollback(run);
  EXPECT_TRUE(FolderThere(InstallSettings->TargetFolder));
  EXPECT_TRUE(ListTree(InstallSettings->TargetFolder).empty());
  EXPECT_TRUE(FolderThere(DesktopFolder));
}

TEST(InstallScenario, TargetTypedWithTrailingBackslashDoublesItInTheIconPathOnly) {
  PrepareEngine(DemoPayload());
  InstallSettings->TargetFolder = DefaultTarget() + "\\";
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess);
  const AnsiString t = DefaultTarget() + "\\";
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "Kestrum.Archive\\DefaultIcon", ""), t + "\\qzarc.ico");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"), "\"" + t + "uninstall.exe\"");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008", "Lumbrix2008Path"), t);
  Rollback(run);
  EXPECT_FALSE(FolderThere(DefaultTarget()));
}

// ---- Windows 9x (the prefix reports version win98) ----------------------------

TEST(Win98Scenario, PerUserProgramsFolderAndAdministratorWithoutTest) {
  ASSERT_TRUE(IsWin9x()) << "the prefix should report Windows 98";
  // No test is made: a refusing service manager does not matter.
  EngineTestSeams::OpenSCManagerProc = [](LPCSTR, LPCSTR, DWORD) WINAPI -> SC_HANDLE { return nullptr; };
  EXPECT_TRUE(IsAdministrator());
  EngineTestSeams::OpenSCManagerProc = nullptr;
  EXPECT_EQ(SystemDrivePath, ExtractFileDrive(WindowsFolder));
  PrepareEngine(DemoPayload());
  PlaceUsersOwnThings(true);
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess);
  ExpectInstalled(true);
  if (ProgramsFolderOf(true) != ProgramsFolderOf(false)) {
    EXPECT_FALSE(FolderThere(StartMenuProductFolder(false)));
  }
  Rollback(run);
  ExpectNothingOfTheInstallLeft(true, true);
}

// ---- A target that already holds things -------------------------------------

TEST(InstallScenario, UsersFilesUnderPayloadNamesSurviveEveryOutcome) {
  TScratchFolder scratch("names"), damaged("names-damaged");
  PrepareEngine(SmallArchive(scratch, {"tulbek"}));
  const AnsiString t = InstallSettings->TargetFolder + "\\";
  // A read-only, hidden file of the user's, and a hard link to a file
  // outside the target, under the names of the payload's two files.
  ASSERT_TRUE(ForceDirectories(t + "Storage"));
  WriteFile(t + "kv4.exe", "the user's own kv4");
  constexpr DWORD userAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  SetFileAttributesA((t + "kv4.exe").c_str(), userAttributes);
  const AnsiString outside = scratch / "outside.bin";
  WriteFile(outside, "linked from the target");
  ASSERT_TRUE(CreateHardLinkA((t + "Storage\\data.bin").c_str(), outside.c_str(), nullptr));
  const std::vector<AnsiString> before = ListTree(t);
  auto expectUsersFiles = [&](const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(ListTree(t), before);
    EXPECT_EQ(ReadFile(t + "kv4.exe"), "the user's own kv4");
    EXPECT_EQ(GetFileAttributesA((t + "kv4.exe").c_str()) & userAttributes, userAttributes);
    EXPECT_EQ(ReadFile(t + "Storage\\data.bin"), "linked from the target");
    EXPECT_EQ(ReadFile(outside), "linked from the target");
  };

  // A complete install moves the user's files aside and lists the backups.
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess) << run.RarError;
  EXPECT_EQ(ReadFile(t + "kv4.exe"), std::string(70000, 'k'));
  EXPECT_EQ(ReadFile(t + "kv4.exe.lumbrix-original"), "the user's own kv4");
  EXPECT_EQ(ReadFile(outside), "linked from the target") << "written through the hard link";
  // The list names exactly the files on disk besides itself (the user's
  // folder is not the product's).
  std::vector<std::string> lines;
  ASSERT_TRUE(installedfiles::Parse(ReadFile(t + "uninstall.lst"), lines));
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"Storage\\data.bin|Storage\\data.bin.lumbrix-original",
                                             "kv4.exe|kv4.exe.lumbrix-original"}));
  EXPECT_EQ(ListTree(t), (std::vector<AnsiString>{"Storage\\", "Storage\\data.bin", "Storage\\data.bin.lumbrix-original",
                                                  "kv4.exe", "kv4.exe.lumbrix-original", "uninstall.lst"}));
  Rollback(run);
  expectUsersFiles("rolled back after success");

  run = RunInstall(TCancel::DuringExtraction);
  ASSERT_TRUE(run.Cancelled);
  Rollback(run);
  expectUsersFiles("cancelled");

  PrepareEngine(DamagedSmallArchive(damaged));
  run = RunInstall();
  EXPECT_EQ(run.Status, isExtractFailed);
  EXPECT_EQ(run.RarError, 12);
  Rollback(run);
  expectUsersFiles("failed");
}

TEST(InstallScenario, AFolderLinkAtOrUnderTheTargetIsNeverWrittenThrough) {
  TScratchFolder scratch("links");
  PrepareEngine(SmallArchive(scratch, {"tulbek"}));
  const AnsiString outside = scratch / "outside";
  ASSERT_TRUE(ForceDirectories(outside));
  WriteFile(outside + "\\mine.txt", "the user's");
  // Under the target: the payload's folder is a link out of it.
  ASSERT_TRUE(ForceDirectories(InstallSettings->TargetFolder));
  if (!MakeFolderLink(InstallSettings->TargetFolder + "\\Storage", outside)) GTEST_SKIP() << "no folder links here";
  TInstallRun run = RunInstall();
  EXPECT_EQ(run.Status, isExtractFailed);
  EXPECT_EQ(run.RarError, 16);
  EXPECT_EQ(ListTree(outside), std::vector<AnsiString>{"mine.txt"});
  Rollback(run);
  EXPECT_EQ(ListTree(outside), std::vector<AnsiString>{"mine.txt"});
  EXPECT_TRUE(FolderThere(InstallSettings->TargetFolder + "\\Storage")) << "the link is the user's";
  // The target itself a link.
  InstallSettings->TargetFolder = AddTrailingBackslash(ProgramFilesFolder) + "Linked";
  ASSERT_TRUE(MakeFolderLink(InstallSettings->TargetFolder, outside));
  run = RunInstall();
  EXPECT_EQ(run.Status, isExtractFailed);
  Rollback(run);
  EXPECT_EQ(ListTree(outside), std::vector<AnsiString>{"mine.txt"});
}

TEST(InstallScenario, ATargetTheOemCodePageCannotNameIsRefusedBeforeAnything) {
  EXPECT_TRUE(TargetFolderFitsOemCodePage(DefaultTarget()));
  EXPECT_TRUE(TargetFolderFitsOemCodePage(Ansi("C:\\Игры\\Лумбрикс 2008 №1")));
  PrepareEngine(DemoPayload());
  // The folder "—" would have become, with a file of the user's.
  const AnsiString lookAlike = AddTrailingBackslash(ProgramFilesFolder) + Ansi("Игры - 2008");
  ASSERT_TRUE(ForceDirectories(lookAlike));
  WriteFile(lookAlike + "\\kv4.exe", "the user's");
  for (const char* name : {"Игры — 2008", "«Лумбрикс»", "a…b"}) {
    SCOPED_TRACE(name);
    InstallSettings->TargetFolder = AddTrailingBackslash(ProgramFilesFolder) + Ansi(name);
    EXPECT_FALSE(TargetFolderFitsOemCodePage(InstallSettings->TargetFolder));
    TInstallRun run = RunInstall();
    EXPECT_EQ(run.Status, isTargetRefused);
    EXPECT_EQ(run.TotalBytes, 0) << "refused before the listing";
    EXPECT_FALSE(FolderThere(InstallSettings->TargetFolder));
    Rollback(run);
  }
  EXPECT_EQ(ListTree(lookAlike), std::vector<AnsiString>{"kv4.exe"});
  EXPECT_EQ(ReadFile(lookAlike + "\\kv4.exe"), "the user's");
}

TEST(InstallScenario, AnEntryTheOemCodePageCannotNameIsRefusedAndTheUsersLookAlikesStay) {
  TScratchFolder scratch("oem-names");
  const AnsiString source = scratch / "src";
  ForceDirectories(source);
  WriteFile(source + "\\kv4.exe", "the product's");
  for (const wchar_t* name : {L"caf\u00E9.txt", L"\uFF32eadme.txt"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(name)));
    const std::wstring path = AnsiToWide(source) + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    PackFolder(source, scratch / "names.z", {"tulbek"});
    DeleteFileW(path.c_str());
    PrepareEngine(scratch / "names.z");
    const AnsiString t = InstallSettings->TargetFolder + "\\";
    ASSERT_TRUE(ForceDirectories(t));
    WriteFile(t + "cafe.txt", "the user's cafe");
    WriteFile(t + "Readme.txt", "the user's readme");
    TInstallRun run = RunInstall();
    EXPECT_EQ(run.Status, isExtractFailed);
    EXPECT_EQ(run.RarError, 16);
    Rollback(run);
    EXPECT_EQ(ListTree(t), (std::vector<AnsiString>{"Readme.txt", "cafe.txt"}));
    EXPECT_EQ(ReadFile(t + "cafe.txt"), "the user's cafe");
    EXPECT_EQ(ReadFile(t + "Readme.txt"), "the user's readme");
    RemoveTree(InstallSettings->TargetFolder);
  }
}
