#include "ComObj.hpp"

#include "Consts.hpp"

namespace {

bool comInitialized = false;

void InitComObj() {
  // S_FALSE (already initialised on this thread) also needs its uninitialise.
  comInitialized = SUCCEEDED(CoInitialize(nullptr));
}

void DoneComObj() {
  if (comInitialized) CoUninitialize();
  comInitialized = false;
}

}  // namespace

const TUnitInfo ComObjUnit = {"ComObj", &InitComObj, &DoneComObj};

void OleError(HRESULT errorCode) {
  std::string message = SysErrorMessage(static_cast<std::uint32_t>(errorCode));
  if (message.empty()) message = Format(Consts::OleError, {static_cast<Int64>(static_cast<std::uint32_t>(errorCode))});
  throw EOleSysError(message, static_cast<std::int32_t>(errorCode));
}

void OleCheck(HRESULT result) {
  if (FAILED(result)) OleError(result);
}

TComPtr<IUnknown> CreateComObject(const CLSID& classId) {
  TComPtr<IUnknown> result;
  OleCheck(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                            result.OutVoid()));
  return result;
}

bool Supports(IUnknown* object, const IID& iid, void** out) {
  void* p = nullptr;
  if (!object || FAILED(object->QueryInterface(iid, &p)) || !p) return false;
  if (out)
    *out = p;
  else
    static_cast<IUnknown*>(p)->Release();
  return true;
}
