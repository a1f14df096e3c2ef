// COM helpers: object creation, OleCheck, interface queries and the counted
// pointer, on the shell's link object.
#include <gtest/gtest.h>

#include "ComObj.hpp"
#include <shlobj.h>

namespace {

TEST(ComObj, CreatesAShellLinkAndQueriesItsInterfaces) {
  ASSERT_TRUE(UnitInitialized(&ComObjUnit));
  TComPtr<IUnknown> unknown = CreateComObject(CLSID_ShellLink);
  ASSERT_TRUE(unknown);
  auto link = QueryInterfaceChecked<IShellLinkA>(unknown.Get(), IID_IShellLinkA);
  OleCheck(link->SetPath("C:\\windows\\notepad.exe"));
  OleCheck(link->SetArguments("/a \"b\""));
  char args[64] = {};
  OleCheck(link->GetArguments(args, sizeof(args)));
  EXPECT_STREQ(args, "/a \"b\"");
  IPersistFile* file = nullptr;
  EXPECT_TRUE(Supports(unknown.Get(), IID_IPersistFile, reinterpret_cast<void**>(&file)));
  ASSERT_NE(file, nullptr);
  file->Release();
  EXPECT_TRUE(Supports(unknown.Get(), IID_IPersistFile, nullptr));
}

TEST(ComObj, MissingInterfaceOrClassRaisesTheOleError) {
  TComPtr<IUnknown> unknown = CreateComObject(CLSID_ShellLink);
  try {
    QueryInterfaceChecked<IStorage>(unknown.Get(), IID_IStorage);
    FAIL();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<std::int32_t>(E_NOINTERFACE));
    EXPECT_FALSE(e.Message().empty());
  }
  EXPECT_FALSE(Supports(unknown.Get(), IID_IStorage, nullptr));
  EXPECT_FALSE(Supports(nullptr, IID_IUnknown, nullptr));
  const CLSID bogus = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  try {
    CreateComObject(bogus);
    FAIL();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<std::int32_t>(REGDB_E_CLASSNOTREG));
  }
  EXPECT_THROW(QueryInterfaceChecked<IUnknown>(nullptr, IID_IUnknown), EOleError);
}

TEST(ComObj, OleCheckPassesSuccessAndNamesFailures) {
  EXPECT_NO_THROW(OleCheck(S_OK));
  EXPECT_NO_THROW(OleCheck(S_FALSE));
  try {
    OleCheck(E_ACCESSDENIED);
    FAIL();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), SysErrorMessage(static_cast<std::uint32_t>(E_ACCESSDENIED)));
    EXPECT_FALSE(e.Message().empty());
  }
  // A code the system has no text for.
  const HRESULT unknown = static_cast<HRESULT>(0xA0F1E2D3);
  ASSERT_EQ(SysErrorMessage(static_cast<std::uint32_t>(unknown)), "");
  try {
    OleCheck(unknown);
    FAIL();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), "OLE error A0F1E2D3");
  }
}

// A counted object that reports its count.
class TCountedUnknown : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 1;
};

TEST(ComPtr, CountsCopiesMovesAndReleases) {
  TCountedUnknown object;
  {
    auto owned = TComPtr<IUnknown>::Attach(&object);  // takes the creator's reference
    EXPECT_EQ(object.refs, 1u);
    TComPtr<IUnknown> copy = owned;
    EXPECT_EQ(object.refs, 2u);
    TComPtr<IUnknown> moved = std::move(copy);
    EXPECT_EQ(object.refs, 2u);
    EXPECT_FALSE(copy);
    TComPtr<IUnknown> shared(&object);
    EXPECT_EQ(object.refs, 3u);
    shared = nullptr;
    EXPECT_EQ(object.refs, 2u);
    EXPECT_TRUE(owned == moved);
  }
  EXPECT_EQ(object.refs, 0u);
}

}  // namespace
