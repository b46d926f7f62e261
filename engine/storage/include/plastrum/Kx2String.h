// CKx2String: the framework's reference-counted UTF-16 string.
//
// The object is one pointer to the characters; a 12-byte header in front of them holds
// the reference count, the length and the capacity. Copies share one buffer until one of
// them changes (copy on write), and every empty string points at one static buffer.
// Reference counts change with interlocked operations, so copies of one string may be
// used and destroyed on different threads; one string object belongs to one thread.
//
// Operations that may allocate return 1, or 0 when memory ran out (thread error 2); the
// string then still holds a valid value. Indexes and lengths are character counts.
//
// This class is compiled into the import plug-in as well: it depends on nothing of the
// engine, only on the platform layer and the foundation library.
#pragma once

#include <cstdarg>
#include <cstdint>

#include <win/types.h>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2String {
 public:
  // The header in front of the characters.
  struct Header {
    int32_t refs;      // sharing strings; kLocked, or kStatic for the empty buffer
    int32_t length;    // characters in use; text[length] is always 0
    int32_t capacity;  // characters that fit, the terminator not counted
  };
  static_assert(sizeof(Header) == 12, "the characters follow a 12-byte header");
  static constexpr int32_t kLocked = -1;
  static constexpr int32_t kStatic = -2;

  CKx2String();
  CKx2String(const CKx2String& other);
  explicit CKx2String(const char16_t* text);
  ~CKx2String();
  CKx2String& operator=(const CKx2String& other);
  CKx2String& operator=(const char16_t* text);

  // ---- Construction, assignment, release --------------------------------------------
  void Release();
  int Assign(const CKx2String& source);
  int Assign(const char16_t* text);
  int Assign(const char16_t* text, int32_t maxLength);
  int Assign(char16_t character);
  int AssignAnsi(const char* ansiText);
  int Empty();

  // ---- Appending ----------------------------------------------------------------------
  int Append(const char16_t* text);
  int Append(const char16_t* text, int32_t maxLength);
  int Append(char16_t character);
  int Append(const CKx2String& other);

  // ---- Buffer access ------------------------------------------------------------------
  // Null when memory ran out.
  char16_t* GetBuffer(int32_t minLength);
  int ReleaseBuffer(int32_t newLength = -1);
  char16_t* GetBufferSetLength(int32_t length);
  int FreeExtra();
  char16_t* LockBuffer();
  void UnlockBuffer();
  const char16_t* CharAt(int32_t index) const;
  const char16_t* TailAt(int32_t count) const;
  // 0 (nothing changed) for an index outside 0..length-1 or when memory ran out.
  int SetAt(int32_t index, char16_t character);

  // ---- Changing in place ----------------------------------------------------------------
  int MakeUpper();
  int MakeLower();
  int MakeReverse();
  int32_t Replace(char16_t oldCharacter, char16_t newCharacter);
  // An empty or null pattern replaces nothing (0).
  int32_t Replace(const char16_t* pattern, const char16_t* replacement);
  int TrimRight();
  int TrimLeft();
  int TrimRight(char16_t character);
  int TrimLeft(char16_t character);
  int RemoveLast(char16_t character);

  // ---- Extraction into an output string (which may be this string) --------------------
  int Mid(CKx2String& out, int32_t start, int32_t count) const;
  int Mid(CKx2String& out, int32_t start) const;
  int Left(CKx2String& out, int32_t count) const;
  int Right(CKx2String& out, int32_t count) const;
  int SpanIncluding(CKx2String& out, const char16_t* characters) const;
  int SpanExcluding(CKx2String& out, const char16_t* characters) const;
  // out becomes count + extra characters long; the first count are copied from this
  // string at index start (clamped to the text), the extra ones are left for the caller.
  int CopyRange(CKx2String& out, int32_t count, int32_t start, int32_t extra) const;

  // ---- Searching: character index, -1 when absent ---------------------------------------
  int32_t Find(char16_t character) const;
  int32_t Find(const char16_t* text) const;
  int32_t ReverseFind(char16_t character) const;
  int32_t FindOneOf(const char16_t* characters) const;

  // ---- Comparison ---------------------------------------------------------------------
  // Code-unit order against a terminated text (null counts as empty): <0, 0, >0.
  int Compare(const char16_t* text) const;
  bool operator==(const char16_t* text) const { return Compare(text) == 0; }
  bool operator==(const CKx2String& other) const { return Compare(other.text_) == 0; }

  // ---- Formatting (C-runtime printf rules on UTF-16; %s takes a UTF-16 text) ------------
  int Format(const char16_t* format, ...);
  int FormatV(const char16_t* format, va_list arguments);
  // Formats through FormatMessageW (inserts %1, %2, ...) and keeps the result.
  int FormatMessage(const char16_t* format, ...);

  // ---- Static text operations -------------------------------------------------------------
  // 1 + non-overlapping occurrences of the separator (null: "\n"); 0 for a null or empty
  // text. An empty separator is never found.
  static int32_t CountLines(const char16_t* text, const char16_t* separator);
  // Cuts text at every separator (null: "\r"), stores the first `max` pieces, returns the
  // number of pieces. An empty separator is never found: one piece, the whole text.
  static int32_t Split(const char16_t* text, const char16_t* separator, const char16_t* starts[], int32_t lengths[],
                       int32_t max);
  static int ToAnsi(char* destination, const char16_t* source, int size);
  static int FromAnsi(char16_t* destination, const char* source, int size);

  // ---- Access -----------------------------------------------------------------------------
  operator const char16_t*() const { return text_; }
  const char16_t* GetString() const { return text_; }
  int32_t GetLength() const { return GetHeader()->length; }
  bool IsEmpty() const { return GetHeader()->length == 0; }
  const Header* GetHeader() const { return reinterpret_cast<const Header*>(text_) - 1; }

 private:
  Header* Data() const { return reinterpret_cast<Header*>(text_) - 1; }
  static char16_t* StaticEmpty();
  static char16_t* NewBuffer(int32_t length);
  static void DropReference(char16_t* text);
  int32_t Refs() const;
  bool IsStatic() const;
  void PointAtEmpty();
  int CopyBeforeWrite();
  int AllocBeforeWrite(int32_t length);
  int AssignCopy(const char16_t* text, int32_t length);
  int AppendCopy(const char16_t* text, int32_t length);
  int MakePrivate(int32_t minCapacity);
  void SetLengthInPlace(int32_t length);

  char16_t* text_;
};

static_assert(sizeof(CKx2String) == sizeof(void*), "a string is one pointer");
