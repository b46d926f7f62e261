// Printers: the printers this process may print to and their document settings.
//
// The printers are those the environment variable KX2_PRINTERS lists, names separated by
// ";" (for example "Office Laser;Plotter"); without it there are none, and opening any
// printer fails with ERROR_INVALID_PRINTER_NAME, as on a system with no printer set up.
// Nothing is printed yet: a printer is a name with its document settings. Every printer
// starts with portrait pages of the paper the C library's locale names (Letter where it
// says so, else A4), one copy, 600 dots per inch, in colour.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#ifndef ERROR_INVALID_PRINTER_NAME
#define ERROR_INVALID_PRINTER_NAME 1801L
#endif

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

#define DM_SPECVERSION 0x0401

// dmFields bits.
#define DM_ORIENTATION 0x00000001L
#define DM_PAPERSIZE 0x00000002L
#define DM_PAPERLENGTH 0x00000004L
#define DM_PAPERWIDTH 0x00000008L
#define DM_SCALE 0x00000010L
#define DM_POSITION 0x00000020L
#define DM_NUP 0x00000040L
#define DM_DISPLAYORIENTATION 0x00000080L
#define DM_COPIES 0x00000100L
#define DM_DEFAULTSOURCE 0x00000200L
#define DM_PRINTQUALITY 0x00000400L
#define DM_COLOR 0x00000800L
#define DM_DUPLEX 0x00001000L
#define DM_YRESOLUTION 0x00002000L
#define DM_TTOPTION 0x00004000L
#define DM_COLLATE 0x00008000L
#define DM_FORMNAME 0x00010000L
#define DM_LOGPIXELS 0x00020000L
#define DM_MEDIATYPE 0x02000000L

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2
#define DMPAPER_LETTER 1
#define DMPAPER_LEGAL 5
#define DMPAPER_A3 8
#define DMPAPER_A4 9
#define DMPAPER_A5 11
#define DMBIN_AUTO 7
#define DMRES_DRAFT (-1)
#define DMRES_LOW (-2)
#define DMRES_MEDIUM (-3)
#define DMRES_HIGH (-4)
#define DMCOLOR_MONOCHROME 1
#define DMCOLOR_COLOR 2
#define DMDUP_SIMPLEX 1
#define DMDUP_VERTICAL 2
#define DMDUP_HORIZONTAL 3
#define DMTT_BITMAP 1
#define DMTT_DOWNLOAD 2
#define DMTT_SUBDEV 3
#define DMCOLLATE_FALSE 0
#define DMCOLLATE_TRUE 1

struct POINTL {
  LONG x;
  LONG y;
};

// Document settings, with Win32's layout (the printer's private part, dmDriverExtra
// bytes, would follow; ours have none).
struct DEVMODEW {
  WCHAR dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  union {
    struct {
      short dmOrientation;
      short dmPaperSize;
      short dmPaperLength;  // tenths of a millimetre
      short dmPaperWidth;
      short dmScale;  // percent
      short dmCopies;
      short dmDefaultSource;
      short dmPrintQuality;  // dots per inch, or a DMRES_ value
    };
    struct {
      POINTL dmPosition;
      DWORD dmDisplayOrientation;
      DWORD dmDisplayFixedOutput;
    };
  };
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  WCHAR dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  union {
    DWORD dmDisplayFlags;
    DWORD dmNup;
  };
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
};
static_assert(sizeof(DEVMODEW) == 220, "DEVMODEW layout");
typedef DEVMODEW* PDEVMODEW;
typedef DEVMODEW* LPDEVMODEW;

typedef HANDLE* LPHANDLE;

struct PRINTER_DEFAULTSW {
  LPWSTR pDatatype;
  LPDEVMODEW pDevMode;
  ACCESS_MASK DesiredAccess;
};
typedef PRINTER_DEFAULTSW* LPPRINTER_DEFAULTSW;

// A handle to a listed printer (names compare without regard to case); FALSE with
// ERROR_INVALID_PRINTER_NAME for any other name, a null or empty one included. The
// defaults' settings, when given, become the handle's starting settings.
KX2_EXPORT BOOL OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault);
// FALSE with ERROR_INVALID_HANDLE for anything but an open printer handle.
KX2_EXPORT BOOL ClosePrinter(HANDLE hPrinter);

#define DM_UPDATE 1
#define DM_COPY 2
#define DM_PROMPT 4
#define DM_MODIFY 8
#define DM_IN_BUFFER DM_MODIFY
#define DM_IN_PROMPT DM_PROMPT
#define DM_OUT_BUFFER DM_COPY
#define DM_OUT_DEFAULT DM_UPDATE

// fMode 0: the size of the printer's settings record. Otherwise the handle's settings (a
// null handle takes pDeviceName's), changed by the fields that pDevModeInput marks in
// dmFields (DM_IN_BUFFER), are written to pDevModeOutput (DM_OUT_BUFFER); DM_OUT_DEFAULT
// keeps them as the handle's and the printer's settings (for handles opened later in this
// process); IDOK (1). DM_IN_PROMPT shows nothing: it is taken as the user
// confirming the settings unchanged. -1 with ERROR_INVALID_HANDLE,
// ERROR_INVALID_PRINTER_NAME or ERROR_INVALID_PARAMETER (an input record whose dmSize is
// too small, a missing output buffer, a value out of range).
KX2_EXPORT LONG DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pDevModeOutput,
                                    PDEVMODEW pDevModeInput, DWORD fMode);
