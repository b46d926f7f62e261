// JPEG through libjpeg-turbo. Errors leave through longjmp from our error manager, so a
// damaged or truncated stream fails instead of ending the process; a premature end of
// data (which libjpeg only warns about, filling grey) fails too.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "Codec.h"

namespace kx2::imaging {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
  bool warned = false;
};

[[noreturn]] void OnError(j_common_ptr info) { longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void OnMessage(j_common_ptr info, int level) {
  // Level -1 is a warning about damaged data (a truncated stream among them).
  if (level < 0) reinterpret_cast<ErrorManager*>(info->err)->warned = true;
}

void SetUp(ErrorManager* errors) {
  jpeg_std_error(&errors->base);
  errors->base.error_exit = OnError;
  errors->base.emit_message = OnMessage;
}

float Dpi(int unit, int density) {
  if (density <= 0) return 96;
  if (unit == 1) return float(density);
  if (unit == 2) return float(density * 2.54);
  return 96;
}

// Runs the decode inside its own frame: nothing with a destructor lives across setjmp.
bool Decode(jpeg_decompress_struct* info, ErrorManager* errors, const uint8_t* data, size_t size, Picture* out) {
  if (setjmp(errors->jump)) return false;
  jpeg_mem_src(info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
  if (!out->Allocate(info->image_width, info->image_height)) return false;
  info->out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(info);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = out->Row(int(info->output_scanline));
    jpeg_read_scanlines(info, &row, 1);
    if (errors->warned) return false;
  }
  jpeg_finish_decompress(info);
  if (errors->warned) return false;
  out->dpiX = Dpi(info->density_unit, info->X_density);
  out->dpiY = Dpi(info->density_unit, info->Y_density);
  out->hasAlpha = false;
  return true;
}

bool Encode(jpeg_compress_struct* info, ErrorManager* errors, const PixelsView& in, unsigned char** buffer,
            unsigned long* length, std::vector<uint8_t>* row) {
  if (setjmp(errors->jump)) return false;
  jpeg_mem_dest(info, buffer, length);
  info->image_width = JDIMENSION(in.width);
  info->image_height = JDIMENSION(in.height);
  info->input_components = 3;
  info->in_color_space = JCS_RGB;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, in.quality > 0 && in.quality <= 100 ? in.quality : 90, TRUE);
  // Full-resolution colour: diagrams have sharp coloured edges that 4:2:0 would smear.
  info->comp_info[0].h_samp_factor = info->comp_info[0].v_samp_factor = 1;
  info->density_unit = 1;
  info->X_density = UINT16(in.dpiX > 0 && in.dpiX < 65536 ? in.dpiX + 0.5f : 96);
  info->Y_density = UINT16(in.dpiY > 0 && in.dpiY < 65536 ? in.dpiY + 0.5f : 96);
  jpeg_start_compress(info, TRUE);
  while (info->next_scanline < info->image_height) {
    const uint8_t* p = in.Row(int(info->next_scanline));
    uint8_t* o = row->data();
    for (int x = 0; x < in.width; ++x, p += 4) *o++ = p[2], *o++ = p[1], *o++ = p[0];
    JSAMPROW r = row->data();
    jpeg_write_scanlines(info, &r, 1);
  }
  jpeg_finish_compress(info);
  return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Picture* out) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  SetUp(&errors);
  info.err = &errors.base;
  jpeg_create_decompress(&info);
  const bool ok = Decode(&info, &errors, data, size, out);
  jpeg_destroy_decompress(&info);
  return ok;
}

bool EncodeJpeg(const PixelsView& in, std::vector<uint8_t>* out) {
  jpeg_compress_struct info;
  ErrorManager errors;
  SetUp(&errors);
  info.err = &errors.base;
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  std::vector<uint8_t> row(size_t(in.width) * 3);
  const bool ok = Encode(&info, &errors, in, &buffer, &length, &row);
  jpeg_destroy_compress(&info);
  if (ok) out->assign(buffer, buffer + length);
  free(buffer);
  return ok;
}

}  // namespace kx2::imaging
