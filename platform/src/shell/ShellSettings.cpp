// SHGetSettings: the shell's view settings, fixed to what this layer does.
#include "win/shell.h"

KX2_EXPORT void SHGetSettings(LPSHELLFLAGSTATE lpsfs, DWORD dwMask) {
  if (!lpsfs) return;
  // Hidden files stay hidden (dot files are hidden here) and display names keep their
  // extensions (SHGetFileInfoW gives them with it).
  if (dwMask & SSF_SHOWALLOBJECTS) lpsfs->fShowAllObjects = 0;
  if (dwMask & SSF_SHOWEXTENSIONS) lpsfs->fShowExtensions = 1;
  if (dwMask & SSF_NOCONFIRMRECYCLE) lpsfs->fNoConfirmRecycle = 0;
  if (dwMask & SSF_SHOWSYSFILES) lpsfs->fShowSysFiles = 0;
  if (dwMask & SSF_SHOWCOMPCOLOR) lpsfs->fShowCompColor = 0;
  if (dwMask & SSF_DOUBLECLICKINWEBVIEW) lpsfs->fDoubleClickInWebView = 1;
  if (dwMask & SSF_DESKTOPHTML) lpsfs->fDesktopHTML = 0;
  if (dwMask & SSF_WIN95CLASSIC) lpsfs->fWin95Classic = 0;
  if (dwMask & SSF_DONTPRETTYPATH) lpsfs->fDontPrettyPath = 0;
  if (dwMask & SSF_SHOWATTRIBCOL) lpsfs->fShowAttribCol = 0;
  if (dwMask & SSF_MAPNETDRVBUTTON) lpsfs->fMapNetDrvBtn = 0;
  if (dwMask & SSF_SHOWINFOTIP) lpsfs->fShowInfoTip = 1;
  if (dwMask & SSF_HIDEICONS) lpsfs->fHideIcons = 0;
  if (dwMask & SSF_AUTOCHECKSELECT) lpsfs->fAutoCheckSelect = 0;
  if (dwMask & SSF_ICONSONLY) lpsfs->fIconsOnly = 0;
}
