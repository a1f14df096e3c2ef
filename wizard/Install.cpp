#include "Install.hpp"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "ComObj.hpp"
#include "DateUtil.hpp"
#include "ElEdits.hpp"
#include "ElExtBkgnd.hpp"
#include "ElHTMLLbl.hpp"
#include "ElHandPt.hpp"
#include "ElHintWindow.hpp"
#include "ElHook.hpp"
#include "ElImgFrm.hpp"
#include "ElScrollBar.hpp"
#include "ElTreeUnit.hpp"
#include "ElTools.hpp"
#include "ElUxTheme.hpp"
#include "FastDIB.hpp"
#include "FastFiles.hpp"
#include "Forms.hpp"
#include "SBLog.hpp"
#include "SBRegister.hpp"
#include "SBResourceStorage.hpp"
#include "SysUtils.hpp"
#include "UnRAR.hpp"
#include "VCLUtils.hpp"
#include "WizardStrings.h"
#include "WizardTexts.hpp"
#include "i00_1__SetApplicationTitle.hpp"
#include "i01_0_1__BasePanel.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_0_3__InstallError.hpp"
#include "i01_1__Hello.hpp"
#include "i01_2__License.hpp"
#include "i01_5__Ready.hpp"
#include "i01_5_1__SelectFolder.hpp"
#include "i01_6__InstallRunning.hpp"
#include "i01_7__Finish.hpp"
#include "i01__MainWorkbench.hpp"
#include "kv01_0_03_7__FillDirectoryTree.hpp"
#include "lib_Files.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"
#include "pngimage.hpp"
#include "ui_0__Delete.hpp"

namespace {

// The default error text, loaded before anything else can fail.
TElFString DefaultErrorText;

void RegisterWizardForms() {
  RegisterMainPanel();
  RegisterBasePanel();
  RegisterHelloPanel();
  RegisterLicensePanel();
  RegisterReadyPanel();
  RegisterSelectFolderPanel();
  RegisterInstallPanel();
  RegisterFinishPanel();
  RegisterErrorPanel();
}

const TUnitInfo WizardFormsUnit{"WizardForms", &RegisterWizardForms, nullptr};

}  // namespace

void InitializeWizardUnits() {
  InitializeUnits({&SysUtilsUnit, &ComObjUnit, &FormsUnit, &lib_WindowsOSUnit, &lib_WindowsFileSystemUnit,
                   &i01_0_2__InstallDataUnit, &ui_0__DeleteUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit,
                   &ElExtBkgndUnit, &ElImgFrmUnit, &ElHandPtUnit, &ElHintWindowUnit, &ElScrollBarUnit,
                   &ElHTMLLblUnit, &ElEditsUnit, &ElTreeUnit, &kv01_0_03_7__FillDirectoryTreeUnit, &pngimageUnit, &SBResourceStorageUnit, &SBLogUnit,
                   &SBControlsUnit, &VCLUtilsUnit, &DateUtilUnit, &FastDIBUnit, &FastFilesUnit,
                   &WizardFormsUnit});
}

AnsiString StartupArchivePath(const std::vector<AnsiString>& arguments, const AnsiString& programPath) {
  if (!arguments.empty()) return arguments.front();
  return ExtractFileFolder(programPath) + "Install.z";
}

TBasePanel* OpenFirstPage(const AnsiString& archivePath, const AnsiString& programFolder) {
  ArchivePath = archivePath;
  auto refuse = [](const TElFString& text) {
    WizardExitCode = wecStartupRefused;
    return ShowErrorPage(text);
  };
  if (!IsAdministrator()) return refuse(LoadText(IDS_ERROR_NO_ADMIN));
  // The archive is looked for before the library, so a missing archive and
  // a missing library together report the archive.
  if (DefaultErrorText.empty()) DefaultErrorText = LoadText(IDS_ERROR_DEFAULT);
  if (!FileExists(ArchivePath)) return refuse(DefaultErrorText);
  LoadUnRarLibrary(programFolder + "unrar.dll");
  if (!UnRarLoaded) return refuse(LoadText(IDS_ERROR_NO_LIBRARY));
  InstallSettings = new TInstallData();
  WizardExitCode = wecCancelled;
  return ShowHelloPage();
}

int InstallerMain() {
  DefaultErrorText = LoadText(IDS_ERROR_DEFAULT);
  Application->Initialize();
  SetApplicationTitle(LoadStr(IDS_APPLICATION_TITLE));
  Application->SetShowMainForm(false);
  CreateMainPanel();
  std::vector<AnsiString> arguments;
  if (ParamCount() > 0) arguments.push_back(ParamStr(1));
  const AnsiString programPath = ParamStr(0);
  RunWizard(OpenFirstPage(StartupArchivePath(arguments, programPath), ExtractFileFolder(programPath)));
  CloseWizard();
  return WizardExitCode;
}

void ReleaseInstallSettings() {
  // The loop may end by a route other than the pages' (a quit message from
  // outside): a worker still running is cancelled and rolled back before
  // the settings it reads go.
  if (MainPanel && MainPanel->Busy()) {
    MainPanel->CancelBusyPages();
    if (!MainPanel->WaitWhileBusy(InstallEndBound)) return;
  }
  delete InstallSettings;
  InstallSettings = nullptr;
}

void FreeWizardForms() {
  if (!Screen) return;
  for (int i = Screen->FormCount() - 1; i >= 0; --i)
    if (auto* page = dynamic_cast<TBasePanel*>(Screen->Forms(i))) page->Free();
  if (MainPanel) {
    MainPanel->Free();
    MainPanel = nullptr;
  }
}

void CloseWizard() {
  ReleaseInstallSettings();
  FreeWizardForms();
}

namespace {

void ReportException(const AnsiString& message) {
  MessageBoxA(nullptr, message.c_str(), LoadStr(IDS_APPLICATION_TITLE).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

#ifndef WIZARD_NO_WINMAIN
// An exception nothing caught: its text on the standard error, then abort,
// as the run time's own handler does, but without naming the exception's
// type, which needs the run time's demangler (46 KB of the program).
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  static bool terminating = false;
  if (!terminating && std::current_exception()) {
    terminating = true;
    try {
      throw;
    } catch (const std::exception& e) {
      std::fputs("terminate called after throwing an exception: ", stderr);
      std::fputs(e.what(), stderr);
      std::fputs("\n", stderr);
    } catch (...) {
      std::fputs("terminate called after throwing an exception\n", stderr);
    }
  }
  std::abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int exitCode = wecProgramFailed;
  try {
    InitializeWizardUnits();
    exitCode = InstallerMain();
  } catch (const Exception& e) {
    ReportException(e.Message());
  } catch (const std::exception& e) {
    ReportException(e.what());
  } catch (...) {
    ReportException("Unknown exception");
  }
  // After a failure too, the forms go before the units they use.
  try {
    FreeWizardForms();
  } catch (...) {
  }
  FinalizeUnits();
  return exitCode;
}
#endif
