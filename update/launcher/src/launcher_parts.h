// Private: the launcher's steps.
#pragma once

#include <string>

namespace fennic {

void CountRun(const std::u16string& keyName);
// The report program under the user's, else the common application-data folder; empty
// when neither holds it.
std::u16string FindProgram(const std::u16string& product);
void StartProgram(const std::u16string& program, const std::u16string& parameters);

}  // namespace fennic
