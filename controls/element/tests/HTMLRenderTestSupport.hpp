// A measurer with fixed metrics for the renderer's parsing, wrapping, layout
// and hit tests, and a readable dump of the parsed items.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "HTMLRender.hpp"

namespace eltest {

// Every character is 5 pixels wide (6 in bold); a font of height -N has
// cells N + 2 high with a descent of 3.
class FixedMeasurer : public TElHTMLMeasurer {
 public:
  int TextWidth(const TElHTMLFont& font, const TElFString& text) override {
    if (failOn && text.find(failOn) != TElFString::npos) throw std::runtime_error("measuring failed");
    return static_cast<int>(text.size()) * CharWidth(font);
  }
  TElHTMLFontMetrics Metrics(const TElHTMLFont& font) override {
    TElHTMLFontMetrics m;
    m.Height = (font.Height < 0 ? -font.Height : font.Height) + 2;
    m.Descent = 3;
    m.AveCharWidth = 4;
    m.MaxCharWidth = 8;
    return m;
  }
  int PixelsPerInch() override { return ppi; }

  static int CharWidth(const TElHTMLFont& font) { return font.Style.Contains(fsBold) ? 6 : 5; }

  int ppi = 96;
  wchar_t failOn = 0;  // measuring a text with this character raises
};

// "para", "wrap", "br", "li", "rule 50", "img x 3x4" or the quoted text of a
// run, one per item.
inline std::vector<std::wstring> Dump(const TElHTMLData& data) {
  std::vector<std::wstring> out;
  for (int i = 0; i < data.ItemCount(); ++i) {
    TElHTMLItem* item = data.Item(i);
    switch (item->ItemType) {
      case hitText: out.push_back(L"'" + item->Text + L"'"); break;
      case hitWrapBreak: out.push_back(L"wrap"); break;
      case hitLineBreak: out.push_back(L"br"); break;
      case hitParagraph: out.push_back(L"para"); break;
      case hitListItem: out.push_back(L"li"); break;
      case hitRule: out.push_back(L"rule " + std::to_wstring(item->Width)); break;
      case hitImage:
        out.push_back(L"img " + item->Text + L" " + std::to_wstring(item->Width) + L"x" +
                      std::to_wstring(item->Height));
        break;
      default: out.push_back(L"?");
    }
  }
  return out;
}

// A renderer measuring with the fixed metrics.
class FixedRender {
 public:
  FixedRender() { render.SetMeasurer(&measurer); }
  TElHTMLData& Prepare(const std::wstring& text, int maxWidth = 0, bool wrap = false) {
    render.PrepareText(text, maxWidth, wrap);
    return *render.Data();
  }
  // The first text run holding the text.
  TElHTMLItem* Run(const std::wstring& text) {
    TElHTMLData& data = *render.Data();
    for (int i = 0; i < data.ItemCount(); ++i)
      if (data.Item(i)->ItemType == hitText && data.Item(i)->Text == text) return data.Item(i);
    return nullptr;
  }

  FixedMeasurer measurer;
  TElHTMLRender render;
};

}  // namespace eltest
