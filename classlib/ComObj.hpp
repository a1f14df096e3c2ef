// COM helpers: the COM unit start-up, object creation, OleCheck and a counted
// interface pointer.
#pragma once

#include <cstdint>

#include "SysUtils.hpp"
#include "WinApi.hpp"
#include <objbase.h>

// Initialises COM for the main thread at start-up (CoInitialize) and undoes
// it at shut-down; list it in the program's TUnitScope after SysUtilsUnit.
extern const TUnitInfo ComObjUnit;

// Raises EOleSysError for a failed HRESULT: the system's message for the
// code, or "OLE error XXXXXXXX" when the system has none.
void OleCheck(HRESULT result);
[[noreturn]] void OleError(HRESULT errorCode);

// An owning, counted interface pointer: copying AddRefs, destruction and
// reassignment Release.
template <class I>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(std::nullptr_t) {}
  // Takes a reference the caller already holds (no AddRef).
  static TComPtr Attach(I* p) {
    TComPtr r;
    r.p_ = p;
    return r;
  }
  // Shares a borrowed pointer (AddRef).
  explicit TComPtr(I* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  TComPtr(const TComPtr& o) : TComPtr(o.p_) {}
  TComPtr(TComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  TComPtr& operator=(TComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~TComPtr() { Release(); }

  void Release() {
    if (p_) {
      I* p = p_;
      p_ = nullptr;
      p->Release();
    }
  }
  // Gives up the reference without releasing it.
  I* Detach() {
    I* p = p_;
    p_ = nullptr;
    return p;
  }
  // For an out parameter: releases the current reference first.
  I** Out() {
    Release();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  I* Get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  friend bool operator==(const TComPtr& a, const TComPtr& b) { return a.p_ == b.p_; }

 private:
  I* p_ = nullptr;
};

// Creates an in-process or local server object; raises EOleSysError.
TComPtr<IUnknown> CreateComObject(const CLSID& classId);

// Whether the object offers the interface; fills `out` when it does.
bool Supports(IUnknown* object, const IID& iid, void** out);

// The interface of the object, or EOleSysError (E_NOINTERFACE...) when it is
// missing or the object is nil.
template <class I>
TComPtr<I> QueryInterfaceChecked(IUnknown* object, const IID& iid) {
  if (!object) OleError(E_POINTER);
  TComPtr<I> result;
  OleCheck(object->QueryInterface(iid, result.OutVoid()));
  return result;
}
template <class I>
TComPtr<I> QueryInterfaceChecked(IUnknown* object) {
  return QueryInterfaceChecked<I>(object, __uuidof(I));
}
