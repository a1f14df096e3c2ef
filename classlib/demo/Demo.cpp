// Demonstration of the windowing layer: a form read from its text resource,
// with a label, an image drawn at start-up, two shapes and a timer that
// counts in a second label. Closes itself after the number of seconds given
// as its first argument (0 or none: stays open).
#include "ComObj.hpp"
#include "ExtCtrls.hpp"
#include "Forms.hpp"
#include "StdCtrls.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"
#include "Streaming.hpp"

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {}
  TLabel* Title = nullptr;
  TImage* Picture = nullptr;
  TShape* Ring = nullptr;
  TLabel* Ticks = nullptr;
  TTimer* Clock = nullptr;
  int CloseAfterTicks = 0;

 protected:
  void DoCreate() override {
    DrawPicture();
    Clock->SetOnTimer(TNotifyEvent(this, &TDemoForm::ClockTick));
    TForm::DoCreate();
  }

 private:
  // A small gradient with a diagonal cross, drawn on a bitmap.
  void DrawPicture() {
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(128, 128);
    TCanvas* c = bmp.Canvas();
    for (int y = 0; y < 128; ++y) {
      c->Pen()->SetColor(static_cast<TColor>(RGB(40 + y, 90 + y, 255 - y)));
      c->MoveTo(0, y);
      c->LineTo(128, y);
    }
    c->Pen()->SetColor(clWhite);
    c->Pen()->SetWidth(4);
    c->MoveTo(10, 10);
    c->LineTo(118, 118);
    c->MoveTo(118, 10);
    c->LineTo(10, 118);
    Picture->Picture()->SetGraphic(&bmp);
  }

  void ClockTick(TObject*) {
    ++ticks_;
    Ticks->SetCaption(Format("Timer: %d ticks", {ticks_}));
    // The ring and the box swap their colours on every tick.
    Ring->Brush()->SetColor(ticks_ % 2 ? clYellow : clLime);
    if (CloseAfterTicks > 0 && ticks_ >= CloseAfterTicks) Close();
  }

  int ticks_ = 0;
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit};
  Publish<TDemoForm, TForm>()
      .Field("Title", &TDemoForm::Title)
      .Field("Picture", &TDemoForm::Picture)
      .Field("Ring", &TDemoForm::Ring)
      .Field("Ticks", &TDemoForm::Ticks)
      .Field("Clock", &TDemoForm::Clock);
  Application->Initialize();
  Application->SetTitle("Class library demo");
  TDemoForm* form = nullptr;
  Application->CreateForm(form);
  if (ParamCount() >= 1) form->CloseAfterTicks = StrToInt(ParamStr(1)) * 4;
  Application->Run();
  return 0;
}
