// The base form of every wizard page: the frame the pages share (border
// pictures, title bar, close and forward buttons), how a page is docked
// into the host window, and the host window's shape.
#pragma once

#include <functional>

#include "Forms.hpp"
#include "SBCImage.hpp"
#include "SBImgBtn.hpp"
#include "SBTripleCImage.hpp"
#include "StdCtrls.hpp"

class TBasePanel : public TForm {
 public:
  explicit TBasePanel(TComponent* owner);

  TSBCImage* holder = nullptr;
  TSBCImage* left_top_corner_image = nullptr;
  TSBCImage* left_border_image = nullptr;
  TSBCImage* right_border_image = nullptr;
  TSBTripleCImage* bottom_border_image = nullptr;
  TSBImgBtn* forward_button = nullptr;
  TSBTripleCImage* top_border_image = nullptr;
  TSBImgBtn* left_light = nullptr;
  TSBImgBtn* right_light = nullptr;
  TSBImgBtn* close_button = nullptr;
  TLabel* header_label = nullptr;

  // Wires the close button and the window dragging. Every override calls
  // this first, then wires its own buttons.
  virtual void InitPage();
  // Ends the program.
  void CloseClick(TObject* sender);
  // The host is being closed (Alt+F4, the taskbar, another program, the end
  // of the session) while this page is shown: true when the page has taken
  // care of it itself, false to let the program end.
  virtual bool HostClosing() { return false; }
  // The page has work under way that the program must not end under.
  virtual bool Busy() const { return false; }

 protected:
  void DoCreate() override;
};

// Whether the screen's pixels per inch call for plain (not bold) fonts.
bool UsesLargeFonts();
// Removes the bold style from the font at large pixels per inch.
void AdjustFontForScreen(TFont* font);

// Docks the page's holder into the host, brings it to the front and makes
// it the host's page, then updates the host when asked to.
enum class THostUpdate { Skip, Update };
void DockPage(TBasePanel* page, THostUpdate update);

// Opening a page: the page made by its class has its InitPage run, then its
// own set-up, and is docked. A page that fails on the way is freed and the
// failure goes on to the caller.
void OpenCreatedPage(TBasePanel* page, THostUpdate update, const std::function<void()>& setUp);
template <class T>
T* OpenPage(THostUpdate update, const std::function<void(T*)>& setUp = nullptr) {
  T* page = nullptr;
  Application->CreateForm(page);
  OpenCreatedPage(page, update, [&] {
    if (setUp) setUp(page);
  });
  return page;
}

// Gives the host that holds the page's holder the outline of the page's
// top and bottom bars.
void ApplyWindowShape(TBasePanel* page);

// Publishes the base form for form files.
void RegisterBasePanel();
