// A library that lies beside the test program and nowhere in the system
// folder: a program that loads the visual-styles library by bare name
// would load one planted there.
#include "WinApi.hpp"

extern "C" __declspec(dllexport) int WINAPI PlantedLibraryMark() { return 1; }
