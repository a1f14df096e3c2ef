// The tree in a form file: its defaults are not written, changed settings
// and the items come back, and the parts are there from construction.
#include <gtest/gtest.h>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"
#include "Streaming.hpp"

namespace {

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

}  // namespace
