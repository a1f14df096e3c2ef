#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "Streaming.hpp"
#include "WinApi.hpp"

namespace {

// ---------------------------------------------------------------------------
// Small classes shaped like controls and forms.

enum TTestAlign { xaNone, xaTop, xaClient };
enum TTestStyle { xsBold, xsItalic, xsUnderline };
using TTestStyles = TSet<TTestStyle>;

bool ColourToInt(const std::string& ident, Int64& value) {
  if (SameText(ident, "clRed")) value = 0x0000FF;
  else if (SameText(ident, "clBtnFace")) value = static_cast<std::int32_t>(0x8000000F);
  else return false;
  return true;
}
bool IntToColour(Int64 value, std::string& ident) {
  if (value == 0x0000FF) ident = "clRed";
  else if (value == static_cast<std::int32_t>(0x8000000F)) ident = "clBtnFace";
  else return false;
  return true;
}
const TIdentMapper kColours{ColourToInt, IntToColour};

class TTestFont : public TPersistent {
 public:
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }
  TTestStyles Style() const { return style_; }
  void SetStyle(TTestStyles v) { style_ = v; }
  int Color() const { return color_; }
  void SetColor(int v) { color_ = v; }

 private:
  std::string name_ = "Tahoma";
  int size_ = 8;
  TTestStyles style_;
  int color_ = 0;
};

// A wide string list that stores itself as "Strings": wide strings written,
// wide, long and short strings read (value byte's low 7 bits).
class TTestStrings : public TPersistent {
 public:
  std::vector<WideString> Items;

  void DefineProperties(TFiler* filer) override {
    filer->DefineProperty(
        "Strings", [this](TReader* r) { ReadData(r); }, [this](TWriter* w) { WriteData(w); },
        !Items.empty() || filer->Ancestor());
  }

 private:
  void ReadData(TReader* reader) {
    reader->ReadListBegin();
    Items.clear();
    while (!reader->EndOfList()) {
      switch (reader->NextValue() & 0x7F) {
        case vaWString: Items.push_back(reader->ReadWideString()); break;
        case vaLString: case vaString: Items.push_back(reader->ReadWideString()); break;
        default: throw EReadError("Error while reading wide strings list");
      }
    }
    reader->ReadListEnd();
  }
  void WriteData(TWriter* writer) {
    writer->WriteListBegin();
    for (const WideString& s : Items) writer->WriteWideString(s);
    writer->WriteListEnd();
  }
};

class TTestControl : public TComponent {
 public:
  explicit TTestControl(TComponent* owner) : TComponent(owner) {}

  int Left() const { return left_; }
  void SetLeft(int v) {
    if (v < -10000) throw std::out_of_range("left edge too far out");
    left_ = v;
  }
  int Width() const { return width_; }
  void SetWidth(int v) {
    width_ = v;
    stateAtSet = ComponentState();
  }
  Byte Opacity() const { return opacity_; }
  void SetOpacity(Byte v) { opacity_ = v; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  const WideString& WideCaption() const { return wideCaption_; }
  void SetWideCaption(const WideString& v) { wideCaption_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  TTestAlign Align() const { return align_; }
  void SetAlign(TTestAlign v) { align_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  int Color() const { return color_; }
  void SetColor(int v) { color_ = v; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }
  bool IsHintStored() const { return showHint_; }
  TTestFont* Font() const { return font_.get(); }
  TTestStrings* Lines() const { return lines_.get(); }
  TStringList* Items() const { return items_.get(); }
  TTestControl* Buddy() const { return buddy_; }
  void SetBuddy(TTestControl* v) { buddy_ = v; }

  TNotifyEvent OnClick;
  TEvent<int> OnCount;
  std::string Data;  // stored as a binary property
  TComponent* Parent = nullptr;
  TComponentState stateAtSet;
  int loadedCalls = 0;
  bool buddyKnownAtLoaded = false;
  bool loadingAtLoaded = false;

  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "Data",
        [this](TStream* s) {
          Data.assign(static_cast<size_t>(s->Size()), '\0');
          if (!Data.empty()) s->Read(Data.data(), static_cast<std::int32_t>(Data.size()));
        },
        [this](TStream* s) { s->Write(Data.data(), static_cast<std::int32_t>(Data.size())); },
        !Data.empty());
  }
  void Loaded() override {
    TComponent::Loaded();
    ++loadedCalls;
    buddyKnownAtLoaded = buddy_ != nullptr;
    loadingAtLoaded = true;
  }

 private:
  int left_ = 0;
  int width_ = 0;
  Byte opacity_ = 255;
  std::string caption_;
  WideString wideCaption_;
  bool visible_ = true;
  TTestAlign align_ = xaNone;
  double ratio_ = 0;
  int color_ = static_cast<std::int32_t>(0x8000000F);
  std::string hint_;
  bool showHint_ = false;
  std::unique_ptr<TTestFont> font_ = std::make_unique<TTestFont>();
  std::unique_ptr<TTestStrings> lines_ = std::make_unique<TTestStrings>();
  std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
  TTestControl* buddy_ = nullptr;
};

class TTestPanel : public TTestControl {
 public:
  using TTestControl::TTestControl;
};

// A class that publishes nothing and was never registered.
class TUnregistered : public TTestControl {
 public:
  using TTestControl::TTestControl;
};

class TTestForm : public TTestControl {
 public:
  TTestForm() : TTestControl(nullptr) {}
  TTestControl* Label1 = nullptr;
  TTestPanel* Panel1 = nullptr;
  std::vector<std::string> clicks;
  void Label1Click(TObject* sender) { clicks.push_back("Label1Click:" + static_cast<TComponent*>(sender)->Name()); }
  void PanelClick(TObject*) { clicks.push_back("PanelClick"); }
  void Counted(int) {}
};

class TDerivedForm : public TTestForm {
 public:
  TTestControl* Extra1 = nullptr;
  void ExtraClick(TObject*) { clicks.push_back("ExtraClick"); }
};

void PublishTestClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterEnumNames<TTestAlign>({"xaNone", "xaTop", "xaClient"});
  RegisterEnumNames<TTestStyle>({"xsBold", "xsItalic", "xsUnderline"});
  Publish<TTestFont, TPersistent>()
      .Property("Name", &TTestFont::Name, &TTestFont::SetName, std::string("Tahoma"))
      .Property("Size", &TTestFont::Size, &TTestFont::SetSize, 8)
      .Property("Style", &TTestFont::Style, &TTestFont::SetStyle, TTestStyles{})
      .Property("Color", &TTestFont::Color, &TTestFont::SetColor, 0).Idents(&kColours);
  Publish<TTestStrings, TPersistent>();
  Publish<TTestControl, TComponent>()
      .Property("Left", &TTestControl::Left, &TTestControl::SetLeft, 0)
      .Property("Width", &TTestControl::Width, &TTestControl::SetWidth)
      .Property("Opacity", &TTestControl::Opacity, &TTestControl::SetOpacity, Byte(255))
      .Property("Caption", &TTestControl::Caption, &TTestControl::SetCaption)
      .Property("WideCaption", &TTestControl::WideCaption, &TTestControl::SetWideCaption)
      .Property("Visible", &TTestControl::Visible, &TTestControl::SetVisible, true)
      .Property("Align", &TTestControl::Align, &TTestControl::SetAlign, xaNone)
      .Property("Ratio", &TTestControl::Ratio, &TTestControl::SetRatio)
      .Property("Color", &TTestControl::Color, &TTestControl::SetColor, static_cast<int>(0x8000000F)).Idents(&kColours)
      .Property("Hint", &TTestControl::Hint, &TTestControl::SetHint).Stored(&TTestControl::IsHintStored)
      .Property("ShowHint", &TTestControl::ShowHint, &TTestControl::SetShowHint, false)
      .Property("Font", &TTestControl::Font, nullptr)
      .Property("Lines", &TTestControl::Lines, nullptr)
      .Property("Items", &TTestControl::Items, nullptr)
      .Property("Buddy", &TTestControl::Buddy, &TTestControl::SetBuddy)
      .Property("OnClick", [](TTestControl* c) { return c->OnClick; },
                [](TTestControl* c, const TNotifyEvent& e) { c->OnClick = e; })
      .Property("OnCount", [](TTestControl* c) { return c->OnCount; },
                [](TTestControl* c, const TEvent<int>& e) { c->OnCount = e; });
  Publish<TTestPanel, TTestControl>();
  Publish<TTestForm, TTestControl>()
      .Field("Label1", &TTestForm::Label1)
      .Field("Panel1", &TTestForm::Panel1)
      .Method("Label1Click", &TTestForm::Label1Click)
      .Method("PanelClick", &TTestForm::PanelClick)
      .Method("Counted", &TTestForm::Counted);
  Publish<TDerivedForm, TTestForm>()
      .Field("Extra1", &TDerivedForm::Extra1)
      .Method("ExtraClick", &TDerivedForm::ExtraClick);
}

class Streaming : public ::testing::Test {
 protected:
  void SetUp() override {
    PublishTestClasses();
    StreamingHooks().SetParentComponent = [](TComponent* child, TComponent* parent) {
      if (auto* c = dynamic_cast<TTestControl*>(child)) c->Parent = parent;
    };
    StreamingHooks().GetParentComponent = [](TComponent* child) -> TComponent* {
      auto* c = dynamic_cast<TTestControl*>(child);
      return c ? c->Parent : nullptr;
    };
  }
  void TearDown() override { StreamingHooks() = {}; }

  // The message of the exception of class E that reading the text raises.
  template <class E, class F = TTestForm>
  std::string ReadError(const std::string& text) {
    F form;
    try {
      ReadComponentText(text, &form, "TEST");
    } catch (E& e) {
      return e.Message();
    } catch (Exception& e) {
      return "wrong class: " + e.Message();
    }
    return "no error";
  }
};

TTestControl* Find(TComponent* root, const char* name) {
  return dynamic_cast<TTestControl*>(root->FindComponent(name));
}

// ---------------------------------------------------------------------------
// Reading valid forms

const char kMainForm[] =
    "object MainForm: TTestForm\r\n"
    "  Left = -12\r\n"
    "  Width = $1F\r\n"
    "  Caption = 'It''s '#65'B'#13#10 +\r\n"
    "    'continued'\r\n"
    "  Color = clBtnFace\r\n"
    "  Hint = #1040#1041'x'#$41\r\n"
    "  Font.Name = 'Courier'\r\n"
    "  Font.Style = [xsBold, xsUnderline]\r\n"
    "  Font.Color = clRed\r\n"
    "  object Panel1: TTestPanel\r\n"
    "    Align = xaClient\r\n"
    "    Ratio = 1.25\r\n"
    "    Buddy = Label1\r\n"
    "    OnClick = PanelClick\r\n"
    "    Tag = 5\r\n"
    "    Items.Strings = (\r\n"
    "      'x'\r\n"
    "      #1040'y')\r\n"
    "    object Label1: TTestControl\r\n"
    "      Width = 100\r\n"
    "      Visible = False\r\n"
    "      WideCaption = 'A'#1055#1088'!'\r\n"
    "      Color = 255\r\n"
    "      OnClick = Label1Click\r\n"
    "      Lines.Strings = (\r\n"
    "        'first'\r\n"
    "        #1055#1088\r\n"
    "        '')\r\n"
    "      Data = {\r\n"
    "        00FF10\r\n"
    "        ab}\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(Streaming, ReadsPropertiesOfEveryKind) {
  TTestForm form;
  ReadComponentText(kMainForm, &form, "TEST");
  EXPECT_EQ(form.Name(), "MainForm");
  EXPECT_EQ(form.Left(), -12);
  EXPECT_EQ(form.Width(), 31);
  EXPECT_EQ(form.Caption(), "It's AB\r\ncontinued");
  EXPECT_EQ(form.Color(), static_cast<std::int32_t>(0x8000000F));
  EXPECT_EQ(form.Hint(), "\xC0\xC1xA");  // codes converted to code page 1251
  EXPECT_EQ(form.Font()->Name(), "Courier");
  EXPECT_EQ(form.Font()->Style(), (TTestStyles{xsBold, xsUnderline}));
  EXPECT_EQ(form.Font()->Color(), 0xFF);
  EXPECT_EQ(form.Font()->Size(), 8);  // not stored: the starting value stays

  TTestPanel* panel = form.Panel1;
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Align(), xaClient);
  EXPECT_DOUBLE_EQ(panel->Ratio(), 1.25);
  EXPECT_EQ(panel->Tag(), 5);
  // The core's string list, through the externally defined "Strings".
  ASSERT_EQ(panel->Items()->Count(), 2);
  EXPECT_EQ(panel->Items()->Strings(0), "x");
  EXPECT_EQ(panel->Items()->Strings(1), "\xC0y");

  TTestControl* label = form.Label1;
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Width(), 100);
  EXPECT_FALSE(label->Visible());
  EXPECT_EQ(label->WideCaption(), L"A\u041F\u0440!");
  EXPECT_EQ(label->Color(), 255);
  EXPECT_EQ(label->Lines()->Items, (std::vector<WideString>{L"first", L"\u041F\u0440", L""}));
  EXPECT_EQ(label->Data, std::string("\x00\xFF\x10\xAB", 4));
}

TEST_F(Streaming, NestedObjectsAreOwnedByTheRootAndParentedToTheEnclosingObject) {
  TTestForm form;
  ReadComponentText(kMainForm, &form, "TEST");
  ASSERT_EQ(form.ComponentCount(), 2);
  EXPECT_EQ(form.Panel1->Owner(), &form);
  EXPECT_EQ(form.Label1->Owner(), &form);
  EXPECT_EQ(form.Panel1->Parent, &form);
  EXPECT_EQ(form.Label1->Parent, form.Panel1);
  EXPECT_EQ(form.Label1, Find(&form, "Label1"));
}

TEST_F(Streaming, ReferencesAndEventsAreBoundByName) {
  TTestForm form;
  ReadComponentText(kMainForm, &form, "TEST");
  // Buddy names a component that comes later in the text.
  EXPECT_EQ(form.Panel1->Buddy(), form.Label1);
  ASSERT_TRUE(form.Label1->OnClick.Assigned());
  form.Label1->OnClick(form.Label1);
  form.Panel1->OnClick(form.Panel1);
  EXPECT_EQ(form.clicks, (std::vector<std::string>{"Label1Click:Label1", "PanelClick"}));
}

TEST_F(Streaming, LoadingStateAndLoadedAfterTheWholeForm) {
  TTestForm form;
  ReadComponentText(kMainForm, &form, "TEST");
  // Properties are set while csLoading and csReading are on.
  EXPECT_TRUE(form.Label1->stateAtSet.Contains(csLoading));
  EXPECT_TRUE(form.Label1->stateAtSet.Contains(csReading));
  for (TTestControl* c : {static_cast<TTestControl*>(&form), static_cast<TTestControl*>(form.Panel1), form.Label1}) {
    EXPECT_EQ(c->loadedCalls, 1) << c->Name();
    EXPECT_FALSE(c->ComponentState().Contains(csLoading)) << c->Name();
    EXPECT_FALSE(c->ComponentState().Contains(csReading)) << c->Name();
  }
  // Loaded runs after the references were fixed up.
  EXPECT_TRUE(form.Panel1->buddyKnownAtLoaded);
}

TEST_F(Streaming, InheritedFormReadsTheBaseFormFirst) {
  std::map<std::string, std::string> texts = {
      {"TTestForm",
       "object TestForm: TTestForm\r\n"
       "  Caption = 'base'\r\n"
       "  Width = 10\r\n"
       "  object Label1: TTestControl\r\n"
       "    Caption = 'base label'\r\n"
       "    Width = 1\r\n"
       "  end\r\n"
       "end\r\n"},
      {"TDerivedForm",
       "inherited DerivedForm: TDerivedForm\r\n"
       "  Caption = 'derived'\r\n"
       "  inherited Label1: TTestControl\r\n"
       "    Caption = 'derived label'\r\n"
       "    Buddy = Extra1\r\n"
       "  end\r\n"
       "  object Extra1: TTestControl\r\n"
       "    OnClick = ExtraClick\r\n"
       "  end\r\n"
       "end\r\n"}};
  TFormTextSource source = [&](const std::string& name, std::string& text) {
    auto it = texts.find(name);
    if (it == texts.end()) return false;
    text = it->second;
    return true;
  };
  TDerivedForm form;
  ASSERT_TRUE(InitInheritedComponent(&form, ClassOf<TTestControl>(), source));
  EXPECT_EQ(form.Name(), "DerivedForm");
  EXPECT_EQ(form.Caption(), "derived");
  EXPECT_EQ(form.Width(), 10);
  ASSERT_NE(form.Label1, nullptr);
  EXPECT_EQ(form.Label1->Caption(), "derived label");
  EXPECT_EQ(form.Label1->Width(), 1);
  ASSERT_NE(form.Extra1, nullptr);
  EXPECT_EQ(form.Label1->Buddy(), form.Extra1);
  EXPECT_EQ(form.ComponentCount(), 2);
  form.Extra1->OnClick(form.Extra1);
  EXPECT_EQ(form.clicks, (std::vector<std::string>{"ExtraClick"}));
  // One Loaded per component although two texts were read.
  EXPECT_EQ(form.loadedCalls, 1);
  EXPECT_EQ(form.Label1->loadedCalls, 1);

  // An error names the text it is in, and the line there.
  texts["TDerivedForm"] = "inherited DerivedForm: TDerivedForm\r\n  inherited Label9: TTestControl\r\n  end\r\nend\r\n";
  TDerivedForm broken;
  try {
    InitInheritedComponent(&broken, ClassOf<TTestControl>(), source);
    ADD_FAILURE() << "no error";
  } catch (EReadError& e) {
    EXPECT_EQ(e.Message(), "Ancestor for 'Label9' not found (TDERIVEDFORM, line 2)");
  }

  TDerivedForm none;
  EXPECT_FALSE(InitInheritedComponent(&none, ClassOf<TTestControl>(),
                                      [](const std::string&, std::string&) { return false; }));
}

TEST_F(Streaming, Utf8FormTextWithAByteOrderMark) {
  TTestForm form;
  ReadComponentText("\xEF\xBB\xBFobject F: TTestForm\r\n"
                    "  Caption = '\xD0\x90\xD0\x91 ok'\r\n"
                    "  WideCaption = '\xC3\xA9\xF0\x9F\x98\x80'#65\r\n"
                    "end\r\n",
                    &form, "TEST");
  EXPECT_EQ(form.Caption(), "\xC0\xC1 ok");  // to code page 1251
  EXPECT_EQ(form.WideCaption(), L"\u00E9\U0001F600A");
  EXPECT_EQ(ReadError<EReadError>("\xEF\xBB\xBFobject F: TTestForm\n  Caption = '\xC0\xAF'\nend\n"),
            "Invalid UTF-8 text (TEST, line 2)");
}

TEST_F(Streaming, FormTextFromAResource) {
  TTestForm form;
  ReadComponentRes("TStreamingTestForm", &form);
  EXPECT_EQ(form.Caption(), "from a resource");
  ASSERT_NE(form.Label1, nullptr);
  EXPECT_EQ(form.Label1->Width(), 77);
  TTestForm other;
  EXPECT_THROW(ReadComponentRes("TNoSuchForm", &other), EResNotFound);
}

TEST_F(Streaming, BindFieldsFindsComponentsCreatedInCode) {
  TTestForm form;
  auto* label = new TTestControl(&form);
  label->SetName("Label1");
  BindFields(&form);
  EXPECT_EQ(form.Label1, label);
  EXPECT_EQ(form.Panel1, nullptr);
}

// ---------------------------------------------------------------------------
// Broken forms

TEST_F(Streaming, UnknownClassNamesTheClassAndLine) {
  EXPECT_EQ(ReadError<EClassNotFound>("object F: TTestForm\n"
                                      "  Width = 1\n"
                                      "  object X: TNoSuchClass\n"
                                      "  end\n"
                                      "end\n"),
            "Class TNoSuchClass not found (TEST, line 3)");
  EXPECT_EQ(ReadError<EClassNotFound>("object F: TTestForm\n  object X: TUnregistered\n  end\nend\n"),
            "Class TUnregistered not found (TEST, line 2)");
}

TEST_F(Streaming, UnknownPropertyNamesComponentPropertyAndLine) {
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n"
                                  "  object Label1: TTestControl\n"
                                  "    Width = 3\n"
                                  "    Colour = 4\n"
                                  "  end\n"
                                  "end\n"),
            "Error reading Label1.Colour: Property Colour does not exist (TEST, line 4)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Font.Colour = 4\nend\n"),
            "Error reading F.Font.Colour: Property Colour does not exist (TEST, line 2)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Caption.Size = 4\nend\n"),
            "Error reading F.Caption.Size: Property Caption does not exist (TEST, line 2)");
}

TEST_F(Streaming, BadValuesAreRejected) {
  auto error = [&](const std::string& prop) {
    return ReadError<EReadError>("object F: TTestForm\n  " + prop + "\nend\n");
  };
  EXPECT_EQ(error("Visible = 12"), "Error reading F.Visible: Invalid property value (TEST, line 2)");
  EXPECT_EQ(error("Width = 'wide'"), "Error reading F.Width: Invalid property value (TEST, line 2)");
  EXPECT_EQ(error("Align = xaSideways"), "Error reading F.Align: Invalid property value (TEST, line 2)");
  EXPECT_EQ(error("Font.Style = [xsBold, xsBlinking]"),
            "Error reading F.Font.Style: Invalid property value (TEST, line 2)");
  EXPECT_EQ(error("Color = clPlaid"), "Error reading F.Color: Invalid property value (TEST, line 2)");
  EXPECT_EQ(error("Caption = 12"), "Error reading F.Caption: Invalid property value (TEST, line 2)");
  EXPECT_EQ(error("Opacity = 256"), "Error reading F.Opacity: Integer value out of range (TEST, line 2)");
  EXPECT_EQ(error("OnClick = NoSuchMethod"),
            "Error reading F.OnClick: Method NoSuchMethod not found in TTestForm (TEST, line 2)");
  EXPECT_EQ(error("OnClick = Counted"),
            "Error reading F.OnClick: Method Counted does not fit the event (TEST, line 2)");
  EXPECT_EQ(error("Lines.Strings = (1 2)"),
            "Error reading F.Lines.Strings: Error while reading wide strings list (TEST, line 2)");
  EXPECT_EQ(error("Left = -20000"), "Error reading F.Left: left edge too far out (TEST, line 2)");
  EXPECT_EQ(error("Buddy = Nobody"), "Error reading F.Buddy: Component Nobody not found (TEST, line 2)");
}

TEST_F(Streaming, SyntaxErrorsNameTheLine) {
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n"
                                  "  object Label1: TTestControl\n"
                                  "    Width = 3\n"
                                  "end\n"),
            "'end' expected for F (begun at line 1) (TEST, line 5)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Caption = 'open\nend\n"),
            "Unterminated string (TEST, line 2)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Data = {0A1}\nend\n"),
            "Odd number of hexadecimal digits in binary value (TEST, line 2)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Width 3\nend\n"), "'=' expected (TEST, line 2)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Width = 12abc\nend\n"),
            "Invalid number (TEST, line 2)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\nend\nobject G: TTestForm\nend\n"),
            "End of file expected (TEST, line 3)");
}

TEST_F(Streaming, HostileNestingIsAReadErrorNamingTheLine) {
  std::string objects = "object F: TTestForm\n";
  for (int i = 0; i < 5000; ++i) objects += "object L" + std::to_string(i) + ": TTestControl\n";
  EXPECT_EQ(ReadError<EReadError>(objects), "Nesting too deep (TEST, line 101)");
  std::string lists = "object F: TTestForm\n  Lines.Strings = " + std::string(100000, '(');
  EXPECT_EQ(ReadError<EReadError>(lists), "Nesting too deep (TEST, line 2)");
  // Nesting as deep as forms go reads.
  std::string deep = "object F: TTestForm\n";
  for (int i = 0; i < 40; ++i) deep += "object L" + std::to_string(i) + ": TTestControl\n";
  for (int i = 0; i < 41; ++i) deep += "end\n";
  TTestForm form;
  ReadComponentText(deep, &form, "TEST");
  EXPECT_NE(Find(&form, "L39"), nullptr);
}

TEST_F(Streaming, NumbersAtTheEdgesOfThirtyTwoBits) {
  auto width = [](const char* value) {
    TTestForm form;
    ReadComponentText(std::string("object F: TTestForm\n  Width = ") + value + "\nend\n", &form, "TEST");
    return form.Width();
  };
  EXPECT_EQ(width("-$80000000"), INT32_MIN);
  EXPECT_EQ(width("$7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(width("$FFFFFFFF"), -1);
  EXPECT_EQ(width("-$1"), -1);
  EXPECT_EQ(width("-2147483648"), INT32_MIN);
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Width = -$80000001\nend\n"),
            "Error reading F.Width: Integer value out of range (TEST, line 2)");
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\n  Width = -$8000000000000001\nend\n"),
            "Integer value out of range (TEST, line 2)");
}

TEST_F(Streaming, ACarriageReturnAloneEndsALine) {
  EXPECT_EQ(ReadError<EReadError>("object F: TTestForm\r  Width = 1\r\n  Left = x\r\rend\r"),
            "Error reading F.Left: Invalid property value (TEST, line 3)");
}

// Every malformed text of the corpus fails with its own clear message.
TEST_F(Streaming, MalformedCorpusGivesClearReadErrors) {
  const std::map<std::string, std::string> expected = {
      {"MALFORMED_BAD_BINARY_DIGIT", "Invalid binary value (MALFORMED_BAD_BINARY_DIGIT, line 2)"},
      {"MALFORMED_BAD_UTF8", "Invalid UTF-8 text (MALFORMED_BAD_UTF8, line 2)"},
      {"MALFORMED_CARRIAGE_RETURN_LINES",
       "Error reading F.Left: Invalid property value (MALFORMED_CARRIAGE_RETURN_LINES, line 3)"},
      {"MALFORMED_CHAR_CODE_OUT_OF_RANGE", "Character code out of range (MALFORMED_CHAR_CODE_OUT_OF_RANGE, line 2)"},
      {"MALFORMED_COLLECTION", "Collections are not supported (MALFORMED_COLLECTION, line 2)"},
      {"MALFORMED_DECIMAL_TOO_LARGE", "Number out of range (MALFORMED_DECIMAL_TOO_LARGE, line 2)"},
      {"MALFORMED_HEX_TOO_LONG", "Integer value out of range (MALFORMED_HEX_TOO_LONG, line 2)"},
      {"MALFORMED_INVALID_CHARACTER", "Invalid character '@' (MALFORMED_INVALID_CHARACTER, line 2)"},
      {"MALFORMED_MISSING_CLASS_NAME", "Class name expected (MALFORMED_MISSING_CLASS_NAME, line 1)"},
      {"MALFORMED_MISSING_END", "'end' expected for F (begun at line 1) (MALFORMED_MISSING_END, line 5)"},
      {"MALFORMED_MISSING_OBJECT_NAME", "Object name expected (MALFORMED_MISSING_OBJECT_NAME, line 3)"},
      {"MALFORMED_NO_OBJECT", "'object' expected (MALFORMED_NO_OBJECT, line 3)"},
      {"MALFORMED_ODD_BINARY", "Odd number of hexadecimal digits in binary value (MALFORMED_ODD_BINARY, line 2)"},
      {"MALFORMED_PLUS_WITHOUT_STRING", "String expected after '+' (MALFORMED_PLUS_WITHOUT_STRING, line 3)"},
      {"MALFORMED_TRAILING_END", "End of file expected (MALFORMED_TRAILING_END, line 4)"},
      {"MALFORMED_UNCLOSED_LIST", "')' expected (MALFORMED_UNCLOSED_LIST, line 6)"},
      {"MALFORMED_UNCLOSED_SET", "',' expected (MALFORMED_UNCLOSED_SET, line 3)"},
      {"MALFORMED_UNTERMINATED_STRING", "Unterminated string (MALFORMED_UNTERMINATED_STRING, line 2)"},
  };
  std::vector<std::string> corpus;
  EnumResourceNamesA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(10),
      [](HMODULE, LPCSTR, LPSTR name, LONG_PTR list) CALLBACK -> BOOL {
        std::string n = IS_INTRESOURCE(name) ? "" : name;
        if (n.rfind("MALFORMED_", 0) == 0) reinterpret_cast<std::vector<std::string>*>(list)->push_back(n);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&corpus));
  EXPECT_EQ(corpus.size(), expected.size());
  for (const std::string& name : corpus) {
    std::string text;
    ASSERT_TRUE(ResourceFormSource()(name, text)) << name;
    auto it = expected.find(name);
    ASSERT_NE(it, expected.end()) << name << " has no expected message";
    TTestForm form;
    std::string message = "no error";
    try {
      ReadComponentText(text, &form, name);
    } catch (EReadError& e) {
      message = e.Message();
    } catch (Exception& e) {
      message = "wrong class: " + e.Message();
    }
    EXPECT_EQ(message, it->second);
  }
}

TEST_F(Streaming, FailedReadLeavesNoComponentLoading) {
  TTestForm form;
  EXPECT_THROW(ReadComponentText("object F: TTestForm\n  object Label1: TTestControl\n    Bad = 1\n  end\nend\n",
                                 &form, "TEST"),
               EReadError);
  EXPECT_FALSE(form.ComponentState().Contains(csLoading));
  ASSERT_NE(form.Label1, nullptr);
  EXPECT_FALSE(form.Label1->ComponentState().Contains(csLoading));
  EXPECT_EQ(form.Label1->loadedCalls, 0);
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(Streaming, WriterOmitsDefaultsAndUnstoredValues) {
  TTestForm form;
  form.SetName("Form1");
  auto* label = new TTestControl(&form);
  label->SetName("Label1");
  label->SetHint("hidden while ShowHint is off");
  std::string text = ComponentToText(&form);
  // Width has no default and is always written; everything else is default.
  EXPECT_EQ(text,
            "object Form1: TTestForm\r\n"
            "  Width = 0\r\n"
            "  object Label1: TTestControl\r\n"
            "    Width = 0\r\n"
            "  end\r\n"
            "end\r\n");
}

TEST_F(Streaming, WriteReadRoundTrip) {
  TTestForm form;
  form.SetName("Form1");
  form.SetCaption("quote ' and \xC0\xC1");
  form.SetColor(0xFF);
  form.Font()->SetStyle({xsItalic});
  form.Font()->SetSize(12);
  auto* panel = new TTestPanel(&form);
  panel->SetName("Panel1");
  panel->Parent = &form;
  panel->SetAlign(xaTop);
  panel->SetRatio(-0.1);
  panel->OnClick = MakeEvent(&form, &TTestForm::PanelClick);
  auto* label = new TTestControl(&form);
  label->SetName("Label1");
  label->Parent = panel;
  label->SetWideCaption(L"\u041F\u00E9 plain");
  label->SetShowHint(true);
  label->SetHint("shown");
  label->SetOpacity(7);
  label->Lines()->Items = {L"one", L"\u0434\u0432\u0430", L"\u00E9t\u00E9"};
  label->Data = std::string(70, '\x5A') + std::string("\0\x01", 2);
  label->Items()->SetText("first\r\n\xC0\xC1\r\n\r\n");
  panel->SetBuddy(label);

  std::string text = ComponentToText(&form);
  TTestForm copy;
  ReadComponentText(text, &copy, "written");
  EXPECT_EQ(ComponentToText(&copy), text);

  EXPECT_NE(text.find("Caption = 'quote '' and '#1040#1041"), std::string::npos) << text;
  EXPECT_EQ(copy.Caption(), form.Caption());
  EXPECT_EQ(copy.Color(), 0xFF);
  EXPECT_EQ(copy.Font()->Style(), TTestStyles{xsItalic});
  EXPECT_EQ(copy.Font()->Size(), 12);
  ASSERT_NE(copy.Panel1, nullptr);
  ASSERT_NE(copy.Label1, nullptr);
  EXPECT_EQ(copy.Label1->Parent, copy.Panel1);
  EXPECT_EQ(copy.Panel1->Align(), xaTop);
  EXPECT_DOUBLE_EQ(copy.Panel1->Ratio(), -0.1);
  EXPECT_EQ(copy.Panel1->Buddy(), copy.Label1);
  EXPECT_EQ(copy.Panel1->OnClick, MakeEvent(&copy, &TTestForm::PanelClick));
  EXPECT_EQ(copy.Label1->WideCaption(), label->WideCaption());
  EXPECT_EQ(copy.Label1->Hint(), "shown");
  EXPECT_EQ(copy.Label1->Opacity(), 7);
  EXPECT_EQ(copy.Label1->Lines()->Items, label->Lines()->Items);
  EXPECT_EQ(copy.Label1->Data, label->Data);
  EXPECT_EQ(copy.Label1->Items()->Text(), label->Items()->Text());
}

TEST_F(Streaming, WriterFormatsValues) {
  TTestForm form;
  form.SetName("Form1");
  form.SetWidth(-5);
  form.SetCaption("a'b\x01");
  form.SetColor(0xFF);
  form.Font()->SetStyle({xsBold, xsUnderline});
  form.Lines()->Items = {L"x"};
  form.Data = "\x01\xAB";
  EXPECT_EQ(ComponentToText(&form),
            "object Form1: TTestForm\r\n"
            "  Width = -5\r\n"
            "  Caption = 'a''b'#1\r\n"
            "  Color = clRed\r\n"
            "  Font.Style = [xsBold, xsUnderline]\r\n"
            "  Lines.Strings = (\r\n"
            "    'x')\r\n"
            "  Data = {\r\n"
            "    01AB}\r\n"
            "end\r\n");
}

// ---------------------------------------------------------------------------
// Value streams and the class registry

TEST(StreamingValues, WriterUsesTheLibraryValueCodes) {
  streaming_detail::ByteStream stream;
  TWriter writer(&stream);
  writer.WriteString("ab");
  writer.WriteString(std::string(300, 'x'));
  writer.WriteWideString(L"\u0416");
  writer.WriteInteger(-1);
  writer.WriteInteger(1000);
  writer.WriteInteger(100000);
  writer.WriteFloat(1.0);
  const std::string& b = stream.Bytes();
  ASSERT_EQ(b.size(), 4u + 305u + 7u + 2u + 3u + 5u + 11u);
  EXPECT_EQ(b.substr(0, 4), std::string("\x06\x02" "ab"));
  EXPECT_EQ(b.substr(4, 5), std::string("\x0C\x2C\x01\x00\x00", 5));
  EXPECT_EQ(b.substr(309, 7), std::string("\x12\x01\x00\x00\x00\x16\x04", 7));
  EXPECT_EQ(b.substr(316, 2), std::string("\x02\xFF", 2));
  EXPECT_EQ(b.substr(318, 3), std::string("\x03\xE8\x03", 3));
  EXPECT_EQ(b.substr(321, 5), std::string("\x04\xA0\x86\x01\x00", 5));
  // 1.0 as 80-bit extended: mantissa with the integer bit, exponent 16383.
  EXPECT_EQ(b.substr(326), std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F", 11));
}

TEST(StreamingValues, ReaderPrimitives) {
  streaming_detail::ByteStream stream;
  TWriter writer(&stream);
  writer.WriteListBegin();
  writer.WriteString("\xC0");
  writer.WriteWideString(L"\u0411");
  writer.WriteBoolean(true);
  writer.WriteFloat(-2.5e-10);
  writer.WriteInteger(Int64(1) << 40);
  writer.WriteListEnd();
  stream.SetPosition(0);
  TReader reader(&stream);
  reader.ReadListBegin();
  EXPECT_EQ(reader.NextValue(), vaString);
  EXPECT_FALSE(reader.EndOfList());
  EXPECT_EQ(reader.ReadWideString(), L"\u0410");  // converted from code page 1251
  EXPECT_EQ(reader.ReadString(), "\xC1");
  EXPECT_TRUE(reader.ReadBoolean());
  EXPECT_EQ(reader.ReadFloat(), -2.5e-10);
  EXPECT_THROW(reader.ReadInteger(), EReadError);  // does not fit 32 bits
  EXPECT_TRUE(reader.EndOfList());
  reader.ReadListEnd();
  EXPECT_THROW(reader.ReadValue(), EReadError);  // past the end
}

TEST(StreamingValues, Utf8StringsAreConverted) {
  const std::string utf8("\x14\x05\x00\x00\x00\xD0\x96\xC3\xA9!", 10);
  streaming_detail::ByteStream stream(utf8 + utf8);
  TReader reader(&stream);
  EXPECT_EQ(reader.ReadWideString(), L"\u0416\u00E9!");
  EXPECT_EQ(reader.ReadString().substr(0, 1), "\xC6");  // Zhe in code page 1251
}

TEST(StreamingValues, ShortOrWrongDataRaises) {
  streaming_detail::ByteStream truncated(std::string("\x0C\xFF\xFF\x00\x00" "ab", 7));
  TReader reader(&truncated);
  EXPECT_THROW(reader.ReadString(), EReadError);
  streaming_detail::ByteStream wrong(std::string("\x06\x01" "a", 3));
  TReader reader2(&wrong);
  EXPECT_THROW(reader2.ReadInteger(), EReadError);
}

namespace first { class TSameName : public TComponent { public: using TComponent::TComponent; }; }
namespace second { class TSameName : public TComponent { public: using TComponent::TComponent; }; }

TEST(StreamingClasses, RegistryFindsClassesByName) {
  RegisterClasses({ClassOf<first::TSameName>(), ClassOf<first::TSameName>()});  // twice is fine
  EXPECT_EQ(GetClass("tsamename"), ClassOf<first::TSameName>());
  EXPECT_EQ(FindClass("TSameName"), ClassOf<first::TSameName>());
  EXPECT_THROW(RegisterClass(ClassOf<second::TSameName>()), EFilerError);
  UnRegisterClass(ClassOf<first::TSameName>());
  EXPECT_EQ(GetClass("TSameName"), nullptr);
  try {
    FindClass("TNope");
    FAIL();
  } catch (EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNope not found");
  }
}

}  // namespace
