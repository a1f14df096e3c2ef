// The host window: the one borderless form into which every wizard page's
// holder is docked, its creation and its placement.
#pragma once

#include "Forms.hpp"

class TBasePanel;

class TMainPanel : public TForm {
 public:
  explicit TMainPanel(TComponent* owner) : TForm(owner) {}

 protected:
  // Closing the window by any route while an install runs is a cancel of
  // that install, and the end of the session waits for its rollback.
  void Dispatch(TMessage& message) override;
};

extern TMainPanel* MainPanel;

// Creates the host; at large pixels per inch its font loses the bold style.
void CreateMainPanel();
// The host's left and top edges on a screen of the given size.
POINT MainPanelPosition(int screenWidth, int screenHeight);
// Places the host, shows it and brings the program to the front.
void ShowMainPanel();
// Shows the host with the first page docked in it, gives the window its
// shape and runs the message loop.
void RunWizard(TBasePanel* firstPage);

void RegisterMainPanel();
