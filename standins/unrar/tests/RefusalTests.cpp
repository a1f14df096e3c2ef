// Archives the library must refuse cleanly: not archives, truncated ones,
// damaged headers, unsupported methods, and names that would escape.
#include <gtest/gtest.h>

#include "UnrarTestSupport.hpp"

using namespace unrar_test;

namespace {

int OpenResult(const fs::path& path) {
  std::string name = Ansi(path);
  RAROpenArchiveDataEx open{};
  open.ArcName = name.data();
  open.OpenResult = 12345;
  HANDLE h = Lib().OpenArchiveEx(&open);
  if (h) Lib().CloseArchive(h);
  return h ? 0 : static_cast<int>(open.OpenResult);
}

const std::vector<RawEntry> kTree = {
    {"folder", "", 0, true},
    {"folder/a.txt", "first file"},
    {"empty.txt", ""},
    {"b.bin", std::string(3000, 'b')},
};

}  // namespace

TEST(Refusal, WhatIsNotAnArchiveIsRefusedAtOpen) {
  TempFolder temp;
  WriteAll(temp.Path() / "text.rar", "This is not an archive at all, just text.");
  WriteAll(temp.Path() / "empty.rar", "");
  WriteAll(temp.Path() / "old.rar", std::string("Rar!\x1A\x07\x00", 7) + std::string(20, '\0'));
  EXPECT_EQ(OpenResult(temp.Path() / "text.rar"), ERAR_BAD_ARCHIVE);
  EXPECT_EQ(OpenResult(temp.Path() / "empty.rar"), ERAR_BAD_ARCHIVE);
  EXPECT_EQ(OpenResult(temp.Path() / "old.rar"), ERAR_UNKNOWN_FORMAT);
  EXPECT_EQ(OpenResult(temp.Path() / "missing.rar"), ERAR_EOPEN);
}

TEST(Refusal, AnArchiveTruncatedAtAnyHeaderBoundaryNeverEndsAsSuccess) {
  const RawArchive full = BuildRawArchive(kTree);
  TempFolder temp;
  {
    TempFolder dest;
    WriteAll(temp.Path() / "full.rar", full.bytes);
    ASSERT_EQ(ExtractAll(temp.Path() / "full.rar", dest.Path(), nullptr), 0);
  }
  for (size_t i = 0; i + 1 < full.boundaries.size(); ++i) {
    for (size_t cut : {full.boundaries[i], full.boundaries[i] + 5, full.boundaries[i + 1] - 1}) {
      SCOPED_TRACE(cut);
      const fs::path path = temp.Path() / ("cut" + std::to_string(cut) + ".rar");
      WriteAll(path, full.bytes.substr(0, cut));
      TempFolder dest;
      std::vector<Listed> listed;
      const int listing = ListAll(path, nullptr, listed);
      EXPECT_NE(listing, ERAR_END_ARCHIVE);
      EXPECT_TRUE(listing == ERAR_BAD_ARCHIVE || listing == ERAR_BAD_DATA) << listing;
      EXPECT_NE(ExtractAll(path, dest.Path(), nullptr), 0);
    }
  }
}

TEST(Refusal, ADamagedHeaderIsBadArchiveAndDamagedDataBadData) {
  TempFolder temp, dest;
  RawArchive a = BuildRawArchive(kTree);
  a.bytes[a.boundaries[2] + 8] ^= 0x20;  // inside the second file header
  WriteAll(temp.Path() / "header.rar", a.bytes);
  std::vector<Listed> listed;
  EXPECT_EQ(ListAll(temp.Path() / "header.rar", nullptr, listed), ERAR_BAD_ARCHIVE);

  std::vector<RawEntry> wrong = kTree;
  wrong[3].wrongCrc = true;
  WriteAll(temp.Path() / "data.rar", BuildRawArchive(wrong).bytes);
  EXPECT_EQ(ExtractAll(temp.Path() / "data.rar", dest.Path(), nullptr), ERAR_BAD_DATA);
  EXPECT_TRUE(fs::exists(dest.Path() / "folder" / "a.txt"));
  EXPECT_FALSE(fs::exists(dest.Path() / "b.bin"));
}

TEST(Refusal, UnsupportedMethodsAndVersionsAreListedButNotExtracted) {
  for (uint64_t compression : {uint64_t{1} << 7, uint64_t{3} << 7, uint64_t{1}}) {
    SCOPED_TRACE(compression);
    TempFolder temp, dest;
    WriteAll(temp.Path() / "m.rar", BuildRawArchive({{"packed.txt", "data", compression}}).bytes);
    std::vector<Listed> listed;
    EXPECT_EQ(ListAll(temp.Path() / "m.rar", nullptr, listed), ERAR_END_ARCHIVE);
    EXPECT_EQ(listed.size(), 1u);
    EXPECT_EQ(ExtractAll(temp.Path() / "m.rar", dest.Path(), nullptr), ERAR_UNKNOWN_FORMAT);
    EXPECT_TRUE(fs::is_empty(dest.Path()));
  }
}

TEST(Refusal, NamesThatWouldLeaveTheDestinationAreNeverWritten) {
  for (const char* name : {"../escape.txt", "inner/../../escape.txt", "/escape.txt", "\\escape.txt",
                           "C:/escape.txt", "C:escape.txt", "inner/.../escape.txt", "inner/.. /escape.txt"}) {
    SCOPED_TRACE(name);
    TempFolder temp;
    const fs::path dest = temp.Path() / "dest";
    fs::create_directories(dest);
    WriteAll(temp.Path() / "evil.rar", BuildRawArchive({{"safe.txt", "ok"}, {name, "escaped"}}).bytes);
    EXPECT_EQ(ExtractAll(temp.Path() / "evil.rar", dest, nullptr), ERAR_ECREATE);
    EXPECT_TRUE(fs::exists(dest / "safe.txt"));
    EXPECT_FALSE(fs::exists(temp.Path() / "escape.txt"));
    EXPECT_FALSE(fs::exists(fs::path("C:/escape.txt")));
    EXPECT_FALSE(fs::exists(fs::current_path() / "escape.txt"));
  }
}

TEST(Refusal, ADamagedByteAnywhereFailsCleanlyOrChangesNothingOutside) {
  // Every byte of a small archive changed in turn: the library may refuse
  // or report damage, but must neither crash nor write outside the folder.
  const RawArchive a = BuildRawArchive(kTree);
  TempFolder temp;
  const fs::path dest = temp.Path() / "dest";
  for (size_t i = 0; i < a.bytes.size(); i += 11) {
    std::string bytes = a.bytes;
    bytes[i] = static_cast<char>(bytes[i] ^ (0x5A + i));
    WriteAll(temp.Path() / "d.rar", bytes);
    fs::create_directories(dest);
    const int r = ExtractAll(temp.Path() / "d.rar", dest, nullptr);
    EXPECT_TRUE(r == 0 || (r >= ERAR_BAD_DATA && r <= ERAR_BAD_PASSWORD)) << "offset " << i << ": " << r;
    for (const auto& e : fs::directory_iterator(temp.Path()))
      EXPECT_TRUE(e.path().filename() == "dest" || e.path().filename() == "d.rar") << e.path().string();
    fs::remove_all(dest);
  }
}
