// Controls declared outside the library, published on top of the library's
// control tables, read from form text with the properties they inherit.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"
#include "Menus.hpp"

namespace {

// Shaped like a kit picture control: a custom control adding one property.
class TTestPicture : public TCustomControl {
 public:
  explicit TTestPicture(TComponent* owner) : TCustomControl(owner) {}
  int Frames() const { return frames_; }
  void SetFrames(int v) { frames_ = v; }

 private:
  int frames_ = 1;
};

// Shaped like an HTML label: a label adding one property.
class TTestLinkLabel : public TCustomLabel {
 public:
  explicit TTestLinkLabel(TComponent* owner) : TCustomLabel(owner) {}
  int LinkColor() const { return linkColor_; }
  void SetLinkColor(int v) { linkColor_ = v; }

 private:
  int linkColor_ = 0;
};

class TCustomStreamForm : public TForm {
 public:
  explicit TCustomStreamForm(TComponent* owner) : TForm(owner) {}
  TTestPicture* Picture1 = nullptr;
  TTestLinkLabel* Link1 = nullptr;
  TPopupMenu* Menu1 = nullptr;
  int clicks = 0;
  int popups = 0;
  void PictureClick(TObject*) { ++clicks; }
  void LinkPopup(TObject*, POINT, bool& handled) {
    ++popups;
    handled = true;
  }
  std::vector<std::string> heard;
  void PictureStartDrag(TObject*, TDragObject*&) { heard.push_back("start"); }
  void PictureDragOver(TObject*, TObject*, int, int, TDragState, bool&) { heard.push_back("over"); }
  void PictureWheelDown(TObject*, TShiftState, POINT, bool&) { heard.push_back("wheel down"); }
};

void PublishCustomClasses() {
  Publish<TTestPicture, TCustomControl>().Property("Frames", &TTestPicture::Frames, &TTestPicture::SetFrames, 1);
  Publish<TTestLinkLabel, TCustomLabel>().Property("LinkColor", &TTestLinkLabel::LinkColor,
                                                   &TTestLinkLabel::SetLinkColor, 0);
  Publish<TCustomStreamForm, TForm>()
      .Field("Picture1", &TCustomStreamForm::Picture1)
      .Field("Link1", &TCustomStreamForm::Link1)
      .Field("Menu1", &TCustomStreamForm::Menu1)
      .Method("PictureClick", &TCustomStreamForm::PictureClick)
      .Method("LinkPopup", &TCustomStreamForm::LinkPopup)
      .Method("PictureStartDrag", &TCustomStreamForm::PictureStartDrag)
      .Method("PictureDragOver", &TCustomStreamForm::PictureDragOver)
      .Method("PictureWheelDown", &TCustomStreamForm::PictureWheelDown);
}

class CustomStreaming : public ::testing::Test {
 protected:
  void SetUp() override {
    PublishCustomClasses();
    form = TObject::Create<TCustomStreamForm>(Application);
  }
  void TearDown() override { form->Free(); }
  TCustomStreamForm* form = nullptr;
};

TEST_F(CustomStreaming, ACustomControlReadsWhatControlsAndWindowedControlsPublish) {
  TTestPicture* p = form->Picture1;
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Parent(), form);
  EXPECT_EQ(p->Frames(), 3);
  EXPECT_EQ(p->BoundsRect().left, 12);
  EXPECT_EQ(p->BoundsRect().bottom, 64);
  EXPECT_EQ(p->Anchors(), (TAnchors{akLeft, akBottom}));
  EXPECT_EQ(p->Cursor(), crHandPoint);
  EXPECT_EQ(p->Hint(), "Picture|Long picture hint");
  EXPECT_FALSE(p->ParentFont());
  EXPECT_EQ(p->Font()->Height(), -15);
  EXPECT_EQ(p->Font()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(p->PopupMenu(), form->Menu1);
  EXPECT_TRUE(p->TabStop());
  EXPECT_EQ(p->BevelKind(), bkFlat);
  // Inherited from the form: ShowHint through ParentShowHint.
  EXPECT_TRUE(p->ShowHint());
  p->Click();
  EXPECT_EQ(form->clicks, 1);
}

TEST_F(CustomStreaming, ACustomLabelReadsWhatLabelsAndControlsPublish) {
  TTestLinkLabel* l = form->Link1;
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->LinkColor(), 255);
  EXPECT_EQ(l->Align(), alTop);
  EXPECT_EQ(l->Width(), 300);  // aligned to the top of the form
  EXPECT_EQ(l->Alignment(), taCenter);
  EXPECT_EQ(l->Layout(), tlCenter);
  EXPECT_TRUE(l->WordWrap());
  EXPECT_TRUE(l->Transparent());
  EXPECT_EQ(l->FocusControl(), form->Picture1);
  EXPECT_EQ(l->Caption(), "Link");
  EXPECT_EQ(l->Color(), clYellow);
  EXPECT_FALSE(l->ShowHint());
  bool handled = false;
  l->OnContextPopup(l, POINT{0, 0}, handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(form->popups, 1);
}

TEST_F(CustomStreaming, WrittenTextCarriesInheritedAndOwnPropertiesButNotDefaults) {
  std::string text = ComponentToText(form);
  EXPECT_NE(text.find("Frames = 3"), std::string::npos) << text;
  EXPECT_NE(text.find("LinkColor = 255"), std::string::npos) << text;
  EXPECT_NE(text.find("Alignment = taCenter"), std::string::npos) << text;
  EXPECT_NE(text.find("Cursor = crHandPoint"), std::string::npos) << text;
  EXPECT_NE(text.find("OnClick = PictureClick"), std::string::npos) << text;
  // Defaults of the inherited tables are left out.
  EXPECT_EQ(text.find("Visible = True"), std::string::npos) << text;
  EXPECT_EQ(text.find("BevelWidth"), std::string::npos) << text;
  // What was written reads back into a form of its own.
  auto* copy = new TCustomStreamForm(nullptr);
  ReadComponentText(text, copy, "written");
  ASSERT_NE(copy->Picture1, nullptr);
  EXPECT_EQ(copy->Picture1->Frames(), 3);
  EXPECT_EQ(copy->Picture1->Cursor(), crHandPoint);
  EXPECT_EQ(copy->Link1->Alignment(), taCenter);
  copy->Free();
}

TEST_F(CustomStreaming, DragAndWheelPropertiesAndEventsBindFromFormText) {
  auto* copy = new TCustomStreamForm(nullptr);
  ReadComponentText(
      "object CustomStreamForm: TCustomStreamForm\n"
      "  object Picture1: TTestPicture\n"
      "    DragMode = dmAutomatic\n"
      "    DragCursor = crMultiDrag\n"
      "    OnStartDrag = PictureStartDrag\n"
      "    OnDragOver = PictureDragOver\n"
      "    OnMouseWheelDown = PictureWheelDown\n"
      "  end\n"
      "end\n",
      copy, "drag");
  TTestPicture* p = copy->Picture1;
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->DragMode(), dmAutomatic);
  EXPECT_EQ(p->DragCursor(), crMultiDrag);
  TDragObject* object = nullptr;
  bool accept = false;
  p->OnStartDrag(p, object);
  p->OnDragOver(p, p, 0, 0, dsDragMove, accept);
  p->OnMouseWheelDown(p, TShiftState{}, POINT{}, accept);
  EXPECT_EQ(copy->heard, (std::vector<std::string>{"start", "over", "wheel down"}));
  std::string text = ComponentToText(copy);
  EXPECT_NE(text.find("DragMode = dmAutomatic"), std::string::npos) << text;
  EXPECT_NE(text.find("OnStartDrag = PictureStartDrag"), std::string::npos) << text;
  copy->Free();
}

TEST(ControlTables, EachControlClassInheritsItsBaseClassTable) {
  auto has = [](TClass cls, const char* name) {
    const TClassInfo* info = ClassInfoOfClass(cls);
    return info && info->FindProperty(name) != nullptr;
  };
  // Windowed properties stop at windowed classes; label properties at labels.
  EXPECT_TRUE(has(ClassOf<TCustomControl>(), "Anchors"));
  EXPECT_TRUE(has(ClassOf<TCustomControl>(), "TabOrder"));
  EXPECT_TRUE(has(ClassOf<TGraphicControl>(), "Cursor"));
  EXPECT_FALSE(has(ClassOf<TGraphicControl>(), "TabOrder"));
  EXPECT_TRUE(has(ClassOf<TLabel>(), "Alignment"));
  EXPECT_FALSE(has(ClassOf<TImage>(), "Alignment"));
  EXPECT_TRUE(has(ClassOf<TMemo>(), "Lines"));
  EXPECT_TRUE(has(ClassOf<TForm>(), "BorderStyle"));
  EXPECT_TRUE(has(ClassOf<TForm>(), "Hint"));
}

}  // namespace
