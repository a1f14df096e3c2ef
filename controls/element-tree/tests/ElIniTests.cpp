// The ini storage: keys and values in memory, the text and binary files
// byte for byte, damaged files, the simple mode, lazy writes and the
// registry mode on a key of the tests' own.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "ElIni.hpp"
#include "ElIniTestSupport.hpp"
#include "Registry.hpp"
#include "SysUtils.hpp"

namespace {

using eltest::IniFiles;
using eltest::IniPtr;
using eltest::Int32Bytes;
using eltest::kNul;
using eltest::NewIni;
using eltest::StreamString;

const char kWarning[] = ";Automatically generated file. DO NOT MODIFY!!!\r\n";

// ---------------------------------------------------------------- keys

TEST(ElIniKeys, RelativeAndAbsoluteKeysWalkTheTree) {
  IniPtr ini = NewIni();
  EXPECT_EQ(ini->CurrentKey(), "\\");
  EXPECT_TRUE(ini->OpenKey("A", true));
  EXPECT_TRUE(ini->OpenKey("B\\", true));
  EXPECT_EQ(ini->CurrentKey(), "\\A\\B");
  EXPECT_FALSE(ini->OpenKey("\\A\\Missing", false));
  EXPECT_FALSE(ini->OpenKey("\\A\\\\B", true)) << "an empty name between delimiters";
  EXPECT_TRUE(ini->OpenKey("\\", false));
  EXPECT_EQ(ini->CurrentKey(), "\\");
  // Names match trimmed and without regard to case.
  EXPECT_TRUE(ini->OpenKey("\\ a \\b", false));
}

TEST(ElIniKeys, OperationsLeaveTheCurrentKeyWhereItWas) {
  IniPtr ini = NewIni();
  ASSERT_TRUE(ini->OpenKey("\\A\\B", true));
  EXPECT_TRUE(ini->WriteInteger("\\Other", "x", 1));
  EXPECT_TRUE(ini->WriteString("Rel", "y", "text"));
  EXPECT_TRUE(ini->KeyExists("\\Other"));
  EXPECT_FALSE(ini->KeyExists("\\Nowhere"));
  EXPECT_EQ(ini->CurrentKey(), "\\A\\B");
  AnsiString s;
  EXPECT_TRUE(ini->ReadString("\\A\\B\\Rel", "y", "", s));
  EXPECT_EQ(s, "text");
}

TEST(ElIniKeys, ValueBecomesKeyOnlyWhenCreating) {
  IniPtr ini = NewIni();
  ASSERT_TRUE(ini->WriteInteger("\\", "V", 7));
  EXPECT_FALSE(ini->OpenKey("\\V", false));
  EXPECT_TRUE(ini->OpenKey("\\V", true));
  std::int32_t n = 0;
  EXPECT_FALSE(ini->ReadInteger("\\", "V", -1, n));
  EXPECT_EQ(n, -1);
}

TEST(ElIniKeys, WritingAValueNeverReplacesAKey) {
  IniPtr ini = NewIni();
  ASSERT_TRUE(ini->WriteInteger("\\K\\Deep", "x", 1));
  EXPECT_EQ(ini->CreateValue("\\", "K"), nullptr);
  EXPECT_FALSE(ini->WriteString("\\", "K", "oops"));
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("\\K\\Deep", "x", 0, n));
  EXPECT_EQ(n, 1);
}

TEST(ElIniKeys, DeletingTheCurrentKeyFallsBackToItsParent) {
  IniPtr ini = NewIni();
  ASSERT_TRUE(ini->OpenKey("\\A\\B\\C", true));
  EXPECT_TRUE(ini->Delete("\\A\\B", ""));
  EXPECT_EQ(ini->CurrentKey(), "\\A");
  EXPECT_FALSE(ini->KeyExists("\\A\\B"));
  EXPECT_TRUE(ini->Delete("", ""));
  EXPECT_EQ(ini->CurrentKey(), "\\");
  EXPECT_FALSE(ini->Delete("\\", "")) << "the root stays";
  EXPECT_FALSE(ini->Delete("", ""));
}

TEST(ElIniKeys, DeletingByValueNameSparesKeys) {
  IniPtr ini = NewIni();
  ASSERT_TRUE(ini->WriteInteger("\\A", "x", 1));
  ASSERT_TRUE(ini->OpenKey("\\A\\Sub", true));
  EXPECT_FALSE(ini->Delete("\\A", "Sub"));
  EXPECT_TRUE(ini->KeyExists("\\A\\Sub"));
  EXPECT_TRUE(ini->Delete("\\A", "x"));
  EXPECT_EQ(ini->GetValueEntry("\\A", "x"), nullptr);
}

TEST(ElIniKeys, ClearKeyEmptiesAndEnumerationListsInOrder) {
  IniPtr ini = NewIni();
  ini->WriteInteger("\\A", "z", 1);
  ini->OpenKey("\\A\\K2", true);
  ini->WriteInteger("\\A", "a", 2);
  ini->OpenKey("\\A\\K1", true);
  TStringList keys, values;
  EXPECT_TRUE(ini->EnumSubKeys("\\A", &keys));
  EXPECT_TRUE(ini->EnumValues("\\A", &values));
  EXPECT_EQ(keys.Text(), "K2\r\nK1\r\n");
  EXPECT_EQ(values.Text(), "z\r\na\r\n");
  EXPECT_TRUE(ini->ClearKey("\\A"));
  TStringList after;
  ini->EnumSubKeys("\\A", &after);
  ini->EnumValues("\\A", &after);
  EXPECT_EQ(after.Count(), 0);
  EXPECT_EQ(ini->CurrentKey(), "\\A") << "the cleared current key's children are gone";
}

TEST(ElIniKeys, RenamesRefuseCollisionsTheRootAndTheDelimiter) {
  IniPtr ini = NewIni();
  ini->OpenKey("\\A", true);
  ini->OpenKey("\\B", true);
  ini->WriteInteger("\\A", "x", 1);
  ini->WriteInteger("\\A", "y", 2);
  EXPECT_FALSE(ini->RenameKey("\\", "R"));
  EXPECT_FALSE(ini->RenameKey("\\A", "b"));
  EXPECT_FALSE(ini->RenameKey("\\A", "C\\D"));
  EXPECT_FALSE(ini->RenameValue("\\A", "x", "Y"));
  EXPECT_FALSE(ini->RenameValue("\\A", "missing", "z"));
  EXPECT_FALSE(ini->RenameValue("\\A", "x", "p\\q"));
  ASSERT_TRUE(ini->OpenKey("\\A", false));
  EXPECT_TRUE(ini->RenameKey("\\A", "C"));
  EXPECT_EQ(ini->CurrentKey(), "\\C");
  EXPECT_TRUE(ini->RenameValue("", "x", "z"));
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("\\C", "z", 0, n));
  EXPECT_EQ(n, 1);
}

TEST(ElIniKeys, AnotherDelimiterKeepsTheRememberedKey) {
  IniPtr ini = NewIni();
  ini->SetDelimiter('/');
  EXPECT_EQ(ini->CurrentKey(), "/");
  ASSERT_TRUE(ini->OpenKey("A", true));
  ASSERT_TRUE(ini->OpenKey("B", true));
  EXPECT_EQ(ini->CurrentKey(), "/A/B");
  EXPECT_TRUE(ini->KeyExists("/A"));
  EXPECT_TRUE(ini->WriteInteger("C", "x", 3));
  EXPECT_EQ(ini->CurrentKey(), "/A/B");
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("/A/B/C", "x", 0, n));
  EXPECT_EQ(n, 3);
  ini->SetDelimiter('|');
  EXPECT_EQ(ini->CurrentKey(), "|A|B");
}

// ---------------------------------------------------------------- reading typed values

TEST(ElIniValues, ReadsConvertBetweenKinds) {
  IniPtr ini = NewIni();
  ini->WriteString("\\", "num", "42");
  ini->WriteString("\\", "word", "abc");
  ini->WriteInteger("\\", "int", 0);
  ini->WriteBool("\\", "flag", true);
  std::int32_t n = 0;
  EXPECT_FALSE(ini->ReadInteger("\\", "num", -1, n)) << "text converts but is not found as a number";
  EXPECT_EQ(n, 42);
  EXPECT_FALSE(ini->ReadInteger("\\", "word", -1, n));
  EXPECT_EQ(n, -1);
  bool b = true;
  EXPECT_TRUE(ini->ReadBool("\\", "int", true, b));
  EXPECT_FALSE(b);
  AnsiString s;
  EXPECT_TRUE(ini->ReadString("\\", "flag", "", s));
  EXPECT_EQ(s, "true");
  EXPECT_TRUE(ini->ReadString("\\", "int", "", s));
  EXPECT_EQ(s, "0");
  EXPECT_FALSE(ini->ReadString("\\", "missing", "dflt", s));
  EXPECT_EQ(s, "dflt");
}

// ---------------------------------------------------------------- text files

TEST_F(IniFiles, TextFileIsWrittenLineByLine) {
  IniPtr ini = IniOnFile();
  ASSERT_TRUE(ini->WriteInteger("\\A", "X", 5));
  ini->SetValueType("\\A\\B", "L", evtMultiString);
  TElIniEntry* list = ini->GetValueEntry("\\A\\B", "L");
  ASSERT_NE(list, nullptr);
  list->ListValue()->Add("one");
  list->ListValue()->Add("two=2");
  ASSERT_TRUE(ini->Save());
  EXPECT_FALSE(ini->Modified());
  EXPECT_EQ(FileBytes(), std::string(kWarning) + "\r\n[A]\r\nX=5\r\n\r\n[A\\B]\r\nL[0]=one\r\nL[1]=two=2\r\n");

  IniPtr back = IniOnFile();
  ASSERT_TRUE(back->Load());
  std::int32_t n = 0;
  EXPECT_TRUE(back->ReadInteger("\\A", "X", 0, n));
  EXPECT_EQ(n, 5);
  AnsiString s;
  EXPECT_TRUE(back->ReadString("\\A\\B", "L", "", s));
  EXPECT_EQ(s, "one\r\ntwo=2\r\n");
}

TEST_F(IniFiles, TextValuesTakeTheKindTheirTextRoundTripsAs) {
  SetFileBytes(
      "[K]\r\n"
      "b=True\r\n"
      "p=1.2\r\n"
      "i=12\r\n"
      "z=012\r\n"
      "neg=-7\r\n"
      "h=454C 3 01 AB FF \r\n"
      "long=454C 5 01 02 \r\n"
      "surplus=454C 1 01 02 \r\n"
      "lower=454C 1 ab \r\n"
      "7\r\n"
      "s=hello\r\n");
  IniPtr ini = IniOnFile();
  ASSERT_TRUE(ini->Load());
  auto type = [&](const char* name) {
    TElIniEntry* e = ini->GetValueEntry("\\K", name);
    return e ? int(e->ValueType()) : -1;
  };
  EXPECT_EQ(type("b"), evtBoolean);
  EXPECT_EQ(type("p"), evtPair);
  EXPECT_EQ(type("i"), evtInt);
  EXPECT_EQ(type("z"), evtString);
  EXPECT_EQ(type("neg"), evtInt);
  EXPECT_EQ(type("h"), evtBinary);
  EXPECT_EQ(type("long"), evtString) << "a count the text cannot hold";
  EXPECT_EQ(type("surplus"), evtString) << "bytes beyond the count would be lost";
  EXPECT_EQ(type("lower"), evtString);
  EXPECT_EQ(type("#11"), evtInt) << "a line without a divider is named by its line number";
  EXPECT_EQ(type("s"), evtString);
  const TElIniEntry* h = ini->GetValueEntry("\\K", "h");
  ASSERT_EQ(h->DataSize(), 3);
  EXPECT_EQ(h->Data()[1], 0xAB);
  AnsiString text;
  EXPECT_TRUE(ini->ReadString("\\K", "p", "", text));
  EXPECT_EQ(text, "1.2");
  EXPECT_TRUE(ini->ReadString("\\K", "surplus", "", text));
  EXPECT_EQ(text, "454C 1 01 02 ");

  ASSERT_TRUE(ini->Save());
  const std::string saved = FileBytes();
  EXPECT_NE(saved.find("\r\n7\r\n"), std::string::npos) << "the unnamed line comes back bare";
  EXPECT_EQ(saved.find("#11"), std::string::npos);
  EXPECT_NE(saved.find("b=true\r\n"), std::string::npos);
}

TEST_F(IniFiles, DottedTextReadsBackAsWritten) {
  IniPtr ini = IniOnFile();
  ASSERT_TRUE(ini->WriteString("\\", "version", "2.0"));
  ASSERT_TRUE(ini->Save());
  IniPtr back = IniOnFile();
  ASSERT_TRUE(back->Load());
  AnsiString s;
  EXPECT_TRUE(back->ReadString("\\", "version", "", s));
  EXPECT_EQ(s, "2.0");
}

TEST_F(IniFiles, QuotedCommentsSurviveAndUnquotedOnesEndTheLine) {
  SetFileBytes("q=\"a;b\";tail\r\nu=a;b\r\n;whole line\r\n");
  IniPtr ini = IniOnFile();
  ASSERT_TRUE(ini->Load());
  AnsiString s;
  EXPECT_TRUE(ini->ReadString("\\", "q", "", s));
  EXPECT_EQ(s, "\"a;b\"");
  EXPECT_TRUE(ini->ReadString("\\", "u", "", s));
  EXPECT_EQ(s, "a");
  TStringList names;
  ini->EnumValues("\\", &names);
  EXPECT_EQ(names.Count(), 2);
}

TEST_F(IniFiles, SectionWithoutClosingBracketAndListsAppendInFileOrder) {
  SetFileBytes("[A\\B\r\nL[5]=first\r\nL[0]=second\r\nL[x]=plain\r\n");
  IniPtr ini = IniOnFile();
  ASSERT_TRUE(ini->Load());
  AnsiString s;
  EXPECT_TRUE(ini->ReadString("\\A\\B", "L", "", s));
  EXPECT_EQ(s, "first\r\nsecond\r\n");
  EXPECT_TRUE(ini->ReadString("\\A\\B", "L[x]", "", s));
  EXPECT_EQ(s, "plain");
}

// ---------------------------------------------------------------- binary files

TEST_F(IniFiles, BinaryFileHoldsTaggedRecords) {
  IniPtr ini = IniOnFile(true);
  ini->WriteInteger("\\", "R", 1);
  ini->WriteString("\\A", "S", "hi");
  ini->WriteBool("\\A", "F", true);
  ini->CreateValue("\\A", "empty");  // no value: not written
  ini->CreateValue("\\A\\B", "P")->SetPairValue(MakeDottedPair(-3, 9));
  ini->CreateValue("\\A\\B", "D")->SetData("\x01\x02", 2);
  ini->SetValueType("\\A\\B", "L", evtMultiString);
  ini->GetValueEntry("\\A\\B", "L")->ListValue()->Add("x");
  ini->GetValueEntry("\\A\\B", "L")->ListValue()->Add("");
  ASSERT_TRUE(ini->Save());

  const std::string expected =
      "\x01" + StreamString("") +
      kNul + StreamString("R") + "\x02" + Int32Bytes(4) + Int32Bytes(1) +
      "\x01" + StreamString("A") +
      kNul + StreamString("S") + "\x03" + Int32Bytes(6) + StreamString("hi") +
      kNul + StreamString("F") + "\x01" + Int32Bytes(1) + "\x01" +
      "\x01" + StreamString("A\\B") +
      kNul + StreamString("P") + "\x06" + Int32Bytes(8) + Int32Bytes(-3) + Int32Bytes(9) +
      kNul + StreamString("D") + "\x05" + Int32Bytes(6) + Int32Bytes(2) + "\x01\x02" +
      kNul + StreamString("L") + "\x04" + Int32Bytes(9) + StreamString("x") + StreamString("");
  EXPECT_EQ(FileBytes(), std::string(expected.data(), expected.size()));

  IniPtr back = IniOnFile(true);
  ASSERT_TRUE(back->Load());
  std::int32_t n = 0;
  EXPECT_TRUE(back->ReadInteger("\\", "R", 0, n));
  EXPECT_EQ(n, 1);
  bool flag = false;
  EXPECT_TRUE(back->ReadBool("\\A", "F", false, flag));
  EXPECT_TRUE(flag);
  AnsiString s;
  EXPECT_TRUE(back->ReadString("\\A\\B", "P", "", s));
  EXPECT_EQ(s, "-3.9");
  EXPECT_TRUE(back->ReadString("\\A\\B", "D", "", s));
  EXPECT_EQ(s, "454C 2 01 02 ");
  EXPECT_TRUE(back->ReadString("\\A\\B", "L", "", s));
  EXPECT_EQ(s, "x\r\n\r\n");
  TStringList keys;
  back->EnumSubKeys("\\", &keys);
  EXPECT_EQ(keys.Text(), "A\r\n");
}

TEST_F(IniFiles, BinaryValuesOfAnUnopenableKeyAreSkipped) {
  const std::string bytes = "\x01" + StreamString("A\\\\B") +  // empty name: cannot be opened
                            kNul + StreamString("lost") + "\x02" + Int32Bytes(4) +
                            Int32Bytes(1) + "\x01" + StreamString("C") + kNul +
                            StreamString("kept") + "\x02" + Int32Bytes(4) + Int32Bytes(2);
  SetFileBytes(bytes);
  IniPtr ini = IniOnFile(true);
  ASSERT_TRUE(ini->Load());
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("\\C", "kept", 0, n));
  EXPECT_EQ(n, 2);
  EXPECT_EQ(ini->GetValueEntry("\\", "lost"), nullptr);
}

struct DamagedCase {
  const char* what;
  std::string bytes;
};

class DamagedBinary : public IniFiles, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedBinary, LoadFailsLeavesAnEmptyStoreAndKeepsTheFile) {
  const std::string valid = "\x01" + StreamString("") + kNul + StreamString("ok") + "\x02" +
                            Int32Bytes(4) + Int32Bytes(1);
  const std::string bytes = valid + GetParam().bytes;
  SetFileBytes(bytes);
  {
    IniPtr ini = IniOnFile(true);
    ini->WriteInteger("\\", "before", 1);
    EXPECT_FALSE(ini->Load());
    EXPECT_FALSE(ini->Modified());
    EXPECT_EQ(ini->GetValueEntry("\\", "before"), nullptr);
    EXPECT_EQ(ini->GetValueEntry("\\", "ok"), nullptr) << "nothing half-loaded";
  }
  EXPECT_EQ(FileBytes(), bytes) << "a lazy store must not rewrite a file it could not read";
}

const std::string kValueHead = kNul + StreamString("v");

INSTANTIATE_TEST_SUITE_P(
    Records, DamagedBinary,
    ::testing::Values(
        DamagedCase{"NegativeNameLength", std::string("\x01", 1) + Int32Bytes(-1)},
        DamagedCase{"NameBeyondEnd", std::string("\x01", 1) + Int32Bytes(100) + "abc"},
        DamagedCase{"UnknownRecord", std::string("\x07", 1)},
        DamagedCase{"UnknownType", kValueHead + "\x09" + Int32Bytes(0)},
        DamagedCase{"ZeroType", kValueHead + kNul + Int32Bytes(0)},
        DamagedCase{"NegativeSize", kValueHead + "\x02" + Int32Bytes(-4) + Int32Bytes(1)},
        DamagedCase{"SizeBeyondEnd", kValueHead + "\x02" + Int32Bytes(0x7FFFFFF0) + Int32Bytes(1)},
        DamagedCase{"IntegerSizeWrong", kValueHead + "\x02" + Int32Bytes(3) + "abc"},
        DamagedCase{"StringLongerThanSize", kValueHead + "\x03" + Int32Bytes(5) + Int32Bytes(9) + "x"},
        DamagedCase{"BlockSizeMismatch", kValueHead + "\x05" + Int32Bytes(6) + Int32Bytes(3) + "ab"},
        DamagedCase{"NegativeBlock", kValueHead + "\x05" + Int32Bytes(4) + Int32Bytes(-1)},
        DamagedCase{"TruncatedHeader", kValueHead + "\x02" + "\x04\x00"}),
    [](const ::testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------- simple mode

TEST_F(IniFiles, SimpleModeFlattensNestedKeysAndBack) {
  IniPtr ini = IniOnFile();
  ini->WriteInteger("\\A\\B", "x", 1);
  ini->WriteInteger("\\A", "y", 2);
  ini->WriteBool("\\A", "f", true);
  ini->SetSimple(true);
  TStringList keys;
  ini->EnumSubKeys("\\", &keys);
  EXPECT_EQ(keys.Text(), "A\r\nA\\B\r\n");
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("\\A\\B", "x", 0, n));
  EXPECT_EQ(n, 1);
  bool f = false;
  EXPECT_TRUE(ini->ReadBool("A", "f", false, f));
  EXPECT_TRUE(f);
  EXPECT_FALSE(ini->WriteBool("\\A", "g", true)) << "the simple mode stores no Booleans";
  ASSERT_TRUE(ini->Save());
  EXPECT_EQ(FileBytes(), std::string(kWarning) + "\r\n[A]\r\ny=2\r\nf=1\r\n\r\n[A\\B]\r\nx=1\r\n");

  ini->SetSimple(false);
  EXPECT_TRUE(ini->KeyExists("\\A\\B"));
  EXPECT_TRUE(ini->ReadInteger("\\A\\B", "x", 0, n));
  EXPECT_FALSE(ini->KeyExists("\\A\\B\\C"));
}

// ---------------------------------------------------------------- lazy writes and saving

TEST_F(IniFiles, WithoutLazyWriteEveryWriteSaves) {
  IniPtr ini = IniOnFile();
  ini->SetLazyWrite(false);
  ASSERT_TRUE(ini->WriteInteger("\\", "x", 1));
  EXPECT_EQ(FileBytes(), std::string(kWarning) + "x=1\r\n");
  ASSERT_TRUE(ini->WriteString("\\K", "s", "v"));
  EXPECT_EQ(FileBytes(), std::string(kWarning) + "x=1\r\n\r\n[K]\r\ns=v\r\n");
  EXPECT_FALSE(ini->Modified());
}

TEST_F(IniFiles, LazyStoreWritesWhenFreedAndOnlyWhenChanged) {
  {
    IniPtr ini = IniOnFile();
    ini->WriteInteger("\\", "x", 1);
    EXPECT_FALSE(FileExists(path_));
  }
  EXPECT_EQ(FileBytes(), std::string(kWarning) + "x=1\r\n");

  // A file written by hand, read and left alone, keeps its bytes.
  SetFileBytes("[A]\r\nx=1\r\n");
  {
    IniPtr ini = IniOnFile();
    ASSERT_TRUE(ini->Load());
    EXPECT_FALSE(ini->Modified());
    std::int32_t n = 0;
    ini->ReadInteger("\\A", "x", 0, n);
  }
  EXPECT_EQ(FileBytes(), "[A]\r\nx=1\r\n");
}

TEST_F(IniFiles, FailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
  SetFileBytes("old contents\r\n");
  IniPtr ini = IniOnFile();
  ini->WriteInteger("\\", "x", 1);
  // Another program holds the file open without letting it be replaced.
  HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  int afterSave = 0;
  struct Counter {
    int* count;
    void Fire(TObject*) { ++*count; }
  } counter{&afterSave};
  ini->OnAfterSave = TNotifyEvent(&counter, &Counter::Fire);
  EXPECT_THROW(ini->Save(), EStreamError);
  CloseHandle(held);
  EXPECT_EQ(afterSave, 1) << "the after-event runs on failure too";
  EXPECT_TRUE(ini->Modified());
  EXPECT_EQ(FileBytes(), "old contents\r\n");
  EXPECT_EQ(StrayFiles(), 0);
  ini->OnAfterSave = nullptr;
  EXPECT_TRUE(ini->Save());
  EXPECT_EQ(FileBytes(), std::string(kWarning) + "x=1\r\n");
}

TEST_F(IniFiles, LoadEventsSurroundAMissingFile) {
  IniPtr ini = IniOnFile();
  std::string order;
  struct Recorder {
    std::string* order;
    void Before(TObject*) { *order += "before "; }
    void After(TObject*) { *order += "after"; }
  } recorder{&order};
  ini->OnBeforeLoad = TNotifyEvent(&recorder, &Recorder::Before);
  ini->OnAfterLoad = TNotifyEvent(&recorder, &Recorder::After);
  EXPECT_THROW(ini->Load(), EFOpenError);
  EXPECT_EQ(order, "before after");
  ini->SetPath("");
  EXPECT_FALSE(ini->Save());
}

TEST_F(IniFiles, LoadedSwallowsAnUnreadableFile) {
  IniPtr ini = IniOnFile();
  EXPECT_NO_THROW(ini->Loaded());
  SetFileBytes("x=5\r\n");
  ini->Loaded();
  std::int32_t n = 0;
  EXPECT_TRUE(ini->ReadInteger("\\", "x", 0, n));
  EXPECT_EQ(n, 5);
}

// ---------------------------------------------------------------- registry mode

class IniRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    AnsiString guid;
    TempFileNameFromGUID("x", guid);
    base_ = "\\Software\\LumbrixTests\\ElIni" + guid.substr(1);
    ini_ = NewIni();
    ini_->SetPath(base_);
    ini_->SetUseRegistry(true);
  }
  void TearDown() override {
    ini_.reset();
    TRegistry reg;
    reg.DeleteKey(base_);
  }
  // The test key through the class library's own registry object.
  bool Open(TRegistry& reg, const std::string& sub) { return reg.OpenKey(base_ + sub, false); }

  AnsiString base_;
  IniPtr ini_;
};

TEST_F(IniRegistry, ValuesLandAsRegistryTypes) {
  EXPECT_EQ(ini_->Path(), base_);
  EXPECT_TRUE(ini_->WriteInteger("\\Sub", "n", -5));
  EXPECT_TRUE(ini_->WriteBool("\\Sub", "b", true));
  EXPECT_TRUE(ini_->WriteString("Sub", "s", "\xF2\xE5\xEA\xF1\xF2"));
  TRegistry reg;
  ASSERT_TRUE(Open(reg, "\\Sub"));
  EXPECT_EQ(reg.ReadInteger("n"), -5);
  EXPECT_EQ(reg.ReadInteger("b"), 1);
  EXPECT_EQ(reg.ReadString("s"), "\xF2\xE5\xEA\xF1\xF2");
  std::int32_t n = 0;
  EXPECT_TRUE(ini_->ReadInteger("\\Sub", "n", 0, n));
  EXPECT_EQ(n, -5);
  bool b = false;
  EXPECT_TRUE(ini_->ReadBool("\\Sub", "b", false, b));
  EXPECT_TRUE(b);
  EXPECT_FALSE(ini_->ReadInteger("\\Sub", "s", 9, n));
  EXPECT_EQ(n, 9);
  EXPECT_EQ(ini_->CurrentKey(), "\\");
}

TEST_F(IniRegistry, StringsAreReadFromEveryTextualType) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(base_ + "\\T", true));
  const char multi[] = "one\0two\0";
  RegSetValueExA(reg.CurrentKey(), "multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi);
  const BYTE bin[] = {0x00, 0x7F, 0xFF};
  RegSetValueExA(reg.CurrentKey(), "bin", 0, REG_BINARY, bin, sizeof bin);
  RegSetValueExA(reg.CurrentKey(), "empty", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  reg.WriteInteger("dword", 77);
  reg.CloseKey();
  AnsiString s;
  EXPECT_TRUE(ini_->ReadString("\\T", "multi", "", s));
  EXPECT_EQ(s, "one\r\ntwo");
  EXPECT_TRUE(ini_->ReadString("\\T", "bin", "", s));
  EXPECT_EQ(s, "454C 3 00 7F FF ");
  EXPECT_TRUE(ini_->ReadString("\\T", "empty", "x", s));
  EXPECT_EQ(s, "");
  EXPECT_TRUE(ini_->ReadString("\\T", "dword", "", s));
  EXPECT_EQ(s, "77");
}

TEST_F(IniRegistry, TheStorageRootIsNeverDeletedOrEmptied) {
  ASSERT_TRUE(ini_->WriteInteger("\\", "keep", 1));
  ASSERT_TRUE(ini_->WriteInteger("\\Child", "x", 1));
  EXPECT_FALSE(ini_->Delete("\\", ""));
  EXPECT_FALSE(ini_->Delete("", ""));
  EXPECT_FALSE(ini_->ClearKey("\\"));
  TRegistry reg;
  ASSERT_TRUE(Open(reg, ""));
  EXPECT_TRUE(reg.ValueExists("keep"));
  EXPECT_TRUE(reg.KeyExists("Child"));
}

TEST_F(IniRegistry, DeletedCurrentKeyIsNotMadeAgain) {
  ASSERT_TRUE(ini_->OpenKey("Sub\\Deeper", true));
  EXPECT_EQ(ini_->CurrentKey(), "\\Sub\\Deeper");
  ASSERT_TRUE(ini_->WriteInteger("\\", "Sub", 3));  // hidden by the key of that name
  TStringList values;
  ini_->EnumValues("\\", &values);
  EXPECT_EQ(values.Count(), 0);
  EXPECT_TRUE(ini_->Delete("\\Sub", ""));
  EXPECT_EQ(ini_->CurrentKey(), "\\");
  TRegistry reg;
  ASSERT_TRUE(Open(reg, ""));
  EXPECT_FALSE(reg.KeyExists("Sub"));
  EXPECT_FALSE(reg.ValueExists("Sub")) << "the hidden value goes with its key";
}

TEST_F(IniRegistry, ClearKeyEmptiesASubKeyAndRenameValueReportsFailure) {
  ini_->WriteInteger("\\C\\D", "x", 1);
  ini_->WriteInteger("\\C", "y", 1);
  EXPECT_TRUE(ini_->RenameValue("\\C", "y", "z"));
  EXPECT_FALSE(ini_->RenameValue("\\C", "y", "w"));
  ini_->WriteInteger("\\C", "w", 2);
  EXPECT_FALSE(ini_->RenameValue("\\C", "z", "w"));
  EXPECT_TRUE(ini_->ClearKey("\\C"));
  TStringList names;
  ini_->EnumSubKeys("\\C", &names);
  ini_->EnumValues("\\C", &names);
  EXPECT_EQ(names.Count(), 0);
}

TEST_F(IniRegistry, FileOnlyOperationsRaise) {
  try {
    ini_->CreateValue("\\", "x");
    FAIL() << "no exception";
  } catch (const EElIniError& e) {
    EXPECT_STREQ(e.what(), "CreateValue method is not available when using registry.");
  }
  EXPECT_THROW(ini_->GetValueEntry("\\", "x"), EElIniError);
  EXPECT_THROW(ini_->SetValueType("\\", "x", evtInt), EElIniError);
  EXPECT_THROW(ini_->RenameKey("\\A", "B"), EElIniError);
  EXPECT_THROW(ini_->SetDelimiter('/'), EElIniError);
  EXPECT_FALSE(ini_->Load());
  EXPECT_FALSE(ini_->Save());
}

}  // namespace
