// Sorting: the keys made from the cell texts, the comparison with its
// tie-breakers, the quicksort of one item's children and the triggers
// (explicit sorts, the multi-column list, header clicks).
//
// The quicksort works on a copy of the children list, so that whatever an
// OnCompareItems handler does, it only ever reorders the children it was
// given; every partition leaves both parts smaller than the range, and the
// smaller part is sorted first, so the nesting stays within log2 n even
// for comparisons that contradict themselves.
#include <algorithm>
#include <functional>
#include <vector>

#include "ElTree.hpp"
#include "WinApi.hpp"

namespace {

bool CtrlKeyDownNow() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// The sort type a section's field type gives.
TSortTypes SortTypeOfField(TElFieldType type) {
  switch (type) {
    case sftText: return stText;
    case sftNumber: return stNumber;
    case sftFloating: return stFloating;
    case sftDateTime: return stDateTime;
    case sftDate: return stDate;
    case sftTime: return stTime;
    case sftBool: return stBoolean;
    case sftCurrency: return stCurrency;
    default: return stCustom;
  }
}

// A cell text read as the sort type asks.
struct TSortValue {
  bool valid = false;
  std::int32_t integer = 0;
  double real = 0;
  Int64 currency = 0;
  TElFString text;
};

TSortValue ReadSortValue(const TElFString& cell, TSortTypes sortType, bool useCase) {
  TSortValue v;
  switch (sortType) {
    case stText:
      v.text = useCase ? cell : WideUpperCase(cell);
      v.valid = true;
      break;
    case stNumber: {
      int code = 0, value = 0;
      Val(WideToAnsi(cell), value, code);
      v.integer = value;
      v.valid = code == 0;
      break;
    }
    case stFloating: v.valid = TryStrToFloat(WideToAnsi(cell), v.real); break;
    case stDateTime: case stDate: case stTime: {
      // A date, a date and time, or a time alone; the comparison takes the
      // part the sort type needs.
      const AnsiString text = WideToAnsi(cell);
      v.valid = TryStrToDateTime(text, v.real) || TryStrToTime(text, v.real);
      break;
    }
    case stBoolean:
      v.integer = static_cast<std::int32_t>(cell.size());
      v.valid = true;
      break;
    case stCurrency:
      v.currency = ParseCurrencyText(WideToAnsi(cell));
      v.valid = true;
      break;
    case stCustom: break;
  }
  return v;
}

template <class T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareReals(double a, double b, TSortTypes sortType) {
  if (sortType == stDate) return Order(Trunc(a), Trunc(b));
  if (sortType == stTime) return Order(Frac(a), Frac(b));
  return Order(a, b);
}

int CompareTexts(const TElFString& a, const TElFString& b) {
  const int r = a.compare(b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// Two values read from texts: an unreadable one comes first.
int CompareValues(const TSortValue& a, const TSortValue& b, TSortTypes sortType) {
  if (!a.valid || !b.valid) return a.valid == b.valid ? 0 : (a.valid ? 1 : -1);
  switch (sortType) {
    case stText: return CompareTexts(a.text, b.text);
    case stNumber: return Order(a.integer, b.integer);
    case stBoolean: return Order(a.integer > 0, b.integer > 0);
    case stCurrency: return Order(a.currency, b.currency);
    case stFloating: case stDateTime: case stDate: case stTime: return CompareReals(a.real, b.real, sortType);
    case stCustom: break;
  }
  return 0;
}

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

}  // namespace

bool (*TCustomElTree::CtrlKeyDown)() = &CtrlKeyDownNow;

// ---------------------------------------------------------------- keys

void TCustomElTree::MakeTextSortKey(TElTreeItem* item, int section, TSortTypes sortType) {
  const TElFString cell = FItems->CellText(item, section);
  if (sortType == stCustom) {
    item->SetSortKeyText(TElFString(), WideToAnsi(cell), false);
    return;
  }
  const TSortValue v = ReadSortValue(cell, sortType, FSortUseCase);
  if (!v.valid) return;
  switch (sortType) {
    case stText: item->SetSortKeyText(v.text, AnsiString(), true); break;
    case stNumber: item->SetSortKeyInteger(v.integer); break;
    case stBoolean: item->SetSortKeyInteger(v.integer, skBoolean); break;
    case stCurrency: item->SetSortKeyCurrency(v.currency); break;
    case stFloating: case stDateTime: case stDate: case stTime: item->SetSortKeyDouble(v.real); break;
    case stCustom: break;
  }
}

// ---------------------------------------------------------------- comparison

int TCustomElTree::CompareItems(TElTreeItem* item1, TElTreeItem* item2, TSortTypes sortType, int direction) {
  const bool reversed = direction == hsmDescend || (direction == hsmNone && FSortDir == sdDescend);
  int result = 0;
  if (sortType == stCustom) {
    DoCompareItems(item1, item2, result);
    result = Sign(result);
  } else {
    const std::int32_t kind1 = item1->SortValueKind(), kind2 = item2->SortValueKind();
    if (kind1 == skNone || kind2 == skNone) {
      result = kind1 == kind2 ? 0 : (kind1 == skNone ? -1 : 1);
    } else if (kind1 == kind2) {
      switch (kind1) {
        case skInteger: result = Order(item1->SortKeyInteger(), item2->SortKeyInteger()); break;
        case skBoolean: result = Order(item1->SortKeyInteger() > 0, item2->SortKeyInteger() > 0); break;
        case skDouble: result = CompareReals(item1->SortKeyDouble(), item2->SortKeyDouble(), sortType); break;
        case skCurrency: result = Order(item1->SortKeyCurrency(), item2->SortKeyCurrency()); break;
        case skText:
          if (item1->SortKeyIsWide() && item2->SortKeyIsWide())
            result = CompareTexts(item1->SortKeyWideText(), item2->SortKeyWideText());
          else if (!item1->SortKeyIsWide() && !item2->SortKeyIsWide())
            result = Order(item1->SortKeyAnsiText(), item2->SortKeyAnsiText());
          break;
        default: break;
      }
    }
  }
  if (reversed) result = -result;
  // Ties go to the listed sections, each in its own direction.
  if (result == 0 && FSortSections) {
    for (int i = 0; i < FSortSections->Count() && result == 0; ++i) {
      auto* section = static_cast<TElHeaderSection*>(FSortSections->FastGet(i));
      const TSortTypes type = SortTypeOfField(section->FieldType());
      if (type == stCustom) {
        DoCompareItems(item1, item2, result);
        result = Sign(result);
      } else {
        TSortValue v1 = ReadSortValue(FItems->CellText(item1, section->Index()), type, FSortUseCase);
        TSortValue v2 = ReadSortValue(FItems->CellText(item2, section->Index()), type, FSortUseCase);
        // A number tie-breaker reads a text that is not a number as 0.
        if (type == stNumber) v1.valid = v2.valid = true;
        result = CompareValues(v1, v2, type);
      }
      if (section->SortMode() == hsmDescend) result = -result;
    }
  }
  // Different items never compare equal.
  if (result == 0 && item1 != item2) {
    result = std::less<TElTreeItem*>()(item2, item1) ? 1 : -1;
    if (reversed) result = -result;
  }
  return result;
}

// ---------------------------------------------------------------- the sort

namespace {

struct TSortPass {
  int section;
  TSortTypes sortType;
  int direction;
};

template <class Compare>
void QuickSortRange(std::vector<TElTreeItem*>& v, int lo, int hi, Compare& compare) {
  while (lo < hi) {
    TElTreeItem* pivot = v[static_cast<size_t>(lo + (hi - lo) / 2)];
    int i = lo, j = hi;
    // The pivot stops both scans on the first round, so both parts come out
    // smaller than the range; the bounds hold whatever the comparison says.
    while (i <= j) {
      while (i <= hi && v[static_cast<size_t>(i)] != pivot && compare(v[static_cast<size_t>(i)], pivot) < 0) ++i;
      while (j >= lo && v[static_cast<size_t>(j)] != pivot && compare(v[static_cast<size_t>(j)], pivot) >= 0) --j;
      if (i <= j) {
        if (i != j) std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    }
    if (j - lo < hi - i) {
      QuickSortRange(v, lo, j, compare);
      lo = i;
    } else {
      QuickSortRange(v, i, hi, compare);
      hi = j;
    }
  }
}

}  // namespace

void TCustomElTree::SortItemChildren(TElTreeItem* item, bool recursive) {
  if (!item || item->FOwner != this) return;
  struct DepthGuard {
    int& depth;
    ~DepthGuard() { --depth; }
  } depthGuard{++FSortingDepth};
  const int count = item->ChildrenCount();
  if (count == 0 || (count == 1 && !recursive)) return;
  TElTreeUpdateScope scope(this);

  TSortPass pass{-1, FSortType, hsmNone};
  if (FShowColumns && FSortSection >= 0 && FSortSection < HeaderSectionCount()) {
    pass.section = FSortSection;
    if (TElHeaderSection* section = FHeader->Sections()->GetSectionByIndex(FSortSection)) {
      pass.sortType = SortTypeOfField(section->FieldType());
      pass.direction = section->SortMode();
    }
  }

  // The items whose children are sorted: this one, and with Recursive every
  // item of its subtree (each sort only reorders one children list, so the
  // order of the work does not matter).
  std::vector<TElTreeItem*> parents{item};
  if (recursive) {
    const int first = item->IsRoot() ? 0 : item->AbsoluteIndex() + 1;
    const int last = std::min(first + item->DescendantCount(), FAllItems->Count());
    for (int i = first; i < last; ++i) {
      auto* descendant = static_cast<TElTreeItem*>(FAllItems->FastGet(i));
      if (descendant->ChildrenCount() > 1) parents.push_back(descendant);
    }
  }

  // The flat list follows the children lists at the end, also when a
  // comparison raised half way.
  struct RewriteGuard {
    TCustomElTree* tree;
    TElTreeItem* item;
    ~RewriteGuard() {
      tree->FItems->RewriteSubtreeRun(item);
      if (tree->FView) {
        tree->FView->FlagFull();
        tree->FView->FlagRepaint();
      }
      tree->FlagRemeasure();
    }
  } rewrite{this, item};

  auto compare = [this, &pass](TElTreeItem* a, TElTreeItem* b) {
    return CompareItems(a, b, pass.sortType, pass.direction);
  };
  for (TElTreeItem* parent : parents) {
    TElList* children = parent->FChildren;
    const int n = children ? children->Count() : 0;
    if (n < 2) continue;
    std::vector<TElTreeItem*> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = static_cast<TElTreeItem*>(children->FastGet(i));
    struct KeyGuard {
      TElTreeItem* parent;
      const std::vector<TElTreeItem*>& keyed;
      bool wasSorting;
      ~KeyGuard() {
        for (TElTreeItem* child : keyed) child->ReleaseSortKey();
        parent->SetSorting(wasSorting);
      }
    };
    const bool wasSorting = parent->Sorting();
    parent->SetSorting(true);
    std::vector<TElTreeItem*> keyed;
    keyed.reserve(order.size());
    KeyGuard keys{parent, keyed, wasSorting};
    for (TElTreeItem* child : order) {
      child->AcquireSortKey(pass.section, pass.sortType);
      keyed.push_back(child);
    }
    QuickSortRange(order, 0, n - 1, compare);
    // A handler that changed the children meanwhile keeps its own order.
    children = parent->FChildren;
    if (children && children->Count() == n)
      for (int i = 0; i < n; ++i) children->Put(i, order[static_cast<size_t>(i)]);
  }
}

void TCustomElTree::Sort(bool recursive) {
  if (!FItems) return;
  DoSortBegin();
  {
    struct DepthGuard {
      int& depth;
      ~DepthGuard() { --depth; }
    } depthGuard{++FSortingDepth};
    SortItemChildren(FItems->Root(), recursive);
  }
  DoSortEnd();
}

// ---------------------------------------------------------------- triggers

void TCustomElTree::SetSortSection(int value) {
  if (value == FSortSection) return;
  FSortSection = value;
  if (FSortSections) FSortSections->Clear();
}

namespace {

void ResortNowOrLater(TCustomElTree* tree, bool& pending) {
  if (tree->IsUpdating())
    pending = true;
  else
    tree->Sort(true);
}

}  // namespace

void TCustomElTree::AddSortSection(int index, bool reSort) {
  if (index < 0 || index >= HeaderSectionCount()) return;
  TElHeaderSection* section = FHeader->Sections()->GetSectionByIndex(index);
  if (!section) return;
  if (!FSortSections) FSortSections = std::make_unique<TElList>();
  FSortSections->Remove(section);
  FSortSections->Add(section);
  if (reSort) ResortNowOrLater(this, FResortPending);
}

void TCustomElTree::RemoveSortSection(int index, bool reSort) {
  if (index < 0 || index >= HeaderSectionCount() || !FSortSections) return;
  TElHeaderSection* section = FHeader->Sections()->GetSectionByIndex(index);
  if (!section) return;
  FSortSections->Remove(section);
  if (reSort) ResortNowOrLater(this, FResortPending);
}

void TCustomElTree::SortBySectionClick(TElHeaderSection* section, bool ctrlHeld) {
  if (!section || !FHeader) return;
  TElTreeUpdateScope scope(this);
  if (ctrlHeld) {
    if (!FSortSections) FSortSections = std::make_unique<TElList>();
    FHeader->SetKeepSortModes(true);
    switch (section->SortMode()) {
      case hsmNone:
        section->SetSortMode(hsmAscend);
        FSortSections->Remove(section);
        FSortSections->Add(section);
        break;
      case hsmAscend:
        section->SetSortMode(hsmDescend);
        if (FSortSections->IndexOf(section) < 0) FSortSections->Add(section);
        break;
      case hsmDescend:
        section->SetSortMode(hsmNone);
        FSortSections->Remove(section);
        break;
    }
  } else {
    if (FSortSections) FSortSections->Clear();
    FSortSection = section->Index();
    // Giving the section its mode clears every other section's.
    FHeader->SetKeepSortModes(false);
    struct KeepModes {
      TElHeader* header;
      ~KeepModes() { header->SetKeepSortModes(true); }
    } keepModes{FHeader};
    if (section->SortMode() == hsmNone) section->SetSortMode(FSortDir == sdAscend ? hsmDescend : hsmAscend);
    section->SetSortMode(section->SortMode() == hsmAscend ? hsmDescend : hsmAscend);
    FSortType = SortTypeOfField(section->FieldType());
  }
  Sort(true);
  if (FView) FView->FlagRowList();
}
