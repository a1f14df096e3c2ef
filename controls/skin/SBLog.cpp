#include "SBLog.hpp"

namespace {
TStringList* g_clickLog = nullptr;

void InitLog() { g_clickLog = new TStringList(); }
void DoneLog() { FreeAndNil(g_clickLog); }
}  // namespace

const TUnitInfo SBLogUnit{"SBLog", &InitLog, &DoneLog};

TStringList* ClickLog() { return g_clickLog; }

void AddLogLine(const std::string& line) {
  if (!g_clickLog) return;
  g_clickLog->Add(line);
  while (g_clickLog->Count() > ClickLogLimit) g_clickLog->Delete(0);
}
