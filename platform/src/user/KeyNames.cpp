// Scan code set 1 of the US keyboard: virtual keys to scan codes and back, characters, and
// the English key names.
#include <cstring>
#include <iterator>

#include "kx2/ErrorBoundary.h"
#include "user/Keyboard.h"

namespace kx2::user {
namespace {

constexpr UINT kOemMinus = 0xBD, kOemPlus = 0xBB, kOem4 = 0xDB, kOem6 = 0xDD, kOem1 = 0xBA, kOem7 = 0xDE, kOem3 = 0xC0,
               kOem5 = 0xDC, kOemComma = 0xBC, kOemPeriod = 0xBE, kOem2 = 0xBF, kOem102 = 0xE2;

// The virtual key of each scan code (without the extended flag; left-hand modifiers).
struct ScanTable {
  BYTE vk[256]{};
  BYTE scan[256]{};  // the reverse, for MapVirtualKeyW type 0
  constexpr ScanTable() {
    const BYTE row[] = {
        0,         VK_ESCAPE,   '1',         '2',         '3',        '4',      '5',        '6',        '7',
        '8',       '9',         '0',         kOemMinus,   kOemPlus,   VK_BACK,  VK_TAB,     'Q',        'W',
        'E',       'R',         'T',         'Y',         'U',        'I',      'O',        'P',        kOem4,
        kOem6,     VK_RETURN,   VK_LCONTROL, 'A',         'S',        'D',      'F',        'G',        'H',
        'J',       'K',         'L',         kOem1,       kOem7,      kOem3,    VK_LSHIFT,  kOem5,      'Z',
        'X',       'C',         'V',         'B',         'N',        'M',      kOemComma,  kOemPeriod, kOem2,
        VK_RSHIFT, VK_MULTIPLY, VK_LMENU,    VK_SPACE,    VK_CAPITAL, VK_F1,    VK_F2,      VK_F3,      VK_F4,
        VK_F5,     VK_F6,       VK_F7,       VK_F8,       VK_F9,      VK_F10,   VK_NUMLOCK, VK_SCROLL,  VK_HOME,
        VK_UP,     VK_PRIOR,    VK_SUBTRACT, VK_LEFT,     VK_CLEAR,   VK_RIGHT, VK_ADD,     VK_END,     VK_DOWN,
        VK_NEXT,   VK_INSERT,   VK_DELETE,   VK_SNAPSHOT, 0,          kOem102,  VK_F11,     VK_F12};
    for (UINT i = 0; i < sizeof row; ++i) vk[i] = row[i];
    for (UINT i = 0; i < 11; ++i) vk[0x64 + i] = static_cast<BYTE>(0x7C + i);  // F13..F23
    vk[0x76] = 0x87;                                                           // F24
    vk[0xF1] = VK_HANJA;
    vk[0xF2] = VK_HANGUL;
    for (UINT s = 255; s > 0; --s)
      if (vk[s]) scan[vk[s]] = static_cast<BYTE>(s);
    // Keys that share a scan code with another or have no row of their own.
    scan[VK_SHIFT] = 0x2A;
    scan[VK_CONTROL] = 0x1D;
    scan[VK_RCONTROL] = 0x1D;
    scan[VK_MENU] = 0x38;
    scan[VK_RMENU] = 0x38;
    scan[VK_DIVIDE] = 0x35;
    scan[VK_PAUSE] = 0x45;
    scan[VK_LWIN] = 0x5B;
    scan[VK_RWIN] = 0x5C;
    scan[VK_APPS] = 0x5D;
    const BYTE pad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    for (UINT i = 0; i < 10; ++i) scan[VK_NUMPAD0 + i] = pad[i];
    scan[VK_DECIMAL] = 0x53;
  }
};
constexpr ScanTable kScan;

UINT GenericModifier(UINT vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return vk;
  }
}

// The character a key gives without Shift, 0 for none.
UINT UnshiftedCharacter(UINT vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + vk - VK_NUMPAD0;
  switch (vk) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_BACK:
      return 8;
    case VK_TAB:
      return '\t';
    case VK_ESCAPE:
      return 0x1B;
    case VK_CANCEL:
      return 3;
    case kOem1:
      return ';';
    case kOemPlus:
      return '=';
    case kOemComma:
      return ',';
    case kOemMinus:
      return '-';
    case kOemPeriod:
      return '.';
    case kOem2:
      return '/';
    case kOem3:
      return '`';
    case kOem4:
      return '[';
    case kOem5:
    case kOem102:
      return '\\';
    case kOem6:
      return ']';
    case kOem7:
      return '\'';
    case VK_MULTIPLY:
      return '*';
    case VK_ADD:
      return '+';
    case VK_SUBTRACT:
      return '-';
    case VK_DECIMAL:
      return '.';
    case VK_DIVIDE:
      return '/';
    default:
      return 0;
  }
}

struct Name {
  BYTE scan;
  const char* text;
};
// Names of keys that are not one printable character.
constexpr Name kPlainNames[] = {
    {0x01, "Esc"},       {0x0E, "Backspace"},   {0x0F, "Tab"},         {0x1C, "Enter"}, {0x1D, "Ctrl"},
    {0x2A, "Shift"},     {0x36, "Right Shift"}, {0x37, "Num *"},       {0x38, "Alt"},   {0x39, "Space"},
    {0x3A, "Caps Lock"}, {0x3B, "F1"},          {0x3C, "F2"},          {0x3D, "F3"},    {0x3E, "F4"},
    {0x3F, "F5"},        {0x40, "F6"},          {0x41, "F7"},          {0x42, "F8"},    {0x43, "F9"},
    {0x44, "F10"},       {0x45, "Pause"},       {0x46, "Scroll Lock"}, {0x47, "Num 7"}, {0x48, "Num 8"},
    {0x49, "Num 9"},     {0x4A, "Num -"},       {0x4B, "Num 4"},       {0x4C, "Num 5"}, {0x4D, "Num 6"},
    {0x4E, "Num +"},     {0x4F, "Num 1"},       {0x50, "Num 2"},       {0x51, "Num 3"}, {0x52, "Num 0"},
    {0x53, "Num Del"},   {0x54, "Sys Req"},     {0x57, "F11"},         {0x58, "F12"},   {0x64, "F13"},
    {0x65, "F14"},       {0x66, "F15"},         {0x67, "F16"},         {0x68, "F17"},   {0x69, "F18"},
    {0x6A, "F19"},       {0x6B, "F20"},         {0x6C, "F21"},         {0x6D, "F22"},   {0x6E, "F23"},
    {0x76, "F24"},
};
constexpr Name kExtendedNames[] = {
    {0x1C, "Num Enter"}, {0x1D, "Right Ctrl"},   {0x35, "Num /"},         {0x37, "Prnt Scrn"},
    {0x38, "Right Alt"}, {0x45, "Num Lock"},     {0x46, "Break"},         {0x47, "Home"},
    {0x48, "Up"},        {0x49, "Page Up"},      {0x4B, "Left"},          {0x4D, "Right"},
    {0x4F, "End"},       {0x50, "Down"},         {0x51, "Page Down"},     {0x52, "Insert"},
    {0x53, "Delete"},    {0x5B, "Left Windows"}, {0x5C, "Right Windows"}, {0x5D, "Application"},
};

const char* Lookup(const Name* begin, const Name* end, UINT scan) {
  for (const Name* n = begin; n != end; ++n)
    if (n->scan == scan) return n->text;
  return nullptr;
}

}  // namespace

UINT ScanOfKey(UINT vk) { return vk <= 0xFF ? kScan.scan[vk] : 0; }

bool KeyIsExtended(UINT vk) {
  return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_RCONTROL ||
         vk == VK_RMENU || vk == VK_DIVIDE || vk == VK_LWIN || vk == VK_RWIN || vk == VK_APPS || vk == VK_NUMLOCK ||
         vk == VK_SNAPSHOT;
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT UINT MapVirtualKeyW(UINT uCode, UINT uMapType) {
  switch (uMapType) {
    case MAPVK_VK_TO_VSC:
      return ScanOfKey(uCode);
    case MAPVK_VSC_TO_VK:
      return uCode <= 0xFF ? GenericModifier(kScan.vk[uCode]) : 0;
    case MAPVK_VK_TO_CHAR:
      return uCode <= 0xFF ? UnshiftedCharacter(uCode) : 0;
    case MAPVK_VSC_TO_VK_EX: {
      // An extended scan code comes with 0xE0 (or 0xE1) in its high byte.
      const UINT prefix = uCode >> 8, scan = uCode & 0xFF;
      if (prefix != 0 && prefix != 0xE0 && prefix != 0xE1) return 0;
      if (prefix == 0xE0 && scan == 0x1D) return VK_RCONTROL;
      if (prefix == 0xE0 && scan == 0x38) return VK_RMENU;
      return kScan.vk[scan];
    }
    default:
      return 0;
  }
}

KX2_EXPORT int GetKeyNameTextW(LONG lParam, LPWSTR lpString, int cchSize) {
  if (!lpString || cchSize <= 0) return 0;
  const UINT scan = (static_cast<DWORD>(lParam) >> 16) & 0xFF;
  const bool extended = (lParam & (1 << 24)) != 0;
  const bool merge = (lParam & (1 << 25)) != 0;
  const char* text = nullptr;
  char single[2] = {};
  if (extended) text = Lookup(std::begin(kExtendedNames), std::end(kExtendedNames), scan);
  if (!text) text = Lookup(std::begin(kPlainNames), std::end(kPlainNames), scan);
  if (!text) {
    const UINT ch = UnshiftedCharacter(kScan.vk[scan]);
    if (ch > ' ' && ch < 0x7F) {
      single[0] = static_cast<char>(ch);
      text = single;
    }
  }
  if (!text) {
    lpString[0] = 0;
    return 0;
  }
  // The right-hand modifiers named as their generic key.
  if (merge && std::strncmp(text, "Right ", 6) == 0 &&
      (!std::strcmp(text + 6, "Shift") || !std::strcmp(text + 6, "Ctrl") || !std::strcmp(text + 6, "Alt")))
    text += 6;
  int n = 0;
  while (text[n] && n < cchSize - 1) {
    lpString[n] = static_cast<WCHAR>(static_cast<unsigned char>(text[n]));
    ++n;
  }
  lpString[n] = 0;
  return n;
}
