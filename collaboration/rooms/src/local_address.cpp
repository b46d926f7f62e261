// Through ACE, so that no system call leaves the platform layer.
#include "local_address.h"

#include <ace/INET_Addr.h>
#include <ace/OS_NS_unistd.h>

namespace TDRL {

std::string ReadLocalHostAddress() {
  char name[81] = {};
  if (ACE_OS::hostname(name, 80) != 0 || !name[0]) return {};
  ACE_INET_Addr address;
  if (address.set(static_cast<u_short>(0), name, 1, AF_INET) != 0) return {};
  const char* dotted = address.get_host_addr();
  return dotted ? std::string(dotted) : std::string();
}

}  // namespace TDRL
