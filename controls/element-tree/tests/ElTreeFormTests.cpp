// The tree in a form file: its defaults are not written, changed settings
// and the items come back, and the parts are there from construction.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElImgFrm.hpp"
#include "ElIni.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"
#include "Menus.hpp"
#include "Streaming.hpp"

// A form that hands the tree an event handler by name.
class TTreeHostForm : public TForm {
 public:
  explicit TTreeHostForm(TComponent* owner) : TForm(owner, 0) {}
  void SortBegan(TObject*) { ++sortBegins; }
  int sortBegins = 0;
};

namespace {

TTreeHostForm* NewHostForm(TComponent* owner) {
  static const bool published = [] {
    Publish<TTreeHostForm, TForm>().Method("SortBegan", &TTreeHostForm::SortBegan);
    return true;
  }();
  (void)published;
  return new TTreeHostForm(owner);
}

class TreeForm : public eltest::WindowTest {};

TEST_F(TreeForm, DefaultsStayOutOfTheFormAndChangedSettingsComeBack) {
  auto* holder = new TForm(Owner(), 0);
  auto* tree = TObject::Create<TElTree>(holder);
  tree->SetName("storage_tree");
  tree->SetParent(holder);
  // The parts the frame owns from the start.
  ASSERT_NE(tree->Header(), nullptr);
  ASSERT_NE(tree->HScrollBar(), nullptr);
  ASSERT_NE(tree->VScrollBar(), nullptr);
  EXPECT_EQ(tree->VScrollBar()->Kind(), sbVertical);
  EXPECT_TRUE(tree->DoubleBuffered());
  const std::string plain = ComponentToText(holder);
  for (const char* name : {"ItemIndent", "ChangeDelay", "MultiSelect", "ShowButtons", "LineHintMode", "BkColor"})
    EXPECT_EQ(plain.find(std::string(name) + " ="), std::string::npos) << name;

  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(41);
  tree->SetMultiSelect(false);
  tree->SetShowLines(false);
  tree->SetItemIndent(23);
  tree->SetLineHintMode(shmAll);
  tree->SetBkColor(clBtnFace);
  tree->SetOwnerDrawMask(L"*owner*");
  TElTreeItem* top = tree->Items()->AddLastChild(nullptr, L"Папка");
  tree->Items()->AddLastChild(top, L"child");
  const std::string text = ComponentToText(holder);

  auto* copy = new TForm(Owner(), 0);
  ReadComponentText(text, copy, "tree form");
  auto* read = dynamic_cast<TElTree*>(copy->FindComponent("storage_tree"));
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read->AutoLineHeight());
  EXPECT_EQ(read->LineHeight(), 41) << "a streamed height without the rule stays";
  EXPECT_FALSE(read->MultiSelect());
  EXPECT_FALSE(read->ShowLines());
  EXPECT_EQ(read->ItemIndent(), 23);
  EXPECT_EQ(read->LineHintMode(), shmAll);
  EXPECT_EQ(read->BkColor(), clBtnFace);
  EXPECT_EQ(read->OwnerDrawMask(), L"*owner*");
  EXPECT_EQ(read->ChangeDelay(), 500);
  ASSERT_EQ(read->Items()->Count(), 2);
  EXPECT_EQ(read->Items()->GetItem(0)->Text(), L"Папка");
  EXPECT_EQ(read->Items()->GetItem(1)->Parent(), read->Items()->GetItem(0));
}

// Every setting below is written, read back, and reaches the part that
// holds it; none of them is written while it has its default.
TEST_F(TreeForm, HeaderFramePicturesSortingAndEventsComeBackFromTheForm) {
  TTreeHostForm* holder = NewHostForm(Owner());
  auto* menu = new TPopupMenu(holder);
  menu->SetName("menu");
  (new TElIniFile(holder))->SetName("ini");
  (new TElImageForm(holder))->SetName("imageForm");
  auto* tree = TObject::Create<TElTree>(holder);
  tree->SetName("tree");
  tree->SetParent(holder);
  const std::string plain = ComponentToText(holder);

  auto picture = [](TBitmap* b, int size, TColor color) {
    b->SetSize(size, size);
    b->Canvas()->Brush()->SetColor(color);
    b->Canvas()->FillRect(TRect{0, 0, size, size});
  };
  struct Row {
    const char* name;
    std::function<void(TElTree*, TForm*)> change;
    std::function<bool(TElTree*, TForm*)> check;
  };
  const std::vector<Row> rows = {
      {"HeaderSections",
       [&](TElTree* t, TForm*) {
         for (const wchar_t* text : {L"Имя", L"Размер"}) t->HeaderSections()->AddSection()->SetText(text);
         t->HeaderSections()->GetSectionAt(0)->SetPopupMenu(menu);
         t->SetShowColumns(true);
       },
       [](TElTree* t, TForm* f) {
         // The header's own Loaded finds the section's menu on the new form.
         return t->HeaderSections()->Count() == 2 && t->ShowColumns() &&
                t->HeaderSections()->GetSectionAt(1)->Text() == L"Размер" &&
                t->HeaderSections()->GetSectionAt(0)->PopupMenu() == f->FindComponent("menu");
       }},
      {"HeaderHeight",
       [](TElTree* t, TForm*) {
         t->SetLockHeaderHeight(true);
         t->SetHeaderHeight(31);
       },
       [](TElTree* t, TForm*) { return t->HeaderHeight() == 31 && t->Header()->LockHeight(); }},
      {"HeaderFont",
       [](TElTree* t, TForm*) {
         t->SetHeaderUseTreeFont(false);
         t->HeaderFont()->SetHeight(-15);
       },
       [](TElTree* t, TForm*) {
         return !t->HeaderUseTreeFont() && t->HeaderFont()->Height() == -15 && t->Header()->Font()->Height() == -15;
       }},
      {"HeaderColor", [](TElTree* t, TForm*) { t->SetHeaderColor(clInfoBk); },
       [](TElTree* t, TForm*) { return t->Header()->Color() == clInfoBk; }},
      {"HeaderHotTrack", [](TElTree* t, TForm*) { t->SetHeaderHotTrack(false); },
       [](TElTree* t, TForm*) { return !t->HeaderHotTrack() && !t->Header()->Tracking(); }},
      {"HeaderPopupMenu", [&](TElTree* t, TForm*) { t->SetHeaderPopupMenu(menu); },
       [](TElTree* t, TForm* f) { return t->Header()->PopupMenu() == f->FindComponent("menu"); }},
      // A picture type read before its picture keeps its type.
      {"Background",
       [&](TElTree* t, TForm*) {
         picture(t->Background(), 4, clRed);
         t->SetBackgroundType(bgtTileBitmap);
       },
       [](TElTree* t, TForm*) { return t->Background()->Width() == 4 && t->BackgroundType() == bgtTileBitmap; }},
      {"PlusPicture", [&](TElTree* t, TForm*) { picture(t->PlusPicture(), 9, clBlue); },
       [](TElTree* t, TForm*) { return t->PlusPicture()->Width() == 9; }},
      {"BorderStyle", [](TElTree* t, TForm*) { t->SetBorderStyle(bsNone); },
       [](TElTree* t, TForm*) { return t->BorderStyle() == bsNone; }},
      {"BorderSides", [](TElTree* t, TForm*) { t->SetBorderSides(TElBorderSides{ebsLeft, ebsTop}); },
       [](TElTree* t, TForm*) { return t->BorderSides() == TElBorderSides{ebsLeft, ebsTop}; }},
      {"RightAlignedText", [](TElTree* t, TForm*) { t->SetRightAlignedText(true); },
       [](TElTree* t, TForm*) { return t->RightAlignedText(); }},
      {"ImageForm", [](TElTree* t, TForm* f) { t->SetImageForm(static_cast<TElImageForm*>(f->FindComponent("imageForm"))); },
       [](TElTree* t, TForm* f) { return t->ImageForm() == f->FindComponent("imageForm"); }},
      {"Storage", [](TElTree* t, TForm* f) { t->SetStorage(static_cast<TElIniFile*>(f->FindComponent("ini"))); },
       [](TElTree* t, TForm* f) { return t->Storage() == f->FindComponent("ini"); }},
      {"MainTextType", [](TElTree* t, TForm*) { t->SetMainTextType(sftNumber); },
       [](TElTree* t, TForm*) { return t->MainTextType() == sftNumber; }},
      {"SortMode", [](TElTree* t, TForm*) { t->SetSortMode(smClick); },
       [](TElTree* t, TForm*) { return t->SortMode() == smClick; }},
      {"SortType", [](TElTree* t, TForm*) { t->SetSortType(stNumber); },
       [](TElTree* t, TForm*) { return t->SortType() == stNumber; }},
      {"StripedOddColor",
       [](TElTree* t, TForm*) {
         t->SetStripedItems(true);
         t->SetStripedOddColor(clYellow);
       },
       [](TElTree* t, TForm*) { return t->StripedItems() && t->StripedOddColor() == clYellow; }},
      {"LinkStyle", [](TElTree* t, TForm*) { t->SetLinkStyle(TFontStyles{fsBold}); },
       [](TElTree* t, TForm*) { return t->LinkStyle() == TFontStyles{fsBold}; }},
      {"UseXPThemes", [](TElTree* t, TForm*) { t->SetUseXPThemes(false); },
       [](TElTree* t, TForm*) { return !t->UseXPThemes() && !t->VScrollBar()->UseXPThemes(); }},
      {"DoubleBuffered", [](TElTree* t, TForm*) { t->SetDoubleBuffered(false); },
       [](TElTree* t, TForm*) { return !t->DoubleBuffered(); }},
      {"Hint", [](TElTree* t, TForm*) { t->SetHint(L"Дерево папок"); },
       [](TElTree* t, TForm*) { return t->Hint() == L"Дерево папок"; }},
      {"OnSortBegin", [](TElTree* t, TForm* f) { t->OnSortBegin = TNotifyEvent(static_cast<TTreeHostForm*>(f), &TTreeHostForm::SortBegan); },
       [](TElTree* t, TForm* f) {
         t->Sort(false);
         return static_cast<TTreeHostForm*>(f)->sortBegins == 1;
       }},
  };
  // A property's line, or its sub-properties' lines.
  auto written = [](const std::string& form, const char* name) {
    return form.find(std::string(" ") + name + " =") != std::string::npos ||
           form.find(std::string(" ") + name + ".") != std::string::npos;
  };
  for (const Row& row : rows) {
    // The sections' data and the header height have no default.
    const bool always = std::string(row.name) == "HeaderSections" || std::string(row.name) == "HeaderHeight";
    EXPECT_EQ(written(plain, row.name), always) << row.name;
    row.change(tree, holder);
  }
  const std::string text = ComponentToText(holder);
  EXPECT_FALSE(written(text, "MinusPicture")) << "a picture never read is not made by writing";

  TTreeHostForm* copy = NewHostForm(Owner());
  ReadComponentText(text, copy, "tree form");
  auto* read = dynamic_cast<TElTree*>(copy->FindComponent("tree"));
  ASSERT_NE(read, nullptr);
  for (const Row& row : rows) {
    EXPECT_TRUE(written(text, row.name)) << row.name << " not written";
    EXPECT_TRUE(row.check(read, copy)) << row.name;
  }
}

// The bars' own Loaded runs too: a streamed width gives way to the system's
// while the bar follows the system's metrics.
TEST_F(TreeForm, TheBarsTakeTheSystemWidthAgainWhenTheFormIsRead) {
  auto* holder = new TForm(Owner(), 0);
  auto* tree = TObject::Create<TElTree>(holder);
  tree->SetName("tree");
  tree->SetParent(holder);
  // Outside a read the system's width wins at once.
  tree->VertScrollBarStyles()->SetWidth(40);
  const int system = tree->VScrollBar()->Width();
  ASSERT_NE(system, 40);
  std::string text = ComponentToText(holder);
  const std::string key = "VertScrollBarStyles.Width = ";
  const size_t at = text.find(key);
  ASSERT_NE(at, std::string::npos);
  text.replace(at + key.size(), text.find('\n', at) - at - key.size(), "40");

  auto* copy = new TForm(Owner(), 0);
  ReadComponentText(text, copy, "tree form");
  auto* read = dynamic_cast<TElTree*>(copy->FindComponent("tree"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->VScrollBar()->Width(), system);
}

}  // namespace
