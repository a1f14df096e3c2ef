// The class library's base: string types, TObject, class references and
// method-reference events. Free of <windows.h>.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <typeinfo>
#include <type_traits>
#include <utility>

// 8-bit strings are in the ANSI code page; UTF-16 strings are wchar_t strings
// (16-bit on Windows).
using AnsiString = std::string;
using WideString = std::wstring;

using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using LongWord = std::uint32_t;
using Int64 = std::int64_t;

class TObject;
class TComponent;

// A class reference: the name of a class, a test for its instances and, when
// the class can be made without arguments (or, for components, from an
// owner), a virtual constructor.
struct TMetaClass {
  std::string Name;
  bool (*IsInstance)(const TObject* obj) = nullptr;
  TObject* (*Create)() = nullptr;                  // default-constructible classes
  TComponent* (*CreateComponent)(TComponent* owner) = nullptr;  // components
};
using TClass = const TMetaClass*;

// The class name of a C++ type as the library spells it ("TElTreeItem"),
// without namespaces.
std::string ClassNameOfType(const std::type_info& type);

template <class T>
TClass ClassOf();

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // Destroys the object. BeforeDestruction runs first, while the object is
  // still whole and virtual calls reach the most derived class (components
  // mark themselves csDestroying there). Objects of the library are freed
  // through Free (or by their owner), not by a bare delete.
  void Free() {
    BeforeDestruction();
    delete this;
  }
  virtual void BeforeDestruction() {}
  // Runs once the most derived constructor has finished, for objects made by
  // Create below (and by class references): the place for work that needs
  // the whole object, such as starting a thread or reading a form. A C++
  // constructor cannot do it, as virtual calls from a base constructor stop
  // at that base.
  virtual void AfterConstruction() {}

  // Constructs a T and runs its AfterConstruction; when that raises, the
  // object is freed again and the exception propagates.
  template <class T, class... Args>
  static T* Create(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    try {
      object->AfterConstruction();
    } catch (...) {
      object->Free();
      throw;
    }
    return object;
  }
  std::string ClassName() const { return ClassNameOfType(typeid(*this)); }
  bool InheritsFrom(TClass cls) const { return cls && cls->IsInstance && cls->IsInstance(this); }
};

// Frees an object and clears the reference, nil included.
template <class T>
void FreeAndNil(T*& obj) {
  T* tmp = obj;
  obj = nullptr;
  if (tmp) tmp->Free();
}

// The library's small sets over an enumeration with at most 64 members.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  static constexpr TSet FromBits(std::uint64_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr std::uint64_t Bits() const { return bits_; }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) { bits_ |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { bits_ &= ~Bit(e); return *this; }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr TSet& operator+=(TSet o) { bits_ |= o.bits_; return *this; }
  constexpr TSet& operator-=(TSet o) { bits_ &= ~o.bits_; return *this; }
  constexpr bool operator==(const TSet&) const = default;
  // Whether every member of this set is in the other (the library's <=).
  constexpr bool SubsetOf(TSet o) const { return (bits_ & ~o.bits_) == 0; }

 private:
  static constexpr std::uint64_t Bit(E e) { return std::uint64_t(1) << static_cast<unsigned>(e); }
  std::uint64_t bits_ = 0;
};

namespace classlib_detail {
template <class T>
TObject* CreateDefault() {
  if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>)
    return TObject::Create<T>();
  else
    return nullptr;
}
template <class T>
TComponent* CreateOwned(TComponent* owner) {
  if constexpr (std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>)
    return TObject::Create<T>(owner);
  else
    return nullptr;
}
template <class T>
bool IsInstanceOf(const TObject* obj) {
  return dynamic_cast<const T*>(obj) != nullptr;
}
}  // namespace classlib_detail

template <class T>
TClass ClassOf() {
  static const TMetaClass meta = [] {
    TMetaClass m;
    m.Name = ClassNameOfType(typeid(T));
    m.IsInstance = &classlib_detail::IsInstanceOf<T>;
    if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>)
      m.Create = &classlib_detail::CreateDefault<T>;
    if constexpr (std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>)
      m.CreateComponent = &classlib_detail::CreateOwned<T>;
    return m;
  }();
  return &meta;
}

// A method reference: an object paired with one of its member functions. It
// is copied, compared (same object and same method), tested for being
// assigned and called; calling an unassigned event does nothing. Arguments
// passed by reference are the library's "var" parameters.
template <class... Args>
class TEvent {
 public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}

  template <class C, class M>
  TEvent(C* object, void (M::*method)(Args...)) {
    static_assert(std::is_base_of_v<M, C>, "method must belong to the object's class");
    static_assert(sizeof(method) <= sizeof(code_), "member pointer too large");
    if (!object || !method) return;
    data_ = static_cast<M*>(object);
    std::memcpy(code_, &method, sizeof(method));
    thunk_ = [](void* data, const unsigned char* code, Args... args) {
      void (M::*m)(Args...);
      std::memcpy(&m, code, sizeof(m));
      (static_cast<M*>(data)->*m)(std::forward<Args>(args)...);
    };
  }

  bool Assigned() const { return thunk_ != nullptr; }
  explicit operator bool() const { return Assigned(); }

  void operator()(Args... args) const {
    if (thunk_) thunk_(data_, code_, std::forward<Args>(args)...);
  }

  // The object the method is bound to (the library's TMethod.Data).
  void* Data() const { return data_; }

  friend bool operator==(const TEvent& a, const TEvent& b) {
    if (!a.thunk_ || !b.thunk_) return a.thunk_ == b.thunk_;
    return a.data_ == b.data_ && std::memcmp(a.code_, b.code_, sizeof(a.code_)) == 0;
  }
  friend bool operator!=(const TEvent& a, const TEvent& b) { return !(a == b); }

 private:
  using Thunk = void (*)(void*, const unsigned char*, Args...);
  void* data_ = nullptr;
  alignas(void*) unsigned char code_[2 * sizeof(void*)] = {};
  Thunk thunk_ = nullptr;
};

template <class C, class M, class... Args>
TEvent<Args...> MakeEvent(C* object, void (M::*method)(Args...)) {
  return TEvent<Args...>(object, method);
}

using TNotifyEvent = TEvent<TObject*>;

// Rounds to the nearest integer, halves to the even neighbour.
Int64 Round(double value);
Int64 Trunc(double value);
double Frac(double value);

// Unit start-up and shut-down. A unit with start-up code publishes one
// TUnitInfo; the program names its units in dependency order, once, at the
// top of WinMain/main:
//
//   TUnitScope units{&SysUtilsUnit, &ComObjUnit, &ElToolsUnit};
//
// Initialization runs in the listed order, Finalization in the reverse order
// when the scope ends (or from Halt). A unit listed again, or by a second
// scope, starts once and finishes once. The order never depends on C++
// static initialisation across files.
struct TUnitInfo {
  const char* Name;
  void (*Initialization)();  // may be null
  void (*Finalization)();    // may be null
};

// Starts the units that are not started yet, in order. When one raises, the
// units started by this call are finished again and the exception propagates.
void InitializeUnits(std::initializer_list<const TUnitInfo*> units);
// Finishes every started unit, last started first. Safe to call twice.
void FinalizeUnits();
bool UnitInitialized(const TUnitInfo* unit);

class TUnitScope {
 public:
  TUnitScope(std::initializer_list<const TUnitInfo*> units) { InitializeUnits(units); }
  ~TUnitScope() { FinalizeUnits(); }
  TUnitScope(const TUnitScope&) = delete;
  TUnitScope& operator=(const TUnitScope&) = delete;
};
