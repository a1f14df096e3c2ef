#include "i01_0_3__InstallError.hpp"

#include "Streaming.hpp"

TErrorPanel* ShowErrorPage(const TElFString& message) {
  return OpenPage<TErrorPanel>(THostUpdate::Skip, [&](TErrorPanel* page) {
    page->message_text->SetCaption(message);
    page->forward_button->SetVisible(false);
  });
}

void RegisterErrorPanel() {
  using P = TErrorPanel;
  Publish<P, TBasePanel>().Field("message_text", &P::message_text).Field("ElHTMLLabel1", &P::ElHTMLLabel1);
}
