// The standard controls of libKx2User32.so: the "Button", "Static" and "ScrollBar" classes,
// their styles, messages and notifications, and what they answer WM_GETDLGCODE.
//
// Every control asks its parent for its colours with a WM_CTLCOLOR* message (push buttons
// WM_CTLCOLORBTN; check boxes, radio buttons, group boxes and statics WM_CTLCOLORSTATIC;
// scroll bars WM_CTLCOLORSCROLLBAR) and fills its background with the brush the parent
// answers; the NULL_BRUSH stock object leaves the background as it was. Each paints into
// the DC in wParam of WM_PAINT and WM_PRINTCLIENT when there is one.
#pragma once

#include "win/types.h"
#include "win/user_message.h"

// ---- WM_GETDLGCODE answers ----------------------------------------------------------------
#ifndef DLGC_WANTARROWS
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000
#endif

// ---- Button ---------------------------------------------------------------------------------
#define WC_BUTTONW u"Button"

#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define BS_GROUPBOX 0x00000007L
#define BS_USERBUTTON 0x00000008L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_PUSHBOX 0x0000000AL
#define BS_OWNERDRAW 0x0000000BL
#define BS_SPLITBUTTON 0x0000000CL
#define BS_DEFSPLITBUTTON 0x0000000DL
#define BS_COMMANDLINK 0x0000000EL
#define BS_DEFCOMMANDLINK 0x0000000FL
#define BS_TYPEMASK 0x0000000FL
#define BS_LEFTTEXT 0x00000020L
#define BS_RIGHTBUTTON BS_LEFTTEXT
#define BS_TEXT 0x00000000L
#define BS_ICON 0x00000040L
#define BS_BITMAP 0x00000080L
#define BS_LEFT 0x00000100L
#define BS_RIGHT 0x00000200L
#define BS_CENTER 0x00000300L
#define BS_TOP 0x00000400L
#define BS_BOTTOM 0x00000800L
#define BS_VCENTER 0x00000C00L
#define BS_PUSHLIKE 0x00001000L
#define BS_MULTILINE 0x00002000L
#define BS_NOTIFY 0x00004000L
#define BS_FLAT 0x00008000L

#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008
#define BST_HOT 0x0200
#define BST_DROPDOWNPUSHED 0x0400

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
// wParam the new style (its type and BS_ flags), lParam non-zero to redraw.
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#define BM_GETIMAGE 0x00F6
#define BM_SETIMAGE 0x00F7
#define BM_SETDONTCLICK 0x00F8

// WM_COMMAND codes (HIWORD(wParam)); BN_SETFOCUS, BN_KILLFOCUS, BN_PUSHED and BN_UNPUSHED
// only with BS_NOTIFY.
#define BN_CLICKED 0
#define BN_PAINT 1
#define BN_PUSHED 2
#define BN_HILITE BN_PUSHED
#define BN_UNPUSHED 3
#define BN_UNHILITE BN_UNPUSHED
#define BN_DISABLE 4
#define BN_DOUBLECLICKED 5
#define BN_DBLCLK BN_DOUBLECLICKED
#define BN_SETFOCUS 6
#define BN_KILLFOCUS 7

// The split buttons' messages (as the common controls' version 6 gives them).
#ifndef BCM_FIRST
#define BCM_FIRST 0x1600
#define BCM_GETIDEALSIZE (BCM_FIRST + 0x0001)
#define BCM_SETTEXTMARGIN (BCM_FIRST + 0x0004)
#define BCM_GETTEXTMARGIN (BCM_FIRST + 0x0005)
#define BCM_SETDROPDOWNSTATE (BCM_FIRST + 0x0006)
#define BCM_SETSPLITINFO (BCM_FIRST + 0x0007)
#define BCM_GETSPLITINFO (BCM_FIRST + 0x0008)
#define BCN_FIRST (0U - 1250U)
#define BCN_HOTITEMCHANGE (BCN_FIRST + 0x0001)
#define BCN_DROPDOWN (BCN_FIRST + 0x0002)

#define BCSIF_GLYPH 0x0001
#define BCSIF_IMAGE 0x0002
#define BCSIF_STYLE 0x0004
#define BCSIF_SIZE 0x0008
#define BCSS_NOSPLIT 0x0001
#define BCSS_STRETCH 0x0002
#define BCSS_ALIGNLEFT 0x0004
#define BCSS_IMAGE 0x0008

struct BUTTON_SPLITINFO {
  UINT mask;
  HANDLE himlGlyph;  // an image list (BCSS_IMAGE) or a glyph character
  UINT uSplitStyle;
  SIZE size;
};
typedef BUTTON_SPLITINFO* PBUTTON_SPLITINFO;

// BCN_DROPDOWN: the drop part of a split button was pressed; rcButton is the button's
// client rectangle.
struct NMBCDROPDOWN {
  NMHDR hdr;
  RECT rcButton;
};
typedef NMBCDROPDOWN* LPNMBCDROPDOWN;
#endif

// ---- Static ---------------------------------------------------------------------------------
#define WC_STATICW u"Static"

#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_BLACKRECT 0x00000004L
#define SS_GRAYRECT 0x00000005L
#define SS_WHITERECT 0x00000006L
#define SS_BLACKFRAME 0x00000007L
#define SS_GRAYFRAME 0x00000008L
#define SS_WHITEFRAME 0x00000009L
#define SS_USERITEM 0x0000000AL
#define SS_SIMPLE 0x0000000BL
#define SS_LEFTNOWORDWRAP 0x0000000CL
#define SS_OWNERDRAW 0x0000000DL
#define SS_BITMAP 0x0000000EL
#define SS_ENHMETAFILE 0x0000000FL
#define SS_ETCHEDHORZ 0x00000010L
#define SS_ETCHEDVERT 0x00000011L
#define SS_ETCHEDFRAME 0x00000012L
#define SS_TYPEMASK 0x0000001FL
#define SS_REALSIZECONTROL 0x00000040L
#define SS_NOPREFIX 0x00000080L
#define SS_NOTIFY 0x00000100L
#define SS_CENTERIMAGE 0x00000200L
#define SS_RIGHTJUST 0x00000400L
#define SS_REALSIZEIMAGE 0x00000800L
#define SS_SUNKEN 0x00001000L
#define SS_EDITCONTROL 0x00002000L
#define SS_ENDELLIPSIS 0x00004000L
#define SS_PATHELLIPSIS 0x00008000L
#define SS_WORDELLIPSIS 0x0000C000L
#define SS_ELLIPSISMASK 0x0000C000L

#define STM_SETICON 0x0170
#define STM_GETICON 0x0171
// wParam IMAGE_BITMAP, IMAGE_ICON, IMAGE_CURSOR or IMAGE_ENHMETAFILE; answers the image
// the control held. The control never destroys an image it was given.
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#ifndef IMAGE_ENHMETAFILE
#define IMAGE_ENHMETAFILE 3
#endif

// WM_COMMAND codes, only with SS_NOTIFY.
#define STN_CLICKED 0
#define STN_DBLCLK 1
#define STN_ENABLE 2
#define STN_DISABLE 3

// ---- ScrollBar ------------------------------------------------------------------------------
#define WC_SCROLLBARW u"ScrollBar"

#define SBS_HORZ 0x0000L
#define SBS_VERT 0x0001L
#define SBS_TOPALIGN 0x0002L
#define SBS_LEFTALIGN 0x0002L
#define SBS_BOTTOMALIGN 0x0004L
#define SBS_RIGHTALIGN 0x0004L
#define SBS_SIZEBOXTOPLEFTALIGN 0x0002L
#define SBS_SIZEBOXBOTTOMRIGHTALIGN 0x0004L
#define SBS_SIZEBOX 0x0008L
#define SBS_SIZEGRIP 0x0010L
