// Base64 with the RFC 4648 alphabet and "=" padding, as the settings store keeps binary
// values: a line feed after every 72 characters of full groups.
#include <basalt/text_encoding.h>

#include <climits>
#include <cstdlib>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int64_t kGroupsPerLine = 18;  // 72 characters

int64_t EncodedLength(int64_t size) {
  const int64_t fullGroups = size / 3;
  return 4 * ((size + 2) / 3) + fullGroups / kGroupsPerLine;
}

int SextetValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// The C locale's isspace, fixed.
bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

KX2_EXPORT int _ExpBase64EncodedSize(int size) {
  if (size < 0) return -1;
  const int64_t length = EncodedLength(size);
  return length > INT_MAX - 1 ? -1 : static_cast<int>(length);
}

KX2_EXPORT int _ExpAsciiToBase64(const unsigned char* data, int size, char** out) {
  if (!out || size < 0 || (size > 0 && !data)) return 0;
  const int length = _ExpBase64EncodedSize(size);
  if (length < 0) return 0;
  char* text = *out;
  if (!text) {
    text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!text) return 0;
    *out = text;
  }
  char* t = text;
  int groups = 0;
  int i = 0;
  for (; size - i >= 3; i += 3) {
    const uint32_t v = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2];
    *t++ = kAlphabet[v >> 18];
    *t++ = kAlphabet[(v >> 12) & 63];
    *t++ = kAlphabet[(v >> 6) & 63];
    *t++ = kAlphabet[v & 63];
    if (++groups == kGroupsPerLine) {
      *t++ = '\n';
      groups = 0;
    }
  }
  if (size - i == 1) {
    const uint32_t v = uint32_t{data[i]} << 16;
    *t++ = kAlphabet[v >> 18];
    *t++ = kAlphabet[(v >> 12) & 63];
    *t++ = '=';
    *t++ = '=';
  } else if (size - i == 2) {
    const uint32_t v = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8;
    *t++ = kAlphabet[v >> 18];
    *t++ = kAlphabet[(v >> 12) & 63];
    *t++ = kAlphabet[(v >> 6) & 63];
    *t++ = '=';
  }
  *t = 0;
  return length;
}

KX2_EXPORT int _ExpBase64ToAscii(const char* text, char** out) {
  if (!out || !text || !*text) return 0;

  // Validate and count before anything is written: only alphabet characters, white space
  // and a final padding, which must close a group of 2 or 3 characters and may be followed
  // by white space only.
  int64_t sextets = 0;
  bool padded = false;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (SextetValue(*p) >= 0) {
      if (padded) return 0;
      ++sextets;
    } else if (*p == '=') {
      if (sextets % 4 < 2) return 0;
      padded = true;
    } else if (!IsSpace(*p)) {
      return 0;
    }
  }
  // A lone final character carries no whole byte and is ignored.
  const int64_t rest = sextets % 4;
  const int64_t size = 3 * (sextets / 4) + (rest >= 2 ? rest - 1 : 0);
  if (size == 0 || size > INT_MAX) return 0;

  unsigned char* bytes = reinterpret_cast<unsigned char*>(*out);
  if (!bytes) {
    // One byte more than the data, kept zero, so that decoded text is terminated.
    bytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (!bytes) return 0;
    bytes[size] = 0;
    *out = reinterpret_cast<char*>(bytes);
  }
  int64_t written = 0;
  uint32_t bits = 0;
  int held = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && *p != '='; ++p) {
    const int v = SextetValue(*p);
    if (v < 0) continue;
    bits = bits << 6 | static_cast<uint32_t>(v);
    held += 6;
    if (held >= 8) {
      held -= 8;
      if (written < size) bytes[written++] = static_cast<unsigned char>(bits >> held);
      bits &= (1u << held) - 1;
    }
  }
  return static_cast<int>(size);
}
