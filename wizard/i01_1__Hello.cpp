#include "i01_1__Hello.hpp"

#include "Streaming.hpp"
#include "i01_2__License.hpp"

void TStep1_HelloPanel::InitPage() {
  TBasePanel::InitPage();
  forward_button->OnClick = TNotifyEvent(this, &TStep1_HelloPanel::ForwardClick);
}

void TStep1_HelloPanel::ForwardClick(TObject*) {
  ShowLicensePage();
  Release();
}

// The first page: the host is not shown yet, so it is not updated.
TStep1_HelloPanel* ShowHelloPage() { return OpenPage<TStep1_HelloPanel>(THostUpdate::Skip); }

void RegisterHelloPanel() {
  using P = TStep1_HelloPanel;
  Publish<P, TBasePanel>().Field("Label2", &P::Label2).Field("ElHTMLLabel2", &P::ElHTMLLabel2);
}
