// Sums the unpacked sizes of a RAR archive and extracts it into a folder,
// with byte-level progress and cancel, through the bound RAR library.
#pragma once

#include <atomic>
#include <cstdint>

#include "System.hpp"
#include "WinApi.hpp"

class TInstallRecord;

// A method taking (file name, running total) and answering whether to go on.
class TExtractProgressEvent {
 public:
  TExtractProgressEvent() = default;
  TExtractProgressEvent(std::nullptr_t) {}
  template <class C>
  TExtractProgressEvent(C* object, bool (C::*method)(const AnsiString&, std::int32_t))
      : object_(static_cast<TObject*>(object)), method_(static_cast<Method>(method)) {}

  bool Assigned() const { return object_ != nullptr && method_ != nullptr; }
  bool operator()(const AnsiString& fileName, std::int32_t runningTotal) const {
    return (object_->*method_)(fileName, runningTotal);
  }

 private:
  using Method = bool (TObject::*)(const AnsiString&, std::int32_t);
  TObject* object_ = nullptr;
  Method method_ = nullptr;
};

// The user data handed to the library's callback for one extraction.
class TClassForCallback : public TObject {
 public:
  explicit TClassForCallback(TExtractProgressEvent event) : ProgressEvent(event) {}

  TExtractProgressEvent ProgressEvent;
  AnsiString FileName;
  std::int32_t RunningTotal = 0;
};

// The fixed password of the payload.
extern const char* const PayloadPassword;

// Listing only: total := the sum of the unpacked sizes (low 32 bits, in
// signed 32-bit arithmetic), growing as the headers are read, so that
// another thread may watch it. 0, RarNotLoaded or the library's code.
int GetArchiveUnpackedSize(const AnsiString& archive, std::atomic<std::int32_t>& total, const AnsiString& password);
int GetArchiveUnpackedSize(const AnsiString& archive, std::int32_t& total, const AnsiString& password);

// Extracts every entry under the destination folder, keeping the archive's
// relative paths, and notes each entry in the record when one is given. A
// false answer of the event ends early with 0. Never raises: a failure of
// its own (memory) is reported as the library would, ERAR_NO_MEMORY or
// ERAR_UNKNOWN, and the archive is closed on every path.
int ExtractArchive(const AnsiString& archive, const AnsiString& destination, const AnsiString& password,
                   TExtractProgressEvent event, TInstallRecord* record = nullptr);

// The library's callback; the user data is the TClassForCallback.
int CALLBACK ArchiveCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2);
