#include "StdCtrlsCombo.hpp"

#include "Consts.hpp"
#include "Forms.hpp"

// ---------------------------------------------------------------------------
// TComboBoxStrings

TComboBoxStrings::TComboBoxStrings(TComboBox* combo) : combo_(combo), stored_(std::make_unique<TStringList>()) {}

TComboBoxStrings::~TComboBoxStrings() = default;

HWND TComboBoxStrings::Window() const { return combo_->HandleAllocated() ? combo_->Handle() : nullptr; }

void TComboBoxStrings::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) ErrorRes(SListIndexError, index);
}

int TComboBoxStrings::Count() const {
  HWND wnd = Window();
  if (!wnd) return stored_->Count();
  LRESULT n = SendMessageA(wnd, CB_GETCOUNT, 0, 0);
  return n == CB_ERR ? 0 : static_cast<int>(n);
}

std::string TComboBoxStrings::Get(int index) const {
  HWND wnd = Window();
  if (!wnd) return stored_->Strings(index);
  LRESULT length = SendMessageA(wnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) ErrorRes(SListIndexError, index);
  std::string s(static_cast<size_t>(length) + 1, '\0');
  LRESULT got = SendMessageA(wnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
  return s;
}

TObject* TComboBoxStrings::GetObject(int index) const {
  HWND wnd = Window();
  if (!wnd) return stored_->Objects(index);
  CheckIndex(index);
  return reinterpret_cast<TObject*>(SendMessageA(wnd, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void TComboBoxStrings::Put(int index, const std::string& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TComboBoxStrings::PutObject(int index, TObject* object) {
  HWND wnd = Window();
  if (!wnd) {
    stored_->SetObjects(index, object);
    return;
  }
  CheckIndex(index);
  SendMessageA(wnd, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
}

int TComboBoxStrings::Add(const std::string& s) {
  HWND wnd = Window();
  if (!wnd) return stored_->Add(s);
  LRESULT index = SendMessageA(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (index < 0) throw EOutOfResources("Unable to insert a line");
  return static_cast<int>(index);
}

void TComboBoxStrings::Insert(int index, const std::string& s) {
  HWND wnd = Window();
  if (!wnd) {
    stored_->Insert(index, s);
    return;
  }
  if (index < 0 || index > Count()) ErrorRes(SListIndexError, index);
  if (SendMessageA(wnd, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str())) < 0)
    throw EOutOfResources("Unable to insert a line");
}

void TComboBoxStrings::Delete(int index) {
  HWND wnd = Window();
  if (!wnd) {
    stored_->Delete(index);
    return;
  }
  CheckIndex(index);
  SendMessageA(wnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TComboBoxStrings::Clear() {
  HWND wnd = Window();
  if (!wnd) {
    stored_->Clear();
    return;
  }
  SendMessageA(wnd, CB_RESETCONTENT, 0, 0);
}

int TComboBoxStrings::IndexOf(const std::string& s) {
  HWND wnd = Window();
  if (!wnd) return stored_->IndexOf(s);
  LRESULT index = SendMessageA(wnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(s.c_str()));
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBoxStrings::SetUpdateState(bool updating) {
  HWND wnd = Window();
  if (!wnd) return;
  SendMessageA(wnd, WM_SETREDRAW, updating ? FALSE : TRUE, 0);
  if (!updating) InvalidateRect(wnd, nullptr, TRUE);
}

void TComboBoxStrings::MoveToWindow() {
  HWND wnd = Window();
  for (int i = 0; i < stored_->Count(); ++i) {
    LRESULT index = SendMessageA(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(stored_->Strings(i).c_str()));
    if (index >= 0) SendMessageA(wnd, CB_SETITEMDATA, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(stored_->Objects(i)));
  }
  stored_->Clear();
}

void TComboBoxStrings::MoveFromWindow() {
  stored_->Clear();
  const int n = Count();
  std::vector<std::pair<std::string, TObject*>> items;
  for (int i = 0; i < n; ++i) items.emplace_back(Get(i), GetObject(i));
  for (auto& item : items) stored_->AddObject(item.first, item.second);
}

// ---------------------------------------------------------------------------
// TComboBox

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner),
      items_(std::make_unique<TComboBoxStrings>(this)),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  width_ = 145;
  height_ = 21;
  tabStop_ = true;
  color_ = clWindow;
  parentColor_ = false;
}

TComboBox::~TComboBox() { editSubclass_.Remove(); }

void TComboBox::CreateParams(TCreateParams& p) {
  static const DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                  CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                  CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  static const DWORD kCases[] = {0, CBS_UPPERCASE, CBS_LOWERCASE};
  TWinControl::CreateParams(p);
  CreateSubClass(p, "COMBOBOX");
  p.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | kStyles[style_] | kCases[charCase_];
  if (sorted_) p.Style |= CBS_SORT;
  p.Height = WindowHeight();
}

int TComboBox::WindowHeight() const {
  if (style_ == csSimple) return height_;
  return height_ + (dropDownCount_ > 0 ? dropDownCount_ : 1) * ItemHeight() + 2;
}

void TComboBox::CreateWnd() {
  editHandle_ = nullptr;
  listHandle_ = nullptr;
  TWinControl::CreateWnd();
  // A system whose combo box announced its inner windows to nobody: ask it
  // (Windows 95 lacks the call, so it is looked up by name).
  using TGetComboBoxInfo = BOOL(WINAPI*)(HWND, COMBOBOXINFO*);
  static const auto getInfo = reinterpret_cast<TGetComboBoxInfo>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetComboBoxInfo")));
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  const bool hasEdit = style_ == csDropDown || style_ == csSimple;
  if (getInfo && (!listHandle_ || (hasEdit && !editHandle_)) && getInfo(handle_, &info)) {
    if (info.hwndItem && info.hwndItem != handle_ && !editHandle_)
      Perform(WM_PARENTNOTIFY, WM_CREATE, reinterpret_cast<LPARAM>(info.hwndItem));
    if (info.hwndList && !listHandle_) Perform(WM_PARENTNOTIFY, WM_CREATE, reinterpret_cast<LPARAM>(info.hwndList));
  }
  if (style_ >= csOwnerDrawFixed) SendMessageA(handle_, CB_SETITEMHEIGHT, 0, itemHeight_);
  if (maxLength_ > 0) SendMessageA(handle_, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  items_->MoveToWindow();
  // A selected item gives the text; without one the text typed before.
  if (savedItemIndex_ >= 0)
    SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(savedItemIndex_), 0);
  else if (style_ == csDropDown || style_ == csSimple)
    SetWindowTextA(handle_, text_.c_str());
  savedItemIndex_ = -1;
}

void TComboBox::DestroyWnd() {
  if (handle_) {
    savedItemIndex_ = ItemIndex();
    items_->MoveFromWindow();
  }
  editSubclass_.Remove();
  TWinControl::DestroyWnd();
  editHandle_ = nullptr;
  listHandle_ = nullptr;
}

// The inner windows announce themselves while the combo box is being made.
void TComboBox::WMParentNotify(TMessage& m) {
  if (LOWORD(m.WParam) == WM_CREATE) InnerWindowCreated(reinterpret_cast<HWND>(m.LParam));
  if (LOWORD(m.WParam) == WM_DESTROY) {
    HWND wnd = reinterpret_cast<HWND>(m.LParam);
    if (wnd == editHandle_) {
      editSubclass_.Remove();
      editHandle_ = nullptr;
    }
    if (wnd == listHandle_) listHandle_ = nullptr;
  }
  DefaultHandler(m);
}

void TComboBox::InnerWindowCreated(HWND wnd) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof name);
  if (lstrcmpiA(name, "Edit") == 0) {
    editHandle_ = wnd;
    editSubclass_.Install(wnd, TWndMethod(this, &TComboBox::EditWndProc));
  } else if (lstrcmpiA(name, "ComboLBox") == 0) {
    listHandle_ = wnd;
  }
}

void TComboBox::EditWndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(MessageAs<TWMKey>(m))) return;
      // The library moves the focus itself, unless the edit asks for tabs.
      if (m.WParam == VK_TAB && !EditWantsTab()) {
        if (TCustomForm* form = GetParentForm()) form->SelectNext(this, GetKeyState(VK_SHIFT) >= 0, true);
        return;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      Word key = static_cast<Word>(m.WParam);
      KeyUp(key, KeyDataToShiftState(m.LParam));
      if (key == 0) return;
      m.WParam = key;
      break;
    }
    case WM_CHAR: {
      char c = static_cast<char>(m.WParam);
      KeyPress(c);
      if (c == 0 || (c == '\t' && !EditWantsTab())) return;
      m.WParam = static_cast<Byte>(c);
      break;
    }
    case WM_SETFOCUS:
      editSubclass_.CallDefault(m);
      if (TCustomForm* form = GetParentForm()) form->SetFocusedControl(this);
      return;
    default:
      break;
  }
  editSubclass_.CallDefault(m);
}

bool TComboBox::EditWantsTab() const {
  return (SendMessageA(editHandle_, WM_GETDLGCODE, 0, 0) & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) != 0;
}

bool TComboBox::Focused() const {
  if (!handle_) return false;
  HWND focus = GetFocus();
  return focus == handle_ || (editHandle_ && focus == editHandle_);
}

// ---- properties

int TComboBox::ItemIndex() const {
  if (!handle_) return savedItemIndex_;
  LRESULT index = SendMessageA(handle_, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int value) {
  if (!handle_) {
    savedItemIndex_ = value;
    return;
  }
  if (ItemIndex() == value) return;
  SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

int TComboBox::ItemHeight() const {
  if (style_ >= csOwnerDrawFixed || !handle_) return itemHeight_;
  LRESULT h = SendMessageA(handle_, CB_GETITEMHEIGHT, 0, 0);
  return h == CB_ERR ? itemHeight_ : static_cast<int>(h);
}

void TComboBox::SetItemHeight(int value) {
  if (value <= 0) return;
  itemHeight_ = value;
  if (handle_ && style_ >= csOwnerDrawFixed) RecreateWnd();
}

void TComboBox::SetStyle(TComboBoxStyle value) {
  if (style_ == value) return;
  style_ = value;
  RecreateWnd();
}

void TComboBox::SetSorted(bool value) {
  if (sorted_ == value) return;
  sorted_ = value;
  items_->stored_->SetSorted(value);
  RecreateWnd();
}

void TComboBox::SetMaxLength(int value) {
  maxLength_ = value < 0 ? 0 : value;
  if (handle_) SendMessageA(handle_, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TComboBox::SetCharCase(TEditCharCase value) {
  if (charCase_ == value) return;
  charCase_ = value;
  RecreateWnd();
}

void TComboBox::SetDropDownCount(int value) { dropDownCount_ = value; }

bool TComboBox::DroppedDown() const {
  return handle_ && SendMessageA(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TComboBox::SetDroppedDown(bool value) {
  if (handle_) SendMessageA(handle_, CB_SHOWDROPDOWN, value ? TRUE : FALSE, 0);
}

int TComboBox::SelStart() const {
  if (!handle_) return 0;
  DWORD start = 0;
  SendMessageA(handle_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

int TComboBox::SelLength() const {
  if (!handle_) return 0;
  DWORD start = 0, end = 0;
  SendMessageA(handle_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TComboBox::SetSelStart(int value) {
  if (handle_) SendMessageA(handle_, CB_SETEDITSEL, 0, MAKELPARAM(value, value));
}

void TComboBox::SetSelLength(int value) {
  if (!handle_) return;
  const int start = SelStart();
  SendMessageA(handle_, CB_SETEDITSEL, 0, MAKELPARAM(start, start + value));
}

// ---- notifications

void TComboBox::Change() { OnChange(this); }
void TComboBox::Select() { OnSelect(this); }
void TComboBox::DropDown() { OnDropDown(this); }
void TComboBox::CloseUp() { OnCloseUp(this); }

// A choice in the list becomes the text before anyone hears of it.
void TComboBox::UpdateText() {
  const int index = ItemIndex();
  if (index >= 0 && (style_ == csDropDown || style_ == csSimple))
    SetWindowTextA(handle_, items_->Strings(index).c_str());
}

void TComboBox::CNCommand(TMessage& m) {
  switch (HIWORD(m.WParam)) {
    case CBN_DBLCLK: DblClick(); break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_DROPDOWN:
      // The list drops as far as the window is high.
      SetWindowPos(handle_, nullptr, 0, 0, width_, WindowHeight(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
      DropDown();
      break;
    case CBN_SELCHANGE:
      UpdateText();
      Click();
      Select();
      Change();
      break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
  }
}

void TComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  canvas_->FillRect(rect);
  if (index >= 0 && index < items_->Count())
    canvas_->TextOut(rect.left + 2, rect.top, items_->Strings(index));
}

void TComboBox::MeasureItem(int index, int& height) { OnMeasureItem(this, index, height); }

void TComboBox::CNDrawItem(TMessage& m) {
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
  TOwnerDrawState state;
  if (d->itemState & ODS_SELECTED) state.Include(odSelected);
  if (d->itemState & ODS_GRAYED) state.Include(odGrayed);
  if (d->itemState & ODS_DISABLED) state.Include(odDisabled);
  if (d->itemState & ODS_CHECKED) state.Include(odChecked);
  if (d->itemState & ODS_FOCUS) state.Include(odFocused);
  if (d->itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
  const int saved = SaveDC(d->hDC);
  {
    TCanvasBinding binding(canvas_.get(), d->hDC);
    canvas_->Font()->Assign(font_.get());
    if (state.Contains(odSelected)) {
      canvas_->Brush()->SetColor(clHighlight);
      canvas_->Font()->SetColor(clHighlightText);
    } else {
      canvas_->Brush()->SetColor(color_);
    }
    struct Restore {
      HDC dc;
      int saved;
      ~Restore() { RestoreDC(dc, saved); }
    } restore{d->hDC, saved};
    // The edit part of the closed combo box comes as item -1 when empty.
    const int index = d->itemID == static_cast<UINT>(-1) ? -1 : static_cast<int>(d->itemID);
    DrawItem(index, d->rcItem, state);
    if (state.Contains(odFocused)) DrawFocusRect(d->hDC, &d->rcItem);
  }
  m.Result = TRUE;
}

void TComboBox::CNMeasureItem(TMessage& m) {
  auto* d = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
  d->itemHeight = static_cast<UINT>(itemHeight_);
  if (style_ == csOwnerDrawVariable) {
    int height = itemHeight_;
    MeasureItem(static_cast<int>(d->itemID), height);
    d->itemHeight = static_cast<UINT>(height);
  }
  m.Result = TRUE;
}

void TComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PARENTNOTIFY: WMParentNotify(m); return;
    case CN_COMMAND: CNCommand(m); return;
    case CN_DRAWITEM: CNDrawItem(m); return;
    case CN_MEASUREITEM: CNMeasureItem(m); return;
    case WM_ERASEBKGND:
      // The system combo box paints its whole face.
      DefaultHandler(m);
      return;
    default: TWinControl::Dispatch(m);
  }
}
