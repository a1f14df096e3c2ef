// Inside the HTML renderer: the parser's entry and the line geometry that
// painting and hit testing share, so that a link is hit where it is drawn.
#pragma once

#include <cstdint>

#include "ElTools.hpp"
#include "HTMLRender.hpp"

// Parses Text into the (empty) items of Data and lays them out.
void ElHTMLParseAndLayout(TElHTMLRender& render, TElHTMLData& data, const TElFString& text, int maxWidth,
                          bool autoWrap);

// One laid-out line: the break item at First, the items up to End, the top
// of the line and the pen position it starts at, in data coordinates.
struct TElHTMLLine {
  TElHTMLBreakItem* Break = nullptr;
  int First = 0;
  int End = 0;
  std::int64_t Top = 0;  // the sum of the lines above, beyond 32 bits for long texts
  int X = 0;
};

// Walks the lines of laid-out data over an area of the given width. A
// centred or right-aligned line is placed in the wider of the area and the
// line before it (the first line: itself).
class TElHTMLLineWalker {
 public:
  TElHTMLLineWalker(const TElHTMLData& data, int areaWidth) : data_(data), areaWidth_(areaWidth) {}

  bool Next(TElHTMLLine& line) {
    const int count = data_.ItemCount();
    if (next_ >= count || !data_.Item(next_)->IsBreak()) return false;
    line.First = next_;
    line.Break = static_cast<TElHTMLBreakItem*>(data_.Item(next_));
    line.End = next_ + 1;
    while (line.End < count && !data_.Item(line.End)->IsBreak()) ++line.End;
    line.Top = top_;
    const int width = line.Break->Width;
    const int room = Max(next_ == 0 ? width : previousWidth_, areaWidth_);
    switch (line.Break->Alignment()) {
      case haCenter: line.X = (room - width - 1) / 2; break;
      case haRight: line.X = room - width - 1; break;
      default: line.X = line.Break->Indent;
    }
    previousWidth_ = width;
    top_ += line.Break->Height;
    next_ = line.End;
    return true;
  }

 private:
  const TElHTMLData& data_;
  int areaWidth_;
  int next_ = 0;
  std::int64_t top_ = 0;
  int previousWidth_ = 0;
};
