// Data objects for tests of OLE drag and drop: they count their references
// and offer a list of formats and no data.
#pragma once

#include <vector>

#include <ole2.h>
#include <shlobj.h>

namespace eloletest {

// A data object that counts its references and offers no data.
class TestDataObjectBase : public IDataObject {
 public:
  virtual ~TestDataObjectBase() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  ULONG Refs() const { return refs_; }

 private:
  ULONG refs_ = 1;
};

// Offers a list of formats through SHCreateStdEnumFmtEtc, or fails to.
class TestDataObject final : public TestDataObjectBase {
 public:
  enum class Enum { Formats, Fails, NullEnumerator };
  TestDataObject(std::vector<CLIPFORMAT> formats, Enum mode = Enum::Formats) : formats_(formats), mode_(mode) {}

  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    *out = nullptr;
    if (mode_ == Enum::Fails || direction != DATADIR_GET) return E_NOTIMPL;
    if (mode_ == Enum::NullEnumerator) return S_OK;
    std::vector<FORMATETC> list;
    for (CLIPFORMAT f : formats_) list.push_back(FORMATETC{f, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    return SHCreateStdEnumFmtEtc(UINT(list.size()), list.data(), out);
  }

 private:
  std::vector<CLIPFORMAT> formats_;
  Enum mode_;
};

}  // namespace eloletest
