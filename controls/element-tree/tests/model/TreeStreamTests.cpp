// The item stream: a byte-exact round trip, hand-made records of the older
// versions, saving without side effects, every kind of damage (each raising
// with the tree left consistent), the nesting limit, the style loader, and
// "Items.Data" in a form.
#include "Streaming.hpp"
#include "TreeModelSupport.hpp"

namespace {

// Builds a stream byte by byte, little-endian.
class Bytes {
 public:
  Bytes& I32(std::int32_t v) {
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>((static_cast<Cardinal>(v) >> (8 * i)) & 0xFF));
    return *this;
  }
  Bytes& B(Byte v) {
    data.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& Ansi(const std::string& s) {
    I32(static_cast<std::int32_t>(s.size()));
    data += s;
    return *this;
  }
  Bytes& Wide(const std::wstring& s) {
    I32(static_cast<std::int32_t>(s.size()));
    for (wchar_t c : s) B(static_cast<Byte>(c)).B(static_cast<Byte>(c >> 8));
    return *this;
  }
  // A zeroed block with values put in at offsets.
  Bytes& Block(int size, std::initializer_list<std::pair<int, std::int32_t>> ints,
               std::initializer_list<std::pair<int, Byte>> bytes = {}) {
    std::string block(static_cast<size_t>(size), '\0');
    for (auto [offset, v] : ints)
      for (int i = 0; i < 4; ++i) block[static_cast<size_t>(offset + i)] = static_cast<char>((static_cast<Cardinal>(v) >> (8 * i)) & 0xFF);
    for (auto [offset, v] : bytes) block[static_cast<size_t>(offset)] = static_cast<char>(v);
    data += block;
    return *this;
  }
  // The hidden root as a record without a version: no text, no hint, no
  // columns, then the count of the children that follow.
  Bytes& Root(int children) { return I32(0).I32(0).I32(children); }
  std::string data;
};

std::string Saved(TCustomElTree* tree) {
  TStringStream stream;
  tree->Items()->SaveToStream(&stream);
  return stream.DataString();
}

void Load(TCustomElTree* tree, const std::string& bytes) {
  TStringStream stream(bytes);
  tree->Items()->LoadFromStream(&stream);
}

// A three-level tree with every field set: Cyrillic texts, a UTF-16 hint,
// column texts, styles, overlays -1 and 3, state bits, focus and selection.
void Populate(TTestTree* tree) {
  TElTreeItems* items = tree->Items();
  BuildShape(items, nullptr, "a(b(c) d) e");
  TElTreeItem* a = Named(items, "a");
  TElTreeItem* b = Named(items, "b");
  TElTreeItem* c = Named(items, "c");
  a->SetText(L"корень");
  a->SetHint(L"ключ \x263A");
  a->ColumnText()->Add(L"первая");
  a->ColumnText()->Add(L"");
  a->Expand(false);
  a->SetBold(true);
  a->SetItalic(true);
  a->SetImageIndex(1);
  a->SetStateImageIndex(2);
  a->SetImageIndex2(3);
  a->SetStateImageIndex2(4);
  a->SetColor(0x010203);
  a->SetRowBkColor(0x040506);
  a->SetBkColor(0x070809);
  a->SetLineThroughColor(0x0A0B0C);
  a->SetCheckBoxType(ect3SCheckBox);
  a->SetCheckBoxState(ecbGrayed);
  a->SetBorderStyle(ibsSunken);
  a->SetIndent(12);
  a->SetTag(-5);
  a->SetTreeLineHeight(false);
  a->SetOwnHeight(44);
  a->SetAlwaysButton(true);
  a->SetShowCheckBox(true);
  b->SetHidden(true);
  b->SetMultiline(true);
  b->SetUseStyles(true);
  b->MainStyle()->SetTextColor(0x112233);
  b->MainStyle()->SetFontName("Tahoma");
  b->MainStyle()->SetFontStyles(TFontStyles{fsBold, fsUnderline});
  b->MainStyle()->SetStyleValue(77);
  b->AddStyle()->SetCellType(sftCurrency);
  b->AddStyle()->SetStyle(ElhsOwnerDraw);
  c->SetOverlayIndex(-1);
  c->SetOverlayIndex2(3);
  c->SetEnabled(false);
  c->SetFocused(true);
  Named(items, "d")->SetSelected(true);
}

class TreeStreamTest : public TreeModelTest {};

TEST_F(TreeStreamTest, ARoundTripKeepsEveryFieldAndEveryByte) {
  Populate(tree);
  const std::string first = Saved(tree);
  TTestTree* copy = TObject::Create<TTestTree>(nullptr);
  Load(copy, first);
  EXPECT_EQ(Saved(copy), first);
  EXPECT_TREE_CONSISTENT(copy);
  TElTreeItems* loaded = copy->Items();
  EXPECT_EQ(ShapeOf(loaded->Root()), WideToAnsi(L"корень(b(c) d) e"));
  TElTreeItem* a = loaded->GetItem(0);
  EXPECT_EQ(a->Hint(), L"ключ \x263A");
  ASSERT_EQ(a->ColumnText()->Count(), 2);
  EXPECT_EQ(a->ColumnText()->Get(0), L"первая");
  EXPECT_TRUE(a->Expanded() && a->Bold() && a->Italic());
  EXPECT_EQ(a->StateImageIndex2(), 4);
  EXPECT_EQ(a->RowBkColor(), 0x040506);
  EXPECT_EQ(a->CheckBoxState(), ecbGrayed);
  EXPECT_EQ(a->BorderStyle(), ibsSunken);
  EXPECT_EQ(a->Tag(), -5);
  EXPECT_EQ(a->OwnHeight(), 44);
  TElTreeItem* b = loaded->GetItem(1);
  EXPECT_TRUE(b->Hidden() && b->Multiline() && b->UseStyles());
  EXPECT_EQ(b->MainStyle()->FontName(), "Tahoma");
  EXPECT_EQ(b->MainStyle()->StyleValue(), 77);
  EXPECT_EQ(b->MainStyle()->FontStyles(), (TFontStyles{fsBold, fsUnderline}));
  ASSERT_EQ(b->StylesCount(), 2);
  EXPECT_EQ(b->GetStyle(0)->CellType(), sftCurrency);
  EXPECT_EQ(b->GetStyle(1)->Style(), ElhsOwnerDraw);
  TElTreeItem* c = loaded->GetItem(2);
  EXPECT_EQ(c->OverlayIndex(), -1);
  EXPECT_EQ(c->OverlayIndex2(), 3);
  EXPECT_FALSE(c->Enabled());
  // Focus and selection are not carried over.
  EXPECT_FALSE(c->Focused());
  EXPECT_FALSE(loaded->GetItem(3)->Selected());
  EXPECT_EQ(copy->GetFocusedItem(), nullptr);
  EXPECT_EQ(copy->HiddenCount(), 1);
  EXPECT_EQ(copy->MultiLineCount(), 2);
  copy->Free();
}

TEST_F(TreeStreamTest, TheOverlayIndexesTakeAHalfEach) {
  TElTreeItem* item = items->AddLastChild(nullptr, L"x");
  // The root's record takes 153 bytes; the item's block follows its version
  // and its one-byte text.
  const size_t overlay = 153 + 4 + 5 + 64;
  auto overlayBytes = [&] { return Saved(tree).substr(overlay, 4); };
  EXPECT_EQ(overlayBytes(), std::string("\xFF\xFF\xFF\xFF", 4));
  item->SetOverlayIndex2(3);
  EXPECT_EQ(overlayBytes(), std::string("\xFF\xFF\x03\x00", 4));
  item->SetOverlayIndex(5);
  item->SetOverlayIndex2(-1);
  EXPECT_EQ(overlayBytes(), std::string("\x05\x00\xFF\xFF", 4));
  item->SetFocused(true);
  item->SetSelected(true);
  item->Expand(false);
  const std::string saved = Saved(tree);
  EXPECT_EQ(saved.substr(153 + 4 + 5, 2), std::string("\x80\x00", 2)) << "no focused or selected bit";
}

TEST_F(TreeStreamTest, SavingMovesNoFocusAndFiresNothing) {
  Populate(tree);
  TElTreeItem* focused = tree->GetFocusedItem();
  log.lines.clear();
  struct Saves : TObject {
    int count = 0;
    void Save(TObject*, TStream* stream, TElTreeItem*) {
      ++count;
      stream->WriteBuffer("!", 1);
    }
  } saves;
  tree->OnItemSave = TItemSaveEvent(&saves, &Saves::Save);
  Saved(tree);
  EXPECT_EQ(log.Joined(), "");
  EXPECT_EQ(tree->GetFocusedItem(), focused);
  EXPECT_TRUE(focused->Focused());
  EXPECT_EQ(tree->SelectedCount(), 1);
  EXPECT_EQ(saves.count, 6) << "the root and five items";
}

TEST_F(TreeStreamTest, PassingBitsAndPicturesAreNeverStoredAndTheRootStaysOpen) {
  TElTreeItem* item = items->AddLastChild(nullptr, L"p");
  item->SetImageDrawn(true);
  item->SetSorting(true);
  item->SetUseStyles(true);
  TBitmap picture;
  item->MainStyle()->SetPicture(&picture);
  const std::string saved = Saved(tree);
  const size_t block = 153 + 4 + 5;
  const Cardinal flags = static_cast<Byte>(saved[block + 20]) | static_cast<Byte>(saved[block + 21]) << 8 |
                         static_cast<Byte>(saved[block + 22]) << 16;
  EXPECT_EQ(flags & ifTransient, 0u);
  EXPECT_NE(flags & ifUseStyles, 0u);
  // The style block follows the hint, the column count and two flag bytes.
  const size_t style = block + 128 + 4 + 4 + 4 + 2;
  EXPECT_EQ(saved.substr(style + 16, 4), std::string(4, '\0'));

  // Read back, stored passing bits are dropped and the hidden root opens
  // whatever its record says.
  Bytes s;
  s.I32(-13).Ansi("").Block(128, {{64, -1}}).I32(-1).Wide(L"").I32(0).B(0).I32(1);
  s.I32(-13).Ansi("q").Block(128, {{20, static_cast<std::int32_t>(ifDefault | ifTransient)}, {64, -1}})
      .I32(-1).Wide(L"").I32(0).B(0).I32(0);
  Load(tree, s.data);
  EXPECT_EQ(items->GetItem(0)->Flags() & ifTransient, 0u);
  EXPECT_TRUE(items->Root()->Expanded());
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- older versions

TEST_F(TreeStreamTest, AVersion12RecordIgnoresTheOverlaysAndReadsAWideHint) {
  Bytes s;
  s.Root(1)
      .I32(-12)
      .Ansi("x")
      .Block(128, {{4, 5}, {20, static_cast<std::int32_t>(ifDefault | ifIsHTML)}, {64, 0x0003FFFF}},
             {{0, 0x84}, {40, 1}})
      .I32(-1)
      .Wide(L"ш")
      .I32(1)
      .Ansi("c1")
      .B(0)
      .I32(0);
  Load(tree, s.data);
  TElTreeItem* x = items->GetItem(0);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->Text(), L"x");
  EXPECT_TRUE(x->Expanded());
  EXPECT_FALSE(x->Selected());
  EXPECT_EQ(x->ImageIndex(), 5);
  EXPECT_EQ(x->OverlayIndex(), -1);
  EXPECT_EQ(x->OverlayIndex2(), -1);
  EXPECT_TRUE(x->IsHTML());
  EXPECT_TRUE(x->Checked());
  EXPECT_EQ(x->Hint(), L"ш");
  EXPECT_EQ(x->ColumnText()->Get(0), L"c1");
  EXPECT_EQ(tree->MultiLineCount(), 1);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeStreamTest, AVersion10RecordKeepsEachOptionInAByte) {
  Bytes s;
  s.Root(1)
      .I32(-10)
      .Ansi("y")
      .Block(61, {{4, 7}, {8, 8}, {16, 0x11}, {20, 0x22}, {24, 0x33}, {52, 33 << 16}},
             {{12, 1}, {28, 0}, {29, 0}, {30, 1}, {31, 2}, {32, 1}, {33, 2}, {44, 0}, {45, 1}, {47, 1}, {48, 0}, {56, 1}, {60, 1}})
      .I32(-1)
      .Ansi("hint")
      .I32(0)
      .B(1)
      .B(0)
      .Block(36, {{8, 0x445566}}, {{20, sftDate}, {21, ElhsPictureOnly}, {22, 1}})
      .Ansi("Arial")
      .I32(0)
      .I32(0);
  Load(tree, s.data);
  TElTreeItem* y = items->GetItem(0);
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->StateImageIndex(), 8);
  EXPECT_EQ(y->RowBkColor(), 0x22);
  EXPECT_EQ(y->BkColor(), 0x33);
  EXPECT_TRUE(y->AlwaysButton() && y->CheckBoxActive() && y->ShowCheckBox() && y->Hidden() && y->Multiline());
  EXPECT_TRUE(y->NoTreeLines() && y->UseBkColor() && y->UseStyles());
  EXPECT_FALSE(y->ParentColors() || y->ParentStyle() || y->Enabled() || y->TreeLineHeight() || y->IsHTML());
  EXPECT_EQ(y->CheckBoxState(), ecbGrayed);
  EXPECT_EQ(y->CheckBoxType(), ectRadioButton);
  EXPECT_EQ(y->OwnHeight(), 33);
  EXPECT_EQ(y->Hint(), L"hint");
  EXPECT_EQ(y->MainStyle()->TextColor(), 0x445566);
  EXPECT_EQ(y->MainStyle()->CellType(), sftDate);
  EXPECT_EQ(y->MainStyle()->Style(), ElhsPictureOnly);
  EXPECT_EQ(y->MainStyle()->Picture(), nullptr);
  EXPECT_EQ(y->MainStyle()->FontName(), "Arial");
  EXPECT_EQ(tree->HiddenCount(), 1);
  EXPECT_EQ(tree->MultiLineCount(), 1);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeStreamTest, AVersion9RecordAndARecordWithoutAVersion) {
  Bytes s;
  s.Root(2)
      .I32(-9)
      .Ansi("z")
      .Block(53, {{4, 1}, {20, 0x55}, {32, 9}, {36, 10}, {44, 21}}, {{40, 1}, {43, 1}, {49, 1}})
      .I32(2)
      .Ansi("one")
      .Ansi("two")
      .B(0)
      .I32(0)
      // Without a version: the text length first, then the column count
      // straight away, no styles.
      .I32(3)
      .B('a').B('b').B('c')
      .I32(1)
      .Ansi("col")
      .I32(1)
      .I32(1)
      .B('k')
      .I32(0)
      .I32(0);
  Load(tree, s.data);
  EXPECT_EQ(Shape(), "z abc(k)");
  TElTreeItem* z = N("z");
  EXPECT_EQ(z->BkColor(), 0x55);
  EXPECT_EQ(z->ImageIndex2(), 9);
  EXPECT_EQ(z->StateImageIndex2(), 10);
  EXPECT_EQ(z->OwnHeight(), 21);
  EXPECT_TRUE(z->Enabled() && z->TreeLineHeight() && z->IsHTML());
  EXPECT_EQ(z->ColumnText()->Count(), 2);
  TElTreeItem* abc = N("abc");
  EXPECT_EQ(abc->Flags(), static_cast<Cardinal>(ifDefault));
  EXPECT_EQ(abc->ColumnText()->Get(0), L"col");
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- damage

TEST_F(TreeStreamTest, EveryTruncationRaisesAndLeavesAConsistentTree) {
  Populate(tree);
  const std::string full = Saved(tree);
  TTestTree* other = TObject::Create<TTestTree>(nullptr);
  for (size_t length = 0; length < full.size(); ++length) {
    EXPECT_THROW(Load(other, full.substr(0, length)), EReadError) << length;
    ASSERT_TREE_CONSISTENT(other) << length;
  }
  Load(other, full);
  EXPECT_EQ(Saved(other), full);
  other->Free();
}

TEST_F(TreeStreamTest, DamagedRecordsRaiseWhatTheyAreAndKeepWhatWasRead) {
  auto item = [](std::initializer_list<std::pair<int, Byte>> bytes, int overlay = -1) {
    Bytes s;
    s.I32(-13).Ansi("bad").Block(128, {{64, overlay}}, bytes).I32(-1).Wide(L"").I32(0).B(0).I32(0);
    return s.data;
  };
  auto withStyle = [](Byte useStyles, Byte byHandler, Byte cellType, Byte style) {
    Bytes s;
    s.I32(-13).Ansi("bad").Block(128, {{64, -1}}).I32(-1).Wide(L"").I32(0).B(useStyles);
    if (useStyles == 1) s.B(byHandler).Block(36, {}, {{20, cellType}, {21, style}}).Ansi("").I32(0);
    s.I32(0);
    return s.data;
  };
  const std::string good = item({});
  struct Case {
    const char* what;
    std::string record;
  };
  const Case cases[] = {
      {"check box state", item({{40, 3}})},
      {"check box type", item({{41, 3}})},
      {"border style", item({{48, 5}})},
      {"overlay index", item({}, 0x00C80000)},
      {"cell type", withStyle(1, 0, 14, 0)},
      {"cell style", withStyle(1, 0, 1, 3)},
      {"style flag", withStyle(2, 0, 1, 0)},
      {"style handler flag", withStyle(1, 2, 1, 0)},
      {"styles without their loader", withStyle(1, 1, 1, 0)},
      {"version -14", Bytes().I32(-14).Ansi("bad").data},
      {"text length", Bytes().I32(0x7FFFFFFF).data},
      {"column count", Bytes().I32(-13).Ansi("bad").Block(128, {}).I32(-1).Wide(L"").I32(0x10000000).data},
      {"column count", Bytes().I32(-13).Ansi("bad").Block(128, {}).I32(-1).Wide(L"").I32(-2).data},
      {"child count", Bytes().I32(-13).Ansi("bad").Block(128, {}).I32(-1).Wide(L"").I32(0).B(0).I32(0x7FFFFFFF).data},
      {"Invalid string header", Bytes().I32(-13).I32(-5).data},
  };
  for (const Case& c : cases) {
    // Two good items come first; the damaged one is the third.
    const std::string stream = Bytes().Root(3).data + good + good + c.record;
    try {
      Load(tree, stream);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EReadError& e) {
      EXPECT_NE(e.Message().find(c.what), std::string::npos) << e.Message();
    }
    ASSERT_TREE_CONSISTENT(tree) << c.what;
    EXPECT_GE(items->Count(), 2) << c.what;
    EXPECT_EQ(WideToAnsi(items->GetItem(1)->Text()), "bad");
  }
}

TEST_F(TreeStreamTest, TheNestingLimitIsReadAndDeletedWholeAndOneLevelMoreRaises) {
  TElTreeItem* parent = nullptr;
  for (int level = 0; level < kElTreeStreamMaxDepth; ++level) parent = items->AddLastChild(parent, L"l");
  EXPECT_EQ(parent->Level(), kElTreeStreamMaxDepth - 1);
  const std::string atLimit = Saved(tree);
  TTestTree* other = TObject::Create<TTestTree>(nullptr);
  Load(other, atLimit);
  EXPECT_EQ(Saved(other), atLimit);
  EXPECT_TREE_CONSISTENT(other);
  other->Items()->Clear();
  EXPECT_EQ(other->Items()->Count(), 0);

  items->AddLastChild(parent, L"deeper");
  EXPECT_THROW(Load(other, Saved(tree)), EReadError);
  EXPECT_TREE_CONSISTENT(other);
  EXPECT_EQ(other->Items()->Count(), kElTreeStreamMaxDepth);
  other->Free();
}

// ---------------------------------------------------------------- hooks

class StyleHooks : public TObject {
 public:
  void Save(TObject*, TStream* stream, TElCellStyle* style) {
    std::int32_t color = style->TextColor();
    stream->WriteBuffer(&color, 4);
  }
  void Load(TObject*, TStream* stream, TElCellStyle* style) {
    std::int32_t color = 0;
    stream->ReadBuffer(&color, 4);
    style->SetTextColor(color);
  }
  void ItemLoad(TObject*, TStream* stream, TElTreeItem* item) {
    char mark = 0;
    stream->ReadBuffer(&mark, 1);
    item->SetTag(mark);
  }
  void ItemSave(TObject*, TStream* stream, TElTreeItem*) { stream->WriteBuffer("*", 1); }
};

TEST_F(TreeStreamTest, StylesAndItemsCarryWhatTheirHooksWrite) {
  StyleHooks hooks;
  tree->OnCellStyleSave = TCellStyleSaveEvent(&hooks, &StyleHooks::Save);
  tree->OnItemSave = TItemSaveEvent(&hooks, &StyleHooks::ItemSave);
  TElTreeItem* item = items->AddLastChild(nullptr, L"s");
  item->SetUseStyles(true);
  item->MainStyle()->SetTextColor(0x00ABCDEF);
  item->AddStyle()->SetTextColor(0x00123456);
  const std::string saved = Saved(tree);
  TTestTree* other = TObject::Create<TTestTree>(nullptr);
  other->OnItemLoad = TItemSaveEvent(&hooks, &StyleHooks::ItemLoad);
  try {
    Load(other, saved);
    ADD_FAILURE() << "styles read without their loader";
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find("styles without their loader"), std::string::npos) << e.Message();
  }
  other->OnCellStyleLoad = TCellStyleSaveEvent(&hooks, &StyleHooks::Load);
  Load(other, saved);
  TElTreeItem* loaded = other->Items()->GetItem(0);
  EXPECT_EQ(loaded->MainStyle()->TextColor(), 0x00ABCDEF);
  EXPECT_EQ(loaded->GetStyle(0)->TextColor(), 0x00123456);
  EXPECT_EQ(loaded->Tag(), '*');
  other->Free();
}

TEST_F(TreeStreamTest, AVirtualItemWritesNoTextsAndNoStyles) {
  tree->SetVirtualRaw(vlTextAndStyles);
  TElTreeItem* item = items->AddItem(nullptr);
  EXPECT_FALSE(item->HasStaticData());
  item->SetUseStyles(true);
  const std::string saved = Saved(tree);
  Bytes expected;
  expected.I32(-13).Ansi("").Block(128, {}).I32(-1).Wide(L"").I32(0).B(0).I32(0);
  EXPECT_EQ(saved.substr(153), expected.data.substr(0, 8) + saved.substr(153 + 8, 128) + expected.data.substr(136));
  TTestTree* other = TObject::Create<TTestTree>(nullptr);
  Load(other, saved);
  // The flag follows the styles byte, which said there were none.
  EXPECT_FALSE(other->Items()->GetItem(0)->UseStyles());
  EXPECT_TREE_CONSISTENT(other);
  other->Free();
}

// ---------------------------------------------------------------- forms

class TTreeHolder : public TComponent {
 public:
  explicit TTreeHolder(TComponent* owner) : TComponent(owner), tree(TObject::Create<TTestTree>(nullptr)) {}
  ~TTreeHolder() override { tree->Free(); }
  TElTreeItems* Items() { return tree->Items(); }
  TTestTree* tree;
};

TEST_F(TreeStreamTest, TheItemsTravelInAFormAsTheirDataProperty) {
  static const bool published = [] {
    Publish<TTreeHolder, TComponent>().Property("Items", &TTreeHolder::Items, nullptr);
    return true;
  }();
  (void)published;
  TTreeHolder empty(nullptr);
  empty.SetName("Holder");
  EXPECT_EQ(ComponentToText(&empty).find("Data"), std::string::npos) << "nothing for an empty tree";

  TTreeHolder holder(nullptr);
  holder.SetName("Holder");
  Populate(holder.tree);
  const std::string text = ComponentToText(&holder);
  EXPECT_NE(text.find("Items.Data = {"), std::string::npos) << text;
  TTreeHolder read(nullptr);
  ReadComponentText(text, &read, "TEST");
  EXPECT_EQ(Saved(read.tree), Saved(holder.tree));
  EXPECT_TREE_CONSISTENT(read.tree);
}

}  // namespace
