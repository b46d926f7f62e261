// Helpers for the structured-storage tests: a fresh folder as drive T:, and small wrappers
// that keep the COM calls of a test readable.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <kx2/Ref.h>
#include <win/ole.h>

namespace ole_test {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kReadWrite = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

inline std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 16);
  }
  return bytes;
}

inline void WriteStream(IStorage* storage, const char16_t* name, const std::vector<uint8_t>& bytes) {
  kx2::Ref<IStream> stream;
  ASSERT_EQ(storage->CreateStream(name, kCreate, 0, 0, stream.put()), S_OK);
  ULONG written = 0;
  ASSERT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
  ASSERT_EQ(written, bytes.size());
}

inline std::vector<uint8_t> ReadStream(IStorage* storage, const char16_t* name) {
  kx2::Ref<IStream> stream;
  if (storage->OpenStream(name, nullptr, kRead, 0, stream.put()) != S_OK) return {};
  STATSTG stat = {};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  ULONG got = 0;
  if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  bytes.resize(got);
  return bytes;
}

// A fresh folder mapped to drive T:.
class TempDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-ole-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("KX2_DRIVES", ("T=" + folder_).c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Host(const std::string& name) const { return folder_ + "/" + name; }
  std::vector<uint8_t> HostBytes(const std::string& name) const {
    std::ifstream in(Host(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  void WriteHost(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(Host(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::string folder_;
};

}  // namespace ole_test
