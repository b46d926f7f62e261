// The identifiers of the Common Item Dialog's interfaces (win/shobjidl.h) for ComObject, so
// that the dialog and the objects that serve its events name each interface once.
#pragma once

#include "kx2/ComObject.h"
#include "win/shobjidl.h"

KX2_IID(IShellItem, IID_IShellItem)
KX2_IID(IShellItemArray, IID_IShellItemArray)
KX2_IID(IOleWindow, IID_IOleWindow)
KX2_IID(IModalWindow, IID_IModalWindow)
KX2_IID_DERIVED(IFileDialog, IID_IFileDialog, IModalWindow)
KX2_IID_DERIVED(IFileOpenDialog, IID_IFileOpenDialog, IFileDialog)
KX2_IID_DERIVED(IFileSaveDialog, IID_IFileSaveDialog, IFileDialog)
KX2_IID(IFileDialogCustomize, IID_IFileDialogCustomize)
KX2_IID(IFileDialogEvents, IID_IFileDialogEvents)
KX2_IID(IFileDialogControlEvents, IID_IFileDialogControlEvents)
