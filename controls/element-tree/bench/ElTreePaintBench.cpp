// The tree against the system's tree view (not a test): 100,000 items
// (1,000 top-level items of 99 children each), the same texts, font and
// size, redraw off while filling. Times the fill, expanding every top-level
// item, scrolling from top to bottom a page at a time with each page
// painted, and painting one screen into a memory bitmap, and prints both
// times and their ratio.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.hpp"
#include "ComObj.hpp"
#include "ElHeader.hpp"
#include "ElHook.hpp"
#include "ElTools.hpp"
#include "ElTree.hpp"
#include "ElUxTheme.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"

#include <commctrl.h>

namespace {

using bench::Now;
using bench::Median;

constexpr int kTop = 1000, kChildren = 99, kWidth = 400, kHeight = 600, kRounds = 3;

template <class F>
double Seconds(F&& f) {
  const double start = Now();
  f();
  return Now() - start;
}

std::wstring Text(int top, int child) {
  return child < 0 ? L"Папка " + std::to_wstring(top) : L"Файл " + std::to_wstring(top) + L"." + std::to_wstring(child);
}

struct Times {
  double fill = 0, expand = 0, pages = 0, screen = 0;
  int pageCount = 0;
};

class TBenchTree : public TElTree {
 public:
  explicit TBenchTree(TComponent* owner) : TElTree(owner) {}
  // Every row one line of the tree's font; the width of the text.
  void MeasureCell(TElTreeItem* item, int, TPoint& size) override {
    size = TPoint{8 * static_cast<int>(item->GetText().size()), FLineHeight};
  }
  void Place() {
    if (View()->Parent() != this) View()->SetParent(this);
    LayOutParts();
  }
  void Settle() {
    RecountVisibleRows();
    View()->FillVisibleRows(FTopIndex);
  }
  int TopIndex() const { return FTopIndex; }
  int Rows() const { return FVisibleCount; }
};

Times MeasureOurs(TForm* form) {
  Times t;
  auto* tree = TObject::Create<TBenchTree>(form);
  tree->SetBounds(0, 0, kWidth, kHeight);
  tree->SetParent(form);
  tree->HandleNeeded();
  tree->Place();
  TElTreeItems* items = tree->Items();
  std::vector<TElTreeItem*> tops;
  t.fill = Seconds([&] {
    items->BeginUpdate();
    for (int i = 0; i < kTop; ++i) {
      TElTreeItem* top = items->AddLastChild(nullptr, Text(i, -1));
      tops.push_back(top);
      for (int j = 0; j < kChildren; ++j) items->AddLastChild(top, Text(i, j));
    }
    items->EndUpdate();
  });
  t.expand = Seconds([&] {
    items->BeginUpdate();
    for (TElTreeItem* top : tops) top->Expand(false);
    items->EndUpdate();
    tree->Settle();
  });
  TElTreeView* view = tree->View();
  TBitmap surface;
  surface.SetSize(view->ClientWidth(), view->ClientHeight());
  auto paint = [&] {
    view->PaintBackground(surface.Canvas(), TRect{0, 0, view->ClientWidth(), view->ClientHeight()});
    view->DrawRows(surface.Canvas(), 0, view->VisibleRows());
  };
  t.pages = Seconds([&] {
    paint();
    int last = -1;
    while (tree->TopIndex() != last) {
      last = tree->TopIndex();
      int position = 0;
      bool doChange = true;
      view->VertScrollHandler(nullptr, scPageForward, position, doChange);
      paint();
      ++t.pageCount;
    }
  });
  view->SetTopIndex(tree->Rows() / 2);
  t.screen = Seconds(paint);
  tree->Free();
  return t;
}

Times MeasureSystem(TForm* form) {
  Times t;
  HWND tv = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT,
                            0, 0, kWidth, kHeight, form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tv, WM_SETFONT, reinterpret_cast<WPARAM>(form->Font()->Handle()), TRUE);
  std::vector<HTREEITEM> tops;
  t.fill = Seconds([&] {
    SendMessageW(tv, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < kTop; ++i) {
      std::wstring text = Text(i, -1);
      TVINSERTSTRUCTW insert{};
      insert.hParent = TVI_ROOT;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT;
      insert.item.pszText = text.data();
      HTREEITEM top = reinterpret_cast<HTREEITEM>(SendMessageW(tv, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
      tops.push_back(top);
      for (int j = 0; j < kChildren; ++j) {
        std::wstring child = Text(i, j);
        insert.hParent = top;
        insert.item.pszText = child.data();
        SendMessageW(tv, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
      }
    }
    SendMessageW(tv, WM_SETREDRAW, TRUE, 0);
  });
  t.expand = Seconds([&] {
    SendMessageW(tv, WM_SETREDRAW, FALSE, 0);
    for (HTREEITEM top : tops) SendMessageW(tv, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
    SendMessageW(tv, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(tops.front()));
    SendMessageW(tv, WM_SETREDRAW, TRUE, 0);
  });
  HDC screen = GetDC(tv);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
  HGDIOBJ old = SelectObject(memory, bitmap);
  auto paint = [&] { SendMessageW(tv, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND); };
  t.pages = Seconds([&] {
    paint();
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    int last = -1;
    for (;;) {
      GetScrollInfo(tv, SB_VERT, &info);
      if (info.nPos == last) break;
      last = info.nPos;
      SendMessageW(tv, WM_VSCROLL, SB_PAGEDOWN, 0);
      paint();
      ++t.pageCount;
    }
  });
  SendMessageW(tv, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50000), 0);
  t.screen = Seconds(paint);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(tv, screen);
  DestroyWindow(tv);
  return t;
}

}  // namespace

int main() {
  TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit,
                   &ElHeaderUnit, &ElTreeUnit};
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&init);
  auto* form = new TForm(Application, 0);
  form->SetBounds(0, 0, kWidth + 20, kHeight + 20);
  form->HandleNeeded();
  std::vector<Times> ours, system;
  for (int round = 0; round < kRounds; ++round) {
    ours.push_back(MeasureOurs(form));
    system.push_back(MeasureSystem(form));
  }
  std::printf("%d items (%d top-level items of %d children), %d x %d, median of %d rounds\n", kTop * (kChildren + 1),
              kTop, kChildren, kWidth, kHeight, kRounds);
  std::printf("%-28s %12s %14s %8s\n", "step", "TElTree ms", "SysTreeView ms", "ratio");
  auto row = [&](const char* name, double Times::*field) {
    std::vector<double> a, b;
    for (const Times& t : ours) a.push_back(t.*field);
    for (const Times& t : system) b.push_back(t.*field);
    const double x = Median(a) * 1000, y = Median(b) * 1000;
    std::printf("%-28s %12.1f %14.1f %8.2f\n", name, x, y, y > 0 ? x / y : 0.0);
  };
  row("fill", &Times::fill);
  row("expand all", &Times::expand);
  row("page down to the end", &Times::pages);
  row("one screen painted", &Times::screen);
  std::printf("pages: TElTree %d, SysTreeView %d\n", ours.front().pageCount, system.front().pageCount);
  form->Free();
  return 0;
}
