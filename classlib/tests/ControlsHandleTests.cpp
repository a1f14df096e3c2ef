// GDI and timer handles: colour brushes per control, fonts kept across
// paints, cursors the screen does not own, timers started by their handler.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"

namespace {

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH lb{};
  GetObjectA(brush, sizeof lb, &lb);
  return lb.lbColor;
}

TEST(Handles, EachControlAnswersColourMessagesWithItsOwnBrush) {
  auto* form = new TForm(Application, 0);
  auto* yellow = new TMemo(form);
  yellow->SetParent(form);
  yellow->SetColor(clYellow);
  auto* aqua = new TMemo(form);
  aqua->SetParent(form);
  aqua->SetColor(clAqua);
  form->Show();
  HDC dc = GetDC(form->Handle());
  auto ask = [&](TWinControl* c) {
    return reinterpret_cast<HBRUSH>(c->Perform(CN_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                               reinterpret_cast<LPARAM>(c->Handle())));
  };
  HBRUSH first = ask(yellow);
  HBRUSH second = ask(aqua);
  ReleaseDC(form->Handle(), dc);
  EXPECT_NE(first, second);
  // The first answer is still a live brush in its own colour.
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(BrushColour(first), RGB(255, 255, 0));
  EXPECT_EQ(BrushColour(second), RGB(0, 255, 255));
  form->Free();
}

// Counts the changes of a canvas font while passing them on to the canvas.
struct FontChangeCounter {
  TNotifyEvent previous;
  int changes = 0;
  void Changed(TObject* sender) {
    ++changes;
    previous(sender);
  }
};

TEST(Handles, RepaintingKeepsTheCanvasFontHandle) {
  auto* form = new TForm(Application, 0);
  auto* control = new TGreenControl(form);
  control->SetParent(form);
  control->Font()->SetHeight(-21);
  form->Show();
  TFont* canvasFont = control->Canvas()->Font();
  FontChangeCounter counter{canvasFont->OnChange};
  canvasFont->OnChange = TNotifyEvent(&counter, &FontChangeCounter::Changed);
  TPaintTarget target(60, 40);
  HDC mem = target.Get();
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  int afterFirst = counter.changes;
  HFONT handle = canvasFont->Handle();
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  EXPECT_EQ(counter.changes, afterFirst);
  EXPECT_EQ(canvasFont->Handle(), handle);
  EXPECT_EQ(canvasFont->Height(), -21);
  // A colour change alone is passed on but keeps the handle.
  control->Font()->SetColor(clRed);
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  EXPECT_EQ(counter.changes, afterFirst + 1);
  EXPECT_EQ(canvasFont->Handle(), handle);
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));
  canvasFont->OnChange = counter.previous;
  form->Free();
}

TEST(Handles, TheScreenNeverDestroysACursorItWasGiven) {
  BYTE andMask[128], xorMask[128] = {};
  std::fill(std::begin(andMask), std::end(andMask), 0xFF);
  HCURSOR given = CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask);
  HCURSOR another = CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask);
  HCURSOR shared = LoadCursorA(nullptr, IDC_CROSS);
  auto alive = [](HCURSOR c) {
    ICONINFO info{};
    if (!GetIconInfo(c, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
  };
  auto* screen = new TScreen(nullptr);
  screen->SetCursors(14000, given);
  screen->SetCursors(14000, another);  // replaced: still the program's
  screen->SetCursors(14001, shared);
  EXPECT_EQ(screen->Cursors(14000), another);
  // A standard cursor replaced before it was first asked for stays replaced;
  // one never replaced is the system's.
  screen->SetCursors(crIBeam, given);
  EXPECT_EQ(screen->Cursors(crIBeam), given);
  EXPECT_EQ(screen->Cursors(crArrow), LoadCursorA(nullptr, IDC_ARROW));
  screen->Free();
  EXPECT_TRUE(alive(given));
  EXPECT_TRUE(alive(another));
  EXPECT_TRUE(alive(shared));
  DestroyCursor(given);
  DestroyCursor(another);
}

struct TickCounter {
  int ticks = 0;
  void Tick(TObject*) { ++ticks; }
};

TEST(Timer, RunsOnlyWithAHandlerAndAssigningOneStartsIt) {
  TickCounter counter;
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(10);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_FALSE(timer->Running());
  // Assigned like any event field, the handler starts the enabled timer.
  timer->OnTimer = TNotifyEvent(&counter, &TickCounter::Tick);
  EXPECT_TRUE(timer->Running());
  EXPECT_TRUE(PumpUntil([&] { return counter.ticks >= 2; }));
  EXPECT_TRUE(timer->OnTimer == TNotifyEvent(&counter, &TickCounter::Tick));
  // Taking it away stops the timer.
  timer->OnTimer = nullptr;
  EXPECT_FALSE(timer->Running());
  // A disabled timer does not start when it gets a handler.
  timer->SetEnabled(false);
  timer->OnTimer = TNotifyEvent(&counter, &TickCounter::Tick);
  EXPECT_FALSE(timer->Running());
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Running());
  timer->Free();
}

}  // namespace
