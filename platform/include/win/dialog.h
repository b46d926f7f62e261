// Dialog templates: the in-memory records that describe a dialog and its controls. Only
// the records are here; no dialog windows are made yet.
//
// The extended form (DLGTEMPLATEEX, dlgVer 1 and signature 0xFFFF) has no fixed record:
// its fields are laid out one after another (see the toolkit's dialog builder).
#pragma once

#include "win/types.h"

#define DS_ABSALIGN 0x01L
#define DS_SYSMODAL 0x02L
#define DS_LOCALEDIT 0x20L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_NOIDLEMSG 0x100L
#define DS_SETFOREGROUND 0x200L
#define DS_FIXEDSYS 0x0008L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

#pragma pack(push, 2)
struct DLGTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
};
struct DLGITEMTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
  WORD id;
};
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18, "dialog template records");
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;
