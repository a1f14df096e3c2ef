// The PNG codec's messages. Kept apart from the codec so that a translated
// build replaces this unit alone.
#pragma once

namespace pnglang {

extern const char* const EPNGInvalidFileHeaderText;
extern const char* const EPNGUnexpectedEndText;
extern const char* const EPNGIHDRNotFirstText;
extern const char* const EPNGUnknownCriticalChunkText;
extern const char* const EPNGNoImageDataText;
extern const char* const EPNGInvalidCRCText;
extern const char* const EPNGInvalidIHDRText;
extern const char* const EPNGSizeExceedsText;
extern const char* const EPNGUnknownCompressionText;
extern const char* const EPNGUnknownInterlaceText;
extern const char* const EPNGInvalidPaletteText;
extern const char* const EPNGMissingMultipleIDATText;
extern const char* const EPNGZLIBErrorText;
extern const char* const EPNGUnknownPalEntryText;
extern const char* const EPNGCannotAssignChunkText;
extern const char* const EPNGCannotChangeSizeText;
extern const char* const EPNGCouldNotLoadResourceText;
extern const char* const EPNGOutMemoryText;
extern const char* const EPNGHeaderNotPresentText;
extern const char* const EPNGUnsupportedFormatText;
extern const char* const EPNGUnsupportedBitmapText;
extern const char* const EPNGTextCompressionText;

}  // namespace pnglang
