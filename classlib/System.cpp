#include "System.hpp"

#include <cmath>
#include <cstdlib>
#include <cxxabi.h>

std::string ClassNameOfType(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : type.name();
  // Drop namespaces and template arguments' qualifiers: the library's names are flat.
  auto lt = name.find('<');
  std::string head = lt == std::string::npos ? name : name.substr(0, lt);
  auto colon = head.rfind("::");
  if (colon != std::string::npos) name.erase(0, colon + 2);
  return name;
}

Int64 Round(double value) {
  // nearbyint in the default rounding mode rounds halves to even.
  return static_cast<Int64>(std::nearbyint(value));
}

Int64 Trunc(double value) { return static_cast<Int64>(std::trunc(value)); }

double Frac(double value) { return value - std::trunc(value); }
