// A header without a window for the tests of its sections and layout: a
// host that records what the header tells it, and a measurer that makes
// every character 7 pixels wide and every line Height pixels high.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElHeaderLayout.hpp"
#include "ElHeaderSections.hpp"

namespace hdrtest {

struct FakeHost : TElHeaderHost {
  int Width = 200;
  int ClientWidth = 200;
  int Height = 19;
  bool Loading = false;
  int PictureForMinusOne = -1;
  int OwnerDrawnRoom = 0;
  std::vector<std::pair<TElHeaderSection*, int>> Changes;
  std::vector<TElHeaderSection*> ShownOrHidden;
  std::vector<std::tuple<TElHeaderSection*, int, int>> Moves;
  std::vector<TElHeaderSection*> Removed;
  int Created = 0;
  int Deleted = 0;

  int HeaderWidth() override { return Width; }
  int HeaderClientWidth() override { return ClientWidth; }
  int HeaderHeight() override { return Height; }
  void SetHeaderHeight(int height) override { Height = height; }
  bool HeaderLoading() override { return Loading; }
  bool HeaderDestroying() override { return false; }
  void RepaintHeader() override {}
  void RepaintSection(TElHeaderSection*) override {}
  void RepaintFrom(TElHeaderSection*) override {}
  void RepaintOwnerView() override {}
  void SectionChanged(TElHeaderSection* s, TSectionChangeMode change) override { Changes.emplace_back(s, change); }
  void SectionShownOrHidden(TElHeaderSection* s) override { ShownOrHidden.push_back(s); }
  void SectionsCreated() override { ++Created; }
  void SectionsDeleted() override { ++Deleted; }
  void SectionMoved(TElHeaderSection* s, int from, int to) override { Moves.emplace_back(s, from, to); }
  void SectionRemoving(TElHeaderSection* s) override { Removed.push_back(s); }
  void PictureNeeded(TElHeaderSection*, int& index) override { index = PictureForMinusOne; }
  void MeasureOwnerDrawn(TElHeaderSection*, int& size) override { size = OwnerDrawnRoom; }
  void WatchPopupMenu(TPopupMenu*) override {}
  void UpdateEnded() override {}
};

struct FixedMeasurer : TElHeaderMeasurer {
  int LineHeight = 13;
  SIZE Images{0, 0};
  SIZE SectionTextSize(const TElFString& text, bool, int) override {
    return SIZE{7 * static_cast<LONG>(text.size()), LineHeight};
  }
  SIZE ImageSize() override { return Images; }
};

// A header of sections; Add appends one of the given width.
struct Rig {
  FakeHost Host;
  FixedMeasurer Measurer;
  TElHeaderLayout Layout{Host, Measurer};
  TElHeaderSections Sections{Layout, nullptr};

  TElHeaderSection* Add(int width, const wchar_t* text = L"") {
    TElHeaderSection* s = Sections.AddSection();
    s->SetWidth(width);
    s->SetText(text);
    return s;
  }
  std::vector<int> Widths() const {
    std::vector<int> widths;
    for (int i = 0; i < Sections.Count(); ++i) widths.push_back(Sections[i]->Width());
    return widths;
  }
  std::vector<int> Indexes() const {
    std::vector<int> indexes;
    for (int i = 0; i < Sections.Count(); ++i) indexes.push_back(Sections[i]->Index());
    return indexes;
  }
  void SetHeaderWidth(int width) { Host.Width = Host.ClientWidth = width; }
};

}  // namespace hdrtest
