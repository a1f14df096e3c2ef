// The Error page: the one place where the wizard reports a failure.
#pragma once

#include "ElHTMLLbl.hpp"
#include "i01_0_1__BasePanel.hpp"

class TErrorPanel : public TBasePanel {
 public:
  explicit TErrorPanel(TComponent* owner) : TBasePanel(owner) {}

  TElHTMLLabel* message_text = nullptr;
  TElHTMLLabel* ElHTMLLabel1 = nullptr;
};

// Opens the Error page with the message (HTML). The host is not updated: at
// start-up it is not shown yet.
TErrorPanel* ShowErrorPage(const TElFString& message);

void RegisterErrorPanel();
