#include "platform/runtime/object.h"

namespace platform {

void ReleaseWeakAnchor(WeakAnchor* anchor) noexcept {
  if (--anchor->holders == 0 && !anchor->alive) delete anchor;
}

void RaiseNilObjectException() { throw NilObjectException(); }

void RaiseIllegalCast(const char* target) { throw IllegalCastException(target); }

}  // namespace platform
