#include "i01_0_3__InstallError.hpp"

#include "Streaming.hpp"

TErrorPanel* ShowErrorPage(const AnsiString& message) {
  TErrorPanel* page = nullptr;
  Application->CreateForm(page);
  page->message_text->SetCaption(AnsiToWide(message));
  page->InitPage();
  page->forward_button->SetVisible(false);
  DockPage(page, THostUpdate::Skip);
  return page;
}

void RegisterErrorPanel() {
  using P = TErrorPanel;
  Publish<P, TBasePanel>().Field("message_text", &P::message_text).Field("ElHTMLLabel1", &P::ElHTMLLabel1);
}
