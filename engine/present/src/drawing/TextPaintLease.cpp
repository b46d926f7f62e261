// The text paint records handed to a canvas owner, one chain per thread: owners may paint
// another canvas from inside their text callback, so leases nest.
#include <plastrum/present/drawing/PaintContext.h>

namespace Present::Drawing {
namespace {

thread_local const TextPaintLease* g_innermost = nullptr;

}  // namespace

TextPaintLease::TextPaintLease(const TextPaint& record) : record_(&record), previous_(g_innermost) {
  g_innermost = this;
}

TextPaintLease::~TextPaintLease() { g_innermost = previous_; }

const TextPaint* TextPaintLease::Find(const void* candidate) {
  for (const TextPaintLease* lease = g_innermost; lease; lease = lease->previous_)
    if (lease->record_ == candidate) return lease->record_;
  return nullptr;
}

}  // namespace Present::Drawing
