// The worker that performs one install: extracts the payload, writes the
// uninstall entry, the product path and the file association, and has the
// main thread create the shortcuts. It ends with a status code.
#pragma once

#include <atomic>
#include <cstdint>

#include "Thread.hpp"

enum TInstallStatus : Byte {
  isSuccess = 0,
  isCancelled = 1,
  isArchiveMissing = 4,
  isScanFailed = 5,
  isExtractFailed = 6,
};

class InstallThread : public TThread {
 public:
  using TThread::TThread;

  // Written by the worker as aligned 32-bit stores and read by the page's
  // timer without a lock; read them through these, which load atomically.
  std::int32_t BytesDoneNow() const { return std::atomic_ref(const_cast<std::int32_t&>(BytesDone)).load(std::memory_order_relaxed); }
  std::int32_t TotalBytesNow() const { return std::atomic_ref(const_cast<std::int32_t&>(TotalBytes)).load(std::memory_order_relaxed); }

  alignas(4) std::int32_t BytesDone = 0;
  alignas(4) std::int32_t TotalBytes = 0;
  TInstallStatus Status = isSuccess;
  std::int32_t RarError = 0;

  // The extraction's progress event: records the running total and answers
  // whether to go on.
  bool OnExtractProgress(const AnsiString& fileName, std::int32_t runningTotal);

 protected:
  void Execute() override;

 private:
  TInstallStatus ExtractPayload();
  void WriteUninstallEntry();
  void WriteProductPath();
  void RegisterArchiveType();
  void CreateShortcuts();
};
