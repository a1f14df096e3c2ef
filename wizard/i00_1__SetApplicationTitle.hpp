// The application's title, shown on the taskbar button of the wizard.
#pragma once

#include "System.hpp"

void SetApplicationTitle(const AnsiString& title);
