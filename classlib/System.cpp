#include "System.hpp"

#include <cmath>
#include <cstdlib>
#include <cxxabi.h>
#include <algorithm>
#include <vector>

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


namespace {
// Started units, in start order.
std::vector<const TUnitInfo*>& StartedUnits() {
  static std::vector<const TUnitInfo*> started;
  return started;
}
}  // namespace

bool UnitInitialized(const TUnitInfo* unit) {
  auto& started = StartedUnits();
  return std::find(started.begin(), started.end(), unit) != started.end();
}

void InitializeUnits(std::initializer_list<const TUnitInfo*> units) {
  auto& started = StartedUnits();
  const std::size_t before = started.size();
  try {
    for (const TUnitInfo* unit : units) {
      if (!unit || UnitInitialized(unit)) continue;
      if (unit->Initialization) unit->Initialization();
      started.push_back(unit);
    }
  } catch (...) {
    // Undo only what this call started, newest first.
    while (started.size() > before) {
      const TUnitInfo* unit = started.back();
      started.pop_back();
      if (unit->Finalization) unit->Finalization();
    }
    throw;
  }
}

void FinalizeUnits() {
  auto& started = StartedUnits();
  while (!started.empty()) {
    // Pop before running, so a finalisation that ends the process (or calls
    // back here) never runs a unit twice.
    const TUnitInfo* unit = started.back();
    started.pop_back();
    if (unit->Finalization) unit->Finalization();
  }
}
