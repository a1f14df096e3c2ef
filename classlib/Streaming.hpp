// Form streaming: the class registry, per-class tables of published
// properties, the filers with the binary value primitives that
// DefineProperties uses, and the reader and writer of the library's text form
// syntax. Free of <windows.h>.
#pragma once

#include <any>
#include <functional>
#include <limits>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "Classes.hpp"
#include "SysUtils.hpp"
#include "System.hpp"

// ---------------------------------------------------------------------------
// Class registry: classes a form may hold, found by name (case-insensitive).

// Registers a class by its name; registering the same class again does
// nothing, another class of the same name raises EFilerError.
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
// nullptr when the name is not registered.
TClass GetClass(const std::string& name);
// Raises EClassNotFound "Class <name> not found".
TClass FindClass(const std::string& name);

// ---------------------------------------------------------------------------
// The binary value stream of DefineProperties data.

enum TValueType : Byte {
  vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5,
  vaString = 6, vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11,
  vaLString = 12, vaNil = 13, vaCollection = 14, vaSingle = 15, vaCurrency = 16,
  vaDate = 17, vaWString = 18, vaInt64 = 19, vaUTF8String = 20
};

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader* reader)>;
using TWriterProc = std::function<void(TWriter* writer)>;
using TStreamProc = std::function<void(TStream* stream)>;

// What DefineProperties talks to. Reading calls readData of the property
// being read; writing calls writeData when hasData is true.
class TFiler : public TObject {
 public:
  explicit TFiler(TStream* stream) : stream_(stream) {}
  TStream* Stream() const { return stream_; }
  // The component being read or written as a whole form.
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* root) { root_ = root; }
  // The object that the one being written inherits its values from (an
  // inherited form's base), or nullptr.
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }

  virtual void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                              bool hasData) = 0;
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc readData,
                                    TStreamProc writeData, bool hasData) = 0;

 private:
  TStream* stream_;
  TComponent* root_ = nullptr;
  TPersistent* ancestor_ = nullptr;
};

// Reads values from a binary value stream. Values of the wrong type raise
// EReadError "Invalid property value"; a short stream raises EReadError.
class TReader : public TFiler {
 public:
  using TFiler::TFiler;

  // Reading one defined property: DefineProperties calls end up here, and the
  // one whose name matches PropName reads its data.
  void SetPropName(const std::string& name) { propName_ = name; propRead_ = false; }
  bool PropRead() const { return propRead_; }
  void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;

  TValueType ReadValue();
  // The type of the next value, left in the stream.
  TValueType NextValue();
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  int ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  // Short, long and wide strings; a wide string is converted to the ANSI code
  // page, an ANSI one from it.
  AnsiString ReadString();
  WideString ReadWideString();
  AnsiString ReadIdent();
  // A raw short string: a length byte and the bytes, no value type.
  AnsiString ReadStr();
  // Raw bytes; EReadError when the stream has fewer.
  void Read(void* buffer, std::int32_t count);
  void SkipValue();

 private:
  std::uint32_t ReadCount();
  std::string propName_;
  bool propRead_ = false;
};

// Writes values to a binary value stream. When the form writer drives it,
// DefineProperties calls go to the sink it installs; otherwise a defined
// property is written as its name (raw short string) and its data.
class TWriter : public TFiler {
 public:
  using TFiler::TFiler;
  using TDefinedSink = std::function<void(const std::string& name, const TWriterProc& writeData,
                                          const TStreamProc& writeBinary)>;
  void SetDefinedSink(TDefinedSink sink) { sink_ = std::move(sink); }

  void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;

  void WriteValue(TValueType value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // The smallest of vaInt8, vaInt16, vaInt32, vaInt64 that holds the value.
  void WriteInteger(Int64 value);
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  void WriteFloat(double value);
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(const AnsiString& value);
  void WriteWideString(const WideString& value);
  void WriteIdent(const AnsiString& ident);
  void WriteStr(const AnsiString& value);
  void WriteBinary(const void* data, std::int32_t count);
  void Write(const void* buffer, std::int32_t count);

 private:
  TDefinedSink sink_;
};

// Defined properties of classes that cannot depend on this unit (the core's
// TStrings stores its "Strings" list this way). Readers and writers offer
// them to instances of the class after the object's own DefineProperties,
// which wins when it defines the same name.
struct TExternalDefinedProperty {
  TClass Class;
  std::string Name;
  std::function<void(TObject* object, TReader* reader)> Read;
  std::function<void(TObject* object, TWriter* writer)> Write;
  std::function<bool(TObject* object)> HasData;
};
void RegisterDefinedProperty(TExternalDefinedProperty property);
// Runs the object's DefineProperties, then the external ones that fit it.
void DefineAllProperties(TPersistent* object, TFiler* filer);

// ---------------------------------------------------------------------------
// Published properties.

enum class TPropKind { Integer, Boolean, Enumeration, Set, String, WideString, Float, Object, Component, Method };

// Maps identifiers such as colour names (clBtnFace) to integers and back.
struct TIdentMapper {
  std::function<bool(const std::string& ident, Int64& value)> IdentToInt;
  std::function<bool(Int64 value, std::string& ident)> IntToIdent;
};
// The colour names (clBtnFace, clRed...) of colour properties; defined with
// the control classes' tables, for classes outside the library too.
extern const TIdentMapper ColorIdents;

// An event handler a form class publishes by name for its form file.
struct TMethodInfo {
  std::string Name;
  std::function<std::any(TObject* root)> Make;  // the TEvent bound to the root
};

// A form's published field, set to the component of the same name.
struct TFieldInfo {
  std::string Name;
  std::function<bool(TObject* root, TComponent* component)> Bind;  // false: wrong class
};

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  // Integer, Boolean, Enumeration and Set (as member bits).
  std::function<Int64(TObject*)> GetOrd;
  std::function<void(TObject*, Int64)> SetOrd;
  Int64 MinValue = std::numeric_limits<Int64>::min();
  Int64 MaxValue = std::numeric_limits<Int64>::max();
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<AnsiString(TObject*)> GetString;
  std::function<void(TObject*, const AnsiString&)> SetString;
  std::function<WideString(TObject*)> GetWide;
  std::function<void(TObject*, const WideString&)> SetWide;
  // Object (a sub-object set in place) and Component (a reference).
  std::function<TObject*(TObject*)> GetObject;
  std::function<bool(TObject*, TComponent*)> SetComponent;  // false: wrong class
  // Method: binds the event to a published method (false: other signature),
  // or tells whether the event is that method.
  std::function<bool(TObject*, const TMethodInfo&, TObject* root)> SetMethod;
  std::function<bool(TObject*, const TMethodInfo&, TObject* root)> IsMethod;
  // Enumeration and Set: the member names, in order of value.
  std::function<const std::vector<std::string>*()> Names;
  const TIdentMapper* Idents = nullptr;
  // Without a default an ordinal value is always stored; strings are stored
  // when not empty and floats when not zero unless a default says otherwise.
  bool HasDefault = false;
  Int64 OrdDefault = 0;
  double FloatDefault = 0;
  AnsiString StringDefault;
  WideString WideDefault;
  std::function<bool(TObject*)> Stored;
};

// The published properties, methods and fields of one class; the base
// class's table supplies everything the class does not redeclare.
class TClassInfo {
 public:
  TClassInfo(TClass cls, const TClassInfo* parent) : class_(cls), parent_(parent) {}
  TClass Class() const { return class_; }
  const TClassInfo* Parent() const { return parent_; }
  void SetParent(const TClassInfo* parent) { parent_ = parent; }

  const TPropInfo* FindProperty(const std::string& name) const;
  const TMethodInfo* FindMethod(const std::string& name) const;
  const TFieldInfo* FindField(const std::string& name) const;
  // Every property, the base class's first, a redeclared one in the base's
  // place.
  std::vector<const TPropInfo*> AllProperties() const;
  std::vector<const TMethodInfo*> AllMethods() const;

  std::vector<TPropInfo> Properties;
  std::vector<TMethodInfo> Methods;
  std::vector<TFieldInfo> Fields;

 private:
  TClass class_;
  const TClassInfo* parent_;
};

// The table of a class, created empty on first use. (Not GetClassInfo:
// <windows.h> defines that name as a macro.)
TClassInfo* ClassInfoOfClass(TClass cls);
// The table of the most derived published class the object belongs to, or
// nullptr.
const TClassInfo* ClassInfoOf(const TObject* object);

namespace streaming_detail {
const std::vector<std::string>* EnumNamesOf(std::type_index type);
void SetEnumNames(std::type_index type, std::vector<std::string> names);
// The code page conversions are SysUtils' own.
using ::AnsiToWide;
using ::Utf8ToWide;
using ::WideToAnsi;

template <class T> struct IsTSet : std::false_type {};
template <class E> struct IsTSet<TSet<E>> : std::true_type { using Element = E; };
template <class T> struct IsTEvent : std::false_type {};
template <class... A> struct IsTEvent<TEvent<A...>> : std::true_type {};

template <class T>
T* Cast(TObject* object) { return static_cast<T*>(object); }

// A stream over bytes in memory: the data of one binary property, and the
// value streams the reader and writer build for defined properties.
class ByteStream : public TStream {
 public:
  explicit ByteStream(std::string bytes = {}) : bytes_(std::move(bytes)) {}
  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override { return static_cast<Int64>(bytes_.size()); }
  void SetSize(Int64 size) override;
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  size_t position_ = 0;
};
}  // namespace streaming_detail

// The identifiers of an enumeration (values 0, 1, 2...), for enumeration and
// set properties: RegisterEnumNames<TAlign>({"alNone", "alTop", ...}).
template <class E>
void RegisterEnumNames(std::initializer_list<const char*> names) {
  streaming_detail::SetEnumNames(typeid(E), std::vector<std::string>(names.begin(), names.end()));
}

// Builds the table of class T, one line per property:
//
//   Publish<TLabel, TGraphicControl>()
//       .Property("Caption", &TLabel::Caption, &TLabel::SetCaption)
//       .Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
//       .Property("Color", &TControl::Color, &TControl::SetColor, clBtnFace).Idents(&ColorIdents)
//       .Property("Font", &TControl::Font, nullptr)
//       .Property("Picture", &TImage::Picture, nullptr).Stored(&TImage::IsPictureStored);
//
// The value type comes from the getter (a member function or a callable
// taking T*): integers, bool, enumerations with registered names, TSet,
// AnsiString, WideString, float types, pointers to sub-objects (TPersistent,
// set in place as Font.Name = ...), pointers to components (references fixed
// up by name) and TEvent types (events bound by method name). Publish also
// registers the class by name.
template <class T>
class TPublisher {
 public:
  explicit TPublisher(TClassInfo* info) : info_(info) {}

  template <class G, class S>
  TPublisher& Property(const char* name, G get, S set) {
    using R = std::remove_cvref_t<std::invoke_result_t<G&, T*>>;
    TPropInfo p;
    p.Name = name;
    Bind<R>(p, get, set);
    info_->Properties.push_back(std::move(p));
    return *this;
  }
  template <class G, class S, class D>
  TPublisher& Property(const char* name, G get, S set, const D& defaultValue) {
    Property(name, get, set);
    using R = std::remove_cvref_t<std::invoke_result_t<G&, T*>>;
    SetDefault<R>(info_->Properties.back(), R(defaultValue));
    return *this;
  }
  // The last property is stored only while the predicate holds.
  template <class P>
  TPublisher& Stored(P predicate) {
    info_->Properties.back().Stored = [predicate](TObject* o) {
      return std::invoke(predicate, streaming_detail::Cast<T>(o));
    };
    return *this;
  }
  // The last (integer) property also reads and writes these identifiers.
  TPublisher& Idents(const TIdentMapper* mapper) {
    info_->Properties.back().Idents = mapper;
    return *this;
  }
  // A form's field bound to the component of that name when it is read.
  template <class C, class F>
  TPublisher& Field(const char* name, F* C::*field) {
    info_->Fields.push_back({name, [field](TObject* root, TComponent* component) {
      if (!component) {
        streaming_detail::Cast<T>(root)->*field = nullptr;
        return true;
      }
      F* typed = dynamic_cast<F*>(component);
      if (!typed) return false;
      streaming_detail::Cast<T>(root)->*field = typed;
      return true;
    }});
    return *this;
  }
  // A form's event handler, found by name by event properties of its form.
  template <class C, class... A>
  TPublisher& Method(const char* name, void (C::*method)(A...)) {
    info_->Methods.push_back({name, [method](TObject* root) -> std::any {
      return TEvent<A...>(streaming_detail::Cast<T>(root), method);
    }});
    return *this;
  }

 private:
  template <class R, class G, class S>
  static void Bind(TPropInfo& p, G get, S set);
  template <class R>
  static void SetDefault(TPropInfo& p, const R& value);

  TClassInfo* info_;
};

// An event that is a plain field, published as a property: its getter and
// setter for TPublisher::Property.
template <class T, class E>
auto EventGetter(E T::*field) {
  return [field](T* c) { return c->*field; };
}
template <class T, class E>
auto EventSetter(E T::*field) {
  return [field](T* c, const E& e) { c->*field = e; };
}

template <class T>
template <class R, class G, class S>
void TPublisher<T>::Bind(TPropInfo& p, G get, S set) {
  using namespace streaming_detail;
  constexpr bool kHasSetter = !std::is_same_v<S, std::nullptr_t>;
  auto read = [get](TObject* o) -> R { return std::invoke(get, Cast<T>(o)); };
  auto write = [set](TObject* o, const R& v) {
    if constexpr (kHasSetter) std::invoke(set, Cast<T>(o), v);
  };
  if constexpr (std::is_same_v<R, bool>) {
    p.Kind = TPropKind::Boolean;
    p.GetOrd = [read](TObject* o) -> Int64 { return read(o) ? 1 : 0; };
    p.SetOrd = [write](TObject* o, Int64 v) { write(o, v != 0); };
  } else if constexpr (std::is_enum_v<R>) {
    p.Kind = TPropKind::Enumeration;
    p.GetOrd = [read](TObject* o) -> Int64 { return static_cast<Int64>(read(o)); };
    p.SetOrd = [write](TObject* o, Int64 v) { write(o, static_cast<R>(v)); };
    p.Names = [] { return EnumNamesOf(typeid(R)); };
  } else if constexpr (std::is_integral_v<R>) {
    p.Kind = TPropKind::Integer;
    p.GetOrd = [read](TObject* o) -> Int64 { return static_cast<Int64>(read(o)); };
    p.SetOrd = [write](TObject* o, Int64 v) { write(o, static_cast<R>(v)); };
    p.MinValue = static_cast<Int64>(std::numeric_limits<R>::min());
    if constexpr (sizeof(R) < sizeof(Int64) || std::is_signed_v<R>)
      p.MaxValue = static_cast<Int64>(std::numeric_limits<R>::max());
  } else if constexpr (IsTSet<R>::value) {
    using E = typename IsTSet<R>::Element;
    p.Kind = TPropKind::Set;
    p.GetOrd = [read](TObject* o) -> Int64 { return static_cast<Int64>(read(o).Bits()); };
    p.SetOrd = [write](TObject* o, Int64 v) { write(o, R::FromBits(static_cast<std::uint64_t>(v))); };
    p.Names = [] { return EnumNamesOf(typeid(E)); };
  } else if constexpr (std::is_same_v<R, AnsiString>) {
    p.Kind = TPropKind::String;
    p.GetString = read;
    p.SetString = write;
  } else if constexpr (std::is_same_v<R, WideString>) {
    p.Kind = TPropKind::WideString;
    p.GetWide = read;
    p.SetWide = write;
  } else if constexpr (std::is_floating_point_v<R>) {
    p.Kind = TPropKind::Float;
    p.GetFloat = [read](TObject* o) -> double { return static_cast<double>(read(o)); };
    p.SetFloat = [write](TObject* o, double v) { write(o, static_cast<R>(v)); };
  } else if constexpr (std::is_pointer_v<R>) {
    using P = std::remove_cv_t<std::remove_pointer_t<R>>;
    p.GetObject = [read](TObject* o) -> TObject* { return const_cast<P*>(read(o)); };
    if constexpr (std::is_base_of_v<TComponent, P>) {
      p.Kind = TPropKind::Component;
      p.SetComponent = [write](TObject* o, TComponent* c) {
        P* typed = c ? dynamic_cast<P*>(c) : nullptr;
        if (c && !typed) return false;
        write(o, typed);
        return true;
      };
    } else {
      static_assert(std::is_base_of_v<TPersistent, P>, "sub-objects must be persistent");
      p.Kind = TPropKind::Object;
    }
  } else if constexpr (IsTEvent<R>::value) {
    p.Kind = TPropKind::Method;
    p.SetMethod = [write](TObject* o, const TMethodInfo& m, TObject* root) {
      std::any event = m.Make(root);
      const R* typed = std::any_cast<R>(&event);
      if (!typed) return false;
      write(o, *typed);
      return true;
    };
    p.IsMethod = [read](TObject* o, const TMethodInfo& m, TObject* root) {
      std::any event = m.Make(root);
      const R* typed = std::any_cast<R>(&event);
      return typed && *typed == read(o);
    };
  } else {
    static_assert(std::is_void_v<R> && !std::is_void_v<R>, "unsupported published property type");
  }
}

template <class T>
template <class R>
void TPublisher<T>::SetDefault(TPropInfo& p, const R& value) {
  p.HasDefault = true;
  if constexpr (std::is_same_v<R, bool>)
    p.OrdDefault = value ? 1 : 0;
  else if constexpr (std::is_enum_v<R> || std::is_integral_v<R>)
    p.OrdDefault = static_cast<Int64>(value);
  else if constexpr (streaming_detail::IsTSet<R>::value)
    p.OrdDefault = static_cast<Int64>(value.Bits());
  else if constexpr (std::is_same_v<R, AnsiString>)
    p.StringDefault = value;
  else if constexpr (std::is_same_v<R, WideString>)
    p.WideDefault = value;
  else if constexpr (std::is_floating_point_v<R>)
    p.FloatDefault = static_cast<double>(value);
  else
    static_assert(std::is_void_v<R> && !std::is_void_v<R>, "this kind of property has no default");
}

// The publisher of class T, whose table inherits Base's. Base may be a class
// without a table of its own (TComponent's holds Tag).
template <class T, class Base>
TPublisher<T> Publish() {
  static_assert(std::is_base_of_v<Base, T>, "Base must be a base class of T");
  TClassInfo* info = ClassInfoOfClass(ClassOf<T>());
  info->SetParent(ClassInfoOfClass(ClassOf<Base>()));
  RegisterClass(ClassOf<T>());
  return TPublisher<T>(info);
}

// ---------------------------------------------------------------------------
// Reading and writing forms.

// Called by the reader for every nested object with its enclosing object,
// before the object's properties are read, and by the writer to nest objects
// under their parent. The windowing layer installs both so that controls are
// parented to the enclosing windowed control; until then nested objects are
// only owned by the root.
struct TStreamingHooks {
  std::function<void(TComponent* component, TComponent* parent)> SetParentComponent;
  std::function<TComponent*(TComponent* component)> GetParentComponent;
};
TStreamingHooks& StreamingHooks();

// Where form texts come from: the text of the form class named, or false.
using TFormTextSource = std::function<bool(const std::string& className, std::string& text)>;
// The program's RCDATA resources named after the class in upper case.
TFormTextSource ResourceFormSource();

// Reads one text form into the existing root: properties, nested objects
// (created, owned by the root, named, parented, bound to the root's published
// fields), then reference fix-ups and Loaded on every component read.
// sourceName names the text in error messages.
void ReadComponentText(const std::string& text, TComponent* instance, const std::string& sourceName);
// Reads the RCDATA resource of that name (EResNotFound when missing).
TComponent* ReadComponentRes(const std::string& resName, TComponent* instance);
// Reads the forms of the instance's class and of its published base classes
// below rootAncestor (TForm for a form), the base class's first, then fixes up
// references and calls Loaded once. False when none of them has a form text.
bool InitInheritedComponent(TComponent* instance, TClass rootAncestor,
                            const TFormTextSource& source = ResourceFormSource());
// Sets the root's published fields to its components of the same names
// (nullptr where none exists).
void BindFields(TComponent* root);

// Writes the component as a text form: its published properties that differ
// from their defaults and are stored, its defined properties, and the
// components it owns nested under their parents.
std::string ComponentToText(TComponent* root);
