// OLE drag and drop onto a control: TElDropTarget registers a windowed
// control as an OLE drop target and turns the four IDropTarget calls into
// the class library's drag vocabulary (drag state, shift state, client
// coordinates); TOleDragObject stands for the OLE data being dragged.
#pragma once

#include <memory>

#include "ComObj.hpp"
#include "ControlsDrag.hpp"
#include "ElHook.hpp"
#include <ole2.h>

// What a target makes of a drop; the numbers are the one-byte values the
// events carry.
enum TDragType : Byte { dtCopy = 0, dtMove = 1, dtLink = 2, dtNone = 3 };

// The OLE drop effect for a drag type: copy, move, link or none.
DWORD DragTypeToDropEffect(TDragType dragType);

// The most formats a drag lists: an enumerator that never ends (another
// program's data object) must not hold the program in DragEnter.
constexpr int ElMaxDragFormats = 512;

class TOleDragObject : public TDragObject {
 public:
  TOleDragObject(IDataObject* dataObject, DWORD keyState);
  ~TOleDragObject() override;

  IDataObject* DataObject() const { return dataObject_.Get(); }
  // The MK_ flags at the start of the drag.
  DWORD KeyState() const { return keyState_; }
  // The names of the formats the data object offers, as the drop target
  // found them when the drag entered.
  TStringList* DataFormats() const { return formats_.get(); }

 private:
  TComPtr<IDataObject> dataObject_;
  DWORD keyState_;
  std::unique_ptr<TStringList> formats_;
};

using TTargetDragEvent = TEvent<TObject*, TDragState, TOleDragObject*, TShiftState, int, int, TDragType&>;
using TTargetDropEvent = TEvent<TObject*, TOleDragObject*, TShiftState, int, int, TDragType&>;

class TElDropTargetSink;

class TElDropTarget : public TComponent {
 public:
  explicit TElDropTarget(TComponent* owner);
  ~TElDropTarget() override;
  void BeforeDestruction() override;

  // Registers the control's window (now and whenever it is created again);
  // a registration that fails raises and leaves the target unset.
  TWinControl* Target() const { return target_; }
  void SetTarget(TWinControl* value);

  // The names of the formats offered by the drag in progress.
  TStringList* DataFormats() const { return formats_.get(); }
  // The COM face OLE calls. It lives as long as OLE holds it, which may be
  // longer than the component: once the component is gone it refuses every
  // drop.
  IDropTarget* DropTarget() const;

  TTargetDragEvent OnTargetDrag;
  TTargetDropEvent OnTargetDrop;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void DoTargetDrag(TDragState state, TOleDragObject* source, TShiftState shift, int x, int y,
                            TDragType& dragType);
  virtual void DoTargetDrop(TOleDragObject* source, TShiftState shift, int x, int y, TDragType& dragType);

 private:
  friend class TElDropTargetSink;

  // The four IDropTarget calls; each answers the drop effect. The handlers
  // of DragLeave and Drop may free the component: the drag is ended by the
  // COM face afterwards (EndDrag), and only while the component lives.
  DWORD DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD allowed);
  DWORD DragOver(DWORD keyState, POINTL point, DWORD allowed);
  void DragLeave();
  DWORD Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD allowed);

  void ReadFormats(IDataObject* dataObject);
  POINT ClientPoint(POINTL point) const;
  void EndDrag();
  void Register();
  void Revoke();
  void HookBefore(TObject* sender, TMessage& msg, bool& handled);
  void HookAfter(TObject* sender, TMessage& msg, bool& handled);

  TWinControl* target_ = nullptr;
  std::unique_ptr<TOleDragObject> dragObject_;
  std::unique_ptr<TStringList> formats_;
  TElHook* hook_ = nullptr;  // owned as a component
  TElDropTargetSink* sink_ = nullptr;
  // The window this component registered, so that it never revokes another
  // component's registration.
  HWND registered_ = nullptr;
  bool oleInitialized_ = false;
};

// The shift state of OLE key-state flags (MK_LBUTTON, MK_CONTROL, MK_ALT...).
TShiftState KeyStateToShift(DWORD keyState);

// Publishes TElDropTarget for form files. Programs list it after FormsUnit.
extern const TUnitInfo ElDragDropUnit;
