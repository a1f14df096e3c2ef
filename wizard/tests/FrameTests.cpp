// The frame every page shares: where the host goes, its fonts at large
// pixels per inch, the window's shape from the bars, the close tab's shape,
// moving the window by its frame, and the end of the wizard.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "Install.hpp"
#include "SBCropRegion.hpp"
#include "SBResourceStorage.hpp"
#include "WizardTestSeams.hpp"
#include "WizardTestSupport.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_1__Hello.hpp"
#include "i01_2__License.hpp"
#include "i01__MainWorkbench.hpp"

using namespace wizardtest;

namespace {

TEST(HostPlacement, ANarrowScreenGivesANegativeLeftEdge) {
  // Centred by the pages' width 500, not by the form's width.
  EXPECT_EQ(MainPanelPosition(400, 300).x, -50);
  EXPECT_EQ(MainPanelPosition(400, 300).y, -50);
  EXPECT_EQ(MainPanelPosition(1025, 768).x, 262);
  EXPECT_EQ(MainPanelPosition(1025, 768).y, 184);
}

int LargeFonts() { return 120; }
int NormalFonts() { return 96; }

// A host of its own made at the given pixels per inch; the pages dock into
// it and take its font, as in the program.
class Fonts : public ::testing::Test {
 protected:
  void Start(int (*pixelsPerInch)()) {
    WizardTestSeams::PixelsPerInchProc = pixelsPerInch;
    sharedHost = MainPanel;
    sharedHost->SetName("SharedMainPanel");
    CreateMainPanel();
  }
  void TearDown() override {
    WizardTestSeams::PixelsPerInchProc = nullptr;
    FreePages();
    if (sharedHost) {
      if (MainPanel != sharedHost && MainPanel) MainPanel->Free();
      MainPanel = sharedHost;
      MainPanel->SetName("MainPanel");
    }
  }
  static bool Bold(TFont* font) { return font->Style().Contains(fsBold); }
  TMainPanel* sharedHost = nullptr;
};

TEST_F(Fonts, At120DotsPerInchTheFontsLoseTheirBold) {
  Start(&LargeFonts);
  EXPECT_FALSE(Bold(MainPanel->Font()));
  TStep2_LicensePanel* page = ShowLicensePage();
  EXPECT_FALSE(Bold(page->Font()));
  // The buttons' captions take the page's font.
  EXPECT_FALSE(Bold(page->disagree_button->Font()));
  EXPECT_EQ(page->disagree_button->Font()->Height(), -16);
}

TEST_F(Fonts, At96DotsPerInchTheFontsStayBold) {
  Start(&NormalFonts);
  EXPECT_TRUE(Bold(MainPanel->Font()));
  TStep2_LicensePanel* page = ShowLicensePage();
  EXPECT_TRUE(Bold(page->Font()));
  EXPECT_TRUE(Bold(page->disagree_button->Font()));
}

// The host shown with the Welcome page, its shape applied.
class ShownHost : public ::testing::Test {
 protected:
  void SetUp() override {
    page = ShowHelloPage();
    ShowMainPanel();
    ApplyWindowShape(page);
    PumpMessages();
  }
  void TearDown() override {
    ReleaseCapture();
    MainPanel->Hide();
    FreePages();
  }
  // Whether the host's window region holds the point (host coordinates).
  static bool InHostRegion(int x, int y) {
    HostRegion region;
    return region.Holds(x, y);
  }
  // The host's window region as it is now.
  class HostRegion {
   public:
    HostRegion() : region_(CreateRectRgn(0, 0, 0, 0)) {
      has_ = GetWindowRgn(MainPanel->Handle(), region_) != ERROR;
    }
    ~HostRegion() { DeleteObject(region_); }
    bool Holds(int x, int y) const { return has_ && PtInRegion(region_, x, y); }

   private:
    HRGN region_;
    bool has_ = false;
  };
  TStep1_HelloPanel* page = nullptr;
};

// The pixels of a skin picture from the program's resources, whatever its
// format; the test fails when the resource is missing.
std::unique_ptr<TBitmap> SkinPixels(const std::string& name) {
  std::unique_ptr<TPicture> picture(GetPictureCopy(name, ""));
  std::unique_ptr<TBitmap> pixels = PictureAsBitmap(picture.get());
  if (!pixels) throw std::runtime_error("no skin picture " + name);
  return pixels;
}

// A bar's pixels as the kit lays them out: the left cap, the middle
// repeated, the right cap at the right edge.
class BarPixels {
 public:
  explicit BarPixels(const std::string& name)
      : left_(SkinPixels(name + "_LEFT")), tile_(SkinPixels(name + "_TILE")), right_(SkinPixels(name + "_RIGHT")) {}
  bool IsCrop(int x, int y, int width) {
    TColor c;
    if (x < left_->Width())
      c = left_->Canvas()->Pixels(x, y);
    else if (x >= width - right_->Width())
      c = right_->Canvas()->Pixels(x - (width - right_->Width()), y);
    else
      c = tile_->Canvas()->Pixels((x - left_->Width()) % tile_->Width(), y);
    return c == TColor(RGB(255, 0, 0));
  }
  int Height() const { return left_->Height(); }

 private:
  std::unique_ptr<TBitmap> left_, tile_, right_;
};

TEST_F(ShownHost, TheWindowRegionLeavesOutExactlyTheBarsCropPixels) {
  ASSERT_EQ(MainPanel->Width(), 500);
  ASSERT_EQ(MainPanel->Height(), 400);
  BarPixels top("TOP"), bottom("BOTTOM");
  const HostRegion region;
  int cut = 0, mismatches = 0;
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 500; ++x) {
      bool crop = false;
      if (y < top.Height()) crop = top.IsCrop(x, y, 500);
      if (y >= 400 - bottom.Height()) crop = bottom.IsCrop(x, y - (400 - bottom.Height()), 500);
      cut += crop;
      if (region.Holds(x, y) == crop && ++mismatches <= 5) ADD_FAILURE() << "pixel " << x << "," << y;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(cut, 20) << "the bars round the window's corners";
  EXPECT_FALSE(InHostRegion(0, 0));
  EXPECT_FALSE(InHostRegion(499, 399));
}

TEST_F(ShownHost, TheShapeFollowsBarsResizedAfterTheirWindowsWereMade) {
  // The holder narrows: the bars follow it by their alignment, while their
  // windows still carry the regions made for the old width.
  page->holder->SetWidth(460);
  PumpMessages(1);
  ApplyWindowShape(page);
  ASSERT_EQ(MainPanel->Width(), 460);
  EXPECT_FALSE(InHostRegion(459, 0)) << "the new top right corner is cut";
  EXPECT_FALSE(InHostRegion(459, 399)) << "the new bottom right corner is cut";
  EXPECT_TRUE(InHostRegion(459, 200));
  page->holder->SetWidth(500);
}

// The tab takes the mouse where it is drawn and nowhere else: beside it the
// title bar, the border and the page are what they look like.
TEST_F(ShownHost, TheCloseTabTakesTheMouseOnlyWhereItIsDrawn) {
  TSBImgBtn* close = page->close_button;
  const std::unique_ptr<TBitmap> pixels = SkinPixels("CLOSE");
  TBitmap& picture = *pixels;
  ASSERT_EQ(picture.Width(), close->Width());
  ASSERT_EQ(picture.Height(), close->Height());
  int cut = 0, mismatches = 0;
  for (int y = 0; y < close->Height(); ++y)
    for (int x = 0; x < close->Width(); ++x) {
      const bool drawn = picture.Canvas()->Pixels(x, y) != TColor(RGB(255, 0, 0));
      cut += !drawn;
      const bool takes = WindowFromPoint(close->ClientToScreen(POINT{x, y})) == close->Handle();
      if (takes != drawn && ++mismatches <= 5) ADD_FAILURE() << "pixel " << x << "," << y << " drawn " << drawn;
    }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(cut, 13 * 50) << "the strip beside the tab is cut away";

  // Real clicks: beside the tab nothing happens, on it the tab closes.
  struct Clicks {
    int count = 0;
    void Clicked(TObject*) { ++count; }
  } clicks;
  close->OnClick = TNotifyEvent(&clicks, &Clicks::Clicked);
  auto clickAt = [&](int x, int y) {
    const POINT at = close->ClientToScreen(POINT{x, y});
    SetCursorPos(at.x, at.y);
    PumpMessages();
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    PumpMessages(6);
  };
  for (POINT beside : {POINT{3, 3}, POINT{6, 30}, POINT{6, 58}}) {
    ASSERT_EQ(picture.Canvas()->Pixels(beside.x, beside.y), TColor(RGB(255, 0, 0)));
    clickAt(beside.x, beside.y);
  }
  EXPECT_EQ(clicks.count, 0);
  EXPECT_EQ(MainPanel->Left(), MainPanel->Left()) << "nothing moved";
  clickAt(27, 38);
  EXPECT_EQ(clicks.count, 1);
}

TEST_F(ShownHost, DraggingTheFrameMovesTheWindow) {
  for (TControl* handle : std::initializer_list<TControl*>{page->top_border_image, page->left_border_image,
                                                           page->bottom_border_image, page->left_light}) {
    const int left = MainPanel->Left(), top = MainPanel->Top();
    handle->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    // No movement yet: nothing changes.
    handle->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 5));
    EXPECT_EQ(MainPanel->Left(), left);
    handle->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 25));
    handle->Perform(WM_LBUTTONUP, 0, MAKELPARAM(40, 25));
    EXPECT_EQ(MainPanel->Left(), left + 30) << handle->Name();
    EXPECT_EQ(MainPanel->Top(), top + 20) << handle->Name();
    // Without the button held the pointer moves alone.
    handle->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(80, 80));
    EXPECT_EQ(MainPanel->Left(), left + 30);
  }
}

TEST_F(ShownHost, PressingAndDraggingTheForwardButtonDoesNotMoveTheWindow) {
  const int left = MainPanel->Left(), top = MainPanel->Top();
  page->forward_button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  page->forward_button->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 40));
  EXPECT_EQ(MainPanel->Left(), left);
  EXPECT_EQ(MainPanel->Top(), top);
  // Released outside the button: no click, the page stays.
  page->forward_button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(300, 300));
  PumpMessages();
  EXPECT_EQ(Screen->FormCount(), 2);
}

// After the message loop every form goes (the pages, then the host) while
// the units they use, the picture cache among them, are still there.
TEST(WizardEnd, TheFormsGoBeforeTheUnits) {
  TMainPanel* shared = MainPanel;
  shared->SetName("SharedMainPanel");
  const int forms = Screen->FormCount();
  CreateMainPanel();
  InstallSettings = new TInstallData();
  ShowHelloPage();
  ShowLicensePage();
  ASSERT_EQ(Screen->FormCount(), forms + 3);
  CloseWizard();
  EXPECT_EQ(Screen->FormCount(), forms);
  EXPECT_EQ(MainPanel, nullptr);
  EXPECT_EQ(InstallSettings, nullptr);
  ASSERT_NE(ResourceStorage(), nullptr);
  EXPECT_GT(ResourceStorage()->Names()->Count(), 0);
  MainPanel = shared;
  MainPanel->SetName("MainPanel");
}

}  // namespace
