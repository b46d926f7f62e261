// Where a finished attachment download goes: the room's co-edit manager. Kept apart from the
// transfers, whose platform headers do not mix with ACE's.
#pragma once

#include <tendril/packet_fields.h>

namespace TDRL {

class IAttachmentApplier {
 public:
  virtual void ApplyAttachmentFile(const Int32Quad& attachment, const char16_t* localPath) = 0;

 protected:
  ~IAttachmentApplier() = default;
};

// The download's list reaches the manager through its first field.
class IAttachmentRoom {
 public:
  virtual IAttachmentApplier* GetCoEditManager() = 0;

 protected:
  ~IAttachmentRoom() = default;
};

}  // namespace TDRL
