// The start-up decisions: which page opens first, and with which text, for
// each combination of rights, archive and library.
#include <gtest/gtest.h>

#include "EngineTestSeams.hpp"
#include "Install.hpp"
#include "UnRAR.hpp"
#include "WizardStrings.h"
#include "WizardTestSupport.hpp"
#include "WizardTexts.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_0_3__InstallError.hpp"
#include "i01_1__Hello.hpp"
#include "i01__MainWorkbench.hpp"

using namespace wizardtest;

namespace {

SC_HANDLE WINAPI RefuseServiceManager(LPCSTR, LPCSTR, DWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

class Startup : public ::testing::Test {
 protected:
  void SetUp() override { UnbindRarLibrary(); }
  void TearDown() override {
    EngineTestSeams::OpenSCManagerProc = nullptr;
    FreePages();
    delete InstallSettings;
    InstallSettings = nullptr;
    UnbindRarLibrary();
  }
  // The page start-up opens for a program in the scratch folder.
  TBasePanel* Start(const std::vector<AnsiString>& arguments) {
    const AnsiString program = folder.Path() + "install.exe";
    return OpenFirstPage(StartupArchivePath(arguments, program), folder.Path());
  }
  static std::wstring ErrorText(TBasePanel* page) {
    auto* error = dynamic_cast<TErrorPanel*>(page);
    return error ? error->message_text->Caption() : L"(not the error page)";
  }
  static std::wstring Text(int id) { return LoadText(id); }

  ScratchFolder folder;
};

TEST_F(Startup, WithoutArgumentTheArchiveIsInstallZBesideTheProgram) {
  EXPECT_EQ(StartupArchivePath({}, "C:\\Disc\\install.exe"), "C:\\Disc\\Install.z");
  EXPECT_EQ(StartupArchivePath({"D:\\other.z"}, "C:\\Disc\\install.exe"), "D:\\other.z");
}

TEST_F(Startup, NoArgumentAndNoArchiveGivesTheDefaultText) {
  folder.Copy(WIZARD_TEST_UNRAR, "unrar.dll");
  TBasePanel* page = Start({});
  EXPECT_EQ(ErrorText(page), Text(IDS_ERROR_DEFAULT));
  EXPECT_FALSE(page->forward_button->Visible());
  EXPECT_EQ(InstallSettings, nullptr);
}

TEST_F(Startup, AMissingNamedArchiveGivesTheDefaultTextEvenWithInstallZBeside) {
  folder.Copy(WIZARD_TEST_PAYLOAD, "Install.z");
  folder.Copy(WIZARD_TEST_UNRAR, "unrar.dll");
  EXPECT_EQ(ErrorText(Start({folder.Path() + "missing.z"})), Text(IDS_ERROR_DEFAULT));
}

TEST_F(Startup, NoLibraryGivesTheLibraryText) {
  folder.Copy(WIZARD_TEST_PAYLOAD, "Install.z");
  const std::wstring text = ErrorText(Start({}));
  EXPECT_EQ(text, Text(IDS_ERROR_NO_LIBRARY));
  EXPECT_NE(text.find(L"support@kestrum.ru."), std::wstring::npos);
  EXPECT_FALSE(UnRarLoaded);
  EXPECT_EQ(WizardExitCode, wecStartupRefused);
}

TEST_F(Startup, ArchiveAndLibraryBothMissingReportTheArchive) {
  EXPECT_EQ(ErrorText(Start({})), Text(IDS_ERROR_DEFAULT));
  EXPECT_FALSE(UnRarLoaded) << "the library is looked for only once the archive is there";
}

TEST_F(Startup, EverythingPresentOpensWelcomeWithTheSettings) {
  folder.Copy(WIZARD_TEST_PAYLOAD, "Install.z");
  folder.Copy(WIZARD_TEST_UNRAR, "unrar.dll");
  WizardExitCode = wecStartupRefused;
  TBasePanel* page = Start({});
  ASSERT_NE(dynamic_cast<TStep1_HelloPanel*>(page), nullptr);
  EXPECT_EQ(WizardExitCode, wecCancelled) << "closing Welcome is a cancel";
  EXPECT_TRUE(UnRarLoaded);
  ASSERT_NE(InstallSettings, nullptr);
  EXPECT_EQ(ArchivePath, folder.Path() + "Install.z");
  EXPECT_EQ(page->holder->Parent(), MainPanel);
  EXPECT_EQ(page->header_label->Caption(), Ansi("Лумбрикс 2008 от Kestrum"));
}

TEST_F(Startup, WithoutAdministratorRightsTheAdminTextComesFirst) {
  EngineTestSeams::OpenSCManagerProc = &RefuseServiceManager;
  folder.Copy(WIZARD_TEST_PAYLOAD, "Install.z");
  folder.Copy(WIZARD_TEST_UNRAR, "unrar.dll");
  EXPECT_EQ(ErrorText(Start({})), Text(IDS_ERROR_NO_ADMIN));
  EXPECT_FALSE(UnRarLoaded);
  FreePages();
  EXPECT_EQ(ErrorText(Start({folder.Path() + "missing.z"})), Text(IDS_ERROR_NO_ADMIN));
}

}  // namespace
