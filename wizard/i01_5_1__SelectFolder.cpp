#include "i01_5_1__SelectFolder.hpp"

#include <windows.h>

#include "Streaming.hpp"
#include "WizardPictures.hpp"
#include "WizardStrings.h"
#include "WizardTestSeams.hpp"
#include "WizardTexts.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_6__InstallRunning.hpp"
#include "i01__MainWorkbench.hpp"
#include "kv01_0_03_10__CommonHandler.hpp"
#include "kv01_0_03_7__FillDirectoryTree.hpp"
#include "lib_WindowsFileSystem.hpp"

namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:\..." or "\\server\share..." with a server and a share name; the
// device namespaces "\\?\" and "\\.\" are not folders to install into.
bool IsAbsoluteFolder(const TElFString& s) {
  if (s.size() >= 3 && IsLetter(s[0]) && s[1] == L':' && s[2] == L'\\') return true;
  if (s.size() < 2 || s[0] != L'\\' || s[1] != L'\\') return false;
  const size_t serverEnd = s.find(L'\\', 2);
  if (serverEnd == TElFString::npos || serverEnd == 2) return false;
  const TElFString server = s.substr(2, serverEnd - 2);
  if (server == L"?" || server == L".") return false;
  const size_t shareEnd = s.find(L'\\', serverEnd + 1);
  const size_t shareLength = (shareEnd == TElFString::npos ? s.size() : shareEnd) - serverEnd - 1;
  return shareLength > 0;
}

// The text in the ANSI code page, or false when a character has no exact
// form there (no best-fit look-alikes, no default character).
bool ToAnsiExactly(const TElFString& s, AnsiString& out) {
  if (s.find(L'\0') != TElFString::npos) return false;
  const int length = static_cast<int>(s.size());
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), length, nullptr, 0, nullptr,
                                       &usedDefault);
  if (size <= 0 || usedDefault) return false;
  out.assign(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), length, out.data(), size, nullptr, &usedDefault);
  if (usedDefault) return false;
  const int back = MultiByteToWideChar(CP_ACP, 0, out.data(), size, nullptr, 0);
  TElFString wide(static_cast<size_t>(back), L'\0');
  MultiByteToWideChar(CP_ACP, 0, out.data(), size, wide.data(), back);
  return wide == s;
}

}  // namespace

TTargetFolderCheck CheckTargetFolder(const TElFString& typed) {
  TTargetFolderCheck result;
  if (!IsAbsoluteFolder(typed)) {
    result.MessageId = IDS_TARGET_NOT_ABSOLUTE;
    return result;
  }
  AnsiString folder;
  if (!ToAnsiExactly(typed, folder) || !TargetFolderFitsOemCodePage(folder)) {
    result.MessageId = IDS_TARGET_NAME_UNSUPPORTED;
    return result;
  }
  result.Folder = folder;
  return result;
}

// ---- The page ------------------------------------------------------------------------

namespace WizardTestSeams {
int (*MessageBoxProc)(HWND owner, const TElFString& text, const TElFString& caption, UINT flags) = nullptr;
}

namespace {

// The product's own folder name, put after the folder chosen in the tree.
const char* const kProductFolderName = "Lumbrix 2008";

// A message box owned by the host, so that the wizard waits for it; in
// UTF-16, whatever the ANSI code page.
void TellUser(int messageId) {
  const TElFString text = LoadText(messageId);
  const TElFString caption = LoadText(IDS_APPLICATION_TITLE);
  const UINT flags = MB_OK | MB_ICONWARNING;
  HWND owner = MainPanel && MainPanel->HandleAllocated() ? MainPanel->Handle() : nullptr;
  if (WizardTestSeams::MessageBoxProc) WizardTestSeams::MessageBoxProc(owner, text, caption, flags);
  else MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

}  // namespace

// Form files carry no pictures: the tree's and the edit's come from the
// program's resources.
void TStep5_SelectFolderPanel::DoCreate() {
  LoadSkinBitmap(storage_folder_edit->Background(), "EDIT_BG_TILE");
  // The tree gave up the form's tiled background at loading, for want of
  // the picture: it takes it again with the picture.
  LoadSkinBitmap(storage_tree->Background(), "TREE_BG_TILE");
  storage_tree->SetBackgroundType(bgtTileBitmap);
  LoadSkinBitmap(storage_tree->PlusPicture(), "TREE_PLUS");
  LoadSkinBitmap(storage_tree->MinusPicture(), "TREE_MINUS");
  TBasePanel::DoCreate();
}

void TStep5_SelectFolderPanel::InitPage() {
  TBasePanel::InitPage();
  forward_button->OnClick = TNotifyEvent(this, &TStep5_SelectFolderPanel::ForwardClick);
}

void TStep5_SelectFolderPanel::BuildFolderTree() {
  // The edit measures its text area from its window: without one it would
  // scroll the first folder put in out of sight to show the caret.
  storage_folder_edit->HandleNeeded();
  handler_ = new TCommonHandler(this);
  handler_->AddTree(storage_tree, nullptr);
  FillDirectoryTree(storage_tree, DesktopFolder, nullptr);
  handler_->OnFolderSelected = TFolderPathEvent(this, &TStep5_SelectFolderPanel::FolderSelected);
  // The walk towards the target stops at the desktop level, not filled yet:
  // the desktop is selected, which fills its level and the edit.
  handler_->SelectPath("", InstallSettings->TargetFolder);
}

void TStep5_SelectFolderPanel::FolderSelected(const AnsiString& path) {
  const TElFString text = path.empty() ? TElFString() : AnsiToWide(AddTrailingBackslash(path) + kProductFolderName);
  storage_folder_edit->SetText(text);
  storage_folder_edit->SetSelStart(int(text.size()));
}

void TStep5_SelectFolderPanel::ForwardClick(TObject*) {
  const TTargetFolderCheck check = CheckTargetFolder(storage_folder_edit->Text());
  if (check.MessageId != 0) {
    TellUser(check.MessageId);
    return;
  }
  InstallSettings->TargetFolder = check.Folder;
  ShowInstallRunningPage();
  Release();
}

TStep5_SelectFolderPanel* ShowSelectFolderPage() {
  return OpenPage<TStep5_SelectFolderPanel>(THostUpdate::Update,
                                            [](TStep5_SelectFolderPanel* page) { page->BuildFolderTree(); });
}

void RegisterSelectFolderPanel() {
  using P = TStep5_SelectFolderPanel;
  Publish<P, TBasePanel>()
      .Field("Shape1", &P::Shape1)
      .Field("Shape2", &P::Shape2)
      .Field("create_text_label", &P::create_text_label)
      .Field("storage_folder_edit", &P::storage_folder_edit)
      .Field("storage_tree", &P::storage_tree);
}
