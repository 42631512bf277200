#include "platform/runtime/object.h"

namespace platform {

void RaiseNilObjectException() { throw NilObjectException(); }

void RaiseIllegalCast(const char* target) { throw IllegalCastException(target); }

}  // namespace platform
