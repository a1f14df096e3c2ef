// Format and the float-to-text and text-to-float conversions.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <cstdlib>

#include "Consts.hpp"
#include "SysUtils.hpp"

namespace {

// A finite, non-negative value as significant decimal digits: value =
// 0.<digits> * 10^exponent. No digits means zero.
struct TDecimal {
  std::string Digits;
  int Exponent = 0;
};

// Rounds to `precision` significant digits.
TDecimal SignificantDigits(double value, int precision) {
  TDecimal d;
  if (value == 0) return d;
  char buf[64];
  std::snprintf(buf, sizeof(buf), "%.*e", precision - 1, value);
  const char* e = std::strchr(buf, 'e');
  for (const char* p = buf; p < e; ++p)
    if (*p >= '0' && *p <= '9') d.Digits += *p;
  d.Exponent = std::atoi(e + 1) + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

// Rounds to `decimals` places after the point.
TDecimal FixedDigits(double value, int decimals) {
  TDecimal d;
  char buf[400];
  std::snprintf(buf, sizeof(buf), "%.*f", decimals, value);
  std::string s;
  int intDigits = 0;
  bool point = false;
  for (const char* p = buf; *p; ++p) {
    if (*p == '.') point = true;
    else if (*p >= '0' && *p <= '9') {
      s += *p;
      if (!point) ++intDigits;
    }
  }
  std::size_t lead = s.find_first_not_of('0');
  if (lead == std::string::npos) return d;
  d.Digits = s.substr(lead);
  d.Exponent = intDigits - static_cast<int>(lead);
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

std::string ExponentText(int exponent, int minDigits, bool plusSign) {
  std::string digits = std::to_string(std::abs(exponent));
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  std::string sign = exponent < 0 ? "-" : (plusSign ? "+" : "");
  return "E" + sign + digits;
}

// Integer part and `decimals` fraction digits of a decimal, the integer
// part optionally grouped in thousands.
std::string FixedText(const TDecimal& d, int decimals, bool thousands) {
  std::string intPart;
  if (d.Exponent <= 0 || d.Digits.empty()) {
    intPart = "0";
  } else {
    intPart = d.Digits.substr(0, std::min<std::size_t>(d.Exponent, d.Digits.size()));
    if (static_cast<int>(intPart.size()) < d.Exponent) intPart.append(d.Exponent - intPart.size(), '0');
  }
  if (thousands && ThousandSeparator != '\0')
    for (int i = static_cast<int>(intPart.size()) - 3; i > 0; i -= 3) intPart.insert(i, 1, ThousandSeparator);
  if (decimals <= 0) return intPart;
  std::string frac;
  for (int i = 0; i < decimals; ++i) {
    int k = d.Exponent + i;  // index into the digits
    frac += (k >= 0 && k < static_cast<int>(d.Digits.size())) ? d.Digits[k] : '0';
  }
  return intPart + DecimalSeparator + frac;
}

std::string GeneralText(const TDecimal& d, int precision, int expDigits) {
  if (d.Digits.empty()) return "0";
  const int n = static_cast<int>(d.Digits.size());
  if (d.Exponent > precision || d.Exponent < -3) {
    std::string s(1, d.Digits[0]);
    if (n > 1) s += DecimalSeparator + d.Digits.substr(1);
    return s + ExponentText(d.Exponent - 1, expDigits, false);
  }
  if (d.Exponent <= 0) return std::string("0") + DecimalSeparator + std::string(-d.Exponent, '0') + d.Digits;
  if (n <= d.Exponent) return d.Digits + std::string(d.Exponent - n, '0');
  return d.Digits.substr(0, d.Exponent) + DecimalSeparator + d.Digits.substr(d.Exponent);
}

std::string ExponentFormText(const TDecimal& d, int precision, int expDigits) {
  std::string digits = d.Digits;
  digits.resize(precision, '0');
  std::string s(1, digits[0]);
  if (precision > 1) s += DecimalSeparator + digits.substr(1);
  return s + ExponentText(d.Digits.empty() ? 0 : d.Exponent - 1, expDigits, true);
}

std::string CurrencyText(const std::string& number, bool negative) {
  static const char* const kPositive[] = {"$*", "*$", "$ *", "* $"};
  static const char* const kNegative[] = {"($*)", "-$*", "$-*", "$*-", "(*$)", "-*$", "*-$", "*$-",
                                          "-* $", "-$ *", "* $-", "$ *-", "$ -*", "*- $", "($ *)", "(* $)"};
  const char* pattern = negative ? kNegative[NegCurrFormat & 15] : kPositive[CurrencyFormat & 3];
  std::string s;
  for (const char* p = pattern; *p; ++p) {
    if (*p == '$') s += CurrencyString;
    else if (*p == '*') s += number;
    else s += *p;
  }
  return s;
}

}  // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  precision = std::clamp(precision, 1, 18);
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  // Fixed forms hold at most 18 integer digits; larger values go general.
  if (format >= ffFixed && magnitude >= 1e18) format = ffGeneral;
  std::string text;
  bool zero = false;
  switch (format) {
    case ffGeneral: {
      TDecimal d = SignificantDigits(magnitude, precision);
      zero = d.Digits.empty();
      text = GeneralText(d, precision, digits);
      break;
    }
    case ffExponent: {
      TDecimal d = SignificantDigits(magnitude, precision);
      zero = d.Digits.empty();
      text = ExponentFormText(d, precision, digits);
      break;
    }
    default: {
      digits = std::clamp(digits, 0, 18);
      TDecimal d = FixedDigits(magnitude, digits);
      zero = d.Digits.empty();
      text = FixedText(d, digits, format != ffFixed);
      if (format == ffCurrency) return CurrencyText(text, negative && !zero);
      break;
    }
  }
  return negative && !zero ? "-" + text : text;
}

std::string FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

bool TryStrToFloat(const std::string& s, double& value) {
  std::string t = Trim(s);
  std::string c;  // the number in the C locale's spelling
  std::size_t i = 0;
  const std::size_t n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) c += t[i++];
  bool digits = false;
  while (i < n && t[i] >= '0' && t[i] <= '9') c += t[i++], digits = true;
  if (i < n && t[i] == DecimalSeparator) {
    c += '.';
    ++i;
    while (i < n && t[i] >= '0' && t[i] <= '9') c += t[i++], digits = true;
  }
  if (!digits) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    c += 'e';
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) c += t[i++];
    bool expDigits = false;
    while (i < n && t[i] >= '0' && t[i] <= '9') c += t[i++], expDigits = true;
    if (!expDigits) return false;
  }
  if (i != n) return false;
  char* end = nullptr;
  double v = std::strtod(c.c_str(), &end);
  if (!std::isfinite(v)) return false;
  value = v;
  return true;
}

double StrToFloat(const std::string& s) {
  double value = 0;
  if (!TryStrToFloat(s, value)) throw EConvertError(Consts::InvalidFloat, {s});
  return value;
}

double StrToFloatDef(const std::string& s, double defaultValue) {
  double value = 0;
  return TryStrToFloat(s, value) ? value : defaultValue;
}

// ---------------------------------------------------------------------------
// Format.

namespace {

class TFormatter {
 public:
  TFormatter(const std::string& format, TVarRecs args) : format_(format), args_(args.begin(), args.end()) {}

  std::string Run() {
    std::string out;
    std::size_t i = 0;
    while (i < format_.size()) {
      char c = format_[i++];
      if (c != '%') {
        out += c;
        continue;
      }
      if (i < format_.size() && format_[i] == '%') {
        out += '%';
        ++i;
        continue;
      }
      out += Specifier(i);
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const { throw EConvertError(Consts::InvalidFormat, {format_}); }

  const TVarRec& NextArg() {
    if (next_ >= args_.size()) throw EConvertError(Consts::ArgumentMissing, {format_});
    return args_[next_++];
  }

  // Digits or "*" (an integer argument); -1 when neither is there.
  int Number(std::size_t& i) {
    if (i < format_.size() && format_[i] == '*') {
      ++i;
      const auto* v = std::get_if<std::int64_t>(&NextArg().Get());
      if (!v) Invalid();
      return static_cast<int>(*v);
    }
    if (i >= format_.size() || format_[i] < '0' || format_[i] > '9') return -1;
    int n = 0;
    while (i < format_.size() && format_[i] >= '0' && format_[i] <= '9') {
      n = std::min(n * 10 + (format_[i] - '0'), 1 << 20);
      ++i;
    }
    return n;
  }

  std::string Specifier(std::size_t& i) {
    // [index ":"] ["-"] [width] ["." prec] type. A number not followed by
    // ":" was already the width.
    int width = Number(i);
    bool left = false;
    if (width >= 0 && i < format_.size() && format_[i] == ':') {
      next_ = static_cast<std::size_t>(width);
      ++i;
      width = -1;
    }
    if (width < 0) {
      if (i < format_.size() && format_[i] == '-') {
        left = true;
        ++i;
      }
      width = Number(i);
    }
    int prec = -1;
    if (i < format_.size() && format_[i] == '.') {
      ++i;
      prec = Number(i);
      if (prec < 0) prec = 0;
    }
    if (i >= format_.size()) Invalid();
    char type = static_cast<char>(format_[i++] | 0x20);
    std::string text = Convert(type, prec);
    if (width > static_cast<int>(text.size()))
      text = left ? text + std::string(width - text.size(), ' ') : std::string(width - text.size(), ' ') + text;
    return text;
  }

  std::string Convert(char type, int prec) {
    const TVarRec::Value& v = NextArg().Get();
    switch (type) {
      case 'd': case 'u': case 'x': {
        const auto* n = std::get_if<std::int64_t>(&v);
        if (!n) Invalid();
        return IntegerText(type, *n, prec);
      }
      case 'e': case 'f': case 'g': case 'n': case 'm': {
        const auto* f = std::get_if<double>(&v);
        if (!f) Invalid();
        return FloatText(type, *f, prec);
      }
      case 's':
        if (const auto* s = std::get_if<std::string>(&v)) return prec >= 0 ? s->substr(0, prec) : *s;
        if (const auto* w = std::get_if<std::wstring>(&v)) {
          std::string s = WideToAnsi(*w);
          return prec >= 0 ? s.substr(0, prec) : s;
        }
        Invalid();
      case 'p': {
        const auto* p = std::get_if<const void*>(&v);
        if (!p) Invalid();
        return IntToHex(static_cast<Int64>(reinterpret_cast<std::uintptr_t>(*p)), sizeof(void*) * 2);
      }
      default:
        Invalid();
    }
  }

  static std::string IntegerText(char type, std::int64_t n, int prec) {
    // A negative value in the 32-bit range was a 32-bit integer: %u and %x
    // show its 32-bit pattern.
    std::uint64_t u = static_cast<std::uint64_t>(n);
    if (n < 0 && n >= INT32_MIN) u = static_cast<std::uint32_t>(n);
    std::string digits;
    bool negative = false;
    if (type == 'd') {
      negative = n < 0;
      digits = std::to_string(negative ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n));
    } else if (type == 'u') {
      digits = std::to_string(u);
    } else {
      digits = IntToHex(static_cast<Int64>(u), 0);
    }
    if (prec > static_cast<int>(digits.size())) digits.insert(0, prec - digits.size(), '0');
    return negative ? "-" + digits : digits;
  }

  static std::string FloatText(char type, double f, int prec) {
    switch (type) {
      case 'e': return FloatToStrF(f, ffExponent, prec < 0 ? 15 : prec, 3);
      case 'g': return FloatToStrF(f, ffGeneral, prec < 0 ? 15 : prec, 3);
      case 'f': return FloatToStrF(f, ffFixed, 18, prec < 0 ? 2 : prec);
      case 'n': return FloatToStrF(f, ffNumber, 18, prec < 0 ? 2 : prec);
      default: return FloatToStrF(f, ffCurrency, 18, prec < 0 ? CurrencyDecimals : prec);
    }
  }

  const std::string& format_;
  std::vector<TVarRec> args_;
  std::size_t next_ = 0;
};

}  // namespace

std::string Format(const std::string& format, TVarRecs args) { return TFormatter(format, args).Run(); }
