// The record of what an install created and installed, and the list of
// installed files it leaves for the removal program.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.hpp"
#include "InstallRecord.hpp"
#include "InstalledFilesList.hpp"
#include "SysUtils.hpp"
#include "ui_0__Delete.hpp"

using namespace enginetest;

namespace {

std::vector<std::string> Parsed(const std::string& text, bool& ok) {
  std::vector<std::string> names;
  ok = installedfiles::Parse(text, names);
  return names;
}

const std::string Header = std::string(installedfiles::Header) + "\r\n";

}  // namespace

TEST(InstalledFilesList, NamesComeBackAsWritten) {
  const std::vector<std::string> names = {"kv4.exe", "Storage\\", "Storage\\Tutorial\\index.htm",
                                          "\xD0\xA8\xD0\xB0\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBD\xD1\x8B\\"};
  bool ok = false;
  EXPECT_EQ(Parsed(installedfiles::Format(names), ok), names);
  EXPECT_TRUE(ok);
  // Lines may end in LF alone, and empty lines mean nothing.
  EXPECT_EQ(Parsed(std::string(installedfiles::Header) + "\na.txt\n\nb\\\n", ok),
            (std::vector<std::string>{"a.txt", "b\\"}));
  EXPECT_TRUE(ok);
  EXPECT_TRUE(Parsed(Header, ok).empty());
  EXPECT_TRUE(ok);
}

TEST(InstalledFilesList, AnythingButAListOfSafeNamesIsRefusedWhole) {
  bool ok = true;
  EXPECT_TRUE(Parsed("", ok).empty());
  EXPECT_FALSE(ok);
  EXPECT_TRUE(Parsed("kv4.exe\r\n", ok).empty()) << "no header";
  EXPECT_FALSE(ok);
  for (const char* unsafe : {"..\\x.txt", "a\\..\\..\\x", "\\Windows\\win.ini", "C:\\x", "C:x", "a/b", "...\\x",
                             "a\\. \\b", "a\\\\b", "file.txt:stream", "*.*", "a\tb", "\\", "CON", "nul.txt",
                             "a\\Com1\\b", "LPT9 .log", "aux\\", "COM\xC2\xB9.txt", "conout$"}) {
    EXPECT_FALSE(installedfiles::IsSafeName(unsafe)) << unsafe;
    EXPECT_TRUE(Parsed(Header + "kv4.exe\r\n" + unsafe + "\r\n", ok).empty()) << unsafe;
    EXPECT_FALSE(ok) << unsafe;
  }
  for (const char* safe : {"kv4.exe", "a\\b\\", ".hidden", "a b\\c.d.e", "x..y", "CONSOLE.txt", "COM10", "nullable",
                           "LPT\\", "my con.txt"})
    EXPECT_TRUE(installedfiles::IsSafeName(safe)) << safe;
  // A backup names a file on each side of one bar.
  for (const char* unsafe : {"a|", "|a", "a\\|b", "a|b\\", "a|b|c", "a|..\\x", "a|C:\\x"}) {
    EXPECT_TRUE(Parsed(Header + unsafe + "\r\n", ok).empty()) << unsafe;
    EXPECT_FALSE(ok) << unsafe;
  }
  EXPECT_EQ(Parsed(Header + "a\\b.txt|a\\b.txt.old\r\n", ok), std::vector<std::string>{"a\\b.txt|a\\b.txt.old"});
  EXPECT_TRUE(ok);
}

class InstallRecord : public ::testing::Test {
 protected:
  AnsiString Target() const { return scratch_ / "Kestrum\\Lumbrix 2008"; }
  TScratchFolder scratch_{"record"};
  TInstallRecord record_;
};

TEST_F(InstallRecord, TheTargetAndItsMissingParentsAreCreatedOutermostFirst) {
  record_.Begin(Target() + "\\");
  EXPECT_EQ(record_.CreatedPaths(), (std::vector<AnsiString>{scratch_ / "Kestrum", Target()}));
  EXPECT_TRUE(record_.InstalledNames().empty());
  // An existing target is nobody's creation.
  ASSERT_TRUE(ForceDirectories(Target()));
  record_.Begin(Target());
  EXPECT_TRUE(record_.CreatedPaths().empty());
}

TEST_F(InstallRecord, EntriesAreCreatedMovedAsideOrLeftAsTheyWere) {
  ASSERT_TRUE(ForceDirectories(Target() + "\\Storage"));
  WriteFile(Target() + "\\kv4.exe", "old");
  WriteFile(Target() + "\\kv4.exe.lumbrix-original", "an earlier backup of the user's");
  ASSERT_TRUE(record_.Begin(Target()));
  EXPECT_TRUE(record_.NoteEntry("kv4.exe", false));
  const AnsiString backup = "kv4.exe.lumbrix-original-2";
  EXPECT_FALSE(FileThere(Target() + "\\kv4.exe"));
  EXPECT_EQ(ReadFile(Target() + "\\" + backup), "old");
  record_.NoteEntry("Storage", true);
  record_.NoteEntry("Storage\\Tutorial\\index.htm", false);
  record_.NoteEntry(Ansi("Шаблоны/Деловой/элемент.dat"), false);
  record_.NoteEntry("kv4.exe", false);  // twice in the archive
  EXPECT_EQ(record_.CreatedPaths(),
            (std::vector<AnsiString>{Target() + "\\kv4.exe|" + Target() + "\\" + backup,
                                     Target() + "\\Storage\\Tutorial", Target() + "\\Storage\\Tutorial\\index.htm",
                                     Target() + "\\" + Ansi("Шаблоны"), Target() + "\\" + Ansi("Шаблоны\\Деловой"),
                                     Target() + "\\" + Ansi("Шаблоны\\Деловой\\элемент.dat")}));
  EXPECT_EQ(record_.InstalledNames(),
            (std::vector<AnsiString>{"kv4.exe|" + backup, "Storage\\Tutorial\\", "Storage\\Tutorial\\index.htm",
                                     Ansi("Шаблоны\\"), Ansi("Шаблоны\\Деловой\\"), Ansi("Шаблоны\\Деловой\\элемент.dat")}));
  // The rollback puts the moved file back in place of the product's copy.
  WriteFile(Target() + "\\kv4.exe", "the product's");
  RemoveInstallFolder(Target(), record_.CreatedPaths());
  EXPECT_EQ(ListTree(Target()), (std::vector<AnsiString>{"Storage\\", "kv4.exe", "kv4.exe.lumbrix-original"}));
  EXPECT_EQ(ReadFile(Target() + "\\kv4.exe"), "old");
}

TEST_F(InstallRecord, NamesThatLeaveTheTargetAreNeverNoted) {
  record_.Begin(Target());
  const size_t before = record_.CreatedPaths().size();
  for (const char* name : {"..\\evil.exe", "a\\..\\..\\evil.exe", "\\Windows\\evil.exe", "C:\\evil.exe", "/evil"})
    record_.NoteEntry(name, false);
  EXPECT_EQ(record_.CreatedPaths().size(), before);
  EXPECT_TRUE(record_.InstalledNames().empty());
}

TEST_F(InstallRecord, TheListIsWrittenInUtf8AndNotedAsCreated) {
  record_.Begin(Target());
  record_.NoteEntry(Ansi("Шаблоны\\элемент.dat"), false);
  ASSERT_TRUE(ForceDirectories(Target() + "\\" + Ansi("Шаблоны")));
  ASSERT_TRUE(record_.WriteList());
  const AnsiString list = Target() + "\\" + installedfiles::FileName;
  EXPECT_EQ(ReadFile(list), Header + "\xD0\xA8\xD0\xB0\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBD\xD1\x8B\\\r\n"
                                     "\xD0\xA8\xD0\xB0\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBD\xD1\x8B\\"
                                     "\xD1\x8D\xD0\xBB\xD0\xB5\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82.dat\r\n");
  EXPECT_EQ(record_.CreatedPaths().back(), list) << "the rollback takes the list too";
}

TEST_F(InstallRecord, AnEmptyPayloadStillLeavesItsListAndTheRollbackTakesAll) {
  // Nothing was extracted, so nothing made the target folder.
  record_.Begin(Target());
  ASSERT_TRUE(record_.WriteList());
  EXPECT_EQ(ReadFile(Target() + "\\" + installedfiles::FileName), Header);
  RemoveInstallFolder(Target(), record_.CreatedPaths());
  EXPECT_FALSE(FolderThere(scratch_ / "Kestrum"));
  EXPECT_TRUE(FolderThere(scratch_.Path()));
}

TEST_F(InstallRecord, TheRegisteredInstallsListIsKeptAndNotTakenAsTheInstallsOwn) {
  ASSERT_TRUE(ForceDirectories(Target()));
  const AnsiString list = Target() + "\\" + installedfiles::FileName;
  WriteFile(list, Header + "old.dll\r\nkv4.exe\r\n");
  // The earlier install's kv4.exe is moved aside as a user's file would be,
  // but listed as the product's, not to come back on removal.
  WriteFile(Target() + "\\kv4.exe", "the earlier install's");
  record_.Begin(Target(), Target() + "\\");
  record_.NoteEntry("kv4.exe", false);
  record_.NoteEntry("new.dll", false);
  ASSERT_TRUE(record_.WriteList());
  EXPECT_EQ(ReadFile(list), Header + "old.dll\r\nkv4.exe\r\nkv4.exe.lumbrix-original\r\nnew.dll\r\n");
  // It was there before: a rollback must not take it away.
  EXPECT_EQ(std::count(record_.CreatedPaths().begin(), record_.CreatedPaths().end(), list), 0);
}

TEST_F(InstallRecord, AListThatCannotBeWrittenIsReported) {
  record_.Begin(Target());
  // A folder stands where the list should go.
  ASSERT_TRUE(ForceDirectories(Target() + "\\" + installedfiles::FileName));
  EXPECT_FALSE(record_.WriteList());
}

TEST_F(InstallRecord, AListThatIsNotTheRegisteredProductsOwnIsNeverMerged) {
  ASSERT_TRUE(ForceDirectories(Target()));
  const AnsiString list = Target() + "\\" + installedfiles::FileName;
  // A list in a folder the product is not registered for.
  WriteFile(list, Header + "letter.doc\r\n");
  record_.Begin(Target(), scratch_ / "elsewhere");
  record_.NoteEntry("kv4.exe", false);
  ASSERT_TRUE(record_.WriteList());
  EXPECT_EQ(ReadFile(list), Header + "kv4.exe\r\n");
  // It is not the product's, so it is kept, and a rollback brings it back.
  EXPECT_EQ(ReadFile(list + ".lumbrix-original"), Header + "letter.doc\r\n");
  RemoveInstallFolder(Target(), record_.CreatedPaths());
  EXPECT_EQ(ReadFile(list), Header + "letter.doc\r\n");
  // The registered folder, but the list came with the payload.
  const AnsiString registered = Target();
  ASSERT_TRUE(DeleteFileA(list.c_str()));
  record_.Begin(Target(), registered);
  WriteFile(list, Header + "letter.doc\r\n");
  record_.NoteEntry("kv4.exe", false);
  ASSERT_TRUE(record_.WriteList());
  EXPECT_EQ(ReadFile(list), Header + "kv4.exe\r\n");
}

TEST_F(InstallRecord, TheNewListTakesTheOldNamesPlaceAndNeverWritesThroughIt) {
  ASSERT_TRUE(ForceDirectories(Target()));
  const AnsiString list = Target() + "\\" + installedfiles::FileName;
  const AnsiString users = scratch_ / "letter.doc";
  WriteFile(users, "the user's letter");
  ASSERT_TRUE(CreateHardLinkA(list.c_str(), users.c_str(), nullptr));
  record_.Begin(Target());
  record_.NoteEntry("kv4.exe", false);
  ASSERT_TRUE(record_.WriteList());
  EXPECT_EQ(ReadFile(list), Header + "kv4.exe\r\n");
  EXPECT_EQ(ReadFile(users), "the user's letter");
  // Nothing but the list was left beside the name the link was kept under.
  EXPECT_EQ(ListTree(Target()), (std::vector<AnsiString>{installedfiles::FileName,
                                                         AnsiString(installedfiles::FileName) + ".lumbrix-original"}));
}
