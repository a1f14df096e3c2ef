// htmlbench: times the HTML renderer on generated texts of 5,000 to 20,000
// characters with a link every hundred characters and nested fonts, laid out
// at two widths: preparing (parsing, word wrap, layout) and drawing the whole
// text into a bitmap of its laid-out size. A benchmark, not a test: run it
// with controls/element/bench/run.sh.
//
// Usage: htmlbench.exe [--runs N]   (median of N runs, default 7)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ElTools.hpp"
#include "HTMLRender.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

namespace {

const wchar_t* const kWords[] = {L"setup",    L"wizard",  L"folder", L"Лумбрикс", L"установка", L"archive",
                                 L"payload",  L"program", L"файлы",  L"product",  L"shortcut",  L"registry",
                                 L"licence",  L"папка",   L"next",   L"finish"};

// A text of at least Length code units: words, a link every hundred
// characters, a font nest of colour, bold and size every 250, a paragraph
// every 1,000 and a line break every 600.
std::wstring MakeText(std::size_t length) {
  std::wstring text;
  std::size_t word = 0, links = 0;
  std::size_t nextLink = 50, nextFont = 250, nextBreak = 600, nextParagraph = 1000;
  while (text.size() < length) {
    if (text.size() >= nextLink) {
      text += L"<a href=\"page" + std::to_wstring(links++) + L".html\">link text</a> ";
      nextLink += 100;
    } else if (text.size() >= nextFont) {
      text += L"<font color=#803010><b>bold <font size=+1 face=Tahoma>larger <i>nested</i></font>"
              L" text</b></font> ";
      nextFont += 250;
    } else if (text.size() >= nextBreak) {
      text += L"<br>";
      nextBreak += 600;
    } else if (text.size() >= nextParagraph) {
      text += L"<p>";
      nextParagraph += 1000;
    } else {
      text += kWords[word++ % (sizeof kWords / sizeof kWords[0])];
      text += L' ';
    }
  }
  return text;
}

int CountLinks(const std::wstring& text) {
  int n = 0;
  for (std::size_t p = text.find(L"<a "); p != std::wstring::npos; p = text.find(L"<a ", p + 1)) ++n;
  return n;
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Result {
  double prepare = 0;  // ms
  double draw = 0;     // ms
  int lines = 0;
  int height = 0;
};

Result Measure(const std::wstring& text, int width, int runs) {
  std::vector<double> prepare, draw;
  Result r;
  for (int i = 0; i < runs; ++i) {
    TElHTMLRender render;  // a fresh renderer: no font is made yet
    double t0 = Now();
    render.PrepareText(text, width, true);
    double t1 = Now();
    TElHTMLData& data = *render.Data();
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, data.TextHeight);
    double t2 = Now();
    render.DrawText(bitmap.Canvas(), TPoint{0, 0}, clNone, TRect{0, 0, width - 1, data.TextHeight - 1});
    double t3 = Now();
    prepare.push_back(t1 - t0);
    draw.push_back(t3 - t2);
    r.height = data.TextHeight;
    r.lines = 0;
    for (int k = 0; k < data.ItemCount(); ++k)
      if (data.Item(k)->IsBreak()) ++r.lines;
  }
  r.prepare = Median(prepare);
  r.draw = Median(draw);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  TUnitScope units{&SysUtilsUnit, &ElToolsUnit};
  int runs = 7;
  if (argc >= 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::max(1, std::atoi(argv[2]));

  const std::size_t lengths[] = {5000, 10000, 20000};
  const int widths[] = {320, 800};
  std::printf("HTML renderer, median of %d runs; times in ms\n", runs);
  std::printf("%7s %6s %6s %6s %7s | %9s %9s %9s | %12s\n", "chars", "links", "width", "lines", "height",
              "prepare", "draw", "total", "total/1000ch");
  for (int width : widths) {
    double first = 0;
    for (std::size_t length : lengths) {
      const std::wstring text = MakeText(length);
      const Result r = Measure(text, width, runs);
      const double total = r.prepare + r.draw;
      if (length == lengths[0]) first = total;
      std::printf("%7zu %6d %6d %6d %7d | %9.2f %9.2f %9.2f | %12.3f\n", text.size(), CountLinks(text), width,
                  r.lines, r.height, r.prepare, r.draw, total, total * 1000.0 / double(text.size()));
      if (length == lengths[2])
        std::printf("  width %d: 20,000 characters take %.2f times as long as 5,000 (linear: 4)\n", width,
                    total / first);
    }
  }
  return 0;
}
