#include "DateUtil.hpp"

#include "SysUtils.hpp"

bool ShortDateHasFourDigitYear = false;

bool DateFormatHasFourDigitYear(const std::string& format) {
  return Pos("YYYY", UpperCase(format)) > 0;
}

namespace {
void InitDateUtil() { ShortDateHasFourDigitYear = DateFormatHasFourDigitYear(ShortDateFormat); }
}  // namespace

const TUnitInfo DateUtilUnit{"DateUtil", &InitDateUtil, nullptr};
