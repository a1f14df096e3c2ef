#include "i00_1__SetApplicationTitle.hpp"

#include "Forms.hpp"

void SetApplicationTitle(const AnsiString& title) { Application->SetTitle(title); }
