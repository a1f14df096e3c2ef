// The OLE drop target, driven by calling its IDropTarget face directly with
// a small data object, and the clipboard-format names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ElCBFmts.hpp"
#include "ElDragDrop.hpp"
#include "ElOleTestSupport.hpp"
#include "Forms.hpp"
#include <shlobj.h>

namespace {

// ---------------------------------------------------------------- format names

TEST(ClipboardFormatNames, StandardFormatsHaveTheirShortNames) {
  const char* expected[] = {"TEXT",    "BITMAP",  "METAFILEPICT", "SYLK",        "DIF",   "TIFF",
                            "OEMTEXT", "DIB",     "PALETTE",      "PENDATA",     "RIFF",  "WAVE",
                            "UNICODETEXT", "ENHMETAFILE", "HDROP", "LOCALE"};
  for (unsigned f = 1; f <= 16; ++f) EXPECT_EQ(ClipboardFormatName(f), expected[f - 1]) << f;
}

TEST(ClipboardFormatNames, OtherFormatsByTheirRegisteredNames) {
  const unsigned registered = RegisterClipboardFormatA("Lumbrix Test Format");
  ASSERT_NE(registered, 0u);
  EXPECT_EQ(ClipboardFormatName(registered), "Lumbrix Test Format");
  EXPECT_EQ(ClipboardFormatName(0), "");
  EXPECT_EQ(ClipboardFormatName(CF_DIBV5), "") << "a standard format beyond the table has no name";
}

using eloletest::TestDataObject;
using eloletest::TestDataObjectBase;

// Whether some drop target holds the window: a second registration fails.
bool IsRegistered(HWND wnd) {
  TElDropTarget probe(nullptr);
  HRESULT result = RegisterDragDrop(wnd, probe.DropTarget());
  if (SUCCEEDED(result)) RevokeDragDrop(wnd);
  return result == DRAGDROP_E_ALREADYREGISTERED;
}

struct DragCall {
  std::string what;
  TDragState state = dsDragEnter;
  TOleDragObject* source = nullptr;
  TShiftState shift;
  int x = 0, y = 0;
  TDragType preset = dtCopy;
  std::string formats;
};

// A form with a child control at (10, 20) as the target; the recorder
// answers each call with the drag type it is told to.
class DropTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(Application, 0);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 120, 300, 200);
    panel_ = new TCustomControl(form_);
    panel_->SetBounds(10, 20, 100, 80);
    panel_->SetParent(form_);
    form_->HandleNeeded();  // never shown: the windows are all the drop target needs
    target_ = new TElDropTarget(form_);
    target_->SetTarget(panel_);
    target_->OnTargetDrag = TTargetDragEvent(this, &DropTargetTest::Drag);
    target_->OnTargetDrop = TTargetDropEvent(this, &DropTargetTest::Dropped);
  }
  void TearDown() override { form_->Free(); }

  void Drag(TObject*, TDragState state, TOleDragObject* source, TShiftState shift, int x, int y,
            TDragType& dragType) {
    calls_.push_back({"drag", state, source, shift, x, y, dragType, source ? source->DataFormats()->Text() : ""});
    dragType = answer_;
  }
  void Dropped(TObject*, TOleDragObject* source, TShiftState shift, int x, int y, TDragType& dragType) {
    calls_.push_back({"drop", dsDragMove, source, shift, x, y, dragType, source->DataFormats()->Text()});
    dragType = answer_;
  }
  // A screen point at the panel's client point.
  POINTL At(int x, int y) {
    POINT p = panel_->ClientToScreen(POINT{x, y});
    return POINTL{p.x, p.y};
  }

  TForm* form_ = nullptr;
  TCustomControl* panel_ = nullptr;
  TElDropTarget* target_ = nullptr;
  std::vector<DragCall> calls_;
  TDragType answer_ = dtNone;
};

TEST_F(DropTargetTest, TheFourCallsBecomeDragEventsInClientCoordinates) {
  TestDataObject data({CF_TEXT, CF_HDROP});
  IDropTarget* drop = target_->DropTarget();
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  answer_ = dtMove;
  ASSERT_EQ(drop->DragEnter(&data, MK_LBUTTON | MK_CONTROL | MK_ALT, At(5, 7), &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(drop->DragOver(MK_SHIFT | MK_RBUTTON | MK_MBUTTON, At(-3, 40), &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
  EXPECT_EQ(target_->DataFormats()->Text(), "TEXT\r\nHDROP\r\n");
  ASSERT_EQ(drop->DragLeave(), S_OK);
  EXPECT_EQ(target_->DataFormats()->Count(), 0);

  ASSERT_EQ(calls_.size(), 3u);
  EXPECT_EQ(calls_[0].state, dsDragEnter);
  EXPECT_EQ(calls_[0].shift, (TShiftState{ssLeft, ssCtrl, ssAlt}));
  EXPECT_EQ(calls_[0].x, 5);
  EXPECT_EQ(calls_[0].y, 7);
  EXPECT_EQ(calls_[0].preset, dtNone);
  ASSERT_NE(calls_[0].source, nullptr);
  EXPECT_EQ(calls_[0].formats, "TEXT\r\nHDROP\r\n");
  EXPECT_EQ(calls_[1].state, dsDragMove);
  EXPECT_EQ(calls_[1].shift, (TShiftState{ssShift, ssRight, ssMiddle}));
  EXPECT_EQ(calls_[1].x, -3);
  EXPECT_EQ(calls_[1].y, 40);
  EXPECT_EQ(calls_[1].source, calls_[0].source) << "one drag object for the whole drag";
  EXPECT_EQ(calls_[2].state, dsDragLeave);
  EXPECT_EQ(calls_[2].x, -1);
  EXPECT_EQ(calls_[2].y, -1);
  EXPECT_TRUE(calls_[2].shift.Empty());
  EXPECT_EQ(calls_[2].preset, dtNone);
  EXPECT_EQ(calls_[2].source, calls_[0].source);
  EXPECT_EQ(data.Refs(), 1u) << "the drag object let go of the data";
}

TEST_F(DropTargetTest, TheEffectIsTheAnsweredOneWithinWhatTheSourceAllows) {
  TestDataObject data({CF_TEXT});
  IDropTarget* drop = target_->DropTarget();
  struct Case {
    TDragType answer;
    DWORD allowed;
    DWORD expected;
  } cases[] = {
      {dtCopy, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {dtMove, DROPEFFECT_COPY, DROPEFFECT_NONE},
      {dtLink, DROPEFFECT_LINK | DROPEFFECT_COPY, DROPEFFECT_LINK},
      {dtLink, DROPEFFECT_MOVE, DROPEFFECT_NONE},
      {dtNone, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_NONE},
      {TDragType(7), DROPEFFECT_COPY, DROPEFFECT_NONE},
  };
  for (const Case& c : cases) {
    answer_ = c.answer;
    DWORD effect = c.allowed;
    drop->DragEnter(&data, MK_LBUTTON, At(1, 1), &effect);
    EXPECT_EQ(effect, c.expected) << int(c.answer) << " within " << c.allowed;
    effect = c.allowed;
    drop->DragOver(MK_LBUTTON, At(2, 2), &effect);
    EXPECT_EQ(effect, c.expected);
    effect = c.allowed;
    drop->Drop(&data, 0, At(3, 3), &effect);
    EXPECT_EQ(effect, c.expected);
  }
}

TEST_F(DropTargetTest, DropHandsOverTheDragAndEndsIt) {
  const CLIPFORMAT own = CLIPFORMAT(RegisterClipboardFormatA("Lumbrix Test Format"));
  TestDataObject data({own, CF_DIBV5, CF_UNICODETEXT});
  IDropTarget* drop = target_->DropTarget();
  DWORD effect = DROPEFFECT_COPY;
  answer_ = dtCopy;
  drop->DragEnter(&data, MK_LBUTTON, At(0, 0), &effect);
  EXPECT_GT(data.Refs(), 1u) << "the drag object holds the data";
  effect = DROPEFFECT_COPY;
  drop->Drop(&data, MK_CONTROL, At(30, 31), &effect);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[1].what, "drop");
  EXPECT_EQ(calls_[1].source, calls_[0].source);
  EXPECT_EQ(calls_[1].shift, TShiftState{ssCtrl});
  EXPECT_EQ(calls_[1].x, 30);
  EXPECT_EQ(calls_[1].y, 31);
  EXPECT_EQ(calls_[1].preset, dtNone);
  EXPECT_EQ(calls_[1].formats, "Lumbrix Test Format\r\n\r\nUNICODETEXT\r\n");
  EXPECT_EQ(target_->DataFormats()->Count(), 0);
  EXPECT_EQ(data.Refs(), 1u);
}

TEST_F(DropTargetTest, DataWithoutAFormatListStillEnters) {
  for (auto mode : {TestDataObject::Enum::Fails, TestDataObject::Enum::NullEnumerator}) {
    TestDataObject data({CF_TEXT}, mode);
    DWORD effect = DROPEFFECT_COPY;
    answer_ = dtCopy;
    EXPECT_EQ(target_->DropTarget()->DragEnter(&data, 0, At(0, 0), &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(target_->DataFormats()->Count(), 0);
    target_->DropTarget()->DragLeave();
  }
  EXPECT_EQ(calls_.size(), 4u);
}

TEST_F(DropTargetTest, TheWindowStaysRegisteredAcrossRecreation) {
  const HWND first = panel_->Handle();
  EXPECT_TRUE(IsRegistered(first));
  panel_->RecreateWnd();
  const HWND second = panel_->Handle();
  ASSERT_NE(second, first);
  EXPECT_TRUE(IsRegistered(second));
  target_->SetTarget(nullptr);
  EXPECT_FALSE(IsRegistered(second));
  target_->SetTarget(panel_);
  EXPECT_TRUE(IsRegistered(second));
}

TEST_F(DropTargetTest, ASecondRegistrationFailsAndLeavesTheFirstInPlace) {
  auto* other = new TElDropTarget(form_);
  try {
    other->SetTarget(panel_);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "RegisterDragDrop failed, already registered");
  }
  EXPECT_EQ(other->Target(), nullptr);
  other->Free();
  EXPECT_TRUE(IsRegistered(panel_->Handle())) << "the failed component revoked nothing";
}

TEST_F(DropTargetTest, TargetWithoutAWindowIsRegisteredWhenItGetsOne) {
  auto* later = new TCustomControl(form_);
  later->SetBounds(150, 20, 50, 50);
  target_->SetTarget(later);
  EXPECT_FALSE(later->HandleAllocated());
  later->SetParent(form_);
  ASSERT_TRUE(later->HandleAllocated());
  EXPECT_TRUE(IsRegistered(later->Handle()));
  EXPECT_FALSE(IsRegistered(panel_->Handle()));
}

TEST_F(DropTargetTest, AFreedTargetIsForgotten) {
  panel_->Free();
  panel_ = nullptr;
  EXPECT_EQ(target_->Target(), nullptr);
}

TEST_F(DropTargetTest, OleMayOutliveTheComponent) {
  IDropTarget* held = target_->DropTarget();
  held->AddRef();
  const HWND wnd = panel_->Handle();
  target_->Free();
  target_ = nullptr;
  EXPECT_FALSE(IsRegistered(wnd));
  TestDataObject data({CF_TEXT});
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(held->DragEnter(&data, 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
  EXPECT_EQ(held->DragLeave(), S_OK);
  EXPECT_TRUE(calls_.empty());
  IUnknown* unknown = nullptr;
  EXPECT_EQ(held->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  unknown->Release();
  void* none = nullptr;
  EXPECT_EQ(held->QueryInterface(IID_IDataObject, &none), E_NOINTERFACE);
  EXPECT_EQ(held->Release(), 0u);
}

// ---------------------------------------------------------------- handlers that free, endless formats

// A drop target whose memory, once freed, is filled with a pattern and kept:
// a member read after the handler freed the component then fails at once
// instead of reading what happens to lie there.
class TPoisonedDropTarget : public TElDropTarget {
 public:
  using TElDropTarget::TElDropTarget;
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* p, std::size_t size) {
    std::memset(p, 0xDD, size);
    Graveyard().push_back(p);
  }
  static std::vector<void*>& Graveyard() {
    static std::vector<void*> graves;
    return graves;
  }
};

struct SelfFreeingHandler {
  TElDropTarget* Target = nullptr;
  int Calls = 0;
  void Drag(TObject*, TDragState state, TOleDragObject*, TShiftState, int, int, TDragType& dragType) {
    ++Calls;
    dragType = dtCopy;
    if (state == dsDragLeave) FreeAndNil(Target);
  }
  void Dropped(TObject*, TOleDragObject*, TShiftState, int, int, TDragType& dragType) {
    ++Calls;
    dragType = dtCopy;
    FreeAndNil(Target);
  }
};

// A handler may free the component in Drop or DragLeave; the drag ends
// without touching it, the registered window is let go, and the answer is
// the one the handler gave.
TEST_F(DropTargetTest, AHandlerMayFreeTheComponentInDropAndLeave) {
  for (bool drop : {true, false}) {
    SelfFreeingHandler handler;
    handler.Target = new TPoisonedDropTarget(nullptr);
    auto* control = new TCustomControl(form_);
    control->SetBounds(150, 10, 40, 40);
    control->SetParent(form_);
    handler.Target->SetTarget(control);
    ASSERT_TRUE(IsRegistered(control->Handle()));
    handler.Target->OnTargetDrag = TTargetDragEvent(&handler, &SelfFreeingHandler::Drag);
    handler.Target->OnTargetDrop = TTargetDropEvent(&handler, &SelfFreeingHandler::Dropped);
    // Only OLE's registration and the component hold the COM face.
    IDropTarget* face = handler.Target->DropTarget();
    TestDataObject data({CF_TEXT});
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(face->DragEnter(&data, MK_LBUTTON, At(0, 0), &effect), S_OK);
    if (drop) {
      effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
      EXPECT_EQ(face->Drop(&data, MK_LBUTTON, At(1, 1), &effect), S_OK);
      EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    } else {
      EXPECT_EQ(face->DragLeave(), S_OK);
    }
    EXPECT_EQ(handler.Target, nullptr);
    EXPECT_EQ(handler.Calls, 2);
    EXPECT_FALSE(IsRegistered(control->Handle()));
    EXPECT_EQ(data.Refs(), 1u) << "the drag object went with the component";
  }
}

// An enumerator that offers CF_TEXT for as long as it is asked (or, to end
// a test that would otherwise hang, a million times).
class EndlessFormats final : public IEnumFORMATETC {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumFORMATETC)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    if (count < 1 || ++Asked > 1000000) return S_FALSE;
    *out = FORMATETC{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (fetched) *fetched = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }
  int Asked = 0;

 private:
  ULONG refs_ = 1;
};

class EndlessDataObject final : public TestDataObjectBase {
 public:
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
    formats.AddRef();
    *out = &formats;
    return S_OK;
  }
  EndlessFormats formats;
};

TEST_F(DropTargetTest, AnEndlessFormatListIsCut) {
  EndlessDataObject data;
  DWORD effect = DROPEFFECT_COPY;
  answer_ = dtCopy;
  ASSERT_EQ(target_->DropTarget()->DragEnter(&data, MK_LBUTTON, At(0, 0), &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
  EXPECT_EQ(target_->DataFormats()->Count(), ElMaxDragFormats);
  EXPECT_LE(data.formats.Asked, ElMaxDragFormats + 1);
  target_->DropTarget()->DragLeave();
}

}  // namespace
