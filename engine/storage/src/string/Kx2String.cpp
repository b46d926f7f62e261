// The framework's reference-counted UTF-16 string, and the framework heap it allocates
// from. This one file is all the import plug-in needs to carry the string.
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2String.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <basalt/error.h>
#include <basalt/text_encoding.h>
#include <win/crt.h>
#include <win/kernel.h>

// ---- The framework heap ------------------------------------------------------------

namespace {

// Allocations left before the test switch makes them fail; -1 = never fail.
thread_local int tFailCountdown = -1;

bool AllocationAllowed() {
  if (tFailCountdown < 0) return true;
  if (tFailCountdown == 0) return false;
  --tFailCountdown;
  return true;
}

}  // namespace

void* Kx2Heap::Allocate(size_t bytes) {
  if (!AllocationAllowed()) return nullptr;
  return std::malloc(bytes ? bytes : 1);
}

void* Kx2Heap::Reallocate(void* block, size_t bytes) {
  if (!AllocationAllowed()) return nullptr;
  return std::realloc(block, bytes ? bytes : 1);
}

void Kx2Heap::Free(void* block) { std::free(block); }

void Kx2Heap::FailAfter(int succeeding) { tFailCountdown = succeeding < 0 ? -1 : succeeding; }

// ---- Character helpers ----------------------------------------------------------------

namespace {

using Header = CKx2String::Header;

// The static empty buffer: a header that is never counted or freed, and one terminator.
struct EmptyBuffer {
  Header header;
  char16_t terminator[2];
};
static_assert(offsetof(EmptyBuffer, terminator) == sizeof(Header), "characters follow the header");
constinit EmptyBuffer gEmpty = {{CKx2String::kStatic, 0, 0}, {0, 0}};

// The largest length a buffer may have: its byte size must stay well inside int32 maths.
constexpr int64_t kMaxLength = (INT32_MAX - 64) / 2;

int32_t Length16(const char16_t* s) {
  if (!s) return 0;
  const char16_t* p = s;
  while (*p) ++p;
  return static_cast<int32_t>(p - s);
}

// Length of s, but never looking past max characters.
int32_t BoundedLength16(const char16_t* s, int32_t max) {
  if (!s || max <= 0) return 0;
  int32_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

bool Contains(const char16_t* set, char16_t c) {
  for (; *set; ++set)
    if (*set == c) return true;
  return false;
}

// First occurrence of a non-empty pattern in text[0, length), or null.
const char16_t* Search(const char16_t* text, const char16_t* end, const char16_t* pattern, int32_t patternLength) {
  if (patternLength <= 0) return nullptr;
  auto found = std::search(text, end, pattern, pattern + patternLength);
  return found == end ? nullptr : found;
}

int32_t CountOccurrences(const char16_t* text, int32_t length, const char16_t* pattern, int32_t patternLength) {
  int32_t n = 0;
  const char16_t* end = text + length;
  for (const char16_t* p = Search(text, end, pattern, patternLength); p;
       p = Search(p + patternLength, end, pattern, patternLength))
    ++n;
  return n;
}

bool PointsInto(const char16_t* p, const char16_t* begin, const char16_t* end) {
  return std::greater_equal<const char16_t*>()(p, begin) && std::less<const char16_t*>()(p, end);
}

void OutOfMemory() { Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory); }

// A private heap copy of a text that may live inside a buffer about to change.
class TextCopy {
 public:
  TextCopy() = default;
  ~TextCopy() { Kx2Heap::Free(copy_); }
  TextCopy(const TextCopy&) = delete;
  TextCopy& operator=(const TextCopy&) = delete;

  // Null when memory ran out.
  const char16_t* Take(const char16_t* text, int32_t length) {
    copy_ = static_cast<char16_t*>(Kx2Heap::Allocate(sizeof(char16_t) * (static_cast<size_t>(length) + 1)));
    if (copy_) {
      std::memcpy(copy_, text, sizeof(char16_t) * length);
      copy_[length] = 0;
    }
    return copy_;
  }

 private:
  char16_t* copy_ = nullptr;
};

}  // namespace

// ---- Buffers ------------------------------------------------------------------------------

char16_t* CKx2String::StaticEmpty() { return gEmpty.terminator; }

// A private buffer that can hold `length` characters, with that length. The capacity is
// the smallest multiple of 8 at least length + 2, minus the terminator's place.
char16_t* CKx2String::NewBuffer(int32_t length) {
  if (length < 0 || length > kMaxLength) {
    OutOfMemory();
    return nullptr;
  }
  const int64_t slots = (static_cast<int64_t>(length) + 9) & ~int64_t{7};
  auto* header = static_cast<Header*>(Kx2Heap::Allocate(sizeof(Header) + sizeof(char16_t) * slots));
  if (!header) {
    OutOfMemory();
    return nullptr;
  }
  header->refs = 1;
  header->length = length;
  header->capacity = static_cast<int32_t>(slots - 1);
  char16_t* text = reinterpret_cast<char16_t*>(header + 1);
  text[length] = 0;
  return text;
}

void CKx2String::DropReference(char16_t* text) {
  Header* header = reinterpret_cast<Header*>(text) - 1;
  const int32_t refs = __atomic_load_n(&header->refs, __ATOMIC_ACQUIRE);
  if (refs == kStatic) return;
  // A locked buffer has exactly one owner, which is letting it go.
  if (refs == kLocked || __atomic_sub_fetch(&header->refs, 1, __ATOMIC_ACQ_REL) <= 0) Kx2Heap::Free(header);
}

int32_t CKx2String::Refs() const { return __atomic_load_n(&Data()->refs, __ATOMIC_ACQUIRE); }

bool CKx2String::IsStatic() const { return Refs() == kStatic; }

void CKx2String::PointAtEmpty() {
  DropReference(text_);
  text_ = StaticEmpty();
}

void CKx2String::SetLengthInPlace(int32_t length) {
  if (IsStatic()) return;  // the static buffer is never written
  Data()->length = length;
  text_[length] = 0;
}

// Copy before write: a shared buffer is replaced by a private copy of the same text.
int CKx2String::CopyBeforeWrite() {
  if (Refs() <= 1) return 1;
  const int32_t length = Data()->length;
  char16_t* fresh = NewBuffer(length);
  if (!fresh) return 0;
  std::memcpy(fresh, text_, sizeof(char16_t) * (length + 1));
  DropReference(text_);
  text_ = fresh;
  return 1;
}

// Makes the buffer private with room for at least minCapacity characters, keeping the
// text, its length and a lock.
int CKx2String::MakePrivate(int32_t minCapacity) {
  const int32_t refs = Refs();
  const Header* header = Data();
  if (refs == kStatic && minCapacity <= 0) return 1;
  if ((refs == 1 || refs == kLocked) && header->capacity >= minCapacity) return 1;
  const int32_t length = header->length;
  char16_t* fresh = NewBuffer(std::max(minCapacity, length));
  if (!fresh) return 0;
  std::memcpy(fresh, text_, sizeof(char16_t) * length);
  Header* freshHeader = reinterpret_cast<Header*>(fresh) - 1;
  freshHeader->length = length;
  fresh[length] = 0;
  if (refs == kLocked) freshHeader->refs = kLocked;
  DropReference(text_);
  text_ = fresh;
  return 1;
}

// Whole-value assignment of `length` characters from `text`, which may point into this
// string's own buffer: the old buffer is let go only after the copy.
int CKx2String::AssignCopy(const char16_t* text, int32_t length) {
  const int32_t refs = Refs();
  if (refs <= 1 && Data()->capacity >= length) {
    if (refs == kStatic) return 1;  // length 0 into the static buffer: nothing to write
    std::memmove(text_, text, sizeof(char16_t) * length);
    SetLengthInPlace(length);
    return 1;
  }
  if (length == 0) {
    PointAtEmpty();
    return 1;
  }
  char16_t* fresh = NewBuffer(length);
  if (!fresh) return 0;
  std::memcpy(fresh, text, sizeof(char16_t) * length);
  if (refs == kLocked) (reinterpret_cast<Header*>(fresh) - 1)->refs = kLocked;
  DropReference(text_);
  text_ = fresh;
  return 1;
}

int CKx2String::AppendCopy(const char16_t* text, int32_t length) {
  if (length <= 0) return 1;
  const int32_t refs = Refs();
  const int32_t oldLength = Data()->length;
  const int64_t total = static_cast<int64_t>(oldLength) + length;
  if (total > kMaxLength) {
    OutOfMemory();
    return 0;
  }
  if ((refs == 1 || refs == kLocked) && Data()->capacity >= total) {
    std::memmove(text_ + oldLength, text, sizeof(char16_t) * length);
    SetLengthInPlace(static_cast<int32_t>(total));
    return 1;
  }
  char16_t* fresh = NewBuffer(static_cast<int32_t>(total));
  if (!fresh) return 0;
  std::memcpy(fresh, text_, sizeof(char16_t) * oldLength);
  std::memcpy(fresh + oldLength, text, sizeof(char16_t) * length);
  if (refs == kLocked) (reinterpret_cast<Header*>(fresh) - 1)->refs = kLocked;
  DropReference(text_);
  text_ = fresh;
  return 1;
}

// ---- Construction, assignment, release ---------------------------------------------------

CKx2String::CKx2String() : text_(StaticEmpty()) {}

CKx2String::CKx2String(const CKx2String& other) : text_(StaticEmpty()) { Assign(other); }

CKx2String::CKx2String(const char16_t* text) : text_(StaticEmpty()) { Assign(text); }

CKx2String::~CKx2String() { DropReference(text_); }

CKx2String& CKx2String::operator=(const CKx2String& other) {
  Assign(other);
  return *this;
}

CKx2String& CKx2String::operator=(const char16_t* text) {
  Assign(text);
  return *this;
}

void CKx2String::Release() { PointAtEmpty(); }

int CKx2String::Assign(const CKx2String& source) {
  if (source.text_ == text_) return 1;
  const int32_t sourceRefs = source.Refs();
  if (Refs() == kLocked || sourceRefs < 0) return AssignCopy(source.text_, source.GetLength());
  __atomic_add_fetch(&source.Data()->refs, 1, __ATOMIC_ACQ_REL);
  DropReference(text_);
  text_ = source.text_;
  return 1;
}

int CKx2String::Assign(const char16_t* text) { return AssignCopy(text ? text : u"", Length16(text)); }

int CKx2String::Assign(const char16_t* text, int32_t maxLength) {
  return AssignCopy(text ? text : u"", BoundedLength16(text, maxLength));
}

int CKx2String::Assign(char16_t character) { return AssignCopy(&character, 1); }

int CKx2String::AssignAnsi(const char* ansiText) {
  if (!ansiText) return Assign(u"");
  const size_t bytes = std::strlen(ansiText);
  if (bytes + 2 > static_cast<size_t>(kMaxLength)) {
    OutOfMemory();
    return 0;
  }
  const int32_t room = static_cast<int32_t>(bytes) + 2;
  char16_t* converted = NewBuffer(room);
  if (!converted) return 0;
  converted[0] = 0;
  _ExpAnsiToUnicode(0, 0, ansiText, -1, converted, room, 0);
  converted[room] = 0;
  const int32_t length = BoundedLength16(converted, room);
  const int result = AssignCopy(converted, length);
  DropReference(converted);
  return result;
}

int CKx2String::Empty() {
  if (GetLength() == 0) return 1;
  if (Refs() == kLocked) return AssignCopy(u"", 0);
  PointAtEmpty();
  return 1;
}

// ---- Appending ------------------------------------------------------------------------------

int CKx2String::Append(const char16_t* text) { return AppendCopy(text, Length16(text)); }

int CKx2String::Append(const char16_t* text, int32_t maxLength) {
  return AppendCopy(text, BoundedLength16(text, maxLength));
}

int CKx2String::Append(char16_t character) { return AppendCopy(&character, 1); }

int CKx2String::Append(const CKx2String& other) {
  // Appending a string to itself reads from the buffer being extended: take a reference
  // so the characters outlive a move to a larger buffer.
  CKx2String keep(other);
  return AppendCopy(keep.text_, keep.GetLength());
}

// ---- Buffer access ------------------------------------------------------------------------

char16_t* CKx2String::GetBuffer(int32_t minLength) {
  if (!MakePrivate(std::max(minLength, GetLength()))) return nullptr;
  return text_;
}

int CKx2String::ReleaseBuffer(int32_t newLength) {
  if (!MakePrivate(0)) return 0;
  if (IsStatic()) return 1;
  const int32_t capacity = Data()->capacity;
  if (newLength < 0) newLength = BoundedLength16(text_, capacity);
  SetLengthInPlace(std::min(newLength, capacity));
  return 1;
}

char16_t* CKx2String::GetBufferSetLength(int32_t length) {
  length = std::max(length, 0);
  if (!GetBuffer(length)) return nullptr;
  if (!IsStatic()) SetLengthInPlace(length);
  return text_;
}

int CKx2String::FreeExtra() {
  const int32_t length = GetLength();
  const int32_t refs = Refs();
  if (refs == kStatic || length == Data()->capacity) return 1;
  if (length == 0) {
    if (refs == kLocked) return 1;  // a locked buffer stays with its owner
    PointAtEmpty();
    return 1;
  }
  const int32_t tightCapacity = static_cast<int32_t>(((static_cast<int64_t>(length) + 9) & ~int64_t{7}) - 1);
  if (tightCapacity == Data()->capacity && refs <= 1) return 1;  // already as tight as a buffer gets
  char16_t* fresh = NewBuffer(length);
  if (!fresh) return 0;
  std::memcpy(fresh, text_, sizeof(char16_t) * length);
  if (refs == kLocked) (reinterpret_cast<Header*>(fresh) - 1)->refs = kLocked;
  DropReference(text_);
  text_ = fresh;
  return 1;
}

char16_t* CKx2String::LockBuffer() {
  if (IsStatic()) {
    char16_t* fresh = NewBuffer(0);
    if (!fresh) return nullptr;
    text_ = fresh;
  } else if (!CopyBeforeWrite()) {
    return nullptr;
  }
  Data()->refs = kLocked;
  return text_;
}

void CKx2String::UnlockBuffer() {
  if (Refs() == kLocked) Data()->refs = 1;
}

const char16_t* CKx2String::CharAt(int32_t index) const {
  const int32_t length = GetLength();
  if (index <= 0) return text_;
  return text_ + std::min(index, length);
}

const char16_t* CKx2String::TailAt(int32_t count) const {
  const int32_t length = GetLength();
  if (count < 0) return text_ + length;
  if (count > length) return text_;
  return text_ + (length - count);
}

int CKx2String::SetAt(int32_t index, char16_t character) {
  if (index < 0 || index >= GetLength()) return 0;
  if (!CopyBeforeWrite()) return 0;
  text_[index] = character;
  return 1;
}

// ---- Changing in place ---------------------------------------------------------------------

int CKx2String::MakeUpper() {
  if (GetLength() == 0) return 1;
  if (!CopyBeforeWrite()) return 0;
  _wcsupr(text_);
  return 1;
}

int CKx2String::MakeLower() {
  if (GetLength() == 0) return 1;
  if (!CopyBeforeWrite()) return 0;
  _wcslwr(text_);
  return 1;
}

int CKx2String::MakeReverse() {
  if (GetLength() < 2) return 1;
  if (!CopyBeforeWrite()) return 0;
  _wcsrev(text_);
  return 1;
}

int32_t CKx2String::Replace(char16_t oldCharacter, char16_t newCharacter) {
  if (oldCharacter == newCharacter) return 0;
  const int32_t length = GetLength();
  const int32_t count = static_cast<int32_t>(std::count(text_, text_ + length, oldCharacter));
  if (count == 0) return 0;
  if (!CopyBeforeWrite()) return 0;
  std::replace(text_, text_ + length, oldCharacter, newCharacter);
  return count;
}

int32_t CKx2String::Replace(const char16_t* pattern, const char16_t* replacement) {
  const int32_t patternLength = Length16(pattern);
  if (patternLength == 0) return 0;
  const int32_t length = GetLength();
  const int32_t count = CountOccurrences(text_, length, pattern, patternLength);
  if (count == 0) return 0;
  const int32_t replacementLength = Length16(replacement);
  const int64_t newLength =
      static_cast<int64_t>(length) + static_cast<int64_t>(count) * (replacementLength - patternLength);
  if (newLength > kMaxLength) {
    OutOfMemory();
    return 0;
  }

  // The pattern or the replacement may be characters of this very string.
  const char16_t* bufferEnd = text_ + Data()->capacity + 1;
  const bool aliased =
      PointsInto(pattern, text_, bufferEnd) || (replacement && PointsInto(replacement, text_, bufferEnd));
  if (!replacement) replacement = u"";
  TextCopy patternCopy, replacementCopy;
  if (aliased) {
    pattern = patternCopy.Take(pattern, patternLength);
    replacement = replacementCopy.Take(replacement, replacementLength);
    if (!pattern || !replacement) {
      OutOfMemory();
      return 0;
    }
  }

  if (!MakePrivate(static_cast<int32_t>(newLength))) return 0;
  // When the text grows it is first moved to the end of the buffer, so that the result can
  // be written from the front without overtaking the characters still to be read.
  const int32_t shift = newLength > length ? static_cast<int32_t>(newLength - length) : 0;
  if (shift) std::memmove(text_ + shift, text_, sizeof(char16_t) * length);
  const char16_t* source = text_ + shift;
  const char16_t* sourceEnd = source + length;
  char16_t* write = text_;
  for (const char16_t* match = Search(source, sourceEnd, pattern, patternLength); match;
       match = Search(source, sourceEnd, pattern, patternLength)) {
    const size_t gap = static_cast<size_t>(match - source);
    std::memmove(write, source, sizeof(char16_t) * gap);
    write += gap;
    std::memcpy(write, replacement, sizeof(char16_t) * replacementLength);
    write += replacementLength;
    source = match + patternLength;
  }
  std::memmove(write, source, sizeof(char16_t) * (sourceEnd - source));
  SetLengthInPlace(static_cast<int32_t>(newLength));
  return count;
}

int CKx2String::TrimRight() {
  int32_t length = GetLength();
  int32_t keep = length;
  while (keep > 0 && iswspace(text_[keep - 1])) --keep;
  if (keep == length) return 1;
  if (!CopyBeforeWrite()) return 0;
  SetLengthInPlace(keep);
  return 1;
}

int CKx2String::TrimLeft() {
  const int32_t length = GetLength();
  int32_t skip = 0;
  while (skip < length && iswspace(text_[skip])) ++skip;
  if (skip == 0) return 1;
  if (!CopyBeforeWrite()) return 0;
  std::memmove(text_, text_ + skip, sizeof(char16_t) * (length - skip));
  SetLengthInPlace(length - skip);
  return 1;
}

int CKx2String::TrimRight(char16_t character) {
  const int32_t length = GetLength();
  int32_t keep = length;
  while (keep > 0 && text_[keep - 1] == character) --keep;
  if (keep == length) return 1;
  if (!CopyBeforeWrite()) return 0;
  SetLengthInPlace(keep);
  return 1;
}

int CKx2String::TrimLeft(char16_t character) {
  const int32_t length = GetLength();
  int32_t skip = 0;
  while (skip < length && text_[skip] == character) ++skip;
  if (skip == 0) return 1;
  if (!CopyBeforeWrite()) return 0;
  std::memmove(text_, text_ + skip, sizeof(char16_t) * (length - skip));
  SetLengthInPlace(length - skip);
  return 1;
}

int CKx2String::RemoveLast(char16_t character) {
  const int32_t length = GetLength();
  if (length == 0 || text_[length - 1] != character) return 1;
  if (!CopyBeforeWrite()) return 0;
  SetLengthInPlace(length - 1);
  return 1;
}

// ---- Extraction ----------------------------------------------------------------------------

int CKx2String::CopyRange(CKx2String& out, int32_t count, int32_t start, int32_t extra) const {
  const int32_t length = GetLength();
  start = std::clamp(start, 0, length);
  count = std::clamp(count, 0, length - start);
  extra = std::max(extra, 0);
  const int64_t total = static_cast<int64_t>(count) + extra;
  if (total == 0) {
    out.Release();
    return 1;
  }
  if (total > kMaxLength) {
    OutOfMemory();
    return 0;
  }
  // The new buffer is filled before out lets its old one go: out may be this string.
  char16_t* fresh = NewBuffer(static_cast<int32_t>(total));
  if (!fresh) return 0;
  std::memcpy(fresh, text_ + start, sizeof(char16_t) * count);
  std::fill(fresh + count, fresh + total, u'\0');
  DropReference(out.text_);
  out.text_ = fresh;
  return 1;
}

int CKx2String::Mid(CKx2String& out, int32_t start, int32_t count) const { return CopyRange(out, count, start, 0); }

int CKx2String::Mid(CKx2String& out, int32_t start) const { return CopyRange(out, GetLength(), start, 0); }

int CKx2String::Left(CKx2String& out, int32_t count) const { return CopyRange(out, count, 0, 0); }

int CKx2String::Right(CKx2String& out, int32_t count) const {
  const int32_t length = GetLength();
  count = std::clamp(count, 0, length);
  return CopyRange(out, count, length - count, 0);
}

int CKx2String::SpanIncluding(CKx2String& out, const char16_t* characters) const {
  int32_t n = 0;
  const int32_t length = GetLength();
  if (characters)
    while (n < length && Contains(characters, text_[n])) ++n;
  return CopyRange(out, n, 0, 0);
}

int CKx2String::SpanExcluding(CKx2String& out, const char16_t* characters) const {
  int32_t n = 0;
  const int32_t length = GetLength();
  while (n < length && !(characters && Contains(characters, text_[n]))) ++n;
  return CopyRange(out, n, 0, 0);
}

// ---- Searching --------------------------------------------------------------------------------

int32_t CKx2String::Find(char16_t character) const {
  const int32_t length = GetLength();
  if (character == 0) return length;  // the terminator, as wcschr finds it
  const char16_t* p = std::find(text_, text_ + length, character);
  return p == text_ + length ? -1 : static_cast<int32_t>(p - text_);
}

int32_t CKx2String::Find(const char16_t* text) const {
  if (!text) return -1;
  const int32_t patternLength = Length16(text);
  if (patternLength == 0) return 0;
  const char16_t* end = text_ + GetLength();
  const char16_t* p = Search(text_, end, text, patternLength);
  return p ? static_cast<int32_t>(p - text_) : -1;
}

int32_t CKx2String::ReverseFind(char16_t character) const {
  const int32_t length = GetLength();
  if (character == 0) return length;
  for (int32_t i = length - 1; i >= 0; --i)
    if (text_[i] == character) return i;
  return -1;
}

int32_t CKx2String::FindOneOf(const char16_t* characters) const {
  if (!characters) return -1;
  const int32_t length = GetLength();
  for (int32_t i = 0; i < length; ++i)
    if (Contains(characters, text_[i])) return i;
  return -1;
}

int CKx2String::Compare(const char16_t* text) const {
  const char16_t* a = text_;
  const char16_t* b = text ? text : u"";
  while (*a && *a == *b) ++a, ++b;
  return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

// ---- Formatting --------------------------------------------------------------------------------

int CKx2String::Format(const char16_t* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int result = FormatV(format, arguments);
  va_end(arguments);
  return result;
}

int CKx2String::FormatV(const char16_t* format, va_list arguments) {
  if (!format) return Assign(u"");
  // The platform's own count of the text is the first capacity tried; formatting stays
  // bounded and retries with more room should the count and the text ever differ.
  va_list scan;
  va_copy(scan, arguments);
  int64_t capacity = std::clamp<int64_t>(_vscwprintf(format, scan), 1, kMaxLength);
  va_end(scan);
  // The text is formatted into a buffer of its own and this string's buffer is let go only
  // afterwards: an argument may be this string's own text.
  for (;;) {
    char16_t* fresh = NewBuffer(static_cast<int32_t>(capacity));
    if (!fresh) return 0;
    const int32_t room = (reinterpret_cast<Header*>(fresh) - 1)->capacity;
    va_list pass;
    va_copy(pass, arguments);
    const int written = _vsnwprintf(fresh, static_cast<size_t>(room) + 1, format, pass);
    va_end(pass);
    if (written >= 0 && written <= room) {
      fresh[room] = 0;
      const int32_t length = BoundedLength16(fresh, room);
      (reinterpret_cast<Header*>(fresh) - 1)->length = length;
      fresh[length] = 0;
      if (Refs() == kLocked) {  // a locked buffer stays where its owner holds it
        const int result = AssignCopy(fresh, length);
        DropReference(fresh);
        return result;
      }
      DropReference(text_);
      text_ = fresh;
      return 1;
    }
    DropReference(fresh);
    if (room >= kMaxLength) {
      OutOfMemory();
      return 0;
    }
    capacity = std::min<int64_t>(static_cast<int64_t>(room) * 2 + 16, kMaxLength);
  }
}

int CKx2String::FormatMessage(const char16_t* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  char16_t* message = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, format, 0, 0,
                                      reinterpret_cast<LPWSTR>(&message), 0, &arguments);
  va_end(arguments);
  if (length == 0 || !message) {
    if (message) LocalFree(message);
    return 0;
  }
  const int result = Assign(message, static_cast<int32_t>(length));
  LocalFree(message);
  return result;
}

// ---- Static text operations -----------------------------------------------------------------------

int32_t CKx2String::CountLines(const char16_t* text, const char16_t* separator) {
  if (!text || !*text) return 0;
  if (!separator) separator = u"\n";
  return 1 + CountOccurrences(text, Length16(text), separator, Length16(separator));
}

int32_t CKx2String::Split(const char16_t* text, const char16_t* separator, const char16_t* starts[], int32_t lengths[],
                          int32_t max) {
  if (!text || !*text) return 0;
  if (!separator) separator = u"\r";
  const int32_t separatorLength = Length16(separator);
  const char16_t* end = text + Length16(text);
  int32_t pieces = 0;
  const char16_t* piece = text;
  for (;;) {
    const char16_t* cut = Search(piece, end, separator, separatorLength);
    const char16_t* pieceEnd = cut ? cut : end;
    if (pieces < max) {
      if (starts) starts[pieces] = piece;
      if (lengths) lengths[pieces] = static_cast<int32_t>(pieceEnd - piece);
    }
    ++pieces;
    if (!cut) return pieces;
    piece = cut + separatorLength;
  }
}

int CKx2String::ToAnsi(char* destination, const char16_t* source, int size) {
  if (size == 0 && destination) return 0;
  return _ExpUnicodeToAnsi(0, 0, source, -1, destination, size, nullptr);
}

int CKx2String::FromAnsi(char16_t* destination, const char* source, int size) {
  if (size == 0 && destination) return 0;
  return _ExpAnsiToUnicode(0, 0, source, -1, destination, size, 0);
}
