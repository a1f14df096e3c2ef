// The worker that performs one install: extracts the payload, writes the
// uninstall entry, the product path and the file association, and has the
// main thread create the shortcuts. It ends with a status code.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "InstallRecord.hpp"
#include "Thread.hpp"

enum TInstallStatus : Byte {
  isSuccess = 0,
  isCancelled = 1,
  isArchiveMissing = 4,
  isScanFailed = 5,
  isExtractFailed = 6,
  // A step other than the archive's could not be completed: a step raised
  // (the shortcuts could not be made, memory ran out) or the list of
  // installed files could not be written. The install is rolled back.
  isStepFailed = 7,
  // The target folder cannot be handed to the RAR library as it is named
  // (TargetFolderFitsOemCodePage); nothing was done.
  isTargetRefused = 8,
};

class InstallThread : public TThread {
 public:
  using TThread::TThread;

  // The progress counters: written by the worker, read by the page's timer
  // while it runs.
  std::int32_t BytesDone() const { return bytesDone_.load(std::memory_order_relaxed); }
  std::int32_t TotalBytes() const { return totalBytes_.load(std::memory_order_relaxed); }

  // Final once the worker has ended (read them in OnTerminate).
  TInstallStatus Status = isSuccess;
  std::int32_t RarError = 0;
  // What this install created, oldest first, for the rollback.
  const std::vector<AnsiString>& CreatedPaths() const { return record_.CreatedPaths(); }

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

  std::atomic<std::int32_t> bytesDone_{0};
  std::atomic<std::int32_t> totalBytes_{0};
  TInstallRecord record_;
};
