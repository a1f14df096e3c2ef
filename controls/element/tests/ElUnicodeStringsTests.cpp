// UTF-16 string lists: text splitting, sorting and duplicates, names and
// values, events, files in every encoding, assignment to and from the class
// library's string list, and the "Strings" form property.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElList.hpp"
#include "ElUnicodeStrings.hpp"
#include "Streaming.hpp"
#include "WinApi.hpp"

namespace {

std::vector<TElFString> Lines(TElWideStrings& list) {
  std::vector<TElFString> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
  return out;
}

TElWideStringList* Make(std::initializer_list<const wchar_t*> items) {
  auto* list = new TElWideStringList();
  for (const wchar_t* s : items) list->Add(s);
  return list;
}

std::string Bytes(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Load(TMemoryStream& stream, const std::string& bytes) {
  stream.SetSize(0);
  stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
}

struct EventRecorder : TObject {
  std::vector<std::string> log;
  void Changing(TObject*) { log.push_back("changing"); }
  void Change(TObject*) { log.push_back("change"); }
  void Attach(TElWideStringList& list) {
    list.OnChanging = MakeEvent(this, &EventRecorder::Changing);
    list.OnChange = MakeEvent(this, &EventRecorder::Change);
  }
};

std::string TempPath(const char* name) {
  char dir[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

using Strings = std::vector<TElFString>;

// A memory stream that stops delivering after its first cut bytes while its
// size still promises more.
class ShortStream : public TMemoryStream {
 public:
  ShortStream(const std::string& bytes, Int64 cut) : cut_(cut) {
    Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    SetPosition(0);
  }
  std::int32_t Read(void* buffer, std::int32_t count) override {
    const Int64 left = cut_ - Position();
    return TMemoryStream::Read(buffer, static_cast<std::int32_t>(left < count ? (left > 0 ? left : 0) : count));
  }

 private:
  Int64 cut_;
};

struct RaisingOnChange : TObject {
  void Change(TObject*) { throw Exception("handler failed"); }
};

}  // namespace

// ---------------------------------------------------------------- text

TEST(ElWideStringsText, SetTextStrSplitsAtCrLfOrCrLf) {
  TElWideStringList list;
  list.SetTextStr(L"a\rb\nc\r\n");
  EXPECT_EQ(Lines(list), (Strings{L"a", L"b", L"c"}));
  list.SetTextStr(L"");
  EXPECT_EQ(list.Count(), 0);
  list.SetTextStr(L"\r\n\r\n");
  EXPECT_EQ(Lines(list), (Strings{L"", L""}));
  list.SetTextStr(L"a\n\rb");
  EXPECT_EQ(Lines(list), (Strings{L"a", L"", L"b"}));
  list.SetTextStr(TElFString(L"x\r\ny\0z\r\n", 8));
  EXPECT_EQ(Lines(list), (Strings{L"x", L"y"}));
}

TEST(ElWideStringsText, GetTextStrEndsEveryLine) {
  std::unique_ptr<TElWideStringList> list(Make({L"a", L"b"}));
  EXPECT_EQ(list->GetTextStr(), L"a\r\nb\r\n");
  auto buffer = list->GetText();
  EXPECT_EQ(WideStringFromPChar(buffer.get()), L"a\r\nb\r\n");
  list->SetText(L"\x0416\r\n");
  EXPECT_EQ(Lines(*list), (Strings{L"\x0416"}));
  list->Clear();
  EXPECT_EQ(list->GetTextStr(), L"");
}

TEST(ElWideStringsText, NamesAndValuesCompareOrdinally) {
  std::unique_ptr<TElWideStringList> list(Make({L"size=2", L"face=Arial", L"face=Other", L"x", L"empty="}));
  EXPECT_EQ(list->GetValue(L"face"), L"Arial");
  EXPECT_EQ(list->GetValue(L"FACE"), L"");
  EXPECT_EQ(list->GetValue(L"empty"), L"");
  EXPECT_EQ(list->IndexOfName(L"empty"), 4);
  EXPECT_EQ(list->IndexOfName(L"x"), -1);
  EXPECT_EQ(list->IndexOf(L"x"), 3);
  EXPECT_EQ(list->IndexOf(L"X"), -1);
  std::unique_ptr<TElWideStringList> abc(Make({L"ABC"}));
  EXPECT_EQ(abc->IndexOf(L"abc"), -1);
}

// ---------------------------------------------------------------- list rules

TEST(ElWideStringList, IndexErrorsUseTheStringListMessages) {
  std::unique_ptr<TElWideStringList> list(Make({L"a"}));
  auto message = [&](auto&& f) {
    try {
      f();
    } catch (const EStringListError& e) {
      return e.Message();
    }
    return std::string("none");
  };
  EXPECT_EQ(message([&] { list->Get(1); }), "List index out of bounds (1)");
  EXPECT_EQ(message([&] { list->GetObject(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(message([&] { list->Insert(2, L"x"); }), "List index out of bounds (2)");
  EXPECT_EQ(message([&] { list->Delete(1); }), "List index out of bounds (1)");
  EXPECT_EQ(message([&] { list->Exchange(0, 5); }), "List index out of bounds (5)");
  EXPECT_EQ(message([&] { list->PutObject(3, nullptr); }), "List index out of bounds (3)");
  EXPECT_EQ(message([&] { list->SetCapacity(0); }), "List index out of bounds (0)");
  EXPECT_EQ(Lines(*list), (Strings{L"a"}));
}

TEST(ElWideStringList, GrowthAndNoShrinkOnDelete) {
  TElWideStringList list;
  std::vector<int> capacities;
  for (int i = 0; i < 80; ++i) {
    int before = list.Capacity();
    list.Add(L"s");
    if (list.Capacity() != before) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95}));
  for (int i = 0; i < 70; ++i) list.Delete(0);
  EXPECT_EQ(list.Capacity(), 95);
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(ElWideStringList, SortedAddHonoursDuplicates) {
  TElWideStringList list;
  list.SetSorted(true);
  for (const wchar_t* s : {L"m", L"c", L"x", L"a", L"C"}) list.Add(s);
  EXPECT_EQ(Lines(list), (Strings{L"C", L"a", L"c", L"m", L"x"}));
  EXPECT_EQ(list.Add(L"c"), 2);  // dupIgnore: the found index, nothing added
  EXPECT_EQ(list.Count(), 5);
  list.SetDuplicates(dupError);
  try {
    list.Add(L"m");
    FAIL() << "no exception";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  list.SetDuplicates(dupAccept);
  list.Add(L"m");
  list.Add(L"m");
  EXPECT_EQ(Lines(list), (Strings{L"C", L"a", L"c", L"m", L"m", L"m", L"x"}));
  int index = -1;
  EXPECT_TRUE(list.Find(L"m", index));
  EXPECT_EQ(list.IndexOf(L"x"), 6);
  EXPECT_EQ(list.IndexOf(L"b"), -1);
  EXPECT_FALSE(list.Find(L"b", index));
  EXPECT_EQ(index, 2);
}

TEST(ElWideStringList, FindStopsAtAnEqualStringOrTheFirstOneWithDupAccept) {
  TElWideStringList list;
  for (const wchar_t* s : {L"a", L"b", L"b", L"b", L"b", L"c"}) list.Add(s);
  list.SetSorted(true);
  int index = -1;
  EXPECT_TRUE(list.Find(L"b", index));
  EXPECT_EQ(index, 2);  // the first probe hit
  list.SetDuplicates(dupAccept);
  EXPECT_TRUE(list.Find(L"b", index));
  EXPECT_EQ(index, 1);  // the search goes on to the first of the run
  EXPECT_FALSE(list.Find(L"bb", index));
  EXPECT_EQ(index, 5);
}

TEST(ElWideStringList, SortedListRefusesPositionalChangesBeforeTouchingAnything) {
  std::unique_ptr<TElWideStringList> list(Make({L"a", L"b", L"c"}));
  list->SetSorted(true);
  EXPECT_THROW(list->Insert(0, L"z"), EStringListError);
  EXPECT_THROW(list->Put(0, L"z"), EStringListError);
  EXPECT_THROW(list->Move(0, 2), EStringListError);
  EXPECT_EQ(Lines(*list), (Strings{L"a", L"b", L"c"}));
  list->Exchange(0, 2);  // allowed, as for the class library's list
  EXPECT_EQ(Lines(*list), (Strings{L"c", L"b", L"a"}));
}

TEST(ElWideStringList, SortOrdersByCodeUnitsAndCarriesObjects) {
  TElWideStringList list;
  std::vector<TObject> objects(6);
  const wchar_t* items[] = {L"\x0451", L"b", L"B", L"a", L"\x0401", L"b"};
  for (int i = 0; i < 6; ++i) list.AddObject(items[i], &objects[i]);
  EventRecorder events;
  events.Attach(list);
  list.Sort();
  EXPECT_EQ(Lines(list), (Strings{L"B", L"a", L"b", L"b", L"\x0401", L"\x0451"}));
  EXPECT_EQ(list.Objects(0), &objects[2]);
  EXPECT_EQ(list.Objects(1), &objects[3]);
  EXPECT_EQ(list.Objects(4), &objects[4]);
  EXPECT_EQ(list.Objects(5), &objects[0]);
  EXPECT_EQ(events.log, (std::vector<std::string>{"changing", "change"}));
  list.SetSorted(true);
  events.log.clear();
  list.Sort();  // nothing when already sorted
  EXPECT_TRUE(events.log.empty());
}

TEST(ElWideStringList, CustomSortSortsLargeListsByTheGivenOrder) {
  TElWideStringList list;
  for (int i = 0; i < 500; ++i) list.Add(std::to_wstring((i * 7919) % 500));
  list.CustomSort([](TElWideStringList* l, int a, int b) {
    return std::stoi(l->Get(a)) - std::stoi(l->Get(b));
  });
  for (int i = 0; i < 500; ++i) ASSERT_EQ(list.Get(i), std::to_wstring(i));
}

TEST(ElWideStringList, MoveAndExchangeKeepObjects) {
  std::unique_ptr<TElWideStringList> list(Make({L"a", L"b", L"c", L"d"}));
  TObject ob;
  list->PutObject(1, &ob);
  list->Move(1, 3);
  EXPECT_EQ(Lines(*list), (Strings{L"a", L"c", L"d", L"b"}));
  EXPECT_EQ(list->Objects(3), &ob);
  list->Put(3, L"B");
  EXPECT_EQ(list->Objects(3), &ob);
  list->Exchange(0, 3);
  EXPECT_EQ(list->Objects(0), &ob);
  EXPECT_EQ(Lines(*list), (Strings{L"B", L"c", L"d", L"a"}));
}

// ---------------------------------------------------------------- events

TEST(ElWideStringListEvents, EachChangeIsBracketedAndUpdatesCollapse) {
  TElWideStringList list;
  EventRecorder events;
  events.Attach(list);
  list.Clear();
  EXPECT_TRUE(events.log.empty());
  list.Add(L"a");
  EXPECT_EQ(events.log, (std::vector<std::string>{"changing", "change"}));
  events.log.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(L"b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(events.log, (std::vector<std::string>{"changing"}));
  list.EndUpdate();
  EXPECT_EQ(events.log, (std::vector<std::string>{"changing", "change"}));
  events.log.clear();
  list.SetTextStr(L"x\r\ny\r\nz");
  EXPECT_EQ(events.log, (std::vector<std::string>{"changing", "change"}));
}

TEST(ElWideStringListEvents, FailedOperationsRaiseNoEvents) {
  std::unique_ptr<TElWideStringList> list(Make({L"a"}));
  EventRecorder events;
  events.Attach(*list);
  EXPECT_THROW(list->Delete(3), EStringListError);
  EXPECT_THROW(list->Put(-1, L"x"), EStringListError);
  list->SetSorted(true);
  list->SetDuplicates(dupError);
  EXPECT_THROW(list->Add(L"a"), EStringListError);
  EXPECT_TRUE(events.log.empty());
}

TEST(ElWideStringListEvents, HandlerErrorsReachTheCallerUnlessAnotherIsOnItsWay) {
  std::unique_ptr<TElWideStringList> list(Make({L"a", L"b"}));
  std::unique_ptr<TElWideStringList> more(Make({L"c"}));
  RaisingOnChange handler;
  list->OnChange = MakeEvent(&handler, &RaisingOnChange::Change);
  // A clean compound operation: the handler's error ends it.
  EXPECT_THROW(list->AddStrings(more.get()), Exception);
  EXPECT_EQ(list->Count(), 3);
  // A failing one: its own error wins over the handler's.
  EXPECT_THROW(list->Move(0, 9), EStringListError);
}

TEST(ElWideStringListEvents, DestructionRaisesNoEvents) {
  EventRecorder events;
  {
    std::unique_ptr<TElWideStringList> list(Make({L"a", L"b"}));
    events.Attach(*list);
  }
  EXPECT_TRUE(events.log.empty());
}

// ---------------------------------------------------------------- files

TEST(ElWideStringsFiles, BigEndianMarkLoadsAndSavesAsLittleEndian) {
  TMemoryStream stream;
  Load(stream, std::string("\xFE\xFF\x00\x41\x00\x0D\x00\x0A", 8));
  TElWideStringList list;
  list.LoadFromStream(&stream);
  EXPECT_EQ(Lines(list), (Strings{L"A"}));
  EXPECT_TRUE(list.Unicode());
  TMemoryStream out;
  list.SaveToStream(&out);
  EXPECT_EQ(Bytes(out), std::string("\xFF\xFE\x41\x00\x0D\x00\x0A\x00", 8));
}

TEST(ElWideStringsFiles, LittleEndianMarkWithOddByteKeepsTheLastWholeUnit) {
  TMemoryStream stream;
  Load(stream, std::string("\xFF\xFE\x16\x04\x0A\x00\x42\x00\x99", 9));
  TElWideStringList list;
  list.LoadFromStream(&stream);
  EXPECT_EQ(Lines(list), (Strings{L"\x0416", L"B"}));
  EXPECT_TRUE(list.Unicode());
}

TEST(ElWideStringsFiles, FailedReadKeepsTheLinesAndTheEncodingFlag) {
  TElWideStringList list;
  list.Add(L"old");
  ShortStream unicode(std::string("\xFF\xFE\x41\x00\x42\x00\x43\x00", 8), 4);
  EXPECT_THROW(list.LoadFromStream(&unicode), EReadError);
  EXPECT_FALSE(list.Unicode());
  EXPECT_EQ(Lines(list), (Strings{L"old"}));
  list.SetUnicode(true);
  ShortStream ansi("abcdef", 2);
  EXPECT_THROW(list.LoadFromStream(&ansi), EReadError);
  EXPECT_TRUE(list.Unicode());
  EXPECT_EQ(Lines(list), (Strings{L"old"}));
}

TEST(ElWideStringsFiles, TextWithoutMarkUsesTheAnsiCodePage) {
  TMemoryStream stream;
  Load(stream, "\xC0\xC1\r\nz");
  TElWideStringList list;
  list.SetUnicode(true);
  list.LoadFromStream(&stream);
  EXPECT_FALSE(list.Unicode());
  EXPECT_EQ(Lines(list), (Strings{L"\x0410\x0411", L"z"}));
  TMemoryStream out;
  list.SaveToStream(&out);
  EXPECT_EQ(Bytes(out), "\xC0\xC1\r\nz\r\n");
  for (const std::string& bytes : {std::string("Q"), std::string("\xFF"), std::string()}) {
    Load(stream, bytes);
    list.LoadFromStream(&stream);
    EXPECT_FALSE(list.Unicode());
    EXPECT_EQ(list.Count(), bytes.empty() ? 0 : 1);
  }
}

TEST(ElWideStringsFiles, LoadingStartsAtTheStreamPosition) {
  TMemoryStream stream;
  Load(stream, std::string("skip\xFF\xFE\x61\x00", 8));
  stream.SetPosition(4);
  TElWideStringList list;
  list.LoadFromStream(&stream);
  EXPECT_EQ(Lines(list), (Strings{L"a"}));
}

TEST(ElWideStringsFiles, FilesRoundTripInBothEncodings) {
  std::string path = TempPath("el_wide_strings_test.txt");
  std::unique_ptr<TElWideStringList> list(Make({L"\x0416\x0436", L"", L"\x4E00"}));
  list->SetUnicode(true);
  list->SaveToFile(path);
  TElWideStringList back;
  back.LoadFromFile(path);
  EXPECT_TRUE(back.Unicode());
  EXPECT_EQ(Lines(back), Lines(*list));

  std::unique_ptr<TElWideStringList> ansi(Make({L"\x0416\x0436", L"plain"}));
  ansi->SaveToFile(path);
  back.LoadFromFile(path);
  EXPECT_FALSE(back.Unicode());
  EXPECT_EQ(Lines(back), Lines(*ansi));
  DeleteFileA(path.c_str());
  EXPECT_THROW(back.LoadFromFile(path), EFOpenError);
}

// ---------------------------------------------------------------- assignment

TEST(ElWideStringsAssign, FromAndToTheClassLibraryList) {
  TStringList ansi;
  TObject o1, o2;
  ansi.AddObject("\xC0", &o1);
  ansi.AddObject("b", &o2);
  TElWideStringList wide;
  wide.Add(L"old");
  wide.Assign(&ansi);
  EXPECT_EQ(Lines(wide), (Strings{L"\x0410", L"b"}));
  EXPECT_EQ(wide.Objects(0), &o1);
  EXPECT_EQ(wide.Objects(1), &o2);

  wide.Add(L"\x0416");
  wide.PutObject(2, &o1);
  TStringList target;
  target.Add("gone");
  target.Assign(&wide);
  ASSERT_EQ(target.Count(), 3);
  EXPECT_EQ(target.Strings(2), "\xC6");
  EXPECT_EQ(target.Objects(2), &o1);

  TElWideStringList copy;
  copy.Assign(&wide);
  EXPECT_EQ(Lines(copy), Lines(wide));
  EXPECT_EQ(copy.Objects(2), &o1);
  TElList notAList;
  EXPECT_THROW(copy.Assign(&notAList), EConvertError);
}

// ---------------------------------------------------------------- form property

namespace {

// Runs the list's "Strings" reader over the given value bytes.
void ReadStringsProperty(TElWideStrings& list, const std::string& bytes) {
  streaming_detail::ByteStream data(bytes);
  TReader reader(&data);
  reader.SetPropName("Strings");
  list.DefineProperties(&reader);
  ASSERT_TRUE(reader.PropRead());
}

std::string WriteStringsProperty(TElWideStrings& list, bool* written) {
  streaming_detail::ByteStream data;
  TWriter writer(&data);
  *written = false;
  std::string bytes;
  writer.SetDefinedSink([&](const std::string& name, const TWriterProc& write, const TStreamProc&) {
    EXPECT_EQ(name, "Strings");
    *written = true;
    streaming_detail::ByteStream value;
    TWriter inner(&value);
    write(&inner);
    bytes = value.Bytes();
  });
  list.DefineProperties(&writer);
  return bytes;
}

std::string WideValue(const std::wstring& s) {
  std::int32_t n = static_cast<std::int32_t>(s.size());
  return std::string("\x12", 1) + std::string(reinterpret_cast<const char*>(&n), 4) +
         std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}

}  // namespace

TEST(ElWideStringsForm, WritesWideStringsBetweenListMarkers) {
  std::unique_ptr<TElWideStringList> list(Make({L"\x0416", L""}));
  bool written = false;
  std::string bytes = WriteStringsProperty(*list, &written);
  EXPECT_TRUE(written);
  EXPECT_EQ(bytes, "\x01" + WideValue(L"\x0416") + WideValue(L"") + std::string("\0", 1));

  TElWideStringList back;
  back.Add(L"replaced");
  ReadStringsProperty(back, bytes);
  EXPECT_EQ(Lines(back), Lines(*list));

  TElWideStringList empty;
  WriteStringsProperty(empty, &written);
  EXPECT_FALSE(written);
}

TEST(ElWideStringsForm, ReadsAnsiStringsAndHighBitValueTypes) {
  std::string bytes = std::string("\x01", 1) + std::string("\x06\x02\xC0z", 4) +
                      std::string("\x0C\x01\x00\x00\x00\xC1", 6) + "\x92" +
                      WideValue(L"w").substr(1) + std::string("\0", 1);
  TElWideStringList list;
  ReadStringsProperty(list, bytes);
  EXPECT_EQ(Lines(list), (Strings{L"\x0410z", L"\x0411", L"w"}));
}

TEST(ElWideStringsForm, DamagedDataFailsCleanly) {
  const std::vector<std::string> damaged = {
      std::string("\x01\x04\x05\x00\x00\x00\x00", 7),                      // an integer value
      std::string("\x01\x12\xFF\xFF\xFF\x7F\x41\x00", 8),                  // huge wide count
      std::string("\x01\x12\xFF\xFF\xFF\xFF", 6),                          // negative count
      std::string("\x01\x0C\x10\x00\x00\x00" "abc", 9),                    // long string cut short
      std::string("\x01", 1) + WideValue(L"ok"),                          // no end marker
      std::string("\x12", 1),                                              // no list marker
  };
  for (const std::string& bytes : damaged) {
    TElWideStringList list;
    streaming_detail::ByteStream data(bytes);
    TReader reader(&data);
    reader.SetPropName("Strings");
    EXPECT_THROW(list.DefineProperties(&reader), EReadError) << bytes.size();
  }
  TElWideStringList list;
  streaming_detail::ByteStream data(std::string("\x01\x04\x05\x00\x00\x00\x00", 7));
  TReader reader(&data);
  reader.SetPropName("Strings");
  try {
    list.DefineProperties(&reader);
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Error while reading wide strings list");
  }
}
