// The pages: the walk from Welcome to Ready by clicks posted to the
// buttons' windows, the Ready page's folder, the licence box, its scroll
// bar's pictures, the progress bar's width and the install cancelled by
// closing the window.
#include <gtest/gtest.h>

#include "Install.hpp"
#include "UnRAR.hpp"
#include "WizardTestSupport.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_1__Hello.hpp"
#include "i01_2__License.hpp"
#include "i01_5__Ready.hpp"
#include "i01_0_3__InstallError.hpp"
#include "i01_6__InstallRunning.hpp"
#include "i01_7__Finish.hpp"
#include "i01__MainWorkbench.hpp"
#include "lib_WindowsFileSystem.hpp"

using namespace wizardtest;

namespace {

// The page whose holder lies in the host, or nullptr.
template <class T>
T* DockedPage() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (auto* page = dynamic_cast<T*>(Screen->Forms(i)); page && page->holder->Parent() == MainPanel) return page;
  return nullptr;
}

// A click as another program makes it: posted to the button's window.
void PostClick(TWinControl* button) {
  PostMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  PostMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  PumpMessages();
}

class Pages : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallSettings = new TInstallData();
    ShowMainPanel();
  }
  void TearDown() override {
    MainPanel->Hide();
    FreePages();
    delete InstallSettings;
    InstallSettings = nullptr;
  }
};

TEST_F(Pages, ForwardClicksWalkFromWelcomeToReady) {
  TStep1_HelloPanel* hello = ShowHelloPage();
  EXPECT_NE(hello->ElHTMLLabel2->Caption().find(L"<b>Дальше</b>"), std::wstring::npos);
  PostClick(hello->forward_button);
  TStep2_LicensePanel* licence = DockedPage<TStep2_LicensePanel>();
  ASSERT_NE(licence, nullptr);
  EXPECT_EQ(DockedPage<TStep1_HelloPanel>(), nullptr) << "the Welcome page is released";
  PostClick(licence->forward_button);
  TStep5_ReadyPanel* ready = DockedPage<TStep5_ReadyPanel>();
  ASSERT_NE(ready, nullptr);
  EXPECT_EQ(Screen->FormCount(), 2) << "only the host and the Ready page are left";
  const std::wstring text = ready->message->Caption();
  EXPECT_NE(text.find(L"в папку:<p>\r\nC:\\Program Files\\Kestrum\\Lumbrix 2008<p>"), std::wstring::npos) << WideToAnsi(text);
  EXPECT_EQ(text.find(L"%s"), std::wstring::npos);
}

TEST_F(Pages, TheReadyPageShowsTheFolderAsItWillBeUsed) {
  InstallSettings->TargetFolder = "C:\\R&D <new> folder";
  TStep5_ReadyPanel* ready = ShowReadyPage();
  const std::wstring text = ready->message->Caption();
  EXPECT_NE(text.find(L"C:\\R&amp;D &lt;new&gt; folder<p>"), std::wstring::npos) << WideToAnsi(text);
  EXPECT_EQ(EscapeHtmlText("a&&b<>"), "a&amp;&amp;b&lt;&gt;");
}

TEST_F(Pages, TheLicenceBoxIsReadOnlyButScrolls) {
  TStep2_LicensePanel* licence = ShowLicensePage();
  PumpMessages();
  TSBScrollbaredElEdit* edit = licence->license_text_edit;
  const std::wstring text = edit->Text();
  EXPECT_EQ(text.rfind(L"ЛИЦЕНЗИОННОЕ СОГЛАШЕНИЕ\r\n", 0), 0u);
  EXPECT_TRUE(edit->ReadOnly());
  edit->SetFocus();
  edit->Perform(WM_CHAR, 'x', 0);
  edit->Perform(WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(edit->Text(), text) << "typing changes nothing";
  TElScrollBar* bar = edit->VertScrollBar();
  ASSERT_GT(bar->Max(), 0) << "the text is longer than the box";
  const int before = bar->Position();
  edit->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
  edit->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  PumpMessages();
  EXPECT_GT(bar->Position(), before);
}

TEST_F(Pages, NotAgreeingEndsTheProgram) {
  TStep2_LicensePanel* licence = ShowLicensePage();
  EXPECT_EQ(licence->disagree_button->OnClick, licence->close_button->OnClick);
}

// The scroll bar's parts drawn into a bitmap, and the picture each state
// must show.
class ScrollPart : public Pages {
 protected:
  void SetUp() override {
    Pages::SetUp();
    page = ShowLicensePage();
    target.SetPixelFormat(pf24bit);
    target.SetSize(16, 60);
  }
  // Draws the part at the top of the target and tells whether its pixels
  // are those of the picture.
  bool Draws(TElScrollBarPart part, bool focused, bool pressed, TImage* expected, int height = 18) {
    target.Canvas()->Brush()->SetColor(clFuchsia);
    target.Canvas()->FillRect(TRect{0, 0, 16, 60});
    bool defaultDraw = true;
    page->DrawScrollPart(page->license_text_edit, target.Canvas(), TRect{0, 0, 16, height}, part, true, focused,
                         pressed, defaultDraw);
    EXPECT_FALSE(defaultDraw);
    TBitmap* picture = expected->Picture()->Bitmap();
    const int top = (height - picture->Height()) / 2 * (part == spThumb);
    for (int y = 0; y < picture->Height(); ++y)
      for (int x = 0; x < picture->Width(); ++x)
        if (target.Canvas()->Pixels(x, top + y) != picture->Canvas()->Pixels(x, y)) return false;
    return true;
  }
  TStep2_LicensePanel* page = nullptr;
  TBitmap target;
};

TEST_F(ScrollPart, ArrowsShowPressedOverHoverOverNormal) {
  EXPECT_TRUE(Draws(spFirstArrow, false, false, page->sbLeftNormal));
  EXPECT_TRUE(Draws(spFirstArrow, true, false, page->sbLeftOver));
  EXPECT_TRUE(Draws(spFirstArrow, true, true, page->sbLeftDown));
  EXPECT_TRUE(Draws(spFirstArrow, false, true, page->sbLeftDown));
  EXPECT_TRUE(Draws(spLastArrow, false, false, page->sbRightNormal));
  EXPECT_TRUE(Draws(spLastArrow, true, false, page->sbRightOver));
  EXPECT_TRUE(Draws(spLastArrow, false, true, page->sbRightDown));
  EXPECT_FALSE(Draws(spLastArrow, false, false, page->sbRightDown));
}

TEST_F(ScrollPart, TheThumbIsCentredOnTheTrack) {
  EXPECT_TRUE(Draws(spThumb, false, false, page->sbHThumb, 31));
  EXPECT_TRUE(Draws(spThumb, true, false, page->sbHThumbOver, 31));
  // Above the thumb the track's pattern, never the untouched background.
  EXPECT_NE(target.Canvas()->Pixels(3, 2), TColor(clFuchsia));
}

TEST_F(ScrollPart, TheTrackIsFilledWithItsPattern) {
  EXPECT_TRUE(Draws(spTrackBefore, false, false, page->sbHBg, 8));
  EXPECT_TRUE(Draws(spNone, false, false, page->sbHBg, 8));
  // The brush keeps no bitmap after the fill.
  EXPECT_EQ(target.Canvas()->Brush()->Bitmap(), nullptr);
}

TEST(ProgressBar, WidthIsRoundedWithHalvesToEven) {
  EXPECT_EQ(ProgressWidth(0, 0, 433), 0) << "no total yet";
  EXPECT_EQ(ProgressWidth(1, 2, 433), 216);  // 216.5
  EXPECT_EQ(ProgressWidth(1, 2, 435), 218);  // 217.5
  EXPECT_EQ(ProgressWidth(1, 3, 433), 144);  // 144.33
  EXPECT_EQ(ProgressWidth(2, 3, 433), 289);  // 288.67
  EXPECT_EQ(ProgressWidth(2000000000, 2000000000, 433), 433);
}

TEST(ErrorTexts, StatusesGiveTheirTextsAndCodes) {
  EXPECT_NE(InstallErrorText(isScanFailed, 24).find("1-24."), AnsiString::npos);
  EXPECT_NE(InstallErrorText(isExtractFailed, 12).find("2-12."), AnsiString::npos);
  EXPECT_NE(InstallErrorText(isArchiveMissing, 0), InstallErrorText(isStepFailed, 0));
  EXPECT_EQ(InstallErrorText(isStepFailed, 0).find('%'), AnsiString::npos);
}

// A real install of the demo payload into a scratch folder, cancelled by
// closing the host window as Alt+F4 does.
TEST_F(Pages, ClosingTheWindowDuringTheInstallCancelsAndRollsBack) {
  ScratchFolder folder;
  InstallSettings->TargetFolder = folder.Path() + "Lumbrix 2008";
  ArchivePath = WIZARD_TEST_PAYLOAD;
  LoadUnRarLibrary(WIZARD_TEST_UNRAR);
  ASSERT_TRUE(UnRarLoaded);
  ShowInstallRunningPage();
  TStep7_InstallPanel* page = RunningInstallPage();
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(page->forward_button->Visible());
  SendMessageA(MainPanel->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(MainPanel->Visible()) << "the window stays while the worker runs";
  EXPECT_EQ(page->action_label->Caption(), L"Установка прервана.\r\nПодождите, пожалуйста...");
  WaitForInstallEnd();
  EXPECT_EQ(RunningInstallPage(), nullptr);
  EXPECT_FALSE(DirectoryExists(InstallSettings->TargetFolder)) << "the rollback removed the install";
  EXPECT_TRUE(DirectoryExists(folder.Path())) << "the folder that was there stays";
  // The program ends: the quit message is waiting.
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The end of the session: the process may go as soon as the message is
// answered, so the answer waits for the rollback.
TEST_F(Pages, TheEndOfTheSessionWaitsForTheRollback) {
  ScratchFolder folder;
  InstallSettings->TargetFolder = folder.Path() + "Lumbrix 2008";
  ArchivePath = WIZARD_TEST_PAYLOAD;
  LoadUnRarLibrary(WIZARD_TEST_UNRAR);
  ShowInstallRunningPage();
  ASSERT_NE(RunningInstallPage(), nullptr);
  SendMessageA(MainPanel->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(RunningInstallPage(), nullptr) << "the worker has ended and its outcome is handled";
  EXPECT_FALSE(DirectoryExists(InstallSettings->TargetFolder));
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The message loop ended by a quit message from outside while the worker
// runs: the settings it reads are freed only after it has ended.
TEST_F(Pages, TheSettingsOutliveTheWorker) {
  ScratchFolder folder;
  const AnsiString target = folder.Path() + "Lumbrix 2008";
  InstallSettings->TargetFolder = target;
  ArchivePath = WIZARD_TEST_PAYLOAD;
  LoadUnRarLibrary(WIZARD_TEST_UNRAR);
  ShowInstallRunningPage();
  ASSERT_NE(RunningInstallPage(), nullptr);
  ReleaseInstallSettings();
  EXPECT_EQ(RunningInstallPage(), nullptr);
  EXPECT_EQ(InstallSettings, nullptr);
  EXPECT_FALSE(DirectoryExists(target)) << "cancelled and rolled back";
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The worker's end dispatched on its status, with a worker that never ran.
class WorkerEnd : public Pages {
 protected:
  TBasePanel* End(TInstallStatus status, std::int32_t rarError) {
    TStep7_InstallPanel* page = nullptr;
    Application->CreateForm(page);
    page->InitPage();
    DockPage(page, THostUpdate::Update);
    worker = new InstallThread(true);
    worker->Status = status;
    worker->RarError = rarError;
    page->Thread = worker;
    page->ThreadTerminated(worker);
    EXPECT_EQ(page->Thread, nullptr);
    PumpMessages();
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* docked = dynamic_cast<TBasePanel*>(Screen->Forms(i)); docked && docked->holder->Parent() == MainPanel)
        return docked;
    return nullptr;
  }
  void TearDown() override {
    delete worker;
    Pages::TearDown();
  }
  InstallThread* worker = nullptr;
};

TEST_F(WorkerEnd, AnotherStepsFailureGetsTheErrorPage) {
  auto* error = dynamic_cast<TErrorPanel*>(End(isStepFailed, 0));
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->message_text->Caption(), AnsiToWide(InstallErrorText(isStepFailed, 0)));
  EXPECT_EQ(DockedPage<TStep7_InstallPanel>(), nullptr) << "the installing page is released";
}

TEST_F(WorkerEnd, AnExtractionFailureShowsPhaseAndCode) {
  auto* error = dynamic_cast<TErrorPanel*>(End(isExtractFailed, 12));
  ASSERT_NE(error, nullptr);
  EXPECT_NE(error->message_text->Caption().find(L"Код ошибки: 2-12."), std::wstring::npos);
}

TEST_F(WorkerEnd, SuccessOpensTheFinishPageWhoseForwardButtonEndsTheProgram) {
  auto* finish = dynamic_cast<TStep7_FinishPanel*>(End(isSuccess, 0));
  ASSERT_NE(finish, nullptr);
  EXPECT_EQ(finish->forward_button->OnClick, finish->close_button->OnClick);
  EXPECT_TRUE(finish->link_text->OnLinkClick.Assigned());
}

}  // namespace
