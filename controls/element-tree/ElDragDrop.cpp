#include "ElDragDrop.hpp"

#include "ElCBFmts.hpp"
#include "Streaming.hpp"

DWORD DragTypeToDropEffect(TDragType dragType) {
  switch (dragType) {
    case dtCopy: return DROPEFFECT_COPY;
    case dtMove: return DROPEFFECT_MOVE;
    case dtLink: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

TShiftState KeyStateToShift(DWORD keyState) {
  // OLE reports Alt in the key state itself; mouse messages leave it to the
  // keyboard.
  TShiftState shift = KeysToShiftState(static_cast<Word>(keyState));
  shift.Exclude(ssAlt);
  if (keyState & MK_ALT) shift.Include(ssAlt);
  return shift;
}

namespace {

// The effect a drag type asks for, when the source allows it; else none.
DWORD AllowedEffect(TDragType dragType, DWORD allowed) {
  const DWORD effect = DragTypeToDropEffect(dragType);
  return (effect & allowed) == effect ? effect : DROPEFFECT_NONE;
}

[[noreturn]] void RegisterFailed(HRESULT result) {
  switch (result) {
    case DRAGDROP_E_ALREADYREGISTERED: throw Exception("RegisterDragDrop failed, already registered");
    case DRAGDROP_E_INVALIDHWND: throw Exception("RegisterDragDrop failed, invalide hwnd ");
    case CO_E_NOTINITIALIZED: throw Exception("RegisterDragDrop failed, coInitialize had not been called");
    case E_OUTOFMEMORY: throw Exception("RegisterDragDrop failed, out of memory");
    case E_INVALIDARG: throw Exception("RegisterDragDrop failed, invalid arg");
    default:
      throw Exception("RegisterDragDrop failed, unknown error code " +
                      IntToStr(static_cast<std::uint32_t>(result) & 0x7FFFFFFFu));
  }
}

}  // namespace

// ---------------------------------------------------------------- drag object

TOleDragObject::TOleDragObject(IDataObject* dataObject, DWORD keyState)
    : dataObject_(dataObject), keyState_(keyState), formats_(std::make_unique<TStringList>()) {}

TOleDragObject::~TOleDragObject() = default;

// ---------------------------------------------------------------- COM face

// The object OLE holds. Its reference count is its own: the component may
// be freed while OLE (or a drag source) still holds the interface, and the
// calls that come after that find no component and refuse the drop. No
// exception crosses back into OLE.
class TElDropTargetSink final : public IDropTarget {
 public:
  explicit TElDropTargetSink(TElDropTarget* owner) : owner_(owner) {}
  void Detach() { owner_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override {
    return Answer(effect, [&] { return owner_->DragEnter(data, keyState, pt, *effect); });
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL pt, DWORD* effect) override {
    return Answer(effect, [&] { return owner_->DragOver(keyState, pt, *effect); });
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    KeepAlive alive(this);
    if (!owner_) return S_OK;
    try {
      owner_->DragLeave();
    } catch (...) {
      HandleCallbackException(owner_);
    }
    if (owner_) owner_->EndDrag();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override {
    // Held past the answer: the end of the drag below reads the sink again.
    KeepAlive alive(this);
    const HRESULT result = Answer(effect, [&] { return owner_->Drop(data, keyState, pt, *effect); });
    if (owner_) owner_->EndDrag();
    return result;
  }

 private:
  ~TElDropTargetSink() = default;

  // A handler may free the component, which releases its reference to the
  // sink: the sink lives on until the call it is in returns.
  class KeepAlive {
   public:
    explicit KeepAlive(TElDropTargetSink* sink) : sink_(sink) { sink_->AddRef(); }
    ~KeepAlive() { sink_->Release(); }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

   private:
    TElDropTargetSink* sink_;
  };

  template <class Call>
  HRESULT Answer(DWORD* effect, Call call) {
    if (!effect) return E_INVALIDARG;
    KeepAlive alive(this);
    DWORD answer = DROPEFFECT_NONE;
    if (owner_) {
      try {
        answer = call();
      } catch (...) {
        HandleCallbackException(owner_);
        answer = DROPEFFECT_NONE;
      }
    }
    *effect = answer;
    return S_OK;
  }

  LONG refs_ = 1;
  TElDropTarget* owner_;
};

// ---------------------------------------------------------------- component

TElDropTarget::TElDropTarget(TComponent* owner)
    : TComponent(owner), formats_(std::make_unique<TStringList>()), sink_(new TElDropTargetSink(this)) {
  hook_ = new TElHook(this);
  hook_->OnBeforeProcess = TElHookEvent(this, &TElDropTarget::HookBefore);
  hook_->OnAfterProcess = TElHookEvent(this, &TElDropTarget::HookAfter);
  hook_->SetActive(true);
  // OLE is undone at destruction only when this call did it (S_FALSE: it
  // was already initialised, and the count still has to be balanced).
  oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
}

void TElDropTarget::BeforeDestruction() {
  SetTarget(nullptr);
  TComponent::BeforeDestruction();
}

TElDropTarget::~TElDropTarget() {
  // A bare delete skipped BeforeDestruction.
  if (target_) {
    Revoke();
    target_->RemoveFreeNotification(this);
    target_ = nullptr;
  }
  dragObject_.reset();
  sink_->Detach();
  sink_->Release();
  if (oleInitialized_) OleUninitialize();
}

IDropTarget* TElDropTarget::DropTarget() const { return sink_; }

void TElDropTarget::Register() {
  if (!target_ || !target_->HandleAllocated() || registered_) return;
  HWND wnd = target_->Handle();
  HRESULT result = RegisterDragDrop(wnd, sink_);
  if (FAILED(result)) RegisterFailed(result);
  registered_ = wnd;
}

void TElDropTarget::Revoke() {
  if (!registered_) return;
  RevokeDragDrop(registered_);
  registered_ = nullptr;
}

void TElDropTarget::SetTarget(TWinControl* value) {
  if (value == target_) return;
  if (ComponentState().Contains(csDesigning)) {
    target_ = value;
    return;
  }
  if (target_) {
    target_->RemoveFreeNotification(this);
    Revoke();
  }
  hook_->SetControl(value);
  target_ = value;
  if (!target_) return;
  target_->FreeNotification(this);
  try {
    Register();
  } catch (...) {
    // A target that could not be registered is not kept half set.
    hook_->SetControl(nullptr);
    target_->RemoveFreeNotification(this);
    target_ = nullptr;
    throw;
  }
}

void TElDropTarget::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == target_) SetTarget(nullptr);
}

// The target's window is revoked before it goes and registered again when
// the library makes a new one.
void TElDropTarget::HookBefore(TObject*, TMessage& msg, bool&) {
  if (msg.Msg == WM_DESTROY) Revoke();
}

void TElDropTarget::HookAfter(TObject*, TMessage& msg, bool&) {
  if (msg.Msg == WM_CREATE) Register();
}

// ---------------------------------------------------------------- the drag

void TElDropTarget::DoTargetDrag(TDragState state, TOleDragObject* source, TShiftState shift, int x, int y,
                                 TDragType& dragType) {
  OnTargetDrag(this, state, source, shift, x, y, dragType);
}

void TElDropTarget::DoTargetDrop(TOleDragObject* source, TShiftState shift, int x, int y, TDragType& dragType) {
  OnTargetDrop(this, source, shift, x, y, dragType);
}

void TElDropTarget::ReadFormats(IDataObject* dataObject) {
  formats_->Clear();
  if (!dataObject) return;
  TComPtr<IEnumFORMATETC> formats;
  if (FAILED(dataObject->EnumFormatEtc(DATADIR_GET, formats.Out())) || !formats) return;
  FORMATETC format{};
  ULONG fetched = 0;
  while (formats_->Count() < ElMaxDragFormats && formats->Next(1, &format, &fetched) == S_OK && fetched == 1) {
    // The enumerator hands over the target-device block with each entry.
    if (format.ptd) CoTaskMemFree(format.ptd);
    formats_->Add(ClipboardFormatName(format.cfFormat));
    fetched = 0;
  }
}

POINT TElDropTarget::ClientPoint(POINTL point) const {
  POINT p{point.x, point.y};
  return target_ ? target_->ScreenToClient(p) : p;
}

void TElDropTarget::EndDrag() {
  dragObject_.reset();
  formats_->Clear();
}

DWORD TElDropTarget::DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD allowed) {
  ReadFormats(dataObject);
  dragObject_ = std::make_unique<TOleDragObject>(dataObject, keyState);
  dragObject_->DataFormats()->Assign(formats_.get());
  const POINT p = ClientPoint(point);
  TDragType dragType = dtNone;
  DoTargetDrag(dsDragEnter, dragObject_.get(), KeyStateToShift(keyState), p.x, p.y, dragType);
  return AllowedEffect(dragType, allowed);
}

DWORD TElDropTarget::DragOver(DWORD keyState, POINTL point, DWORD allowed) {
  const POINT p = ClientPoint(point);
  TDragType dragType = dtNone;
  DoTargetDrag(dsDragMove, dragObject_.get(), KeyStateToShift(keyState), p.x, p.y, dragType);
  return AllowedEffect(dragType, allowed);
}

void TElDropTarget::DragLeave() {
  TDragType dragType = dtNone;
  DoTargetDrag(dsDragLeave, dragObject_.get(), TShiftState(), -1, -1, dragType);
}

DWORD TElDropTarget::Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD allowed) {
  // A drop without an entry first still hands the handler the data.
  if (!dragObject_) dragObject_ = std::make_unique<TOleDragObject>(dataObject, keyState);
  const POINT p = ClientPoint(point);
  TDragType dragType = dtNone;
  DoTargetDrop(dragObject_.get(), KeyStateToShift(keyState), p.x, p.y, dragType);
  return AllowedEffect(dragType, allowed);
}

// ---------------------------------------------------------------- publishing

namespace {

void PublishDropTarget() {
  using T = TElDropTarget;
  Publish<T, TComponent>()
      .Property("Target", &T::Target, &T::SetTarget)
      .Property("OnTargetDrag", [](T* o) { return o->OnTargetDrag; },
                [](T* o, const TTargetDragEvent& e) { o->OnTargetDrag = e; })
      .Property("OnTargetDrop", [](T* o) { return o->OnTargetDrop; },
                [](T* o, const TTargetDropEvent& e) { o->OnTargetDrop = e; });
}

}  // namespace

const TUnitInfo ElDragDropUnit{"ElDragDrop", &PublishDropTarget, nullptr};
