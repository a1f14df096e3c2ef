// Sums the unpacked sizes of a RAR archive and extracts it into a folder,
// with byte-level progress and cancel, through the bound RAR library.
#pragma once

#include <cstdint>
#include <vector>

#include "System.hpp"
#include "WinApi.hpp"

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

// Paths that an extraction created, in the order it created them: every
// folder and file that did not exist before the entry naming it was
// extracted. Entries already present are not listed, so a rollback that
// removes exactly these leaves whatever the folder held before.
using TCreatedPaths = std::vector<AnsiString>;

// Listing only: total := the sum of the unpacked sizes (low 32 bits, in
// signed 32-bit arithmetic). 0, RarNotLoaded or the library's code.
int GetArchiveUnpackedSize(const AnsiString& archive, std::int32_t& total, const AnsiString& password);

// Extracts every entry under the destination folder, keeping the archive's
// relative paths. A false answer of the event ends early with 0.
int ExtractArchive(const AnsiString& archive, const AnsiString& destination, const AnsiString& password,
                   TExtractProgressEvent event, TCreatedPaths* created = nullptr);

// The library's callback; the user data is the TClassForCallback.
int CALLBACK ArchiveCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2);
