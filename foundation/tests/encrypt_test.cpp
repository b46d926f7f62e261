// Password-keyed encryption: SHA-1, AES-128 and CFB-1 against their published
// values, against sha1sum and OpenSSL, and the key derivation around them.
#include "basalt/base_encrypt.h"
#include "encrypt/aes128.h"
#include "encrypt/cfb1.h"
#include "encrypt/key_derivation.h"
#include "encrypt/sha1.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Basalt::Base::BaseEncrypt;
using namespace Basalt::Base::Encrypt;
using Bytes = std::vector<uint8_t>;

std::string Hex(const uint8_t* p, size_t n) {
  static const char kHex[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += kHex[p[i] >> 4];
    s += kHex[p[i] & 15];
  }
  return s;
}
Bytes FromHex(const std::string& h) {
  Bytes b;
  for (size_t i = 0; i + 1 < h.size(); i += 2)
    b.push_back(static_cast<uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
  return b;
}
Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

// A fresh folder for files handed to command-line tools.
struct TempDir {
  std::string path;
  TempDir() {
    char tmpl[] = "/tmp/kx2-encrypt-XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string Write(const std::string& name, const Bytes& data) const {
    const std::string p = path + "/" + name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return p;
  }
  Bytes Read(const std::string& name) const {
    std::ifstream f(path + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
  }
};

std::string RunCommand(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

TEST(EncryptSha1, MatchesSha1sum) {
  TempDir dir;
  const std::vector<Bytes> inputs = {
      {},           {'a', 'b', 'c'}, Bytes(55, 'x'),       Bytes(56, 'y'),     Bytes(63, 'z'),
      Bytes(64, 0), Bytes(65, 0xFF), RandomBytes(1000, 1), Bytes(1000000, 'a')};
  for (size_t i = 0; i < inputs.size(); ++i) {
    const std::string file = dir.Write("in" + std::to_string(i), inputs[i]);
    const std::string expected = RunCommand("sha1sum '" + file + "'").substr(0, 40);
    ASSERT_EQ(expected.size(), 40u) << "sha1sum did not run";
    Sha1 sha;
    sha.Update(inputs[i].data(), inputs[i].size());
    uint8_t digest[20];
    sha.Final(digest);
    EXPECT_EQ(Hex(digest, 20), expected) << "input " << i;
  }
}

TEST(EncryptSha1, MakePasswordFeedsTheTextOncePer64Bytes) {
  char out[45];
  std::memset(out, 'q', sizeof out);
  BaseEncrypt::MakePassword("abc", out);
  EXPECT_STREQ(out, "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(out[44], 0);
  BaseEncrypt::MakePassword("", out);
  EXPECT_STREQ(out, "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  for (size_t len : {size_t{64}, size_t{65}, size_t{129}}) {
    const std::string text(len, 'k');
    std::string fed;
    for (size_t k = 0; k < (len + 63) / 64; ++k) fed += text;
    uint8_t digest[20];
    SHA1(reinterpret_cast<const uint8_t*>(fed.data()), fed.size(), digest);
    std::string upper = Hex(digest, 20);
    for (char& c : upper) c = static_cast<char>(toupper(c));
    BaseEncrypt::MakePassword(text.c_str(), out);
    EXPECT_EQ(std::string(out), upper) << len;
  }
}

TEST(EncryptAes, Fips197KnownAnswers) {
  const struct {
    const char *key, *plain, *cipher;
  } cases[] = {
      {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {"2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734", "3925841d02dc09fbdc118597196a0b32"},
  };
  for (const auto& c : cases) {
    Aes128Schedule ks;
    ExpandKey128(FromHex(c.key).data(), ks);
    uint8_t out[16];
    EncryptBlockPortable(ks, FromHex(c.plain).data(), out);
    EXPECT_EQ(Hex(out, 16), c.cipher);
    if (HasAesNi()) {
      EncryptBlockAesNi(ks, FromHex(c.plain).data(), out);
      EXPECT_EQ(Hex(out, 16), c.cipher);
    }
  }
}

TEST(EncryptCfb1, Sp800_38aF31) {
  const Bytes key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  const Bytes iv = FromHex("000102030405060708090a0b0c0d0e0f");
  for (bool hardware : {false, true}) {
    Cfb1 enc, dec;
    enc.Init(key.data(), iv.data(), hardware);
    dec.Init(key.data(), iv.data(), hardware);
    Bytes data = FromHex("6bc1");
    enc.Encrypt(data.data(), data.size());
    EXPECT_EQ(Hex(data.data(), data.size()), "68b3") << hardware;
    dec.Decrypt(data.data(), data.size());
    EXPECT_EQ(Hex(data.data(), data.size()), "6bc1") << hardware;
  }
}

// The key as the derivation rule gives it, built here with OpenSSL's SHA-1.
Bytes ExpectedKey(const std::u16string& password) {
  std::string bytes;
  uint8_t before = kPasswordSeed;
  for (size_t i = 0; i < std::min<size_t>(password.size(), 160); ++i) {
    const uint8_t r = static_cast<uint8_t>((before << 1) | (before >> 7));
    const uint8_t hi = password[i] >> 8, lo = password[i] & 0xFF;
    bytes += static_cast<char>(hi ? hi : r);
    bytes += static_cast<char>(lo ? lo : r);
    before = static_cast<uint8_t>(bytes.back());
  }
  std::string fed;
  for (size_t k = 0; k < (bytes.size() + 63) / 64; ++k) fed += bytes;
  uint8_t digest[20];
  SHA1(reinterpret_cast<const uint8_t*>(fed.data()), fed.size(), digest);
  return Bytes(digest, digest + 16);
}

Bytes OpensslCfb1(const Bytes& key, const Bytes& plain, bool encrypt) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  const uint8_t iv[16] = {};
  EVP_CipherInit_ex(ctx, EVP_aes_128_cfb1(), nullptr, key.data(), iv, encrypt ? 1 : 0);
  Bytes out(plain.size() + 16);
  int n = 0, m = 0;
  EVP_CipherUpdate(ctx, out.data(), &n, plain.data(), static_cast<int>(plain.size()));
  EVP_CipherFinal_ex(ctx, out.data() + n, &m);
  EVP_CIPHER_CTX_free(ctx);
  out.resize(static_cast<size_t>(n + m));
  return out;
}

Bytes Encrypted(const std::u16string& password, Bytes data, const std::vector<size_t>& pieces = {SIZE_MAX}) {
  void* inst = BaseEncrypt::Create(password.c_str(), 4);
  for (size_t pos = 0, k = 0; pos < data.size(); ++k) {
    const size_t n = std::min(pieces[k % pieces.size()], data.size() - pos);
    BaseEncrypt::WriteBlock(inst, data.data() + pos, static_cast<LONG>(n));
    pos += n;
  }
  BaseEncrypt::Release(inst);
  return data;
}

TEST(EncryptCipher, EqualsOpensslWithTheDerivedKey) {
  const std::u16string passwords[] = {u"", u"secret", u"\u4100A\u0041\u00ff\u0100 mixed \U0001F600",
                                      std::u16string(70, u'p')};
  for (const auto& pw : passwords) {
    const Bytes key = ExpectedKey(pw);
    for (size_t len : {size_t{16}, size_t{4096}, size_t{16016}}) {
      const Bytes plain = RandomBytes(len, static_cast<uint32_t>(len + pw.size()));
      const Bytes cipher = Encrypted(pw, plain);
      EXPECT_EQ(cipher, OpensslCfb1(key, plain, true)) << len;
      Bytes back = cipher;
      void* inst = BaseEncrypt::Create(pw.c_str(), 4);
      BaseEncrypt::ReadBlock(inst, back.data(), static_cast<LONG>(back.size()));
      BaseEncrypt::Release(inst);
      EXPECT_EQ(back, plain);
    }
  }
}

TEST(EncryptCipher, EqualsOpensslCommandLine) {
  TempDir dir;
  const Bytes plain = RandomBytes(4096, 5);
  dir.Write("plain", plain);
  const std::u16string pw = u"Kx2 map password";
  const std::string cmd = "openssl enc -aes-128-cfb1 -K " + Hex(ExpectedKey(pw).data(), 16) +
                          " -iv 00000000000000000000000000000000 -in '" + dir.path + "/plain' -out '" + dir.path +
                          "/cipher' 2>&1";
  RunCommand(cmd);
  const Bytes expected = dir.Read("cipher");
  ASSERT_EQ(expected.size(), plain.size()) << "openssl enc did not run";
  EXPECT_EQ(Encrypted(pw, plain), expected);
}

TEST(EncryptCipher, AnySplitIntoBlocksGivesTheSameBytes) {
  const Bytes plain = RandomBytes(16 * 64, 6);
  const Bytes whole = Encrypted(u"split", plain);
  for (const auto& pieces : std::vector<std::vector<size_t>>{{16}, {32, 16, 48}, {512}, {16 * 63, 16}})
    EXPECT_EQ(Encrypted(u"split", plain, pieces), whole);
  void* inst = BaseEncrypt::Create(u"split", 4);
  Bytes back = whole;
  for (size_t pos = 0; pos < back.size(); pos += 48) {
    const size_t n = std::min<size_t>(48, back.size() - pos);
    BaseEncrypt::ReadBlock(inst, back.data() + pos, static_cast<LONG>(n));
  }
  BaseEncrypt::Release(inst);
  EXPECT_EQ(back, plain);
  // The portable cipher gives the same bytes as the hardware one.
  Cfb1 portable;
  const uint8_t zero[16] = {};
  portable.Init(ExpectedKey(u"split").data(), zero, false);
  Bytes again = plain;
  portable.Encrypt(again.data(), again.size());
  EXPECT_EQ(again, whole);
}

TEST(EncryptCipher, KeyDerivationCases) {
  const Bytes plain = RandomBytes(64, 7);
  // Two instances start from the same register.
  EXPECT_EQ(Encrypted(u"same", plain), Encrypted(u"same", plain));
  // Only the first 160 units count.
  const std::u16string long1 = std::u16string(160, u'x') + u"tail one";
  const std::u16string long2 = std::u16string(160, u'x') + u"other tail";
  EXPECT_EQ(Encrypted(long1, plain), Encrypted(long2, plain));
  EXPECT_NE(Encrypted(std::u16string(159, u'x') + u"a", plain), Encrypted(std::u16string(159, u'x') + u"b", plain));
  // Zero bytes are replaced by the rotated byte before them, so U+0041 and U+4100 differ.
  uint8_t a[320], b[320];
  ASSERT_EQ(PasswordBytes(u"\u0041", a), 2u);
  ASSERT_EQ(PasswordBytes(u"\u4100", b), 2u);
  const uint8_t rotated = static_cast<uint8_t>((kPasswordSeed << 1) | (kPasswordSeed >> 7));
  EXPECT_EQ(a[0], rotated);
  EXPECT_EQ(a[1], 0x41);
  EXPECT_EQ(b[0], 0x41);
  EXPECT_EQ(b[1], rotated);
  EXPECT_NE(Encrypted(u"\u0041", plain), Encrypted(u"\u4100", plain));
  // An empty password is the digest of no bytes; a null one is the same.
  EXPECT_EQ(Encrypted(u"", plain), OpensslCfb1(FromHex("da39a3ee5e6b4b0d3255bfef95601890"), plain, true));
  void* inst = BaseEncrypt::Create(nullptr, 4);
  ASSERT_NE(inst, nullptr);
  Bytes data = plain;
  BaseEncrypt::WriteBlock(inst, data.data(), 64);
  BaseEncrypt::Release(inst);
  EXPECT_EQ(data, Encrypted(u"", plain));
  for (int mode : {0, 1, 3, 5, 100}) EXPECT_EQ(BaseEncrypt::Create(u"x", mode), nullptr) << mode;
}

// Files written with this derivation (seed included) must stay readable.
TEST(EncryptCipher, GoldenCiphertext) {
  const std::string text = "Basalt golden plaintext, 32 byte";
  const Bytes plain(text.begin(), text.end());
  const Bytes cipher = Encrypted(u"Kx2 map password", plain);
  EXPECT_EQ(Hex(cipher.data(), cipher.size()), "844c6ee7e98ec60dc50e79617586c98e58daa0e7017da2f020cf6b805c8df007");
}

TEST(EncryptCipher, NothingHappensForEmptyLengths) {
  void* inst = BaseEncrypt::Create(u"x", 4);
  uint8_t buf[16] = {1, 2, 3};
  BaseEncrypt::WriteBlock(inst, buf, 0);
  BaseEncrypt::WriteBlock(inst, buf, -16);
  BaseEncrypt::ReadBlock(inst, buf, 0);
  EXPECT_EQ(buf[0], 1);
  EXPECT_EQ(buf[2], 3);
  BaseEncrypt::Release(inst);
  BaseEncrypt::Release(nullptr);
  BaseEncrypt::DestroyInst(nullptr);
}

}  // namespace
