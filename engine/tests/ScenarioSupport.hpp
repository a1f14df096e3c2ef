// Support of the engine's scenarios, each run in a fresh Wine prefix: one
// install through the worker with the main thread serving its Synchronize
// calls, the rollback as the Installing page runs it, the checks of what an
// install leaves, and the uninstaller's message boxes.
#pragma once

#include <functional>
#include <vector>

#include "EngineTestSupport.hpp"
#include "i01_6_1__InstallThread.hpp"

namespace enginetest {

// Where the worker should be cancelled.
enum class TCancel { Never, DuringListing, DuringExtraction, AfterLastStep };

struct TInstallRun {
  bool Finished = false;
  TInstallStatus Status = isSuccess;
  std::int32_t RarError = 0;
  std::int32_t TotalBytes = 0;
  std::int32_t BytesDone = 0;
  std::int32_t BytesDoneAtCancel = -1;
  std::int32_t TotalBytesAtCancel = -1;
  bool Cancelled = false;
  // The target folder as the termination handler saw it, before any rollback.
  std::vector<AnsiString> TargetAtEnd;
  // What the install created, as the worker handed it over.
  std::vector<AnsiString> CreatedPaths;
};

// Binds the build's unrar.dll and makes the settings object.
void PrepareEngine(const AnsiString& archive);
TInstallRun RunInstall(TCancel cancel = TCancel::Never);
// The Installing page's rollback: menu folder and desktop shortcut, what
// the install created, the keys.
void Rollback(const TInstallRun& run);

// The archive of the build's demo payload.
AnsiString DemoPayload();
// The default target: Program Files\Kestrum\Lumbrix 2008.
AnsiString DefaultTarget();
AnsiString ProgramsFolderOf(bool win9x);
AnsiString StartMenuProductFolder(bool win9x);

// What the user had before the install: files with Cyrillic names and a
// folder of their own in the target folder, another product in the maker
// folder, another entry in the Start-menu maker folder, a shortcut of their
// own in the product's Start-menu folder and another product's key under
// the maker key.
void PlaceUsersOwnThings(bool win9x = false);
// The user's files and folders in the target, as ListTree gives them.
std::vector<AnsiString> UsersOwnFiles();
void ExpectUsersOwnThingsKept(bool win9x = false);
// Nothing of the install is left: files, folders, shortcuts and keys. With
// `usersThings` the maker folders and key stay because of them.
void ExpectNothingOfTheInstallLeft(bool usersThings, bool win9x = false);

// A message box of another process, found by caption.
struct TMessageBox {
  HWND Window = nullptr;
  AnsiString Text;
  DWORD ProcessId = 0;
  std::wstring CommandLine;  // of the process that shows it
};
TMessageBox WaitForMessageBox(const AnsiString& caption, DWORD timeoutMs = 60000);
void CloseMessageBox(const TMessageBox& box);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Waits for another process to end; true when it has (or was gone already).
bool WaitForProcessEnd(DWORD processId, DWORD timeoutMs);

// Watches from a thread of its own for a process of the given program name
// and keeps the command line of the first one it sees.
class TProcessWatch {
 public:
  explicit TProcessWatch(const AnsiString& exeName);
  ~TProcessWatch();
  TProcessWatch(const TProcessWatch&) = delete;
  TProcessWatch& operator=(const TProcessWatch&) = delete;
  // Stops watching and returns what was seen (empty when nothing was).
  std::wstring Stop();

 private:
  static DWORD WINAPI Watch(void* self);
  AnsiString exeName_;
  std::wstring seen_;
  volatile LONG stop_ = 0;
  HANDLE thread_ = nullptr;
};

}  // namespace enginetest
