#include "png_decode.h"

#include <png.h>

#include <cstdint>
#include <cstdlib>

#include <kx2/ImageCodec.h>

namespace ornatex::png {
namespace {

struct Source {
  ReadFn read;
  void* context;
};

// Errors end the decoding at its jump point; the message is not needed.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void OnRead(png_structp png, png_bytep data, size_t length) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (source->read(source->context, data, length) != length) png_error(png, "the data end early");
}

}  // namespace

bool Decode(ReadFn read, void* context, Decoded* out) {
  uint8_t signature[8];
  if (read(context, signature, sizeof signature) != sizeof signature || png_sig_cmp(signature, 0, 8) != 0) return false;
  // Debian's libpng 1.6 accepts only its own version here.
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  Source source{read, context};
  // Changed after the jump point and read after a jump back: volatile.
  uint8_t* volatile pixels = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    std::free(rows);
    std::free(pixels);
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_user_limits(png, KX2_IMAGE_MAX_SIDE, KX2_IMAGE_MAX_SIDE);
  png_set_read_fn(png, &source, OnRead);
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
  if (depth == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
  if (depth < 8) png_set_expand(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_expand(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  double fileGamma = 0;
  if (png_get_gAMA(png, info, &fileGamma)) png_set_gamma(png, 2.2, fileGamma);

  png_read_update_info(png, info);
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
  const size_t rowBytes = png_get_rowbytes(png, info);
  const int channels = png_get_channels(png, info);
  if (width == 0 || height == 0 || (channels != 3 && channels != 4) || depth != 8 ||
      rowBytes < static_cast<size_t>(width) * channels || rowBytes > SIZE_MAX / height)
    png_error(png, "unsupported layout");
  pixels = static_cast<uint8_t*>(std::malloc(rowBytes * height));
  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
  if (!pixels || !rows) png_error(png, "out of memory");
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels + rowBytes * y;
  png_read_image(png, rows);
  png_read_end(png, nullptr);

  std::free(rows);
  png_destroy_read_struct(&png, &info, nullptr);
  out->pixels = pixels;
  out->width = width;
  out->height = height;
  out->channels = channels;
  out->rowBytes = rowBytes;
  return true;
}

}  // namespace ornatex::png
