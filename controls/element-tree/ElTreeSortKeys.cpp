// An item's sort key: made once per sort, shared by nested sorts through a
// use count and freed by the last user. In virtual mode the key comes from
// the tree's virtual events instead of the item's texts.
#include "ElTree.hpp"

namespace {

// The key kind a virtual value is asked for, by sort type.
int VirtualKeyKind(TSortTypes sortType) {
  switch (sortType) {
    case stCustom: return skText;
    case stNumber: return skInteger;
    case stFloating: case stDateTime: case stDate: case stTime: return skDouble;
    case stBoolean: return skBoolean;
    case stCurrency: return skCurrency;
    case stText: break;
  }
  return skText;
}

}  // namespace

void TElTreeItem::FreeSortValue() {
  switch (FSortValueKind) {
    case skDouble: delete static_cast<double*>(FSortValue); break;
    case skText: delete static_cast<TElSortKeyText*>(FSortValue); break;
    case skCurrency: delete static_cast<Int64*>(FSortValue); break;
    default: break;
  }
  FSortValue = nullptr;
  FSortValueKind = skNone;
}

void TElTreeItem::SetSortKeyInteger(std::int32_t value, std::int32_t kind) {
  FreeSortValue();
  FSortValue = reinterpret_cast<void*>(static_cast<std::intptr_t>(value));
  FSortValueKind = kind == skBoolean ? skBoolean : skInteger;
  FSortRefCount = 1;
}

void TElTreeItem::SetSortKeyDouble(double value) {
  FreeSortValue();
  FSortValue = new double(value);
  FSortValueKind = skDouble;
  FSortRefCount = 1;
}

void TElTreeItem::SetSortKeyText(const TElFString& wide, const AnsiString& ansi, bool isWide) {
  FreeSortValue();
  auto* text = new TElSortKeyText;
  text->IsWide = isWide;
  if (isWide)
    text->Wide = wide;
  else
    text->Ansi = ansi;
  FSortValue = text;
  FSortValueKind = skText;
  FSortRefCount = 1;
}

void TElTreeItem::SetSortKeyCurrency(Int64 tenThousandths) {
  FreeSortValue();
  FSortValue = new Int64(tenThousandths);
  FSortValueKind = skCurrency;
  FSortRefCount = 1;
}

std::int32_t TElTreeItem::SortKeyInteger() const {
  if (FSortValueKind != skInteger && FSortValueKind != skBoolean) return 0;
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(FSortValue));
}

double TElTreeItem::SortKeyDouble() const {
  return FSortValueKind == skDouble ? *static_cast<const double*>(FSortValue) : 0.0;
}

bool TElTreeItem::SortKeyIsWide() const {
  return FSortValueKind == skText && static_cast<const TElSortKeyText*>(FSortValue)->IsWide;
}

const TElFString& TElTreeItem::SortKeyWideText() const {
  static const TElFString kEmpty;
  return FSortValueKind == skText ? static_cast<const TElSortKeyText*>(FSortValue)->Wide : kEmpty;
}

const AnsiString& TElTreeItem::SortKeyAnsiText() const {
  static const AnsiString kEmpty;
  return FSortValueKind == skText ? static_cast<const TElSortKeyText*>(FSortValue)->Ansi : kEmpty;
}

Int64 TElTreeItem::SortKeyCurrency() const {
  return FSortValueKind == skCurrency ? *static_cast<const Int64*>(FSortValue) : 0;
}

void TElTreeItem::AcquireSortKey(int section, TSortTypes sortType) {
  // A key that exists (a nested sort) is shared.
  if (FSortRefCount > 0) {
    ++FSortRefCount;
    return;
  }
  FreeSortValue();
  if (!FOwner) return;
  bool made = false;
  if (FOwner->VirtualityLevel() == vlTextAndStyles) {
    if (sortType == stText) {
      TElFString text;
      FOwner->DoVirtualTextNeeded(this, section, text);
      SetSortKeyText(FOwner->SortUseCase() ? text : WideUpperCase(text), AnsiString(), true);
      made = true;
    } else {
      const int kind = VirtualKeyKind(sortType);
      Variant value;
      FOwner->DoVirtualValueNeeded(this, section, kind, value);
      try {
        switch (kind) {
          case skText: SetSortKeyText(TElFString(), value.AsString(), false); break;
          case skInteger: SetSortKeyInteger(value.AsInteger()); break;
          case skDouble: SetSortKeyDouble(value.AsDouble()); break;
          case skBoolean: SetSortKeyInteger(value.AsBoolean() ? 1 : 0, skBoolean); break;
          case skCurrency: SetSortKeyCurrency(value.AsCurrency()); break;
        }
        made = true;
      } catch (const EVariantError&) {
        // A value that does not convert leaves the key to the item's texts.
      }
    }
  }
  if (!made) FOwner->MakeTextSortKey(this, section, sortType);
  FSortRefCount = 1;
}

void TElTreeItem::ReleaseSortKey() {
  if (FSortRefCount > 1) {
    --FSortRefCount;
    return;
  }
  if (FSortRefCount == 1) FreeSortValue();
  FSortRefCount = 0;
}
