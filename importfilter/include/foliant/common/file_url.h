// "file:" URLs (RFC 8089) to the local path they name, for every importer's links.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foliant {

// Whether the text starts with "file:" in any case.
bool IsFileUrl(std::u16string_view text);

// The local path a "file:" URL names, in Windows form: the percent-escapes decoded as
// UTF-8, "file:///C:/x" and "file:/C|/x" as "C:\x", "file://host/share" and
// "file:////host/share" as "\\host\share", "localhost" as no host, and a POSIX absolute path
// ("file:///home/x") as the platform maps it. nullopt when the text is no "file:" URL.
std::optional<std::u16string> LocalPathFromFileUrl(std::u16string_view url);

// Decodes the "%XX" escapes of a text as UTF-8; an escape that is not two hex digits stays
// as it stands.
std::u16string PercentDecode(std::u16string_view text);

// A POSIX absolute path ("/home/x") as the platform maps it into Windows form.
std::u16string WindowsPathOfPosix(std::u16string_view posixPath);

}  // namespace foliant
