// The combo box over the system's COMBOBOX: items with and without a
// window, the inner windows seen from their creation, reflected
// notifications, keys from the inner edit, owner drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlsTestSupport.hpp"
#include "StdCtrlsCombo.hpp"

namespace {

// Records the inner windows announced through WM_PARENTNOTIFY while the
// combo box is being created.
class TRecordingCombo : public TComboBox {
 public:
  explicit TRecordingCombo(TComponent* owner) : TComboBox(owner) {}
  std::vector<std::string> Announced;
  std::vector<int> DrawnItems;
  bool DrewEditField = false;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_PARENTNOTIFY && LOWORD(m.WParam) == WM_CREATE) {
      char name[64] = {};
      GetClassNameA(reinterpret_cast<HWND>(m.LParam), name, sizeof name);
      Announced.push_back(name);
    }
    TComboBox::Dispatch(m);
  }

 protected:
  void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override {
    DrawnItems.push_back(index);
    if (state.Contains(odComboBoxEdit)) DrewEditField = true;
    TComboBox::DrawItem(index, rect, state);
  }
};

class ComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(50, 50, 300, 200);
    form->HandleNeeded();
    combo = new TRecordingCombo(form);
    combo->SetBounds(10, 10, 150, 21);
  }
  void TearDown() override { form->Free(); }

 public:
  void Log(TObject*) { events.push_back("change " + combo->Text()); }
  void LogSelect(TObject*) { events.push_back("select " + combo->Text()); }
  void LogKey(TObject*, Word& key, TShiftState) { events.push_back("key " + std::to_string(key)); }
  void SwapChar(TObject*, char& c) {
    if (c == 'x') c = 'y';
  }

  TForm* form = nullptr;
  TRecordingCombo* combo = nullptr;
  std::vector<std::string> events;

 protected:
};

TEST_F(ComboBoxTest, ItemsLiveWithoutAWindowAndSurviveRecreation) {
  TObject marker;
  combo->Items()->Add("one");
  combo->Items()->AddObject("two", &marker);
  combo->SetItemIndex(1);
  EXPECT_FALSE(combo->HandleAllocated());
  combo->SetParent(form);
  ASSERT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "two");

  combo->Items()->Insert(0, "zero");
  combo->SetSorted(true);  // recreates the window, sorted
  EXPECT_EQ(combo->Items()->Text(), "one\r\ntwo\r\nzero\r\n");
  EXPECT_EQ(combo->Items()->Objects(1), &marker);
  EXPECT_EQ(combo->Items()->IndexOf("ZERO"), 2);
  EXPECT_THROW(combo->Items()->Strings(3), EStringListError);
  combo->Items()->Delete(0);
  EXPECT_EQ(combo->Items()->Count(), 2);
  combo->Items()->Clear();
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 0);
}

TEST_F(ComboBoxTest, InnerWindowsAreSeenFromTheirCreation) {
  combo->SetParent(form);
  ASSERT_NE(combo->EditHandle(), nullptr);
  ASSERT_NE(combo->ListHandle(), nullptr);
  EXPECT_EQ(GetParent(combo->EditHandle()), combo->Handle());
  char name[64] = {};
  GetClassNameA(combo->ListHandle(), name, sizeof name);
  EXPECT_STREQ(name, "ComboLBox");
  ASSERT_GE(combo->Announced.size(), 2u);
  EXPECT_NE(std::find(combo->Announced.begin(), combo->Announced.end(), "Edit"), combo->Announced.end());

  combo->Announced.clear();
  combo->SetStyle(csDropDownList);
  EXPECT_EQ(combo->EditHandle(), nullptr);
  EXPECT_NE(combo->ListHandle(), nullptr);
}

TEST_F(ComboBoxTest, KeysInTheEditReachTheComboBoxFirst) {
  combo->SetParent(form);
  combo->Items()->Add("alpha");
  combo->Items()->Add("beta");
  combo->OnKeyDown = TKeyEvent(this, &ComboBoxTest::LogKey);
  combo->OnKeyPress = TKeyPressEvent(this, &ComboBoxTest::SwapChar);
  combo->OnSelect = TNotifyEvent(this, &ComboBoxTest::LogSelect);
  combo->OnChange = TNotifyEvent(this, &ComboBoxTest::Log);
  HWND edit = combo->EditHandle();
  SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0], "key " + std::to_string(VK_DOWN));
  EXPECT_EQ(events[1], "select alpha") << "the text follows the selection before the event";
  events.clear();
  SendMessageA(combo->Handle(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SetWindowTextA(edit, "");
  SendMessageA(edit, WM_CHAR, 'x', 0);
  EXPECT_EQ(combo->Text(), "y");
  EXPECT_EQ(events, std::vector<std::string>{"change y"});
}

TEST_F(ComboBoxTest, OwnerDrawnItemsAreMeasuredAndDrawnThroughReflection) {
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetItemHeight(24);
  combo->Items()->Add("first");
  combo->SetItemIndex(0);
  combo->SetParent(form);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 24);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 60);
  HGDIOBJ old = SelectObject(mem, bmp);
  ReleaseDC(nullptr, screen);
  ShowWindow(form->Handle(), SW_SHOWNA);
  combo->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  EXPECT_TRUE(combo->DrewEditField);
  ASSERT_FALSE(combo->DrawnItems.empty());
  EXPECT_EQ(combo->DrawnItems[0], 0);
}

TEST_F(ComboBoxTest, VariableHeightsComeFromTheMeasureEvent) {
  struct Measure {
    std::vector<int> asked;
    void Item(TWinControl*, int index, int& height) {
      asked.push_back(index);
      height = 10 + 5 * index;
    }
  } measure;
  // A sibling made first: the measuring request names the combo box by its
  // control ID alone.
  auto* sibling = new TMemo(form);
  sibling->SetParent(form);
  combo->SetStyle(csOwnerDrawVariable);
  combo->OnMeasureItem = TMeasureItemEvent(&measure, &Measure::Item);
  combo->SetParent(form);
  combo->Items()->Add("a");
  combo->Items()->Add("b");
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 1, 0), 15);
  EXPECT_NE(std::find(measure.asked.begin(), measure.asked.end(), 1), measure.asked.end());
}

}  // namespace
