// Hooks through which the wizard's test program stands in for what the test
// machine cannot provide. Nothing in the shipped program sets them; while
// they are null the real values are used.
#pragma once

namespace WizardTestSeams {

// Replaces Screen.PixelsPerInch in the large-font rule of the forms.
extern int (*PixelsPerInchProc)();

}  // namespace WizardTestSeams
