#include "platform/runtime/events.h"

#include "platform/text/french.h"

#include "platform/ui/application.h"
#include "platform/ui/ui.h"

namespace platform {

Delegate::Delegate(Code invoker, Code method, Object* target, const char* signature, int flags)
    : invoker_(invoker), method_(method), signature_(signature), flags_(flags) {
  if (flags == 1)
    weakTarget_ = WeakRef<Object>(target);
  else
    strongTarget_ = Ref<Object>(target);
}

Ref<Delegate> RuntimeCreateDelegate(Code invoker, Code method, Object* target, const char* signature, int flags) {
  return New<Delegate>(invoker, method, target, signature, flags);
}

void RuntimeAddEventHandler(const Ref<EventSource>& source, std::size_t eventNumber, DispatchRoutine dispatch,
                            const Ref<Delegate>& delegate) {
  source->handlers_.push_back({eventNumber, dispatch, delegate});
}

void RuntimeReportUnhandled(const String& message) { MsgBox(french::kUnexpectedError + message); }

bool RuntimeRaiseEvent(EventSource& source, std::size_t eventNumber) {
  Ref<EventSource> keep(&source);  // a handler may drop the last other reference
  bool handled = false;
  const std::vector<EventSource::Handler> handlers = source.Handlers();
  for (const EventSource::Handler& handler : handlers) {
    if (handler.eventNumber != eventNumber) continue;
    handled = true;
    struct Call {
      const EventSource::Handler* handler;
      EventSource* source;
    } call{&handler, &source};
    RuntimeRunApplicationCode(
        [](void* argument) {
          auto* c = static_cast<Call*>(argument);
          c->handler->dispatch(*c->source, *c->handler->delegate);
        },
        &call);
  }
  RuntimeFinishPendingQuit();
  return handled;
}

}  // namespace platform
