// The library's Variant: a value whose type is decided at run time (empty,
// null, integer, floating, currency, date, Boolean or string), with the
// conversions between those types. Free of <windows.h>.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "SysUtils.hpp"
#include "System.hpp"

CLASSLIB_EXCEPTION(EVariantError, Exception);

// The type codes of a variant (the numbers of the platform's VARIANT).
enum TVarType : Word {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varInteger = 0x0003,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varBoolean = 0x000B,
  varInt64 = 0x0014,
  varString = 0x0100,
};

// A currency amount as the variant carries it: a count of ten-thousandths.
struct TVariantCurrency {
  Int64 TenThousandths = 0;
};
// A date and time: whole days since 30 December 1899 plus the fraction of
// the day.
struct TVariantDate {
  double Value = 0;
};
struct TVariantNull {};

class Variant {
 public:
  Variant() = default;
  Variant(int value) : value_(static_cast<std::int32_t>(value)) {}
  Variant(Int64 value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(bool value) : value_(value) {}
  Variant(const char* value) : value_(AnsiString(value ? value : "")) {}
  Variant(const AnsiString& value) : value_(value) {}
  Variant(const wchar_t* value) : value_(WideString(value ? value : L"")) {}
  Variant(const WideString& value) : value_(value) {}
  Variant(TVariantCurrency value) : value_(value) {}
  Variant(TVariantDate value) : value_(value) {}
  Variant(TVariantNull value) : value_(value) {}

  TVarType VarType() const;
  bool IsEmpty() const { return value_.index() == 0; }
  bool IsNull() const { return std::holds_alternative<TVariantNull>(value_); }
  void Clear() { value_ = std::monostate(); }

  // The conversions raise EVariantError "Could not convert variant of type
  // (<from>) into type (<to>)" when the value does not convert: empty and
  // null convert to nothing but strings (empty), and a string converts to a
  // number only when the whole text is one.
  std::int32_t AsInteger() const;
  double AsDouble() const;
  bool AsBoolean() const;
  // Rounded to ten-thousandths.
  Int64 AsCurrency() const;
  AnsiString AsString() const;
  WideString AsWideString() const;

 private:
  using Value = std::variant<std::monostate, TVariantNull, std::int32_t, Int64, double, bool, TVariantCurrency,
                             TVariantDate, AnsiString, WideString>;
  [[noreturn]] void ConvertError(TVarType to) const;
  Value value_;
};

// The name of a type code as the conversion errors spell it ("Integer").
std::string VarTypeName(TVarType type);
