// AES-128 CFB-1 of the password-keyed encryption beside OpenSSL's EVP_aes_128_cfb1,
// encrypting and decrypting 64 KiB in pieces of 4096 bytes as the byte stores do.
#include "basalt/base_encrypt.h"
#include "encrypt/cfb1.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <random>
#include <vector>

namespace {

using Basalt::Base::BaseEncrypt;
using Bytes = std::vector<uint8_t>;

constexpr size_t kTotal = 64 * 1024;
constexpr size_t kPiece = 4096;

Bytes Data() {
  std::mt19937 rng(3);
  Bytes b(kTotal);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

void BM_Ours(benchmark::State& state) {
  const bool decrypt = state.range(0);
  Bytes data = Data();
  void* inst = BaseEncrypt::Create(u"benchmark password", BaseEncrypt::kModeAesCfb1);
  for (auto _ : state) {
    for (size_t pos = 0; pos < kTotal; pos += kPiece) {
      if (decrypt)
        BaseEncrypt::ReadBlock(inst, data.data() + pos, kPiece);
      else
        BaseEncrypt::WriteBlock(inst, data.data() + pos, kPiece);
    }
    benchmark::DoNotOptimize(data.data());
  }
  BaseEncrypt::Release(inst);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
  state.SetLabel(decrypt ? "decrypt" : "encrypt");
}

// The table-driven cipher that runs where the processor has no AES-NI.
void BM_OursPortable(benchmark::State& state) {
  const bool decrypt = state.range(0);
  Bytes data = Data();
  Basalt::Base::Encrypt::Cfb1 cipher;
  const uint8_t key[16] = {1, 2, 3}, iv[16] = {};
  cipher.Init(key, iv, false);
  for (auto _ : state) {
    for (size_t pos = 0; pos < kTotal; pos += kPiece) {
      if (decrypt)
        cipher.Decrypt(data.data() + pos, kPiece);
      else
        cipher.Encrypt(data.data() + pos, kPiece);
    }
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
  state.SetLabel(decrypt ? "decrypt" : "encrypt");
}

void BM_OpenSSL(benchmark::State& state) {
  const bool decrypt = state.range(0);
  Bytes data = Data(), out(kTotal);
  const uint8_t key[16] = {1, 2, 3}, iv[16] = {};
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(ctx, EVP_aes_128_cfb1(), nullptr, key, iv, decrypt ? 0 : 1);
  for (auto _ : state) {
    for (size_t pos = 0; pos < kTotal; pos += kPiece) {
      int n = 0;
      EVP_CipherUpdate(ctx, out.data() + pos, &n, data.data() + pos, static_cast<int>(kPiece));
    }
    benchmark::DoNotOptimize(out.data());
  }
  EVP_CIPHER_CTX_free(ctx);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
  state.SetLabel(decrypt ? "decrypt" : "encrypt");
}

BENCHMARK(BM_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSSL)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursPortable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
