// One report: the count, the machine facts, the call, and on success the registry.
#include <fennic/Report.h>
#include <fennic/Sha256.h>

#include "report_call.h"

namespace fennic {

bool ReportOnce(const ReportArguments& args) {
  DWORD count = ReadRunCount(args);
  ReportCall call(args);
  // Once the count says a call will be made, its connection is opened first: the server
  // accepts it while the machine facts are gathered, instead of after.
  call.OpenEarly(count);
  std::string identity = Sha256::HexDigest(NetworkAddressText());
  if (!call.Send(count, SystemText(), LocaleText(), identity)) return false;
  RecordReport(args, count);
  return true;
}

}  // namespace fennic
