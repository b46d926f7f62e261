// Arbitrary bytes read as a record archive: records are peeked, opened, read field by
// field and skipped with everything nested under them, with and without the throw mode,
// and (chosen by the first byte) after the first record through the decompression and
// decryption layers, which then end and hand the rest back to plain reading.
#include <plastrum/Kx2Archive.h>
#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <basalt/error.h>

namespace {

void Walk(CKx2DataBlock& archive, uint8_t style, int steps) {
  char16_t text[40];
  uint8_t block[16];
  for (int step = 0; step < steps; ++step) {
    const int32_t before = archive.GetPosition();
    const uint16_t tag = archive.PeekRecord();
    if ((tag + step + style) % 3 == 0) {
      archive.SkipRecord();
    } else {
      if (!archive.OpenRecord((style & 4) ? tag : 0)) archive.OpenRecord(0);
      switch ((tag ^ style) % 5) {
        case 0:
          archive.ReadU8();
          archive.ReadU16();
          archive.ReadU32();
          break;
        case 1:
          archive.ReadU64();
          archive.ReadDouble();
          break;
        case 2:
          archive.ReadString(text, 1 + tag % 40);
          break;
        case 3:
          archive.Read16Bytes(block);
          archive.ReadString(nullptr, 0);
          break;
        default:
          archive.RunU32(tag % 7, 0);
          archive.HasBytesLeft(tag);
          break;
      }
      archive.EndRecord();
    }
    if (archive.GetPosition() == before) break;  // the end of the data
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  const uint8_t style = size ? data[0] : 0;
  for (int throwing = 0; throwing < 2; ++throwing) {
    void* copy = Kx2Heap::Allocate(size);
    if (size) std::memcpy(copy, data, size);
    CKx2MemFile file(copy, static_cast<int32_t>(size));
    CKx2DataBlock archive;
    // A small read-ahead buffer makes records cross refills.
    archive.Attach(&file, 16 + (style % 8) * 37);
    Kx2::ScopedThrowMode mode(throwing);
    try {
      if (style & 0x30) {
        archive.SkipRecord();
        if (style & 0x20) archive.BeginEncryption(0, u"fuzz");
        if (archive.BeginCompression()) {
          Walk(archive, style, 4);
          archive.EndCompression();
        }
        archive.EndEncryption();
      }
      Walk(archive, style, 100000);
    } catch (uint32_t) {
      // Errors surface as the thrown code in throw mode.
    }
    archive.Reset();
    Basalt::Error::BaseError::_ClearError();
  }
  return 0;
}
