#include "kv01_0_03_10__CommonHandler.hpp"

#include <algorithm>

#include "kv01_0_03_5__TreeDrawHandler.hpp"

TCommonHandler::TCommonHandler(TComponent* owner) : TComponent(owner), settings_(new TCustomizeFunctions(this)) {
  TCustomizeFunctions* global = GetCustomizeFunctions();
  settings_->ItemHook = global->ItemHook;
  settings_->FillHook = global->FillHook;
}

TCommonHandler::~TCommonHandler() { Clear(); }

void TCommonHandler::AddTree(TCustomElTree* tree, TControl* switchButton) {
  trees_.push_back(tree);
  tree->FreeNotification(this);
  TObject::Create<TTreeDrawHandler>(tree)->Attach(tree);
  tree->OnEnter = TNotifyEvent(this, &TCommonHandler::TreeEnter);
  auto* handler = new TDirectoryTreeHandler(TFolderItemEvent(this, &TCommonHandler::FolderSelected),
                                            TFolderItemEvent(this, &TCommonHandler::FolderOpened));
  handler->Attach(tree, settings_);
  handlers_.push_back(handler);
  if (switchButton) {
    switchButton->OnClick = TNotifyEvent(this, &TCommonHandler::SwitchClick);
    switchButton->SetTag(int(trees_.size()) - 1);
  }
}

void TCommonHandler::Clear() {
  for (TDirectoryTreeHandler* handler : handlers_) {
    handler->FolderSelected = nullptr;
    handler->Detach();
    delete handler;
  }
  handlers_.clear();
  for (TCustomElTree* tree : trees_) tree->RemoveFreeNotification(this);
  trees_.clear();
}

void TCommonHandler::SelectPath(const AnsiString& valueName, const AnsiString& defaultPath) {
  if (!handlers_.empty()) handlers_.front()->SelectStoredPath(valueName, defaultPath);
}

void TCommonHandler::SwitchClick(TObject* sender) {
  auto* component = dynamic_cast<TComponent*>(sender);
  if (!component || component->Tag() < 0 || component->Tag() >= TreeCount()) return;
  trees_[size_t(component->Tag())]->BringToFront();
  activeTree_ = component->Tag();
}

void TCommonHandler::FolderSelected(TElTreeItem*, const AnsiString& path) { OnFolderSelected(path); }

void TCommonHandler::FolderOpened(TElTreeItem*, const AnsiString& path) { OnFolderOpened(path); }

void TCommonHandler::TreeEnter(TObject* sender) {
  entered_ = true;
  auto it = std::find(trees_.begin(), trees_.end(), sender);
  activeTree_ = it == trees_.end() ? -1 : int(it - trees_.begin());
}

void TCommonHandler::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  // A tree going first takes its handler with it, detached while it is whole.
  auto it = std::find(trees_.begin(), trees_.end(), component);
  if (it == trees_.end()) return;
  const size_t index = size_t(it - trees_.begin());
  handlers_[index]->FolderSelected = nullptr;
  handlers_[index]->Detach();
  delete handlers_[index];
  handlers_.erase(handlers_.begin() + std::ptrdiff_t(index));
  trees_.erase(it);
}
