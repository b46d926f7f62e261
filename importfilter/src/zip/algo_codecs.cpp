#include "foliant/zip/algo_base.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

int AlgoStore::BeginCompress(uint32_t) {
  input_ = nullptr;
  length_ = consumed_ = 0;
  active_ = 1;
  return 1;
}

int AlgoStore::SetCompressInput(const uint8_t* data, uint32_t length) {
  input_ = data;
  length_ = length;
  consumed_ = 0;
  return 1;
}

int AlgoStore::Compress(uint8_t* out, uint32_t outSize, uint32_t* produced) {
  const uint32_t remaining = length_ - consumed_;
  const uint32_t n = std::min(outSize, remaining);
  if (n > 0) std::memcpy(out, input_ + consumed_, n);
  consumed_ += n;
  *produced = n;
  return remaining > outSize ? kAlgoOutputFull : kAlgoInputUsed;
}

int AlgoStore::EndCompress() {
  input_ = nullptr;
  length_ = consumed_ = 0;
  active_ = 0;
  return 1;
}

struct AlgoDeflate::Stream {
  z_stream z{};
};

AlgoDeflate::AlgoDeflate() : AlgoBase(1, 0) {}

AlgoDeflate::~AlgoDeflate() {
  if (active_) {
    if (compressing_) {
      EndCompress();
    } else {
      EndDecompress();
    }
  }
}

int AlgoDeflate::BeginCompress(uint32_t) {
  stream_ = std::make_unique<Stream>();
  const int level = options_[1] >= 1 && options_[1] <= 9 ? static_cast<int>(options_[1]) : Z_DEFAULT_COMPRESSION;
  if (deflateInit2(&stream_->z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    stream_.reset();
    return 0;
  }
  flush_ = Z_NO_FLUSH;
  compressing_ = true;
  active_ = 1;
  return 1;
}

int AlgoDeflate::SetCompressInput(const uint8_t* data, uint32_t length) {
  if (!stream_) return 0;
  stream_->z.next_in = const_cast<Bytef*>(data);
  stream_->z.avail_in = length;
  return 1;
}

int AlgoDeflate::FinishCompress() {
  flush_ = Z_FINISH;
  return 1;
}

int AlgoDeflate::Compress(uint8_t* out, uint32_t outSize, uint32_t* produced) {
  *produced = 0;
  if (!stream_) return kAlgoError;
  stream_->z.next_out = out;
  stream_->z.avail_out = outSize;
  if (deflate(&stream_->z, static_cast<int>(flush_)) == Z_STREAM_ERROR) return kAlgoError;
  *produced = outSize - stream_->z.avail_out;
  return stream_->z.avail_out == 0 ? kAlgoOutputFull : kAlgoInputUsed;
}

int AlgoDeflate::EndCompress() {
  if (!stream_) return 0;
  deflateEnd(&stream_->z);
  stream_.reset();
  active_ = 0;
  return 1;
}

int AlgoDeflate::BeginDecompress(uint32_t) {
  stream_ = std::make_unique<Stream>();
  if (inflateInit2(&stream_->z, -15) != Z_OK) {
    stream_.reset();
    return 0;
  }
  compressing_ = false;
  active_ = 1;
  return 1;
}

int AlgoDeflate::SetDecompressInput(const uint8_t* data, uint32_t length) { return SetCompressInput(data, length); }

int AlgoDeflate::Decompress(uint8_t* out, uint32_t outSize, uint32_t* produced) {
  *produced = 0;
  if (!stream_) return kAlgoError;
  stream_->z.next_out = out;
  stream_->z.avail_out = outSize;
  const int rc = inflate(&stream_->z, Z_NO_FLUSH);
  if (rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_DATA_ERROR || rc == Z_STREAM_ERROR) return kAlgoError;
  *produced = outSize - stream_->z.avail_out;
  return stream_->z.avail_out == 0 ? kAlgoOutputFull : kAlgoInputUsed;
}

int AlgoDeflate::EndDecompress() {
  if (!stream_) return 0;
  inflateEnd(&stream_->z);
  stream_.reset();
  active_ = 0;
  return 1;
}

std::unique_ptr<AlgoBase> CreateCodec(uint32_t codecIndex) {
  switch (codecIndex) {
    case 0:
      return std::make_unique<AlgoDeflate>();
    case 1:
      return std::make_unique<AlgoStore>();
    default:
      return nullptr;
  }
}
