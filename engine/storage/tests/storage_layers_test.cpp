// The compression and encryption layers of byte stores, read back through the same
// layers and checked independently with zlib and OpenSSL.
#include <plastrum/Kx2Archive.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <basalt/error.h>

using Basalt::Error::BaseError;

namespace {

constexpr char16_t kPassword[] = u"secret";

std::vector<uint8_t> Bytes(const CKx2MemFile& file) {
  const auto* p = static_cast<const uint8_t*>(file.GetBuffer());
  return std::vector<uint8_t>(p, p + const_cast<CKx2MemFile&>(file).GetLength());
}

CKx2MemFile* Reader(const std::vector<uint8_t>& bytes) {
  void* copy = Kx2Heap::Allocate(bytes.size());
  std::memcpy(copy, bytes.data(), bytes.size());
  return new CKx2MemFile(copy, static_cast<int32_t>(bytes.size()));
}

// Bytes that hardly compress, so that a long record fills several compressor pieces.
uint8_t ByteAt(uint8_t seed, size_t i) {
  uint32_t x = static_cast<uint32_t>(i) * 2654435761u + seed * 40503u;
  x ^= x >> 15;
  x *= 2246822519u;
  return static_cast<uint8_t>(x >> 13);
}

void Record(CKx2DataBlock& a, uint16_t tag, size_t size, uint8_t seed) {
  a.BeginRecord(tag);
  for (size_t i = 0; i < size; ++i) a.WriteU8(ByteAt(seed, i));
  a.EndRecord();
}

// The records inside the compressed stretch, as plain archive bytes.
void Inner(CKx2DataBlock& a) {
  Record(a, 2, 40, 1);
  Record(a, 3, 20000, 2);  // several compressor pieces, and a long-form header
}

std::vector<uint8_t> PlainInner() {
  CKx2MemFile file;
  CKx2DataBlock a;
  a.Attach(&file, 0);
  Inner(a);
  a.Reset();
  return Bytes(file);
}

// Record 1, the stretch (compressed, and encrypted when a password is given), record 4.
std::vector<uint8_t> Document(const char16_t* password, size_t* stretchStart) {
  CKx2MemFile file;
  CKx2DataBlock a;
  a.Attach(&file, 0);
  Record(a, 1, 10, 9);
  *stretchStart = static_cast<size_t>(file.GetLength());
  if (password) {
    EXPECT_EQ(a.BeginEncryption(0, password), 1);
  }
  EXPECT_EQ(a.BeginCompression(), 1);
  Inner(a);
  EXPECT_EQ(a.EndCompression(), 1);
  if (password) {
    EXPECT_EQ(a.EndEncryption(), 1);
  }
  Record(a, 4, 30, 7);
  a.Reset();
  return Bytes(file);
}

// Reads the document back through the same layers; false at the first record that is not
// as written.
bool ReadBack(const std::vector<uint8_t>& bytes, const char16_t* password) {
  std::unique_ptr<CKx2MemFile> file(Reader(bytes));
  CKx2DataBlock a;
  a.Attach(file.get(), 0);
  auto check = [&](uint16_t tag, size_t size, uint8_t seed) {
    if (a.OpenRecord(tag) != tag || a.GetSize() != static_cast<int32_t>(size)) return false;
    for (size_t i = 0; i < size; ++i)
      if (a.ReadU8() != ByteAt(seed, i)) return false;
    return a.EndRecord() == 1;
  };
  if (!check(1, 10, 9)) return false;
  if (password && a.BeginEncryption(0, password) != 1) return false;
  if (a.BeginCompression() != 1) return false;
  if (!check(2, 40, 1) || !check(3, 20000, 2)) return false;
  if (a.EndCompression() != 1) return false;
  if (password) a.EndEncryption();
  return check(4, 30, 7);
}

// The cipher key as the foundation derives it from a password: the UTF-16 units high byte
// first, zero bytes replaced by the byte before rotated left (seed 0x9D before the first),
// SHA-1 over that string fed ceil(length / 64) times, the first 16 bytes of the digest.
std::vector<uint8_t> CipherKey(const std::u16string& password) {
  std::vector<uint8_t> text;
  uint8_t before = 0x9D;
  for (char16_t unit : password) {
    const uint8_t r = static_cast<uint8_t>((before << 1) | (before >> 7));
    const uint8_t hi = static_cast<uint8_t>(unit >> 8), lo = static_cast<uint8_t>(unit);
    text.push_back(hi ? hi : r);
    text.push_back(lo ? lo : r);
    before = text.back();
  }
  EVP_MD_CTX* sha = EVP_MD_CTX_new();
  EVP_DigestInit_ex(sha, EVP_sha1(), nullptr);
  for (size_t fed = 0; fed < text.size(); fed += 64) EVP_DigestUpdate(sha, text.data(), text.size());
  uint8_t digest[20];
  unsigned int length = 0;
  EVP_DigestFinal_ex(sha, digest, &length);
  EVP_MD_CTX_free(sha);
  return std::vector<uint8_t>(digest, digest + 16);
}

std::vector<uint8_t> DecryptCfb1(const std::vector<uint8_t>& key, const uint8_t* data, size_t size) {
  std::vector<uint8_t> plain(size + 16);
  const uint8_t iv[16] = {};
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_DecryptInit_ex(ctx, EVP_aes_128_cfb1(), nullptr, key.data(), iv);
  int out = 0, tail = 0;
  EVP_DecryptUpdate(ctx, plain.data(), &out, data, static_cast<int>(size));
  EVP_DecryptFinal_ex(ctx, plain.data() + out, &tail);
  EVP_CIPHER_CTX_free(ctx);
  plain.resize(static_cast<size_t>(out + tail));
  return plain;
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

TEST(StorageLayers, CompressedAndEncryptedStretchFollowedByAPlainRecord) {
  size_t start = 0;
  const std::vector<uint8_t> plain = Document(nullptr, &start);
  const std::vector<uint8_t> secret = Document(kPassword, &start);
  EXPECT_TRUE(ReadBack(plain, nullptr));
  EXPECT_TRUE(ReadBack(secret, kPassword));
  EXPECT_FALSE(ReadBack(secret, u"wrong"));

  // Only the last compressor piece is padded: the stretch is the compressed size rounded
  // up to 16 bytes, then the 8-byte trailer.
  const size_t compressed = plain.size() - start - (4 + 30);
  ASSERT_GT(compressed, 4 * 4096u);
  const size_t stretch = (compressed + 15) / 16 * 16;
  ASSERT_EQ(secret.size(), start + stretch + 8 + 4 + 30);

  // OpenSSL decrypts the stretch, zlib inflates what it holds.
  const std::vector<uint8_t> padded = DecryptCfb1(CipherKey(kPassword), secret.data() + start, stretch);
  ASSERT_EQ(padded.size(), stretch);
  EXPECT_EQ(std::vector<uint8_t>(padded.begin(), padded.begin() + compressed),
            std::vector<uint8_t>(plain.begin() + start, plain.begin() + start + compressed));
  EXPECT_EQ(std::vector<uint8_t>(padded.begin() + compressed, padded.end()),
            std::vector<uint8_t>(stretch - compressed, 0));
  const std::vector<uint8_t> inner = PlainInner();
  std::vector<uint8_t> inflated(inner.size() + 64);
  z_stream z = {};
  ASSERT_EQ(inflateInit2(&z, -15), Z_OK);
  z.next_in = const_cast<uint8_t*>(padded.data());
  z.avail_in = static_cast<uInt>(compressed);
  z.next_out = inflated.data();
  z.avail_out = static_cast<uInt>(inflated.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  const size_t deflated = compressed - z.avail_in;
  inflated.resize(z.total_out);
  inflateEnd(&z);
  EXPECT_EQ(inflated, inner);
  // The compressor's own trailer: CRC-32 and length of the records.
  ASSERT_EQ(deflated + 8, compressed);
  EXPECT_EQ(Le32(padded.data() + deflated), crc32(0, inner.data(), static_cast<uInt>(inner.size())));
  EXPECT_EQ(Le32(padded.data() + deflated + 4), inner.size());
  // The layer's trailer: magic, then the CRC-32 of the padded plaintext.
  const uint8_t* trailer = secret.data() + start + stretch;
  EXPECT_EQ(Le32(trailer), 0x59CEA438u);
  EXPECT_EQ(Le32(trailer + 4), crc32(0, padded.data(), static_cast<uInt>(padded.size())));
}

TEST(StorageLayers, DamagedTrailerIsAReadError) {
  size_t start = 0;
  const std::vector<uint8_t> plain = Document(nullptr, &start);
  const std::vector<uint8_t> secret = Document(kPassword, &start);
  const size_t stretch = (plain.size() - start - 34 + 15) / 16 * 16;
  for (size_t at : {start + stretch, start + stretch + 5}) {  // the magic, then the CRC
    std::vector<uint8_t> damaged = secret;
    damaged[at] ^= 0x40;
    std::unique_ptr<CKx2MemFile> file(Reader(damaged));
    CKx2DataBlock a;
    a.Attach(file.get(), 0);
    a.SkipRecord();
    ASSERT_EQ(a.BeginEncryption(0, kPassword), 1);
    ASSERT_EQ(a.BeginCompression(), 1);
    a.SkipRecord();
    a.SkipRecord();
    BaseError::_ClearError();
    EXPECT_EQ(a.EndCompression(), 0) << at;
    EXPECT_EQ(BaseError::_GetError(), 0x80070017u);
  }
}

TEST(StorageLayers, CipherModesOutsideTheCipherAreRefused) {
  CKx2MemFile file;
  EXPECT_EQ(file.BeginEncryption(100, kPassword), 0);
  EXPECT_FALSE(file.HasCipher());
  EXPECT_EQ(file.BeginEncryption(7, kPassword), 0);  // the cipher knows only its one mode
  EXPECT_FALSE(file.IsEncrypting());
  EXPECT_FALSE(file.HasCipher());
  EXPECT_EQ(file.BeginEncryption(4, kPassword), 1);  // its own number selects it too
  EXPECT_TRUE(file.IsEncrypting());
  EXPECT_EQ(file.EndCompression(), 0);  // nothing to end
  EXPECT_EQ(file.SuspendEncryption(0), 0);
  EXPECT_EQ(file.SuspendEncryption(1), 1);
  EXPECT_EQ(file.ResumeEncryption(), 1);
  EXPECT_EQ(file.EndEncryption(), 1);
  EXPECT_FALSE(file.IsEncrypting());
}

TEST(StorageLayers, SmallStretchIsOnePaddedPiece) {
  // A few bytes compress to one short piece: stored as one cipher block run and the trailer.
  for (size_t size : {1u, 5u, 200u}) {
    auto write = [&](const char16_t* password) {
      CKx2MemFile file;
      if (password) file.BeginEncryption(0, password);
      file.BeginCompression();
      std::vector<uint8_t> data(size, 'q');
      file.WriteThrough(data.data(), static_cast<int32_t>(data.size()));
      file.EndCompression();
      return Bytes(file);
    };
    const size_t compressed = write(nullptr).size();
    EXPECT_EQ(write(kPassword).size(), (compressed + 15) / 16 * 16 + 8) << size;
  }
}

}  // namespace

namespace {

TEST(StorageLayers, SecondStretchUnderTheSameCipher) {
  // Only the first stretch after BeginEncryption has a trailer; the cipher runs on across
  // both, so the reader must stand where the writer's cipher stood after the first.
  CKx2MemFile file;
  {
    CKx2DataBlock a;
    a.Attach(&file, 0);
    a.BeginEncryption(0, kPassword);
    for (uint16_t stretch = 0; stretch < 2; ++stretch) {
      a.BeginCompression();
      Record(a, static_cast<uint16_t>(10 + stretch), 5000 + stretch, static_cast<uint8_t>(stretch));
      a.EndCompression();
    }
    a.EndEncryption();
    Record(a, 12, 3, 3);
    a.Reset();
  }
  std::unique_ptr<CKx2MemFile> reader(Reader(Bytes(file)));
  CKx2DataBlock a;
  a.Attach(reader.get(), 0);
  ASSERT_EQ(a.BeginEncryption(0, kPassword), 1);
  for (uint16_t stretch = 0; stretch < 2; ++stretch) {
    ASSERT_EQ(a.BeginCompression(), 1);
    ASSERT_EQ(a.OpenRecord(static_cast<uint16_t>(10 + stretch)), 10 + stretch);
    EXPECT_EQ(a.ReadU8(), ByteAt(static_cast<uint8_t>(stretch), 0));
    a.EndRecord();
    ASSERT_EQ(a.EndCompression(), 1) << stretch;
  }
  a.EndEncryption();
  ASSERT_EQ(a.OpenRecord(12), 12);
  EXPECT_EQ(a.ReadU8(), ByteAt(3, 0));
}

}  // namespace
