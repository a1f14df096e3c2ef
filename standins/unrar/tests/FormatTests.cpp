// The format layer on its own: key derivation against libgcrypt's PBKDF2,
// the key cache, variable-length integers, entry names and volume names.
#include <gtest/gtest.h>

#include <gcrypt.h>

#include "Rar5Crypto.hpp"
#include "Rar5Names.hpp"

using namespace rar5;

TEST(Format, TheThreeKeyTapsAreOnePbkdf2ChainAtCountPlus0And16And32) {
  InitCrypto();
  Salt salt;
  for (size_t i = 0; i < salt.size(); ++i) salt[i] = static_cast<uint8_t>(i * 7 + 1);
  const std::string password = "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C";  // UTF-8
  const DerivedKeys keys = DeriveKeys(password, salt, 10);
  auto pbkdf2 = [&](unsigned long iterations) {
    std::array<uint8_t, 32> out{};
    EXPECT_EQ(gcry_kdf_derive(password.data(), password.size(), GCRY_KDF_PBKDF2, GCRY_MD_SHA256, salt.data(),
                              salt.size(), iterations, out.size(), out.data()),
              0u);
    return out;
  };
  EXPECT_EQ(keys.key, pbkdf2(1024));
  EXPECT_EQ(keys.hashKey, pbkdf2(1024 + 16));
  std::array<uint8_t, 8> check{};
  const auto last = pbkdf2(1024 + 32);
  for (size_t i = 0; i < last.size(); ++i) check[i % 8] ^= last[i];
  EXPECT_EQ(keys.check, check);
}

TEST(Format, CheckFieldTellsAWrongPasswordFromADamagedField) {
  Salt salt{};
  const DerivedKeys right = DeriveKeys("tulbek", salt, 4), wrong = DeriveKeys("wrong", salt, 4);
  CheckField field = MakeCheckField(right);
  EXPECT_EQ(VerifyCheckField(field, right), CheckResult::Match);
  EXPECT_EQ(VerifyCheckField(field, wrong), CheckResult::Mismatch);
  field[3] ^= 0x10;
  EXPECT_EQ(VerifyCheckField(field, right), CheckResult::FieldDamaged);
  EXPECT_EQ(VerifyCheckField(field, wrong), CheckResult::FieldDamaged);
}

TEST(Format, TheKeyCacheDerivesOncePerPasswordSaltAndCount) {
  KeyCache cache;
  Salt a{}, b{};
  b[0] = 1;
  for (int i = 0; i < 100; ++i) cache.Get("tulbek", a, 4);
  EXPECT_EQ(cache.Derivations(), 1u);
  cache.Get("tulbek", b, 4);
  cache.Get("other", a, 4);
  cache.Get("tulbek", a, 5);
  EXPECT_EQ(cache.Derivations(), 4u);
  EXPECT_EQ(cache.Get("tulbek", a, 4).key, DeriveKeys("tulbek", a, 4).key);
}

TEST(Format, VariableLengthIntegersRoundTripAndOverlongOnesFail) {
  for (uint64_t v : {uint64_t{0}, uint64_t{127}, uint64_t{128}, uint64_t{300}, uint64_t{1} << 35, ~uint64_t{0}}) {
    std::vector<uint8_t> bytes;
    PutVint(bytes, v);
    EXPECT_EQ(bytes.size(), VintLength(v));
    uint64_t back = 0;
    EXPECT_EQ(ReadVint(bytes.data(), bytes.size(), back), bytes.size());
    EXPECT_EQ(back, v);
    EXPECT_EQ(ReadVint(bytes.data(), bytes.size() - 1, back), 0u) << "a cut value must not decode";
  }
  const std::vector<uint8_t> eleven(11, 0x80);
  uint64_t v = 0;
  EXPECT_EQ(ReadVint(eleven.data(), eleven.size(), v), 0u);
}

TEST(Format, EntryNamesThatCouldEscapeAreUnsafe) {
  for (const char* ok : {"a.txt", "dir/sub/file.bin", "Документы/файл.txt", "a..b/c", ".hidden", "..x"})
    EXPECT_TRUE(IsSafeEntryName(ok)) << ok;
  for (const char* bad : {"", "/abs", "\\abs", "C:/x", "c:x", "a/../b", "..", "a/..", "a//b", "a/./b", "a/. /b",
                          "a/.../b", "file.txt:stream", "a\\..\\b"})
    EXPECT_FALSE(IsSafeEntryName(bad)) << bad;
  EXPECT_FALSE(IsSafeEntryName(std::string("a\0b", 3)));
}

TEST(Format, VolumeNamesCountOnKeepingTheirWidth) {
  EXPECT_EQ(NextVolumeName(L"C:\\x\\setup.part1.rar"), L"C:\\x\\setup.part2.rar");
  EXPECT_EQ(NextVolumeName(L"a.part9.rar"), L"a.part10.rar");
  EXPECT_EQ(NextVolumeName(L"a.part09.rar"), L"a.part10.rar");
  EXPECT_EQ(NextVolumeName(L"a.PART001.RAR"), L"a.PART002.RAR");
  EXPECT_EQ(NextVolumeName(L"a.part99.rar"), L"a.part100.rar");
  EXPECT_EQ(NextVolumeName(L"plain.rar"), L"");
  EXPECT_EQ(NextVolumeName(L"a.part.rar"), L"");
}
