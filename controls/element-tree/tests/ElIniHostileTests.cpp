// The ini storage against files and trees nobody would write by hand: keys
// nested thousands deep, a section of 100,000 values, numbers at the limits
// of 32 bits, and strings that the text format cannot hold.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ElIni.hpp"
#include "ElIniTestSupport.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

namespace {

using eltest::IniFiles;
using eltest::IniPtr;
using eltest::Int32Bytes;
using eltest::kNul;
using eltest::StreamString;

// "a\a\...\a" with Depth names.
std::string DeepPath(int depth) {
  std::string path;
  path.reserve(static_cast<std::size_t>(depth) * 2);
  for (int i = 0; i < depth; ++i) path += i ? "\\a" : "a";
  return path;
}

// Runs the work on a thread whose stack is a mere 64 KiB, so that work with
// a call per level of a deep tree runs out of it within a few thousand.
template <class Work>
void OnSmallStack(Work work) {
  struct Call {
    static DWORD WINAPI Run(void* arg) {
      (*static_cast<Work*>(arg))();
      return 0;
    }
  };
  HANDLE thread = CreateThread(nullptr, 64 * 1024, &Call::Run, &work, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

int SubKeyCount(TElIniFile& ini, const std::string& key) {
  TStringList names;
  ini.EnumSubKeys(key, &names);
  return names.Count();
}

// ---------------------------------------------------------------- deep keys

struct DeepFile {
  const char* what;
  bool binary;
  std::string bytes;
  bool loads;
};

void PrintTo(const DeepFile& c, std::ostream* os) { *os << c.what; }

class DeepIniFiles : public IniFiles, public ::testing::WithParamInterface<DeepFile> {};

// A file deeper than any store writes is refused whole, as a damaged one:
// the store stays empty and the file is not touched.
TEST_P(DeepIniFiles, KeysBeyondTheDepthLimitAreAReadError) {
  const DeepFile& c = GetParam();
  SetFileBytes(c.bytes);
  {
    IniPtr ini = IniOnFile(c.binary);
    EXPECT_EQ(ini->Load(), c.loads);
    EXPECT_EQ(SubKeyCount(*ini, "\\") > 0, c.loads);
    if (c.loads) {
      std::string value;
      EXPECT_TRUE(ini->ReadString("\\" + DeepPath(ElIniMaxKeyDepth), "v", "", value));
      EXPECT_EQ(value, "deep");
    }
  }
  EXPECT_EQ(FileBytes(), c.bytes);
}

std::string TextSection(const std::string& path) { return "[" + path + "]\r\nv=deep\r\n"; }
std::string BinaryKey(const std::string& path) {
  return std::string("\x01", 1) + StreamString(path) + kNul + StreamString("v") + "\x03" + Int32Bytes(8) +
         StreamString("deep");
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DeepIniFiles,
    ::testing::Values(
        DeepFile{"TextAtTheLimit", false, TextSection(DeepPath(ElIniMaxKeyDepth)), true},
        DeepFile{"TextOneLevelBeyond", false, TextSection(DeepPath(ElIniMaxKeyDepth + 1)), false},
        // A section line of 100 KB.
        DeepFile{"Text50000Levels", false, "x=1\r\n" + TextSection(DeepPath(50000)), false},
        DeepFile{"TextUnclosed50000Levels", false, "[" + DeepPath(50000) + "\r\nv=1\r\n", false},
        DeepFile{"BinaryAtTheLimit", true, BinaryKey(DeepPath(ElIniMaxKeyDepth)), true},
        DeepFile{"Binary50000Levels", true, BinaryKey(DeepPath(50000)), false}),
    [](const ::testing::TestParamInfo<DeepFile>& info) { return std::string(info.param.what); });

TEST_F(IniFiles, NoKeyIsMadeBeyondTheDepthLimit) {
  IniPtr ini = IniOnFile();
  const std::string limit = "\\" + DeepPath(ElIniMaxKeyDepth);
  EXPECT_FALSE(ini->WriteInteger(limit + "\\a", "n", 1));
  EXPECT_FALSE(ini->OpenKey(limit + "\\a", true));
  ini->OpenKey("\\", false);
  EXPECT_TRUE(ini->WriteInteger(limit, "n", 7));
  // From a key half way down, the count goes on from there.
  ASSERT_TRUE(ini->OpenKey("\\" + DeepPath(ElIniMaxKeyDepth / 2), false));
  EXPECT_FALSE(ini->OpenKey(DeepPath(ElIniMaxKeyDepth / 2 + 1), true));
  ini->OpenKey("\\", false);
  ASSERT_TRUE(ini->Save());
  IniPtr back = IniOnFile();
  ASSERT_TRUE(back->Load());
  std::int32_t n = 0;
  EXPECT_TRUE(back->ReadInteger(limit, "n", 0, n));
  EXPECT_EQ(n, 7);
}

// An entry that counts its own freeing.
int g_entriesFreed = 0;
class CountedEntry : public TElIniEntry {
 public:
  ~CountedEntry() override { ++g_entriesFreed; }
};

// Every entry of a chain 100,000 deep is freed, on a stack that holds no
// call per level.
TEST(ElIniEntries, AChainOfAHundredThousandEntriesIsFreedWithoutAStackPerLevel) {
  const int depth = 100000;
  g_entriesFreed = 0;
  OnSmallStack([] {
    auto* root = new CountedEntry();
    TElIniEntry* last = root;
    for (int i = 0; i < depth; ++i) {
      auto* entry = new CountedEntry();
      entry->SetName("k");
      entry->SetIsKey(true);
      entry->SetParent(last);
      last = entry;
    }
    root->Free();
  });
  EXPECT_EQ(g_entriesFreed, depth + 1);
}

// ---------------------------------------------------------------- many values

// Finding a value by name costs the same however many share its key, so a
// section of 100,000 values loads, grows and empties in about a second.
TEST_F(IniFiles, ASectionOfAHundredThousandValuesLoadsInLinearTime) {
  const int count = 100000;
  std::string text = "[Big]\r\n";
  for (int i = 0; i < count; ++i) text += "v" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  SetFileBytes(text);
  IniPtr ini = IniOnFile();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ini->Load());
  for (int i = 0; i < count; i += 7) ini->WriteInteger("\\Big", "w" + std::to_string(i), i);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  TStringList names;
  ini->EnumValues("\\Big", &names);
  EXPECT_EQ(names.Count(), count + (count + 6) / 7);
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("\\Big", "V99999", -1, n)) << "names compare without case";
  EXPECT_EQ(n, 99999);
  EXPECT_TRUE(ini->ReadInteger("\\Big", "w99995", -1, n));
  EXPECT_EQ(n, 99995);
  EXPECT_LT(seconds, 30.0);
  // Deleting and renaming keep the index true.
  EXPECT_TRUE(ini->Delete("\\Big", "v5"));
  EXPECT_FALSE(ini->ReadInteger("\\Big", "v5", -1, n));
  EXPECT_TRUE(ini->RenameValue("\\Big", "v6", "v5"));
  EXPECT_TRUE(ini->ReadInteger("\\Big", "v5", -1, n));
  EXPECT_EQ(n, 6);
  EXPECT_FALSE(ini->ReadInteger("\\Big", "v6", -1, n));
  EXPECT_TRUE(ini->ClearKey("\\Big"));
  EXPECT_FALSE(ini->ReadInteger("\\Big", "v7", -1, n));
}

// ---------------------------------------------------------------- numbers

// Texts at and past the limits of 32 bits take the kind whose writing gives
// them back, and every one of them is saved back unchanged.
TEST_F(IniFiles, NumbersAtThe32BitLimitsKeepTheirText) {
  const struct {
    const char* text;
    TElValueType type;
  } cases[] = {{"2147483647", evtInt},    {"-2147483648", evtInt},   {"2147483648", evtString},
               {"-2147483649", evtString}, {"+1", evtString},        {"2147483647.-2147483648", evtPair},
               {"2147483648.1", evtString}, {"1.4294967296", evtString}};
  std::string text = "[N]\r\n";
  for (std::size_t i = 0; i < std::size(cases); ++i) text += "n" + std::to_string(i) + "=" + cases[i].text + "\r\n";
  SetFileBytes(text);
  IniPtr ini = IniOnFile();
  ini->SetWarningMessage("");
  ASSERT_TRUE(ini->Load());
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    TElIniEntry* e = ini->GetValueEntry("\\N", "n" + std::to_string(i));
    ASSERT_NE(e, nullptr) << cases[i].text;
    EXPECT_EQ(e->ValueType(), cases[i].type) << cases[i].text;
  }
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("\\N", "n1", 0, n));
  EXPECT_EQ(n, INT32_MIN);
  ASSERT_TRUE(ini->Save());
  EXPECT_EQ(FileBytes(), "\r\n" + text);
}

// ---------------------------------------------------------------- unholdable strings

// A line break in a name or a text, or a value line that would begin with
// "[", would come back from the text file as other values or a section.
TEST_F(IniFiles, StringsTheTextFileCannotHoldAreRefused) {
  IniPtr ini = IniOnFile();
  EXPECT_FALSE(ini->WriteString("\\A", "v", "x\r\n[Injected]\r\nw=1"));
  EXPECT_FALSE(ini->WriteString("\\A", "v", "line\nfeed"));
  EXPECT_FALSE(ini->WriteString("\\A", "v\r\n[B]", "1"));
  EXPECT_FALSE(ini->WriteString("\\A", "[Section]", "1"));
  EXPECT_FALSE(ini->WriteString("\\A", "", "[Section]"));
  EXPECT_TRUE(ini->WriteString("\\A", "v", "a [bracket] inside"));
  EXPECT_TRUE(ini->WriteString("\\A", "#2", "bare line"));
  ASSERT_TRUE(ini->Save());
  IniPtr back = IniOnFile();
  ASSERT_TRUE(back->Load());
  EXPECT_EQ(SubKeyCount(*back, "\\"), 1) << "no section came in";

  // The binary format holds anything; the text file refuses such a value
  // when the store is saved as text, and keeps its old contents.
  const std::string before = FileBytes();
  IniPtr binary = IniOnFile(true);
  EXPECT_TRUE(binary->WriteString("\\A", "v", "x\r\n[Injected]"));
  binary->SetBinaryMode(false);
  EXPECT_THROW(binary->Save(), EElIniError);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(StrayFiles(), 0);
  // A list item is a line of its own as well.
  IniPtr list = IniOnFile();
  list->SetValueType("\\L", "items", evtMultiString);
  list->GetValueEntry("\\L", "items")->ListValue()->Add("a\r\n[X]");
  EXPECT_THROW(list->Save(), EElIniError);
  EXPECT_EQ(FileBytes(), before);
  binary->SetLazyWrite(false);  // nothing more to save when freed
  list->SetLazyWrite(false);
}

}  // namespace
