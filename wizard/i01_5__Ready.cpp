#include "i01_5__Ready.hpp"

#include "Streaming.hpp"
#include "WizardPictures.hpp"
#include "WizardTexts.hpp"
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

TElFString ReadyText(const TElFString& caption, const AnsiString& folder) {
  return FillText(caption, {EscapeHtmlText(AnsiToWide(folder))});
}

TStep5_ReadyPanel* ShowReadyPage() {
  return OpenPage<TStep5_ReadyPanel>(THostUpdate::Update, [](TStep5_ReadyPanel* page) {
    page->message->SetCaption(ReadyText(page->message->Caption(), InstallSettings->TargetFolder));
    DisableFolderChoice(page->select_folder_button);
  });
}

void RegisterReadyPanel() {
  using P = TStep5_ReadyPanel;
  Publish<P, TBasePanel>()
      .Field("message", &P::message)
      .Field("label2", &P::label2)
      .Field("select_folder_button", &P::select_folder_button);
}
