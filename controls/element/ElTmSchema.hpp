// Part and state numbers of the visual-styles classes the control library
// draws with. Constants only; the values are those of the platform's theme
// schema.
#pragma once

// Property ids.
constexpr int TMT_SCROLLBAR = 1601;
constexpr int TMT_BTNFACE = 1616;
constexpr int TMT_WINDOW = 1606;
constexpr int TMT_WINDOWTEXT = 1609;
constexpr int TMT_FILLCOLOR = 3802;
constexpr int TMT_TEXTCOLOR = 3803;
constexpr int TMT_BORDERCOLOR = 3801;

// "SCROLLBAR"
constexpr int SBP_ARROWBTN = 1;
constexpr int SBP_THUMBBTNHORZ = 2;
constexpr int SBP_THUMBBTNVERT = 3;
constexpr int SBP_LOWERTRACKHORZ = 4;
constexpr int SBP_UPPERTRACKHORZ = 5;
constexpr int SBP_LOWERTRACKVERT = 6;
constexpr int SBP_UPPERTRACKVERT = 7;
constexpr int SBP_GRIPPERHORZ = 8;
constexpr int SBP_GRIPPERVERT = 9;
constexpr int SBP_SIZEBOX = 10;

constexpr int ABS_UPNORMAL = 1;
constexpr int ABS_UPHOT = 2;
constexpr int ABS_UPPRESSED = 3;
constexpr int ABS_UPDISABLED = 4;
constexpr int ABS_DOWNNORMAL = 5;
constexpr int ABS_DOWNHOT = 6;
constexpr int ABS_DOWNPRESSED = 7;
constexpr int ABS_DOWNDISABLED = 8;
constexpr int ABS_LEFTNORMAL = 9;
constexpr int ABS_LEFTHOT = 10;
constexpr int ABS_LEFTPRESSED = 11;
constexpr int ABS_LEFTDISABLED = 12;
constexpr int ABS_RIGHTNORMAL = 13;
constexpr int ABS_RIGHTHOT = 14;
constexpr int ABS_RIGHTPRESSED = 15;
constexpr int ABS_RIGHTDISABLED = 16;

constexpr int SCRBS_NORMAL = 1;
constexpr int SCRBS_HOT = 2;
constexpr int SCRBS_PRESSED = 3;
constexpr int SCRBS_DISABLED = 4;

// "EDIT"
constexpr int EP_EDITTEXT = 1;
constexpr int EP_CARET = 2;

constexpr int ETS_NORMAL = 1;
constexpr int ETS_HOT = 2;
constexpr int ETS_SELECTED = 3;
constexpr int ETS_DISABLED = 4;
constexpr int ETS_FOCUSED = 5;
constexpr int ETS_READONLY = 6;
constexpr int ETS_ASSIST = 7;

// "COMBOBOX"
constexpr int CP_DROPDOWNBUTTON = 1;

constexpr int CBXS_NORMAL = 1;
constexpr int CBXS_HOT = 2;
constexpr int CBXS_PRESSED = 3;
constexpr int CBXS_DISABLED = 4;

// "HEADER"
constexpr int HP_HEADERITEM = 1;
constexpr int HP_HEADERITEMLEFT = 2;
constexpr int HP_HEADERITEMRIGHT = 3;
constexpr int HP_HEADERSORTARROW = 4;

constexpr int HIS_NORMAL = 1;
constexpr int HIS_HOT = 2;
constexpr int HIS_PRESSED = 3;

constexpr int HSAS_SORTEDUP = 1;
constexpr int HSAS_SORTEDDOWN = 2;

// "TREEVIEW"
constexpr int TVP_TREEITEM = 1;
constexpr int TVP_GLYPH = 2;
constexpr int TVP_BRANCH = 3;

constexpr int TREIS_NORMAL = 1;
constexpr int TREIS_HOT = 2;
constexpr int TREIS_SELECTED = 3;
constexpr int TREIS_DISABLED = 4;
constexpr int TREIS_SELECTEDNOTFOCUS = 5;

constexpr int GLPS_CLOSED = 1;
constexpr int GLPS_OPENED = 2;

// "BUTTON"
constexpr int BP_PUSHBUTTON = 1;
constexpr int BP_RADIOBUTTON = 2;
constexpr int BP_CHECKBOX = 3;
constexpr int BP_GROUPBOX = 4;

constexpr int RBS_UNCHECKEDNORMAL = 1;
constexpr int RBS_UNCHECKEDDISABLED = 4;
constexpr int RBS_CHECKEDNORMAL = 5;
constexpr int RBS_CHECKEDDISABLED = 8;

constexpr int CBS_UNCHECKEDNORMAL = 1;
constexpr int CBS_UNCHECKEDDISABLED = 4;
constexpr int CBS_CHECKEDNORMAL = 5;
constexpr int CBS_CHECKEDDISABLED = 8;
constexpr int CBS_MIXEDNORMAL = 9;
constexpr int CBS_MIXEDDISABLED = 12;
