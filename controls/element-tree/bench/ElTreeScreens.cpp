// Two trees on a shown form, captured from the screen (not a test): a tree
// of a few hundred items in three levels with images, check boxes, HTML
// texts and both bars, and a tree with the folder page's look (rows of 41,
// a tiled background, owner-drawn bars, 39 x 27 pictures, separator rows).
// Usage: eltree_screens.exe FOLDER; writes tree-items.bmp and
// tree-folder-page.bmp there.
#include <cstdio>
#include <string>

#include "ComObj.hpp"
#include "ElHeader.hpp"
#include "ElHook.hpp"
#include "ElTools.hpp"
#include "ElTree.hpp"
#include "ElUxTheme.hpp"
#include "Forms.hpp"
#include "ImgList.hpp"
#include "SysUtils.hpp"

namespace {

class TScreenTree : public TElTree {
 public:
  explicit TScreenTree(TComponent* owner) : TElTree(owner) {}
  using TCustomElTree::FBackground;
  using TCustomElTree::FBackgroundType;
  using TCustomElTree::FImages;
  using TCustomElTree::FLineHeight;
  using TCustomElTree::FOwnerDrawByColumn;
  using TCustomElTree::FShowCheckboxes;
  using TCustomElTree::FShowRoot;

  void MeasureCell(TElTreeItem* item, int, TPoint& size) override {
    size = TPoint{7 * static_cast<int>(item->GetText().size()) + 60, FLineHeight};
  }
  // The parts the control's construction does not make yet.
  void EnsureParts() {
    if (View()->Parent() != this) View()->SetParent(this);
    for (TElScrollBar** bar : {&FHScrollBar, &FVScrollBar}) {
      if (*bar) continue;
      *bar = new TElScrollBar(this);
      (*bar)->SetKind(bar == &FHScrollBar ? sbHorizontal : sbVertical);
      (*bar)->SetNotifyParent(false);
      (*bar)->SetBounds(0, 0, 16, 16);
      (*bar)->SetParent(this);
    }
    WireScrollBars();
  }
  void Settle() {
    RecountVisibleRows();
    LayOutParts();
    View()->FillVisibleRows(0);
    View()->UpdateLongestWidth();
    View()->UpdateBackgroundBitmap();
    UpdateScrollBars();
    View()->FillVisibleRows(0);
    Invalidate();
  }
};

// Pictures of Width x Height: a folder-like shape in a colour per index.
TImageList* MakeImages(TComponent* owner, int width, int height, int count) {
  auto* list = new TImageList(owner, width, height);
  const TColor colours[] = {0x2090E0, 0x30B040, 0xC04040, 0x9060C0};
  for (int i = 0; i < count; ++i) {
    TBitmap picture;
    picture.SetSize(width, height);
    HDC dc = picture.Canvas()->Handle();
    FillSolidRect(dc, TRect{0, 0, width, height}, 0xFF00FF);
    FillSolidRect(dc, TRect{1, height / 4, width - 1, height - 1}, colours[i % 4]);
    FillSolidRect(dc, TRect{1, height / 8, width / 2, height / 4 + 1}, colours[i % 4]);
    FillSolidRect(dc, TRect{3, height / 4 + 2, width - 3, height / 4 + 3}, 0xFFFFFF);
    list->AddMasked(&picture, 0xFF00FF);
  }
  return list;
}

struct TSeparator : TObject {
  void Draw(TObject*, TElTreeItem*, TCanvas* canvas, TRect r, int) {
    const int y = (r.top + r.bottom) / 2;
    FillSolidRect(canvas->Handle(), TRect{r.left, y, r.right, y + 1}, 0x808080);
  }
  // The bars in two tones, arrows darker than the track, the thumb darkest.
  void Part(TObject*, TCanvas* canvas, TRect r, TElScrollBarPart part, bool, bool, bool, bool& defaultDraw) {
    TColor colour = 0xE8D8C8;
    if (part == spThumb) colour = 0x806040;
    if (part == spFirstArrow || part == spLastArrow) colour = 0xB09070;
    FillSolidRect(canvas->Handle(), r, colour);
    defaultDraw = false;
  }
};

void FillItemsTree(TScreenTree* tree) {
  tree->FImages = MakeImages(tree, 16, 16, 4);
  tree->FShowCheckboxes = true;
  tree->FShowRoot = true;
  TElTreeItems* items = tree->Items();
  items->BeginUpdate();
  for (int i = 0; i < 10; ++i) {
    TElTreeItem* top = items->AddLastChild(nullptr, L"Раздел " + std::to_wstring(i + 1));
    top->SetImageIndex(0);
    top->SetStateImageIndex(0);
    for (int j = 0; j < 6; ++j) {
      TElTreeItem* child = items->AddLastChild(top, L"Папка " + std::to_wstring(i + 1) + L"." + std::to_wstring(j + 1));
      child->SetImageIndex(1);
      child->SetStateImageIndex(1);
      child->SetShowCheckBox(true);
      child->SetCheckBoxState(j % 3 == 0 ? ecbChecked : j % 3 == 1 ? ecbUnchecked : ecbGrayed);
      child->SetCheckBoxType(ect3SCheckBox);
      for (int k = 0; k < 5; ++k) {
        TElTreeItem* leaf = items->AddLastChild(child, L"");
        leaf->SetImageIndex(2 + k % 2);
        leaf->SetStateImageIndex(2 + k % 2);
        if (k == 1) {
          leaf->SetIsHTML(true);
          leaf->SetText(L"<html><b>Файл</b> с <font color=#C00000>разметкой</font> и <u>ссылкой</u>");
        } else {
          leaf->SetText(L"Файл " + std::to_wstring(k + 1) + L" с длинным именем, шире дерева");
        }
      }
      if (j < 2) child->Expand(false);
    }
    if (i < 3) top->Expand(false);
  }
  items->Item(3)->SetSelected(true);
  tree->SetFocusedItem(items->Item(3));
  items->EndUpdate();
}

void FillFolderTree(TScreenTree* tree, TSeparator* handler) {
  tree->FLineHeight = 41;
  tree->FImages = MakeImages(tree, 39, 27, 4);
  tree->FOwnerDrawByColumn = false;
  tree->OnItemDraw = TOnItemDrawEvent(handler, &TSeparator::Draw);
  tree->OnVertScrollDrawPart = TElScrollDrawPartEvent(handler, &TSeparator::Part);
  tree->OnHorzScrollDrawPart = TElScrollDrawPartEvent(handler, &TSeparator::Part);
  tree->HScrollBar()->SetOwnerDraw(true);
  tree->VScrollBar()->SetOwnerDraw(true);
  // A tile of 24 x 24 with a light diagonal.
  tree->FBackground = new TBitmap();
  tree->FBackground->SetSize(24, 24);
  HDC dc = tree->FBackground->Canvas()->Handle();
  FillSolidRect(dc, TRect{0, 0, 24, 24}, 0xFAF4EE);
  for (int i = 0; i < 24; ++i) SetPixelV(dc, i, i, 0xE0D0C0);
  tree->FBackgroundType = bgtTileBitmap;
  TElTreeItems* items = tree->Items();
  items->BeginUpdate();
  const wchar_t* names[] = {L"Рабочий стол", L"Мой компьютер", L"Локальный диск (C:)", L"Program Files",
                            L"Kestrum", L"Lumbrix 2008", L"Документы и настройки"};
  TElTreeItem* parent = nullptr;
  for (int i = 0; i < 7; ++i) {
    TElTreeItem* item = items->AddLastChild(parent, names[i]);
    item->SetImageIndex(i % 4);
    item->SetStateImageIndex(i % 4);
    if (i == 2) items->AddLastChild(parent, L"~~@~~");
    if (i < 5) parent = item;
  }
  TElTreeItem* programFiles = items->Item(4);
  for (const wchar_t* name : {L"Common Files", L"Internet Explorer", L"Windows Media Player",
                              L"Папка с очень длинным именем, которая шире дерева"}) {
    TElTreeItem* item = items->AddLastChild(programFiles, name);
    item->SetImageIndex(3);
    item->SetStateImageIndex(3);
  }
  for (TElTreeItem* p = parent; p; p = p->Parent()) p->Expand(false);
  items->Item(5)->SetSelected(true);
  tree->SetFocusedItem(items->Item(5));
  items->EndUpdate();
}

bool SaveBitmap(HDC dc, int x, int y, int width, int height, const std::string& path) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, section);
  BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
  GdiFlush();
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD size = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                        static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
  bool ok = false;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    ok = std::fwrite(&file, sizeof(file), 1, f) == 1 && std::fwrite(&info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, f) == 1 &&
         std::fwrite(bits, size, 1, f) == 1;
    ok = std::fclose(f) == 0 && ok;
  }
  SelectObject(memory, old);
  DeleteObject(section);
  DeleteDC(memory);
  return ok;
}

void Pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (GetTickCount() < end) {
    Application->ProcessMessages();
    Sleep(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: eltree_screens.exe FOLDER\n");
    return 2;
  }
  TUnitScope units{&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit,
                   &ElHeaderUnit, &ElTreeUnit};
  auto* form = new TForm(Application, 0);
  form->SetBorderStyle(bsNone);
  form->SetBounds(40, 40, 640, 380);
  form->SetColor(clWhite);
  TSeparator handler;
  TScreenTree* trees[2];
  for (int i = 0; i < 2; ++i) {
    trees[i] = TObject::Create<TScreenTree>(form);
    trees[i]->SetUseXPThemes(false);
    trees[i]->SetBounds(10 + i * 320, 10, 300, 360);
    trees[i]->SetParent(form);
    trees[i]->EnsureParts();
    trees[i]->HandleNeeded();
  }
  FillItemsTree(trees[0]);
  FillFolderTree(trees[1], &handler);
  form->Show();
  for (TScreenTree* tree : trees) tree->Settle();
  Pump(500);
  const std::string folder = argv[1];
  HDC screen = GetDC(nullptr);
  bool ok = true;
  const char* names[] = {"tree-items.bmp", "tree-folder-page.bmp"};
  for (int i = 0; i < 2; ++i) {
    RECT r;
    GetWindowRect(trees[i]->Handle(), &r);
    ok = SaveBitmap(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, folder + "\\" + names[i]) && ok;
  }
  ReleaseDC(nullptr, screen);
  form->Free();
  return ok ? 0 : 1;
}
