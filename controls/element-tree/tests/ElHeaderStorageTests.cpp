// The header's view settings in an ini storage kept in memory: what is
// written where, what comes back, how widths scale under sticky sections,
// and what a damaged storage cannot do.
#include <gtest/gtest.h>

#include "ElHeader.hpp"
#include "ElIni.hpp"

namespace {

class HeaderStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = new TComponent(nullptr);
    storage = new TElIniFile(owner);
    header = new TElHeader(owner);
    header->SetAlign(alNone);
    header->SetBounds(0, 0, 300, 20);
    header->SetStorage(storage);
    header->SetStoragePath("\\Views\\Files");
    for (int width : {100, 120, 60}) header->Sections()->AddSection()->SetWidth(width);
  }
  void TearDown() override { owner->Free(); }
  TElHeaderSection* At(int position) { return header->Sections()->GetSectionAt(position); }
  std::int32_t Stored(const char* key, const char* name) {
    std::int32_t value = -999;
    storage->ReadInteger(key, name, -999, value);
    return value;
  }

  TComponent* owner = nullptr;
  TElIniFile* storage = nullptr;
  TElHeader* header = nullptr;
};

TEST_F(HeaderStorage, SavesUnderTheHeaderKeyByLogicalNumberAndComesBack) {
  header->Sections()->MoveSection(At(2), 0);
  At(0)->SetAlignment(hsaRight);
  At(0)->SetSortMode(hsmDescend);
  At(1)->SetVisible(false);
  storage->OpenKey("\\Elsewhere", true);
  header->SaveToStorage();
  EXPECT_EQ(storage->CurrentKey(), "\\Elsewhere");
  EXPECT_EQ(Stored("\\Views\\Files\\ElHeader", "Width"), 300);
  EXPECT_EQ(Stored("\\Views\\Files\\ElHeader\\Section2", "Width"), 60);
  EXPECT_EQ(Stored("\\Views\\Files\\ElHeader\\Section2", "Align"), 2);
  EXPECT_EQ(Stored("\\Views\\Files\\ElHeader\\Section2", "SortOrder"), 2);
  bool visible = true;
  storage->ReadBool("\\Views\\Files\\ElHeader\\Section0", "Visible", true, visible);
  EXPECT_FALSE(visible);

  At(0)->SetAlignment(hsaLeft);
  At(0)->SetSortMode(hsmNone);
  At(0)->SetWidth(10);
  At(1)->SetVisible(true);
  header->RestoreFromStorage();
  EXPECT_EQ(storage->CurrentKey(), "\\Elsewhere");
  EXPECT_EQ(At(0)->Alignment(), hsaRight);
  EXPECT_EQ(At(0)->SortMode(), hsmDescend);
  EXPECT_EQ(At(0)->Width(), 60);
  EXPECT_FALSE(At(1)->StoredVisible());
}

TEST_F(HeaderStorage, APathEndingInTheDelimiterIsNotDoubled) {
  header->SetStoragePath("\\Views\\");
  header->SaveToStorage();
  EXPECT_EQ(Stored("\\Views\\ElHeader", "Width"), 300);
  header->SetStoragePath("");
  header->SaveToStorage();
  EXPECT_EQ(Stored("\\ElHeader", "Width"), 300);
}

TEST_F(HeaderStorage, StickySectionsScaleTheirWidthsByTheStoredHeaderWidth) {
  header->SaveToStorage();
  storage->WriteInteger("\\Views\\Files\\ElHeader", "Width", 450);
  At(2)->SetResizable(false);
  header->SetStickySections(true);
  header->RestoreFromStorage();
  // trunc(300 / 450 x width): 66.67 gives 66; a fixed section keeps its own.
  EXPECT_EQ(At(0)->Width(), 66);
  EXPECT_EQ(At(1)->Width(), 80);
  EXPECT_EQ(At(2)->Width(), 60);
  EXPECT_FLOAT_EQ(At(0)->WidthShare(), 66.0f / 240.0f) << "the shares are taken again";

  storage->WriteInteger("\\Views\\Files\\ElHeader", "Width", 0);
  header->RestoreFromStorage();
  EXPECT_EQ(At(0)->Width(), 100) << "a stored width of 0 restores unscaled";
}

TEST_F(HeaderStorage, ValuesOutOfRangeKeepTheCurrentOnes) {
  header->SaveToStorage();
  storage->WriteInteger("\\Views\\Files\\ElHeader\\Section0", "Align", 7);
  storage->WriteInteger("\\Views\\Files\\ElHeader\\Section0", "SortOrder", -1);
  At(0)->SetAlignment(hsaCenter);
  At(0)->SetSortMode(hsmAscend);
  header->RestoreFromStorage();
  EXPECT_EQ(At(0)->Alignment(), hsaCenter);
  EXPECT_EQ(At(0)->SortMode(), hsmAscend);
  // Without the key nothing changes and no key is made.
  header->SetStoragePath("\\Nowhere");
  At(0)->SetWidth(33);
  header->RestoreFromStorage();
  EXPECT_EQ(At(0)->Width(), 33);
  EXPECT_FALSE(storage->KeyExists("\\Nowhere\\ElHeader"));
}

}  // namespace
