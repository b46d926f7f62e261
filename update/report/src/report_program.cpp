// One report: the machine facts, the count, the call, and on success the registry.
#include <fennic/Report.h>
#include <fennic/Sha256.h>

namespace fennic {

bool ReportOnce(const ReportArguments& args) {
  std::string identity = Sha256::HexDigest(NetworkAddressText());
  DWORD count = ReadRunCount(args);
  if (!SendReport(args, count, SystemText(), LocaleText(), identity)) return false;
  RecordReport(args, count);
  return true;
}

}  // namespace fennic
