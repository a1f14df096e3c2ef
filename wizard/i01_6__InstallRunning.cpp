#include "i01_6__InstallRunning.hpp"

#include <cmath>

#include "Streaming.hpp"
#include "SysUtils.hpp"
#include "Thread.hpp"
#include "WizardStrings.h"
#include "i01_0_2__InstallData.hpp"
#include "i01_0_3__InstallError.hpp"
#include "i01_7__Finish.hpp"
#include "i01__MainWorkbench.hpp"
#include "ui_0__Delete.hpp"

namespace {
TStep7_InstallPanel* runningPage = nullptr;
}

TStep7_InstallPanel::~TStep7_InstallPanel() {
  if (runningPage == this) runningPage = nullptr;
}

void TStep7_InstallPanel::InitPage() {
  TBasePanel::InitPage();
  close_button->OnClick = TNotifyEvent(this, &TStep7_InstallPanel::CancelClick);
  forward_button->SetVisible(false);
}

void TStep7_InstallPanel::StartInstall() {
  DeleteProductRegistryKeys();
  Thread = new InstallThread(true);
  runningPage = this;
  Thread->OnTerminate = TNotifyEvent(this, &TStep7_InstallPanel::ThreadTerminated);
  Thread->SetFreeOnTerminate(true);
  Thread->Resume();
  Timer->SetOnTimer(TNotifyEvent(this, &TStep7_InstallPanel::TimerTick));
  Timer->SetEnabled(true);
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
  if (!Thread) return;
  Timer->SetEnabled(false);
  action_label->SetCaption(AnsiToWide(LoadStr(IDS_INSTALL_CANCELLING)));
  Thread->Terminate();
}

AnsiString InstallErrorText(TInstallStatus status, std::int32_t rarError) {
  switch (status) {
    case isArchiveMissing: return LoadStr(IDS_ERROR_ARCHIVE);
    case isScanFailed: return Format(LoadStr(IDS_ERROR_UNPACK), {1, rarError});
    case isExtractFailed: return Format(LoadStr(IDS_ERROR_UNPACK), {2, rarError});
    default: return LoadStr(IDS_ERROR_STEP);
  }
}

void RollbackInstall(const std::vector<AnsiString>& createdPaths) {
  RemoveMenuFolderAndShortcuts(255);
  RemoveInstallFolder(InstallSettings->TargetFolder, createdPaths);
  DeleteProductRegistryKeys();
}

void TStep7_InstallPanel::ThreadTerminated(TObject*) {
  Timer->SetEnabled(false);
  const TInstallStatus status = Thread->Status;
  const std::int32_t rarError = Thread->RarError;
  // The worker object is freed after this event; what the rollback needs
  // is copied now.
  const std::vector<AnsiString> created = Thread->CreatedPaths();
  Thread = nullptr;
  runningPage = nullptr;
  switch (status) {
    case isSuccess:
      ShowFinishPage();
      Release();
      return;
    case isCancelled:
      RollbackInstall(created);
      Application->Terminate();
      return;
    default:
      // The Error page is on screen while the files go.
      ShowErrorPage(InstallErrorText(status, rarError));
      MainPanel->Update();
      RollbackInstall(created);
      Release();
      return;
  }
}

void ShowInstallRunningPage() {
  TStep7_InstallPanel* page = nullptr;
  Application->CreateForm(page);
  page->InitPage();
  page->FullWidth = page->progress_image->Width();
  page->progress_image->SetWidth(0);
  DockPage(page, THostUpdate::Update);
  page->StartInstall();
}

TStep7_InstallPanel* RunningInstallPage() { return runningPage; }

bool CancelRunningInstall() {
  if (!runningPage) return false;
  runningPage->CancelClick(runningPage);
  return true;
}

void WaitForInstallEnd() {
  while (runningPage) {
    // The worker queues its shortcut step and its end for this thread.
    if (!CheckSynchronize()) Sleep(10);
  }
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
