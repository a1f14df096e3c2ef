// The host window: the one borderless form into which every wizard page's
// holder is docked, its creation and its placement, how it answers a close
// from outside, and how the program ends.
#pragma once

#include "Forms.hpp"

class TBasePanel;

// The program's exit code.
enum TWizardExitCode : int {
  // The install completed: the Finish page was reached.
  wecInstalled = 0,
  // The user ended the program before the install completed (a cancelled
  // install has been rolled back).
  wecCancelled = 1,
  // The install failed: the Error page after the worker, with a rollback.
  wecInstallFailed = 2,
  // The start-up refused: no administrator rights, no archive, no library.
  wecStartupRefused = 3,
  // The program itself failed (an error box was shown).
  wecProgramFailed = 4,
};
// What the program ends with; the pages set it as the install goes.
extern TWizardExitCode WizardExitCode;

// How long the end of the program, or of the session, waits for a running
// install to stop and be rolled back.
constexpr Cardinal InstallEndBound = 120000;

class TMainPanel : public TForm {
 public:
  explicit TMainPanel(TComponent* owner) : TForm(owner) {}

  // The page docked last; nullptr once it has gone.
  TBasePanel* Page() const { return page_; }
  void SetPage(TBasePanel* page);
  // A page has work under way that the program must not end under.
  bool Busy() const;
  // Asks every busy page to stop (an install is cancelled).
  void CancelBusyPages();
  // Serves the main thread's queue until no page is busy; false when the
  // bound ran out first.
  bool WaitWhileBusy(Cardinal timeoutMs);
  // While a page is busy the system is told why the session's end must wait
  // (where it can be told); afterwards it is told no more.
  void UpdateSessionEndBlock();

 protected:
  // Closing the window by any route is left to the page shown (the
  // Installing page cancels); the session's end waits while a page is busy,
  // and when it comes all the same the rollback is over before the answer.
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TBasePanel* page_ = nullptr;
  bool sessionEndBlocked_ = false;
};

extern TMainPanel* MainPanel;

// Creates the host; at large pixels per inch its font loses the bold style.
void CreateMainPanel();
// The host's left and top edges on a screen of the given size.
POINT MainPanelPosition(int screenWidth, int screenHeight);
// Places the host, shows it and brings the program to the front.
void ShowMainPanel();
// Shows the host with the first page docked in it, gives the window its
// shape and runs the message loop.
void RunWizard(TBasePanel* firstPage);

void RegisterMainPanel();
