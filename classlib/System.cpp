#include "System.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

namespace {
// Reads the last name of a mangled class type (the Itanium C++ ABI's form, as
// typeid gives it): "7TButton", "N5Forms7TButtonE", "N12_GLOBAL__N_14TFooE",
// a class local to a function "Z<function>E<name>[_<n>]". The program's
// classes are flat Pascal-like names; a template instance, or anything this
// reader does not know, is not one.
class TTypeNameReader {
 public:
  explicit TTypeNameReader(const char* text) : p_(text) {}

  bool ReadClassName(std::string& out) {
    if (!Name(out)) return false;
    while (*p_ == '_') ++p_;  // a local class's discriminator
    while (*p_ >= '0' && *p_ <= '9') ++p_;
    return *p_ == '\0' && !template_;
  }

 private:
  // Steps over c, never over the end of the text.
  bool Skip(char c) {
    if (*p_ != c) return false;
    ++p_;
    return true;
  }

  bool SourceName(std::string& out) {
    if (*p_ < '0' || *p_ > '9') return false;
    std::size_t length = 0;
    while (*p_ >= '0' && *p_ <= '9') {
      length = length * 10 + std::size_t(*p_++ - '0');
      if (length > 4096) return false;
    }
    for (std::size_t i = 0; i < length; ++i)
      if (p_[i] == '\0') return false;
    out.assign(p_, length);
    p_ += length;
    return true;
  }

  // S_, S<base 36>_ and the standard abbreviations.
  bool Substitution() {
    if (*p_ != 'S') return false;
    ++p_;
    if (*p_ && std::strchr("tabsiod", *p_)) {
      ++p_;
      return true;
    }
    while ((*p_ >= '0' && *p_ <= '9') || (*p_ >= 'A' && *p_ <= 'Z')) ++p_;
    return Skip('_');
  }

  bool Name(std::string& out) {
    template_ = false;
    if (*p_ == 'N') {
      ++p_;
      while (*p_ == 'r' || *p_ == 'V' || *p_ == 'K') ++p_;
      if (*p_ == 'R' || *p_ == 'O') ++p_;
      bool any = false;
      while (*p_ != 'E') {
        if (*p_ == 'I') {
          if (!TemplateArgs()) return false;
          template_ = true;
        } else if (*p_ == 'S') {
          if (!Substitution()) return false;
          template_ = false;
        } else if (SourceName(out)) {
          template_ = false;
          any = true;
        } else {
          return false;
        }
      }
      ++p_;
      return any;
    }
    if (*p_ == 'Z') {
      ++p_;
      std::string function;
      if (!Name(function) || !BareFunctionType() || !Skip('E')) return false;
      return Name(out);
    }
    if (p_[0] == 'S' && p_[1] == 't') p_ += 2;
    if (!SourceName(out)) return false;
    if (*p_ == 'I') {
      if (!TemplateArgs()) return false;
      template_ = true;
    }
    return true;
  }

  bool TemplateArgs() {
    ++p_;  // I
    while (*p_ != 'E') {
      if (*p_ == 'L') {  // a literal: L<type><value>E
        while (*p_ && *p_ != 'E') ++p_;
        if (!Skip('E')) return false;
      } else if (!Type()) {
        return false;
      }
    }
    ++p_;
    return true;
  }

  // The parameter types of a function, up to the E that ends it.
  bool BareFunctionType() {
    if (*p_ == 'I' && !TemplateArgs()) return false;
    do {
      if (!Type()) return false;
    } while (*p_ != 'E' && *p_ != '\0');
    return *p_ == 'E';
  }

  bool Type() {
    char c = *p_;
    if (c == '\0') return false;
    if (std::strchr("vwbcahstijlmxynofdegz", c)) {
      ++p_;
      return true;
    }
    if (std::strchr("PRKVO", c)) {
      ++p_;
      return Type();
    }
    if (c == 'S' && p_[1] != 't') {
      if (!Substitution()) return false;
      return *p_ != 'I' || TemplateArgs();
    }
    if (c == 'F') {
      ++p_;
      if (!Type()) return false;
      while (*p_ != 'E')
        if (!Type()) return false;
      ++p_;
      return true;
    }
    if (c == 'A') {
      ++p_;
      while (*p_ >= '0' && *p_ <= '9') ++p_;
      return Skip('_') && Type();
    }
    if (c == 'D' && p_[1] && std::strchr("nsidfau", p_[1])) {
      p_ += 2;
      return true;
    }
    bool outer = template_;
    std::string ignored;
    bool ok = Name(ignored);
    template_ = outer;
    return ok;
  }

  const char* p_;
  bool template_ = false;
};
}  // namespace

std::string ClassNameOfType(const std::type_info& type) {
  const char* mangled = type.name();
  if (*mangled == '*') ++mangled;  // a type local to its unit
  std::string name;
  if (TTypeNameReader(mangled).ReadClassName(name)) return name;
  return mangled;
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
