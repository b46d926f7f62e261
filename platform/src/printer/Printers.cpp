// The printers of KX2_PRINTERS and their document settings (see win/winspool.h).
#include <langinfo.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/KernelObject.h"
#include "kx2/Utf.h"
#include "win/kernel.h"
#include "win/user.h"
#include "win/winspool.h"

namespace {

// What a DM_IN_BUFFER record must hold at least: every field up to the form name.
constexpr size_t kMinimumInput = offsetof(DEVMODEW, dmFormName);
constexpr size_t kWithFormName = offsetof(DEVMODEW, dmLogPixels);

class PrinterHandle : public kx2::KernelObject {
 public:
  std::u16string name;
  DEVMODEW settings{};
};

std::u16string Folded(std::u16string_view name) {
  std::u16string key(name);
  for (char16_t& c : key) c = kx2::FoldLower16(c);
  return key;
}

// The listed printer's name as listed, or nullopt.
std::optional<std::u16string> ListedPrinter(LPCWSTR name) {
  const char* list = getenv("KX2_PRINTERS");
  if (!name || !*name || !list) return std::nullopt;
  std::u16string all = kx2::Utf8ToUtf16(list);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(u';', start);
    if (end == std::u16string::npos) end = all.size();
    std::u16string_view entry(all.data() + start, end - start);
    while (!entry.empty() && entry.front() == u' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == u' ') entry.remove_suffix(1);
    if (!entry.empty() && kx2::EqualsI16(entry, kx2::View16(name))) return std::u16string(entry);
    start = end + 1;
  }
  return std::nullopt;
}

struct PaperKind {
  short code;
  const char16_t* form;
};
constexpr PaperKind kPapers[] = {
    {DMPAPER_LETTER, u"Letter"}, {DMPAPER_LEGAL, u"Legal"}, {DMPAPER_A3, u"A3"},
    {DMPAPER_A4, u"A4"},         {DMPAPER_A5, u"A5"},
};

void SetFormName(DEVMODEW* mode, short paper) {
  for (const PaperKind& p : kPapers)
    if (p.code == paper) kx2::CopyTo16(mode->dmFormName, CCHFORMNAME, p.form);
}

// The locale's paper: Letter where the C library says so (216 x 279 mm), else A4.
short LocalePaper() {
  auto height = static_cast<int>(reinterpret_cast<intptr_t>(nl_langinfo(_NL_PAPER_HEIGHT)));
  auto width = static_cast<int>(reinterpret_cast<intptr_t>(nl_langinfo(_NL_PAPER_WIDTH)));
  return height == 279 && width == 216 ? DMPAPER_LETTER : DMPAPER_A4;
}

DEVMODEW DefaultSettings(std::u16string_view name) {
  DEVMODEW mode{};
  kx2::CopyTo16(mode.dmDeviceName, CCHDEVICENAME, name.substr(0, CCHDEVICENAME - 1));
  mode.dmSpecVersion = DM_SPECVERSION;
  mode.dmDriverVersion = 0x0100;
  mode.dmSize = sizeof(DEVMODEW);
  mode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR |
                  DM_DUPLEX | DM_YRESOLUTION | DM_COLLATE | DM_FORMNAME;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  mode.dmPaperSize = LocalePaper();
  mode.dmScale = 100;
  mode.dmCopies = 1;
  mode.dmDefaultSource = DMBIN_AUTO;
  mode.dmPrintQuality = 600;
  mode.dmColor = DMCOLOR_COLOR;
  mode.dmDuplex = DMDUP_SIMPLEX;
  mode.dmYResolution = 600;
  mode.dmCollate = DMCOLLATE_FALSE;
  SetFormName(&mode, mode.dmPaperSize);
  return mode;
}

// Settings kept with DM_OUT_DEFAULT, by folded printer name.
std::mutex g_lock;
std::map<std::u16string, DEVMODEW>& KeptSettings() {
  static auto* kept = new std::map<std::u16string, DEVMODEW>;
  return *kept;
}

DEVMODEW PrinterSettings(const std::u16string& name) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = KeptSettings().find(Folded(name));
  return it != KeptSettings().end() ? it->second : DefaultSettings(name);
}

// Applies the fields input marks; false (changing nothing) when a value is out of range
// or the record is too short for what it marks.
bool Merge(DEVMODEW* mode, const DEVMODEW& input) {
  if (input.dmSize < kMinimumInput) return false;
  DWORD f = input.dmFields;
  if ((f & DM_FORMNAME) && input.dmSize < kWithFormName) return false;
  auto inRange = [](short v, short low, short high) { return v >= low && v <= high; };
  if ((f & DM_ORIENTATION) && !inRange(input.dmOrientation, DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE)) return false;
  if ((f & DM_PAPERSIZE) && input.dmPaperSize <= 0) return false;
  if ((f & DM_PAPERLENGTH) && input.dmPaperLength <= 0) return false;
  if ((f & DM_PAPERWIDTH) && input.dmPaperWidth <= 0) return false;
  if ((f & DM_SCALE) && !inRange(input.dmScale, 1, 1000)) return false;
  if ((f & DM_COPIES) && !inRange(input.dmCopies, 1, 9999)) return false;
  if ((f & DM_DEFAULTSOURCE) && input.dmDefaultSource <= 0) return false;
  if ((f & DM_PRINTQUALITY) && !(input.dmPrintQuality > 0 || inRange(input.dmPrintQuality, DMRES_HIGH, DMRES_DRAFT)))
    return false;
  if ((f & DM_COLOR) && !inRange(input.dmColor, DMCOLOR_MONOCHROME, DMCOLOR_COLOR)) return false;
  if ((f & DM_DUPLEX) && !inRange(input.dmDuplex, DMDUP_SIMPLEX, DMDUP_HORIZONTAL)) return false;
  if ((f & DM_YRESOLUTION) && input.dmYResolution <= 0) return false;
  if ((f & DM_COLLATE) && !inRange(input.dmCollate, DMCOLLATE_FALSE, DMCOLLATE_TRUE)) return false;
  if (f & DM_ORIENTATION) mode->dmOrientation = input.dmOrientation;
  if (f & DM_PAPERSIZE) {
    mode->dmPaperSize = input.dmPaperSize;
    SetFormName(mode, input.dmPaperSize);
  }
  if (f & DM_PAPERLENGTH) mode->dmPaperLength = input.dmPaperLength;
  if (f & DM_PAPERWIDTH) mode->dmPaperWidth = input.dmPaperWidth;
  if (f & DM_SCALE) mode->dmScale = input.dmScale;
  if (f & DM_COPIES) mode->dmCopies = input.dmCopies;
  if (f & DM_DEFAULTSOURCE) mode->dmDefaultSource = input.dmDefaultSource;
  if (f & DM_PRINTQUALITY) mode->dmPrintQuality = input.dmPrintQuality;
  if (f & DM_COLOR) mode->dmColor = input.dmColor;
  if (f & DM_DUPLEX) mode->dmDuplex = input.dmDuplex;
  if (f & DM_YRESOLUTION) mode->dmYResolution = input.dmYResolution;
  if (f & DM_COLLATE) mode->dmCollate = input.dmCollate;
  if (f & DM_FORMNAME) {
    std::u16string_view form(input.dmFormName, CCHFORMNAME);
    form = form.substr(0, form.find(u'\0'));
    kx2::CopyTo16(mode->dmFormName, CCHFORMNAME, form.substr(0, CCHFORMNAME - 1));
  }
  mode->dmFields |= f & (DM_PAPERLENGTH | DM_PAPERWIDTH);
  return true;
}

LONG FailLong(DWORD error) {
  SetLastError(error);
  return -1;
}

}  // namespace

KX2_EXPORT BOOL OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
  try {
    if (!phPrinter) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    *phPrinter = nullptr;
    std::optional<std::u16string> name = ListedPrinter(pPrinterName);
    if (!name) {
      SetLastError(ERROR_INVALID_PRINTER_NAME);
      return FALSE;
    }
    auto printer = std::make_shared<PrinterHandle>();
    printer->name = *name;
    printer->settings = PrinterSettings(*name);
    if (pDefault && pDefault->pDevMode && !Merge(&printer->settings, *pDefault->pDevMode)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    *phPrinter = kx2::InsertHandle(printer);
    return TRUE;
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}

KX2_EXPORT BOOL ClosePrinter(HANDLE hPrinter) {
  if (!kx2::LookupHandleAs<PrinterHandle>(hPrinter) || !kx2::RemoveHandle(hPrinter)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT LONG DocumentPropertiesW(HWND, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pDevModeOutput,
                                    PDEVMODEW pDevModeInput, DWORD fMode) {
  try {
    std::shared_ptr<PrinterHandle> handle;
    std::u16string name;
    if (hPrinter) {
      handle = kx2::LookupHandleAs<PrinterHandle>(hPrinter);
      if (!handle) return FailLong(ERROR_INVALID_HANDLE);
      name = handle->name;
    } else {
      std::optional<std::u16string> listed = ListedPrinter(pDeviceName);
      if (!listed) return FailLong(ERROR_INVALID_PRINTER_NAME);
      name = *listed;
    }
    if (fMode == 0) return sizeof(DEVMODEW);
    DEVMODEW mode;
    {
      std::lock_guard<std::mutex> guard(g_lock);
      if (handle) mode = handle->settings;
    }
    if (!handle) mode = PrinterSettings(name);
    if ((fMode & DM_IN_BUFFER) && pDevModeInput && !Merge(&mode, *pDevModeInput))
      return FailLong(ERROR_INVALID_PARAMETER);
    if (fMode & DM_OUT_BUFFER) {
      if (!pDevModeOutput) return FailLong(ERROR_INVALID_PARAMETER);
      std::memcpy(pDevModeOutput, &mode, sizeof mode);
    }
    if (fMode & DM_OUT_DEFAULT) {
      std::lock_guard<std::mutex> guard(g_lock);
      if (handle) handle->settings = mode;
      KeptSettings()[Folded(name)] = mode;
    }
    return IDOK;
  } catch (...) {
    return FailLong(ERROR_NOT_ENOUGH_MEMORY);
  }
}
