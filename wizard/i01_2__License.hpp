// The Licence page: the licence agreement in a read-only box with a
// skinned scroll bar, "Дальше" to agree and "Не согласен" to leave.
#pragma once

#include "ExtCtrls.hpp"
#include "SBScrollbaredElEdit.hpp"
#include "SBSizableImgBtn.hpp"
#include "i01_0_1__BasePanel.hpp"

class TStep2_LicensePanel : public TBasePanel {
 public:
  explicit TStep2_LicensePanel(TComponent* owner) : TBasePanel(owner) {}

  // Picture holders of the scroll bar; they lie outside the holder and are
  // never shown.
  TImage* sbLeftNormal = nullptr;
  TImage* sbRightNormal = nullptr;
  TImage* sbLeftDown = nullptr;
  TImage* sbRightDown = nullptr;
  TImage* sbLeftOver = nullptr;
  TImage* sbRightOver = nullptr;
  TImage* sbHThumb = nullptr;
  TImage* sbHThumbOver = nullptr;
  TImage* sbHBg = nullptr;
  // The licence text, one line per paragraph; never shown.
  TMemo* save_text_memo = nullptr;
  TSBScrollbaredElEdit* license_text_edit = nullptr;
  TSBHorzSizableImgBtn* disagree_button = nullptr;
  TLabel* Label1 = nullptr;
  TShape* Shape1 = nullptr;

  void InitPage() override;
  void ForwardClick(TObject* sender);
  // Paints the licence box's vertical scroll bar from the picture holders.
  void DrawScrollPart(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart part, bool enabled, bool focused,
                      bool pressed, bool& defaultDraw);

 protected:
  void DoCreate() override;
};

TStep2_LicensePanel* ShowLicensePage();

void RegisterLicensePanel();
