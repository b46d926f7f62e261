// The file dialog's call into the skin manager.
#include "skin_release.h"

#include "ornatex/core/skin_manager.h"

namespace ornatex::filedialog {

void TakeSkinOff(HWND hwnd) {
  CKtkSkinManager* manager = KtkSkinManager();
  if (!manager) return;
  // The manager's window side (taking a window's skin object off) is not built yet; the
  // manager is made here all the same, as the dialog's folder change is its first use.
  (void)hwnd;
}

}  // namespace ornatex::filedialog
