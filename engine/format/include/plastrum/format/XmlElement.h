// The host's XML objects as the shape-format XML readers and writers use them.
//
// The readers and writers never parse or print XML themselves: they work on the host's
// element objects (IKX2XMLElement), node lists and element factory (the document,
// IKX2XMLDocument::CreateElement / CreateElementNS). Every object an operation returns
// carries a reference the caller releases; texts returned stay valid while their element
// lives. What the code relies on: names and texts are UTF-16, a set replaces an attribute of
// the same name, GetChildren keeps document order, null means absent.
#pragma once

#include <utility>

#include <kx2/Ref.h>
#include <vantorel/xml_interfaces.h>
#include <plastrum/Export.h>

namespace Present {

// An owned reference to a host XML object, released when it leaves scope: the port's one
// reference holder.
template <class T>
using XmlRef = kx2::Ref<T>;

// Item i of a node list as an element: a new reference, or null when the item is missing or
// is not an element.
PLASTRUM_API IKX2XMLElement* XmlListElement(IKX2XMLNodeList* list, LONG index);
// The index-th child element of `parent` named `name` (document order): a new reference, or
// null when there are not that many.
PLASTRUM_API IKX2XMLElement* XmlChildElement(IKX2XMLElement* parent, const char16_t* name, LONG index = 0);

}  // namespace Present
