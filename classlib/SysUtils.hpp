// The library's exceptions and free routines (files and paths, text,
// conversions, Format). Free of <windows.h>.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <variant>

#include "System.hpp"

// One argument of Format: the library's "array of const" element.
class TVarRec {
 public:
  TVarRec(int v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(long long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned long long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(double v) : value_(v) {}
  TVarRec(char v) : value_(std::string(1, v)) {}
  TVarRec(const char* v) : value_(std::string(v ? v : "")) {}
  TVarRec(const std::string& v) : value_(v) {}
  TVarRec(const wchar_t* v) : value_(std::wstring(v ? v : L"")) {}
  TVarRec(const std::wstring& v) : value_(v) {}
  TVarRec(const void* v) : value_(v) {}

  using Value = std::variant<std::int64_t, double, std::string, std::wstring, const void*>;
  const Value& Get() const { return value_; }

 private:
  Value value_;
};
using TVarRecs = std::initializer_list<TVarRec>;

// Base of every exception of the library and of the control libraries. The
// message is an 8-bit ANSI string.
class Exception : public std::exception {
 public:
  explicit Exception(const std::string& message) : message_(message) {}
  Exception(const std::string& format, TVarRecs args);
  // Message from the string table (LoadStr), optionally formatted.
  static Exception CreateRes(int ident);
  virtual ~Exception() = default;

  const std::string& Message() const { return message_; }
  void SetMessage(const std::string& message) { message_ = message; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

#define CLASSLIB_EXCEPTION(Name, Base)     \
  class Name : public Base {               \
   public:                                 \
    using Base::Base;                      \
  }

CLASSLIB_EXCEPTION(EAbort, Exception);
CLASSLIB_EXCEPTION(EConvertError, Exception);
CLASSLIB_EXCEPTION(EOutOfMemory, Exception);
CLASSLIB_EXCEPTION(EOutOfResources, Exception);
CLASSLIB_EXCEPTION(EInvalidOperation, Exception);
CLASSLIB_EXCEPTION(EInvalidPointer, Exception);
CLASSLIB_EXCEPTION(EInvalidCast, Exception);
CLASSLIB_EXCEPTION(EAssertionFailed, Exception);
CLASSLIB_EXCEPTION(EListError, Exception);
CLASSLIB_EXCEPTION(EStringListError, Exception);
CLASSLIB_EXCEPTION(EStreamError, Exception);
CLASSLIB_EXCEPTION(EFCreateError, EStreamError);
CLASSLIB_EXCEPTION(EFOpenError, EStreamError);
CLASSLIB_EXCEPTION(EFilerError, EStreamError);
CLASSLIB_EXCEPTION(EReadError, EFilerError);
CLASSLIB_EXCEPTION(EWriteError, EFilerError);
CLASSLIB_EXCEPTION(EClassNotFound, EFilerError);
CLASSLIB_EXCEPTION(EResNotFound, Exception);
CLASSLIB_EXCEPTION(EComponentError, Exception);
CLASSLIB_EXCEPTION(EThread, Exception);
CLASSLIB_EXCEPTION(ERegistryException, Exception);
CLASSLIB_EXCEPTION(EOSError, Exception);
CLASSLIB_EXCEPTION(EInOutError, Exception);

// COM failures carry their HRESULT.
class EOleError : public Exception {
 public:
  using Exception::Exception;
};
class EOleSysError : public EOleError {
 public:
  EOleSysError(const std::string& message, std::int32_t errorCode)
      : EOleError(message), ErrorCode(errorCode) {}
  std::int32_t ErrorCode;
};
