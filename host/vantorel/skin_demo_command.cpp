// vantorel skin-demo: the demo dialog built from the example resource file as a host builds
// its dialogs, filled with sample content and captured, plain or under a skin loaded first.
#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <system_error>

#include <kx2/Compositor.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <ornatex/core/skin_manager.h>
#include <toolkit/ResourceManager.h>
#include <win/afx_win.h>
#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/menu.h>
#include <win/user.h>

#include "commands.h"
#include "skin_demo_content.h"

namespace vantorel::cli {
namespace {

constexpr UINT kDemoDialog = 100, kDemoMenu = 200;

std::u16string WindowsPathOf(const std::string& path) {
  return kx2::ToWindowsPath(std::filesystem::absolute(path).lexically_normal().string());
}

struct Surface {
  explicit Surface(cairo_surface_t* s) : surface(s) {}
  ~Surface() {
    if (surface) cairo_surface_destroy(surface);
  }
  cairo_surface_t* surface;
};

void Pump() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool WritePng(cairo_surface_t* capture, const std::string& output) {
  if (!capture || !Kx2WriteCapturePng(capture, WindowsPathOf(output).c_str())) {
    std::cerr << "vantorel: cannot write " << output << "\n";
    return false;
  }
  return true;
}

// The open menu is captured from inside the menu loop, one step per idle turn: the loop
// opens the popup with its first item highlighted; the screen is captured, then the menus
// are closed again.
struct MenuCapture {
  HWND dialog = nullptr;
  std::string output;
  int step = 0, turns = 0;
  bool written = false;
  static BOOL Run(void* context) {
    auto* self = static_cast<MenuCapture*>(context);
    ++self->turns;
    switch (self->step++) {
      case 0:
        break;  // the popup opens and paints on this turn
      case 1: {
        Surface screen(Kx2CaptureScreen(nullptr));
        self->written = WritePng(screen.surface, self->output);
        // The skinned popup's own window, else the system's.
        HWND popup = FindWindowW(u"KtkSkinManagerMenu", nullptr);
        if (!popup) popup = FindWindowW(u"#32768", nullptr);
        RECT box{};
        if (popup) GetWindowRect(popup, &box);
        std::cout << "popup " << box.left << " " << box.top << " " << box.right << " " << box.bottom << "\n";
        Kx2InjectKeyStroke(VK_ESCAPE);
        break;
      }
      case 2:
        Kx2InjectKeyStroke(VK_ESCAPE);
        break;
      default:
        // A loop still running well after the last step is ended by a quit message, so
        // that the command ends instead of hanging.
        if (self->turns > 40) PostQuitMessage(0);
        break;
    }
    if (IsWindow(self->dialog)) PostMessageW(self->dialog, WM_NULL, 0, 0);
    return self->turns <= 40;
  }
};

// The mnemonic of the bar's item `index`, lower case; 0 when it has none.
char16_t MnemonicOf(HMENU bar, int index) {
  char16_t text[64] = {};
  GetMenuStringW(bar, static_cast<UINT>(index), text, 64, MF_BYPOSITION);
  for (const char16_t* c = text; *c; ++c)
    if (c[0] == u'&' && c[1] && c[1] != u'&') return c[1] >= u'A' && c[1] <= u'Z' ? c[1] - u'A' + u'a' : c[1];
  return 0;
}

// Each control's box in the capture, for whoever probes the picture.
void PrintBoxes(HWND dialog) {
  RECT frame{};
  GetWindowRect(dialog, &frame);
  std::cout << "dialog " << frame.left << " " << frame.top << " " << frame.right << " " << frame.bottom << "\n";
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    std::cout << "control " << GetDlgCtrlID(child) << " " << r.left - frame.left << " " << r.top - frame.top << " "
              << r.right - frame.left << " " << r.bottom - frame.top << "\n";
  }
}

INT_PTR CALLBACK DemoDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

int Run(const SkinDemoRequest& request) {
  CKtkResourceManagerXML resources(WindowsPathOf(request.resources).c_str());
  const DLGTEMPLATE* dialogTemplate = resources.IsValid() ? resources.LoadDialogTemplate(kDemoDialog) : nullptr;
  if (!dialogTemplate) {
    std::cerr << "vantorel: no demo dialog in " << request.resources << "\n";
    return 1;
  }
  CMenu menu;
  if (!resources.LoadMenu(&menu, kDemoMenu)) {
    std::cerr << "vantorel: no demo menu in " << request.resources << "\n";
    return 1;
  }
  const HMENU bar = menu.Detach();
  if (request.menu >= GetMenuItemCount(bar) || (request.menu >= 0 && !MnemonicOf(bar, request.menu))) {
    std::cerr << "vantorel: the menu bar has no menu " << request.menu << "\n";
    DestroyMenu(bar);
    return 1;
  }
  HWND dialog = CreateDialogIndirectParamW(nullptr, dialogTemplate, nullptr, &DemoDialogProc, 0);
  if (!dialog) {
    std::cerr << "vantorel: the demo dialog cannot be made (error " << GetLastError() << ")\n";
    DestroyMenu(bar);
    return 1;
  }
  SetMenu(dialog, bar);  // the dialog owns the bar from here on
  // The bar took room from the client area: the toolbar and status bar place themselves anew.
  for (int id : {kDemoToolbar, kDemoStatus}) SendDlgItemMessageW(dialog, id, WM_SIZE, 0, 0);
  FillDemoControls(dialog);
  SetForegroundWindow(dialog);
  Pump();
  if (request.hover) {
    HWND control = GetDlgItem(dialog, request.hover);
    if (!control) {
      std::cerr << "vantorel: the dialog has no control " << request.hover << "\n";
      DestroyWindow(dialog);
      return 1;
    }
    RECT r{};
    GetWindowRect(control, &r);
    Kx2InjectMouseMove((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
  }
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();

  bool written = false;
  if (request.menu >= 0) {
    MenuCapture capture;
    capture.dialog = dialog;
    capture.output = request.output;
    Kx2SetIdleHandler(&MenuCapture::Run, &capture);
    SendMessageW(dialog, WM_SYSCOMMAND, SC_KEYMENU, MnemonicOf(bar, request.menu));
    Pump();
    Kx2SetIdleHandler(nullptr, nullptr);
    written = capture.written;
    if (capture.step < 2) std::cerr << "vantorel: menu " << request.menu << " did not open\n";
  } else {
    Surface capture(Kx2CaptureWindow(dialog));
    written = WritePng(capture.surface, request.output);
  }
  if (written) {
    PrintBoxes(dialog);
    std::cout << "picture: " << request.output << "\n";
  }
  DestroyWindow(dialog);
  Pump();
  return written ? 0 : 1;
}

// A folder package's INI file, when the command line names none: the one "themes.ini" names
// in its first "[File.NAME]" section, as the module form picks its default, else the first
// INI file in name order.
std::string IniOf(const SkinDemoRequest& request) {
  if (!request.ini.empty()) return request.ini;
  std::error_code error;
  if (!std::filesystem::is_directory(request.skin, error)) return {};
  std::ifstream themes(std::filesystem::path(request.skin) / "themes.ini", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(themes)), std::istreambuf_iterator<char>());
  if (const size_t start = text.find("[File."); start != std::string::npos) {
    const size_t end = text.find(']', start);
    if (end != std::string::npos && end > start + 6) return text.substr(start + 6, end - start - 6) + ".ini";
  }
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(request.skin, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".ini" && name != "themes.ini") names.insert(name);
  }
  return names.empty() ? std::string() : *names.begin();
}

}  // namespace

int SkinDemo(const SkinDemoRequest& request) {
  CKtkSkinManager* manager = KtkSkinManager();
  if (!request.skin.empty()) {
    const std::u16string ini = kx2::Utf8ToUtf16(IniOf(request));
    if (!manager || !manager->LoadSkin(WindowsPathOf(request.skin).c_str(), ini.c_str())) {
      std::cerr << "vantorel: cannot load the skin " << request.skin << " (error " << GetLastError() << ")\n";
      return 1;
    }
  }
  const int result = Run(request);
  if (!request.skin.empty()) manager->RemoveSkin();
  return result;
}

}  // namespace vantorel::cli
