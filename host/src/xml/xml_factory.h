// The host's XML document object model over libxml2.
#pragma once

#include <vantorel/xml_interfaces.h>

namespace vantorel::detail {

IKX2XMLFactory* NewXmlFactory();

}  // namespace vantorel::detail
