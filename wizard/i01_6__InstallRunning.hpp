// The Installing page: runs one install in the worker thread, shows its
// progress and lets the user cancel it; when the worker ends, opens the
// Finish page or the Error page, or rolls back and ends the program.
#pragma once

#include <cstdint>

#include "ElHTMLLbl.hpp"
#include "ExtCtrls.hpp"
#include "i01_0_1__BasePanel.hpp"
#include "i01_6_1__InstallThread.hpp"

class TStep7_InstallPanel : public TBasePanel {
 public:
  explicit TStep7_InstallPanel(TComponent* owner) : TBasePanel(owner) {}
  // A worker still running is cancelled and no longer reports to the page.
  ~TStep7_InstallPanel() override;

  TTimer* Timer = nullptr;
  TElHTMLLabel* Label2 = nullptr;
  TElHTMLLabel* action_label = nullptr;
  TSBCImage* SBCImage1 = nullptr;
  TSBTripleCImage* progress_image = nullptr;

  std::int32_t FullWidth = 0;
  InstallThread* Thread = nullptr;

  void InitPage() override;
  // Starts the worker and the progress timer.
  void StartInstall();
  void TimerTick(TObject* sender);
  // The close tab: cancels a running worker; without one it ends the
  // program; once the worker has ended its outcome simply follows.
  void CancelClick(TObject* sender);
  void ThreadTerminated(TObject* sender);
  // A close of the host while the worker or the rollback runs is a cancel.
  bool HostClosing() override;
  bool Busy() const override { return Thread || rollingBack_; }

 private:
  void Rollback(const std::vector<AnsiString>& createdPaths);

  bool rollingBack_ = false;
};

// The width of the progress bar for the worker's counters.
int ProgressWidth(std::int32_t bytesDone, std::int32_t totalBytes, std::int32_t fullWidth);
// The Error page's text for a worker's failure status.
TElFString InstallErrorText(TInstallStatus status, std::int32_t rarError);
// Undoes what the install made: shortcuts, files and folders, keys.
void RollbackInstall(const std::vector<AnsiString>& createdPaths);

void ShowInstallRunningPage();

void RegisterInstallPanel();
