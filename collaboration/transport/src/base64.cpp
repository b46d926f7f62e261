#include <tendril/base64.h>

#include <array>
#include <cstdint>

namespace TDRL {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kInvalid = 0xFF;

constexpr std::array<uint8_t, 256> MakeDecodeTable() {
  std::array<uint8_t, 256> table{};
  for (auto& entry : table) entry = kInvalid;
  for (uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}
constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

}  // namespace

void Base64Encode(const unsigned char* data, size_t size, char* out) {
  size_t i = 0;
  for (; size - i >= 3; i += 3) {
    const uint32_t v = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2];
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = kAlphabet[(v >> 6) & 63];
    out[3] = kAlphabet[v & 63];
    out += 4;
  }
  if (size - i == 1) {
    const uint32_t v = uint32_t{data[i]} << 16;
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = out[3] = '=';
  } else if (size - i == 2) {
    const uint32_t v = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8;
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = kAlphabet[(v >> 6) & 63];
    out[3] = '=';
  }
}

std::string Base64Encode(const void* data, size_t size) {
  std::string text(Base64EncodedLength(size), '\0');
  Base64Encode(static_cast<const unsigned char*>(data), size, text.data());
  return text;
}

bool Base64DecodedLength(std::string_view text, size_t& size) {
  if (text.size() % 4 != 0) return false;
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
  size = text.size() / 4 * 3 - padding;
  return true;
}

bool Base64Decode(std::string_view text, unsigned char* out, bool padded) {
  if (text.size() % 4 != 0) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  size_t groups = text.size() / 4;
  size_t padding = 0;
  if (groups > 0 && text.back() == '=') {
    if (!padded) return false;
    padding = text[text.size() - 2] == '=' ? 2 : 1;
    --groups;  // the padded group is decoded below
  }
  for (size_t g = 0; g < groups; ++g, p += 4, out += 3) {
    const uint32_t a = kDecode[p[0]], b = kDecode[p[1]], c = kDecode[p[2]], d = kDecode[p[3]];
    if ((a | b | c | d) & 0xC0) return false;
    const uint32_t v = a << 18 | b << 12 | c << 6 | d;
    out[0] = static_cast<unsigned char>(v >> 16);
    out[1] = static_cast<unsigned char>(v >> 8);
    out[2] = static_cast<unsigned char>(v);
  }
  if (padding == 0) return true;
  const uint32_t a = kDecode[p[0]], b = kDecode[p[1]];
  const uint32_t c = padding == 1 ? kDecode[p[2]] : 0;
  if ((a | b | c) & 0xC0) return false;
  if (padding == 2) {
    if (b & 0x0F) return false;  // bits no byte carries must be zero
    out[0] = static_cast<unsigned char>(a << 2 | b >> 4);
    return true;
  }
  if (c & 0x03) return false;
  const uint32_t v = a << 18 | b << 12 | c << 6;
  out[0] = static_cast<unsigned char>(v >> 16);
  out[1] = static_cast<unsigned char>(v >> 8);
  return true;
}

}  // namespace TDRL
