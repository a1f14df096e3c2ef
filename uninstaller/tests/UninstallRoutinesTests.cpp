// The uninstaller's checked copy and the plain text of its messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "SysUtils.hpp"
#include "UninstallRoutines.hpp"
#include "UninstallStrings.h"
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

namespace {

AnsiString Cp1251(const wchar_t* text) { return WideToAnsi(text); }

}  // namespace

TEST(PlainMessageText, TagsGoAndLineBreaksStay) {
  EXPECT_EQ(PlainMessageText("one<br>two<BR/>three<br clear=all>four"), "one\ntwo\nthree\nfour");
  EXPECT_EQ(PlainMessageText("<p>first<p>second</p><b>bold</b> <i>and</i> <font color=\"red\">red</font>"),
            "first\n\nsecond" "bold and red");
  EXPECT_EQ(PlainMessageText("a <unfinished"), "a ");
  EXPECT_EQ(PlainMessageText("no markup at all"), "no markup at all");
}

TEST(PlainMessageText, EntitiesBecomeTheirCharacters) {
  EXPECT_EQ(PlainMessageText("&nbsp;&nbsp;x"), "\xA0\xA0x");
  EXPECT_EQ(PlainMessageText("&lt;b&gt; &amp; &quot;q&quot;"), "<b> & \"q\"");
  EXPECT_EQ(PlainMessageText("&copy;&reg;&sect;&para;&trade;&euro;"), Cp1251(L"\u00A9\u00AE\u00A7\u00B6\u2122\u20AC"));
  EXPECT_EQ(PlainMessageText("&#1051;&#65;"), Cp1251(L"\u041BA"));
  // What is no entity stays as written.
  EXPECT_EQ(PlainMessageText("R&D &unknown; & &#x41; &#99999999;"), "R&D &unknown; & &#x41; &#99999999;");
}

TEST(PlainMessageText, TheAdministratorMessageReadsAsText) {
  const AnsiString text = PlainMessageText(LoadStr(IDS_UNINSTALL_NO_ADMIN));
  EXPECT_EQ(text.find('<'), AnsiString::npos);
  EXPECT_EQ(text.find('&'), AnsiString::npos);
  // Three paragraphs, each indented by four non-breaking spaces.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_EQ(text.substr(0, 5), "\xA0\xA0\xA0\xA0" + Cp1251(L"\u0414"));
}
