#include "FormatText.hpp"

AnsiString FormatText(const AnsiString& format, TVarRecs arguments) {
  return Format(format, arguments);
}
