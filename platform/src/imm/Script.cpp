// The input-method script: parsing the text form and playing its steps.
#include <cstdlib>
#include <string>
#include <vector>

#include "imm/Context.h"
#include "kx2/Clock.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/IdleHandler.h"
#include "kx2/ImeScript.h"
#include "kx2/Utf.h"
#include "user/Keyboard.h"

struct Kx2ImeScript {
  enum Kind { kLayout, kOpen, kClose, kMode, kKey, kChar, kFail, kClock };
  struct Step {
    Kind kind = kFail;
    DWORD value = 0, value2 = 0;  // layout; mode; clock
    UINT vk = 0, scan = 0;
    bool extended = false, shift = false, ctrl = false, alt = false;
    bool hasAction = false;
    kx2::imm::Action action;
    std::u16string text;
  };
  std::vector<Step> steps;
  size_t next = 0;
  int badLine = 0;
  bool quitWhenDone = false;
};

namespace kx2::imm {
namespace {

// Splits a line into words; a quoted text is one word that keeps its quotes' content
// (marked by a leading '"'). False for an unterminated text or a bad escape.
bool Words(const std::string& line, std::vector<std::string>* out) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) break;
    if (line[i] != '"') {
      size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
      out->push_back(line.substr(start, i - start));
      continue;
    }
    std::string text = "\"";
    ++i;
    for (;;) {
      if (i >= line.size()) return false;
      char c = line[i++];
      if (c == '"') break;
      if (c != '\\') {
        text += c;
        continue;
      }
      if (i >= line.size()) return false;
      c = line[i++];
      switch (c) {
        case '"':
        case '\\':
          text += c;
          break;
        case 'n':
          text += '\n';
          break;
        case 't':
          text += '\t';
          break;
        case 'u': {
          if (i + 4 > line.size()) return false;
          unsigned value = 0;
          for (int k = 0; k < 4; ++k) {
            const char h = line[i++];
            value <<= 4;
            if (h >= '0' && h <= '9')
              value |= h - '0';
            else if (h >= 'a' && h <= 'f')
              value |= h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
              value |= h - 'A' + 10;
            else
              return false;
          }
          // Kept as a private marker and turned into the unit after UTF-8 decoding.
          text += '\x01';
          text += static_cast<char>(value >> 8);
          text += static_cast<char>(value & 0xFF);
          break;
        }
        default:
          return false;
      }
    }
    out->push_back(text);
  }
  return true;
}

bool Number(const std::string& word, DWORD* out) {
  if (word.empty() || word[0] == '-' || word[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(word.c_str(), &end, 0);
  if (errno || *end || value > 0xFFFFFFFFull) return false;
  *out = static_cast<DWORD>(value);
  return true;
}

bool Text(const std::string& word, std::u16string* out) {
  if (word.empty() || word[0] != '"') return false;
  out->clear();
  std::string run;
  for (size_t i = 1; i < word.size(); ++i) {
    if (word[i] == '\x01' && i + 2 < word.size() + 0) {
      *out += Utf8ToUtf16(run);
      run.clear();
      *out += static_cast<char16_t>((static_cast<unsigned char>(word[i + 1]) << 8) |
                                    static_cast<unsigned char>(word[i + 2]));
      i += 2;
    } else {
      run += word[i];
    }
  }
  *out += Utf8ToUtf16(run);
  return true;
}

bool KeyName(std::string word, UINT* vk) {
  for (char& c : word)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  if (word.size() == 1 && ((word[0] >= 'A' && word[0] <= 'Z') || (word[0] >= '0' && word[0] <= '9'))) {
    *vk = static_cast<UINT>(word[0]);
    return true;
  }
  static const struct {
    const char* name;
    UINT vk;
  } names[] = {{"SPACE", VK_SPACE},
               {"RETURN", VK_RETURN},
               {"ENTER", VK_RETURN},
               {"ESCAPE", VK_ESCAPE},
               {"ESC", VK_ESCAPE},
               {"BACK", VK_BACK},
               {"TAB", VK_TAB},
               {"LEFT", VK_LEFT},
               {"RIGHT", VK_RIGHT},
               {"UP", VK_UP},
               {"DOWN", VK_DOWN},
               {"HOME", VK_HOME},
               {"END", VK_END},
               {"DELETE", VK_DELETE},
               {"INSERT", VK_INSERT},
               {"CONVERT", VK_CONVERT},
               {"NONCONVERT", VK_NONCONVERT},
               {"PRIOR", VK_PRIOR},
               {"NEXT", VK_NEXT}};
  for (const auto& n : names)
    if (word == n.name) {
      *vk = n.vk;
      return true;
    }
  if (word.size() >= 2 && word.size() <= 3 && word[0] == 'F') {
    const int n = std::atoi(word.c_str() + 1);
    if (n >= 1 && n <= 12) {
      *vk = VK_F1 + n - 1;
      return true;
    }
  }
  DWORD value = 0;
  if (word.size() > 1 && Number(word, &value) && value > 0 && value <= 0xFE) {
    *vk = value;
    return true;
  }
  return false;
}

// Numbers following a keyword, up to the next word that is not one.
template <typename T>
void Numbers(const std::vector<std::string>& words, size_t* i, std::vector<T>* out) {
  DWORD value = 0;
  while (*i < words.size() && Number(words[*i], &value)) {
    out->push_back(static_cast<T>(value));
    ++*i;
  }
}

bool ParseAction(const std::vector<std::string>& words, size_t i, Kx2ImeScript::Step* step) {
  Action& a = step->action;
  bool explicitAttr = false, explicitClause = false, explicitCursor = false, explicitResultClause = false,
       explicitReadClause = false;
  while (i < words.size()) {
    const std::string& w = words[i++];
    auto text = [&](std::u16string* out) { return i < words.size() && Text(words[i++], out); };
    auto number = [&](DWORD* out) { return i < words.size() && Number(words[i++], out); };
    DWORD value = 0;
    if (w == "comp") {
      if (!text(&a.composition.text)) return false;
      a.hasComposition = true;
    } else if (w == "attr") {
      Numbers(words, &i, &a.composition.attributes);
      explicitAttr = true;
    } else if (w == "clause") {
      Numbers(words, &i, &a.composition.clauses);
      explicitClause = true;
    } else if (w == "cursor") {
      if (!number(&value)) return false;
      a.composition.cursor = static_cast<LONG>(value);
      explicitCursor = true;
    } else if (w == "delta") {
      if (!number(&value)) return false;
      a.composition.deltaStart = static_cast<LONG>(value);
    } else if (w == "read") {
      if (!text(&a.composition.reading)) return false;
      a.composition.hasReading = true;
    } else if (w == "readattr") {
      Numbers(words, &i, &a.composition.readingAttributes);
      a.composition.hasReading = true;
    } else if (w == "readclause") {
      Numbers(words, &i, &a.composition.readingClauses);
      a.composition.hasReading = true;
      explicitReadClause = true;
    } else if (w == "result") {
      if (!text(&a.result.text)) return false;
      a.hasResult = true;
    } else if (w == "resultclause") {
      Numbers(words, &i, &a.result.clauses);
      explicitResultClause = true;
    } else if (w == "resultread") {
      if (!text(&a.result.reading)) return false;
      a.result.hasReading = true;
    } else if (w == "resultreadclause") {
      Numbers(words, &i, &a.result.readingClauses);
      a.result.hasReading = true;
    } else if (w == "cancel") {
      a.cancel = true;
    } else if (w == "hidden") {
      a.hidden = true;
    } else {
      return false;
    }
  }
  // What a method leaves out: every character input, one clause, the cursor at the end.
  Composition& c = a.composition;
  const DWORD length = static_cast<DWORD>(c.text.size());
  if (!explicitAttr) c.attributes.assign(c.text.size(), ATTR_INPUT);
  if (!explicitClause && length) c.clauses = {0, length};
  if (!explicitCursor) c.cursor = static_cast<LONG>(length);
  if (c.hasReading && c.readingAttributes.empty()) c.readingAttributes.assign(c.reading.size(), ATTR_INPUT);
  if (c.hasReading && !explicitReadClause && !c.reading.empty())
    c.readingClauses = {0, static_cast<DWORD>(c.reading.size())};
  Result& r = a.result;
  if (!explicitResultClause && !r.text.empty()) r.clauses = {0, static_cast<DWORD>(r.text.size())};
  if (r.hasReading && r.readingClauses.empty() && !r.reading.empty())
    r.readingClauses = {0, static_cast<DWORD>(r.reading.size())};
  step->hasAction = a.hidden || a.cancel || a.hasComposition || a.hasResult;
  return true;
}

bool ParseLine(const std::vector<std::string>& words, Kx2ImeScript::Step* step) {
  const std::string& verb = words[0];
  size_t i = 1;
  if (verb == "layout") {
    step->kind = Kx2ImeScript::kLayout;
    return words.size() == 2 && Number(words[1], &step->value);
  }
  if (verb == "open" || verb == "close" || verb == "fail") {
    step->kind = verb == "open" ? Kx2ImeScript::kOpen : verb == "close" ? Kx2ImeScript::kClose : Kx2ImeScript::kFail;
    return words.size() == 1;
  }
  if (verb == "mode") {
    step->kind = Kx2ImeScript::kMode;
    return words.size() == 3 && Number(words[1], &step->value) && Number(words[2], &step->value2);
  }
  if (verb == "clock") {
    step->kind = Kx2ImeScript::kClock;
    return words.size() == 2 && Number(words[1], &step->value);
  }
  if (verb == "char") {
    step->kind = Kx2ImeScript::kChar;
    return words.size() == 2 && Text(words[1], &step->text);
  }
  step->kind = Kx2ImeScript::kKey;
  if (verb == "key") {
    if (words.size() < 2 || !KeyName(words[1], &step->vk)) return false;
    i = 2;
    for (; i < words.size(); ++i) {
      if (words[i] == "shift")
        step->shift = true;
      else if (words[i] == "ctrl")
        step->ctrl = true;
      else if (words[i] == "alt")
        step->alt = true;
      else
        break;
    }
  } else if (verb == "hangul" || verb == "hanja") {
    const bool hangul = verb == "hangul";
    step->vk = hangul ? VK_HANGUL : VK_HANJA;
    step->scan = hangul ? 0xF2 : 0xF1;
    if (i < words.size() && words[i] == (hangul ? "ralt" : "rctrl")) {
      step->scan = hangul ? 0x38 : 0x1D;
      step->extended = true;
      ++i;
    }
  } else {
    return false;
  }
  return ParseAction(words, i, step);
}

HWND FocusWindow() {
  HWND focus = GetFocus();
  return focus ? focus : GetActiveWindow();
}

HIMC FocusContext() {
  HWND window = FocusWindow();
  return window ? ImmGetContext(window) : nullptr;
}

void Play(Kx2ImeScript::Step& step) {
  switch (step.kind) {
    case Kx2ImeScript::kLayout: {
      HKL hkl = reinterpret_cast<HKL>(static_cast<uintptr_t>(step.value));
      if (HWND window = FocusWindow())
        PostMessageW(window, WM_INPUTLANGCHANGEREQUEST, 0, reinterpret_cast<LPARAM>(hkl));
      else
        ActivateKeyboardLayout(hkl, 0);
      break;
    }
    case Kx2ImeScript::kOpen:
    case Kx2ImeScript::kClose:
      if (HIMC himc = FocusContext()) ImmSetOpenStatus(himc, step.kind == Kx2ImeScript::kOpen);
      break;
    case Kx2ImeScript::kMode:
      if (HIMC himc = FocusContext()) ImmSetConversionStatus(himc, step.value, step.value2);
      break;
    case Kx2ImeScript::kFail:
      ForceFailure();
      break;
    case Kx2ImeScript::kClock:
      Kx2ClockAdvance(step.value);
      break;
    case Kx2ImeScript::kChar: {
      HWND target = nullptr;
      if (HWND window = FocusWindow()) {
        std::lock_guard<std::mutex> guard(Lock());
        const Context* context = ContextOfWindow(window);
        target = context ? WindowOfContext(*context) : window;
      }
      if (target)
        for (char16_t unit : step.text) PostMessageW(target, WM_IME_CHAR, unit, 1);
      break;
    }
    case Kx2ImeScript::kKey: {
      const uint64_t tag = step.hasAction ? AddAction(step.action) : 0;
      if (step.shift) kx2::user::InjectKeyEvent(VK_SHIFT, 0, false, true, 0);
      if (step.ctrl) kx2::user::InjectKeyEvent(VK_CONTROL, 0, false, true, 0);
      if (step.alt) kx2::user::InjectKeyEvent(VK_MENU, 0, false, true, 0);
      kx2::user::InjectKeyEvent(step.vk, step.scan, step.extended, true, tag);
      kx2::user::InjectKeyEvent(step.vk, step.scan, step.extended, false, 0);
      if (step.alt) kx2::user::InjectKeyEvent(VK_MENU, 0, false, false, 0);
      if (step.ctrl) kx2::user::InjectKeyEvent(VK_CONTROL, 0, false, false, 0);
      if (step.shift) kx2::user::InjectKeyEvent(VK_SHIFT, 0, false, false, 0);
      break;
    }
  }
}

BOOL IdleStep(void* context) {
  auto* script = static_cast<Kx2ImeScript*>(context);
  // Steps that give the thread nothing to retrieve (a notification sent at once) would
  // leave it blocked: go on to the next.
  while (script->next < script->steps.size()) {
    const ULONGLONG before = Kx2ClockNow();
    Play(script->steps[script->next++]);
    if ((GetQueueStatus(QS_ALLINPUT) >> 16) != 0 || Kx2ClockNow() != before) return TRUE;
  }
  if (script->quitWhenDone) PostQuitMessage(script->badLine);
  return FALSE;
}

}  // namespace
}  // namespace kx2::imm

using namespace kx2::imm;

KX2_EXPORT Kx2ImeScript* Kx2ImeScriptParse(const char* text, size_t length) {
  auto script = std::make_unique<Kx2ImeScript>();
  kx2::Guard([&] {
    const std::string all = text ? std::string(text, length) : std::string();
    size_t start = 0;
    int number = 0;
    while (start < all.size()) {
      size_t end = all.find('\n', start);
      if (end == std::string::npos) end = all.size();
      const std::string line = all.substr(start, end - start);
      start = end + 1;
      ++number;
      std::vector<std::string> words;
      const bool split = Words(line, &words);
      if (split && (words.empty() || words[0][0] == '#')) continue;
      Kx2ImeScript::Step step;
      if (!split || !ParseLine(words, &step)) {
        script->badLine = number;
        return;
      }
      script->steps.push_back(std::move(step));
    }
  });
  return script.release();
}

KX2_EXPORT void Kx2ImeScriptFree(Kx2ImeScript* script) { delete script; }

KX2_EXPORT int Kx2ImeScriptBadLine(const Kx2ImeScript* script) { return script ? script->badLine : 0; }

KX2_EXPORT size_t Kx2ImeScriptStepsLeft(const Kx2ImeScript* script) {
  return script ? script->steps.size() - script->next : 0;
}

KX2_EXPORT BOOL Kx2ImeScriptStep(Kx2ImeScript* script) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!script || script->next >= script->steps.size()) return FALSE;
    Play(script->steps[script->next++]);
    return TRUE;
  });
}

KX2_EXPORT void Kx2ImeScriptPlayWhenIdle(Kx2ImeScript* script, BOOL quitWhenDone) {
  if (!script) return;
  script->quitWhenDone = quitWhenDone != FALSE;
  Kx2SetIdleHandler(&IdleStep, script);
}
