// The columns of a header: TElHeaderSection with its property rules, and
// TElHeaderSections, the collection with its two orders (the position in the
// list, and the stable logical number Index that the tree uses as its column
// number), its binary stream (the form property "Data") and the order text
// SectionsOrder. Everything here runs without a window: what a change means
// for the header goes through the header's layout (ElHeaderLayout.hpp).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.hpp"
#include "ElList.hpp"
#include "ElStrUtils.hpp"
#include "Graphics.hpp"
#include "StdCtrls.hpp"

class TCustomElHeader;
class TElHeaderLayout;
class TElHeaderSections;
class TPopupMenu;

CLASSLIB_EXCEPTION(EElHeaderError, Exception);

enum TElSectionStyle : Byte { ElhsText, ElhsOwnerDraw, ElhsPictureOnly };
enum TElSSortMode : Byte { hsmNone, hsmAscend, hsmDescend };
enum TElSAlignment : Byte { hsaLeft, hsaCenter, hsaRight };
enum TElFieldType : Byte {
  sftCustom, sftText, sftNumber, sftFloating, sftDateTime, sftDate, sftTime, sftPicture,
  sftEnum, sftBLOB, sftUndef, sftBool, sftCurrency, sftMemo
};

// What changed, as the section-change notification tells it.
enum TSectionChangeMode : Byte {
  scmText = 0, scmFieldName = 1, scmFieldType = 2, scmAlign = 3, scmStyle = 4, scmEditable = 5,
  scmPassword = 6
};

class TElHeaderSection : public TPersistent {
 public:
  // Sections are made only by their collection (TElHeaderSections::CreateSection).
  explicit TElHeaderSection(TElHeaderSections* collection);
  ~TElHeaderSection() override;

  // Copies every property; the parent becomes the section of this
  // collection whose Index is the source parent's (when the parent rule
  // allows it).
  void Assign(TPersistent* source) override;

  TCustomElHeader* Owner() const;
  TElHeaderSections* Collection() const { return collection_; }

  // ---- place. Invisible sections take no room: Right is Left for them.
  int Left() const;
  int Right() const;
  // The place in the position list, -1 without a collection.
  int Position() const;
  // A child shows while its own flag is set and its parent is visible and
  // expanded.
  bool Visible() const;
  void SetVisible(bool value);

  // ---- texts
  const TElFString& Text() const { return text_; }
  void SetText(const TElFString& value);
  const TElFString& Hint() const { return hint_; }
  void SetHint(const TElFString& value) { hint_ = value; }
  const AnsiString& FieldName() const { return fieldName_; }
  virtual void SetFieldName(const AnsiString& value);
  TElFieldType FieldType() const { return fieldType_; }
  virtual void SetFieldType(TElFieldType value);
  bool Editable() const { return editable_; }
  virtual void SetEditable(bool value);
  bool Resizable() const { return resizable_; }
  virtual void SetResizable(bool value);

  // ---- widths
  int Width() const { return width_; }
  // Refused outside MinWidth..MaxWidth; under sticky sections the sections
  // after it make room.
  void SetWidth(int value);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int value);
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  // The share of the header width a sticky section keeps.
  float WidthShare() const { return widthShare_; }
  // A non-resizable section's own width while sticky sections keep it
  // shrunk; -1 when it is not shrunk.
  int FixedWidth() const { return fixedWidth_; }

  // ---- look
  TElSectionStyle Style() const { return style_; }
  void SetStyle(TElSectionStyle value);
  TElSAlignment Alignment() const { return alignment_; }
  void SetAlignment(TElSAlignment value);
  TTextLayout TextLayout() const { return textLayout_; }
  void SetTextLayout(TTextLayout value);
  TElSAlignment PictureAlign() const { return pictureAlign_; }
  void SetPictureAlign(TElSAlignment value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  bool UseMainStyle() const { return useMainStyle_; }
  void SetUseMainStyle(bool value);
  bool Password() const { return password_; }
  void SetPassword(bool value);

  // ---- sorting and clicks
  TElSSortMode SortMode() const { return sortMode_; }
  // Unless the header keeps several sort modes, every other section loses
  // its own first.
  void SetSortMode(TElSSortMode value);
  bool ShowSortMark() const { return showSortMark_; }
  void SetShowSortMark(bool value);
  bool AllowClick() const { return allowClick_; }
  void SetAllowClick(bool value) { allowClick_ = value; }
  bool ClickSelect() const { return clickSelect_; }
  void SetClickSelect(bool value) { clickSelect_ = value; }

  // ---- lookup and filter (each one on turns the other off)
  bool LookupEnabled() const { return lookupEnabled_; }
  void SetLookupEnabled(bool value);
  bool FilterEnabled() const { return filterEnabled_; }
  void SetFilterEnabled(bool value);
  bool FilterIsActive() const { return filterIsActive_; }
  void SetFilterIsActive(bool value);
  TStringList* LookupHistory() const { return lookupHistory_.get(); }
  void SetLookupHistory(TStrings* value);

  // ---- hierarchy
  bool Expandable() const { return expandable_; }
  void SetExpandable(bool value);
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool value);
  TElHeaderSection* ParentSection() const { return parentSection_; }
  // Refused when the new parent is this section or one of its children.
  void SetParentSection(TElHeaderSection* value);
  // Whether the section can take `parent` as its parent: nil, or a section
  // of the same collection that is neither this one nor below it.
  bool CanTakeParent(const TElHeaderSection* parent) const;

  // ---- identity
  int SectionId() const { return sectionId_; }
  int Index() const { return index_; }
  int Tag() const { return tag_; }
  void SetTag(int value) { tag_ = value; }
  bool StoredVisible() const { return storedVisible_; }

  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);
  // The menu's component name, kept in the stream to find it after loading.
  const AnsiString& PopupMenuName() const { return popupMenuName_; }

 private:
  friend class TElHeaderSections;
  friend class TElHeaderLayout;
  friend class TCustomElHeader;
  friend struct TElHeaderSectionRecord;

  TElHeaderLayout* Layout() const;
  // Sets the width to the header's measure of the section when AutoSize is on.
  void DoAutoSize();
  void SetButton(bool& button, bool& other, bool value);
  void Repaint();
  void Changed(TSectionChangeMode change);
  bool HasChildren() const;

  bool filterIsActive_ = false;
  bool filterEnabled_ = false;
  TElFString hint_;
  TTextLayout textLayout_ = tlCenter;
  bool useMainStyle_ = false;
  TColor fontColor_ = clWindowText;
  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  bool lookupEnabled_ = false;
  bool expandable_ = false;
  bool expanded_ = false;
  TElHeaderSection* parentSection_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  AnsiString popupMenuName_;
  bool resizable_ = true;
  bool clickSelect_ = true;
  bool password_ = false;
  AnsiString fieldName_;
  TElFieldType fieldType_ = sftText;
  bool editable_ = false;
  int imageIndex_ = -1;
  TElSAlignment pictureAlign_ = hsaLeft;
  int sectionId_ = 0;
  int index_ = 0;
  int tag_ = 0;
  bool storedVisible_ = true;
  TElSectionStyle style_ = ElhsText;
  int width_ = 120;
  int minWidth_ = 0;
  int maxWidth_ = 10000;
  TElSSortMode sortMode_ = hsmNone;
  bool allowClick_ = true;
  TElSAlignment alignment_ = hsaLeft;
  TElFString text_;
  std::unique_ptr<TStringList> lookupHistory_;
  bool autoSize_ = false;
  float widthShare_ = 0;
  int fixedWidth_ = -1;
  bool showSortMark_ = true;

  TElHeaderSections* collection_;
};

class TElHeaderSections : public TPersistent {
 public:
  // The sections of a header: the layout they answer to and the header that
  // owns them (nullptr for a layout without a window).
  TElHeaderSections(TElHeaderLayout& layout, TCustomElHeader* owner);
  ~TElHeaderSections() override;

  TCustomElHeader* Owner() const { return owner_; }
  TElHeaderLayout& Layout() const { return layout_; }

  int Count() const { return sections_.Count(); }
  // The section at a position; nullptr outside 0..Count - 1.
  virtual TElHeaderSection* GetSectionAt(int position) const;
  TElHeaderSection* operator[](int position) const { return GetSectionAt(position); }
  virtual TElHeaderSection* GetSectionById(int id) const;
  // The section whose Index is the number; nullptr when none.
  virtual TElHeaderSection* GetSectionByIndex(int index) const;
  virtual TElHeaderSection* FindByIndex(int index) const;
  // The last section when visible, else the nearest visible one before it.
  TElHeaderSection* LastVisible() const;
  TElHeaderSection* PrevVisible(const TElHeaderSection* section) const;
  int IndexOf(const TElHeaderSection* section) const;

  TElHeaderSection* AddSection();
  // A new section at the position, with the lowest free Index and a fresh
  // SectionId; the header hears of it once its outermost update ends.
  TElHeaderSection* InsertSection(int position);
  // Raises EElHeaderError "Invalid section" for nil. Every Index above the
  // deleted one moves down by one.
  void DeleteSection(TElHeaderSection* section);
  // While a left-fixed section exists it stays at position 0: it moves
  // nowhere else, and another section sent to 0 goes to 1.
  void MoveSection(TElHeaderSection* section, int newPosition);
  void Clear();
  // Reverses the order of the sections from the position on, telling no one.
  void ReverseFrom(int position);

  void Assign(TPersistent* source) override;
  // "Data": the section stream, always written.
  void DefineProperties(TFiler* filer) override;

  // The section stream (ElHeaderStream.cpp). Loading reads and checks the
  // whole stream before it changes anything: every fault raises EReadError
  // and leaves the sections as they were.
  virtual void SaveToStream(TStream* stream);
  virtual void LoadFromStream(TStream* stream);
  void ReadData(TStream* stream) { LoadFromStream(stream); }
  void WriteData(TStream* stream) { SaveToStream(stream); }

  // "i<Index>:w<Width>:v<t|f>," for each section in position order.
  AnsiString SectionsOrder() const;
  void SetSectionsOrder(const AnsiString& value);

 protected:
  virtual TElHeaderSection* CreateSection();

 private:
  friend class TElHeaderSection;
  int LowestFreeIndex() const;
  int FreshSectionId() const;
  void RelinkParents(const std::vector<int>& parentIndexes);

  TElHeaderLayout& layout_;
  TCustomElHeader* owner_;
  TElList sections_;
};
