// The pages: the walk from Welcome to Ready by clicks posted to the
// buttons' windows, the Ready page's folder, the licence box, its scroll
// bar's pictures, the progress bar's width, the install cancelled by
// closing the window, and the worker's end in every outcome.
#include <gtest/gtest.h>

#include <set>

#include "ElHandPt.hpp"
#include "Install.hpp"
#include "UnRAR.hpp"
#include "WizardStrings.h"
#include "WizardTestSeams.hpp"
#include "WizardTestSupport.hpp"
#include "WizardTexts.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_1__Hello.hpp"
#include "i01_2__License.hpp"
#include "i01_5__Ready.hpp"
#include "i01_5_1__SelectFolder.hpp"
#include "i01_0_3__InstallError.hpp"
#include "i01_6__InstallRunning.hpp"
#include "i01_7__Finish.hpp"
#include "i01__MainWorkbench.hpp"
#include "kv01_0_03_7__FillDirectoryTree.hpp"
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

// A click whose handler runs before this returns, with nothing else served
// (so a quit message stays to be seen).
void SendClick(TWinControl* button) {
  SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
}

// Polls the condition for up to 10 s.
template <class P>
bool WaitUntil(P condition) {
  for (int i = 0; i < 10000; ++i) {
    if (condition()) return true;
    Sleep(1);
  }
  return false;
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
  // In UTF-16 all the way: a caption in letters outside the ANSI code page
  // keeps them.
  EXPECT_EQ(ReadyText(L"\u03A9 %s, 100%%", "C:\\a&b"), L"\u03A9 C:\\a&amp;b, 100%");
}

TEST_F(Pages, TheLicenceBoxIsReadOnlyButScrolls) {
  TStep2_LicensePanel* licence = ShowLicensePage();
  PumpMessages();
  TSBScrollbaredElEdit* edit = licence->license_text_edit;
  const std::wstring text = edit->Text();
  EXPECT_EQ(text.rfind(L"ЛИЦЕНЗИОННОЕ СОГЛАШЕНИЕ\r\n", 0), 0u);
  EXPECT_NE(text.find(L"по адресу support@kestrum.ru."), std::wstring::npos);
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

// Whether the program has been told to end; the quit message is taken.
bool QuitPosted() {
  MSG quit;
  return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST_F(Pages, NotAgreeingEndsTheProgram) {
  TStep2_LicensePanel* licence = ShowLicensePage();
  PumpMessages();
  ASSERT_FALSE(QuitPosted());
  SendClick(licence->disagree_button);
  EXPECT_TRUE(QuitPosted());
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
  EXPECT_NE(InstallErrorText(isScanFailed, 24).find(L"1-24."), std::wstring::npos);
  EXPECT_NE(InstallErrorText(isExtractFailed, 12).find(L"2-12."), std::wstring::npos);
  EXPECT_NE(InstallErrorText(isArchiveMissing, 0), InstallErrorText(isStepFailed, 0));
  EXPECT_EQ(InstallErrorText(isStepFailed, 0).find(L'%'), std::wstring::npos);
  // The address is written once, in its own string, and every text that
  // names it shows it.
  const std::wstring address = LoadWideStr(IDS_SUPPORT_EMAIL);
  ASSERT_EQ(address, L"support@kestrum.ru");
  for (int id : {IDS_ERROR_NO_LIBRARY, IDS_ERROR_ARCHIVE, IDS_ERROR_UNPACK, IDS_ERROR_STEP}) {
    EXPECT_NE(LoadWideStr(id).find(L"{support}"), std::wstring::npos) << id;
    EXPECT_NE(LoadText(id).find(L": " + address + L"."), std::wstring::npos) << id;
    EXPECT_EQ(LoadText(id).find(L"{support}"), std::wstring::npos) << id;
  }
}

// A test string outside code page 1251 (tests/wizard_tests.rc).
TEST(Texts, ComeAsUtf16WhateverTheAnsiCodePage) {
  EXPECT_EQ(LoadText(3999), L"\u03A9 \u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430: support@kestrum.ru");
  EXPECT_EQ(FillText(L"%d-%d, %s; %x", {L"2", L"12"}), L"2-12, %s; %x");
}

// The typed install folder: absolute or refused, with the host's code pages
// (1251 and 866 in the test run) deciding which names can go through.
TEST(TargetFolderCheck, AcceptsAbsoluteFoldersExactlyAsTyped) {
  EXPECT_EQ(LoadText(IDS_TARGET_NOT_ABSOLUTE),
            L"Укажите папку полностью: с буквой диска, например C:\\Program Files\\Lumbrix 2008, "
            L"или сетевой путь, например \\\\Сервер\\Программы.");
  for (const wchar_t* typed : {L"", L"Lumbrix", L"C:Lumbrix", L"\\Lumbrix", L"C:", L"1:\\Lumbrix", L"\\\\server",
                               L"\\\\server\\", L"\\\\\\share", L"\\\\?\\C:\\Lumbrix", L"\\\\.\\C:\\Lumbrix"}) {
    const TTargetFolderCheck check = CheckTargetFolder(typed);
    EXPECT_EQ(check.MessageId, IDS_TARGET_NOT_ABSOLUTE) << WideToAnsi(typed);
    EXPECT_TRUE(check.Folder.empty());
  }
  const std::pair<const wchar_t*, const char*> accepted[] = {
      {L"C:\\", "C:\\"},
      {L"d:\\program files\\ lumbrix ", "d:\\program files\\ lumbrix "},
      {L"C:\\Мои программы", "C:\\\xCC\xEE\xE8 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB"},
      {L"\\\\Сервер\\Программы", "\\\\\xD1\xE5\xF0\xE2\xE5\xF0\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB"}};
  for (const auto& [typed, ansi] : accepted) {
    const TTargetFolderCheck check = CheckTargetFolder(typed);
    EXPECT_EQ(check.MessageId, 0) << ansi;
    EXPECT_EQ(check.Folder, ansi);
  }
  // Not in code page 1251 (Greek, a character beyond the BMP), or in it but
  // turned into another name in 866 (the dash, the quotes).
  for (const wchar_t* typed : {L"C:\\\u03A9", L"C:\\a\U0001F600", L"C:\\a\u2014b", L"C:\\\u00ABёлочки\u00BB",
                               L"C:\\a\u2026"}) {
    const TTargetFolderCheck check = CheckTargetFolder(typed);
    EXPECT_EQ(check.MessageId, IDS_TARGET_NAME_UNSUPPORTED) << WideToAnsi(typed);
    EXPECT_TRUE(check.Folder.empty());
  }
  EXPECT_EQ(CheckTargetFolder(std::wstring(L"C:\\a\0b", 6)).MessageId, IDS_TARGET_NAME_UNSUPPORTED);
  EXPECT_NE(LoadText(IDS_TARGET_NAME_UNSUPPORTED), LoadText(IDS_TARGET_NOT_ABSOLUTE));
}

// The folder page opened from Ready, with its message boxes and the opening
// of the Installing page caught by the program's seams.
class FolderPage : public Pages {
 protected:
  struct TBox {
    HWND Owner;
    std::wstring Text, Caption;
  };
  struct TInstallStarted {
    AnsiString Target;
  };
  void SetUp() override {
    Pages::SetUp();
    boxes.clear();
    WizardTestSeams::MessageBoxProc = [](HWND owner, const TElFString& text, const TElFString& caption, UINT) {
      boxes.push_back({owner, text, caption});
      return IDOK;
    };
    // The install is not run: its page's opening reports the target.
    WizardTestSeams::PageOpeningProc = [](TBasePanel* page) {
      if (dynamic_cast<TStep7_InstallPanel*>(page)) throw TInstallStarted{InstallSettings->TargetFolder};
    };
  }
  void TearDown() override {
    WizardTestSeams::MessageBoxProc = nullptr;
    WizardTestSeams::PageOpeningProc = nullptr;
    Pages::TearDown();
  }
  TStep5_SelectFolderPanel* OpenFromReady() {
    TStep5_ReadyPanel* ready = ShowReadyPage();
    EXPECT_TRUE(ready->select_folder_button->Enabled());
    PostClick(ready->select_folder_button);
    EXPECT_EQ(DockedPage<TStep5_ReadyPanel>(), nullptr) << "the Ready page is released";
    return DockedPage<TStep5_SelectFolderPanel>();
  }
  // Forward with the text typed: the target the install starts with, or
  // "" when a message refused it (the page staying, the target unchanged).
  AnsiString Forward(TStep5_SelectFolderPanel* page, const TElFString& typed) {
    const AnsiString before = InstallSettings->TargetFolder;
    const size_t shown = boxes.size();
    page->storage_folder_edit->SetText(typed);
    try {
      page->ForwardClick(page->forward_button);
    } catch (const TInstallStarted& started) {
      EXPECT_EQ(boxes.size(), shown);
      return started.Target;
    }
    EXPECT_EQ(boxes.size(), shown + 1) << WideToAnsi(typed);
    EXPECT_EQ(InstallSettings->TargetFolder, before);
    EXPECT_EQ(MainPanel->Page(), page);
    return "";
  }
  static inline std::vector<TBox> boxes;
};

TEST_F(FolderPage, OpensOnTheDesktopWhateverTheTargetAndFollowsTheSelection) {
  InstallSettings->TargetFolder = "C:\\windows\\system32";
  TStep5_SelectFolderPanel* page = OpenFromReady();
  ASSERT_NE(page, nullptr);
  TElTree* tree = page->storage_tree;
  TElTreeItem* desktop = tree->Items()->GetFirstItem();
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(tree->ItemFocused(), desktop);
  EXPECT_TRUE(desktop->Selected());
  EXPECT_EQ(desktop->ImageIndex(), fkDesktop + 1) << "the open picture";
  EXPECT_EQ(tree->BackgroundType(), bgtTileBitmap);
  EXPECT_FALSE(tree->Background()->Empty());
  TElEdit* edit = page->storage_folder_edit;
  const TElFString onDesktop = AnsiToWide(AddTrailingBackslash(DesktopFolder) + "Lumbrix 2008");
  EXPECT_EQ(edit->Text(), onDesktop);
  EXPECT_EQ(edit->GetSelStart(), int(onDesktop.size()));
  EXPECT_EQ(edit->FirstColumn(), 0) << "the folder is in sight, not scrolled past";
  EXPECT_EQ(InstallSettings->TargetFolder, "C:\\windows\\system32") << "opening chooses nothing";

  // The computer has no folder: the edit empties, and forward says why.
  TElTreeItem* computer = desktop->GetFirstChild();
  ASSERT_NE(computer, nullptr);
  ASSERT_EQ(computer->ImageIndex(), fkComputer);
  tree->SetFocusedItem(computer);
  EXPECT_EQ(edit->Text(), L"");
  EXPECT_EQ(Forward(page, edit->Text()), "");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Owner, MainPanel->Handle()) << "the host owns the message";
  EXPECT_EQ(boxes[0].Text, LoadText(IDS_TARGET_NOT_ABSOLUTE));
  EXPECT_EQ(boxes[0].Caption, LoadText(IDS_APPLICATION_TITLE));

  // A drive root: no doubled backslash.
  computer->SetExpanded(true);
  TElTreeItem* drive = nullptr;
  for (TElTreeItem* child = computer->GetFirstChild(); child; child = computer->GetNextChild(child))
    if (ItemPath(child) == "C:\\") drive = child;
  ASSERT_NE(drive, nullptr);
  tree->SetFocusedItem(drive);
  EXPECT_EQ(edit->Text(), L"C:\\Lumbrix 2008");
  EXPECT_EQ(Forward(page, edit->Text()), "C:\\Lumbrix 2008");
  tree->SetFocusedItem(desktop);
  EXPECT_EQ(edit->Text(), onDesktop);
}

TEST_F(FolderPage, TypedFoldersAreRefusedWithTheirMessageOrKeptExactlyAsTyped) {
  TStep5_SelectFolderPanel* page = OpenFromReady();
  ASSERT_NE(page, nullptr);
  for (const wchar_t* typed : {L"", L"Lumbrix", L"C:Lumbrix", L"\\Lumbrix", L"Мои программы"}) {
    EXPECT_EQ(Forward(page, typed), "");
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().Text, LoadText(IDS_TARGET_NOT_ABSOLUTE)) << WideToAnsi(typed);
  }
  EXPECT_EQ(Forward(page, L"C:\\Игры \u2014 2008"), "");
  EXPECT_EQ(boxes.back().Text, LoadText(IDS_TARGET_NAME_UNSUPPORTED));
  // Accepted: exactly as typed, without the product's folder added.
  EXPECT_EQ(Forward(page, L"\\\\Сервер\\Программы"), Ansi("\\\\Сервер\\Программы"));
  EXPECT_EQ(Forward(page, L"c:\\Мои программы\\ свой "), Ansi("c:\\Мои программы\\ свой "));
}

// A real install of the demo payload into a scratch folder. It writes and
// then removes the product's keys and shortcuts: never where a product is
// installed already (a developer's own prefix).
class Install : public Pages {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008", 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      GTEST_SKIP() << "the product is installed in this prefix";
    }
    Pages::SetUp();
    InstallSettings->TargetFolder = folder.Path() + "Lumbrix 2008";
    ArchivePath = WIZARD_TEST_PAYLOAD;
    LoadUnRarLibrary(WIZARD_TEST_UNRAR);
    ASSERT_TRUE(UnRarLoaded);
  }
  void TearDown() override {
    if (!InstallSettings) return;
    MainPanel->WaitWhileBusy(InstallEndBound);
    QuitPosted();
    Pages::TearDown();
  }
  TStep7_InstallPanel* Start() {
    ShowInstallRunningPage();
    auto* page = dynamic_cast<TStep7_InstallPanel*>(MainPanel->Page());
    EXPECT_NE(page, nullptr);
    EXPECT_TRUE(MainPanel->Busy());
    return page;
  }
  ScratchFolder folder;
};

// Alt+F4, or the taskbar's Close through the application's window.
TEST_F(Install, ClosingTheWindowCancelsAndRollsBack) {
  TStep7_InstallPanel* page = Start();
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(page->forward_button->Visible());
  SendMessageA(MainPanel->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(MainPanel->Visible()) << "the window stays while the worker runs";
  EXPECT_FALSE(QuitPosted());
  EXPECT_EQ(page->action_label->Caption(), L"Установка прервана.\r\nПодождите, пожалуйста...");
  EXPECT_TRUE(MainPanel->WaitWhileBusy(InstallEndBound));
  EXPECT_FALSE(DirectoryExists(InstallSettings->TargetFolder)) << "the rollback removed the install";
  EXPECT_TRUE(DirectoryExists(folder.Path())) << "the folder that was there stays";
  EXPECT_EQ(WizardExitCode, wecCancelled);
  EXPECT_TRUE(QuitPosted());
}

// The session's end is refused while the install runs; when it comes all
// the same, the answer waits for the rollback, since the process may go
// as soon as it is given.
TEST_F(Install, TheEndOfTheSessionWaitsForTheRollback) {
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(SendMessageA(MainPanel->Handle(), WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_FALSE(QuitPosted()) << "a refused end of the session cancels nothing";
  SendMessageA(MainPanel->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(MainPanel->Busy()) << "the worker has ended and its outcome is handled";
  EXPECT_FALSE(DirectoryExists(InstallSettings->TargetFolder));
  EXPECT_NE(SendMessageA(MainPanel->Handle(), WM_QUERYENDSESSION, 0, 0), 0);
}

// The message loop ended by a quit message from outside while the worker
// runs: the settings it reads are freed only after it has ended.
TEST_F(Install, TheSettingsOutliveTheWorker) {
  const AnsiString target = InstallSettings->TargetFolder;
  ASSERT_NE(Start(), nullptr);
  ReleaseInstallSettings();
  EXPECT_FALSE(MainPanel->Busy());
  EXPECT_EQ(InstallSettings, nullptr);
  EXPECT_FALSE(DirectoryExists(target)) << "cancelled and rolled back";
  InstallSettings = new TInstallData();
}

// The page goes while its worker runs (the program's end after a failure):
// the worker is cancelled and never calls back into the freed page.
TEST_F(Install, APageFreedUnderItsWorkerIsNotCalledBack) {
  TStep7_InstallPanel* page = Start();
  ASSERT_NE(page, nullptr);
  HANDLE worker = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), page->Thread->Handle(), GetCurrentProcess(), &worker, SYNCHRONIZE,
                              FALSE, 0));
  const int forms = Screen->FormCount();
  page->Free();
  EXPECT_TRUE(WaitServingQueue(nullptr, 60000, worker)) << "the worker stopped";
  CloseHandle(worker);
  PumpMessages();
  EXPECT_EQ(Screen->FormCount(), forms - 1) << "no Finish or Error page";
  EXPECT_FALSE(QuitPosted());
}

// A worker that never runs, and so never ends.
TEST_F(Pages, WaitingForTheInstallsEndIsBounded) {
  TStep7_InstallPanel* page = nullptr;
  Application->CreateForm(page);
  page->InitPage();
  DockPage(page, THostUpdate::Update);
  InstallThread stuck(true);
  page->Thread = &stuck;
  const DWORD start = GetTickCount();
  EXPECT_FALSE(MainPanel->WaitWhileBusy(300));
  EXPECT_LT(GetTickCount() - start, 5000u);
  page->Thread = nullptr;
}

// The worker's end dispatched on its status, with a worker that never ran;
// the rollback is recorded, never done.
std::vector<std::vector<AnsiString>> g_rollbacks;
void RecordRollback(const std::vector<AnsiString>& created) { g_rollbacks.push_back(created); }

class WorkerEnd : public Pages {
 protected:
  void SetUp() override {
    Pages::SetUp();
    g_rollbacks.clear();
    WizardTestSeams::RollbackProc = &RecordRollback;
    WizardExitCode = wecCancelled;
  }
  // The Installing page, docked, with its finished worker.
  TStep7_InstallPanel* Running(TInstallStatus status, std::int32_t rarError) {
    TStep7_InstallPanel* page = nullptr;
    Application->CreateForm(page);
    page->InitPage();
    DockPage(page, THostUpdate::Update);
    worker = new InstallThread(true);
    worker->Status = status;
    worker->RarError = rarError;
    page->Thread = worker;
    return page;
  }
  TBasePanel* End(TInstallStatus status, std::int32_t rarError) {
    TStep7_InstallPanel* page = Running(status, rarError);
    page->ThreadTerminated(worker);
    EXPECT_EQ(page->Thread, nullptr);
    ended = QuitPosted();
    PumpMessages();
    return MainPanel->Page();
  }
  void TearDown() override {
    WizardTestSeams::RollbackProc = nullptr;
    WizardTestSeams::PageOpeningProc = nullptr;
    WizardTestSeams::ShellOpenProc = nullptr;
    delete worker;
    QuitPosted();
    Pages::TearDown();
  }
  InstallThread* worker = nullptr;
  // The worker's end ended the program.
  bool ended = false;
};

TEST_F(WorkerEnd, AFailureShowsTheErrorPageThenRollsBack) {
  auto* error = dynamic_cast<TErrorPanel*>(End(isExtractFailed, 12));
  ASSERT_NE(error, nullptr);
  EXPECT_NE(error->message_text->Caption().find(L"Код ошибки: 2-12."), std::wstring::npos);
  EXPECT_EQ(DockedPage<TStep7_InstallPanel>(), nullptr) << "the installing page is released";
  EXPECT_EQ(g_rollbacks.size(), 1u);
  EXPECT_EQ(WizardExitCode, wecInstallFailed);
  EXPECT_FALSE(ended) << "the Error page stays";
  SendClick(error->close_button);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(WorkerEnd, ACancelRollsBackAndEndsWithoutAPage) {
  TBasePanel* shown = End(isCancelled, 0);
  EXPECT_NE(dynamic_cast<TStep7_InstallPanel*>(shown), nullptr);
  EXPECT_EQ(g_rollbacks.size(), 1u);
  EXPECT_EQ(WizardExitCode, wecCancelled);
  EXPECT_TRUE(ended);
}

TEST_F(WorkerEnd, SuccessOpensTheFinishPageWhoseButtonsEndTheProgram) {
  auto* finish = dynamic_cast<TStep7_FinishPanel*>(End(isSuccess, 0));
  ASSERT_NE(finish, nullptr);
  EXPECT_TRUE(g_rollbacks.empty());
  EXPECT_EQ(WizardExitCode, wecInstalled);
  EXPECT_FALSE(ended);
  SendClick(finish->forward_button);
  EXPECT_TRUE(QuitPosted());
  SendClick(finish->close_button);
  EXPECT_TRUE(QuitPosted());
}

// The links are clicked where the label shows them, and go to the shell.
std::set<AnsiString> g_opened;
void RecordOpen(const AnsiString& file) { g_opened.insert(file); }

TEST_F(WorkerEnd, TheFinishPagesLinksOpenThroughTheShell) {
  auto* finish = dynamic_cast<TStep7_FinishPanel*>(End(isSuccess, 0));
  ASSERT_NE(finish, nullptr);
  WizardTestSeams::ShellOpenProc = &RecordOpen;
  g_opened.clear();
  TElHTMLLabel* label = finish->link_text;
  for (int y = 2; y < label->Height(); y += 4) {
    for (int x = 2; x < label->Width(); x += 6) {
      label->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
      if (static_cast<TControl*>(label)->Cursor() != crURLCursor) continue;
      POINT screen = label->ClientToScreen(POINT{x, y});
      SetCursorPos(screen.x, screen.y);
      label->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      label->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
  }
  EXPECT_EQ(g_opened, (std::set<AnsiString>{"http://www.kestrum.ru/", "mailto:support@kestrum.ru"}));
}

// A cancel that comes after the worker has ended changes nothing: its
// outcome follows as it is.
TEST_F(WorkerEnd, ACancelAfterTheWorkerEndedIsNoCancel) {
  TStep7_InstallPanel* page = Running(isSuccess, 0);
  page->Thread = nullptr;
  delete worker;
  worker = nullptr;
  // A worker that really ran and ended, its termination step still queued.
  ArchivePath = "Z:\\no such archive.z";
  auto* ended = new InstallThread(true);
  ended->OnTerminate = TNotifyEvent(page, &TStep7_InstallPanel::ThreadTerminated);
  ended->SetFreeOnTerminate(true);
  page->Thread = ended;
  const std::wstring before = page->action_label->Caption();
  ended->Resume();
  ASSERT_TRUE(WaitUntil([&] { return ended->Finished(); }));
  page->CancelClick(page->close_button);
  EXPECT_EQ(page->action_label->Caption(), before);
  SendMessageA(MainPanel->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(page->action_label->Caption(), before);
  EXPECT_FALSE(QuitPosted());
  ASSERT_TRUE(WaitServingQueue([] { return !MainPanel->Busy(); }, 10000));
  auto* error = dynamic_cast<TErrorPanel*>(MainPanel->Page());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->message_text->Caption(), InstallErrorText(isArchiveMissing, 0));
}

// Opening the next page fails: the rollback runs all the same, the failure
// is passed on, and the page left on screen can still be closed.
void RefuseErrorPage(TBasePanel* page) {
  if (dynamic_cast<TErrorPanel*>(page)) throw EOutOfResources("Out of system resources");
}
void RefuseFinishPage(TBasePanel* page) {
  if (dynamic_cast<TStep7_FinishPanel*>(page)) throw EOutOfResources("Out of system resources");
}

TEST_F(WorkerEnd, AFailingNextPageStillEndsInAPageThatCloses) {
  for (TInstallStatus status : {isStepFailed, isSuccess}) {
    SCOPED_TRACE(int(status));
    g_rollbacks.clear();
    WizardTestSeams::PageOpeningProc = status == isSuccess ? &RefuseFinishPage : &RefuseErrorPage;
    TStep7_InstallPanel* page = Running(status, 0);
    EXPECT_THROW(page->ThreadTerminated(worker), EOutOfResources);
    WizardTestSeams::PageOpeningProc = nullptr;
    delete worker;
    worker = nullptr;
    PumpMessages();
    EXPECT_EQ(g_rollbacks.size(), status == isSuccess ? 0u : 1u);
    EXPECT_EQ(MainPanel->Page(), page) << "the installing page stays shown";
    EXPECT_FALSE(MainPanel->Busy());
    EXPECT_FALSE(QuitPosted());
    SendClick(page->close_button);
    EXPECT_TRUE(QuitPosted()) << "its close tab ends the program";
    page->Free();
  }
}

}  // namespace
