// Names of the system's headers that resource sources use without including them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace kx2rc {

const std::map<std::string, uint32_t>& WindowSymbols();

}  // namespace kx2rc
