// Parsing the item dialog's script and finding it: set by a test or a host for the next
// dialog, or read from the file KX2_FILEDIALOG_SCRIPT names.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "ItemDialogFolder.h"
#include "ItemDialogScript.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/FileDialogScript.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"

namespace kx2::shell {
namespace {

std::mutex g_lock;
std::optional<std::string> g_pending;  // guarded by g_lock
std::atomic<int> g_lastBadLine{0};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool ParseNumber(std::string_view text, DWORD* out) {
  if (text.empty()) return false;
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  unsigned long long value = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9'                 ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0) return false;
    value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFull) return false;
  }
  *out = static_cast<DWORD>(value);
  return true;
}

// One line into a step; false with why for a bad line.
bool ParseLine(std::string_view line, FileDialogStep* step, std::string* why) {
  size_t cut = line.find_first_of(" \t");
  std::string_view word = line.substr(0, cut);
  std::string_view rest = cut == std::string_view::npos ? std::string_view() : Trim(line.substr(cut));
  using Kind = FileDialogStep::Kind;
  if (word == "ok" || word == "cancel") {
    if (!rest.empty()) return *why = "\"" + std::string(word) + "\" takes nothing after it", false;
    step->kind = word == "ok" ? Kind::kOk : Kind::kCancel;
    return true;
  }
  if (word == "folder" || word == "select") {
    if (rest.empty())
      return *why = "\"" + std::string(word) + "\" needs a " + (word == "folder" ? "path" : "name"), false;
    step->kind = word == "folder" ? Kind::kFolder : Kind::kSelect;
    if (word == "folder" && rest.front() == '/')
      step->text = ToWindowsPath(rest);
    else
      step->text = Utf8ToUtf16(rest);
    return true;
  }
  if (word == "name") {
    step->kind = Kind::kName;
    step->text = Utf8ToUtf16(rest);
    return true;
  }
  if (word == "type" || word == "choice") {
    if (!ParseNumber(rest, &step->number)) return *why = "\"" + std::string(word) + "\" needs a number", false;
    step->kind = word == "type" ? Kind::kType : Kind::kChoice;
    return true;
  }
  *why = "unknown step \"" + std::string(word) + "\"";
  return false;
}

}  // namespace

FileDialogScript ParseFileDialogScript(std::string_view text) {
  FileDialogScript script;
  int number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string_view line = Trim(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
    pos = end == std::string_view::npos ? text.size() : end + 1;
    ++number;
    if (line.empty() || line.front() == '#') continue;
    FileDialogStep step{FileDialogStep::Kind::kOk};
    step.line = number;
    if (!ParseLine(line, &step, &script.why)) {
      script.badLine = number;
      break;
    }
    script.steps.push_back(std::move(step));
  }
  return script;
}

std::optional<FileDialogScript> TakeFileDialogScript() {
  std::optional<std::string> text;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    text.swap(g_pending);
  }
  if (text) return ParseFileDialogScript(*text);
  const char* file = std::getenv("KX2_FILEDIALOG_SCRIPT");
  if (!file || !*file) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    FileDialogScript unreadable;
    unreadable.badLine = 1;
    unreadable.why = std::string("cannot read the script file ") + file;
    return unreadable;
  }
  std::ostringstream whole;
  whole << in.rdbuf();
  return ParseFileDialogScript(whole.str());
}

void ReportFileDialogScriptEnd(int badLine, const std::string& why) {
  g_lastBadLine.store(badLine);
  if (badLine)
    std::fprintf(stderr, "file dialog script: line %d: %s; the dialog answers Cancel\n", badLine, why.c_str());
}

}  // namespace kx2::shell

KX2_EXPORT void Kx2SetFileDialogScript(const char* text) {
  kx2::Guard([&] {
    std::lock_guard<std::mutex> guard(kx2::shell::g_lock);
    if (text)
      kx2::shell::g_pending = std::string(text);
    else
      kx2::shell::g_pending.reset();
  });
}

KX2_EXPORT int Kx2FileDialogScriptBadLine() { return kx2::shell::g_lastBadLine.load(); }

KX2_EXPORT int Kx2FileDialogListFolder(LPCWSTR folder) {
  return kx2::Guard(-1, [&] {
    std::vector<kx2::shell::FolderEntry> entries;
    if (!folder || !kx2::shell::ListFolder(kx2::View16(folder), &entries)) return -1;
    return static_cast<int>(entries.size());
  });
}
