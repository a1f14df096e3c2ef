// Tool routines of the control library: integer helpers, the length-prefixed
// stream strings of the header-section and tree-item streams, the hex data
// text of the ini storage, a text-line writer, a dotted integer pair, a
// temporary file name, rectangle centring, the keyboard shift state, the
// operating-system flags and a message pump.
#pragma once

#include <cstdint>
#include <vector>

#include "Classes.hpp"
#include "ElStrUtils.hpp"
#include "System.hpp"

struct tagRECT;

// ---- stream strings: a signed 32-bit little-endian length (bytes for ANSI,
// code units for UTF-16), then the data without a terminator. The readers
// report every failure by False and leave S unchanged; the writers never
// raise.
bool WriteStringToStream(TStream* stream, const AnsiString& s);
bool ReadStringFromStream(TStream* stream, AnsiString& s);
bool WriteWideStringToStream(TStream* stream, const TElFString& s);
bool ReadWideStringFromStream(TStream* stream, TElFString& s);
// As ReadWideStringFromStream, but S becomes empty on failure.
bool LoadWideStringFromStream(TStream* stream, TElFString& s);
// The same stream strings for readers that raise: EReadError "Invalid
// string header read from the stream" on a negative length, and the
// stream's own read error when it ends before the string does.
AnsiString ReadStreamString(TStream* stream);
TElFString ReadWideStreamString(TStream* stream);

// ---- hex data text: "454C ", the byte count in hexadecimal, a blank, then
// each byte as two hexadecimal digits and a blank.
void DataToHexString(const void* buffer, std::int32_t size, AnsiString& s);
// Size -1 and an empty buffer when the header is bad; otherwise Size is the
// announced count and the buffer holds what could be read, even on failure.
bool HexStringToData(const AnsiString& s, std::vector<Byte>& buffer, std::int32_t& size);

// Writes S and a CR LF unless S already ends with one.
void WriteTextLine(TStream* stream, const AnsiString& s);

// ---- dotted pair: First in the low half, Second in the high half.
using TElDottedPair = Int64;
// Code 0 on success; else the position of the problem (-1 when there is no
// dot).
void ParseDottedPair(const AnsiString& s, int& code, TElDottedPair& pair);
void FormatDottedPair(AnsiString& s, TElDottedPair pair);
TElDottedPair MakeDottedPair(std::int32_t first, std::int32_t second);
std::int32_t DottedPairFirst(TElDottedPair pair);
std::int32_t DottedPairSecond(TElDottedPair pair);

// A new file name from a GUID in Folder (or the temporary folder when it is
// empty), lower-cased; no file is created.
void TempFileNameFromGUID(const AnsiString& folder, AnsiString& s);

// Centres an Inner box in an Outer box; Right and Bottom are inclusive.
void CenterRects(std::int32_t innerW, std::int32_t outerW, std::int32_t innerH,
                 std::int32_t outerH, tagRECT& r);

std::int32_t Sign(std::int32_t x);
bool InRange(std::int32_t lo, std::int32_t hi, std::int32_t value);
std::int32_t Max(std::int32_t a, std::int32_t b);
std::int32_t Min(std::int32_t a, std::int32_t b);
std::uint32_t ByteSwap32(std::uint32_t x);

// ---- operating-system flags, set once when the program starts.
extern bool IsWinNT;
extern bool IsWinNTUp;
extern bool IsWin98Up;
extern bool IsWinXPUp;

// Runs the calling thread's message queue dry.
class TElMessagePump : public TObject {
 public:
  void ProcessMessages();
  bool ProcessMessage();
};

// The pump created at start-up.
extern TElMessagePump* ElMessagePump;

// The unit's start-up computes the flags and creates the pump; its shut-down
// frees the pump. Programs list it after SysUtilsUnit.
extern const TUnitInfo ElToolsUnit;
