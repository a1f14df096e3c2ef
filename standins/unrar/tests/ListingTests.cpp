// Listing through the interface: names in the OEM code page, sizes, flags,
// passwords for encrypted headers, and volumes.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "UnrarTestSupport.hpp"

using namespace unrar_test;

namespace {

using Row = std::tuple<std::string, uint64_t, bool>;

std::set<Row> ExpectedRows() {
  std::set<Row> rows;
  for (const auto& e : fs::recursive_directory_iterator(FixtureTree())) {
    fs::path rel = fs::relative(e.path(), FixtureTree());
    rows.insert({Oem(rel.make_preferred()), e.is_directory() ? 0 : fs::file_size(e.path()), e.is_directory()});
  }
  return rows;
}

std::set<Row> Rows(const std::vector<Listed>& listed) {
  std::set<Row> rows;
  for (const auto& l : listed) rows.insert({l.name, l.unpackedSize, (l.flags & RHDF_DIRECTORY) != 0});
  return rows;
}

}  // namespace

TEST(Listing, EveryKindOfArchiveListsTheTreeWithOemNames) {
  for (const char* name : {"plain.rar", "enc.rar", "hdr.rar", "tweaked.rar", "vol.part1.rar", "encvol.part1.rar"}) {
    SCOPED_TRACE(name);
    std::vector<Listed> listed;
    EXPECT_EQ(ListAll(Fixture(name), "tulbek", listed), ERAR_END_ARCHIVE);
    EXPECT_EQ(Rows(listed), ExpectedRows());
    for (const auto& l : listed) EXPECT_EQ(Oem(fs::path(l.wideName)), l.name);
  }
}

TEST(Listing, FilesOfAnEncryptedArchiveAreFlaggedAndPlainOnesAreNot) {
  std::vector<Listed> enc, plain;
  ASSERT_EQ(ListAll(Fixture("enc.rar"), nullptr, enc), ERAR_END_ARCHIVE);
  ASSERT_EQ(ListAll(Fixture("plain.rar"), nullptr, plain), ERAR_END_ARCHIVE);
  for (const auto& l : enc)
    EXPECT_EQ((l.flags & RHDF_ENCRYPTED) != 0, (l.flags & RHDF_DIRECTORY) == 0) << l.name;
  for (const auto& l : plain) EXPECT_EQ(l.flags & RHDF_ENCRYPTED, 0u) << l.name;
}

TEST(Listing, ReadHeaderGivesTheOemNameWithBackslashes) {
  std::string name = Ansi(Fixture("plain.rar"));
  RAROpenArchiveDataEx open{};
  open.ArcName = name.data();
  HANDLE h = Lib().OpenArchiveEx(&open);
  ASSERT_NE(h, nullptr);
  std::set<std::string> names;
  RARHeaderData header{};
  while (Lib().ReadHeader(h, &header) == 0) {
    names.insert(header.FileName);
    EXPECT_EQ(std::string(header.ArcName), name);
    ASSERT_EQ(Lib().ProcessFile(h, RAR_SKIP, nullptr, nullptr), 0);
  }
  Lib().CloseArchive(h);
  // "Документы\Отчёт за 2008 год.txt" in code page 866.
  EXPECT_TRUE(names.count("\x84\xAE\xAA\xE3\xAC\xA5\xAD\xE2\xEB\\\x8E\xE2\xE7\xF1\xE2 \xA7\xA0 2008 \xA3\xAE\xA4.txt"));
}

TEST(Listing, EncryptedHeadersNeedTheRightPassword) {
  std::vector<Listed> listed;
  EXPECT_EQ(ListAll(Fixture("hdr.rar"), nullptr, listed), ERAR_MISSING_PASSWORD);
  EXPECT_EQ(ListAll(Fixture("hdr.rar"), "wrong", listed), ERAR_BAD_PASSWORD);
  EXPECT_TRUE(listed.empty());
  std::string name = Ansi(Fixture("hdr.rar"));
  RAROpenArchiveDataEx open{};
  open.ArcName = name.data();
  HANDLE h = Lib().OpenArchiveEx(&open);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(open.Flags & ROADF_ENCHEADERS, 0u);
  Lib().CloseArchive(h);
}

TEST(Listing, AMissingPasswordIsAskedOnceThroughTheCallback) {
  CallbackLog log;
  log.password = "tulbek";
  std::vector<Listed> listed;
  EXPECT_EQ(ListAll(Fixture("hdr.rar"), nullptr, listed, RAR_OM_LIST, &log), ERAR_END_ARCHIVE);
  EXPECT_EQ(Rows(listed), ExpectedRows());
  EXPECT_EQ(log.Count(UCM_NEEDPASSWORDW), 1);
  EXPECT_EQ(log.Count(UCM_NEEDPASSWORD), 1);

  CallbackLog refusing;
  listed.clear();
  EXPECT_EQ(ListAll(Fixture("hdr.rar"), nullptr, listed, RAR_OM_LIST, &refusing), ERAR_MISSING_PASSWORD);
  EXPECT_EQ(refusing.Count(UCM_NEEDPASSWORD), 1);
}

TEST(Listing, AnArchiveWithoutFilesEndsAtOnce) {
  std::vector<Listed> listed;
  EXPECT_EQ(ListAll(Fixture("empty.rar"), nullptr, listed), ERAR_END_ARCHIVE);
  EXPECT_TRUE(listed.empty());
}

TEST(Listing, ASplitFileIsOneEntryUnlessPartsAreAskedFor) {
  auto count = [](const std::vector<Listed>& l) {
    return std::count_if(l.begin(), l.end(), [](const Listed& e) { return e.name == "big.bin"; });
  };
  std::vector<Listed> whole, parts;
  ASSERT_EQ(ListAll(Fixture("vol.part1.rar"), nullptr, whole), ERAR_END_ARCHIVE);
  ASSERT_EQ(ListAll(Fixture("vol.part1.rar"), nullptr, parts, RAR_OM_LIST_INCSPLIT), ERAR_END_ARCHIVE);
  EXPECT_EQ(count(whole), 1);
  ASSERT_EQ(count(parts), 3);
  EXPECT_EQ(parts[0].flags & (RHDF_SPLITBEFORE | RHDF_SPLITAFTER), unsigned{RHDF_SPLITAFTER});
  EXPECT_EQ(parts[1].flags & (RHDF_SPLITBEFORE | RHDF_SPLITAFTER), unsigned{RHDF_SPLITBEFORE | RHDF_SPLITAFTER});
  EXPECT_EQ(parts[2].flags & (RHDF_SPLITBEFORE | RHDF_SPLITAFTER), unsigned{RHDF_SPLITBEFORE});
}

TEST(Listing, AMissingNextVolumeIsAskedForAndRefusalFailsWithEOpen) {
  TempFolder folder;
  fs::copy_file(Fixture("vol.part1.rar"), folder.Path() / "vol.part1.rar");
  std::vector<Listed> listed;
  EXPECT_EQ(ListAll(folder.Path() / "vol.part1.rar", nullptr, listed), ERAR_EOPEN);
  CallbackLog log;
  log.acceptVolumes = false;
  EXPECT_EQ(ListAll(folder.Path() / "vol.part1.rar", nullptr, listed, RAR_OM_LIST, &log), ERAR_EOPEN);
  ASSERT_EQ(log.volumeNames.size(), 1u);
  EXPECT_EQ(log.volumeNames[0], Ansi(folder.Path() / "vol.part2.rar"));
  EXPECT_EQ(log.volumeModes[0], RAR_VOL_ASK);
}

TEST(Listing, PresentVolumesAreAnnouncedAndCanBeRefused) {
  CallbackLog log;
  std::vector<Listed> listed;
  EXPECT_EQ(ListAll(Fixture("vol.part1.rar"), nullptr, listed, RAR_OM_LIST, &log), ERAR_END_ARCHIVE);
  ASSERT_EQ(log.volumeNames.size(), 2u);
  EXPECT_EQ(log.volumeNames[1], Ansi(Fixture("vol.part3.rar")));
  EXPECT_EQ(log.volumeModes[1], RAR_VOL_NOTIFY);

  // The installer answers -1 to every volume message.
  CallbackLog refusing;
  refusing.acceptVolumes = false;
  listed.clear();
  EXPECT_EQ(ListAll(Fixture("vol.part1.rar"), nullptr, listed, RAR_OM_LIST, &refusing), ERAR_EOPEN);
}
