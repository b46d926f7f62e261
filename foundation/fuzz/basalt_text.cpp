// Feeds arbitrary input to the Base64 decoder, the UTF converters and the number readers.
// Beyond "no crash": what decodes must encode back to the same content.
#include <basalt/string_util.h>
#include <basalt/text_encoding.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void FuzzBase64(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // stops at an inner NUL
  char* decoded = nullptr;
  const int n = _ExpBase64ToAscii(text.c_str(), &decoded);
  Check(n >= 0 && n <= static_cast<int>(std::strlen(text.c_str()) * 3 / 4));
  if (n == 0) {
    Check(decoded == nullptr);
    return;
  }
  // Into a caller's buffer of exactly the result: ASan reports any write beyond it.
  std::vector<char> exact(static_cast<size_t>(n));
  char* out = exact.data();
  Check(_ExpBase64ToAscii(text.c_str(), &out) == n);
  Check(std::memcmp(exact.data(), decoded, static_cast<size_t>(n)) == 0);

  char* encoded = nullptr;
  const int length = _ExpAsciiToBase64(reinterpret_cast<const unsigned char*>(decoded), n, &encoded);
  Check(length == static_cast<int>(std::strlen(encoded)));
  char* again = nullptr;
  Check(_ExpBase64ToAscii(encoded, &again) == n);
  Check(std::memcmp(again, decoded, static_cast<size_t>(n)) == 0);
  std::free(again);
  std::free(encoded);
  std::free(decoded);
}

void FuzzUtf8(const uint8_t* data, size_t size, unsigned room, int lenient) {
  std::vector<UTF16> u16(room);
  const UTF8* s = data;
  UTF16* t = u16.data();
  int bytes = 0;
  const int r = _ExpUTF8ToUTF16(&s, data + size, &t, u16.data() + u16.size(), &bytes, lenient);
  Check(bytes >= 0 && static_cast<size_t>(bytes) <= u16.size() * 2);
  std::vector<UTF32> u32(room);
  UTF32* t32 = u32.data();
  int bytes32 = 0;
  _ExpUTF8ToUTF32(&s, data + size, &t32, u32.data() + u32.size(), &bytes32, 0);
  Check(bytes32 >= 0 && static_cast<size_t>(bytes32) <= u32.size() * 4);
  IsLegalUTF8(data, data + size);

  if (r == conversionOK && !lenient) {
    // Strictly valid UTF-8 comes back byte for byte.
    const size_t units = static_cast<size_t>(bytes) / 2;
    std::vector<UTF8> back(size + 1);
    const UTF16* s16 = u16.data();
    UTF8* t8 = back.data();
    Check(ExpTF16ToUTF8(&s16, u16.data() + units, &t8, back.data() + back.size(), 0) == conversionOK);
    Check(std::memcmp(back.data(), data, size) == 0);
  }
}

void FuzzUtf16(const uint8_t* data, size_t size, unsigned room, int lenient) {
  std::vector<UTF16> in(size / 2);
  if (!in.empty()) std::memcpy(in.data(), data, in.size() * 2);
  std::vector<UTF8> u8(room);
  const UTF16* s = in.data();
  UTF8* t = u8.data();
  const int r = _ExpUTF16ToUTF8(&s, in.data() + in.size(), &t, u8.data() + u8.size(), lenient);
  if (r == conversionOK && u8.size() > 0) {
    // Whatever comes out reads back. A lone surrogate (kept in lenient mode, and a high
    // surrogate as the last unit in either mode) comes out as its own three-byte form, which
    // only the lenient reader takes, so the check reads leniently.
    size_t n = 0;
    while (n < u8.size() && u8[n]) ++n;
    std::vector<UTF16> back(n + 1);
    const UTF8* s8 = u8.data();
    UTF16* t16 = back.data();
    int bytes = 0;
    Check(_ExpUTF8ToUTF16(&s8, u8.data() + n, &t16, back.data() + back.size(), &bytes, 1) == conversionOK);
  }
  std::vector<UTF32> u32(room);
  UTF32* t32 = u32.data();
  _ExpUTF16ToUTF32(&s, in.data() + in.size(), &t32, u32.data() + u32.size(), lenient);

  std::u16string text(in.begin(), in.end());
  char* utf8 = nullptr;
  int length = 0;
  Check(_ExpUnicodeToUTF8(text.c_str(), &utf8, &length) == 0);
  Check(length == static_cast<int>(std::strlen(utf8)));
  delete[] utf8;
}

void FuzzUtf32(const uint8_t* data, size_t size, unsigned room, int lenient) {
  std::vector<UTF32> in(size / 4);
  if (!in.empty()) std::memcpy(in.data(), data, in.size() * 4);
  std::vector<UTF8> u8(room);
  const UTF32* s = in.data();
  UTF8* t = u8.data();
  _ExpUTF32ToUTF8(&s, in.data() + in.size(), &t, u8.data() + u8.size(), lenient);
  std::vector<UTF16> u16(room);
  UTF16* t16 = u16.data();
  _ExpUTF32ToUTF16(&s, in.data() + in.size(), &t16, u16.data() + u16.size(), lenient);
}

void FuzzNumbers(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i < size; ++i) text.push_back(static_cast<char16_t>(data[i]));
  Basalt::Util::StringUtil::atol_fmt(text.c_str());
  Basalt::Util::StringUtil::atoi_fmt(text.c_str());
  const double v = Basalt::Util::StringUtil::atof_fmt(text.c_str());
  // What was read can be written again within a bounded buffer.
  char16_t out[64];
  Basalt::Util::StringUtil::snprintf_fmt(out, 64, u"%g|%e|%.20f", v, v, v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const unsigned selector = data[0];
  const unsigned room = data[1];  // target sizes from 0 up, so "target full" paths run too
  data += 2;
  size -= 2;
  const int lenient = (selector >> 4) & 1;
  switch (selector % 5) {
    case 0:
      FuzzBase64(data, size);
      break;
    case 1:
      FuzzUtf8(data, size, room * 2, lenient);
      break;
    case 2:
      FuzzUtf16(data, size, room * 2, lenient);
      break;
    case 3:
      FuzzUtf32(data, size, room * 2, lenient);
      break;
    default:
      FuzzNumbers(data, size);
      break;
  }
  return 0;
}
