// The tree's view settings in an ini storage: the key, the round trip in
// file and registry mode with the header's part, a missing key, and stored
// values the settings cannot take.
#include "ElIni.hpp"
#include "Registry.hpp"
#include "TreeModelSupport.hpp"

namespace {

class TStorageTree : public TTestTree {
 public:
  explicit TStorageTree(TComponent* owner) : TTestTree(owner) {}
  void AttachHeader(TElHeader* header) { FHeader = header; }
};

class TreeStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = new TComponent(nullptr);
    storage = new TElIniFile(owner);
    tree = TObject::Create<TStorageTree>(owner);
    tree->SetStorage(storage);
  }
  void TearDown() override {
    owner->Free();
    if (!registryKey.empty()) TRegistry().DeleteKey(registryKey);
  }
  // Settings unlike the defaults, to save.
  void Customise() {
    tree->Font()->SetSize(14);
    tree->Font()->SetColor(0x123456);
    tree->Font()->SetName("Courier New");
    tree->Font()->SetStyle(TFontStyles{fsItalic, fsStrikeOut});
    tree->SetSortType(stDate);
    tree->SetSortMode(smAddClick);
    tree->SetSortDir(sdDescend);
    tree->SetSortSection(3);
  }
  void Reset() {
    tree->Font()->SetSize(8);
    tree->Font()->SetColor(clWindowText);
    tree->Font()->SetName("Tahoma");
    tree->Font()->SetStyle(TFontStyles{fsBold});
    tree->SetSortType(stText);
    tree->SetSortMode(smNone);
    tree->SetSortDir(sdAscend);
    tree->SetSortSection(0);
  }
  void ExpectCustomised() {
    EXPECT_EQ(tree->Font()->Size(), 14);
    EXPECT_EQ(tree->Font()->Color(), 0x123456);
    EXPECT_EQ(tree->Font()->Name(), "Courier New");
    EXPECT_EQ(tree->Font()->Style(), (TFontStyles{fsItalic, fsStrikeOut}));
    EXPECT_EQ(tree->SortType(), stDate);
    EXPECT_EQ(tree->SortMode(), smAddClick);
    EXPECT_EQ(tree->SortDir(), sdDescend);
    EXPECT_EQ(tree->SortSection(), 3);
  }

  TComponent* owner = nullptr;
  TElIniFile* storage = nullptr;
  TStorageTree* tree = nullptr;
  AnsiString registryKey;
};

TEST_F(TreeStorage, TheKeyJoinsTheFormNameAndThePathWithSingleDelimiters) {
  EXPECT_EQ(tree->StorageKey(), "\\Tree");
  tree->SetStoragePath("Views\\Tree");
  EXPECT_EQ(tree->StorageKey(), "\\Views\\Tree");
  TForm* form = new TForm(nullptr);
  form->SetName("Form1");
  TTestTree* onForm = TObject::Create<TTestTree>(form);
  onForm->SetStorage(storage);
  EXPECT_EQ(onForm->StorageKey(), "\\Form1\\Tree");
  // Saved on a named form, the values can be opened again.
  onForm->SaveToStorage();
  std::int32_t size = 0;
  EXPECT_TRUE(storage->ReadInteger("\\Form1\\Tree", "FontSize", 0, size));
  EXPECT_EQ(size, onForm->Font()->Size());
  storage->SetDelimiter('/');
  EXPECT_EQ(onForm->StorageKey(), "/Form1/\\Tree");
  form->Free();
  // A freed storage is forgotten.
  TElIniFile* other = new TElIniFile(nullptr);
  tree->SetStorage(other);
  other->Free();
  EXPECT_EQ(tree->Storage(), nullptr);
  tree->SaveToStorage();
}

TEST_F(TreeStorage, RoundTripsInAFileWithTheHeadersPartFirst) {
  AnsiString name;
  TempFileNameFromGUID("", name);
  const std::string path = name + ".ini";
  storage->SetPath(path);
  TElHeader* header = TObject::Create<TElHeader>(tree);
  header->Sections()->AddSection()->SetWidth(77);
  tree->AttachHeader(header);
  Customise();
  storage->OpenKey("\\Elsewhere", true);
  tree->SaveToStorage();
  EXPECT_EQ(storage->CurrentKey(), "\\Elsewhere");
  EXPECT_TRUE(storage->Save());

  TElIniFile* fresh = new TElIniFile(owner);
  fresh->SetPath(path);
  EXPECT_TRUE(fresh->Load());
  DeleteFile(path);
  tree->SetStorage(fresh);
  Reset();
  header->Sections()->GetSectionAt(0)->SetWidth(5);
  fresh->OpenKey("\\Elsewhere", true);
  tree->RestoreFromStorage();
  ExpectCustomised();
  EXPECT_EQ(header->Sections()->GetSectionAt(0)->Width(), 77);
  EXPECT_EQ(fresh->CurrentKey(), "\\Elsewhere");
}

TEST_F(TreeStorage, RoundTripsInTheRegistryOnATestKeyOfItsOwn) {
  AnsiString guid;
  TempFileNameFromGUID("x", guid);
  registryKey = "\\Software\\LumbrixTests\\ElTree" + guid.substr(1);
  storage->SetPath(registryKey);
  storage->SetUseRegistry(true);
  Customise();
  tree->SaveToStorage();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(registryKey + "\\Tree", false));
  EXPECT_EQ(reg.ReadInteger("SortSection"), 3);
  EXPECT_EQ(reg.ReadString("FontName"), "Courier New");
  reg.CloseKey();
  Reset();
  tree->RestoreFromStorage();
  ExpectCustomised();
}

TEST_F(TreeStorage, AMissingKeyOrValueAndValuesTheSettingsCannotTake) {
  Customise();
  tree->RestoreFromStorage();
  ExpectCustomised();
  EXPECT_EQ(storage->CurrentKey(), "\\");

  storage->WriteInteger("\\Tree", "SortType", 257);
  storage->WriteInteger("\\Tree", "SortMode", 200);
  storage->WriteInteger("\\Tree", "SortDir", -5);
  storage->WriteInteger("\\Tree", "SortSection", -5);
  tree->RestoreFromStorage();
  EXPECT_EQ(tree->SortType(), stText);
  EXPECT_EQ(tree->SortMode(), smAddClick);
  EXPECT_EQ(tree->SortDir(), sdDescend);
  EXPECT_EQ(tree->SortSection(), 3);
  EXPECT_EQ(tree->Font()->Size(), 14) << "a missing value leaves its setting";
  storage->WriteInteger("\\Tree", "SortSection", -1);
  storage->WriteInteger("\\Tree", "SortDir", 256);
  tree->RestoreFromStorage();
  EXPECT_EQ(tree->SortSection(), -1);
  EXPECT_EQ(tree->SortDir(), sdAscend);
}

}  // namespace
