#include "Variants.hpp"

#include <cmath>
#include <limits>

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

bool DoubleFromText(const AnsiString& s, double& value) { return TryStrToFloat(s, value); }

bool IntegerFromDouble(double d, std::int32_t& value) {
  double r = static_cast<double>(Round(d));
  if (!std::isfinite(d) || r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
    return false;
  value = static_cast<std::int32_t>(r);
  return true;
}

bool CurrencyFromDouble(double d, Int64& value) {
  double scaled = d * 10000.0;
  // The largest count of ten-thousandths a 64-bit integer holds.
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18) return false;
  value = Round(scaled);
  return true;
}

}  // namespace

std::string VarTypeName(TVarType type) {
  switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varInteger: return "Integer";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varBoolean: return "Boolean";
    case varInt64: return "Int64";
    case varString: return "String";
  }
  return "Unknown";
}

TVarType Variant::VarType() const {
  static constexpr TVarType kTypes[] = {varEmpty,    varNull, varInteger, varInt64,  varDouble,
                                        varBoolean,  varCurrency, varDate, varString, varOleStr};
  return kTypes[value_.index()];
}

void Variant::ConvertError(TVarType to) const {
  throw EVariantError("Could not convert variant of type (" + VarTypeName(VarType()) + ") into type (" +
                      VarTypeName(to) + ")");
}

double Variant::AsDouble() const {
  double result = 0;
  bool ok = std::visit(
      Overloaded{[&](std::int32_t v) { result = v; return true; },
                 [&](Int64 v) { result = static_cast<double>(v); return true; },
                 [&](double v) { result = v; return true; },
                 [&](bool v) { result = v ? -1 : 0; return true; },
                 [&](TVariantCurrency v) { result = static_cast<double>(v.TenThousandths) / 10000.0; return true; },
                 [&](TVariantDate v) { result = v.Value; return true; },
                 [&](const AnsiString& v) { return DoubleFromText(v, result); },
                 [&](const WideString& v) { return DoubleFromText(WideToAnsi(v), result); },
                 [&](const auto&) { return false; }},
      value_);
  if (!ok) ConvertError(varDouble);
  return result;
}

std::int32_t Variant::AsInteger() const {
  if (const auto* v = std::get_if<std::int32_t>(&value_)) return *v;
  if (const auto* v = std::get_if<bool>(&value_)) return *v ? -1 : 0;
  if (const auto* v = std::get_if<AnsiString>(&value_)) {
    int value = 0;
    if (TryStrToInt(*v, value)) return value;
  } else if (const auto* w = std::get_if<WideString>(&value_)) {
    int value = 0;
    if (TryStrToInt(WideToAnsi(*w), value)) return value;
  } else if (!IsEmpty() && !IsNull()) {
    std::int32_t value = 0;
    if (IntegerFromDouble(AsDouble(), value)) return value;
  }
  ConvertError(varInteger);
}

bool Variant::AsBoolean() const {
  if (const auto* v = std::get_if<bool>(&value_)) return *v;
  if (const auto* v = std::get_if<AnsiString>(&value_)) {
    if (SameText(*v, "True")) return true;
    if (SameText(*v, "False")) return false;
  } else if (const auto* w = std::get_if<WideString>(&value_)) {
    return Variant(WideToAnsi(*w)).AsBoolean();
  }
  if (IsEmpty() || IsNull()) ConvertError(varBoolean);
  double d = 0;
  try {
    d = AsDouble();
  } catch (const EVariantError&) {
    ConvertError(varBoolean);
  }
  return d != 0;
}

Int64 Variant::AsCurrency() const {
  if (const auto* v = std::get_if<TVariantCurrency>(&value_)) return v->TenThousandths;
  if (const auto* v = std::get_if<Int64>(&value_)) {
    if (*v > std::numeric_limits<Int64>::max() / 10000 || *v < std::numeric_limits<Int64>::min() / 10000)
      ConvertError(varCurrency);
    return *v * 10000;
  }
  if (IsEmpty() || IsNull()) ConvertError(varCurrency);
  double d = 0;
  try {
    d = AsDouble();
  } catch (const EVariantError&) {
    ConvertError(varCurrency);
  }
  Int64 value = 0;
  if (!CurrencyFromDouble(d, value)) ConvertError(varCurrency);
  return value;
}

AnsiString Variant::AsString() const {
  return std::visit(
      Overloaded{[](std::monostate) { return AnsiString(); },
                 [](TVariantNull) { return AnsiString(); },
                 [](std::int32_t v) { return IntToStr(v); },
                 [](Int64 v) { return IntToStr(v); },
                 [](double v) { return FloatToStr(v); },
                 [](bool v) { return AnsiString(v ? "True" : "False"); },
                 [](TVariantCurrency v) { return FloatToStr(static_cast<double>(v.TenThousandths) / 10000.0); },
                 [](TVariantDate v) { return FloatToStr(v.Value); },
                 [](const AnsiString& v) { return v; },
                 [](const WideString& v) { return WideToAnsi(v); }},
      value_);
}

WideString Variant::AsWideString() const {
  if (const auto* w = std::get_if<WideString>(&value_)) return *w;
  return AnsiToWide(AsString());
}
