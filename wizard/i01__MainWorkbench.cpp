#include "i01__MainWorkbench.hpp"

#include "Streaming.hpp"
#include "Thread.hpp"
#include "WizardStrings.h"
#include "WizardTexts.hpp"
#include "i01_0_1__BasePanel.hpp"

TMainPanel* MainPanel = nullptr;
TWizardExitCode WizardExitCode = wecCancelled;

namespace {

// Present from Windows Vista on; looked up, so that the program still
// starts where it is missing.
using TShutdownBlockReasonCreate = BOOL(WINAPI*)(HWND window, LPCWSTR reason);
using TShutdownBlockReasonDestroy = BOOL(WINAPI*)(HWND window);

template <class F>
F User32Entry(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

void TMainPanel::SetPage(TBasePanel* page) {
  if (page_ == page) return;
  if (page_) page_->RemoveFreeNotification(this);
  page_ = page;
  if (page_) page_->FreeNotification(this);
}

void TMainPanel::Notification(TComponent* component, TOperation operation) {
  TForm::Notification(component, operation);
  if (operation == opRemove && component == page_) page_ = nullptr;
}

bool TMainPanel::Busy() const {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (auto* page = dynamic_cast<TBasePanel*>(Screen->Forms(i)); page && page->Busy()) return true;
  return false;
}

void TMainPanel::CancelBusyPages() {
  for (int i = Screen->FormCount() - 1; i >= 0; --i)
    if (auto* page = dynamic_cast<TBasePanel*>(Screen->Forms(i)); page && page->Busy()) page->HostClosing();
}

bool TMainPanel::WaitWhileBusy(Cardinal timeoutMs) {
  return WaitServingQueue([this] { return !Busy(); }, timeoutMs);
}

void TMainPanel::UpdateSessionEndBlock() {
  const bool block = Busy();
  if (block == sessionEndBlocked_ || !HandleAllocated()) return;
  if (block) {
    auto create = User32Entry<TShutdownBlockReasonCreate>("ShutdownBlockReasonCreate");
    if (create) create(Handle(), LoadText(IDS_INSTALL_RUNNING).c_str());
  } else {
    auto destroy = User32Entry<TShutdownBlockReasonDestroy>("ShutdownBlockReasonDestroy");
    if (destroy) destroy(Handle());
  }
  sessionEndBlocked_ = block;
}

void TMainPanel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      // Alt+F4, the taskbar's Close (through the application's window) or
      // another program's WM_CLOSE: the page shown decides.
      if (page_ && page_->HostClosing()) return;
      break;
    case WM_QUERYENDSESSION:
      // An install or its rollback under way: the session's end waits.
      if (Busy()) {
        message.Result = 0;
        return;
      }
      break;
    case WM_ENDSESSION:
      // The session ends all the same. The process may be ended as soon as
      // this message returns, so the rollback must be over by then.
      if (message.WParam && Busy()) {
        CancelBusyPages();
        WaitWhileBusy(InstallEndBound);
      }
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
