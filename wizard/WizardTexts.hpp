// The wizard's own texts as UTF-16, so that they read the same whatever
// the system's ANSI code page: from the string table, with their arguments
// and the technical help address put in.
#pragma once

#include <initializer_list>

#include "ElStrUtils.hpp"

// The string-table text; the address of technical help stands in it, and in
// the form texts that name it, as "{support}".
TElFString LoadText(int id);
// The text with "{support}" replaced by the address (IDS_SUPPORT_EMAIL).
TElFString WithSupportAddress(const TElFString& text);
// The format with each "%s" or "%d" replaced by the next argument, in
// order; "%%" gives one "%". Placeholders beyond the arguments stay.
TElFString FillText(const TElFString& format, std::initializer_list<TElFString> arguments);
// Text shown as HTML: "&", "<" and ">" as entities.
TElFString EscapeHtmlText(const TElFString& text);
