// Extraction through the interface as the installer drives it: every kind
// of archive, passwords, damaged data, the data callback and cancel, volumes.
#include <gtest/gtest.h>

#include <cstring>

#include "Rar5Format.hpp"
#include "UnrarTestSupport.hpp"

using namespace unrar_test;

namespace {

uint64_t TreeBytes() {
  uint64_t total = 0;
  for (const auto& e : fs::recursive_directory_iterator(FixtureTree()))
    if (e.is_regular_file()) total += e.file_size();
  return total;
}

// A copy of a fixture with one byte changed where `marker` (a run of the
// given file's bytes) lies, so the damage falls inside that file's data.
fs::path DamagedCopy(const std::string& fixture, const fs::path& folder, size_t offset) {
  std::string bytes = ReadAll(Fixture(fixture));
  bytes[offset] = static_cast<char>(bytes[offset] ^ 0x55);
  const fs::path out = folder / fixture;
  WriteAll(out, bytes);
  return out;
}

// The first file header of a single-volume archive written by rarpack starts
// right after the signature and the 8-byte main header; the check field
// ends that header.
size_t FirstHeaderEnd(const std::string& bytes) {
  const size_t at = 16;
  uint64_t size = 0;
  const size_t used = rar5::ReadVint(reinterpret_cast<const uint8_t*>(bytes.data()) + at + 4, 3, size);
  return at + 4 + used + static_cast<size_t>(size);
}

void FixHeaderCrc(std::string& bytes, size_t at, size_t end) {
  const uint32_t crc = rar5::Crc32(0, bytes.data() + at + 4, end - at - 4);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(crc >> (8 * i));
}

}  // namespace

TEST(Extract, EveryKindOfArchiveGivesTheTreeByteForByte) {
  for (const char* name : {"plain.rar", "enc.rar", "hdr.rar", "tweaked.rar", "vol.part1.rar", "encvol.part1.rar"}) {
    SCOPED_TRACE(name);
    TempFolder dest;
    ASSERT_EQ(ExtractAll(Fixture(name), dest.Path(), "tulbek"), 0);
    EXPECT_EQ(CompareTrees(FixtureTree(), dest.Path()), std::vector<std::string>{});
  }
}

TEST(Extract, PasswordsAreTakenInTheAnsiCodePageAndDerivedFromUtf8) {
  TempFolder dest;
  // "пароль" in code page 1251.
  EXPECT_EQ(ExtractAll(Fixture("cyr.rar"), dest.Path(), "\xEF\xE0\xF0\xEE\xEB\xFC"), 0);
  EXPECT_EQ(CompareTrees(FixtureTree(), dest.Path()), std::vector<std::string>{});
}

TEST(Extract, DestinationFolderIsTakenInTheOemCodePage) {
  TempFolder temp;
  const fs::path dest = temp.Path() / L"Назначение";
  ASSERT_EQ(ExtractAll(Fixture("plain.rar"), dest, nullptr), 0);
  EXPECT_EQ(CompareTrees(FixtureTree(), dest), std::vector<std::string>{});
}

TEST(Extract, AWrongPasswordIsBadPasswordAndCreatesNothing) {
  for (const char* name : {"enc.rar", "tweaked.rar"}) {
    TempFolder dest;
    EXPECT_EQ(ExtractAll(Fixture(name), dest.Path(), "wrong"), ERAR_BAD_PASSWORD) << name;
    EXPECT_TRUE(fs::is_empty(dest.Path())) << name;
  }
}

TEST(Extract, DamagedDataIsBadDataAndThePartialFileIsRemoved) {
  // big.bin comes first; offset 5000 lies inside its data in every one.
  for (const char* name : {"plain.rar", "enc.rar", "tweaked.rar"}) {
    SCOPED_TRACE(name);
    TempFolder temp, dest;
    const fs::path damaged = DamagedCopy(name, temp.Path(), 5000);
    EXPECT_EQ(ExtractAll(damaged, dest.Path(), "tulbek"), ERAR_BAD_DATA);
    EXPECT_FALSE(fs::exists(dest.Path() / "big.bin"));
  }
}

TEST(Extract, ADamagedCheckFieldIsNotTakenForAWrongPassword) {
  TempFolder temp;
  std::string bytes = ReadAll(Fixture("enc.rar"));
  const size_t end = FirstHeaderEnd(bytes);
  bytes[end - 12] = static_cast<char>(bytes[end - 12] ^ 1);  // first byte of the password check
  FixHeaderCrc(bytes, 16, end);
  const fs::path damaged = temp.Path() / "enc.rar";
  WriteAll(damaged, bytes);
  {
    TempFolder dest;
    EXPECT_EQ(ExtractAll(damaged, dest.Path(), "tulbek"), 0);
    EXPECT_EQ(CompareTrees(FixtureTree(), dest.Path()), std::vector<std::string>{});
  }
  {
    // The checksum then tells a wrong password, as damaged data.
    TempFolder dest;
    EXPECT_EQ(ExtractAll(damaged, dest.Path(), "wrong"), ERAR_BAD_DATA);
  }
}

TEST(Extract, AMissingPasswordIsAskedOnceThroughTheCallback) {
  TempFolder dest;
  EXPECT_EQ(ExtractAll(Fixture("enc.rar"), dest.Path(), nullptr), ERAR_MISSING_PASSWORD);
  CallbackLog log;
  log.password = "tulbek";
  EXPECT_EQ(ExtractAll(Fixture("enc.rar"), dest.Path(), nullptr, &log), 0);
  EXPECT_EQ(log.Count(UCM_NEEDPASSWORD), 1);
  EXPECT_EQ(CompareTrees(FixtureTree(), dest.Path()), std::vector<std::string>{});
}

TEST(Extract, DataReachesTheCallbackInBlocksOfAtMostOneMebibyte) {
  TempFolder dest;
  CallbackLog log;
  ASSERT_EQ(ExtractAll(Fixture("enc.rar"), dest.Path(), "tulbek", &log), 0);
  EXPECT_EQ(log.bytes, TreeBytes());
  EXPECT_LE(log.largestBlock, 1024u * 1024u);
  EXPECT_GT(log.largestBlock, 0u);
  // big.bin alone is larger than one block.
  EXPECT_GE(log.Count(UCM_PROCESSDATA), 3);
}

TEST(Extract, CancelInTheCallbackStopsWithinOneBlockAndRemovesTheFile) {
  TempFolder dest;
  CallbackLog log;
  log.cancelAfter = 1;  // the first block of big.bin
  const int r = ExtractAll(Fixture("enc.rar"), dest.Path(), "tulbek", &log);
  EXPECT_NE(r, 0);
  EXPECT_NE(r, ERAR_END_ARCHIVE);
  EXPECT_EQ(log.Count(UCM_PROCESSDATA), 1);
  EXPECT_FALSE(fs::exists(dest.Path() / "big.bin"));
}

TEST(Extract, AnExistingReadOnlyFileIsReplaced) {
  TempFolder dest;
  const fs::path target = dest.Path() / "readme.txt";
  WriteAll(target, "old content that is longer than the new one");
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(ExtractAll(Fixture("plain.rar"), dest.Path(), nullptr), 0);
  EXPECT_EQ(ReadAll(target), ReadAll(FixtureTree() / "readme.txt"));
}

namespace {

// Rewrites the attributes of the first file header of a plain single-volume
// archive (big.bin), a one-byte field, and the header's checksum.
std::string WithFirstFileAttributes(std::string bytes, uint8_t attributes) {
  const size_t at = 16;
  auto data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t pos = at + 4;
  uint64_t value = 0, flags = 0;
  auto vint = [&](uint64_t& out) { pos += rar5::ReadVint(data + pos, bytes.size() - pos, out); };
  vint(value);  // header size
  vint(value);  // type
  vint(flags);
  if (flags & 0x0001) vint(value);  // extra area size
  if (flags & 0x0002) vint(value);  // data size
  vint(value);  // file flags
  vint(value);  // unpacked size
  EXPECT_EQ(static_cast<uint8_t>(bytes[pos]), 0x20) << "a file's archive attribute";
  bytes[pos] = static_cast<char>(attributes);
  FixHeaderCrc(bytes, at, FirstHeaderEnd(bytes));
  return bytes;
}

}  // namespace

TEST(Extract, AFilesAttributesAreRestoredAndSuchAFileIsReplacedLater) {
  TempFolder temp;
  const fs::path archive = temp.Path() / "attributes.rar";
  constexpr DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  WriteAll(archive, WithFirstFileAttributes(ReadAll(Fixture("plain.rar")), 0x20 | 0x07));
  for (int pass = 0; pass < 2; ++pass) {
    // The second pass writes over the read-only, hidden, system file the
    // first one made.
    TempFolder dest;
    const fs::path big = dest.Path() / "big.bin";
    if (pass == 1) {
      WriteAll(big, "older");
      SetFileAttributesW(big.c_str(), kept);
    }
    ASSERT_EQ(ExtractAll(archive, dest.Path(), nullptr), 0) << pass;
    EXPECT_EQ(GetFileAttributesW(big.c_str()) & kept, kept) << pass;
    EXPECT_EQ(ReadAll(big), ReadAll(FixtureTree() / "big.bin")) << pass;
    // The others keep plain attributes.
    EXPECT_EQ(GetFileAttributesW((dest.Path() / "readme.txt").c_str()) & kept, 0u) << pass;
    SetFileAttributesW(big.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(Extract, AFileContinuedInAMissingVolumeFailsCleanly) {
  TempFolder temp, dest;
  fs::copy_file(Fixture("vol.part1.rar"), temp.Path() / "vol.part1.rar");
  CallbackLog log;
  log.acceptVolumes = false;
  EXPECT_EQ(ExtractAll(temp.Path() / "vol.part1.rar", dest.Path(), nullptr, &log), ERAR_EOPEN);
  ASSERT_EQ(log.volumeNames.size(), 1u);
  EXPECT_EQ(log.volumeModes[0], RAR_VOL_ASK);
  EXPECT_FALSE(fs::exists(dest.Path() / "big.bin"));
}

TEST(Extract, AFileContinuedInAPresentVolumeAsksAndTheInstallersRefusalStopsIt) {
  TempFolder dest;
  CallbackLog log;
  log.acceptVolumes = false;
  EXPECT_EQ(ExtractAll(Fixture("encvol.part1.rar"), dest.Path(), "tulbek", &log), ERAR_EOPEN);
  EXPECT_EQ(log.volumeModes.at(0), RAR_VOL_NOTIFY);
  EXPECT_FALSE(fs::exists(dest.Path() / "big.bin"));
}

TEST(Extract, AnExistingFileIsOnlyEverReplacedByACompleteNewOne) {
  // big.bin comes first: the damage at 5000 lies in its data, and a cancel
  // after the first block stops inside it.
  TempFolder temp;
  const fs::path damaged = DamagedCopy("plain.rar", temp.Path(), 5000);
  enum { Damaged, Cancelled, Complete };
  for (int outcome : {Damaged, Cancelled, Complete}) {
    SCOPED_TRACE(outcome);
    TempFolder dest;
    // A hidden hard link to a file outside the destination.
    const fs::path big = dest.Path() / "big.bin", other = temp.Path() / ("other" + std::to_string(outcome));
    WriteAll(other, "the user's file");
    ASSERT_TRUE(CreateHardLinkW(big.c_str(), other.c_str(), nullptr));
    SetFileAttributesW(big.c_str(), FILE_ATTRIBUTE_HIDDEN);
    CallbackLog log;
    log.cancelAfter = 1;
    const int result = outcome == Damaged     ? ExtractAll(damaged, dest.Path(), nullptr)
                       : outcome == Cancelled ? ExtractAll(Fixture("plain.rar"), dest.Path(), nullptr, &log)
                                              : ExtractAll(Fixture("plain.rar"), dest.Path(), nullptr);
    EXPECT_EQ(result, outcome == Damaged ? ERAR_BAD_DATA : outcome == Cancelled ? ERAR_UNKNOWN : 0);
    EXPECT_EQ(ReadAll(other), "the user's file") << "written through the link";
    EXPECT_TRUE(ReadAll(big) == (outcome == Complete ? ReadAll(FixtureTree() / "big.bin") : "the user's file"));
    const DWORD hidden = outcome == Complete ? 0 : FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(GetFileAttributesW(big.c_str()) & FILE_ATTRIBUTE_HIDDEN, hidden);
    // No temporary file is left beside it.
    int names = 0;
    for (const auto& entry : fs::directory_iterator(dest.Path()))
      names += entry.path().filename().wstring().rfind(L"big.bin", 0) == 0;
    EXPECT_EQ(names, 1);
  }
}
