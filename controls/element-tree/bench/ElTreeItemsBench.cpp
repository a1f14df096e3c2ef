// The item collection's benchmark (not a test). Trees of 10,000, 30,000 and
// 100,000 items, flat and ten levels deep (each top-level item heads a chain
// of ten), built depth-first inside one update and expanded, so that every
// item is a row. Times the whole-tree operations (adds, Iterate, GetItem over
// all items, a FindItem that finds nothing, save, load, Clear) with their
// cost per item, and the calls that answer for one item (GetVisibleItem in
// the middle, GetAbsoluteIndex of the last item, 1,000 children added one by
// one under a middle item) as their cost per call.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.hpp"
#include "ComObj.hpp"
#include "ElTools.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"

namespace {

using bench::Now;

template <class F>
double Seconds(F&& f) {
  const double start = Now();
  f();
  return Now() - start;
}

struct Row {
  std::string shape;
  int n = 0;
  double adds = 0, iterate = 0, getItem = 0, find = 0, save = 0, load = 0, clear = 0;
  double visibleItem = 0, absoluteSteady = 0, absoluteAfterInsert = 0;
  double childFirst = 0, childMean = 0, childLast = 0;
  std::size_t streamBytes = 0;
};

void Build(TCustomElTree* tree, int n, bool deep) {
  TElTreeItems* items = tree->Items();
  items->BeginUpdate();
  TElTreeItem* previous = nullptr;
  for (int i = 0; i < n; ++i) {
    TElTreeItem* parent = deep && i % 10 != 0 ? previous : nullptr;
    previous = items->AddLastChild(parent, L"Элемент " + std::to_wstring(i));
    previous->Expand(false);
  }
  items->EndUpdate();
}

Row Measure(int n, bool deep) {
  Row row;
  row.shape = deep ? "10 deep" : "flat";
  row.n = n;
  auto* tree = TObject::Create<TElTree>(nullptr);
  TElTreeItems* items = tree->Items();
  row.adds = Seconds([&] { Build(tree, n, deep); });

  long long sum = 0;
  row.iterate = Seconds([&] {
    items->Iterate(false, true, [&](TElTreeItem*, int index, bool&, void*, TCustomElTree*) { sum += index; }, nullptr);
  });
  row.getItem = Seconds([&] {
    for (int i = 0; i < items->Count(); ++i) sum += reinterpret_cast<std::intptr_t>(items->GetItem(i)) & 1;
  });
  TElTreeItem* missing = nullptr;
  row.find = Seconds([&] { missing = items->FindItem(nullptr, L"нет такого", nullptr, -1, false, true, false, false, false); });
  if (missing) std::printf("unexpected match\n");

  const int reps = 200;
  const int middle = tree->VisibleCount() / 2;
  row.visibleItem = Seconds([&] {
                      for (int r = 0; r < reps; ++r) sum += items->GetVisibleItem(middle) != nullptr;
                    }) / reps;
  TElTreeItem* last = items->GetItem(items->Count() - 1);
  row.absoluteSteady = Seconds([&] {
                         for (int r = 0; r < reps; ++r) sum += items->GetAbsoluteIndex(last);
                       }) / reps;

  TMemoryStream stream;
  row.save = Seconds([&] { items->SaveToStream(&stream); });
  row.streamBytes = static_cast<std::size_t>(stream.Size());
  auto* copy = TObject::Create<TElTree>(nullptr);
  stream.SetPosition(0);
  row.load = Seconds([&] { copy->Items()->LoadFromStream(&stream); });
  if (copy->Items()->Count() != n) std::printf("load gave %d items\n", copy->Items()->Count());
  row.clear = Seconds([&] { copy->Items()->Clear(); });
  copy->Free();

  // An insert at the top moves every item: the first look-up of the last
  // item searches for it once.
  items->InsertItem(0, nullptr);
  row.absoluteAfterInsert = Seconds([&] { sum += items->GetAbsoluteIndex(last); });

  TElTreeItem* parent = items->GetItem(items->Count() / 2);
  std::vector<double> adds;
  for (int i = 0; i < 1000; ++i)
    adds.push_back(Seconds([&] { items->AddLastChild(parent, L"новый " + std::to_wstring(i)); }));
  row.childFirst = adds.front();
  row.childLast = adds.back();
  double total = 0;
  for (double t : adds) total += t;
  row.childMean = total / static_cast<double>(adds.size());
  if (TElTreeInvariants::Check(tree) != "") std::printf("invariants: %s\n", TElTreeInvariants::Check(tree).c_str());
  tree->Free();
  if (sum == 42) std::printf(" ");
  return row;
}

// Each field the median of its rounds.
Row MedianRow(std::vector<Row> rounds) {
  Row row = rounds.front();
  double Row::*fields[] = {&Row::adds,           &Row::iterate,      &Row::getItem,       &Row::find,
                           &Row::save,           &Row::load,         &Row::clear,         &Row::visibleItem,
                           &Row::absoluteSteady, &Row::absoluteAfterInsert, &Row::childFirst, &Row::childMean,
                           &Row::childLast};
  for (double Row::*field : fields) {
    std::vector<double> values;
    for (const Row& r : rounds) values.push_back(r.*field);
    std::sort(values.begin(), values.end());
    row.*field = values[values.size() / 2];
  }
  return row;
}

void PrintGrowth(const std::vector<Row>& rows, const char* name, double Row::*field) {
  std::printf("  %-28s", name);
  for (size_t i = 1; i < rows.size(); ++i) {
    const double ratio = rows[i].*field / std::max(rows[i - 1].*field, 1e-9);
    const double items = static_cast<double>(rows[i].n) / rows[i - 1].n;
    std::printf("  x%.2f for x%.1f items", ratio, items);
  }
  std::printf("\n");
}

}  // namespace

constexpr int kRounds = 5;

int main() {
  TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit};
  const int sizes[] = {10000, 30000, 100000};
  for (bool deep : {false, true}) {
    std::vector<Row> rows;
    for (int n : sizes) {
      std::vector<Row> rounds;
      for (int round = 0; round < kRounds; ++round) rounds.push_back(Measure(n, deep));
      rows.push_back(MedianRow(rounds));
    }
    std::printf("\n== %s tree (medians of %d rounds; times in ms, per call in us)\n",
                deep ? "10 levels deep" : "flat", kRounds);
    std::printf("%8s %9s %9s %9s %9s %9s %9s %9s | %9s %9s %9s | %9s %9s %9s | %8s\n", "items", "adds", "Iterate",
                "GetItem", "FindItem", "save", "load", "Clear", "VisItem", "AbsIdx", "AbsIdx*", "child1", "childAvg",
                "child1000", "KiB");
    for (const Row& r : rows)
      std::printf("%8d %9.1f %9.2f %9.2f %9.2f %9.1f %9.1f %9.1f | %9.1f %9.3f %9.1f | %9.1f %9.1f %9.1f | %8zu\n", r.n,
                  r.adds * 1e3, r.iterate * 1e3, r.getItem * 1e3, r.find * 1e3, r.save * 1e3, r.load * 1e3,
                  r.clear * 1e3, r.visibleItem * 1e6, r.absoluteSteady * 1e6, r.absoluteAfterInsert * 1e6,
                  r.childFirst * 1e6, r.childMean * 1e6, r.childLast * 1e6, r.streamBytes / 1024);
    std::printf("  per item (us):");
    for (const Row& r : rows)
      std::printf("  n=%d adds %.2f, save %.2f, load %.2f, Clear %.2f;", r.n, r.adds * 1e6 / r.n, r.save * 1e6 / r.n,
                  r.load * 1e6 / r.n, r.clear * 1e6 / r.n);
    std::printf("\n  growth:\n");
    PrintGrowth(rows, "adds", &Row::adds);
    PrintGrowth(rows, "Iterate", &Row::iterate);
    PrintGrowth(rows, "GetItem over all", &Row::getItem);
    PrintGrowth(rows, "missing FindItem", &Row::find);
    PrintGrowth(rows, "save", &Row::save);
    PrintGrowth(rows, "load", &Row::load);
    PrintGrowth(rows, "Clear", &Row::clear);
    PrintGrowth(rows, "GetVisibleItem (middle)", &Row::visibleItem);
    PrintGrowth(rows, "child add (mean)", &Row::childMean);
  }
  std::printf("\nAbsIdx: the last item's index while its remembered place holds; AbsIdx*: the first look-up\n"
              "after an insert at the top moved every item.\n");
  return 0;
}
