// Events of controls: delegates and the binding of a delegate to an event (the user interface
// raises them), and the yield through which a long task lets the event loop run.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/runtime/classes.h"

namespace platform {

// A routine bound to the object it runs on. With the flag 1 the delegate holds its target
// weakly: a window's controls hold the delegates that run on the window, and the window holds
// its controls. Target() reads nil once such a target is gone.
class Delegate : public Object {
 public:
  Delegate(Code invoker, Code method, Object* target, int flags);
  Code Invoker() const noexcept { return invoker_; }
  Code Method() const noexcept { return method_; }
  Object* Target() const noexcept { return flags_ == 1 ? weakTarget_.get() : strongTarget_.get(); }

 private:
  Code invoker_;
  Code method_;
  WeakRef<Object> weakTarget_;
  Ref<Object> strongTarget_;
  int flags_;
};

// The routine that the platform calls with the source of an event and the delegate bound to it.
using DispatchRoutine = void (*)(Object& source, Delegate& delegate);
// The delegate's own invoker, called with the event's argument.
using DelegateInvoker = void (*)(Delegate& delegate, Object& argument);

// The signature text is accepted for its callers' sake: the invoker already knows the types.
Ref<Delegate> RuntimeCreateDelegate(Code invoker, Code method, Object* target, const char* signature, int flags);

// What an object keeps of the handlers bound to its events.
class EventSource : public Object {
 public:
  struct Handler {
    std::size_t eventNumber;
    DispatchRoutine dispatch;
    Ref<Delegate> delegate;
  };
  const std::vector<Handler>& Handlers() const noexcept { return handlers_; }

 private:
  friend void RuntimeAddEventHandler(const Ref<EventSource>&, std::size_t, DispatchRoutine, const Ref<Delegate>&);
  std::vector<Handler> handlers_;
};

// From now on, whenever the source raises the event of that number, the dispatch routine runs
// with the source and the delegate.
void RuntimeAddEventHandler(const Ref<EventSource>& source, std::size_t eventNumber, DispatchRoutine dispatch,
                            const Ref<Delegate>& delegate);

// Calls the delegate's invoker with the argument.
inline void RuntimeInvokeDelegate(Delegate& delegate, Object& argument) {
  reinterpret_cast<DelegateInvoker>(delegate.Invoker())(delegate, argument);
}

// The two routines of one signature text, for handlers that take the event's source: the
// dispatch routine passes the source to the delegate; the invoker runs the delegate's method
// on its target, or raises NilObjectException when the target is gone (a window that closed
// while something still held one of its controls).
template <class Target, class Argument>
struct HandlerRoutines {
  using Method = void (*)(Target&, const Ref<Argument>&);
  static void Dispatch(Object& source, Delegate& delegate) { RuntimeInvokeDelegate(delegate, source); }
  static void Invoke(Delegate& delegate, Object& argument) {
    Object* target = delegate.Target();
    if (!target) RaiseNilObjectException();
    reinterpret_cast<Method>(delegate.Method())(dynamic_cast<Target&>(*target),
                                                RuntimeCheckCast<Argument>(Ref<Object>(&argument)));
  }
};

// Lets the event loop run during a long task of the platform's own, such as a copy: the window
// repaints and Esc is seen. The user interface installs the routine that does so; until it
// has, RuntimeYield does nothing.
void RuntimeSetYield(void (*yield)());
void RuntimeYield();

}  // namespace platform
