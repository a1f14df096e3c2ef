// The Welcome page.
#pragma once

#include "ElHTMLLbl.hpp"
#include "i01_0_1__BasePanel.hpp"

class TStep1_HelloPanel : public TBasePanel {
 public:
  explicit TStep1_HelloPanel(TComponent* owner) : TBasePanel(owner) {}

  TLabel* Label2 = nullptr;
  TElHTMLLabel* ElHTMLLabel2 = nullptr;

  void InitPage() override;
  void ForwardClick(TObject* sender);
};

TStep1_HelloPanel* ShowHelloPage();

void RegisterHelloPanel();
