#include "i01_2__License.hpp"

#include "Streaming.hpp"
#include "WizardPictures.hpp"
#include "WizardTexts.hpp"
#include "i01_5__Ready.hpp"

// The pictures come from the program's resources: form files carry no
// picture data.
void TStep2_LicensePanel::DoCreate() {
  const std::pair<TImage*, const char*> pictures[] = {
      {sbLeftNormal, "SB_LEFT_NORMAL"}, {sbRightNormal, "SB_RIGHT_NORMAL"}, {sbLeftDown, "SB_LEFT_DOWN"},
      {sbRightDown, "SB_RIGHT_DOWN"},   {sbLeftOver, "SB_LEFT_OVER"},       {sbRightOver, "SB_RIGHT_OVER"},
      {sbHThumb, "SB_THUMB"},           {sbHThumbOver, "SB_THUMB_OVER"},    {sbHBg, "SB_TRACK"}};
  for (auto [image, name] : pictures) LoadSkinPicture(image->Picture(), name);
  LoadSkinBitmap(license_text_edit->Background(), "LICENSE_BG_TILE");
  LoadSkinPicture(disagree_button->PicIcon(), "ICON_DISAGREE");
  TBasePanel::DoCreate();
}

void TStep2_LicensePanel::InitPage() {
  TBasePanel::InitPage();
  license_text_edit->OnVertScrollDrawPart = TElScrollDrawPartEvent(this, &TStep2_LicensePanel::DrawScrollPart);
  forward_button->OnClick = TNotifyEvent(this, &TStep2_LicensePanel::ForwardClick);
  disagree_button->OnClick = close_button->OnClick;
}

void TStep2_LicensePanel::ForwardClick(TObject*) {
  ShowReadyPage();
  Release();
}

namespace {

// Fills the rectangle with the track picture as a pattern brush; the brush
// never keeps the bitmap.
void FillWithTrack(TCanvas* canvas, const TRect& r, TImage* track) {
  canvas->Brush()->SetBitmap(track->Picture()->Bitmap());
  canvas->FillRect(r);
  canvas->Brush()->SetBitmap(nullptr);
}

TImage* ArrowPicture(bool pressed, bool focused, TImage* down, TImage* over, TImage* normal) {
  if (pressed) return down;
  return focused ? over : normal;
}

}  // namespace

void TStep2_LicensePanel::DrawScrollPart(TObject*, TCanvas* canvas, TRect r, TElScrollBarPart part, bool,
                                         bool focused, bool pressed, bool& defaultDraw) {
  switch (part) {
    case spFirstArrow:
      canvas->Draw(r.left, r.top,
                   ArrowPicture(pressed, focused, sbLeftDown, sbLeftOver, sbLeftNormal)->Picture()->Graphic());
      break;
    case spLastArrow:
      canvas->Draw(r.left, r.top,
                   ArrowPicture(pressed, focused, sbRightDown, sbRightOver, sbRightNormal)->Picture()->Graphic());
      break;
    case spThumb: {
      FillWithTrack(canvas, r, sbHBg);
      TImage* thumb = focused ? sbHThumbOver : sbHThumb;
      const int height = thumb->Picture()->Height();
      canvas->Draw(r.left, r.top + (r.bottom - r.top - height) / 2, thumb->Picture()->Graphic());
      break;
    }
    default:
      FillWithTrack(canvas, r, sbHBg);
      break;
  }
  defaultDraw = false;
}

TStep2_LicensePanel* ShowLicensePage() {
  return OpenPage<TStep2_LicensePanel>(THostUpdate::Update, [](TStep2_LicensePanel* page) {
    page->license_text_edit->SetText(WithSupportAddress(AnsiToWide(page->save_text_memo->Lines()->Text())));
  });
}

void RegisterLicensePanel() {
  using P = TStep2_LicensePanel;
  Publish<P, TBasePanel>()
      .Field("sbLeftNormal", &P::sbLeftNormal)
      .Field("sbRightNormal", &P::sbRightNormal)
      .Field("sbLeftDown", &P::sbLeftDown)
      .Field("sbRightDown", &P::sbRightDown)
      .Field("sbLeftOver", &P::sbLeftOver)
      .Field("sbRightOver", &P::sbRightOver)
      .Field("sbHThumb", &P::sbHThumb)
      .Field("sbHThumbOver", &P::sbHThumbOver)
      .Field("sbHBg", &P::sbHBg)
      .Field("save_text_memo", &P::save_text_memo)
      .Field("license_text_edit", &P::license_text_edit)
      .Field("disagree_button", &P::disagree_button)
      .Field("Label1", &P::Label1)
      .Field("Shape1", &P::Shape1);
}
