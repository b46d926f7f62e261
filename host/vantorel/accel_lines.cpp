// Reading the accelerator lines out of a vantorel type script.
#include "accel_lines.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace vantorel::cli {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

uint32_t KeyOf(const std::string& name) {
  const std::string key = Lower(name);
  if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0])))
    return static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(key[0])));
  if (key.size() >= 2 && key[0] == 'f' && std::isdigit(static_cast<unsigned char>(key[1]))) {
    const int n = std::atoi(key.c_str() + 1);
    return n >= 1 && n <= 24 ? static_cast<uint32_t>(0x6F + n) : 0;
  }
  static const struct {
    const char* name;
    uint32_t vk;
  } kNames[] = {{"escape", 0x1B},   {"return", 0x0D}, {"space", 0x20}, {"tab", 0x09}, {"back", 0x08},
                {"insert", 0x2D},   {"delete", 0x2E}, {"home", 0x24},  {"end", 0x23}, {"pageup", 0x21},
                {"pagedown", 0x22}, {"left", 0x25},   {"right", 0x27}, {"up", 0x26},  {"down", 0x28}};
  for (const auto& entry : kNames)
    if (key == entry.name) return entry.vk;
  char* end = nullptr;
  const long number = std::strtol(key.c_str(), &end, 0);
  return end && !*end && number > 0 && number < 256 ? static_cast<uint32_t>(number) : 0;
}

// "Ctrl+Alt+K" as a chord; 0 when it is none.
uint32_t ChordOf(const std::string& text) {
  uint32_t modifiers = 0;
  size_t start = 0;
  for (size_t plus = text.find('+'); plus != std::string::npos && plus + 1 < text.size();
       plus = text.find('+', start)) {
    const std::string word = Lower(text.substr(start, plus - start));
    if (word == "ctrl")
      modifiers |= QUEL_CHORD_CTRL;
    else if (word == "alt")
      modifiers |= QUEL_CHORD_ALT;
    else if (word == "shift")
      modifiers |= QUEL_CHORD_SHIFT;
    else
      return 0;
    start = plus + 1;
  }
  const uint32_t key = KeyOf(text.substr(start));
  return key ? modifiers | key : 0;
}

bool ParseLine(const std::string& line, tagAccelEntry* entry) {
  std::istringstream in(line);
  std::string word, chords, command, extra;
  if (!(in >> word >> chords >> command) || (in >> extra)) return false;
  const size_t comma = chords.find(',');
  entry->firstChord = ChordOf(chords.substr(0, comma));
  entry->secondChord = comma == std::string::npos ? 0 : ChordOf(chords.substr(comma + 1));
  char* end = nullptr;
  const long id = std::strtol(command.c_str(), &end, 0);
  if (!entry->firstChord || (comma != std::string::npos && !entry->secondChord) || !end || *end || id < 1 ||
      id > 0xFFFF)
    return false;
  entry->command = static_cast<uint16_t>(id);
  entry->reserved = 0;
  return true;
}

}  // namespace

AccelLines TakeAccelLines(const std::string& script) {
  AccelLines out;
  std::istringstream in(script);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    size_t start = line.find_first_not_of(" \t");
    if (start != std::string::npos && line.compare(start, 6, "accel ") == 0) {
      tagAccelEntry entry{};
      if (ParseLine(line.substr(start), &entry))
        out.entries.push_back(entry);
      else if (!out.badLine)
        out.badLine = number;
      out.rest += "#\n";
      continue;
    }
    out.rest += line;
    out.rest += '\n';
  }
  return out;
}

}  // namespace vantorel::cli
