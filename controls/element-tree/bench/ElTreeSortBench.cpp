// The sort's benchmark (not a test). Sorts 12,500 to 100,000 top-level
// items by text, by number and by date, from shuffled, sorted and reversed
// orders, with the keys made inside the timed part, and prints each time
// and time / (n log2 n). For reference the system's tree view
// (SysTreeView32, in the same Wine) sorts the same texts with
// TVM_SORTCHILDRENCB, its keys made from the texts inside its timed part.
// Each figure is the median of three rounds (or of the number of rounds
// given as the argument).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "BenchClock.hpp"
#include "ComObj.hpp"
#include "ElTools.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

#include <commctrl.h>

namespace {

using bench::Now;
using bench::Median;

int rounds = 3;

enum Kind { kText, kNumber, kDate };
const char* const kKindNames[] = {"text", "number", "date"};
const TSortTypes kSortTypes[] = {stText, stNumber, stDate};
enum Order { kShuffled, kSorted, kReversed };
const char* const kOrderNames[] = {"shuffled", "sorted", "reversed"};

// One key per text, as either sort makes it.
struct Key {
  TElFString text;
  int number = 0;
  double date = 0;
};

Key MakeKey(Kind kind, const TElFString& text) {
  Key key;
  switch (kind) {
    case kText: key.text = text; break;
    case kNumber: {
      int code = 0;
      Val(WideToAnsi(text), key.number, code);
      break;
    }
    case kDate: TryStrToDate(WideToAnsi(text), key.date); break;
  }
  return key;
}

int CompareKeys(Kind kind, const Key& a, const Key& b) {
  switch (kind) {
    case kText: return a.text.compare(b.text);
    case kNumber: return a.number < b.number ? -1 : a.number > b.number;
    case kDate: return a.date < b.date ? -1 : a.date > b.date;
  }
  return 0;
}

std::vector<TElFString> Texts(Kind kind, int n, Order order, std::mt19937& random) {
  std::vector<TElFString> texts;
  texts.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    switch (kind) {
      case kText: {
        TElFString s = L"Папка ";
        for (int c = 0; c < 8; ++c) s += static_cast<WideChar>(L'a' + random() % 26);
        texts.push_back(s);
        break;
      }
      case kNumber: texts.push_back(std::to_wstring(static_cast<int>(random() % 2000000) - 1000000)); break;
      case kDate: {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%02u.%02u.%04u", 1 + random() % 28, 1 + random() % 12,
                      1950 + random() % 80);
        texts.push_back(AnsiToWide(buffer));
        break;
      }
    }
  }
  if (order != kShuffled) {
    std::vector<std::pair<Key, TElFString>> keyed;
    for (const TElFString& t : texts) keyed.emplace_back(MakeKey(kind, t), t);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [kind](const auto& a, const auto& b) { return CompareKeys(kind, a.first, b.first) < 0; });
    if (order == kReversed) std::reverse(keyed.begin(), keyed.end());
    for (size_t i = 0; i < texts.size(); ++i) texts[i] = keyed[i].second;
  }
  return texts;
}

double ElTreeSort(Kind kind, const std::vector<TElFString>& texts) {
  TElTree* tree = TObject::Create<TElTree>(nullptr);
  TElTreeItems* items = tree->Items();
  items->BeginUpdate();
  for (const TElFString& t : texts) items->AddLastChild(nullptr, t);
  items->EndUpdate();
  tree->SetSortType(kSortTypes[kind]);
  const double start = Now();
  tree->Sort(false);
  const double seconds = Now() - start;
  // The order is checked outside the timed part.
  TElTreeItem* root = items->Root();
  for (int i = 1; i < root->ChildrenCount(); ++i)
    if (CompareKeys(kind, MakeKey(kind, root->GetChild(i - 1)->Text()), MakeKey(kind, root->GetChild(i)->Text())) > 0) {
      std::printf("ElTree: out of order at %d\n", i);
      break;
    }
  tree->Free();
  return seconds;
}

struct CallbackData {
  Kind kind;
  const std::vector<Key>* keys;
};

int CALLBACK CompareByKey(LPARAM a, LPARAM b, LPARAM data) {
  const auto* d = reinterpret_cast<const CallbackData*>(data);
  return CompareKeys(d->kind, (*d->keys)[static_cast<size_t>(a)], (*d->keys)[static_cast<size_t>(b)]);
}

double SystemTreeSort(Kind kind, const std::vector<TElFString>& texts) {
  HWND view = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!view) return -1;
  for (size_t i = 0; i < texts.size(); ++i) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(texts[i].c_str());
    insert.item.lParam = static_cast<LPARAM>(i);
    SendMessageW(view, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  }
  const double start = Now();
  std::vector<Key> keys;
  keys.reserve(texts.size());
  for (const TElFString& t : texts) keys.push_back(MakeKey(kind, t));
  CallbackData data{kind, &keys};
  TVSORTCB sort{};
  sort.hParent = TVI_ROOT;
  sort.lpfnCompare = &CompareByKey;
  sort.lParam = reinterpret_cast<LPARAM>(&data);
  SendMessageW(view, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
  const double seconds = Now() - start;
  DestroyWindow(view);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) rounds = std::max(1, std::atoi(argv[1]));
  TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit};
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  // The dates are written in this format, whatever the prefix's locale.
  ShortDateFormat = "dd.MM.yyyy";
  DateSeparator = '.';
  const int sizes[] = {12500, 25000, 50000, 100000};
  std::printf("%-7s %-9s %7s | %10s %14s | %10s %14s\n", "keys", "order", "n", "ElTree ms", "ns/(n log2 n)",
              "system ms", "ns/(n log2 n)");
  for (Kind kind : {kText, kNumber, kDate}) {
    for (Order order : {kShuffled, kSorted, kReversed}) {
      for (int n : sizes) {
        std::vector<double> own, system;
        for (int round = 0; round < rounds; ++round) {
          std::mt19937 random(1000u * static_cast<unsigned>(n) + static_cast<unsigned>(round));
          const std::vector<TElFString> texts = Texts(kind, n, order, random);
          own.push_back(ElTreeSort(kind, texts));
          system.push_back(SystemTreeSort(kind, texts));
        }
        const double scale = 1e9 / (n * std::log2(static_cast<double>(n)));
        const double a = Median(own), b = Median(system);
        std::printf("%-7s %-9s %7d | %10.2f %14.2f | %10.2f %14.2f\n", kKindNames[kind], kOrderNames[order], n, a * 1e3,
                    a * scale, b * 1e3, b * scale);
        std::fflush(stdout);
      }
    }
  }
  return 0;
}
