// CRC-32 of ISO-HDLC / IEEE 802.3 (reflected polynomial 0xEDB88320) on the raw
// register: callers preset it to 0xFFFFFFFF and complement the result themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include "basalt/export.h"

namespace Basalt::Base::Compress {

BASALT_TEST_API uint32_t Crc32Update(uint32_t reg, const uint8_t* data, size_t len);

// The table path (slicing by 16) alone, which runs where the processor has no
// carry-less multiply; tests hold both paths against each other.
BASALT_TEST_API uint32_t Crc32UpdatePortable(uint32_t reg, const uint8_t* data, size_t len);

}  // namespace Basalt::Base::Compress
