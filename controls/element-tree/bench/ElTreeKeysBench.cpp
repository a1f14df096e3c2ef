// The keys' benchmark (not a test). A tree of N items (10,000 and 100,000:
// N / 100 top-level items of 99 children each, all expanded) in a
// window-free view of 25 rows; the first row is focused and Page Down is
// pressed until the focus stays on the last row, in single and in multiple
// selection. Printed for each N: the whole walk, the time per press and per
// row passed, one End and one Home, and one search keystroke whose only
// match is the last item. Each figure is the median of three
// rounds (or of the number of rounds given as the argument).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.hpp"
#include "ComObj.hpp"
#include "ElACtrls.hpp"
#include "ElDragDrop.hpp"
#include "ElHeader.hpp"
#include "ElHook.hpp"
#include "ElIni.hpp"
#include "ElTools.hpp"
#include "ElTree.hpp"
#include "ElTreeUnit.hpp"
#include "ElUxTheme.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

namespace {

using bench::Now;
using bench::Median;

constexpr int kRow = 16, kRows = 25;

struct TKeyTimes {
  double walk = 0, end = 0, home = 0, search = 0;
  int presses = 0;
};

TKeyTimes RunOnce(int count, bool multi) {
  auto* tree = TObject::Create<TElTree>(nullptr);
  tree->SetMultiSelect(multi);
  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(kRow);
  tree->SetChangeDelay(0);
  tree->View()->SetBounds(0, 0, 300, kRows * kRow);
  TElTreeItems* items = tree->Items();
  items->BeginUpdate();
  for (int i = 0; i < count / 100; ++i) {
    TElTreeItem* top = items->AddLastChild(nullptr, TElFString(L"Folder ") + std::to_wstring(i));
    for (int j = 0; j < 99; ++j) items->AddLastChild(top, TElFString(L"Item number ") + std::to_wstring(j));
  }
  items->EndUpdate();
  tree->FullExpand();
  TElTreeView* view = tree->View();
  view->HandleKey(VK_DOWN, TShiftState());
  TKeyTimes r;
  TElTreeItem* last = items->GetItem(items->Count() - 1);
  const double t0 = Now();
  while (tree->ItemFocused() != last && r.presses < count) {
    view->HandleKey(VK_NEXT, TShiftState());
    ++r.presses;
  }
  r.walk = Now() - t0;
  if (tree->ItemFocused() != last || !tree->IsInView(last)) {
    std::printf("Page Down did not reach the last row\n");
    std::exit(1);
  }
  double t1 = Now();
  view->HandleKey(VK_HOME, TShiftState());
  r.home = Now() - t1;
  t1 = Now();
  view->HandleKey(VK_END, TShiftState());
  r.end = Now() - t1;
  if (tree->ItemFocused() != last || tree->TopIndex() == 0) {
    std::printf("Home and End did not move the focus\n");
    std::exit(1);
  }
  view->HandleKey(VK_HOME, TShiftState());
  last->SetText(L"Zebra");
  t1 = Now();
  view->SearchKey('z');
  r.search = Now() - t1;
  if (tree->ItemFocused() != last) {
    std::printf("the search did not find the last item\n");
    std::exit(1);
  }
  tree->Free();
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit, &ElIniUnit,
                   &ElACtrlsUnit, &ElDragDropUnit, &ElHeaderUnit, &ElTreeUnit};
  std::printf("%9s %6s %7s | %13s %13s %11s | %9s %9s | %10s\n", "items", "select", "presses", "Page Down ms",
              "us per press", "ns per row", "End ms", "Home ms", "search ms");
  for (bool multi : {false, true})
    for (int count : {10000, 100000}) {
      std::vector<double> walk, end, home, search;
      int presses = 0;
      for (int i = 0; i < rounds; ++i) {
        const TKeyTimes r = RunOnce(count, multi);
        walk.push_back(r.walk);
        end.push_back(r.end);
        home.push_back(r.home);
        search.push_back(r.search);
        presses = r.presses;
      }
      const double w = Median(walk);
      std::printf("%9d %6s %7d | %13.1f %13.1f %11.1f | %9.2f %9.2f | %10.2f\n", count, multi ? "multi" : "single",
                  presses, w * 1e3, w * 1e6 / presses, w * 1e9 / count, Median(end) * 1e3, Median(home) * 1e3,
                  Median(search) * 1e3);
    }
  return 0;
}
