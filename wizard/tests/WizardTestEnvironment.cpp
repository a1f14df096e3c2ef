// Starts the wizard's units as the program does and makes the host window
// once; every test docks its pages into it.
#include <gtest/gtest.h>

#include "Install.hpp"
#include "UnRAR.hpp"
#include "WizardTestSupport.hpp"
#include "i01__MainWorkbench.hpp"
#include "lib_WindowsFileSystem.hpp"

#include <shellapi.h>

namespace wizardtest {

AnsiString Ansi(const char* utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
  return WideToAnsi(wide);
}

ScratchFolder::ScratchFolder() {
  static int counter = 0;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  path_ = AnsiString(temp) + "wizard_test_" + IntToStr(int(GetCurrentProcessId())) + "_" + IntToStr(++counter) + "\\";
  ForceDirectories(path_);
}

ScratchFolder::~ScratchFolder() {
  // SHFileOperation wants a list ending in two zero bytes.
  std::string from = path_.substr(0, path_.size() - 1);
  from.push_back('\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  SHFileOperationA(&op);
}

void ScratchFolder::Copy(const AnsiString& source, const AnsiString& name) const {
  CopyFileA(source.c_str(), (path_ + name).c_str(), FALSE);
}

void UnbindRarLibrary() {
  if (!UnRarLoaded) return;
  FreeLibrary(UnRarHandle);
  UnRarHandle = nullptr;
  UnRarLoaded = false;
}

void FreePages() {
  for (int i = Screen->FormCount() - 1; i >= 0; --i) {
    TCustomForm* form = Screen->Forms(i);
    if (!dynamic_cast<TMainPanel*>(form)) form->Free();
  }
  PumpMessages();
}

}  // namespace wizardtest

namespace {

class WizardEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InitializeWizardUnits();
    Application->Initialize();
    CreateMainPanel();
  }
  void TearDown() override { FinalizeUnits(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new WizardEnvironment);

}  // namespace
