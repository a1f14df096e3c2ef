// Message boxes with the application's title.
#pragma once

#include <string>

#include "System.hpp"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// Result codes, as MessageBox answers them.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
              mrYes = 6, mrNo = 7;

// Shows the message in a system message box titled with Application's title;
// returns the mr* code of the button pressed. The buttons map to the nearest
// standard set (OK, OK/Cancel, Yes/No, Yes/No/Cancel, Retry/Cancel,
// Abort/Retry/Ignore).
int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0);
void ShowMessage(const std::string& msg);
// The MessageBox flags MessageDlg uses, for tests and for callers that build
// their own box.
unsigned MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons);
