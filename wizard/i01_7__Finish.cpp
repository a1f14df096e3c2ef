#include "i01_7__Finish.hpp"

#include "Streaming.hpp"
#include "WizardPictures.hpp"
#include "lib_ShellExecute.hpp"

void TStep7_FinishPanel::DoCreate() {
  LoadSkinPicture(Image1->Picture(), "PRODUCT_48");
  TBasePanel::DoCreate();
}

void TStep7_FinishPanel::LinkClick(TObject*, const TElFString& href) { ShellOpen(WideToAnsi(href)); }

TStep7_FinishPanel* ShowFinishPage() {
  TStep7_FinishPanel* page = nullptr;
  Application->CreateForm(page);
  page->InitPage();
  // The forward button ends the program, as the close button does.
  page->forward_button->OnClick = page->close_button->OnClick;
  page->link_text->OnLinkClick = TElHTMLLinkClickEvent(page, &TStep7_FinishPanel::LinkClick);
  DockPage(page, THostUpdate::Update);
  return page;
}

void RegisterFinishPanel() {
  using P = TStep7_FinishPanel;
  Publish<P, TBasePanel>()
      .Field("Label1", &P::Label1)
      .Field("link_text", &P::link_text)
      .Field("ElHTMLLabel1", &P::ElHTMLLabel1)
      .Field("Image1", &P::Image1);
}
