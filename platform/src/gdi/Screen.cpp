// The one screen description, read from KX2_MONITORS and KX2_SCREEN_BPP when used.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <kx2/Screen.h>

namespace {

std::vector<RECT> Parse(const std::string& text) {
  std::vector<RECT> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    int w = 0, h = 0, x = 0, y = 0;
    char sx = '+', sy = '+';
    const int n = std::sscanf(item.c_str(), "%dx%d%c%d%c%d", &w, &h, &sx, &x, &sy, &y);
    if ((n == 2 || n == 6) && w > 0 && h > 0 && w <= 32767 && h <= 32767 && x > -32768 && x < 32768 && y > -32768 &&
        y < 32768) {
      if (sx == '-') x = -x;
      if (sy == '-') y = -y;
      out.push_back(RECT{x, y, x + w, y + h});
    }
    start = end + 1;
  }
  if (out.empty()) out.push_back(RECT{0, 0, 1280, 1024});
  return out;
}

// The description is read when used, as every platform variable is, but parsed once per
// value: text drawing asks for the screen on every call.
const std::vector<RECT>& Monitors() {
  struct Parsed {
    std::string text;
    std::vector<RECT> monitors;
  };
  thread_local Parsed cache{"", {}};
  const char* value = std::getenv("KX2_MONITORS");
  const char* text = value && *value ? value : "1280x1024+0+0";
  if (cache.monitors.empty() || cache.text != text) cache = Parsed{text, Parse(text)};
  return cache.monitors;
}

}  // namespace

KX2_EXPORT int Kx2ScreenMonitors(RECT* monitors, int capacity) {
  const std::vector<RECT>& all = Monitors();
  for (int i = 0; i < capacity && i < static_cast<int>(all.size()); ++i) monitors[i] = all[static_cast<size_t>(i)];
  return static_cast<int>(all.size());
}

KX2_EXPORT RECT Kx2ScreenVirtualRect() {
  const std::vector<RECT>& all = Monitors();
  RECT r = all.front();
  for (const RECT& m : all) {
    if (m.left < r.left) r.left = m.left;
    if (m.top < r.top) r.top = m.top;
    if (m.right > r.right) r.right = m.right;
    if (m.bottom > r.bottom) r.bottom = m.bottom;
  }
  return r;
}

KX2_EXPORT RECT Kx2ScreenPrimaryRect() { return Monitors().front(); }

KX2_EXPORT int Kx2ScreenBitsPerPixel() {
  const char* value = std::getenv("KX2_SCREEN_BPP");
  const int bpp = value ? std::atoi(value) : 32;
  switch (bpp) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return bpp;
    default:
      return 32;
  }
}
