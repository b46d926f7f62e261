// Per-entry codecs of the zip package storage: a stored copy and raw Deflate (zlib).
#pragma once

#include <cstdint>
#include <memory>

// Results of Compress and Decompress.
enum AlgoResult : int {
  kAlgoError = 0,
  kAlgoInputUsed = 1,   // the output block was not filled; the current input is used up
  kAlgoOutputFull = 2,  // the output block was filled; call again with the same input
};

class AlgoBase {
 public:
  AlgoBase(uint32_t option0, uint32_t level) : options_{option0, level} {}
  virtual ~AlgoBase() = default;
  virtual int BeginCompress(uint32_t options) = 0;
  virtual int SetCompressInput(const uint8_t* data, uint32_t length) = 0;
  virtual int FinishCompress() = 0;
  virtual int Compress(uint8_t* out, uint32_t outSize, uint32_t* produced) = 0;
  virtual int EndCompress() = 0;
  virtual int BeginDecompress(uint32_t options) = 0;
  virtual int SetDecompressInput(const uint8_t* data, uint32_t length) = 0;
  virtual int Decompress(uint8_t* out, uint32_t outSize, uint32_t* produced) = 0;
  virtual int EndDecompress() = 0;

  bool IsActive() const { return active_ != 0; }

 protected:
  uint32_t options_[2];
  uint8_t active_ = 0;
};

// Copies its input unchanged, in both directions.
class AlgoStore final : public AlgoBase {
 public:
  AlgoStore() : AlgoBase(0, 0) {}
  int BeginCompress(uint32_t options) override;
  int SetCompressInput(const uint8_t* data, uint32_t length) override;
  int FinishCompress() override { return 1; }
  int Compress(uint8_t* out, uint32_t outSize, uint32_t* produced) override;
  int EndCompress() override;
  int BeginDecompress(uint32_t options) override { return BeginCompress(options); }
  int SetDecompressInput(const uint8_t* data, uint32_t length) override { return SetCompressInput(data, length); }
  int Decompress(uint8_t* out, uint32_t outSize, uint32_t* produced) override {
    return Compress(out, outSize, produced);
  }
  int EndDecompress() override { return EndCompress(); }

 private:
  const uint8_t* input_ = nullptr;
  uint32_t length_ = 0;
  uint32_t consumed_ = 0;
};

// Raw Deflate (no zlib header, window bits -15) through zlib.
class AlgoDeflate final : public AlgoBase {
 public:
  AlgoDeflate();
  ~AlgoDeflate() override;
  int BeginCompress(uint32_t options) override;
  int SetCompressInput(const uint8_t* data, uint32_t length) override;
  int FinishCompress() override;
  int Compress(uint8_t* out, uint32_t outSize, uint32_t* produced) override;
  int EndCompress() override;
  int BeginDecompress(uint32_t options) override;
  int SetDecompressInput(const uint8_t* data, uint32_t length) override;
  int Decompress(uint8_t* out, uint32_t outSize, uint32_t* produced) override;
  int EndDecompress() override;

 private:
  struct Stream;
  uint32_t flush_ = 0;
  std::unique_ptr<Stream> stream_;
  bool compressing_ = false;
};

// Codec index 0 is Deflate, 1 the stored copy; anything else gives no codec.
std::unique_ptr<AlgoBase> CreateCodec(uint32_t codecIndex);
