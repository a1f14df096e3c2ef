// Message boxes.
#include "Dialogs.hpp"

#include "Forms.hpp"

unsigned MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons) {
  static const unsigned kIcons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  unsigned flags = kIcons[type];
  auto has = [&](TMsgDlgBtn b) { return buttons.Contains(b); };
  if (has(mbAbort) && has(mbRetry) && has(mbIgnore)) flags |= MB_ABORTRETRYIGNORE;
  else if (has(mbYes) && has(mbNo) && has(mbCancel)) flags |= MB_YESNOCANCEL;
  else if (has(mbYes) && has(mbNo)) flags |= MB_YESNO;
  else if (has(mbRetry) && has(mbCancel)) flags |= MB_RETRYCANCEL;
  else if (has(mbOK) && has(mbCancel)) flags |= MB_OKCANCEL;
  else flags |= MB_OK;
  return flags;
}

int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  return Application->MessageBox(msg, Application->Title(), MessageDlgFlags(type, buttons));
}

void ShowMessage(const std::string& msg) { MessageDlg(msg, mtCustom, {mbOK}); }
