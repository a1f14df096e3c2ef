// The uninstaller's checked copy.
#include <gtest/gtest.h>

#include <string>

#include "SysUtils.hpp"
#include "UninstallRoutines.hpp"
#include "WinApi.hpp"

namespace {

class CopyFileCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    static int counter = 0;
    folder_ = std::string(temp) + "uninstaller-tests-" + IntToStr(GetCurrentProcessId()) + "-" + IntToStr(++counter);
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const char* name : {"\\source.exe", "\\copy.exe"}) {
      SetFileAttributesA((folder_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA((folder_ + name).c_str());
    }
    RemoveDirectoryA(folder_.c_str());
  }
  void Write(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
  }
  std::string folder_;
};

}  // namespace

TEST_F(CopyFileCheckedTest, CopyOverwritesAndClearsReadOnlyAndSystem) {
  const std::string source = folder_ + "\\source.exe", copy = folder_ + "\\copy.exe";
  Write(source, "new");
  Write(copy, "old");
  SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
  CopyFileChecked(source, copy);
  DWORD attributes = GetFileAttributesA(copy.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM), 0u);
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(copy.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 3u) << "the old copy was overwritten";
}

TEST_F(CopyFileCheckedTest, MissingSourceIsSkipped) {
  EXPECT_NO_THROW(CopyFileChecked(folder_ + "\\missing.exe", folder_ + "\\copy.exe"));
  EXPECT_EQ(GetFileAttributesA((folder_ + "\\copy.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CopyFileCheckedTest, FailedCopyRaisesTheStreamError) {
  const std::string source = folder_ + "\\source.exe";
  Write(source, "x");
  try {
    CopyFileChecked(source, folder_ + "\\no-such-folder\\copy.exe");
    FAIL() << "no exception";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "Cannot copy file " + source);
  }
}
