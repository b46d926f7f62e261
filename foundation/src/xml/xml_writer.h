// The writer for callers inside the library that must tell a failure (an exception) from
// an empty text.
#pragma once

#include <string>

#include <basalt/xml/node.h>

namespace Basalt::XMLDom {

std::u16string WriteXml(const XMLNode& node, const DispOption& opt);

}  // namespace Basalt::XMLDom
