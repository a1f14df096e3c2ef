// Dates and times: encoding and the reading of date and time texts with the
// locale's settings.
#include <cctype>
#include <ctime>

#include "SysUtils.hpp"

namespace {

constexpr const char* kInvalidDate = "'%s' is not a valid date";
constexpr const char* kInvalidTime = "'%s' is not a valid time";
constexpr const char* kInvalidDateTime = "'%s' is not a valid date and time";

// Days from 1 March of year 0 of the proleptic Gregorian calendar; the
// epoch (30 December 1899) is subtracted by the caller.
long DaysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long era = year / 400;
  const long yearOfEra = year - era * 400;
  const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  return local ? local->tm_year + 1900 : 2000;
}

enum TDateOrder { doMDY, doDMY, doYMD };

// The order of the fields in ShortDateFormat: the first of d, M and y
// outside quotes decides.
TDateOrder DateOrder() {
  char quote = 0;
  for (char c : ShortDateFormat) {
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      continue;
    }
    switch (std::tolower(static_cast<unsigned char>(c))) {
      case 'd': return doDMY;
      case 'm': return doMDY;
      case 'y': return doYMD;
      default: break;
    }
  }
  return doMDY;
}

// A cursor over the text being read.
class TScanner {
 public:
  explicit TScanner(const std::string& s) : s_(s) {}

  bool AtEnd() const { return pos_ >= s_.size(); }
  // Skips blanks; answers whether there were any.
  bool SkipBlanks() {
    const size_t start = pos_;
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
    return pos_ > start;
  }
  bool Char(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  // An unsigned number of 1 to maxDigits digits.
  bool Number(int maxDigits, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
      if (++digits > maxDigits) return false;
      value = value * 10 + (s_[pos_++] - '0');
    }
    return digits > 0;
  }
  bool Number(int maxDigits, int& value) {
    int digits = 0;
    return Number(maxDigits, value, digits);
  }
  // A marker of the 12-hour clock at the cursor: 1 for AM, 2 for PM, 0
  // when there is none.
  int Marker() {
    const std::string candidates[4] = {TimeAMString, TimePMString, "AM", "PM"};
    for (int i = 0; i < 4; ++i) {
      const std::string& m = candidates[i];
      if (m.empty() || s_.size() - pos_ < m.size()) continue;
      if (AnsiSameText(s_.substr(pos_, m.size()), m)) {
        pos_ += m.size();
        return i % 2 == 0 ? 1 : 2;
      }
    }
    return 0;
  }

 private:
  const std::string& s_;
  size_t pos_ = 0;
};

bool ScanDate(TScanner& in, TDateTime& value) {
  int n[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int count = 0;
  if (!in.Number(4, n[0], digits[0])) return false;
  count = 1;
  while (count < 3 && in.Char(DateSeparator)) {
    if (!in.Number(4, n[count], digits[count])) return false;
    ++count;
  }
  if (count < 2) return false;
  int year = 0, month = 0, day = 0, yearDigits = 4;
  const TDateOrder order = DateOrder();
  if (count == 2) {
    year = CurrentYear();
    if (order == doDMY) {
      day = n[0];
      month = n[1];
    } else {
      month = n[0];
      day = n[1];
    }
  } else {
    switch (order) {
      case doMDY: month = n[0]; day = n[1]; year = n[2]; yearDigits = digits[2]; break;
      case doDMY: day = n[0]; month = n[1]; year = n[2]; yearDigits = digits[2]; break;
      case doYMD: year = n[0]; yearDigits = digits[0]; month = n[1]; day = n[2]; break;
    }
    if (order != doYMD && (digits[0] > 2 || digits[1] > 2)) return false;
    if (order == doYMD && (digits[1] > 2 || digits[2] > 2)) return false;
    if (yearDigits <= 2) {
      // The year of that ending nearest to the current one, at most fifty
      // years ahead.
      const int now = CurrentYear();
      year += now / 100 * 100;
      if (year > now + 50) year -= 100;
      else if (year <= now - 50) year += 100;
    }
  }
  return TryEncodeDate(year, month, day, value);
}

bool ScanTime(TScanner& in, TDateTime& value) {
  int marker = in.Marker();
  if (marker) in.SkipBlanks();
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  if (!in.Number(2, hour) || !in.Char(TimeSeparator) || !in.Number(2, minute)) return false;
  if (in.Char(TimeSeparator)) {
    if (!in.Number(2, second)) return false;
    if (in.Char(DecimalSeparator)) {
      // A fraction of the second: ",5" is 500 milliseconds.
      int digits = 0;
      if (!in.Number(3, millisecond, digits)) return false;
      for (; digits < 3; ++digits) millisecond *= 10;
    }
  }
  if (!marker) {
    in.SkipBlanks();
    marker = in.Marker();
  }
  if (marker) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (marker == 2 ? 12 : 0);
  }
  return TryEncodeTime(hour, minute, second, millisecond, value);
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  date = static_cast<double>(DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30));
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return false;
  time = ((hour * 3600 + minute * 60 + second) * 1000.0 + millisecond) / 86400000.0;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime date = 0;
  if (!TryEncodeDate(year, month, day, date)) throw EConvertError("Invalid argument to date encode");
  return date;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime time = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, time)) throw EConvertError("Invalid argument to time encode");
  return time;
}

bool TryStrToDate(const std::string& s, TDateTime& value) {
  TScanner in(s);
  in.SkipBlanks();
  TDateTime date = 0;
  if (!ScanDate(in, date)) return false;
  in.SkipBlanks();
  if (!in.AtEnd()) return false;
  value = date;
  return true;
}

bool TryStrToTime(const std::string& s, TDateTime& value) {
  TScanner in(s);
  in.SkipBlanks();
  TDateTime time = 0;
  if (!ScanTime(in, time)) return false;
  in.SkipBlanks();
  if (!in.AtEnd()) return false;
  value = time;
  return true;
}

bool TryStrToDateTime(const std::string& s, TDateTime& value) {
  TScanner in(s);
  in.SkipBlanks();
  TDateTime date = 0, time = 0;
  if (!ScanDate(in, date)) return false;
  if (in.SkipBlanks() && !in.AtEnd() && !ScanTime(in, time)) return false;
  in.SkipBlanks();
  if (!in.AtEnd()) return false;
  // Before the epoch the fraction counts away from zero as well.
  value = date < 0 ? date - time : date + time;
  return true;
}

TDateTime StrToDate(const std::string& s) {
  TDateTime value = 0;
  if (!TryStrToDate(s, value)) throw EConvertError(kInvalidDate, {s});
  return value;
}

TDateTime StrToTime(const std::string& s) {
  TDateTime value = 0;
  if (!TryStrToTime(s, value)) throw EConvertError(kInvalidTime, {s});
  return value;
}

TDateTime StrToDateTime(const std::string& s) {
  TDateTime value = 0;
  if (!TryStrToDateTime(s, value)) throw EConvertError(kInvalidDateTime, {s});
  return value;
}
