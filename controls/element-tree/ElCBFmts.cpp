#include "ElCBFmts.hpp"

#include "WinApi.hpp"

namespace {

// CF_TEXT (1) to CF_LOCALE (16), in order.
const char* const kStandardFormats[] = {
    "TEXT", "BITMAP", "METAFILEPICT", "SYLK",    "DIF",         "TIFF",        "OEMTEXT", "DIB",
    "PALETTE", "PENDATA", "RIFF",     "WAVE",    "UNICODETEXT", "ENHMETAFILE", "HDROP",   "LOCALE"};

static_assert(sizeof kStandardFormats / sizeof kStandardFormats[0] == CF_LOCALE);

}  // namespace

AnsiString ClipboardFormatName(unsigned format) {
  if (format >= CF_TEXT && format <= CF_LOCALE) return kStandardFormats[format - CF_TEXT];
  char name[128] = {};
  int length = GetClipboardFormatNameA(format, name, sizeof name);
  return length > 0 ? AnsiString(name, static_cast<std::size_t>(length)) : AnsiString();
}
