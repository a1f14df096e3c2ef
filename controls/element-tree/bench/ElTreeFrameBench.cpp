// The frame selection's benchmark (not a test). A tree of N top-level items
// (10,000 and 100,000) in a window-free view of 25 rows; a frame pressed on
// the first row is dragged down over N / 5 rows, the view scrolled ahead of
// the pointer so that each move adds 100 rows. Printed for each N: the time
// of a move that adds 100 rows at the end of the drag, of a move that
// changes nothing at full span, of one move that shrinks the frame back to
// its first row, and each per row of the span. Each figure is the median of
// three rounds (or of the number of rounds given as the argument).
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

constexpr int kRow = 16, kRows = 25, kStep = 100;

class TBenchView : public TElTreeView {
 public:
  explicit TBenchView(TCustomElTree* tree) : TElTreeView(tree) {}
  void Press(int x, int y) {
    FPressX = x;
    FPressY = y;
    FButtonDown = true;
  }
};

class TBenchTree : public TElTree {
 public:
  explicit TBenchTree(TComponent* owner) : TElTree(owner) {}
  TElTreeView* CreateView() override { return new TBenchView(this); }
  TBenchView* Bench() const { return static_cast<TBenchView*>(View()); }
  void Settle() {
    RecountVisibleRows();
    View()->FillVisibleRows(FTopIndex);
  }
};

struct TFrameTimes {
  double grow = 0, still = 0, shrink = 0;
};

TFrameTimes RunOnce(int count) {
  auto* tree = TObject::Create<TBenchTree>(nullptr);
  tree->SetMultiSelect(true);
  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(kRow);
  tree->View()->SetBounds(0, 0, 300, kRows * kRow);
  tree->Items()->BeginUpdate();
  for (int i = 0; i < count; ++i) tree->Items()->AddLastChild(nullptr, TElFString(L"Item number ") + std::to_wstring(i));
  tree->Items()->EndUpdate();
  tree->Settle();
  TElTreeView* view = tree->View();
  const int span = count / 5;

  tree->Bench()->Press(20, 2);
  view->Hover(30, 2, TShiftState());
  TFrameTimes r;
  double last = 0;
  for (int end = kStep; end < span; end += kStep) {
    // The view runs ahead of the pointer, which rests on its last row.
    tree->SetTopIndex(end - (kRows - 1));
    const double t0 = Now();
    view->Hover(30, (kRows - 1) * kRow + 5, TShiftState());
    last = Now() - t0;
  }
  r.grow = last;
  double t0 = Now();
  view->Hover(31, (kRows - 1) * kRow + 6, TShiftState());
  r.still = Now() - t0;
  const int covered = tree->SelectedItems()->Count();
  tree->SetTopIndex(0);
  t0 = Now();
  view->Hover(30, 5, TShiftState());
  r.shrink = Now() - t0;
  if (covered < span - kStep || tree->SelectedItems()->Count() != 1) {
    std::printf("unexpected selection: %d then %d\n", covered, tree->SelectedItems()->Count());
    std::exit(1);
  }
  view->FrameEnd();
  tree->Free();
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit, &ElIniUnit,
                   &ElACtrlsUnit, &ElDragDropUnit, &ElHeaderUnit, &ElTreeUnit};
  std::printf("%9s %7s | %14s %12s | %14s %12s | %14s %12s\n", "items", "span", "move +100 ms", "us/row", "still move ms",
              "us/row", "shrink ms", "us/row");
  for (int count : {10000, 100000}) {
    std::vector<double> grow, still, shrink;
    for (int i = 0; i < rounds; ++i) {
      const TFrameTimes r = RunOnce(count);
      grow.push_back(r.grow);
      still.push_back(r.still);
      shrink.push_back(r.shrink);
    }
    const int span = count / 5;
    const double g = Median(grow) * 1e3, s = Median(still) * 1e3, k = Median(shrink) * 1e3;
    std::printf("%9d %7d | %14.2f %12.3f | %14.2f %12.3f | %14.2f %12.3f\n", count, span, g, g * 1e3 / span, s,
                s * 1e3 / span, k, k * 1e3 / span);
  }
  return 0;
}
