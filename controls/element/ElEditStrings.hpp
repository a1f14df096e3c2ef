// The UTF-16 edit's text store. The text is kept as paragraphs (the hard
// lines between line breaks); each paragraph keeps itself cut into display
// lines, the pieces word wrap makes. Display lines are numbered over the
// whole text through each paragraph's StartLine.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.hpp"
#include "ElList.hpp"
#include "ElStrUtils.hpp"
#include "ElUnicodeStrings.hpp"

class TElEditCore;

// The display lines of one paragraph, without separators. A paragraph that
// is read always has a line: reading or writing line 0 of an empty one
// appends an empty line first.
class TElParagraph : public TElWideStringList {
 public:
  TElFString Get(int index) override;
  void Put(int index, const TElFString& s) override;
  // The lines joined without separators. The text setter is the inherited
  // one, which splits at line breaks and does not wrap.
  TElFString GetTextStr() override;

  int TextLength();
  // Display lines the paragraph takes: at least one, as it has one when read.
  int LineCount() { return Count() > 0 ? Count() : 1; }

  std::int32_t StartLine = 0;
};

// The ordered paragraphs, owned. Reading item 0 of an empty list creates it.
class TElParagraphList : public TElList {
 public:
  TElParagraphList() { SetAutoClearObjects(true); }
  void* Get(std::int32_t index) override;
  TElParagraph* Items(std::int32_t index) { return static_cast<TElParagraph*>(Get(index)); }
};

// A position in the text: Offset characters into paragraph Paragraph. The
// undo records keep their places so: unlike a display position it survives
// a re-wrap, so a record still points at the same text after the edit was
// resized or its font changed.
struct TElParagraphPos {
  std::int32_t Offset = 0;
  std::int32_t Paragraph = 0;
  friend bool operator==(const TElParagraphPos&, const TElParagraphPos&) = default;
};

// A display position: column Column of display line Line.
struct TElDisplayPos {
  int Column = 0;
  int Line = 0;
  friend bool operator==(const TElDisplayPos&, const TElDisplayPos&) = default;
};

class TElEditStrings : public TElWideStringList {
 public:
  // Edit is the edit logic the store wraps and measures for; it may be nil,
  // for a plain multi-line store without wrap.
  explicit TElEditStrings(TElEditCore* edit = nullptr);
  ~TElEditStrings() override;

  // The list operations, in paragraph units.
  TElFString Get(int index) override;
  int GetCount() override;
  TObject* GetObject(int index) override;
  void PutObject(int index, TObject* object) override;
  void Put(int index, const TElFString& s) override;
  TElFString GetTextStr() override;
  void SetTextStr(const TElFString& text) override;
  void Insert(int index, const TElFString& s) override;
  int Add(const TElFString& s) override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  void Clear() override;
  bool Find(const TElFString& s, int& index) override;

  // Display lines, counted over the whole text.
  void FindParagraph(int line, int& paragraph, int& lineInParagraph);
  int GetDisplayLineCount();
  TElFString GetDisplayLine(int line);
  void SetDisplayLine(int line, const TElFString& text);
  TElParagraphPos CaretToTextPos(int column, int line);
  TElDisplayPos TextPosToCaret(int paragraph, int offset);
  void RenumberParagraphs(int from);
  void ReformatParagraph(int index);
  void ReformatAll();
  // Inserts Text at a display position; Column and Line become the position
  // after it.
  void InsertText(int& column, int& line, const TElFString& text);
  // Removes the text between two paragraph positions (From before To),
  // joining their paragraphs, and re-wraps.
  void RemoveText(TElParagraphPos from, TElParagraphPos to);

  TElEditCore* Edit() const { return edit_; }
  TElParagraphList* Paragraphs() { return &paragraphs_; }
  TElParagraph* Paragraph(int index) { return paragraphs_.Items(index); }
  TStringList* RTLBreaks() { return rtlBreaks_.get(); }
  std::int32_t MaxLineLength() const { return maxLineLength_; }
  std::int32_t LongestParagraph() const { return longestParagraph_; }
  const TElFString& LongestLine() const { return longestLine_; }

 protected:
  void Changed() override;
  void Changing() override;

 private:
  // Told to the edit before any change of the text, also the ones that fire
  // no change events, so that it can keep its undo records true.
  void TextAboutToChange();
  void InsertParagraphs(int index, const std::vector<TElFString>& pieces);
  // Measures every paragraph for the longest line (without word wrap).
  void FindLongestLine();
  void WrapInto(TElParagraph* paragraph, const TElFString& text);
  int SplitPoint(const TElFString& text, int start, int fit, bool& atBlank);
  bool WordWrapOn() const;

  TElEditCore* edit_;
  std::unique_ptr<TStringList> rtlBreaks_;
  TElParagraphList paragraphs_;
  std::int32_t maxLineLength_ = 0;
  std::int32_t longestParagraph_ = 0;
  TElFString longestLine_;
  std::vector<int> extents_;  // reused by the wrap
};

// Cuts Text at line breaks: CR LF is one break, a lone CR or LF is one each.
// N breaks give N + 1 pieces, so a text that ends in a break ends in an empty
// piece.
std::vector<TElFString> SplitAtLineBreaks(const TElFString& text);
