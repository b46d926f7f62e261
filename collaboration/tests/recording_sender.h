// A room's sender for tests: keeps the bytes of every packet; and expected bytes built field
// by field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <tendril/packet.h>
#include <tendril/tendril_interfaces.h>

class RecordingSender : public TDRL::ISender {
 public:
  bool Send(TDRL::Packet& packet) override {
    sent.emplace_back(packet.Data(), packet.Data() + packet.TotalSize());
    return true;
  }
  std::vector<std::vector<unsigned char>> sent;
};

struct Bytes {
  std::vector<unsigned char> data;
  Bytes& Int(int32_t v) {
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i)));
    return *this;
  }
  Bytes& Byte(unsigned char b) {
    data.push_back(b);
    return *this;
  }
  Bytes& Narrow(std::string_view text) {
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
    return *this;
  }
  Bytes& Wide(std::u16string_view text) {
    for (char16_t c : text) {
      data.push_back(static_cast<unsigned char>(c & 0xFF));
      data.push_back(static_cast<unsigned char>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return *this;
  }
  Bytes& Raw(std::string_view bytes) {
    data.insert(data.end(), bytes.begin(), bytes.end());
    return *this;
  }
  // A member record: room name and user name zero-padded to 260 bytes and units, value,
  // payload length and item selector.
  Bytes& Record(std::string_view room, std::u16string_view user, int32_t value, int32_t length,
                const int32_t (&selector)[4]) {
    const size_t start = data.size();
    Raw(room);
    data.resize(start + 260, 0);
    for (char16_t c : user) {
      data.push_back(static_cast<unsigned char>(c & 0xFF));
      data.push_back(static_cast<unsigned char>(c >> 8));
    }
    data.resize(start + 780, 0);
    Int(value).Int(length);
    for (int32_t v : selector) Int(v);
    return *this;
  }
  // A whole packet of this type (and header argument) around the body built so far.
  std::vector<unsigned char> Packet(int32_t type, int32_t argument = 0) const {
    Bytes whole;
    whole.Int(type).Int(argument).Int(static_cast<int32_t>(data.size()));
    whole.data.insert(whole.data.end(), data.begin(), data.end());
    return whole.data;
  }
};
