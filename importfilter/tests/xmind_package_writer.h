// Writes small XMind packages for tests and the fuzz target: a zip archive whose entries
// are stored uncompressed, as newer XMind versions write them.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace xmindtest {

using Entries = std::vector<std::pair<std::string, std::string>>;  // name, bytes

inline uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}

inline std::string ZipArchive(const Entries& entries) {
  std::string out, directory;
  auto put16 = [](std::string& s, uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); };
  auto put32 = [&](std::string& s, uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); };
  for (const auto& [name, bytes] : entries) {
    const uint32_t offset = static_cast<uint32_t>(out.size()), crc = Crc32(bytes);
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    put32(out, 0x04034b50), put16(out, 10), put16(out, 0), put16(out, 0), put32(out, 0);
    put32(out, crc), put32(out, size), put32(out, size);
    put16(out, static_cast<uint32_t>(name.size())), put16(out, 0);
    out += name, out += bytes;
    put32(directory, 0x02014b50), put16(directory, 20), put16(directory, 10), put16(directory, 0);
    put16(directory, 0), put32(directory, 0), put32(directory, crc), put32(directory, size), put32(directory, size);
    put16(directory, static_cast<uint32_t>(name.size())), put16(directory, 0), put16(directory, 0);
    put16(directory, 0), put16(directory, 0), put32(directory, 0), put32(directory, offset);
    directory += name;
  }
  const uint32_t at = static_cast<uint32_t>(out.size());
  out += directory;
  put32(out, 0x06054b50), put16(out, 0), put16(out, 0);
  put16(out, static_cast<uint32_t>(entries.size())), put16(out, static_cast<uint32_t>(entries.size()));
  put32(out, static_cast<uint32_t>(directory.size())), put32(out, at), put16(out, 0);
  return out;
}

inline bool WritePackage(const std::string& path, const Entries& entries) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  const std::string bytes = ZipArchive(entries);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

// A "content.xml" around sheet elements, with the namespaces XMind 8 declares.
inline std::string Content(const std::string& sheets) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>"
         "<xmap-content xmlns=\"urn:xmind:xmap:xmlns:content:2.0\" xmlns:fo=\"http://www.w3.org/1999/XSL/Format\""
         " xmlns:svg=\"http://www.w3.org/2000/svg\" xmlns:xhtml=\"http://www.w3.org/1999/xhtml\""
         " xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"2.0\">" +
         sheets + "</xmap-content>";
}

// A "styles.xml" around style elements.
inline std::string Styles(const std::string& styles) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>"
         "<xmap-styles xmlns=\"urn:xmind:xmap:xmlns:style:2.0\" xmlns:fo=\"http://www.w3.org/1999/XSL/Format\""
         " xmlns:svg=\"http://www.w3.org/2000/svg\" version=\"2.0\"><styles>" +
         styles + "</styles></xmap-styles>";
}

}  // namespace xmindtest
