#include "i01_5__Ready.hpp"

#include "FormatText.hpp"
#include "Streaming.hpp"
#include "WizardPictures.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_6__InstallRunning.hpp"

void TStep5_ReadyPanel::DoCreate() {
  LoadSkinPicture(select_folder_button->PicIcon(), "ICON_FOLDER");
  TBasePanel::DoCreate();
}

void TStep5_ReadyPanel::InitPage() {
  TBasePanel::InitPage();
  forward_button->OnClick = TNotifyEvent(this, &TStep5_ReadyPanel::ForwardClick);
  select_folder_button->OnClick = TNotifyEvent(this, &TStep5_ReadyPanel::SelectFolderClick);
}

void TStep5_ReadyPanel::ForwardClick(TObject*) {
  ShowInstallRunningPage();
  Release();
}

// The folder selection page is not part of this program yet: the button is
// shown disabled (see ShowReadyPage), and a click that reaches it anyway
// changes nothing.
void TStep5_ReadyPanel::SelectFolderClick(TObject*) {}

namespace {

// The page's text names the button, so it stays in sight, greyed and
// without input, rather than vanishing or doing nothing when pressed.
void DisableFolderChoice(TSBHorzSizableImgBtn* button) {
  button->Font()->SetColor(TColor(RGB(150, 140, 124)));
  button->SetEnabled(false);
}

}  // namespace

AnsiString EscapeHtmlText(const AnsiString& text) {
  AnsiString escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

TStep5_ReadyPanel* ShowReadyPage() {
  TStep5_ReadyPanel* page = nullptr;
  Application->CreateForm(page);
  page->InitPage();
  // The format is 8-bit; the caption's Russian text is in the ANSI code
  // page as the folder is.
  const AnsiString folder = EscapeHtmlText(InstallSettings->TargetFolder);
  page->message->SetCaption(AnsiToWide(FormatText(WideToAnsi(page->message->Caption()), {folder})));
  DisableFolderChoice(page->select_folder_button);
  DockPage(page, THostUpdate::Update);
  return page;
}

void RegisterReadyPanel() {
  using P = TStep5_ReadyPanel;
  Publish<P, TBasePanel>()
      .Field("message", &P::message)
      .Field("label2", &P::label2)
      .Field("select_folder_button", &P::select_folder_button);
}
