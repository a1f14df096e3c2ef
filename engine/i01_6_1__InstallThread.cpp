#include "i01_6_1__InstallThread.hpp"

#include "EngineStrings.h"
#include "Registry.hpp"
#include "SysUtils.hpp"
#include "i01_0_2__InstallData.hpp"
#include "lib_Method12_ExtractRAR.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"
#include "ui_0__Delete.hpp"

namespace {

// "4.х" with the Cyrillic letter as its code-page-1251 byte: the registry
// value is compared byte for byte by tools that read it.
const char* const DisplayVersion = "4.\xF5";

// One registry step: a failure ends that step only and never the install.
template <class Step>
void RegistryStep(HKEY root, Step step) {
  TRegistry* registry = new TRegistry();
  try {
    registry->SetRootKey(root);
    step(*registry);
  } catch (const Exception&) {
  }
  registry->Free();
}

// The folder the install goes into, with its trailing backslash.
AnsiString TargetWithBackslash() { return AddTrailingBackslash(InstallSettings->TargetFolder); }

}  // namespace

void InstallThread::Execute() {
  Status = isSuccess;
  auto goOn = [this] { return !Terminated() && Status == isSuccess; };
  if (goOn()) Status = ExtractPayload();
  if (goOn()) WriteUninstallEntry();
  if (goOn()) WriteProductPath();
  if (goOn()) RegisterArchiveType();
  if (goOn()) Synchronize(&InstallThread::CreateShortcuts);
  // A cancel that came after the last step still counts as a cancel.
  if (Terminated()) Status = isCancelled;
}

bool InstallThread::OnExtractProgress(const AnsiString&, std::int32_t runningTotal) {
  std::atomic_ref(BytesDone).store(runningTotal, std::memory_order_relaxed);
  return !Terminated();
}

TInstallStatus InstallThread::ExtractPayload() {
  if (!FileExists(ArchivePath)) return isArchiveMissing;
  RarError = GetArchiveUnpackedSize(ArchivePath, TotalBytes, PayloadPassword);
  if (Terminated()) return isCancelled;
  if (RarError != 0 && RarError != 10) return isScanFailed;
  InstallCreatedPaths.clear();
  RarError = ExtractArchive(ArchivePath, InstallSettings->TargetFolder, PayloadPassword,
                            TExtractProgressEvent(this, &InstallThread::OnExtractProgress),
                            &InstallCreatedPaths);
  if (Terminated()) return isCancelled;
  if (RarError != 0 && RarError != 10) return isExtractFailed;
  return isSuccess;
}

void InstallThread::WriteUninstallEntry() {
  const AnsiString target = TargetWithBackslash();
  RegistryStep(HKEY_LOCAL_MACHINE, [&](TRegistry& registry) {
    // A key that does not open ends the step, as its first write would.
    if (!registry.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbrix 2008", true))
      return;
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
    if (!registry.OpenKey("\\Software\\Kestrum\\Lumbrix 2008", true)) return;
    registry.WriteString("Lumbrix2008Path", InstallSettings->TargetFolder);
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
  const AnsiString productLink = LoadStr(IDS_PRODUCT_SHORTCUT);
  const AnsiString description = LoadStr(IDS_PRODUCT_DESCRIPTION);
  const AnsiString programs = GetSpecialFolderPath(IsWin9x() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
  if (!programs.empty()) {
    const AnsiString folder = AddTrailingBackslash(programs) + "Kestrum\\Lumbrix 2008\\";
    ForceDirectories(folder);
    CreateShortcut(target + "kv4.exe", folder + productLink, description, "", "");
    CreateShortcut(target + "uninstall.exe", folder + LoadStr(IDS_UNINSTALL_SHORTCUT), "", "", "");
    CreateShortcut(target + "Storage\\Tutorial\\index.htm", folder + LoadStr(IDS_TUTORIAL_SHORTCUT), "", "", "");
  }
  CreateShortcut(target + "kv4.exe", AddTrailingBackslash(DesktopFolder) + productLink, description, "", "");
}
