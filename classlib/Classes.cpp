// Persistent objects and components.
#include "Classes.hpp"

#include <algorithm>

#include "Consts.hpp"

bool IsValidIdent(const std::string& s) {
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (s.empty() || !alpha(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

// ---------------------------------------------------------------------------
// TPersistent.

void TPersistent::Assign(TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  std::string sourceName = source ? source->ClassName() : "nil";
  throw EConvertError(Consts::AssignError, {sourceName, ClassName()});
}

void TPersistent::DefineProperties(TFiler*) {}

// ---------------------------------------------------------------------------
// TComponent.

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  // A bare delete skipped BeforeDestruction; the teardown is idempotent.
  Destroying();
  TearDown();
}

void TComponent::BeforeDestruction() {
  Destroying();
  TearDown();
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::TearDown() {
  if (tornDown_) return;
  tornDown_ = true;
  // Everyone holding a reference hears of the removal while this object is
  // still whole; each Notification unregisters itself from the list.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    other->Notification(this, opRemove);
    // A receiver that did not call the inherited Notification stays listed.
    if (!freeNotifies_.empty() && freeNotifies_.back() == other) {
      freeNotifies_.pop_back();
      other->RemoveNotification(this);
    }
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
  if (name_ == name) return;
  if (!name.empty() && !IsValidIdent(name)) throw EComponentError(Consts::InvalidName, {name});
  if (owner_)
    owner_->ValidateRename(this, name_, name);
  else
    ValidateRename(nullptr, name_, name);
  name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const std::string& curName,
                                const std::string& newName) {
  if (component && !SameText(curName, newName) && component->owner_ == this && FindComponent(newName))
    throw EComponentError(Consts::DuplicateName, {newName});
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) TList::Error(Consts::ListIndexError, index);
  return components_[index];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  const auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  // A name already taken here would make FindComponent ambiguous.
  if (!component->name_.empty() && FindComponent(component->name_))
    throw EComponentError(Consts::DuplicateName, {component->name_});
  ValidateRename(component, std::string(), component->name_);
  Insert(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it != components_.end()) components_.erase(it);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  // Last first, each taken out of the list before it goes; the owner hears
  // of it only when the component asked for free notification.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    if (c->state_.Contains(csFreeNotification))
      RemoveComponent(c);
    else
      Remove(c);
    c->Free();
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component) return;
  if (!owner_ || component->owner_ != owner_) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
      freeNotifies_.push_back(component);
      component->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  RemoveNotification(component);
  component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) {
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
  if (it != freeNotifies_.end()) freeNotifies_.erase(it);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Owned components hear of their siblings' arrival and removal.
  int i = ComponentCount() - 1;
  while (i >= 0) {
    components_[i]->Notification(component, operation);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;
  }
}

void TComponent::SetComponentStateItem(TComponentStateItem item, bool on) {
  // The library never runs components in design mode.
  if (item == csDesigning) return;
  if (on)
    state_.Include(item);
  else
    state_.Exclude(item);
}
