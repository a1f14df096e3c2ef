#include "i01_7__Finish.hpp"

#include "Streaming.hpp"
#include "WizardPictures.hpp"
#include "WizardTestSeams.hpp"
#include "WizardTexts.hpp"
#include "lib_ShellExecute.hpp"

void TStep7_FinishPanel::DoCreate() {
  LoadSkinPicture(Image1->Picture(), "PRODUCT_48");
  TBasePanel::DoCreate();
}

namespace WizardTestSeams {
void (*ShellOpenProc)(const AnsiString& file) = nullptr;
}

void TStep7_FinishPanel::LinkClick(TObject*, const TElFString& href) {
  const AnsiString file = WideToAnsi(href);
  if (WizardTestSeams::ShellOpenProc) WizardTestSeams::ShellOpenProc(file);
  else ShellOpen(file);
}

TStep7_FinishPanel* ShowFinishPage() {
  return OpenPage<TStep7_FinishPanel>(THostUpdate::Update, [](TStep7_FinishPanel* page) {
    // The forward button ends the program, as the close button does.
    page->forward_button->OnClick = page->close_button->OnClick;
    page->link_text->SetCaption(WithSupportAddress(page->link_text->Caption()));
    page->link_text->OnLinkClick = TElHTMLLinkClickEvent(page, &TStep7_FinishPanel::LinkClick);
  });
}

void RegisterFinishPanel() {
  using P = TStep7_FinishPanel;
  Publish<P, TBasePanel>()
      .Field("Label1", &P::Label1)
      .Field("link_text", &P::link_text)
      .Field("ElHTMLLabel1", &P::ElHTMLLabel1)
      .Field("Image1", &P::Image1);
}
