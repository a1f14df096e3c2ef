#include "i01_0_1__BasePanel.hpp"

#include "Streaming.hpp"
#include "WizardTestSeams.hpp"
#include "i01__MainWorkbench.hpp"
#include "lib_FormsTools.hpp"
#include "lib_RGN.hpp"

namespace WizardTestSeams {
int (*PixelsPerInchProc)() = nullptr;
void (*PageOpeningProc)(TBasePanel* page) = nullptr;
}

bool UsesLargeFonts() {
  const int pixelsPerInch =
      WizardTestSeams::PixelsPerInchProc ? WizardTestSeams::PixelsPerInchProc() : Screen->PixelsPerInch();
  return pixelsPerInch >= 110;
}

void AdjustFontForScreen(TFont* font) {
  if (!UsesLargeFonts()) return;
  TFontStyles style = font->Style();
  style.Exclude(fsBold);
  font->SetStyle(style);
}

TBasePanel::TBasePanel(TComponent* owner) : TForm(owner) {}

// The form's resources have been read by now; the controls that take the
// form's font follow it.
void TBasePanel::DoCreate() {
  AdjustFontForScreen(Font());
  TForm::DoCreate();
}

void TBasePanel::InitPage() {
  close_button->OnClick = TNotifyEvent(this, &TBasePanel::CloseClick);
  auto* movement = new THorisontalAndVerticalMovement(this);
  const TMouseEvent down(movement, &THorisontalAndVerticalMovement::MouseDown);
  const TMouseMoveEvent move(movement, &THorisontalAndVerticalMovement::MouseMove);
  for (TControl* handle : std::initializer_list<TControl*>{left_top_corner_image, top_border_image, left_light,
                                                           right_light, right_border_image, left_border_image,
                                                           bottom_border_image}) {
    handle->OnMouseDown = down;
    handle->OnMouseMove = move;
  }
}

void TBasePanel::CloseClick(TObject*) { Application->Terminate(); }

void DockPage(TBasePanel* page, THostUpdate update) {
  page->holder->SetParent(MainPanel);
  page->holder->BringToFront();
  MainPanel->SetPage(page);
  if (update == THostUpdate::Update) MainPanel->Update();
}

void OpenCreatedPage(TBasePanel* page, THostUpdate update, const std::function<void()>& setUp) {
  TBasePanel* shown = MainPanel->Page();
  try {
    if (WizardTestSeams::PageOpeningProc) WizardTestSeams::PageOpeningProc(page);
    page->InitPage();
    setUp();
    DockPage(page, update);
  } catch (...) {
    // The page shown before stays the host's page, closable as it was.
    page->Free();
    MainPanel->SetPage(shown);
    throw;
  }
}

void ApplyWindowShape(TBasePanel* page) {
  TCustomForm* host = page->holder->GetParentForm();
  if (!host) return;
  // The bars build their regions when their windows are made and again
  // after a change of size or picture; cutting from a stale region would
  // leave the old outline on the window.
  for (TSBTripleCImage* bar : {page->top_border_image, page->bottom_border_image}) {
    bar->HandleNeeded();
    bar->EnsureCropRegion();
  }
  HRGN region = CreateRectRgn(0, 0, host->Width(), host->Height());
  CutControlFromRegion(host, region, page->top_border_image);
  CutControlFromRegion(host, region, page->bottom_border_image);
  // The window owns the region from here on.
  if (!SetWindowRgn(host->Handle(), region, TRUE)) DeleteObject(region);
}

void RegisterBasePanel() {
  using P = TBasePanel;
  Publish<P, TForm>()
      .Field("holder", &P::holder)
      .Field("left_top_corner_image", &P::left_top_corner_image)
      .Field("left_border_image", &P::left_border_image)
      .Field("right_border_image", &P::right_border_image)
      .Field("bottom_border_image", &P::bottom_border_image)
      .Field("forward_button", &P::forward_button)
      .Field("top_border_image", &P::top_border_image)
      .Field("left_light", &P::left_light)
      .Field("right_light", &P::right_light)
      .Field("close_button", &P::close_button)
      .Field("header_label", &P::header_label);
}
