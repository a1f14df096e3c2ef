// The Ready page: where the product goes, "Дальше" to install there.
#pragma once

#include "ElHTMLLbl.hpp"
#include "SBSizableImgBtn.hpp"
#include "i01_0_1__BasePanel.hpp"

class TStep5_ReadyPanel : public TBasePanel {
 public:
  explicit TStep5_ReadyPanel(TComponent* owner) : TBasePanel(owner) {}

  TElHTMLLabel* message = nullptr;
  TLabel* label2 = nullptr;
  TSBHorzSizableImgBtn* select_folder_button = nullptr;

  void InitPage() override;
  void ForwardClick(TObject* sender);
  void SelectFolderClick(TObject* sender);

 protected:
  void DoCreate() override;
};

// The page's text with the folder put in as HTML text ("&", "<" and ">" as
// entities), so that the label shows the folder the install will use; all
// in UTF-16, whatever the ANSI code page.
TElFString ReadyText(const TElFString& caption, const AnsiString& folder);

TStep5_ReadyPanel* ShowReadyPage();

void RegisterReadyPanel();
