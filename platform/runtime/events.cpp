#include "platform/runtime/events.h"

namespace platform {

namespace {

void (*installedYield)() = nullptr;

}  // namespace

Delegate::Delegate(Code invoker, Code method, Object* target, int flags)
    : invoker_(invoker), method_(method), flags_(flags) {
  if (flags == 1)
    weakTarget_ = WeakRef<Object>(target);
  else
    strongTarget_ = Ref<Object>(target);
}

Ref<Delegate> RuntimeCreateDelegate(Code invoker, Code method, Object* target, const char* /*signature*/, int flags) {
  return New<Delegate>(invoker, method, target, flags);
}

void RuntimeAddEventHandler(const Ref<EventSource>& source, std::size_t eventNumber, DispatchRoutine dispatch,
                            const Ref<Delegate>& delegate) {
  source->handlers_.push_back({eventNumber, dispatch, delegate});
}

void RuntimeSetYield(void (*yield)()) { installedYield = yield; }

void RuntimeYield() {
  if (installedYield) installedYield();
}

}  // namespace platform
