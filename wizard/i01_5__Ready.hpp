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

// The folder as HTML text: "&", "<" and ">" as entities, so that the label
// shows the folder the install will use.
AnsiString EscapeHtmlText(const AnsiString& text);

TStep5_ReadyPanel* ShowReadyPage();

void RegisterReadyPanel();
