// One install through the worker, timed: binds the build's unrar.dll,
// installs the archive given into the folder given, and prints the unpacked
// size, the time and the throughput. Run by install-benchmark.sh.
// Usage: engine_bench.exe UNRAR_DLL ARCHIVE TARGET_FOLDER
#include <cstdio>

#include "EngineUnits.hpp"
#include "SysUtils.hpp"
#include "Thread.hpp"
#include "UnRAR.hpp"
#include "WinApi.hpp"
#include "i01_0_2__InstallData.hpp"
#include "i01_6_1__InstallThread.hpp"

namespace {

// Serves the worker's Synchronize and termination in the main thread,
// woken by the queue itself rather than by polling it.
class TBenchDriver : public TObject {
 public:
  TBenchDriver() : wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
  ~TBenchDriver() override { CloseHandle(wake_); }
  bool Finished = false;
  int Status = -1;
  std::int32_t Total = 0;
  void OnTerminate(TObject* sender) {
    auto thread = static_cast<InstallThread*>(sender);
    Status = thread->Status;
    Total = thread->TotalBytes();
    Finished = true;
  }
  void OnWake(TObject*) { SetEvent(wake_); }
  void Serve() {
    while (!Finished) {
      WaitForSingleObject(wake_, INFINITE);
      CheckSynchronize();
    }
  }

 private:
  HANDLE wake_;
};

}  // namespace

int main() {
  InitializeEngineUnits();
  if (ParamCount() < 3) {
    std::fprintf(stderr, "usage: engine_bench UNRAR_DLL ARCHIVE TARGET_FOLDER\n");
    return 2;
  }
  LoadUnRarLibrary(ParamStr(1));
  if (!UnRarLoaded) {
    std::fprintf(stderr, "unrar.dll not bound\n");
    return 2;
  }
  ArchivePath = ParamStr(2);
  InstallSettings = new TInstallData();
  InstallSettings->TargetFolder = ParamStr(3);

  TBenchDriver driver;
  WakeMainThread = TNotifyEvent(&driver, &TBenchDriver::OnWake);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  InstallThread* thread = new InstallThread(true);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = TNotifyEvent(&driver, &TBenchDriver::OnTerminate);
  thread->Resume();
  driver.Serve();
  QueryPerformanceCounter(&end);
  WakeMainThread = nullptr;
  double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  double mib = double(std::uint32_t(driver.Total)) / (1024.0 * 1024.0);
  std::printf("status %d\nunpacked %.1f MiB\nseconds %.3f\nMiB/s %.1f\n", driver.Status, mib, seconds, mib / seconds);
  FreeAndNil(InstallSettings);
  FinalizeUnits();
  return driver.Status == 0 ? 0 : 1;
}
