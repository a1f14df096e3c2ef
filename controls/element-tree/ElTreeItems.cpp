// The item collection: the hidden root, the makers of items and their add
// variants, deletion and clearing, the copy from another collection or from
// lines of text, and the stream and form property "Data".
#include "ElTree.hpp"

#include "Streaming.hpp"

// ---------------------------------------------------------------- life

TElTreeItems::TElTreeItems(TCustomElTree* owner) : FOwner(owner) { CreateRoot(); }

TElTreeItems::TElTreeItems(TCustomElTree* owner, TElTreeItemClass itemClass) : FOwner(owner) {
  SetItemClass(itemClass);
  CreateRoot();
}

void TElTreeItems::CreateRoot() {
  FRoot = FItemClass(FOwner);
  FRoot->FList = this;
  FRoot->FParent = nullptr;
  FRoot->FRoot = FRoot;
  FRoot->CreateStaticData();
  FRoot->SetStateWord(kStateExpanded);
}

TElTreeItems::~TElTreeItems() {
  if (!FRoot) return;
  // A tree going away never ends this update; otherwise the bracket is
  // closed as usual.
  const bool treeGoing = FOwner && FOwner->IsDestroying();
  if (FOwner) FOwner->SetUpdating(true);
  FRoot->FreeStaticData();
  try {
    FRoot->DeleteChildren();
  } catch (...) {
    // A handler that raises during the teardown cannot stop it.
  }
  FRoot->Free();
  FRoot = nullptr;
  if (FOwner && !treeGoing) FOwner->SetUpdating(false);
}

TElTreeItem* TElTreeItems::CreateItem(TCustomElTree* owner) { return FItemClass(owner); }

void TElTreeItems::BeginUpdate() {
  if (FOwner) FOwner->SetUpdating(true);
}

void TElTreeItems::EndUpdate() {
  if (FOwner) FOwner->SetUpdating(false);
}

// ---------------------------------------------------------------- numbering

int TElTreeItems::Count() const { return FOwner && FOwner->FAllItems ? FOwner->FAllItems->Count() : 0; }

TElTreeItem* TElTreeItems::GetItem(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return static_cast<TElTreeItem*>(FOwner->FAllItems->FastGet(index));
}

int TElTreeItems::GetAbsoluteIndex(TElTreeItem* item) const {
  if (!item || item->FList != this) return -1;
  return item->AbsoluteIndex();
}

int TElTreeItems::VisibleCount() const { return FOwner ? FOwner->VisibleCount() : 0; }

// ---------------------------------------------------------------- adding

// Makes an item and links it under the parent at the index (-1: last).
TElTreeItem* TElTreeItems::MakeChild(TElTreeItem* parent, int index) {
  TElTreeItem* p = parent ? parent : FRoot;
  if (index != -1 && (index < 0 || index > p->ChildrenCount())) throw EElTreeError(LoadStr(SElTreeItemIndexError));
  TElTreeUpdateScope scope(FOwner);
  std::unique_ptr<TElTreeItem> made(CreateItem(FOwner));
  TElTreeItem* item = made.get();
  if (index == -1)
    p->AddChild(made.release());
  else
    p->InsertChild(index, made.release());
  if (p->GetExpanded() && p->FullyExpanded()) {
    FOwner->FView->FlagRows();
    FOwner->FView->FlagVertical();
  }
  FOwner->FlagRemeasure();
  FOwner->FView->FlagRepaint();
  return item;
}

TElTreeItem* TElTreeItems::AddItem(TElTreeItem* parent) { return MakeChild(parent, -1); }

TElTreeItem* TElTreeItems::InsertItem(int index, TElTreeItem* parent) {
  // -1 asks for no place: it is out of bounds like every other.
  if (index < 0) throw EElTreeError(LoadStr(SElTreeItemIndexError));
  return MakeChild(parent, index);
}

namespace {
TElTreeItem* WithText(TElTreeItem* item, const TElFString& text) {
  item->SetText(text);
  return item;
}
TElTreeItem* WithData(TElTreeItem* item, void* data) {
  item->SetData(data);
  return item;
}
// The parent a sibling of the item gets (nil: the top level).
TElTreeItem* SiblingParent(TElTreeItem* item) { return item ? item->Parent() : nullptr; }
}  // namespace

TElTreeItem* TElTreeItems::AddLastSibling(TElTreeItem* item, const TElFString& text) {
  return WithText(AddItem(SiblingParent(item)), text);
}

TElTreeItem* TElTreeItems::AddLastChild(TElTreeItem* item, const TElFString& text) {
  return WithText(AddItem(item), text);
}

TElTreeItem* TElTreeItems::AddFirstChild(TElTreeItem* item, const TElFString& text) {
  return WithText(InsertItem(0, item), text);
}

TElTreeItem* TElTreeItems::AddLastChildWithData(TElTreeItem* item, const TElFString& text, void* data) {
  return WithData(AddLastChild(item, text), data);
}

TElTreeItem* TElTreeItems::AddFirstChildWithData(TElTreeItem* item, const TElFString& text, void* data) {
  return WithData(AddFirstChild(item, text), data);
}

TElTreeItem* TElTreeItems::AddFirstSibling(TElTreeItem* item, const TElFString& text) {
  return WithText(InsertItem(0, SiblingParent(item)), text);
}

TElTreeItem* TElTreeItems::AddLastSiblingWithData(TElTreeItem* item, const TElFString& text, void* data) {
  return WithData(AddLastSibling(item, text), data);
}

TElTreeItem* TElTreeItems::AddFirstSiblingWithData(TElTreeItem* item, const TElFString& text, void* data) {
  return WithData(AddFirstSibling(item, text), data);
}

TElTreeItem* TElTreeItems::InsertBefore(TElTreeItem* item, const TElFString& text) {
  if (!item) return WithText(InsertItem(0, nullptr), text);
  return WithText(InsertItem(item->Index(), item->Parent()), text);
}

TElTreeItem* TElTreeItems::InsertBeforeWithData(TElTreeItem* item, const TElFString& text, void* data) {
  return WithData(InsertBefore(item, text), data);
}

TElTreeItem* TElTreeItems::InsertAfter(TElTreeItem* item, const TElFString& text) {
  if (!item) return WithText(InsertItem(0, nullptr), text);
  return WithText(InsertItem(item->Index() + 1, item->Parent()), text);
}

TElTreeItem* TElTreeItems::InsertAfterWithData(TElTreeItem* item, const TElFString& text, void* data) {
  return WithData(InsertAfter(item, text), data);
}

// ---------------------------------------------------------------- deleting

void TElTreeItems::DeleteItem(TElTreeItem* item) {
  if (!item || item == FRoot || !item->FParent) return;
  if (item->FList != this) {
    // An item of another collection is deleted by its own.
    if (item->FList) item->FList->DeleteItem(item);
    return;
  }
  TElTreeUpdateScope scope(FOwner);
  TElTreeItem* parent = item->FParent;
  parent->DeleteChild(item);
  if (parent->FullyExpanded() && parent->GetExpanded()) {
    FOwner->FView->FlagFull();
    FOwner->FlagRemeasure();
  }
}

void TElTreeItems::Clear() {
  TElTreeUpdateScope scope(FOwner);
  const bool hadItems = Count() > 0;
  FOwner->FView->FVisibleRows->Clear();
  FRoot->DeleteChildren();
  FOwner->FView->ClearTopRowCache();
  if (hadItems) FOwner->FView->FlagFull();
  FOwner->FlagRemeasure();
}

// ---------------------------------------------------------------- copying

void TElTreeItems::Assign(TPersistent* source) {
  if (auto* items = dynamic_cast<TElTreeItems*>(source)) {
    if (items == this) return;
    TElTreeUpdateScope scope(FOwner);
    FRoot->Assign(items->FRoot);
    // The hidden root stays open whatever the source's root says.
    FRoot->SetStateWord(kStateExpanded);
    FOwner->FView->ClearTopRowCache();
    FOwner->FView->FlagFull();
    FOwner->FView->FlagRowList();
    return;
  }
  if (dynamic_cast<TStrings*>(source) || dynamic_cast<TElWideStrings*>(source)) {
    AssignFromLines(source);
    return;
  }
  TPersistent::Assign(source);
}

void TElTreeItems::AssignFromLines(TPersistent* lines) {
  auto* ansi = dynamic_cast<TStrings*>(lines);
  auto* wide = dynamic_cast<TElWideStrings*>(lines);
  if (!ansi && !wide) return;
  BeginUpdate();
  try {
    Clear();
    const int count = ansi ? ansi->Count() : wide->Count();
    for (int i = 0; i < count; ++i) AddLine(i, ansi ? AnsiToWide(ansi->Strings(i)) : wide->Strings(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TElTreeItems::AddLine(int index, const TElFString& line) {
  TElTreeItem* previous = GetItem(index - 1);
  size_t tabs = 0;
  while (tabs < line.size() && line[tabs] == L'\t') ++tabs;
  // A line indented deeper than one level below its predecessor is taken
  // one level below it.
  const int previousLevel = previous ? previous->Level() : 0;
  const int depth = std::min<int>(static_cast<int>(std::min<size_t>(tabs, 0x7FFFFFFF)), previousLevel + 1);
  TElTreeItem* parent = previous;
  while (parent && parent->Level() > depth) parent = parent->Parent();
  if (parent && parent->Level() == depth) parent = parent->Parent();
  TElTreeItem* item = AddItem(parent);
  const TElFString rest = line.substr(tabs);
  const bool showColumns = FOwner->ShowColumns();
  const int mainColumn = FOwner->MainTreeColumn();
  size_t start = 0;
  for (int field = 0;; ++field) {
    const size_t tab = rest.find(L'\t', start);
    const TElFString text = rest.substr(start, tab == TElFString::npos ? TElFString::npos : tab - start);
    if ((field == 0 && !showColumns) || field == mainColumn)
      item->SetText(text);
    else if (TElWideStrings* columns = item->ColumnText())
      columns->Add(text);
    if (tab == TElFString::npos) break;
    start = tab + 1;
  }
}

// ---------------------------------------------------------------- streams

void TElTreeItems::SaveToStream(TStream* stream) { FRoot->WriteData(stream); }

void TElTreeItems::LoadFromStream(TStream* stream) {
  TElTreeUpdateScope scope(FOwner);
  FRoot->DeleteChildren();
  FReadDepth = 0;
  // Whatever the stream holds, the hidden root stays open and the view
  // starts again from the top, also after a damaged record.
  struct Finish {
    TElTreeItems* items;
    ~Finish() {
      items->FReadDepth = 0;
      items->FRoot->SetStateWord(kStateExpanded);
      items->FOwner->FView->ClearTopRowCache();
      items->FOwner->FView->FlagFull();
      items->FOwner->FView->FlagRowList();
    }
  } finish{this};
  FRoot->ReadData(stream);
}

void TElTreeItems::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      "Data", [this](TStream* stream) { LoadFromStream(stream); }, [this](TStream* stream) { SaveToStream(stream); },
      Count() > 0);
}
