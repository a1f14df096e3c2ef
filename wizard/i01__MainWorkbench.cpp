#include "i01__MainWorkbench.hpp"

#include "Streaming.hpp"
#include "i01_0_1__BasePanel.hpp"
#include "i01_6__InstallRunning.hpp"

TMainPanel* MainPanel = nullptr;

void TMainPanel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      // Alt+F4, the taskbar's Close or another program's WM_CLOSE: the
      // install is cancelled and the program ends after its rollback.
      if (CancelRunningInstall()) return;
      break;
    case WM_ENDSESSION:
      // The process may be ended as soon as this message returns, so the
      // rollback must be over by then.
      if (message.WParam && CancelRunningInstall()) WaitForInstallEnd();
      break;
    default:
      break;
  }
  TForm::Dispatch(message);
}

void CreateMainPanel() {
  Application->CreateForm(MainPanel);
  AdjustFontForScreen(MainPanel->Font());
}

// The centring takes 500, the width of the pages, rather than the form's
// design width; on a screen narrower than that the left edge is negative.
POINT MainPanelPosition(int screenWidth, int screenHeight) {
  return POINT{(screenWidth - 500) / 2, (screenHeight - 400) / 2};
}

void ShowMainPanel() {
  const POINT at = MainPanelPosition(Screen->Width(), Screen->Height());
  MainPanel->SetBounds(at.x, at.y, MainPanel->Width(), MainPanel->Height());
  MainPanel->Show();
  Application->BringToFront();
  MainPanel->BringToFront();
}

void RunWizard(TBasePanel* firstPage) {
  ShowMainPanel();
  ApplyWindowShape(firstPage);
  Application->Run();
}

void RegisterMainPanel() { Publish<TMainPanel, TForm>(); }
