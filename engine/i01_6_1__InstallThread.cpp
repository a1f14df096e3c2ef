#include "i01_6_1__InstallThread.hpp"

#include "EngineStrings.h"
#include "ProductPaths.hpp"
#include "Registry.hpp"
#include "SysUtils.hpp"
#include "UnRAR.hpp"
#include "i01_0_2__InstallData.hpp"
#include "lib_Method12_ExtractRAR.hpp"
#include "lib_WindowsFileSystem.hpp"

namespace {

// "4.х" with the Cyrillic letter as its code-page-1251 byte: the registry
// value is compared byte for byte by tools that read it.
const char* const DisplayVersion = "4.\xF5";

// One registry step: a failure of the registry ends that step only and
// never the install.
template <class Step>
void RegistryStep(HKEY root, Step step) {
  TRegistry registry;
  try {
    registry.SetRootKey(root);
    step(registry);
  } catch (const Exception&) {
  }
}

// The folder the install goes into, with its trailing backslash.
AnsiString TargetWithBackslash() { return AddTrailingBackslash(InstallSettings->TargetFolder); }

}  // namespace

void InstallThread::Execute() {
  Status = isSuccess;
  auto goOn = [this] { return !Terminated() && Status == isSuccess; };
  try {
    if (goOn()) Status = ExtractPayload();
    if (goOn()) WriteUninstallEntry();
    if (goOn()) WriteProductPath();
    if (goOn()) RegisterArchiveType();
    if (goOn()) Synchronize(&InstallThread::CreateShortcuts);
  } catch (...) {
    // Whichever step raised, the install is not complete; the page rolls
    // back what the record holds, as for any other failure.
    Status = isStepFailed;
  }
  // A cancel that came after the last step still counts as a cancel.
  if (Terminated()) Status = isCancelled;
}

bool InstallThread::OnExtractProgress(const AnsiString&, std::int32_t runningTotal) {
  bytesDone_.store(runningTotal, std::memory_order_relaxed);
  return !Terminated();
}

TInstallStatus InstallThread::ExtractPayload() {
  if (!FileExists(ArchivePath)) return isArchiveMissing;
  if (!TargetFolderFitsOemCodePage(InstallSettings->TargetFolder)) return isTargetRefused;
  RarError = GetArchiveUnpackedSize(ArchivePath, totalBytes_, PayloadPassword);
  if (Terminated()) return isCancelled;
  if (RarError != 0 && RarError != 10) return isScanFailed;
  // A target that is a link or junction is never written through.
  if (!record_.Begin(InstallSettings->TargetFolder, InstallSettings->RegisteredFolder)) {
    RarError = ERAR_ECREATE;
    return isExtractFailed;
  }
  RarError = ExtractArchive(ArchivePath, InstallSettings->TargetFolder, PayloadPassword,
                            TExtractProgressEvent(this, &InstallThread::OnExtractProgress), &record_);
  if (Terminated()) return isCancelled;
  if (RarError != 0 && RarError != 10) return isExtractFailed;
  // Without its list the product could not be removed again.
  if (!record_.WriteList()) return isStepFailed;
  return isSuccess;
}

void InstallThread::WriteUninstallEntry() {
  const AnsiString target = TargetWithBackslash();
  RegistryStep(HKEY_LOCAL_MACHINE, [&](TRegistry& registry) {
    // A key that does not open ends the step, as its first write would.
    if (!registry.OpenKey(UninstallKey, true)) return;
    registry.WriteString("DisplayIcon", target + "kv4.exe");
    registry.WriteString("DisplayName", "Kestrum Lumbrix 2008");
    registry.WriteString("DisplayVersion", DisplayVersion);
    registry.WriteString("Publisher", "Kestrum Corp.");
    // Quoted, so that a folder with blanks cannot be read as a shorter
    // program path followed by arguments.
    registry.WriteString("UninstallString", "\"" + target + "uninstall.exe\"");
    registry.WriteString("URLInfoAbout", LoadStr(IDS_MAKER_URL));
  });
}

void InstallThread::WriteProductPath() {
  RegistryStep(HKEY_LOCAL_MACHINE, [&](TRegistry& registry) {
    if (!registry.OpenKey(ProductKey, true)) return;
    registry.WriteString(ProductPathValue, InstallSettings->TargetFolder);
  });
}

void InstallThread::RegisterArchiveType() {
  RegistryStep(HKEY_CLASSES_ROOT, [&](TRegistry& registry) {
    if (!registry.OpenKey("\\.qzarc", true)) return;
    registry.WriteString("", "Kestrum.Archive");
    registry.CloseKey();
    // A plain "\" here: a target typed with a trailing backslash gives a
    // doubled one in this path only, which Windows tolerates.
    if (!registry.OpenKey("\\Kestrum.Archive\\DefaultIcon", true)) return;
    registry.WriteString("", InstallSettings->TargetFolder + "\\qzarc.ico");
    registry.CloseKey();
  });
}

void InstallThread::CreateShortcuts() {
  const AnsiString target = TargetWithBackslash();
  const AnsiString description = LoadStr(IDS_PRODUCT_DESCRIPTION);
  const AnsiString menu = MenuProductFolder();
  if (!menu.empty()) {
    // A folder that cannot be made fails the first shortcut's save.
    ForceDirectories(menu);
    const std::vector<AnsiString> names = MenuShortcutNames();
    CreateShortcut(target + "kv4.exe", menu + names[0], description, "", "");
    CreateShortcut(target + "uninstall.exe", menu + names[1], "", "", "");
    CreateShortcut(target + "Storage\\Tutorial\\index.htm", menu + names[2], "", "", "");
  }
  const AnsiString desktopLink = DesktopShortcutPath();
  if (!desktopLink.empty()) CreateShortcut(target + "kv4.exe", desktopLink, description, "", "");
}
