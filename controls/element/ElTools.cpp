#include "ElTools.hpp"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "WinApi.hpp"
// COM's GUID routines; the lean Windows header leaves them out.
#include <objbase.h>

// ---------------------------------------------------------------- stream strings

namespace {

std::int32_t LengthToStream(std::size_t length) {
  return length > static_cast<std::size_t>(INT32_MAX) ? -1 : static_cast<std::int32_t>(length);
}

bool WriteCounted(TStream* stream, std::int32_t count, const void* data, std::int32_t bytes) {
  if (count < 0) return false;  // a string too long for the format is not written at all
  try {
    stream->WriteBuffer(&count, sizeof count);
    if (bytes > 0) stream->WriteBuffer(data, bytes);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Reads the string after its length header, raising on every failure: a
// negative length, and whatever the stream raises when it ends early. The
// text grows by blocks as its bytes arrive, so a damaged length costs no
// more memory than the stream really holds.
template <class String>
String ReadCountedOrRaise(TStream* stream) {
  using Unit = typename String::value_type;
  std::int32_t count = 0;
  stream->ReadBuffer(&count, sizeof count);
  if (count < 0) throw EReadError("Invalid string header read from the stream");
  constexpr std::int32_t kBlockUnits = 1 << 16;
  String text;
  for (std::int32_t done = 0; done < count;) {
    const std::int32_t part = std::min(count - done, kBlockUnits);
    text.resize(static_cast<std::size_t>(done + part));
    stream->ReadBuffer(text.data() + done, part * static_cast<std::int32_t>(sizeof(Unit)));
    done += part;
  }
  return text;
}

template <class String>
bool ReadCounted(TStream* stream, String& s) {
  try {
    s = ReadCountedOrRaise<String>(stream);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool WriteStringToStream(TStream* stream, const AnsiString& s) {
  std::int32_t n = LengthToStream(s.size());
  return WriteCounted(stream, n, s.data(), n);
}

bool ReadStringFromStream(TStream* stream, AnsiString& s) { return ReadCounted(stream, s); }

bool WriteWideStringToStream(TStream* stream, const TElFString& s) {
  static_assert(sizeof(wchar_t) == 2, "stream strings carry UTF-16 code units");
  // The byte count must fit a signed 32-bit size as well.
  std::int32_t n = s.size() > static_cast<std::size_t>(INT32_MAX / 2) ? -1 : LengthToStream(s.size());
  return WriteCounted(stream, n, s.data(), n * 2);
}

bool ReadWideStringFromStream(TStream* stream, TElFString& s) { return ReadCounted(stream, s); }

AnsiString ReadStreamString(TStream* stream) { return ReadCountedOrRaise<AnsiString>(stream); }

TElFString ReadWideStreamString(TStream* stream) {
  return ReadCountedOrRaise<TElFString>(stream);
}

bool LoadWideStringFromStream(TStream* stream, TElFString& s) {
  if (ReadWideStringFromStream(stream, s)) return true;
  s.clear();
  return false;
}

// ---------------------------------------------------------------- hex data text

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr char kHexSignature[] = "454C";

// The next blank-terminated token from Pos; without a blank the rest of the
// text is the last token.
AnsiString NextToken(const AnsiString& s, std::size_t& pos, bool& last) {
  std::size_t blank = s.find(' ', pos);
  last = blank == AnsiString::npos;
  AnsiString token = s.substr(pos, last ? AnsiString::npos : blank - pos);
  pos = last ? s.size() : blank + 1;
  return token;
}

}  // namespace

void DataToHexString(const void* buffer, std::int32_t size, AnsiString& s) {
  char head[16];
  std::snprintf(head, sizeof head, "%X ", static_cast<unsigned>(size < 0 ? 0 : size));
  s = AnsiString(kHexSignature) + " " + head;
  const auto* bytes = static_cast<const Byte*>(buffer);
  s.reserve(s.size() + static_cast<std::size_t>(size > 0 ? size : 0) * 3);
  for (std::int32_t i = 0; i < size; ++i) {
    s += kHexDigits[bytes[i] >> 4];
    s += kHexDigits[bytes[i] & 15];
    s += ' ';
  }
}

bool HexStringToData(const AnsiString& s, std::vector<Byte>& buffer, std::int32_t& size) {
  size = -1;
  buffer.clear();
  if (s.compare(0, 4, kHexSignature) != 0) return false;
  std::size_t pos = 5;
  if (pos > s.size()) return false;
  std::size_t blank = s.find(' ', pos);
  if (blank == AnsiString::npos || blank == pos) return false;
  std::int32_t count = 0;
  try {
    count = HexToInt(s.substr(pos, blank - pos));
  } catch (const EConvertError&) {
    return false;
  }
  pos = blank + 1;
  // Every byte needs at least one digit and all but the last a blank: a
  // count the rest of the text cannot fill is a damaged header.
  if (count < 0 || static_cast<std::size_t>(count) > (s.size() - pos + 1) / 2) return false;
  buffer.assign(static_cast<std::size_t>(count), 0);
  size = count;
  bool last = false;
  for (std::int32_t i = 0; i < count; ++i) {
    if (last) return false;
    try {
      buffer[static_cast<std::size_t>(i)] = static_cast<Byte>(HexToInt(NextToken(s, pos, last)) & 0xFF);
    } catch (const EConvertError&) {
      return false;
    }
  }
  return true;
}

void WriteTextLine(TStream* stream, const AnsiString& s) {
  static const AnsiString crlf = "\r\n";
  bool ends = s.size() >= 2 && s.compare(s.size() - 2, 2, crlf) == 0;
  AnsiString line = ends ? s : s + crlf;
  stream->WriteBuffer(line.data(), static_cast<std::int32_t>(line.size()));
}

// ---------------------------------------------------------------- dotted pair

TElDottedPair MakeDottedPair(std::int32_t first, std::int32_t second) {
  return static_cast<TElDottedPair>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(second)) << 32) |
                                    static_cast<std::uint32_t>(first));
}

std::int32_t DottedPairFirst(TElDottedPair pair) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(pair)));
}

std::int32_t DottedPairSecond(TElDottedPair pair) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(pair) >> 32));
}

void ParseDottedPair(const AnsiString& s, int& code, TElDottedPair& pair) {
  std::size_t dot = s.find('.');
  int p = dot == AnsiString::npos ? 0 : static_cast<int>(dot) + 1;
  if (p < 2 || p >= static_cast<int>(s.size())) {
    code = p == 0 ? -1 : p;
    return;
  }
  int first = 0, second = 0;
  Val(s.substr(0, dot), first, code);
  if (code != 0) return;
  Val(s.substr(dot + 1), second, code);
  if (code != 0) {
    code += p;
    return;
  }
  pair = MakeDottedPair(first, second);
}

void FormatDottedPair(AnsiString& s, TElDottedPair pair) {
  s = std::to_string(DottedPairFirst(pair)) + "." + std::to_string(DottedPairSecond(pair));
}

// ---------------------------------------------------------------- files and geometry

void TempFileNameFromGUID(const AnsiString& folder, AnsiString& s) {
  AnsiString path = folder;
  if (path.empty()) {
    char temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, temp);
    path.assign(temp, n <= MAX_PATH ? n : 0);
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
  }
  GUID guid{};
  CoCreateGuid(&guid);
  wchar_t text[64] = {};
  int n = StringFromGUID2(guid, text, 64);
  // The text is "{...}" plus a terminator; only the part between the braces is kept.
  for (int i = 1; i + 2 < n; ++i) path += static_cast<char>(text[i]);
  CharLowerBuffA(path.data(), static_cast<DWORD>(path.size()));
  s = path;
}

void CenterRects(std::int32_t innerW, std::int32_t outerW, std::int32_t innerH,
                 std::int32_t outerH, tagRECT& r) {
  r.left = Max(outerW / 2 - innerW / 2, 0);
  r.right = Min(r.left + innerW - 1, r.left + outerW - 1);
  r.top = Max(outerH / 2 - innerH / 2, 0);
  r.bottom = Min(r.top + innerH - 1, r.top + outerH - 1);
}

std::int32_t Sign(std::int32_t x) { return x < 0 ? -1 : (x > 0 ? 1 : 0); }
bool InRange(std::int32_t lo, std::int32_t hi, std::int32_t value) { return lo <= value && value <= hi; }
std::int32_t Max(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
std::int32_t Min(std::int32_t a, std::int32_t b) { return a < b ? a : b; }

std::uint32_t ByteSwap32(std::uint32_t x) {
  return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

// ---------------------------------------------------------------- start-up

bool IsWinNT = false;
bool IsWinNTUp = false;
bool IsWin98Up = false;
bool IsWinXPUp = false;
TElMessagePump* ElMessagePump = nullptr;

bool TElMessagePump::ProcessMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  // A quit message is taken off the queue and dropped: the pump runs inside
  // long operations and must not end the program's loop on its own.
  if (msg.message != WM_QUIT) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TElMessagePump::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

namespace {

void ComputeSystemFlags() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return;
  IsWinNT = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  IsWinNTUp = IsWinNT;
  IsWin98Up = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMinorVersion != 0;
  IsWinXPUp = IsWinNT && info.dwMajorVersion > 4 && info.dwMinorVersion != 0;
}

void InitElTools() {
  ComputeSystemFlags();
  ElMessagePump = new TElMessagePump();
}

void DoneElTools() { FreeAndNil(ElMessagePump); }

}  // namespace

const TUnitInfo ElToolsUnit = {"ElTools", &InitElTools, &DoneElTools};
