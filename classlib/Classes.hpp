// The library's persistent objects, components and streams. Free of
// <windows.h>.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SysUtils.hpp"
#include "System.hpp"

class TFiler;

// An object that can copy itself from another (Assign) and take part in
// form streaming (DefineProperties).
class TPersistent : public TObject {
 public:
  // Copies from the source; the fallback asks the source to AssignTo this
  // object and raises EConvertError "Cannot assign a <src> to a <dst>".
  virtual void Assign(TPersistent* source);
  // Defines the properties that form streaming stores beyond the published
  // ones (binary data, string lists).
  virtual void DefineProperties(TFiler* filer);

 protected:
  virtual void AssignTo(TPersistent* dest);
};

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
  csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

// A named object owned by another component, which frees it. Components that
// hold references to others ask for free notification to drop them in time.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  virtual void SetName(const std::string& name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  TComponentState ComponentState() const { return state_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& name) const;

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();

  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Runs after the component and its whole form were read.
  virtual void Loaded();
  virtual void Notification(TComponent* component, TOperation operation);

  // State changes used by the form reader and by the classes themselves.
  void SetComponentStateItem(TComponentStateItem item, bool on);

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  int tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};
using TComponentClass = TClass;

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// Abstract byte stream. Read and Write transfer at most count bytes and return
// how many; ReadBuffer and WriteBuffer raise EReadError / EWriteError on a
// short transfer.
class TStream : public TObject {
 public:
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
  virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  void ReadBuffer(void* buffer, std::int32_t count);
  void WriteBuffer(const void* buffer, std::int32_t count);
  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 position) { Seek(position, soBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 size);
  // Copies count bytes from the source's position; 0 copies the whole source
  // from its beginning. Returns the count copied.
  Int64 CopyFrom(TStream* source, Int64 count);
};
