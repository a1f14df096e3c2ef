// The uninstaller end to end: an install through the worker, then
// uninstall.exe from the product folder, its second stage from the
// temporary folder and uninsts.exe. Each test runs in a fresh prefix.
#include <gtest/gtest.h>

#include "EngineStrings.h"
#include "InstalledFilesList.hpp"
#include "ScenarioSupport.hpp"
#include "SysUtils.hpp"
#include "i01_0_2__InstallData.hpp"
#include "lib_WindowsFileSystem.hpp"

using namespace enginetest;

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbrix 2008";

AnsiString Caption() { return Ansi("Удаление Лумбрикса 2008"); }

AnsiString TempFolder() {
  char buffer[MAX_PATH] = {};
  GetTempPathA(sizeof(buffer), buffer);
  return buffer;
}

AnsiString ProductFolder() { return InstallSettings->TargetFolder + "\\"; }

void Install(bool usersThings = false) {
  PrepareEngine(DemoPayload());
  if (usersThings) PlaceUsersOwnThings();
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess) << "RAR code " << run.RarError;
  ASSERT_TRUE(FileThere(ProductFolder() + "uninstall.exe"));
  ASSERT_TRUE(FileThere(ProductFolder() + "uninsts.exe")) << "the payload lacks the removal program";
}

// Starts the folder's uninstall.exe as the Start-menu shortcut does.
void StartUninstaller(const AnsiString& environmentSeams = "", const AnsiString& folder = ProductFolder()) {
  SetEnvironmentVariableA("UNINSTALL_TEST_SEAMS", environmentSeams.empty() ? nullptr : environmentSeams.c_str());
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  AnsiString commandLine = "\"" + folder + "uninstall.exe\"";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                             &startup, &process));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  SetEnvironmentVariableA("UNINSTALL_TEST_SEAMS", nullptr);
}

// uninstall.exe's exit code when it has said the product was not removed.
constexpr DWORD NotRemovedExitCode = 2;

// Closes the box and returns the exit code of the process that showed it.
DWORD CloseAndWaitForExit(const TMessageBox& box) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, box.ProcessId);
  CloseMessageBox(box);
  DWORD code = 0xFFFFFFFF;
  if (!process) return code;
  if (WaitForSingleObject(process, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code;
}

// Puts the seamed build of the uninstaller in the product's place.
void UseSeamedUninstaller() {
  ASSERT_TRUE(CopyFileA(BuildTreeFile("uninstaller\\uninstall_seamed.exe").c_str(),
                        (ProductFolder() + "uninstall.exe").c_str(), FALSE));
}

// With `othersKey` another product's key keeps the maker's key.
// The message box that says the product folder could not be removed, shown
// and closed.
// and the uninstaller ends saying so by its exit code.
void ExpectNotRemovedMessage() {
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  EXPECT_EQ(box.Text, Ansi("Папку Лумбрикса 2008 не удалось удалить с вашего компьютера."));
  EXPECT_EQ(CloseAndWaitForExit(box), NotRemovedExitCode);
}

// The product is still registered: its entry, its shortcuts and its
// uninstaller stay for another try.
void ExpectStillRegistered() {
  EXPECT_TRUE(FileThere(AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT)));
  EXPECT_TRUE(FileThere(StartMenuProductFolder(false) + "\\" + LoadStr(IDS_UNINSTALL_SHORTCUT)));
  EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008"));
  EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
  EXPECT_TRUE(FileThere(ProductFolder() + "uninstall.exe"));
}

void ExpectShortcutsAndKeysGone(bool othersKey = false) {
  EXPECT_FALSE(FileThere(AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT)));
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008"));
  EXPECT_EQ(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum"), othersKey);
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
  // The association stays.
  EXPECT_TRUE(RegistryKeyThere(HKEY_CLASSES_ROOT, ".qzarc"));
  EXPECT_TRUE(RegistryKeyThere(HKEY_CLASSES_ROOT, "Kestrum.Archive\\DefaultIcon"));
}

}  // namespace

TEST(UninstallScenario, BothStagesAndTheRemovalProgramRemoveTheProduct) {
  Install();
  // Files of the user's in the temporary folder under the names the
  // uninstaller gives its copies.
  WriteFile(TempFolder() + "uninstall.exe", "the user's own");
  WriteFile(TempFolder() + "uninsts.exe", "the user's own too");
  TProcessWatch removal("uninsts.exe");
  StartUninstaller();
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  EXPECT_EQ(box.Text, Ansi("Лумбрикс 2008 удален с вашего компьютера."));
  // The removal program got both folders quoted, each with its trailing
  // backslash inside the quotes.
  const std::wstring removalLine = removal.Stop();
  const std::wstring expectedFolders = L"\"" + AnsiToWide(ProductFolder()) + L"\" \"" +
                                       AnsiToWide(StartMenuProductFolder(false)) + L"\\\"";
  ASSERT_FALSE(removalLine.empty()) << "uninsts.exe was never seen running";
  ASSERT_GE(removalLine.size(), expectedFolders.size()) << WideToAnsi(removalLine);
  EXPECT_EQ(removalLine.substr(removalLine.size() - expectedFolders.size()), expectedFolders)
      << WideToAnsi(removalLine);
  // Stage 2 runs from the temporary folder with the quoted product folder,
  // whose trailing backslash stays inside the quotes.
  const std::wstring expectedArgument = L"\"" + AnsiToWide(ProductFolder()) + L"\"";
  ASSERT_GE(box.CommandLine.size(), expectedArgument.size()) << WideToAnsi(box.CommandLine);
  EXPECT_EQ(box.CommandLine.substr(box.CommandLine.size() - expectedArgument.size()), expectedArgument)
      << WideToAnsi(box.CommandLine);
  // It runs from a folder of its own in the temporary folder.
  ASSERT_EQ(box.CommandLine.rfind(L"\"" + AnsiToWide(TempFolder()), 0), 0u) << WideToAnsi(box.CommandLine);
  const AnsiString ownFolder = ExtractFilePath(WideToAnsi(box.CommandLine.substr(1, box.CommandLine.find(L'"', 1) - 1)));
  EXPECT_NE(ownFolder, TempFolder());
  EXPECT_EQ(CloseAndWaitForExit(box), 0u);
  // uninsts.exe received the folder intact: it refuses anything that is not
  // a product folder, and it has removed this one.
  EXPECT_TRUE(WaitUntil([] { return !FolderThere(InstallSettings->TargetFolder); }, 60000))
      << "the product folder is still there";
  EXPECT_TRUE(WaitUntil([] { return !FolderThere(StartMenuProductFolder(false)); }, 60000));
  ExpectShortcutsAndKeysGone();
  // The temporary copy of the removal program was deleted; the uninstaller's
  // own copy stays, and the user's files are as they were.
  EXPECT_FALSE(FileThere(ownFolder + "uninsts.exe"));
  EXPECT_TRUE(FileThere(ownFolder + "uninstall.exe"));
  EXPECT_EQ(ReadFile(TempFolder() + "uninstall.exe"), "the user's own");
  EXPECT_EQ(ReadFile(TempFolder() + "uninsts.exe"), "the user's own too");
}

TEST(UninstallScenario, MissingRemovalProgramIsReportedAsFailure) {
  Install();
  ASSERT_TRUE(DeleteFileA((ProductFolder() + "uninsts.exe").c_str()));
  StartUninstaller();
  ExpectNotRemovedMessage();
  // The product folder is still there, as reported, and so is all that
  // names it.
  ExpectStillRegistered();
  EXPECT_TRUE(FileThere(ProductFolder() + "kv4.exe"));
}

TEST(UninstallScenario, WithoutAdministratorRightsOnlyTheMessageIsShownAsPlainText) {
  Install();
  UseSeamedUninstaller();
  StartUninstaller("noadmin");
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  // The text shared with the wizard carries markup; the box shows none of
  // it: the entities are non-breaking spaces, "<br>" a line break.
  const AnsiString indent(4, '\xA0');
  EXPECT_EQ(box.Text, indent + Ansi("Для удаления Лумбрикса войдите в компьютер как пользователь с правами "
                                    "администратора.\n") +
                          indent + Ansi("Если вы не знаете как это сделать, спросите тех, кто помогает вам "
                                        "настраивать компьютер.\n") +
                          indent + Ansi("После этого запустите удаление Лумбрикса еще раз."));
  // Stage 1 itself shows it: nothing was copied or started.
  EXPECT_NE(box.CommandLine.find(AnsiToWide(ProductFolder() + "uninstall.exe")), std::wstring::npos);
  const DWORD shownBy = box.ProcessId;
  CloseMessageBox(box);
  EXPECT_TRUE(WaitForProcessEnd(shownBy, 60000));
  EXPECT_FALSE(FileThere(TempFolder() + "uninsts.exe"));
  EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
  EXPECT_TRUE(FileThere(ProductFolder() + "kv4.exe"));
  EXPECT_TRUE(FileThere(AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT)));
}

TEST(UninstallScenario, UnresolvableProgramsFolderRemovesOnlyTheDesktopShortcut) {
  Install();
  UseSeamedUninstaller();
  StartUninstaller("noprograms");
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  EXPECT_EQ(box.Text, Ansi("Лумбрикс 2008 удален с вашего компьютера."));
  CloseMessageBox(box);
  EXPECT_TRUE(WaitUntil([] { return !FolderThere(InstallSettings->TargetFolder); }, 60000));
  // uninsts.exe got the product folder only, so the Start-menu folder and
  // its shortcuts stay.
  EXPECT_TRUE(FileThere(StartMenuProductFolder(false) + "\\" + LoadStr(IDS_PRODUCT_SHORTCUT)));
  ExpectShortcutsAndKeysGone();
}

TEST(UninstallScenario, InAFolderOfTheUsersOnlyTheProductGoes) {
  Install(true);
  StartUninstaller();
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  // The message comes once the removal program has ended.
  EXPECT_EQ(box.Text, Ansi("Лумбрикс 2008 удален с вашего компьютера."));
  CloseMessageBox(box);
  // Every file of the product, its list included, is gone; every file and
  // folder of the user's is there, and the folder that holds them stays.
  EXPECT_EQ(ListTree(InstallSettings->TargetFolder), UsersOwnFiles());
  ExpectShortcutsAndKeysGone(true);
  // The Start-menu folder holds the user's own shortcut, and stays.
  EXPECT_EQ(ListTree(StartMenuProductFolder(false)), std::vector<AnsiString>{Ansi("Мой ярлык.lnk")});
  EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Other Product"));
}

TEST(UninstallScenario, StartedInAFolderThatIsNoProductItRemovesNothingAndSaysSo) {
  // The user copied the uninstaller into a folder of their own and ran it.
  TScratchFolder scratch("users");
  const AnsiString folder = scratch / Ansi("Мои документы") + "\\";
  ASSERT_TRUE(ForceDirectories(folder + Ansi("Фото")));
  WriteFile(folder + Ansi("письмо.doc"), "letter");
  WriteFile(folder + Ansi("Фото\\море.jpg"), "sea");
  WriteFile(folder + "kv4.exe", "a program of the user's that happens to share the name");
  ASSERT_TRUE(CopyFileA(BuildTreeFile("uninstaller\\uninstall.exe").c_str(), (folder + "uninstall.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(BuildTreeFile("standins\\uninsts\\uninsts.exe").c_str(), (folder + "uninsts.exe").c_str(), FALSE));
  const std::vector<AnsiString> before = ListTree(folder);
  StartUninstaller("", folder);
  ExpectNotRemovedMessage();
  EXPECT_EQ(ListTree(folder), before);
  EXPECT_EQ(ReadFile(folder + Ansi("Фото\\море.jpg")), "sea");
}

TEST(UninstallScenario, ARemovalProgramThatFailsIsReportedAsNotRemoved) {
  Install();
  // A product file held open for good: the removal program retries, gives
  // up and says so by its exit code.
  const AnsiString held = ProductFolder() + "Storage\\Tutorial\\index.htm";
  HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  StartUninstaller();
  ExpectNotRemovedMessage();
  CloseHandle(file);
  EXPECT_TRUE(FileThere(held));
  EXPECT_TRUE(FileThere(ProductFolder() + "uninstall.lst")) << "kept for another try";
  EXPECT_TRUE(FileThere(ProductFolder() + "uninsts.exe"));
  ExpectStillRegistered();
  // The other try, with the file let go, removes it all.
  StartUninstaller();
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  EXPECT_EQ(box.Text, Ansi("Лумбрикс 2008 удален с вашего компьютера."));
  EXPECT_EQ(CloseAndWaitForExit(box), 0u);
  EXPECT_FALSE(FolderThere(InstallSettings->TargetFolder));
  EXPECT_FALSE(FolderThere(StartMenuProductFolder(false)));
  ExpectShortcutsAndKeysGone();
}

TEST(UninstallScenario, ARemovalProgramThatDoesNotEndInTimeIsReportedAsNotRemoved) {
  Install();
  UseSeamedUninstaller();
  // A wait shorter than any removal: the removal program is still at work
  // when the uninstaller stops waiting.
  StartUninstaller("removalwait=1");
  ExpectNotRemovedMessage();
}

TEST(UninstallScenario, AUsersFileUnderAPayloadNameIsBackWithItsContentAfterTheUninstall) {
  PrepareEngine(DemoPayload());
  ASSERT_TRUE(ForceDirectories(InstallSettings->TargetFolder));
  WriteFile(ProductFolder() + "kv4.exe", "the user's own kv4");
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess) << run.RarError;
  ASSERT_NE(ReadFile(ProductFolder() + "kv4.exe"), "the user's own kv4");
  StartUninstaller();
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  CloseMessageBox(box);
  EXPECT_TRUE(WaitUntil([] { return !FileThere(ProductFolder() + "uninsts.exe"); }, 60000));
  EXPECT_EQ(ListTree(InstallSettings->TargetFolder), std::vector<AnsiString>{"kv4.exe"});
  EXPECT_EQ(ReadFile(ProductFolder() + "kv4.exe"), "the user's own kv4");
}

TEST(UninstallScenario, AListThatCameWithThePayloadNeverNamesTheUsersFiles) {
  // A payload that brings a list of its own naming a file of the user's.
  TScratchFolder scratch("lists");
  const AnsiString source = scratch / "src";
  ASSERT_TRUE(ForceDirectories(source));
  WriteFile(source + "\\kv4.exe", "product");
  ASSERT_TRUE(CopyFileA(BuildTreeFile("uninstaller\\uninstall.exe").c_str(), (source + "\\uninstall.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(BuildTreeFile("standins\\uninsts\\uninsts.exe").c_str(), (source + "\\uninsts.exe").c_str(), FALSE));
  const std::string header = std::string(installedfiles::Header) + "\r\n";
  WriteFile(source + "\\" + installedfiles::FileName, header + "letter.doc\r\n");
  PackFolder(source, scratch / "lists.z", {"tulbek"});
  PrepareEngine(scratch / "lists.z");
  // A folder of the user's, for which no product is registered.
  ASSERT_TRUE(ForceDirectories(InstallSettings->TargetFolder));
  WriteFile(ProductFolder() + "letter.doc", "letter");
  TInstallRun run = RunInstall();
  ASSERT_EQ(run.Status, isSuccess) << "RAR code " << run.RarError;
  StartUninstaller();
  TMessageBox box = WaitForMessageBox(Caption());
  ASSERT_NE(box.Window, nullptr) << "no message box";
  EXPECT_EQ(box.Text, Ansi("Лумбрикс 2008 удален с вашего компьютера."));
  CloseMessageBox(box);
  EXPECT_EQ(ListTree(InstallSettings->TargetFolder), std::vector<AnsiString>{"letter.doc"});
  EXPECT_EQ(ReadFile(ProductFolder() + "letter.doc"), "letter");
}
