// Reading and checking resource containers.
#include "resource/Container.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kx2/ResourceContainer.h"
#include "kx2/Win32Error.h"
#include "win/errors.h"

namespace kx2::rsrc {
namespace {

// The largest container we read into memory.
constexpr uint64_t kMaxFileSize = 1ull << 30;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// Decodes a type or name field; false when it points outside the file or is malformed.
bool ReadName(const std::vector<uint8_t>& b, uint32_t field, ResName* out) {
  if (!(field & kNamedFlag)) {
    if (field == 0 || field > 0xFFFF) return false;
    out->id = static_cast<uint16_t>(field);
    return true;
  }
  uint64_t at = field & ~kNamedFlag;
  if (at % 2 || at + 2 > b.size()) return false;
  uint32_t len = Get16(&b[at]);
  if (len == 0 || len > kMaxNameLength || at + 2 + 2ull * len > b.size()) return false;
  out->text.resize(len);
  for (uint32_t i = 0; i < len; ++i) out->text[i] = Get16(&b[at + 2 + 2 * i]);
  return true;
}

bool ReadAll(int fd, std::vector<uint8_t>& out) {
  size_t done = 0;
  while (done < out.size()) {
    ssize_t n = read(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool operator<(const ResName& a, const ResName& b) {
  if (a.IsNumber() != b.IsNumber()) return !a.IsNumber();
  return a.IsNumber() ? a.id < b.id : a.text < b.text;
}

bool operator==(const ResName& a, const ResName& b) { return a.id == b.id && a.text == b.text; }

bool ParseResName(LPCWSTR arg, ResName* out) {
  *out = ResName{};
  if (IS_INTRESOURCE(arg)) {
    out->id = LOWORD(arg);
    return out->id != 0;
  }
  std::u16string text;
  for (const char16_t* p = arg; *p; ++p) {
    if (text.size() >= kMaxNameLength) return false;
    text.push_back(*p);
  }
  if (!text.empty() && text[0] == u'#') {
    uint32_t v = 0;
    if (text.size() == 1) return false;
    for (size_t i = 1; i < text.size(); ++i) {
      if (text[i] < u'0' || text[i] > u'9') return false;
      v = v * 10 + (text[i] - u'0');
      if (v > 0xFFFF) return false;
    }
    out->id = static_cast<uint16_t>(v);
    return v != 0;
  }
  if (text.empty()) return false;
  out->text = UpperName(std::move(text));
  return true;
}

std::unique_ptr<Container> Container::Parse(std::vector<uint8_t> bytes) {
  const auto& b = bytes;
  if (b.size() < kHeaderSize || std::memcmp(b.data(), kMagic, 4) != 0) return nullptr;
  if (Get16(&b[4]) != kVersion || Get16(&b[6]) != kEntrySize) return nullptr;
  uint64_t count = Get32(&b[8]);
  if (Get32(&b[12]) != b.size()) return nullptr;
  if (kHeaderSize + count * kEntrySize > b.size()) return nullptr;

  auto c = std::unique_ptr<Container>(new Container);
  c->entries_.reserve(count);
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* e = &b[kHeaderSize + i * kEntrySize];
    Entry entry;
    if (!ReadName(b, Get32(e + 0), &entry.type) || !ReadName(b, Get32(e + 4), &entry.name)) return nullptr;
    entry.language = Get16(e + 8);
    uint64_t offset = Get32(e + 12), size = Get32(e + 16);
    if (offset + size > b.size()) return nullptr;
    // Empty data still get a valid pointer into the file.
    entry.data = b.data() + offset;
    entry.size = static_cast<uint32_t>(size);
    c->entries_.push_back(std::move(entry));
  }
  auto order = [](const Entry& x, const Entry& y) {
    if (!(x.type == y.type)) return x.type < y.type;
    if (!(x.name == y.name)) return x.name < y.name;
    return x.language < y.language;
  };
  std::sort(c->entries_.begin(), c->entries_.end(), order);
  for (size_t i = 1; i < c->entries_.size(); ++i)
    if (!order(c->entries_[i - 1], c->entries_[i])) return nullptr;  // the same resource twice
  // The entries point into the bytes; moving the vector keeps its buffer.
  c->bytes_ = std::move(bytes);
  return c;
}

std::unique_ptr<Container> Container::Load(const std::string& path, DWORD* error) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = Win32ErrorFromErrno(errno);
    return nullptr;
  }
  struct stat st {};
  std::vector<uint8_t> bytes;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= kMaxFileSize;
  if (ok) {
    bytes.resize(static_cast<size_t>(st.st_size));
    ok = ReadAll(fd, bytes);
  }
  close(fd);
  auto c = ok ? Parse(std::move(bytes)) : nullptr;
  if (!c) *error = ERROR_BAD_EXE_FORMAT;
  return c;
}

bool Container::LooksLikeContainer(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char head[4] = {};
  bool yes = read(fd, head, 4) == 4 && std::memcmp(head, kMagic, 4) == 0;
  close(fd);
  return yes;
}

const Entry* Container::Find(const ResName& type, const ResName& name, uint16_t language) const {
  for (const auto& e : entries_)
    if (e.type == type && e.name == name && e.language == language) return &e;
  return nullptr;
}

const Entry* Container::Select(const ResName& type, const ResName& name, uint16_t language, uint16_t preferred) const {
  if (language != 0) return Find(type, name, language);
  std::vector<const Entry*> all;
  for (const auto& e : entries_)
    if (e.type == type && e.name == name) all.push_back(&e);
  if (all.empty()) return nullptr;
  auto first = [&](auto pred) -> const Entry* {
    for (auto* e : all)
      if (pred(e->language)) return e;
    return nullptr;
  };
  const uint16_t primary = PRIMARYLANGID(preferred);
  if (auto* e = first([](uint16_t l) { return l == 0; })) return e;
  if (auto* e = first([&](uint16_t l) { return l == preferred; })) return e;
  if (auto* e = first([&](uint16_t l) { return PRIMARYLANGID(l) == primary; })) return e;
  if (auto* e = first([](uint16_t l) { return l == 0x0409; })) return e;
  if (auto* e = first([](uint16_t l) { return PRIMARYLANGID(l) == 0x09; })) return e;
  return all.front();
}

bool Container::HasType(const ResName& type) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.type == type; });
}

bool Container::HasName(const ResName& type, const ResName& name) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& e) { return e.type == type && e.name == name; });
}

}  // namespace kx2::rsrc
