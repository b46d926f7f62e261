// Umbrella header: everything the platform layer declares. Modules may include the
// area headers directly instead.
#pragma once

#include "win/types.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/fileapi.h"
#include "win/crt.h"
#include "win/nls.h"
#include "win/user.h"
#include "win/registry.h"
#include "win/profile.h"
#include "win/module.h"
#include "win/resource.h"
#include "win/shell.h"
#include "win/ole.h"
#include "win/oleauto.h"
#include "win/com.h"
#include "win/msxml.h"
#include "win/menu.h"
#include "win/gdi.h"
#include "win/userres.h"
#include "win/dialog.h"
