// TStrings and TStringList: editing, sorting and duplicates, names and
// values, text and comma text, change events, files.
#include <gtest/gtest.h>

#include "Classes.hpp"
#include "WinApi.hpp"

namespace {

std::vector<std::string> Items(TStrings& s) {
  std::vector<std::string> v;
  for (int i = 0; i < s.Count(); ++i) v.push_back(s.Strings(i));
  return v;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EStringListError& e) {
    return e.Message();
  }
  return "no exception";
}

TEST(StringList, EditingWithObjects) {
  TStringList l;
  TObject tag;
  l.Add("one");
  l.AddObject("two", &tag);
  l.Insert(0, "zero");
  EXPECT_EQ(Items(l), (std::vector<std::string>{"zero", "one", "two"}));
  EXPECT_EQ(l.Objects(2), &tag);
  EXPECT_EQ(l.IndexOfObject(&tag), 2);
  l.SetStrings(1, "ONE");
  l.Exchange(0, 2);
  EXPECT_EQ(Items(l), (std::vector<std::string>{"two", "ONE", "zero"}));
  EXPECT_EQ(l.Objects(0), &tag);
  l.Move(0, 2);
  EXPECT_EQ(l.Objects(2), &tag);
  l.Delete(0);
  EXPECT_EQ(l.Count(), 2);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, IndexOfIgnoresCaseUnlessCaseSensitive) {
  TStringList l;
  l.Add("Alpha");
  l.Add("\xC1\xE5\xF2\xE0");  // "Бета"
  EXPECT_EQ(l.IndexOf("ALPHA"), 0);
  EXPECT_EQ(l.IndexOf("\xE1\xE5\xF2\xE0"), 1);  // locale-aware: Cyrillic too
  EXPECT_EQ(l.IndexOf("gamma"), -1);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("ALPHA"), -1);
  EXPECT_EQ(l.IndexOf("Alpha"), 0);
}

TEST(StringList, RangeAndStateErrorsUseTheLibrarysMessages) {
  TStringList l;
  l.Add("a");
  EXPECT_EQ(ErrorOf([&] { l.Strings(1); }), "List index out of bounds (1)");
  EXPECT_EQ(ErrorOf([&] { l.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { l.Insert(5, "x"); }), "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf([&] { l.Objects(3); }), "List index out of bounds (3)");
  l.SetSorted(true);
  EXPECT_EQ(ErrorOf([&] { l.Insert(0, "x"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(ErrorOf([&] { l.SetStrings(0, "x"); }), "Operation not allowed on sorted list");
  l.SetDuplicates(dupError);
  EXPECT_EQ(ErrorOf([&] { l.Add("A"); }), "String list does not allow duplicates");
}

TEST(StringList, SortedInsertsInPlaceAndAppliesTheDuplicatesPolicy) {
  TStringList l;
  for (const char* s : {"pear", "Apple", "fig", "apple"}) l.Add(s);
  l.SetSorted(true);
  EXPECT_EQ(l.Strings(0).substr(1), "pple");
  EXPECT_EQ(l.Strings(2), "fig");
  EXPECT_EQ(l.Add("banana"), 2);
  EXPECT_EQ(l.Add("FIG"), 3);  // dupIgnore: the existing index, nothing added
  EXPECT_EQ(l.Count(), 5);
  l.SetDuplicates(dupAccept);
  l.Add("FIG");
  EXPECT_EQ(l.Count(), 6);
  int index = -1;
  EXPECT_TRUE(l.Find("fig", index));
  EXPECT_EQ(index, 3);  // the first of the equal ones
  EXPECT_FALSE(l.Find("cherry", index));
  EXPECT_EQ(index, 3);  // the insertion point
  EXPECT_EQ(l.IndexOf("PEAR"), 5);
}

TEST(StringList, SortingLargeListsAndCustomOrder) {
  TStringList l;
  for (int i = 0; i < 300; ++i) l.Add(std::to_string((i * 37) % 101));
  l.Sort();
  for (int i = 1; i < l.Count(); ++i) ASSERT_LE(AnsiCompareText(l.Strings(i - 1), l.Strings(i)), 0);
  l.CustomSort([](TStringList* list, int a, int b) {
    return StrToInt(list->Strings(a)) - StrToInt(list->Strings(b));
  });
  for (int i = 1; i < l.Count(); ++i) ASSERT_LE(StrToInt(l.Strings(i - 1)), StrToInt(l.Strings(i)));
}

TEST(StringList, CaseSensitivityChangeResortsASortedList) {
  TStringList l;
  l.SetSorted(true);
  l.SetDuplicates(dupAccept);
  for (const char* s : {"b", "B", "a", "A"}) l.Add(s);
  l.SetCaseSensitive(true);
  for (int i = 1; i < l.Count(); ++i) EXPECT_LE(AnsiCompareStr(l.Strings(i - 1), l.Strings(i)), 0);
}

TEST(StringList, NamesAndValues) {
  TStringList l;
  l.SetText("Path=C:\\x\r\nNoValue\r\nmode=a=b\r\n");
  EXPECT_EQ(l.Names(0), "Path");
  EXPECT_EQ(l.Names(1), "");
  EXPECT_EQ(l.Values("PATH"), "C:\\x");
  EXPECT_EQ(l.Values("mode"), "a=b");
  EXPECT_EQ(l.ValueFromIndex(2), "a=b");
  EXPECT_EQ(l.Values("missing"), "");
  EXPECT_EQ(l.IndexOfName("Mode"), 2);
  l.SetValues("new", "1");
  EXPECT_EQ(l.Strings(3), "new=1");
  l.SetValues("Path", "D:\\");
  EXPECT_EQ(l.Strings(0), "Path=D:\\");
  l.SetValues("path", "");
  EXPECT_EQ(l.IndexOfName("Path"), -1);
  EXPECT_EQ(l.Count(), 3);
}

TEST(StringList, TextEndsEveryLineAndSplitsAtAnyLineBreak) {
  TStringList l;
  l.SetText("a\r\nb\rc\nd");
  EXPECT_EQ(Items(l), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
  l.SetText("x\r\n");
  EXPECT_EQ(l.Count(), 1);  // no trailing empty line
  l.SetText("x\r\n\r\n");
  EXPECT_EQ(Items(l), (std::vector<std::string>{"x", ""}));
  l.SetText("\n\r");
  EXPECT_EQ(Items(l), (std::vector<std::string>{"", ""}));  // LF, then CR
  l.SetText("");
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Text(), "");
  l.SetText(std::string("nul\0inside", 10));
  EXPECT_EQ(l.Strings(0).size(), 10u);
}

TEST(StringList, CommaTextQuotesAndSplits) {
  TStringList l;
  l.SetCommaText("one, \"two words\",\"say \"\"hi\"\"\",,last,");
  EXPECT_EQ(Items(l), (std::vector<std::string>{"one", "two words", "say \"hi\"", "", "last", ""}));
  TStringList m;
  m.Add("plain");
  m.Add("with space");
  m.Add("q\"uote");
  m.Add("");
  // An empty string is not quoted (only a list of one empty string is).
  EXPECT_EQ(m.CommaText(), "plain,\"with space\",\"q\"\"uote\",");
  TStringList back;
  back.SetCommaText(m.CommaText());
  EXPECT_TRUE(back.Equals(&m));
  TStringList single;
  single.Add("");
  EXPECT_EQ(single.CommaText(), "\"\"");
  single.SetCommaText(std::string("a,b\0,c", 7));  // the text ends at a NUL
  EXPECT_EQ(Items(single), (std::vector<std::string>{"a", "b"}));
  single.SetDelimiter(';');
  single.SetDelimitedText("a;b c");
  EXPECT_EQ(Items(single), (std::vector<std::string>{"a", "b", "c"}));  // blanks split too
}

class TChangeCounter : public TObject {
 public:
  void OnChange(TObject*) { ++changes; }
  void OnChanging(TObject*) { ++changings; }
  int changes = 0, changings = 0;
};

TEST(StringList, ChangeEventsPairAndUpdatesBatchThem) {
  TStringList l;
  TChangeCounter c;
  l.OnChange = MakeEvent(&c, &TChangeCounter::OnChange);
  l.OnChanging = MakeEvent(&c, &TChangeCounter::OnChanging);
  l.Add("a");
  l.Add("b");
  EXPECT_EQ(c.changes, 2);
  EXPECT_EQ(c.changings, 2);
  l.BeginUpdate();
  l.BeginUpdate();
  l.Add("c");
  l.Delete(0);
  l.EndUpdate();
  EXPECT_EQ(c.changes, 2);
  l.EndUpdate();
  EXPECT_EQ(c.changes, 3);
  EXPECT_EQ(c.changings, 3);
  // A failing operation raises before Changing.
  EXPECT_THROW(l.Delete(10), EStringListError);
  EXPECT_EQ(c.changings, 3);
  l.SetText("x\r\ny\r\nz");  // one pair for the whole text
  EXPECT_EQ(c.changes, 4);
}

TEST(StringList, AssignAddStringsAndEquals) {
  TStringList a, b;
  TObject o;
  a.SetText("1\r\n2");
  a.SetObjects(1, &o);
  b.Add("old");
  b.Assign(&a);
  EXPECT_TRUE(b.Equals(&a));
  EXPECT_EQ(b.Objects(1), &o);
  b.AddStrings(&a);
  EXPECT_EQ(b.Count(), 4);
  EXPECT_FALSE(b.Equals(&a));
  b.SetText("1\r\nX");
  EXPECT_FALSE(b.Equals(&a));
  EXPECT_THROW(b.Assign(nullptr), EConvertError);
}

TEST(StringList, SaveAndLoadThroughFilesAndStreams) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "classlib_strings.txt";
  TStringList l;
  l.SetText("first\r\n\xCF\xF0\xE8\xE2\xE5\xF2\r\nlast");  // Cyrillic bytes stay bytes
  l.SaveToFile(file);
  {
    TFileStream in(file, fmOpenRead);
    std::string raw(static_cast<std::size_t>(in.Size()), '\0');
    in.ReadBuffer(raw.data(), static_cast<std::int32_t>(raw.size()));
    EXPECT_EQ(raw, l.Text());
  }
  TStringList back;
  back.LoadFromFile(file);
  EXPECT_TRUE(back.Equals(&l));
  DeleteFileA(file.c_str());
  EXPECT_THROW(back.LoadFromFile(file), EFOpenError);

  // LoadFromStream reads from the stream's position on.
  TStringStream s("skip|a\nb");
  s.SetPosition(5);
  back.LoadFromStream(&s);
  EXPECT_EQ(Items(back), (std::vector<std::string>{"a", "b"}));
  TMemoryStream m;
  back.SaveToStream(&m);
  EXPECT_EQ(m.Size(), 6);
}

}  // namespace
