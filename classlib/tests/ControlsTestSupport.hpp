// Shared pieces of the controls tests: the test form classes read from the
// test resources, controls that record the library messages they get, and
// message pumping helpers.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "ExtCtrls.hpp"
#include "GraphicsScoped.hpp"
#include "Forms.hpp"
#include "StdCtrls.hpp"
#include "WinApi.hpp"
#include "Streaming.hpp"

// Runs the message loop's work (messages, then idle work) until the
// condition holds or the time is up; returns the condition. The default
// bound leaves room for a slow (emulated) machine.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Application->ProcessMessages();
    Application->DoIdle();
    Sleep(5);
  }
  return true;
}

inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

// Records CM_MOUSEENTER / CM_MOUSELEAVE / CM_HINTSHOW into a shared log.
template <class Base>
class TRecording : public Base {
 public:
  explicit TRecording(TComponent* owner) : Base(owner) {}
  std::vector<std::string>* Log = nullptr;
  std::string LastHint;
  void Dispatch(TMessage& m) override {
    if (Log && m.Msg == CM_MOUSEENTER) Log->push_back("enter " + this->Name());
    if (Log && m.Msg == CM_MOUSELEAVE) Log->push_back("leave " + this->Name());
    if (m.Msg == CM_HINTSHOW) LastHint = reinterpret_cast<THintInfo*>(m.LParam)->HintStr;
    Base::Dispatch(m);
  }
};

// A custom control that paints itself green.
class TGreenControl : public TCustomControl {
 public:
  explicit TGreenControl(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 60, 40);
  }
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    Canvas()->Brush()->SetColor(clLime);
    Canvas()->FillRect(ClientRect());
  }
};

class TCtlTestForm : public TForm {
 public:
  explicit TCtlTestForm(TComponent* owner) : TForm(owner) {}
  TLabel* TopLabel = nullptr;
  TMemo* Memo1 = nullptr;
  TMemo* Memo2 = nullptr;
  TShape* Corner = nullptr;
  TLabel* HintLabel = nullptr;
  int CreateCalls = 0;

 protected:
  void DoCreate() override {
    ++CreateCalls;
    TForm::DoCreate();
  }
};

class TCtlTestDerivedForm : public TCtlTestForm {
 public:
  explicit TCtlTestDerivedForm(TComponent* owner) : TCtlTestForm(owner) {}
  TLabel* Extra = nullptr;
};

inline void PublishTestForms() {
  Publish<TCtlTestForm, TForm>()
      .Field("TopLabel", &TCtlTestForm::TopLabel)
      .Field("Memo1", &TCtlTestForm::Memo1)
      .Field("Memo2", &TCtlTestForm::Memo2)
      .Field("Corner", &TCtlTestForm::Corner)
      .Field("HintLabel", &TCtlTestForm::HintLabel);
  Publish<TCtlTestDerivedForm, TCtlTestForm>().Field("Extra", &TCtlTestDerivedForm::Extra);
}

// A memory context with a screen-compatible bitmap, to paint controls into
// through WM_PAINT with a DC.
class TPaintTarget {
 public:
  TPaintTarget(int width, int height)
      : bitmap_(CreateCompatibleBitmap(ScopedWindowDC(nullptr).Get(), width, height)), dc_(bitmap_.Get()) {}
  HDC Get() const { return dc_.Get(); }
  WPARAM AsWParam() const { return reinterpret_cast<WPARAM>(dc_.Get()); }

 private:
  ScopedGdiObject<HBITMAP> bitmap_;
  ScopedMemoryDC dc_;
};

// A window's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  MapWindowPoints(nullptr, GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}
