// The edit model's benchmark (not a test): a Russian text of 0.5 to 2 MiB
// (characters of the 1251 code page, so 1 to 4 MiB of UTF-16) is loaded into
// a word-wrapping multi-line edit, re-wrapped at a new width, scrolled to its
// end, 1,000 characters are typed at its middle and undone again. Text is
// measured with a real font in a memory DC, and for comparison with a
// fixed-width measurer. Prints one row per size and how the times grow.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ElEditCore.hpp"
#include "ElEditPlatform.hpp"
#include "ElTools.hpp"
#include "SysUtils.hpp"

namespace {

const wchar_t* const kWords[] = {
    L"установка", L"программа", L"папка",   L"файл",      L"пользователь", L"лицензия", L"соглашение",
    L"право",     L"и",         L"в",       L"на",        L"не",           L"что",      L"для",
    L"с",         L"по",        L"или",     L"его",       L"при",          L"без",      L"условия",
    L"продукт",   L"компания",  L"данные",  L"сайт",      L"страница",     L"текст",    L"изображение",
    L"копия",     L"срок",      L"действия", L"настоящее", L"любой",       L"иные",     L"использование",
    L"ответственность", L"гарантия", L"версия", L"система", L"окно", L"кнопка", L"далее",
};

// A reproducible text of Chars characters: sentences of words, paragraphs of
// two to twelve sentences, CR LF between paragraphs.
TElFString RussianText(std::size_t chars) {
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  TElFString text;
  text.reserve(chars + 64);
  while (text.size() < chars) {
    std::uint32_t sentences = 2 + next(11);
    for (std::uint32_t s = 0; s < sentences; ++s) {
      std::uint32_t words = 4 + next(12);
      for (std::uint32_t w = 0; w < words; ++w) {
        TElFString word = kWords[next(sizeof kWords / sizeof kWords[0])];
        if (w == 0) word[0] = static_cast<wchar_t>(word[0] - 0x20);  // capital letter
        text += word;
        text += w + 1 < words ? L" " : L". ";
      }
    }
    text.back() = L'\r';
    text += L'\n';
  }
  text.resize(chars);
  return text;
}

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

class BenchHost : public TElEditHost {
 public:
  TElEditCore* Core = nullptr;
  bool HandleAllocated() override { return true; }
  bool Focused() override { return true; }
  void SendSetText(const TElFString& text) override { Core->SetTextFromMessage(text); }
};

class FixedMeasurer : public TElEditMeasurer {
 public:
  void GetExtents(const WideChar*, int length, int* extents) override {
    for (int i = 0; i < length; ++i) extents[i] = 7 * (i + 1);
  }
  int TextWidth(const WideChar*, int length) override { return 7 * length; }
  int FontHeight() override { return 13; }
  int CharHeight() override { return 16; }
};

struct Row {
  double sizeMiB = 0;
  int paragraphs = 0, displayLines = 0;
  double load = 0, rewrap = 0, scroll = 0, type = 0, undo = 0;
  bool restored = false;
};

Row Run(TElEditMeasurer* measurer, const TElFString& text, double sizeMiB, bool full) {
  Row row;
  row.sizeMiB = sizeMiB;
  BenchHost host;
  TElEditCore core(measurer, &host);
  host.Core = &core;
  core.SetMultiline(true);
  core.SetWordWrap(true);
  core.SetScrollBars(ssVertical);
  core.SetEditRect({0, 0, 460, 300});

  double t = Now();
  core.SetText(text);
  row.load = Now() - t;
  row.paragraphs = core.Lines()->GetCount();

  t = Now();
  core.Resized({0, 0, 330, 300});
  row.rewrap = Now() - t;
  row.displayLines = core.Lines()->GetDisplayLineCount();
  if (!full) return row;

  t = Now();
  core.VScroll(SB_BOTTOM, 0);
  Word end = VK_END;
  core.KeyDown(end, {ssCtrl});
  row.scroll = Now() - t;

  core.SetSelStart(static_cast<int>(text.size() / 2));
  const char typed[] = "\xEF\xF0\xE8\xEC\xE5\xF0 \xF2\xE5\xEA\xF1\xF2\xE0 ";  // "пример текста "
  t = Now();
  for (int i = 0; i < 1000; ++i) core.KeyPress(typed[i % (sizeof typed - 1)]);
  row.type = Now() - t;

  t = Now();
  for (int i = 0; i < 1000; ++i) core.Undo();
  row.undo = Now() - t;
  row.restored = core.Text() == text;
  return row;
}

double Best(int runs, const std::function<double()>& once) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) best = std::min(best, once());
  return best;
}

}  // namespace

int main() {
  TUnitScope units{&SysUtilsUnit, &ElToolsUnit};
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, L"Tahoma");
  std::vector<Row> rows, fixedRows;
  {
    TElEditDCMeasurer gdi(dc, font);
    FixedMeasurer fixed;
    for (double mib : {0.5, 1.0, 1.5, 2.0}) {
      TElFString text = RussianText(static_cast<std::size_t>(mib * 1024 * 1024));
      Row row = Run(&gdi, text, mib, true);
      row.load = Best(3, [&] { return Run(&gdi, text, mib, false).load; });
      row.rewrap = Best(3, [&] { return Run(&gdi, text, mib, false).rewrap; });
      rows.push_back(row);
      Row f;
      f.sizeMiB = mib;
      f.load = Best(3, [&] { return Run(&fixed, text, mib, false).load; });
      f.rewrap = Best(3, [&] { return Run(&fixed, text, mib, false).rewrap; });
      fixedRows.push_back(f);
    }
  }
  DeleteObject(font);
  DeleteDC(dc);

  std::printf("Measured with Tahoma 13 px in a memory DC (best of 3 for load and re-wrap):\n");
  std::printf("%8s %10s %13s %9s %10s %10s %12s %10s %9s\n", "MiB", "paragraphs", "display lines",
              "load ms", "rewrap ms", "scroll ms", "type 1000 ms", "undo ms", "restored");
  for (const Row& r : rows)
    std::printf("%8.1f %10d %13d %9.1f %10.1f %10.3f %12.1f %10.1f %9s\n", r.sizeMiB, r.paragraphs,
                r.displayLines, r.load, r.rewrap, r.scroll, r.type, r.undo, r.restored ? "yes" : "NO");
  std::printf("\nGrowth against 0.5 MiB (a linear cost grows as the size does: 2, 3, 4):\n");
  std::printf("%8s %8s %10s %12s %14s\n", "MiB", "load", "rewrap", "fixed load", "fixed rewrap");
  for (std::size_t i = 0; i < rows.size(); ++i)
    std::printf("%8.1f %8.2f %10.2f %12.2f %14.2f\n", rows[i].sizeMiB, rows[i].load / rows[0].load,
                rows[i].rewrap / rows[0].rewrap, fixedRows[i].load / fixedRows[0].load,
                fixedRows[i].rewrap / fixedRows[0].rewrap);
  std::printf("\nFixed-width measurer, ms:\n%8s %9s %10s\n", "MiB", "load", "rewrap");
  for (const Row& r : fixedRows) std::printf("%8.1f %9.1f %10.1f\n", r.sizeMiB, r.load, r.rewrap);
  bool ok = std::all_of(rows.begin(), rows.end(), [](const Row& r) { return r.restored; });
  return ok ? 0 : 1;
}
