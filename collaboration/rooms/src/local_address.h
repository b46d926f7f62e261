// The local address, kept apart from the platform's Windows headers, which ACE's collide with.
#pragma once

#include <string>

namespace TDRL {

// The first IPv4 address the local host name resolves to, dotted; empty when it does not.
std::string ReadLocalHostAddress();

}  // namespace TDRL
