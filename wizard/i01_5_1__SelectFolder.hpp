// The folder selection page: the shell's folders as a tree rooted at the
// desktop, and an edit with the folder the product will go into; and the
// check of that folder before it becomes the install's target.
#pragma once

#include "ElEdits.hpp"
#include "ElHTMLLbl.hpp"
#include "ElStrUtils.hpp"
#include "ElTree.hpp"
#include "ExtCtrls.hpp"
#include "SysUtils.hpp"
#include "i01_0_1__BasePanel.hpp"

class TCommonHandler;

// The outcome of checking a typed install folder: MessageId is 0 when the
// folder is accepted, Folder then holding it in the ANSI code page exactly as
// typed; otherwise the string-table id of the message that refuses it.
struct TTargetFolderCheck {
  int MessageId = 0;
  AnsiString Folder;
};

// Accepts an absolute folder, a drive letter with ":\" or a UNC path
// ("\\server\share..."), whose name the ANSI code page holds and whose OEM
// form names the same folder. An empty or relative entry, a device path
// ("\\?\", "\\.\") and a name that does not convert are refused.
TTargetFolderCheck CheckTargetFolder(const TElFString& typed);

class TStep5_SelectFolderPanel : public TBasePanel {
 public:
  explicit TStep5_SelectFolderPanel(TComponent* owner) : TBasePanel(owner) {}

  TShape* Shape1 = nullptr;
  TShape* Shape2 = nullptr;
  TElHTMLLabel* create_text_label = nullptr;
  TElEdit* storage_folder_edit = nullptr;
  TElTree* storage_tree = nullptr;

  void InitPage() override;
  // Binds the tree to the folder kit, fills its desktop root and selects it,
  // which fills the edit.
  void BuildFolderTree();
  void FolderSelected(const AnsiString& path);
  // Checks the edit's folder: a refused one is told in a message box owned
  // by the host and the page stays; an accepted one becomes the target and
  // the install starts.
  void ForwardClick(TObject* sender);

  TCommonHandler* FolderHandler() const { return handler_; }

 protected:
  void DoCreate() override;

 private:
  TCommonHandler* handler_ = nullptr;
};

TStep5_SelectFolderPanel* ShowSelectFolderPage();

void RegisterSelectFolderPanel();
