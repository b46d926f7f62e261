// A room's sender for tests: keeps the bytes of every packet; and expected bytes built field
// by field.
#pragma once

#include <cstdint>
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
  // A whole packet of this type around the body built so far.
  std::vector<unsigned char> Packet(int32_t type) const {
    Bytes whole;
    whole.Int(type).Int(0).Int(static_cast<int32_t>(data.size()));
    whole.data.insert(whole.data.end(), data.begin(), data.end());
    return whole.data;
  }
};
