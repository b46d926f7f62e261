// Text encodings of the foundation library: code-page conversions, the Unicode
// transformation formats, surrogate helpers, Base64 and the platform's MulDiv.
//
// These are plain C exports, called by the host as well as by the system's own modules.
#pragma once

#include <basalt/export.h>

// --- Code pages ---------------------------------------------------------------------------
// The reserved arguments are ignored. Code page 0 (CP_ACP) is the system ANSI code page.
// Every output is terminated inside its buffer; a text that does not fit gives 0 and an
// empty output.

// Converts srcLen bytes (-1: a terminated text) into dst[dstCount]; returns the units written,
// the terminator counted when srcLen is -1; 0 when dstCount < 2.
KX2_EXPORT int _ExpAnsiToUnicode(void* reserved, UINT codePage, const char* src, int srcLen, WCHAR* dst, int dstCount,
                                 void* reserved2);
// Converts srcLen units (-1: a terminated text) into dst[dstSize]; a non-null defaultChar
// stands for characters the code page lacks. Returns the bytes written (the terminator
// counted when srcLen is -1); 0 when dstSize < 2.
KX2_EXPORT int _ExpUnicodeToAnsi(void* reserved, UINT codePage, const WCHAR* src, int srcLen, char* dst, int dstSize,
                                 const char* defaultChar);
// From one code page to another through UTF-16; returns the bytes written.
KX2_EXPORT int _ExpAnsiToAnsi(void* reserved, UINT srcCodePage, const char* src, int srcLen, UINT dstCodePage,
                              char* dst, int dstSize, const char* defaultChar);

// number * numerator / denominator with a 64-bit product, rounded to the nearest integer
// (halves away from zero), as the platform's MulDiv; -1 when denominator is 0 or the result
// does not fit 32 bits.
KX2_EXPORT int _Kx2IntMulDiv(int number, int numerator, int denominator);

// --- Surrogates ---------------------------------------------------------------------------
KX2_EXPORT DWORD _ExpMakeUcsChar(WCHAR high, WCHAR low);
// pair: high surrogate in bits 16-31, low surrogate in bits 0-15.
KX2_EXPORT DWORD _ExpSurCharToUcsChar(DWORD pair);
// The surrogate pair of a supplementary code point (high in bits 16-31), else 0.
KX2_EXPORT DWORD _ExpUcsCharToSurChar(DWORD codePoint);

// --- Unicode transformation formats -------------------------------------------------------
// UTF-8 as in RFC 3629; UTF-16 and UTF-32 in machine order. Each converter takes pointers
// to the source and target start pointers, reads them, and leaves them as they were.
// When room is left after the output, a zero unit is written behind it (not counted), so
// that a caller can measure what was stored.
typedef unsigned char UTF8;
typedef char16_t UTF16;
typedef uint32_t UTF32;

enum ConversionResult {
  conversionOK = 0,     // everything converted
  sourceExhausted = 1,  // the source ends inside a sequence
  targetExhausted = 2,  // no room for the next character
  sourceIllegal = 3,    // the source holds something that is not text of its form
};

enum ConversionFlags {
  strictConversion = 0,
  lenientConversion = 1,
};

// *bytesWritten = the bytes stored in the target (units * 2).
KX2_EXPORT int _ExpUTF8ToUTF16(const UTF8** sourceStart, const UTF8* sourceEnd, UTF16** targetStart, UTF16* targetEnd,
                               int* bytesWritten, int lenient);
// *bytesWritten = the bytes stored in the target (units * 4).
KX2_EXPORT int _ExpUTF8ToUTF32(const UTF8** sourceStart, const UTF8* sourceEnd, UTF32** targetStart, UTF32* targetEnd,
                               int* bytesWritten, int reserved);
// The historical export name, and the name it was meant to have; both are the same converter.
KX2_EXPORT int ExpTF16ToUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart, UTF8* targetEnd,
                             int lenient);
KX2_EXPORT int _ExpUTF16ToUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart, UTF8* targetEnd,
                               int lenient);
KX2_EXPORT int _ExpUTF16ToUTF32(const UTF16** sourceStart, const UTF16* sourceEnd, UTF32** targetStart,
                                UTF32* targetEnd, int lenient);
KX2_EXPORT int _ExpUTF32ToUTF8(const UTF32** sourceStart, const UTF32* sourceEnd, UTF8** targetStart, UTF8* targetEnd,
                               int lenient);
KX2_EXPORT int _ExpUTF32ToUTF16(const UTF32** sourceStart, const UTF32* sourceEnd, UTF16** targetStart,
                                UTF16* targetEnd, int lenient);

// 1 when the sequence at source lies wholly before end and is legal, and the bytes from
// source to end look like UTF-8.
KX2_EXPORT int IsLegalUTF8(const UTF8* source, const UTF8* end);

// Terminated UTF-16 text to a new terminated UTF-8 array (free with delete[]); *length =
// bytes without the terminator. 0 on success, 2 when memory fails (*out is then null).
KX2_EXPORT int _ExpUnicodeToUTF8(const WCHAR* text, char** out, int* length);

// --- Base64 (RFC 4648 alphabet, "=" padding) ----------------------------------------------
// When *out is null on entry the buffer is allocated with malloc (free it with free).
//
// Encodes size bytes; a line feed follows every 72 characters of full groups. Returns the
// length of the text (line feeds included, terminator not); *out, when given, must hold
// _ExpBase64EncodedSize(size) + 1 bytes.
KX2_EXPORT int _ExpAsciiToBase64(const unsigned char* data, int size, char** out);
// Decodes text (white space is skipped; an unpadded final group of 2 or 3 characters counts);
// returns the number of bytes, 0 for empty or invalid text. Exactly that many bytes are
// written, never more than strlen(text) * 3 / 4, so a caller's buffer of that size is enough.
KX2_EXPORT int _ExpBase64ToAscii(const char* text, char** out);
// Length of the text _ExpAsciiToBase64 makes of size bytes (terminator not counted); -1 when
// it would not fit an int.
KX2_EXPORT int _ExpBase64EncodedSize(int size);
