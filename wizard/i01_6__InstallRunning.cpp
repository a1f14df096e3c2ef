#include "i01_6__InstallRunning.hpp"

#include <cmath>
#include <exception>

#include "Streaming.hpp"
#include "WizardStrings.h"
#include "WizardTestSeams.hpp"
#include "WizardTexts.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_0_3__InstallError.hpp"
#include "i01_7__Finish.hpp"
#include "i01__MainWorkbench.hpp"
#include "ui_0__Delete.hpp"

namespace WizardTestSeams {
void (*RollbackProc)(const std::vector<AnsiString>& createdPaths) = nullptr;
}

TStep7_InstallPanel::~TStep7_InstallPanel() {
  // The termination step is read when it runs, in this thread: once unhooked
  // it can no longer reach the freed page. The worker frees itself.
  if (Thread) {
    Thread->OnTerminate = nullptr;
    Thread->Terminate();
    Thread = nullptr;
  }
}

void TStep7_InstallPanel::InitPage() {
  TBasePanel::InitPage();
  close_button->OnClick = TNotifyEvent(this, &TStep7_InstallPanel::CancelClick);
  forward_button->SetVisible(false);
}

void TStep7_InstallPanel::StartInstall() {
  DeleteProductRegistryKeys();
  Thread = new InstallThread(true);
  Thread->OnTerminate = TNotifyEvent(this, &TStep7_InstallPanel::ThreadTerminated);
  Thread->SetFreeOnTerminate(true);
  Thread->Resume();
  Timer->SetOnTimer(TNotifyEvent(this, &TStep7_InstallPanel::TimerTick));
  Timer->SetEnabled(true);
  MainPanel->UpdateSessionEndBlock();
}

// Halves go to the even neighbour, as the floating-point unit rounds.
int ProgressWidth(std::int32_t bytesDone, std::int32_t totalBytes, std::int32_t fullWidth) {
  if (totalBytes == 0) return 0;
  return static_cast<int>(std::nearbyint(static_cast<double>(bytesDone) / totalBytes * fullWidth));
}

void TStep7_InstallPanel::TimerTick(TObject*) {
  if (!Thread || Thread->TotalBytes() == 0) return;
  progress_image->SetWidth(ProgressWidth(Thread->BytesDone(), Thread->TotalBytes(), FullWidth));
}

void TStep7_InstallPanel::CancelClick(TObject*) {
  if (!Thread) {
    // The outcome has been handled, or could not be shown: the tab closes
    // the program as on every other page.
    Application->Terminate();
    return;
  }
  // Its outcome is on its way; a cancel would only show a wrong text.
  if (Thread->Finished()) return;
  Timer->SetEnabled(false);
  action_label->SetCaption(LoadText(IDS_INSTALL_CANCELLING));
  Thread->Terminate();
}

bool TStep7_InstallPanel::HostClosing() {
  if (!Busy()) return false;
  if (Thread) CancelClick(this);
  return true;
}

TElFString InstallErrorText(TInstallStatus status, std::int32_t rarError) {
  switch (status) {
    case isArchiveMissing: return LoadText(IDS_ERROR_ARCHIVE);
    case isTargetRefused: return LoadText(IDS_ERROR_TARGET_NAME);
    case isScanFailed: return FillText(LoadText(IDS_ERROR_UNPACK), {L"1", std::to_wstring(rarError)});
    case isExtractFailed: return FillText(LoadText(IDS_ERROR_UNPACK), {L"2", std::to_wstring(rarError)});
    default: return LoadText(IDS_ERROR_STEP);
  }
}

void RollbackInstall(const std::vector<AnsiString>& createdPaths) {
  if (WizardTestSeams::RollbackProc) {
    WizardTestSeams::RollbackProc(createdPaths);
    return;
  }
  RemoveMenuFolderAndShortcuts(255);
  RemoveInstallFolder(InstallSettings->TargetFolder, createdPaths);
  DeleteProductRegistryKeys();
}

void TStep7_InstallPanel::Rollback(const std::vector<AnsiString>& createdPaths) {
  struct TBusy {
    TStep7_InstallPanel* Page;
    explicit TBusy(TStep7_InstallPanel* page) : Page(page) { Page->rollingBack_ = true; }
    ~TBusy() {
      Page->rollingBack_ = false;
      MainPanel->UpdateSessionEndBlock();
    }
  } busy(this);
  RollbackInstall(createdPaths);
}

// Every way out ends on a page the user can close or in the program's end:
// the next page is opened and the rollback runs even when the other fails,
// and a failure is passed on (and reported) only after both.
void TStep7_InstallPanel::ThreadTerminated(TObject*) {
  Timer->SetEnabled(false);
  const TInstallStatus status = Thread->Status;
  const std::int32_t rarError = Thread->RarError;
  // The worker object is freed after this event; what the rollback needs
  // is copied now.
  const std::vector<AnsiString> created = Thread->CreatedPaths();
  // Busy until the rollback below has run.
  rollingBack_ = status != isSuccess;
  Thread = nullptr;
  switch (status) {
    case isSuccess:
      WizardExitCode = wecInstalled;
      MainPanel->UpdateSessionEndBlock();
      // Should the Finish page fail to open, this page stays, and its
      // close tab ends the program.
      ShowFinishPage();
      Release();
      return;
    case isCancelled:
      WizardExitCode = wecCancelled;
      try {
        Rollback(created);
      } catch (...) {
        Application->Terminate();
        throw;
      }
      Application->Terminate();
      return;
    default: {
      WizardExitCode = wecInstallFailed;
      std::exception_ptr failure;
      bool shown = false;
      try {
        // The Error page is on screen while the files go.
        ShowErrorPage(InstallErrorText(status, rarError));
        MainPanel->Update();
        shown = true;
      } catch (...) {
        failure = std::current_exception();
      }
      try {
        Rollback(created);
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
      if (shown) Release();
      if (failure) std::rethrow_exception(failure);
      return;
    }
  }
}

void ShowInstallRunningPage() {
  TStep7_InstallPanel* page =
      OpenPage<TStep7_InstallPanel>(THostUpdate::Update, [](TStep7_InstallPanel* p) {
        p->FullWidth = p->progress_image->Width();
        p->progress_image->SetWidth(0);
      });
  page->StartInstall();
}

void RegisterInstallPanel() {
  using P = TStep7_InstallPanel;
  Publish<P, TBasePanel>()
      .Field("Timer", &P::Timer)
      .Field("Label2", &P::Label2)
      .Field("action_label", &P::action_label)
      .Field("SBCImage1", &P::SBCImage1)
      .Field("progress_image", &P::progress_image);
}
