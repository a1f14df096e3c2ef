// UTF-16 text drawing and measuring, and the wide text calls of the
// platform with their Windows 9x replacements: ANSI calls for fonts and
// metrics, the library's own line breaking over GetTextExtentPoint32W and
// ExtTextOutW for DrawTextExW.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "ElGdiScope.hpp"
#include "ElTools.hpp"
#include "ElVCLUtils.hpp"

// ---------------------------------------------------------------- the wide entry points

TElWideTextApi SystemWideTextApi() {
  TElWideTextApi api;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  // Windows 9x exports these as stubs that fail; only the NT family has them.
  if (!GetVersionExA(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT) return api;
  api.DrawTextExW = &::DrawTextExW;
  api.CreateFontIndirectW = &::CreateFontIndirectW;
  api.GetTextMetricsW = &::GetTextMetricsW;
  api.GetObjectW = &::GetObjectW;
  return api;
}

TElWideTextApi& ElWideTextApi() {
  static TElWideTextApi api = SystemWideTextApi();
  return api;
}

namespace {

// A face name between the two layouts, cut to the field and terminated.
void CopyFaceName(const char* from, WCHAR (&to)[LF_FACESIZE]) {
  const TElFString name = AnsiToWide(std::string(from, strnlen(from, LF_FACESIZE)));
  const std::size_t n = std::min<std::size_t>(name.size(), LF_FACESIZE - 1);
  std::wmemcpy(to, name.data(), n);
  to[n] = L'\0';
}

void CopyFaceName(const WCHAR* from, char (&to)[LF_FACESIZE]) {
  const std::string name = WideToAnsi(TElFString(from, wcsnlen(from, LF_FACESIZE)));
  const std::size_t n = std::min<std::size_t>(name.size(), LF_FACESIZE - 1);
  std::memcpy(to, name.data(), n);
  to[n] = '\0';
}

// The fields both layouts share, in the same order, then the face name.
template <class From, class To>
void CopyLogFont(const From& from, To& to) {
  to.lfHeight = from.lfHeight;
  to.lfWidth = from.lfWidth;
  to.lfEscapement = from.lfEscapement;
  to.lfOrientation = from.lfOrientation;
  to.lfWeight = from.lfWeight;
  to.lfItalic = from.lfItalic;
  to.lfUnderline = from.lfUnderline;
  to.lfStrikeOut = from.lfStrikeOut;
  to.lfCharSet = from.lfCharSet;
  to.lfOutPrecision = from.lfOutPrecision;
  to.lfClipPrecision = from.lfClipPrecision;
  to.lfQuality = from.lfQuality;
  to.lfPitchAndFamily = from.lfPitchAndFamily;
  CopyFaceName(from.lfFaceName, to.lfFaceName);
}

// The ANSI metrics in the wide layout; the four character fields are codes
// of the font's code page, taken as they are.
void CopyTextMetrics(const TEXTMETRICA& a, TEXTMETRICW& w) {
  w.tmHeight = a.tmHeight;
  w.tmAscent = a.tmAscent;
  w.tmDescent = a.tmDescent;
  w.tmInternalLeading = a.tmInternalLeading;
  w.tmExternalLeading = a.tmExternalLeading;
  w.tmAveCharWidth = a.tmAveCharWidth;
  w.tmMaxCharWidth = a.tmMaxCharWidth;
  w.tmWeight = a.tmWeight;
  w.tmOverhang = a.tmOverhang;
  w.tmDigitizedAspectX = a.tmDigitizedAspectX;
  w.tmDigitizedAspectY = a.tmDigitizedAspectY;
  w.tmFirstChar = a.tmFirstChar;
  w.tmLastChar = a.tmLastChar;
  w.tmDefaultChar = a.tmDefaultChar;
  w.tmBreakChar = a.tmBreakChar;
  w.tmItalic = a.tmItalic;
  w.tmUnderlined = a.tmUnderlined;
  w.tmStruckOut = a.tmStruckOut;
  w.tmPitchAndFamily = a.tmPitchAndFamily;
  w.tmCharSet = a.tmCharSet;
}

}  // namespace

HFONT ElCreateFontIndirect(const LOGFONTW& font) {
  if (auto create = ElWideTextApi().CreateFontIndirectW) return create(&font);
  LOGFONTA ansi{};
  CopyLogFont(font, ansi);
  return CreateFontIndirectA(&ansi);
}

bool ElGetTextMetrics(HDC dc, TEXTMETRICW& metrics) {
  if (auto get = ElWideTextApi().GetTextMetricsW) return get(dc, &metrics) != FALSE;
  TEXTMETRICA ansi{};
  if (!GetTextMetricsA(dc, &ansi)) return false;
  CopyTextMetrics(ansi, metrics);
  return true;
}

bool ElGetFontInfo(HFONT font, LOGFONTW& info) {
  if (auto get = ElWideTextApi().GetObjectW) return get(font, sizeof info, &info) != 0;
  LOGFONTA ansi{};
  if (GetObjectA(font, sizeof ansi, &ansi) == 0) return false;
  CopyLogFont(ansi, info);
  return true;
}

// ---------------------------------------------------------------- the library's own DrawText

namespace {

// One line as it is drawn: the characters (prefixes taken out) and the one
// to underline (-1: none).
struct TextLine {
  std::wstring Text;
  int Underline = -1;
  int Width = 0;
  // The line ends in the blank it was broken at, which counts for its
  // measured width but not for its alignment.
  bool EndsAtBreak = false;
};

class WideTextLayout {
 public:
  // TabLetters: the tab stops' distance in widths of "o".
  WideTextLayout(HDC dc, UINT flags, int tabLetters) : dc_(dc), flags_(flags) {
    ElGetTextMetrics(dc, metrics_);
    lineHeight_ = metrics_.tmHeight + ((flags & DT_EXTERNALLEADING) ? metrics_.tmExternalLeading : 0);
    if (flags & DT_EXPANDTABS) tabWidth_ = Max(Extent(L"o", 1) * tabLetters, 1);
  }

  // Cuts the text into the lines that are drawn, each at most MaxWidth wide
  // where word breaking and the ellipses can make it so.
  // Measuring (DT_CALCRECT) gives the whole width of a path that drawing
  // shortens; lines that end in "..." are measured shortened.
  std::vector<TextLine> Lines(const std::wstring& text, int maxWidth) {
    std::vector<TextLine> lines;
    for (TextLine& hard : HardLines(text)) {
      if (Has(DT_WORDBREAK) || Has(DT_WORD_ELLIPSIS))
        BreakWords(hard, maxWidth, lines);
      else
        lines.push_back(std::move(hard));
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      TextLine& line = lines[i];
      line.Width = Width(line.Text);
      // The end ellipsis marks where the text ends: with word breaking
      // only the last line gets it.
      UINT shortened = DT_WORD_ELLIPSIS | (Has(DT_CALCRECT) ? 0 : DT_PATH_ELLIPSIS);
      if (!Has(DT_WORDBREAK) || i + 1 == lines.size()) shortened |= DT_END_ELLIPSIS;
      if (line.Width > maxWidth && Has(shortened)) Shorten(line, maxWidth);
    }
    return lines;
  }

  int LineHeight() const { return lineHeight_; }

  // The width a line is aligned by.
  int AlignedWidth(const TextLine& line) {
    return line.EndsAtBreak ? Width(line.Text.substr(0, line.Text.size() - 1)) : line.Width;
  }

  // Draws one line with its left edge at X and its top at Y.
  void Draw(const TextLine& line, int x, int y, const TRect& clip) {
    const UINT options = (Has(DT_NOCLIP) ? 0 : ETO_CLIPPED) | (Has(DT_RTLREADING) ? ETO_RTLREADING : 0);
    if (!Has(DT_PREFIXONLY)) {
      ForEachSegment(line.Text, [&](std::size_t from, std::size_t to, int offset) {
        ExtTextOutW(dc_, x + offset, y, options, &clip, line.Text.data() + from, static_cast<UINT>(to - from),
                    nullptr);
      });
    }
    if (line.Underline >= 0) DrawUnderline(line, x, y, clip);
  }

 private:
  bool Has(UINT flag) const { return (flags_ & flag) != 0; }

  int Extent(const wchar_t* text, std::size_t length) {
    if (length == 0) return 0;
    SIZE size{};
    GetTextExtentPoint32W(dc_, text, static_cast<int>(length), &size);
    return size.cx;
  }

  // Calls Segment(from, to, x) for each run between tabs, with the run's
  // pen position from the line's start; a tab moves to the next tab stop.
  template <class Segment>
  int ForEachSegment(const std::wstring& text, Segment segment) {
    int x = 0;
    std::size_t from = 0;
    while (true) {
      const std::size_t tab = tabWidth_ ? text.find(L'\t', from) : std::wstring::npos;
      const std::size_t to = tab == std::wstring::npos ? text.size() : tab;
      if (to > from) segment(from, to, x);
      x += Extent(text.data() + from, to - from);
      if (tab == std::wstring::npos) return x;
      x = (x / tabWidth_ + 1) * tabWidth_;
      from = tab + 1;
    }
  }

  int Width(const std::wstring& text) {
    return ForEachSegment(text, [](std::size_t, std::size_t, int) {});
  }

  // The lines between line breaks (CR LF, CR or LF), with the prefix
  // characters taken out: "&&" is one "&", "&x" an underlined "x".
  std::vector<TextLine> HardLines(const std::wstring& text) {
    std::vector<TextLine> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
      const wchar_t c = text[i];
      if (!Has(DT_SINGLELINE) && (c == L'\r' || c == L'\n')) {
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        lines.emplace_back();
        continue;
      }
      TextLine& line = lines.back();
      // A lone "&" at the very end stays as it is.
      if (c == L'&' && !Has(DT_NOPREFIX) && i + 1 < text.size()) {
        if (text[i + 1] != L'&') line.Underline = static_cast<int>(line.Text.size());
        line.Text += text[++i];
        continue;
      }
      line.Text += c;
    }
    // A break at the very end starts no line of its own.
    if (lines.size() > 1 && lines.back().Text.empty() && (text.back() == L'\r' || text.back() == L'\n'))
      lines.pop_back();
    return lines;
  }

  // A tab breaks a line like a blank unless it is expanded.
  bool IsBlank(wchar_t c) const { return c == L' ' || (c == L'\t' && !tabWidth_); }

  // How many characters from Start fit into MaxWidth.
  std::size_t FitCount(const std::wstring& t, std::size_t start, int maxWidth) {
    std::size_t lo = 0, hi = t.size() - start;
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo + 1) / 2;
      if (Width(t.substr(start, mid)) <= maxWidth)
        lo = mid;
      else
        hi = mid - 1;
    }
    return lo;
  }

  // Breaks a line where its characters stop fitting: at a blank that does
  // not fit (which goes), else after the last blank that does (which stays
  // on the line); a word wider than the line stands alone, and the blank
  // after it goes.
  void BreakWords(TextLine& hard, int maxWidth, std::vector<TextLine>& out) {
    const std::wstring& t = hard.Text;
    const std::size_t n = t.size();
    std::size_t pos = 0;
    do {
      const std::size_t over = pos + Max(static_cast<int>(FitCount(t, pos, maxWidth)), 1);
      std::size_t end = n, next = n;
      if (over < n) {
        std::size_t blank = over;
        while (blank > pos && !IsBlank(t[blank - 1])) --blank;
        if (IsBlank(t[over])) {
          end = over;
          next = over + 1;
        } else if (blank > pos) {
          end = next = blank;
        } else {
          end = over;
          while (end < n && !IsBlank(t[end])) ++end;
          next = end < n ? end + 1 : n;
        }
      }
      TextLine line;
      line.Text = t.substr(pos, end - pos);
      line.EndsAtBreak = end == next && end < n && end > pos;
      if (hard.Underline >= static_cast<int>(pos) && hard.Underline < static_cast<int>(end))
        line.Underline = hard.Underline - static_cast<int>(pos);
      out.push_back(std::move(line));
      pos = next;
    } while (pos < n);
  }

  // Shortens an overlong line one character at a time until it fits with
  // "..." after it, or, for a path, with "..." before the part from its last
  // "\" or "/" (the whole text when it has none), which is kept.
  void Shorten(TextLine& line, int maxWidth) {
    std::wstring head = line.Text, tail;
    if (Has(DT_PATH_ELLIPSIS)) {
      const std::size_t slash = head.find_last_of(L"\\/");
      const std::size_t from = slash == std::wstring::npos ? 0 : slash;
      tail = head.substr(from);
      head.erase(from);
    }
    while (!head.empty() && Width(head + L"..." + tail) > maxWidth) {
      head.pop_back();
      if (!head.empty() && IsHighSurrogate(head.back())) head.pop_back();  // never half a pair
    }
    if (line.Underline >= static_cast<int>(head.size())) line.Underline = -1;
    line.Text = head + L"..." + tail;
    line.Width = Width(line.Text);
  }

  // The line under the prefixed character, clipped as the text is.
  void DrawUnderline(const TextLine& line, int x, int y, const TRect& clip) {
    const std::size_t at = static_cast<std::size_t>(line.Underline);
    if (at >= line.Text.size()) return;
    int from = x + Width(line.Text.substr(0, at));
    int to = x + Width(line.Text.substr(0, at + 1)) - 1;
    const int below = y + metrics_.tmAscent + 1;
    if (!Has(DT_NOCLIP)) {
      from = Max(from, clip.left);
      to = Min(to, clip.right);
      if (from >= to || below < clip.top || below >= clip.bottom) return;
    }
    TElGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, GetTextColor(dc_)));
    TElSelectObject selection(dc_, pen.Get());
    POINT old{};
    MoveToEx(dc_, from, below, &old);
    LineTo(dc_, to, below);
    MoveToEx(dc_, old.x, old.y, nullptr);
  }

  HDC dc_;
  UINT flags_;
  TEXTMETRICW metrics_{};
  int lineHeight_ = 0;
  int tabWidth_ = 0;
};

// Half the room left above a line, the odd pixel going above it, as the
// system's own drawing centres.
int HalfUp(int n) { return n >= 0 ? (n + 1) / 2 : -(-n / 2); }

int DrawWideTextOwn(HDC dc, const std::wstring& text, UINT flags, TRect& rect) {
  // With DT_TABSTOP the second byte is the tab count, not flags.
  int tabLetters = 8;
  if (flags & DT_TABSTOP) {
    tabLetters = static_cast<int>((flags >> 8) & 0xFF);
    flags &= ~0xFF00u;
  }
  WideTextLayout layout(dc, flags, tabLetters);
  const int maxWidth = rect.right - rect.left;
  const std::vector<TextLine> lines = layout.Lines(text, maxWidth);
  const int lineHeight = layout.LineHeight();
  const int height = static_cast<int>(lines.size()) * lineHeight;
  if (flags & DT_CALCRECT) {
    int widest = 0;
    for (const TextLine& line : lines) widest = Max(widest, line.Width);
    rect.right = rect.left + widest;
    rect.bottom = rect.top + height;
    return height;
  }
  int y = rect.top;
  if (flags & DT_SINGLELINE) {
    if (flags & DT_VCENTER)
      y = rect.top + HalfUp(rect.bottom - rect.top - lineHeight);
    else if (flags & DT_BOTTOM)
      y = rect.bottom - lineHeight;
  }
  // Lines are drawn down to the first one that reaches past the bottom (all
  // of them without clipping).
  const UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  for (const TextLine& line : lines) {
    int x = rect.left;
    if (flags & DT_CENTER)
      x = (rect.left + rect.right - layout.AlignedWidth(line)) / 2;
    else if (flags & DT_RIGHT)
      x = rect.right - layout.AlignedWidth(line);
    layout.Draw(line, x, y, rect);
    y += lineHeight;
    if (y > rect.bottom && !(flags & DT_NOCLIP)) break;
  }
  SetTextAlign(dc, oldAlign);
  // The height drawn, down from the rectangle's top.
  return y - rect.top;
}

}  // namespace

int DrawWideText(HDC dc, const WideChar* text, int length, UINT flags, TRect& rect) {
  if (!text) length = 0;
  if (length < 0) length = static_cast<int>(std::wcslen(text));
  if (flags & DT_CALCRECT) {
    if (rect.right == 0) rect.right = 32767;
    if (rect.bottom == 0) rect.bottom = 32767;
  }
  // The text goes to the system as a copy with room for the ellipsis
  // (DT_MODIFYSTRING may write it back), and is never changed.
  std::wstring copy(text ? text : L"", static_cast<std::size_t>(length));
  if (auto draw = ElWideTextApi().DrawTextExW) {
    copy.resize(copy.size() + 5, L'\0');
    return draw(dc, copy.data(), length, &rect, flags, nullptr);
  }
  return DrawWideTextOwn(dc, copy, flags & ~static_cast<UINT>(DT_MODIFYSTRING), rect);
}
