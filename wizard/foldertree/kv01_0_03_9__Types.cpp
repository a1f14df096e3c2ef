#include "kv01_0_03_9__Types.hpp"

static TCustomizeFunctions* customizeFunctions = nullptr;

TCustomizeFunctions* GetCustomizeFunctions() {
  if (!customizeFunctions) customizeFunctions = new TCustomizeFunctions(nullptr);
  return customizeFunctions;
}

void FreeCustomizeFunctions() {
  delete customizeFunctions;
  customizeFunctions = nullptr;
}
