// The file dialog's call into the skin manager.
#include "skin_release.h"

#include "ornatex/core/skin_manager.h"

namespace ornatex::filedialog {

void TakeSkinOff(HWND hwnd) {
  if (CKtkSkinManager* manager = KtkSkinManager()) manager->Remove(hwnd);
}

}  // namespace ornatex::filedialog
