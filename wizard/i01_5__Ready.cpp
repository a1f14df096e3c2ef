#include "i01_5__Ready.hpp"

#include "Streaming.hpp"
#include "WizardPictures.hpp"
#include "WizardTexts.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_5_1__SelectFolder.hpp"
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

void TStep5_ReadyPanel::SelectFolderClick(TObject*) {
  ShowSelectFolderPage();
  Release();
}

TElFString ReadyText(const TElFString& caption, const AnsiString& folder) {
  return FillText(caption, {EscapeHtmlText(AnsiToWide(folder))});
}

TStep5_ReadyPanel* ShowReadyPage() {
  return OpenPage<TStep5_ReadyPanel>(THostUpdate::Update, [](TStep5_ReadyPanel* page) {
    page->message->SetCaption(ReadyText(page->message->Caption(), InstallSettings->TargetFolder));
  });
}

void RegisterReadyPanel() {
  using P = TStep5_ReadyPanel;
  Publish<P, TBasePanel>()
      .Field("message", &P::message)
      .Field("label2", &P::label2)
      .Field("select_folder_button", &P::select_folder_button);
}
