// The Finish page: the install is done; where the product's icon is and
// the support links.
#pragma once

#include "ElHTMLLbl.hpp"
#include "ExtCtrls.hpp"
#include "i01_0_1__BasePanel.hpp"

class TStep7_FinishPanel : public TBasePanel {
 public:
  explicit TStep7_FinishPanel(TComponent* owner) : TBasePanel(owner) {}

  TLabel* Label1 = nullptr;
  TElHTMLLabel* link_text = nullptr;
  TElHTMLLabel* ElHTMLLabel1 = nullptr;
  TImage* Image1 = nullptr;

  // Opens the link with the shell.
  void LinkClick(TObject* sender, const TElFString& href);

 protected:
  void DoCreate() override;
};

TStep7_FinishPanel* ShowFinishPage();

void RegisterFinishPanel();
