#include "basalt/base_encrypt.h"

#include "encrypt/cfb1.h"
#include "encrypt/key_derivation.h"

#include <cstring>
#include <new>

namespace Basalt::Base {
namespace {

using Encrypt::Cfb1;

// One instance: its mode, the cipher (key expanded once, the feedback register) and
// the key text the key was taken from.
struct Instance {
  int mode = 0;
  Cfb1 cipher;
  char keyText[48] = {};

  ~Instance() {
    cipher.Wipe();
    volatile char* p = keyText;
    for (size_t i = 0; i < sizeof keyText; ++i) p[i] = 0;
  }
};

uint8_t HexValue(char c) { return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10); }

}  // namespace

void* BaseEncrypt::Create(const char16_t* password, int mode) {
  if (mode != kModeAesCfb1) return nullptr;
  auto* inst = new (std::nothrow) Instance;
  if (!inst) return nullptr;
  inst->mode = mode;
  uint8_t bytes[2 * Encrypt::kMaxPasswordUnits];
  const size_t n = Encrypt::PasswordBytes(password, bytes);
  Encrypt::DigestText(bytes, n, inst->keyText);
  std::memset(bytes, 0, sizeof bytes);
  // The key is the value of the first 32 hex digits: the digest's first 16 bytes.
  uint8_t key[16];
  for (int i = 0; i < 16; ++i)
    key[i] = static_cast<uint8_t>((HexValue(inst->keyText[2 * i]) << 4) | HexValue(inst->keyText[2 * i + 1]));
  const uint8_t zeroRegister[16] = {};
  inst->cipher.Init(key, zeroRegister);
  std::memset(key, 0, sizeof key);
  return inst;
}

void BaseEncrypt::WriteBlock(void* instance, void* buffer, LONG len) {
  if (instance && buffer && len > 0)
    static_cast<Instance*>(instance)->cipher.Encrypt(static_cast<uint8_t*>(buffer), static_cast<size_t>(len));
}

void BaseEncrypt::ReadBlock(void* instance, void* buffer, LONG len) {
  if (instance && buffer && len > 0)
    static_cast<Instance*>(instance)->cipher.Decrypt(static_cast<uint8_t*>(buffer), static_cast<size_t>(len));
}

void BaseEncrypt::Release(void* instance) { delete static_cast<Instance*>(instance); }

void BaseEncrypt::MakePassword(const char* text, char* out) {
  if (!out) return;
  std::memset(out, 0, 45);
  const size_t len = text ? std::strlen(text) : 0;
  Encrypt::DigestText(reinterpret_cast<const uint8_t*>(text), len, out);
}

void BaseEncrypt::DestroyInst(void*) {}

}  // namespace Basalt::Base
