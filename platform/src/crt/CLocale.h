// Private: the POSIX "C" locale object used to read and write numbers with "." whatever
// locale the process runs in.
#pragma once

#include <locale.h>

namespace kx2 {
locale_t CLocale();
}
