// Shared pieces of the wizard's tests: the host window made once, a scratch
// folder with copies of the payload and the RAR library, message pumping
// and page texts.
#pragma once

#include <string>

#include "Forms.hpp"
#include "SysUtils.hpp"

namespace wizardtest {

inline void PumpMessages(int rounds = 3) {
  for (int i = 0; i < rounds; ++i) {
    Application->ProcessMessages();
    Application->DoIdle();
  }
}

// A UTF-8 literal as the ANSI text the program's strings are.
AnsiString Ansi(const char* utf8);
// A fresh empty folder under the temporary folder, with a trailing
// backslash; removed with its files by the destructor.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const AnsiString& Path() const { return path_; }
  // Copies a file of the build into the folder under the name.
  void Copy(const AnsiString& source, const AnsiString& name) const;

 private:
  AnsiString path_;
};

// Releases the RAR library again, so that the next start-up binds it anew.
void UnbindRarLibrary();
// Frees every page form (every form but the hosts) at once.
void FreePages();

}  // namespace wizardtest
