// Expanding BI_RLE8 / BI_RLE4 bits of a bottom-up BMP into plain rows of the same depth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx2::gdi {

// False for bits that run past their data or a picture far larger than its data could
// describe.
bool ExpandRle(const uint8_t* data, size_t size, int width, int height, bool fourBit, std::vector<uint8_t>* rows);

}  // namespace kx2::gdi
