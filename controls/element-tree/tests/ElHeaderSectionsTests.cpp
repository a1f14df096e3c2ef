// The section collection without a window: numbering, deferred
// notifications, deleting and moving, Assign, SectionsOrder, and the
// section stream in every version it reads, with the damaged streams it
// must refuse without touching the sections.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ElHeaderTestSupport.hpp"
#include "Menus.hpp"

namespace {

using hdrtest::Rig;

// Builds a stream byte by byte.
class Bytes {
 public:
  Bytes& Int(std::int32_t v) {
    for (int i = 0; i < 4; ++i) data_.push_back(static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i)));
    return *this;
  }
  // A block of the size with int32 fields and byte fields at offsets.
  Bytes& Block(int size, std::initializer_list<std::pair<int, std::int32_t>> ints,
               std::initializer_list<std::pair<int, int>> bytes = {}) {
    std::string block(static_cast<size_t>(size), '\0');
    for (auto [offset, v] : ints)
      for (int i = 0; i < 4; ++i) block[static_cast<size_t>(offset + i)] = static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i));
    for (auto [offset, v] : bytes) block[static_cast<size_t>(offset)] = static_cast<char>(v);
    data_ += block;
    return *this;
  }
  Bytes& ZeroEnded(const std::string& s) {
    Int(static_cast<std::int32_t>(s.size() + 1));
    data_ += s;
    data_ += '\0';
    return *this;
  }
  Bytes& Ansi(const std::string& s) {
    Int(static_cast<std::int32_t>(s.size()));
    data_ += s;
    return *this;
  }
  Bytes& Wide(const std::wstring& s) {
    Int(static_cast<std::int32_t>(s.size()));
    for (wchar_t c : s) {
      data_ += static_cast<char>(c & 0xFF);
      data_ += static_cast<char>(c >> 8);
    }
    return *this;
  }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
};

void Load(TElHeaderSections& sections, const std::string& bytes) {
  TStringStream stream(bytes);
  sections.LoadFromStream(&stream);
}

std::string Save(TElHeaderSections& sections) {
  TStringStream stream;
  sections.SaveToStream(&stream);
  return stream.DataString();
}

// A -12 block with the fields every record needs: visible, bounds, Index.
Bytes& Record12(Bytes& b, int index, int id, int width, int parent = -1) {
  return b.Block(140, {{8, parent}, {20, width}, {24, 0}, {28, 10000}, {36, id}, {40, index}, {48, -1}}, {{14, 1}})
      .ZeroEnded("")
      .ZeroEnded("")
      .Ansi("")
      .Wide(L"");
}

// ---------------------------------------------------------------- collection

TEST(ElHeaderSections, NewSectionsTakeTheLowestFreeIndexAndAnIdAboveTheLargest) {
  Rig rig;
  Bytes b;
  b.Int(-12).Int(2);
  Record12(b, 0, 7, 50);
  Record12(b, 5, 3, 50);
  Load(rig.Sections, b.Data());
  TElHeaderSection* s = rig.Sections.AddSection();
  EXPECT_EQ(s->Index(), 1);
  EXPECT_EQ(s->SectionId(), 8);
  EXPECT_EQ(s->Width(), 120);
  EXPECT_EQ(rig.Sections.AddSection()->Index(), 2);
}

TEST(ElHeaderSections, CreationsAndDeletionsInsideAnUpdateAreToldOnceAtItsEnd) {
  Rig rig;
  rig.Layout.BeginUpdate();
  rig.Add(10);
  rig.Add(10);
  rig.Layout.BeginUpdate();
  rig.Sections.DeleteSection(rig.Sections[0]);
  rig.Layout.EndUpdate();
  EXPECT_EQ(rig.Host.Created, 0);
  EXPECT_EQ(rig.Host.Deleted, 0);
  rig.Layout.EndUpdate();
  EXPECT_EQ(rig.Host.Created, 1);
  EXPECT_EQ(rig.Host.Deleted, 1);
  rig.Add(10);
  EXPECT_EQ(rig.Host.Created, 2);
  // Nothing is told while the header loads.
  rig.Host.Loading = true;
  rig.Add(10);
  EXPECT_EQ(rig.Host.Created, 2);
  EXPECT_THROW(rig.Sections.DeleteSection(nullptr), EElHeaderError);
}

TEST(ElHeaderSections, DeletingLowersTheIndexesAboveTheDeletedOne) {
  Rig rig;
  rig.Add(10);
  TElHeaderSection* middle = rig.Add(20);
  rig.Add(30);
  rig.Sections.DeleteSection(middle);
  EXPECT_EQ(rig.Indexes(), (std::vector<int>{0, 1}));
  EXPECT_EQ(rig.Widths(), (std::vector<int>{10, 30}));
  EXPECT_EQ(rig.Host.Removed, (std::vector<TElHeaderSection*>{middle}));

  // After a move the numbers no longer follow the positions, and keep their
  // order: the column numbers of the tree stay with their columns.
  Rig moved;
  moved.Add(10);
  TElHeaderSection* b = moved.Add(20);
  TElHeaderSection* c = moved.Add(30);
  moved.Sections.MoveSection(c, 0);
  ASSERT_EQ(moved.Host.Moves.size(), 1u);
  EXPECT_EQ(moved.Host.Moves[0], std::make_tuple(c, 2, 0));
  moved.Sections.DeleteSection(b);
  EXPECT_EQ(moved.Indexes(), (std::vector<int>{1, 0}));
  EXPECT_EQ(moved.Widths(), (std::vector<int>{30, 10}));
}

TEST(ElHeaderSections, AssignCopiesOrderNumbersIdsAndParentsListedAfterTheirChildren) {
  Rig source;
  TElHeaderSection* child = source.Add(10, L"child");
  TElHeaderSection* parent = source.Add(20, L"parent");
  source.Add(30, L"other");
  parent->SetExpandable(true);
  parent->SetExpanded(true);
  child->SetParentSection(parent);
  source.Sections.MoveSection(source.Sections[2], 0);
  Rig target;
  target.Add(99);
  target.Sections.Assign(&source.Sections);
  ASSERT_EQ(target.Sections.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(target.Sections[i]->Text(), source.Sections[i]->Text());
    EXPECT_EQ(target.Sections[i]->Index(), source.Sections[i]->Index());
    EXPECT_EQ(target.Sections[i]->SectionId(), source.Sections[i]->SectionId());
  }
  EXPECT_EQ(target.Sections[1]->ParentSection(), target.Sections[2]);
  EXPECT_TRUE(target.Sections[1]->Visible());
}

TEST(ElHeaderSections, SectionsOrderWritesAndAppliesIndexWidthAndVisibility) {
  Rig rig;
  rig.Add(120);
  rig.Add(80);
  EXPECT_EQ(rig.Sections.SectionsOrder(), "i0:w120:vt,i1:w80:vt,");
  // Unknown and malformed entries are passed over.
  rig.Sections.SetSectionsOrder("i1:w50:vf;,i7:w1:vt,w3,i0:w70:vt,i0");
  EXPECT_EQ(rig.Sections.SectionsOrder(), "i1:w50:vf,i0:w70:vt,");
  rig.Sections.SetSectionsOrder("i0:w60:vf,i1:w40:vt");
  EXPECT_EQ(rig.Sections.SectionsOrder(), "i0:w60:vf,i1:w40:vt,");
  rig.Host.Loading = true;
  rig.Sections.SetSectionsOrder("i1:w10:vt,");
  EXPECT_EQ(rig.Sections.SectionsOrder(), "i0:w60:vf,i1:w40:vt,");
}

// ---------------------------------------------------------------- stream

TEST(ElHeaderStream, AnEmptyHeaderWritesItsVersionAndNoSections) {
  Rig rig;
  EXPECT_EQ(Save(rig.Sections), std::string("\xF4\xFF\xFF\xFF\0\0\0\0", 8));
}

TEST(ElHeaderStream, EveryStoredFieldComesBack) {
  Rig rig;
  TPopupMenu menu(nullptr);
  menu.SetName("columns_menu");
  TElHeaderSection* p = rig.Add(90, L"Папка");
  TElHeaderSection* s = rig.Add(70, L"Размер");
  p->SetExpandable(true);
  p->SetExpanded(true);
  s->SetParentSection(p);
  s->SetLookupEnabled(true);
  s->SetVisible(false);
  s->SetClickSelect(false);
  s->SetResizable(false);
  s->SetStyle(ElhsPictureOnly);
  s->SetMinWidth(12);
  s->SetMaxWidth(300);
  s->SetSortMode(hsmDescend);
  s->SetAllowClick(false);
  s->SetAlignment(hsaCenter);
  s->SetFieldType(sftCurrency);
  s->SetEditable(true);
  s->SetImageIndex(4);
  s->SetPictureAlign(hsaRight);
  s->SetPassword(true);
  s->SetColor(0x123456);
  s->SetFontColor(0x654321);
  s->SetTextLayout(tlBottom);
  s->SetUseMainStyle(true);
  s->SetTag(-77);
  s->SetFieldName("SIZE");
  s->SetHint(L"Подсказка|длинная");
  s->SetPopupMenu(&menu);
  s->SetAutoSize(true);
  const std::string bytes = Save(rig.Sections);

  Rig copy;
  Load(copy.Sections, bytes);
  ASSERT_EQ(copy.Sections.Count(), 2);
  // Written again, the copy gives the same bytes: nothing stored is lost.
  // The fields checked here were set through their setters, so the stream
  // puts each where it belongs.
  TElHeaderSection* c = copy.Sections[1];
  EXPECT_EQ(c->ParentSection(), copy.Sections[0]);
  EXPECT_FALSE(c->StoredVisible());
  EXPECT_EQ(c->Style(), ElhsPictureOnly);
  EXPECT_EQ(c->MinWidth(), 12);
  EXPECT_EQ(c->MaxWidth(), 300);
  EXPECT_EQ(c->SortMode(), hsmDescend);
  EXPECT_EQ(c->FieldType(), sftCurrency);
  EXPECT_EQ(c->ImageIndex(), 4);
  EXPECT_EQ(c->Color(), 0x123456);
  EXPECT_EQ(c->FontColor(), 0x654321);
  EXPECT_EQ(c->TextLayout(), tlBottom);
  EXPECT_TRUE(c->AutoSize());
  EXPECT_EQ(c->Tag(), -77);
  EXPECT_EQ(c->Text(), L"Размер");
  EXPECT_EQ(c->PopupMenuName(), "columns_menu");
  EXPECT_EQ(c->Hint(), L"Подсказка|длинная");
  EXPECT_EQ(Save(copy.Sections), bytes);
}

TEST(ElHeaderStream, BelowTheWrittenVersionReadsAsIt) {
  Rig rig;
  Bytes b;
  b.Int(-13).Int(1).Block(140, {{8, -1}, {20, 77}, {28, 100}, {36, 9}, {40, 3}, {48, -1}, {68, 5}}, {{14, 1}, {44, 2}})
      .ZeroEnded("Name")
      .ZeroEnded("FLD")
      .Ansi("pm")
      .Wide(L"Подсказка");
  Load(rig.Sections, b.Data());
  TElHeaderSection* s = rig.Sections[0];
  EXPECT_EQ(s->Width(), 77);
  EXPECT_EQ(s->SectionId(), 9);
  EXPECT_EQ(s->Index(), 3);
  EXPECT_EQ(s->Tag(), 5);
  EXPECT_EQ(s->FieldType(), sftNumber);
  EXPECT_EQ(s->Text(), L"Name");
  EXPECT_EQ(s->FieldName(), "FLD");
  EXPECT_EQ(s->PopupMenuName(), "pm");
  EXPECT_EQ(s->Hint(), L"Подсказка");
}

TEST(ElHeaderStream, Versions11And10HaveAnAnsiHintAnd10NoTag) {
  Rig rig;
  Bytes b;
  b.Int(-11).Int(1).Block(140, {{20, 60}, {28, 100}, {36, 4}, {40, 0}, {68, 8}}, {{14, 1}})
      .ZeroEnded("a").ZeroEnded("").Ansi("").Ansi("short|long");
  Load(rig.Sections, b.Data());
  EXPECT_EQ(rig.Sections[0]->Hint(), L"short|long");
  EXPECT_EQ(rig.Sections[0]->Tag(), 8);

  Bytes ten;
  ten.Int(-10).Int(2);
  for (int i = 0; i < 2; ++i)
    ten.Block(68, {{20, 30 + i}, {28, 100}, {36, 40 + i}, {40, i}}, {{14, 1}, {67, 1}})
        .ZeroEnded("t")
        .ZeroEnded("")
        .Ansi("")
        .Ansi("h");
  Load(rig.Sections, ten.Data());
  ASSERT_EQ(rig.Sections.Count(), 2);
  EXPECT_EQ(rig.Sections[1]->Width(), 31);
  EXPECT_EQ(rig.Sections[1]->SectionId(), 41);
  EXPECT_TRUE(rig.Sections[1]->AutoSize());
  EXPECT_EQ(rig.Sections[1]->Tag(), 0);
}

TEST(ElHeaderStream, Version9SetsAutoSizeAndVersion8DoesNot) {
  for (int version : {-9, -8}) {
    Rig rig;
    Bytes b;
    b.Int(version).Int(1)
        .Block(64, {{20, 55}, {28, 100}, {36, 6}, {44, 2}}, {{14, 1}, {40, 3}, {49, 1}, {60, 1}, {61, 2}, {63, 1}})
        .ZeroEnded("x").ZeroEnded("F").Ansi("menu").Ansi("hint");
    Load(rig.Sections, b.Data());
    TElHeaderSection* s = rig.Sections[0];
    EXPECT_EQ(s->AutoSize(), version == -9);
    EXPECT_EQ(s->Index(), 6);
    EXPECT_EQ(s->FieldType(), sftFloating);
    EXPECT_EQ(s->ImageIndex(), 2);
    EXPECT_TRUE(s->Password());
    EXPECT_TRUE(s->FilterEnabled());
    EXPECT_EQ(s->TextLayout(), tlBottom);
    EXPECT_EQ(s->PopupMenuName(), "menu");
    EXPECT_EQ(s->Hint(), L"hint");
    EXPECT_EQ(s->SectionId(), 0) << "no identifier in the stream: a fresh one";
  }
}

TEST(ElHeaderStream, Version6HasAPopupNameAnd5None) {
  for (int version : {-6, -5}) {
    Rig rig;
    Bytes b;
    b.Int(version).Int(2);
    for (int i = 0; i < 2; ++i) {
      b.Block(52, {{8, i == 1 ? 0 : -1}, {20, 20 + i}, {28, 100}, {36, i}, {44, -1}}, {{12, 1}, {13, 1}, {14, 1}})
          .ZeroEnded("s" + std::to_string(i))
          .ZeroEnded("");
      if (version == -6) b.Ansi("m" + std::to_string(i));
    }
    Load(rig.Sections, b.Data());
    ASSERT_EQ(rig.Sections.Count(), 2);
    EXPECT_EQ(rig.Sections[1]->Text(), L"s1");
    EXPECT_EQ(rig.Sections[1]->Width(), 21);
    EXPECT_EQ(rig.Sections[1]->ParentSection(), rig.Sections[0]);
    EXPECT_EQ(rig.Sections[1]->PopupMenuName(), version == -6 ? "m1" : "");
  }
}

TEST(ElHeaderStream, Version4HasItsOwnSmallBlock) {
  Rig rig;
  Bytes b;
  b.Int(-4).Int(1).Block(36, {{4, 44}, {8, 10}, {12, 50}, {20, 2}, {28, 1}}, {{0, 0}, {2, 1}, {16, 1}, {18, 2}, {24, 4}})
      .ZeroEnded("old")
      .ZeroEnded("F");
  Load(rig.Sections, b.Data());
  TElHeaderSection* s = rig.Sections[0];
  EXPECT_FALSE(s->StoredVisible());
  EXPECT_EQ(s->Width(), 44);
  EXPECT_EQ(s->MinWidth(), 10);
  EXPECT_EQ(s->MaxWidth(), 50);
  EXPECT_EQ(s->SortMode(), hsmAscend);
  EXPECT_EQ(s->Alignment(), hsaRight);
  EXPECT_EQ(s->Index(), 2);
  EXPECT_EQ(s->FieldType(), sftDateTime);
  EXPECT_EQ(s->ImageIndex(), 1);
  EXPECT_EQ(s->Text(), L"old");
}

class ElHeaderStreamRefusal : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Add(33, L"first");
    rig.Add(44, L"second");
    before = Save(rig.Sections);
  }
  void ExpectRefused(const std::string& bytes, const std::string& what) {
    EXPECT_THROW(Load(rig.Sections, bytes), EReadError) << what;
    EXPECT_EQ(Save(rig.Sections), before) << what;
  }
  Rig rig;
  std::string before;
};

TEST_F(ElHeaderStreamRefusal, VersionsNeverWritten) {
  for (int version : {-7, -3, -2, 0, 5}) {
    Bytes b;
    b.Int(version).Int(0);
    ExpectRefused(b.Data(), "version " + std::to_string(version));
  }
}

TEST_F(ElHeaderStreamRefusal, EveryTruncation) {
  Rig other;
  TElHeaderSection* s = other.Add(10, L"text");
  s->SetHint(L"hint");
  s->SetFieldName("FIELD");
  other.Add(20, L"more");
  const std::string whole = Save(other.Sections);
  for (size_t n = 0; n < whole.size(); ++n) ExpectRefused(whole.substr(0, n), "cut at " + std::to_string(n));
}

TEST_F(ElHeaderStreamRefusal, LengthsAndCountsBeyondTheStream) {
  Bytes count;
  count.Int(-12).Int(0x7FFFFFFF);
  ExpectRefused(count.Data(), "count");
  Bytes negative;
  negative.Int(-12).Int(-1);
  ExpectRefused(negative.Data(), "negative count");
  for (std::int32_t length : {0x7FFFFFFF, -1}) {
    Bytes text;
    text.Int(-12).Int(1).Block(140, {{28, 100}}).Int(length).Int(0).Int(0).Int(0);
    ExpectRefused(text.Data(), "text length " + std::to_string(length));
    Bytes hint;
    hint.Int(-12).Int(1).Block(140, {{28, 100}}).ZeroEnded("").ZeroEnded("").Ansi("").Int(length);
    ExpectRefused(hint.Data(), "hint length " + std::to_string(length));
  }
}

TEST_F(ElHeaderStreamRefusal, ValuesNoSectionCanHave) {
  const std::pair<int, int> badBytes[] = {{17, 3}, {32, 3}, {34, 3}, {44, 14}, {52, 3}, {65, 3}};
  for (auto [offset, value] : badBytes) {
    Bytes b;
    b.Int(-12).Int(1).Block(140, {{20, 10}, {28, 100}, {48, -1}}, {{offset, value}}).ZeroEnded("").ZeroEnded("").Ansi("").Wide(L"");
    ExpectRefused(b.Data(), "byte " + std::to_string(offset));
  }
  Bytes width;
  width.Int(-12).Int(1).Block(140, {{20, -1}, {28, 100}}).ZeroEnded("").ZeroEnded("").Ansi("").Wide(L"");
  ExpectRefused(width.Data(), "negative width");
  Bytes bounds;
  bounds.Int(-12).Int(1).Block(140, {{20, 10}, {24, 50}, {28, 40}}).ZeroEnded("").ZeroEnded("").Ansi("").Wide(L"");
  ExpectRefused(bounds.Data(), "reversed bounds");
  Bytes index;
  index.Int(-12).Int(1);
  Record12(index, -2, 0, 10);
  ExpectRefused(index.Data(), "negative index");
  Bytes twice;
  twice.Int(-12).Int(2);
  Record12(twice, 1, 0, 10);
  Record12(twice, 1, 1, 10);
  ExpectRefused(twice.Data(), "duplicate index");
  Bytes ids;
  ids.Int(-12).Int(2);
  Record12(ids, 0, 4, 10);
  Record12(ids, 1, 4, 10);
  ExpectRefused(ids.Data(), "duplicate identifier");
}

TEST(ElHeaderStream, AWidthOutsideItsBoundsIsPulledIn) {
  Rig rig;
  Bytes b;
  b.Int(-12).Int(1).Block(140, {{20, 500}, {24, 10}, {28, 200}}, {{14, 1}}).ZeroEnded("").ZeroEnded("").Ansi("").Wide(L"");
  Load(rig.Sections, b.Data());
  EXPECT_EQ(rig.Sections[0]->Width(), 200);
}

TEST(ElHeaderStream, ParentsThatLoopOrNameNoSectionAreDropped) {
  Rig rig;
  Bytes b;
  b.Int(-12).Int(5);
  Record12(b, 0, 0, 10, 1);   // 0 and 1 name each other
  Record12(b, 1, 1, 10, 0);
  Record12(b, 2, 2, 10, 0);   // a child of the loop keeps its parent
  Record12(b, 3, 3, 10, 3);   // its own parent
  Record12(b, 4, 4, 10, 9);   // no section 9
  Load(rig.Sections, b.Data());
  EXPECT_EQ(rig.Sections[0]->ParentSection(), nullptr);
  EXPECT_EQ(rig.Sections[1]->ParentSection(), nullptr);
  EXPECT_EQ(rig.Sections[2]->ParentSection(), rig.Sections[0]);
  EXPECT_EQ(rig.Sections[3]->ParentSection(), nullptr);
  EXPECT_EQ(rig.Sections[4]->ParentSection(), nullptr);
}

}  // namespace
