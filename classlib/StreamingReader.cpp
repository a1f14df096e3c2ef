// Applies parsed text forms to components: creation by class name, published
// properties, defined properties through a TReader, reference fix-ups and
// Loaded.
#include <algorithm>

#include "Streaming.hpp"
#include "StreamingParser.hpp"

using namespace streaming_detail;

namespace {

[[noreturn]] void InvalidValue() { throw EReadError("Invalid property value"); }

// Writes a parsed value as the binary value the reader procedure of a
// defined property expects.
void WriteTextValue(TWriter& writer, const TextValue& v) {
  switch (v.kind) {
    case TextValue::Kind::Integer: writer.WriteInteger(v.Integer); break;
    case TextValue::Kind::Float: writer.WriteFloat(v.Float); break;
    case TextValue::Kind::String:
      if (v.String.Wide())
        writer.WriteWideString(v.String.ToWide());
      else
        writer.WriteString(v.String.ToAnsi());
      break;
    case TextValue::Kind::Ident: writer.WriteIdent(v.Ident); break;
    case TextValue::Kind::Set:
      writer.WriteValue(vaSet);
      for (const std::string& item : v.Set) writer.WriteStr(item);
      writer.WriteStr("");
      break;
    case TextValue::Kind::List:
      writer.WriteListBegin();
      for (const TextValue& item : v.List) WriteTextValue(writer, item);
      writer.WriteListEnd();
      break;
    case TextValue::Kind::Binary:
      writer.WriteBinary(v.Binary.data(), static_cast<std::int32_t>(v.Binary.size()));
      break;
  }
}

Int64 IndexOfName(const std::vector<std::string>* names, const std::string& ident) {
  if (names)
    for (size_t i = 0; i < names->size(); ++i)
      if (SameText((*names)[i], ident)) return static_cast<Int64>(i);
  InvalidValue();
}

std::string Who(const TComponent* component) {
  return component->Name().empty() ? component->ClassName() : component->Name();
}

class FormLoader {
 public:
  explicit FormLoader(TComponent* root) : root_(root) {}

  void ReadText(const std::string& text, const std::string& source);
  void Finish();
  // After a failure: the components read are no longer loading.
  void Abandon();

 private:
  struct Fixup {
    TObject* Instance;
    const TPropInfo* Prop;
    std::string Target;
    std::string What;  // "Label1.FocusControl", for the message
    std::string Source;
    int Line;
  };

  void Begin(TComponent* component);
  void ReadChild(const TextObject& node, TComponent* parent);
  TComponent* CreateChild(const TextObject& node, TComponent* parent);
  void BindField(TComponent* component, int line);
  void ReadProperty(TComponent* component, const TextProperty& prop);
  void ApplyValue(TObject* target, const TPropInfo& p, const TextValue& v, const TextProperty& prop,
                  TComponent* component);
  void ApplyOrdinal(TObject* target, const TPropInfo& p, const TextValue& v);
  void ApplyMethod(TObject* target, const TPropInfo& p, const TextValue& v);
  bool ReadDefined(TObject* target, const std::string& name, const TextValue& v);
  TComponent* ResolveReference(const std::string& name) const;

  TComponent* root_;
  std::string source_;
  std::vector<TComponent*> loaded_;
  std::vector<Fixup> fixups_;
};

void FormLoader::Begin(TComponent* component) {
  component->SetComponentStateItem(csLoading, true);
  component->SetComponentStateItem(csReading, true);
  if (std::find(loaded_.begin(), loaded_.end(), component) == loaded_.end())
    loaded_.push_back(component);
}

void FormLoader::ReadText(const std::string& text, const std::string& source) {
  source_ = source;
  TextObject top = ParseFormText(text, source);
  Begin(root_);
  if (!top.Name.empty() && top.Name != root_->Name()) root_->SetName(top.Name);
  for (const TextProperty& prop : top.Properties) ReadProperty(root_, prop);
  for (const TextObject& child : top.Children) ReadChild(child, root_);
  root_->SetComponentStateItem(csReading, false);
}

void FormLoader::ReadChild(const TextObject& node, TComponent* parent) {
  TComponent* component;
  if (node.Inherited) {
    component = root_->FindComponent(node.Name);
    if (!component)
      throw EReadError(Located("Ancestor for '" + node.Name + "' not found", source_, node.Line));
    Begin(component);
  } else {
    component = CreateChild(node, parent);
  }
  for (const TextProperty& prop : node.Properties) ReadProperty(component, prop);
  for (const TextObject& child : node.Children) ReadChild(child, component);
  component->SetComponentStateItem(csReading, false);
}

TComponent* FormLoader::CreateChild(const TextObject& node, TComponent* parent) {
  TClass cls = GetClass(node.ClassName);
  if (!cls) throw EClassNotFound(Located("Class " + node.ClassName + " not found", source_, node.Line));
  if (!cls->CreateComponent)
    throw EReadError(Located("Class " + node.ClassName + " cannot be created by a form", source_, node.Line));
  // Owned by the root from here on, so a failure below frees it with the root.
  TComponent* component = cls->CreateComponent(root_);
  Begin(component);
  try {
    component->SetName(node.Name);
  } catch (Exception& e) {
    e.SetMessage(Located("Error reading " + node.Name + ": " + e.Message(), source_, node.Line));
    throw;
  }
  BindField(component, node.Line);
  if (StreamingHooks().SetParentComponent) StreamingHooks().SetParentComponent(component, parent);
  return component;
}

void FormLoader::BindField(TComponent* component, int line) {
  const TClassInfo* info = ClassInfoOf(root_);
  const TFieldInfo* field = info && !component->Name().empty() ? info->FindField(component->Name()) : nullptr;
  if (field && !field->Bind(root_, component))
    throw EReadError(Located("Field " + component->Name() + " does not fit class " + component->ClassName(),
                             source_, line));
}

void FormLoader::ReadProperty(TComponent* component, const TextProperty& prop) {
  try {
    TObject* target = component;
    std::string path = prop.Name;
    for (size_t dot; (dot = path.find('.')) != std::string::npos; path.erase(0, dot + 1)) {
      std::string head = path.substr(0, dot);
      const TClassInfo* info = ClassInfoOf(target);
      const TPropInfo* p = info ? info->FindProperty(head) : nullptr;
      if (!p || p->Kind != TPropKind::Object) throw EReadError("Property " + head + " does not exist");
      target = p->GetObject(target);
      if (!target) throw EReadError("Property " + head + " has no object");
    }
    const TClassInfo* info = ClassInfoOf(target);
    const TPropInfo* p = info ? info->FindProperty(path) : nullptr;
    if (p)
      ApplyValue(target, *p, prop.Value, prop, component);
    else if (!ReadDefined(target, path, prop.Value))
      throw EReadError("Property " + path + " does not exist");
  } catch (Exception& e) {
    e.SetMessage(Located("Error reading " + Who(component) + "." + prop.Name + ": " + e.Message(), source_, prop.Line));
    throw;
  } catch (std::exception& e) {
    // A setter's own failure still names the property and the line.
    throw EReadError(Located("Error reading " + Who(component) + "." + prop.Name + ": " + e.what(), source_, prop.Line));
  }
}

void FormLoader::ApplyValue(TObject* target, const TPropInfo& p, const TextValue& v,
                            const TextProperty& prop, TComponent* component) {
  using K = TextValue::Kind;
  switch (p.Kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
    case TPropKind::Set:
      ApplyOrdinal(target, p, v);
      return;
    case TPropKind::String:
      if (v.kind != K::String) InvalidValue();
      p.SetString(target, v.String.ToAnsi());
      return;
    case TPropKind::WideString:
      if (v.kind != K::String) InvalidValue();
      p.SetWide(target, v.String.ToWide());
      return;
    case TPropKind::Float:
      if (v.kind == K::Float)
        p.SetFloat(target, v.Float);
      else if (v.kind == K::Integer)
        p.SetFloat(target, static_cast<double>(v.Integer));
      else
        InvalidValue();
      return;
    case TPropKind::Object:
      InvalidValue();
    case TPropKind::Component: {
      if (v.kind != K::Ident) InvalidValue();
      if (SameText(v.Ident, "nil")) {
        p.SetComponent(target, nullptr);
        return;
      }
      fixups_.push_back({target, &p, v.Ident, Who(component) + "." + prop.Name, source_, prop.Line});
      return;
    }
    case TPropKind::Method:
      ApplyMethod(target, p, v);
      return;
  }
}

void FormLoader::ApplyOrdinal(TObject* target, const TPropInfo& p, const TextValue& v) {
  using K = TextValue::Kind;
  // An enumeration without registered names is an integer (TColor and kin).
  bool asInteger = p.Kind == TPropKind::Integer || (p.Kind == TPropKind::Enumeration && !p.Names());
  Int64 value = 0;
  if (asInteger) {
    if (v.kind == K::Integer)
      value = v.Integer;
    else if (v.kind != K::Ident || !p.Idents || !p.Idents->IdentToInt || !p.Idents->IdentToInt(v.Ident, value))
      InvalidValue();
    if (value < p.MinValue || value > p.MaxValue) throw EReadError("Integer value out of range");
  } else if (p.Kind == TPropKind::Boolean) {
    if (v.kind != K::Ident) InvalidValue();
    if (SameText(v.Ident, "True"))
      value = 1;
    else if (!SameText(v.Ident, "False"))
      InvalidValue();
  } else if (p.Kind == TPropKind::Enumeration) {
    if (v.kind != K::Ident) InvalidValue();
    value = IndexOfName(p.Names(), v.Ident);
  } else {
    if (v.kind != K::Set) InvalidValue();
    std::uint64_t bits = 0;
    for (const std::string& item : v.Set) {
      Int64 index = IndexOfName(p.Names(), item);
      if (index >= 64) InvalidValue();
      bits |= std::uint64_t(1) << index;
    }
    value = static_cast<Int64>(bits);
  }
  p.SetOrd(target, value);
}

void FormLoader::ApplyMethod(TObject* target, const TPropInfo& p, const TextValue& v) {
  if (v.kind != TextValue::Kind::Ident) InvalidValue();
  const TClassInfo* info = ClassInfoOf(root_);
  const TMethodInfo* method = info ? info->FindMethod(v.Ident) : nullptr;
  if (!method) throw EReadError("Method " + v.Ident + " not found in " + root_->ClassName());
  if (!p.SetMethod(target, *method, root_))
    throw EReadError("Method " + v.Ident + " does not fit the event");
}

// Offers the value to the object's DefineProperties through a reader over its
// binary form; false when no defined property has that name.
bool FormLoader::ReadDefined(TObject* target, const std::string& name, const TextValue& v) {
  auto* persistent = dynamic_cast<TPersistent*>(target);
  if (!persistent) return false;
  ByteStream data;
  TWriter writer(&data);
  WriteTextValue(writer, v);
  data.SetPosition(0);
  TReader reader(&data);
  reader.SetRoot(root_);
  reader.SetPropName(name);
  DefineAllProperties(persistent, &reader);
  if (!reader.PropRead()) return false;
  // A reader procedure that stops early would leave a value for nobody.
  if (data.Position() != data.Size()) InvalidValue();
  return true;
}

TComponent* FormLoader::ResolveReference(const std::string& name) const {
  std::string local = name;
  size_t dot = name.find('.');
  if (dot != std::string::npos) {
    // Only references into this form are kept: "Form1.Button1".
    if (!SameText(name.substr(0, dot), root_->Name())) return nullptr;
    local = name.substr(dot + 1);
  }
  if (SameText(local, root_->Name())) return root_;
  return root_->FindComponent(local);
}

void FormLoader::Finish() {
  for (const Fixup& f : fixups_) {
    TComponent* target = ResolveReference(f.Target);
    try {
      if (!target) throw EReadError("Component " + f.Target + " not found");
      if (!f.Prop->SetComponent(f.Instance, target)) InvalidValue();
    } catch (Exception& e) {
      e.SetMessage(Located("Error reading " + f.What + ": " + e.Message(), f.Source, f.Line));
      throw;
    }
  }
  fixups_.clear();
  for (TComponent* component : loaded_) component->SetComponentStateItem(csReading, false);
  // Loaded runs once per component, after every stage and fix-up; it clears
  // csLoading, and the reader makes sure of it for classes that do not call
  // the inherited Loaded.
  std::vector<TComponent*> loaded = std::move(loaded_);
  loaded_.clear();
  for (TComponent* component : loaded) {
    component->Loaded();
    component->SetComponentStateItem(csLoading, false);
  }
}

void FormLoader::Abandon() {
  for (TComponent* component : loaded_) {
    component->SetComponentStateItem(csReading, false);
    component->SetComponentStateItem(csLoading, false);
  }
  loaded_.clear();
}


template <class F>
void RunLoader(FormLoader& loader, F stages) {
  try {
    stages();
    loader.Finish();
  } catch (...) {
    loader.Abandon();
    throw;
  }
}

}  // namespace

void ReadComponentText(const std::string& text, TComponent* instance, const std::string& sourceName) {
  FormLoader loader(instance);
  RunLoader(loader, [&] { loader.ReadText(text, sourceName); });
}

TComponent* ReadComponentRes(const std::string& resName, TComponent* instance) {
  std::string text;
  if (!ResourceFormSource()(resName, text)) throw EResNotFound("Resource " + resName + " not found");
  ReadComponentText(text, instance, UpperCase(resName));
  return instance;
}

bool InitInheritedComponent(TComponent* instance, TClass rootAncestor, const TFormTextSource& source) {
  // Class names from the instance's class up to (not including) rootAncestor.
  std::vector<std::string> names;
  const TClassInfo* info = ClassInfoOf(instance);
  if (!info || info->Class()->Name != instance->ClassName()) names.push_back(instance->ClassName());
  for (; info && info->Class() != rootAncestor; info = info->Parent()) names.push_back(info->Class()->Name);

  std::vector<std::pair<std::string, std::string>> texts;  // base class first
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    std::string text;
    if (source(*it, text)) texts.emplace_back(UpperCase(*it), std::move(text));
  }
  if (texts.empty()) return false;
  FormLoader loader(instance);
  RunLoader(loader, [&] {
    for (const auto& [name, text] : texts) loader.ReadText(text, name);
  });
  return true;
}

void BindFields(TComponent* root) {
  for (const TClassInfo* info = ClassInfoOf(root); info; info = info->Parent())
    for (const TFieldInfo& field : info->Fields)
      if (!field.Bind(root, root->FindComponent(field.Name)))
        throw EReadError("Field " + field.Name + " does not fit class " +
                         root->FindComponent(field.Name)->ClassName());
}
