// Umbrella header: everything the platform layer declares. Modules may include the
// area headers directly instead.
#pragma once

#include "win/types.h"
#include "win/errors.h"
#if __has_include("win/kernel.h")
#include "win/kernel.h"
#endif
#if __has_include("win/fileapi.h")
#include "win/fileapi.h"
#endif
#if __has_include("win/crt.h")
#include "win/crt.h"
#endif
#if __has_include("win/nls.h")
#include "win/nls.h"
#endif
#if __has_include("win/user.h")
#include "win/user.h"
#endif
#if __has_include("win/registry.h")
#include "win/registry.h"
#endif
#if __has_include("win/profile.h")
#include "win/profile.h"
#endif
#if __has_include("win/module.h")
#include "win/module.h"
#endif
#if __has_include("win/resource.h")
#include "win/resource.h"
#endif
#if __has_include("win/shell.h")
#include "win/shell.h"
#endif
#if __has_include("win/ole.h")
#include "win/ole.h"
#endif
#if __has_include("win/oleauto.h")
#include "win/oleauto.h"
#endif
#if __has_include("win/com.h")
#include "win/com.h"
#endif
#if __has_include("win/msxml.h")
#include "win/msxml.h"
#endif
#if __has_include("win/menu.h")
#include "win/menu.h"
#endif
#if __has_include("win/gdi.h")
#include "win/gdi.h"
#endif
#if __has_include("win/userres.h")
#include "win/userres.h"
#endif
#if __has_include("win/dialog.h")
#include "win/dialog.h"
#endif
