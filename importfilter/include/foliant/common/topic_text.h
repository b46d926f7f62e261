// Text in and out of host text objects: writing a text into the object placed in the
// model, and the one-line display text of a topic that links to it use.
#pragma once

#include <string_view>

#include <vantorel/model_interfaces.h>

namespace foliant {

// Writes `text` into the text object placed in the model (IVtlModel::PlaceObject): the
// text is cut at every character below U+0020, each piece between them inserted as text;
// a tab inserts a host tab, a line feed starts a new paragraph, and every other control
// character is dropped. False at the first insertion the model refuses.
bool WriteHostText(IVtlModel* model, std::u16string_view text);

// The display text of a topic, read through the model's text reader from the topic's text
// object: leading blanks dropped, each tab or blank after the first visible character one
// blank, the text ending at the first line feed after a visible character, at most 100
// visible characters and size - 1 characters in all. Returns the number of visible
// characters (size - 1 when the text was cut to the buffer); 0, with the buffer untouched,
// when there is nothing to show or a reader step fails.
LONG GetTopicDisplayText(IVtlModel* model, IVtlObject* textObject, LPWSTR buffer, LONG size);

}  // namespace foliant
