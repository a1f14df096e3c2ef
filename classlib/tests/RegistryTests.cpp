// TRegistry in a throwaway key under HKCU\Software.
#include <gtest/gtest.h>

#include "Registry.hpp"

namespace {

// Test clean-up with the raw API, independent of the class under test.
void RawDeleteTree(HKEY root, const std::string& path) {
  HKEY k;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD len = sizeof(name);
    if (RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    RawDeleteTree(k, name);
  }
  RegCloseKey(k);
  RegDeleteKeyA(root, path.c_str());
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\ClasslibCoreTests" + std::to_string(GetCurrentProcessId());
    RawDeleteTree(HKEY_CURRENT_USER, base_);
  }
  void TearDown() override { RawDeleteTree(HKEY_CURRENT_USER, base_); }
  static bool RawKeyExists(const std::string& path) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  std::string base_;
};

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegistryException& e) {
    return e.Message();
  }
  return "no exception";
}

TEST_F(RegistryTest, OpenKeyAbsoluteAndRelativePaths) {
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.OpenKey("\\" + base_ + "\\A", false));  // missing, not created
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\A", true));
  EXPECT_EQ(reg.CurrentPath(), base_ + "\\A");
  ASSERT_TRUE(reg.OpenKey("B\\C", true));  // relative to the current key
  EXPECT_EQ(reg.CurrentPath(), base_ + "\\A\\B\\C");
  EXPECT_TRUE(RawKeyExists(base_ + "\\A\\B\\C"));
  ASSERT_TRUE(reg.OpenKey("\\" + base_, false));  // a leading "\" starts from the root
  EXPECT_EQ(reg.CurrentPath(), base_);
  EXPECT_TRUE(reg.KeyExists("A\\B"));
  EXPECT_FALSE(reg.KeyExists("A\\Z"));
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_TRUE(reg.KeyExists(base_ + "\\A"));  // relative to the root again
}

TEST_F(RegistryTest, StringsReadBackByteExactInTheAnsiCodePage) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_, true));
  const std::string cyrillic = "C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB";  // "Программы"
  reg.WriteString("Path", cyrillic);
  reg.WriteString("Empty", "");
  EXPECT_EQ(reg.ReadString("Path"), cyrillic);
  EXPECT_EQ(reg.ReadString("Empty"), "");
  EXPECT_EQ(reg.ReadString("Missing"), "");  // missing: empty, no error
  EXPECT_EQ(reg.GetDataType("Path"), rdString);
  EXPECT_EQ(reg.GetDataSize("Path"), static_cast<int>(cyrillic.size()) + 1);
  EXPECT_EQ(reg.GetDataSize("Missing"), -1);
  // The stored data is REG_SZ with the 1251 bytes, as a UTF-16 reader sees it.
  wchar_t wide[64];
  DWORD size = sizeof(wide);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, AnsiToWide(base_).c_str(), L"Path", RRF_RT_REG_SZ, nullptr, wide,
                         &size),
            ERROR_SUCCESS);
  EXPECT_EQ(WideString(wide), L"C:\\\x041F\x0440\x043E\x0433\x0440\x0430\x043C\x043C\x044B");
  reg.WriteExpandString("Exp", "%TEMP%");
  EXPECT_EQ(reg.ReadString("Exp"), "%TEMP%");
  EXPECT_EQ(reg.GetDataType("Exp"), rdExpandString);
}

TEST_F(RegistryTest, TypeMismatchesRaise) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_, true));
  reg.WriteInteger("Number", 42);
  reg.WriteString("Text", "x");
  const Byte bytes[] = {1, 2, 3};
  reg.WriteBinaryData("Bin", bytes, 3);
  EXPECT_EQ(reg.ReadInteger("Number"), 42);
  EXPECT_EQ(MessageOf([&] { reg.ReadString("Number"); }), "Invalid data type for 'Number'");
  EXPECT_EQ(MessageOf([&] { reg.ReadString("Bin"); }), "Invalid data type for 'Bin'");
  EXPECT_EQ(MessageOf([&] { reg.ReadInteger("Text"); }), "Invalid data type for 'Text'");
  EXPECT_EQ(MessageOf([&] { reg.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");
  Byte out[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("Bin", out, sizeof(out)), 3);
  EXPECT_EQ(out[2], 3);
  EXPECT_EQ(reg.ReadBinaryData("Missing", out, sizeof(out)), 0);
  EXPECT_EQ(MessageOf([&] { reg.ReadBinaryData("Bin", out, 2); }), "Invalid data type for 'Bin'");
  EXPECT_EQ(MessageOf([&] { reg.ReadBinaryData("Text", out, 8); }), "Invalid data type for 'Text'");
  reg.WriteBool("Flag", true);
  EXPECT_TRUE(reg.ReadBool("Flag"));
  EXPECT_EQ(reg.GetDataType("Number"), rdInteger);
  EXPECT_EQ(reg.GetDataType("Bin"), rdBinary);
}

TEST_F(RegistryTest, WriteFailureRaises) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_, true));
  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + base_));
  EXPECT_EQ(reg.Access(), static_cast<REGSAM>(KEY_READ));
  EXPECT_EQ(MessageOf([&] { reg.WriteString("Name", "v"); }), "Failed to set data for 'Name'");
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\" + base_ + "\\missing"));
}

TEST_F(RegistryTest, DeleteKeyRemovesSubKeysFirst) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\Doomed\\One\\Deep", true));
  reg.WriteString("v", "1");
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\Doomed\\Two", true));
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\Doomed\\Three", true));
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\Kept", true));
  ASSERT_TRUE(reg.OpenKey("\\" + base_, false));
  // Plain RegDeleteKeyA refuses a key with sub-keys.
  EXPECT_NE(RegDeleteKeyA(HKEY_CURRENT_USER, (base_ + "\\Doomed").c_str()), ERROR_SUCCESS);
  EXPECT_TRUE(reg.DeleteKey("Doomed"));
  EXPECT_FALSE(RawKeyExists(base_ + "\\Doomed"));
  EXPECT_TRUE(RawKeyExists(base_ + "\\Kept"));
  EXPECT_EQ(reg.CurrentPath(), base_);  // the current key is unchanged
  EXPECT_FALSE(reg.DeleteKey("Doomed"));  // missing
  EXPECT_TRUE(reg.DeleteKey("\\" + base_ + "\\Kept"));
  EXPECT_FALSE(RawKeyExists(base_ + "\\Kept"));
}

TEST_F(RegistryTest, EnumerationInfoRenameAndDeleteValue) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\K1", true));
  ASSERT_TRUE(reg.OpenKey("\\" + base_ + "\\LongerKeyName", true));
  ASSERT_TRUE(reg.OpenKey("\\" + base_, false));
  reg.WriteString("a", "12345");
  reg.WriteInteger("bb", 1);
  TRegKeyInfo info;
  ASSERT_TRUE(reg.GetKeyInfo(info));
  EXPECT_EQ(info.NumSubKeys, 2);
  EXPECT_EQ(info.NumValues, 2);
  EXPECT_EQ(info.MaxSubKeyLen, 13);
  EXPECT_TRUE(reg.HasSubKeys());
  TStringList keys, values;
  reg.GetKeyNames(&keys);
  reg.GetValueNames(&values);
  keys.Sort();
  values.Sort();
  EXPECT_EQ(keys.CommaText(), "K1,LongerKeyName");
  EXPECT_EQ(values.CommaText(), "a,bb");
  reg.RenameValue("a", "renamed");
  EXPECT_FALSE(reg.ValueExists("a"));
  EXPECT_EQ(reg.ReadString("renamed"), "12345");
  reg.RenameValue("bb", "renamed");  // the target exists: nothing happens
  EXPECT_TRUE(reg.ValueExists("bb"));
  EXPECT_TRUE(reg.DeleteValue("bb"));
  EXPECT_FALSE(reg.DeleteValue("bb"));
  EXPECT_FALSE(reg.ValueExists("bb"));
}

TEST_F(RegistryTest, RootKeyAndLazyWrite) {
  TRegistry reg;
  EXPECT_TRUE(reg.LazyWrite());
  reg.SetLazyWrite(false);
  ASSERT_TRUE(reg.OpenKey("\\" + base_, true));
  reg.WriteInteger("x", 5);
  reg.CloseKey();  // flushes now
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.KeyExists(base_));
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_TRUE(reg.KeyExists(base_));
  ASSERT_TRUE(reg.OpenKey("\\" + base_, false));
  reg.SetRootKey(HKEY_CLASSES_ROOT);
  EXPECT_EQ(reg.CurrentKey(), nullptr);  // changing the root closes the key
}

}  // namespace
