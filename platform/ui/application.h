// The application: the run time's start and end, the application object, the event loop,
// quitting, and what happens to an error that no code of the system caught.
#pragma once

#include <cstddef>

#include "platform/runtime/classes.h"
#include "platform/runtime/events.h"
#include "platform/ui/menus.h"

namespace platform {

// Application's virtual operations in table order, one row each: its place, its member
// name, its signature, and the routine of application.cpp that its place runs.
#define APPLICATION_OPERATIONS(OP)                                        \
  OP(AddTrayItem, "AddTrayItem", "%%p", NothingWithPointer)               \
  OP(DoEvents, "DoEvents", "%%i4", DoEvents)                              \
  OP(NewDocument, "NewDocument", "%%", NothingApp)                        \
  OP(OpenDocument, "OpenDocument", "%%s", NothingWithText)                \
  OP(RemoveTrayItem, "RemoveTrayItem", "%%p", NothingWithPointer)         \
  OP(SleepCurrentThread, "SleepCurrentThread", "%%i4", DoEvents)          \
  OP(YieldToNextThread, "YieldToNextThread", "%%", NothingApp)            \
  OP(_AddMenuHandler, "_AddMenuHandler", "%%p", NothingWithPointer)       \
  OP(_AddPollableObject, "_AddPollableObject", "%%p", NothingWithPointer) \
  OP(_DependencyList, "_DependencyList", "%p%", NoDependencies)           \
  OP(_DoSingleEvent, "_DoSingleEvent", "%%", NothingApp)                  \
  OP(_RemovePollableObject, "_RemovePollableObject", "%%p", NothingWithPointer)

// The places of Application's table of virtual operations, in table order.
enum class ApplicationSlot : std::size_t {
#define APPLICATION_SLOT(slot, ...) slot,
  APPLICATION_OPERATIONS(APPLICATION_SLOT)
#undef APPLICATION_SLOT
  Count
};
inline constexpr std::size_t kApplicationOperationCount = static_cast<std::size_t>(ApplicationSlot::Count);

class Application : public EventSource {
 public:
  static ClassRecord* GetClass();

  // The menu bar that the application shows.
  Ref<platform::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(const Ref<platform::MenuBar>& bar) { menuBar_ = bar; }

 private:
  Ref<platform::MenuBar> menuBar_;
};

// An error that escaped application code, as the exception helper hands it back.
class ExceptionObject : public Object {
 public:
  explicit ExceptionObject(String message) : message_(std::move(message)) {}
  const String& Message() const noexcept { return message_; }

 private:
  String message_;
};

// The exception helper's routine: runs routine(argument) and gives back the RuntimeException
// that escaped it, or nil; an exception of any other kind passes on.
using ExceptionHelperRoutine = Ref<Object> (*)(void (*routine)(void*), void* argument);

// Starts the run time: the Qt application, made once, with no argument of the process's own
// (nothing on the command line changes what the application does).
void RuntimeInit();
// The helper through which the platform runs the application's code from then on.
void RuntimeSetExceptionHelper(const Ref<Delegate>& helper);
void RuntimeInitExternalClasses();

// Loads the plugin of that name. The one plugin the system uses, the database classes, is
// part of the platform, whose code calls it directly: there is nothing to load.
void RuntimeLoadPlugin(const char* loadName);

void RuntimeRegisterAppObject(const Ref<Application>& app);
Ref<Application> RuntimeAppObject();
// Initialises the framework and calls the application back: the callback opens its windows.
// The first window made there is the main window: closing it ends the application.
void RunFrameworkInitialization(const Ref<Delegate>& callback);
// The event loop; returns once the application quits.
void RuntimeRun();
// Asks the application to end with the code. Asked while a handler runs a long task (inside
// RuntimeBackgroundTask), it stops that task as the stop key does and ends the application
// as soon as the handler returns.
void Quit(int code);
// True once Quit was asked for: message boxes are no longer shown.
bool RuntimeQuitting();
// Ends the application now if a quit waits for the handler that was running.
void RuntimeFinishPendingQuit();
// Tells the user of an error that ended the application (its start-up or its body), with its
// reason (ReasonOfCurrentException). Where no message box can be shown, the standard error
// output says it.
void RuntimeUnhandledException(const String& reason) noexcept;
// Ends the run time and gives the process's exit status.
int RuntimeExit();

// Every entry from Qt into the platform's and the system's code goes through here: an event's
// handlers, a menu item, a button's click, a window's resize and closing. The code runs
// through the exception helper when one is installed; an error that escapes it is told to the
// user (RuntimeReportUnhandled) and goes no further: no exception crosses Qt's event loop.
void RuntimeRunApplicationCode(void (*routine)(void*), void* argument);
template <class Callable>
void RuntimeRunApplicationCode(const Callable& code) {
  RuntimeRunApplicationCode([](void* argument) { (*static_cast<const Callable*>(argument))(); },
                            const_cast<void*>(static_cast<const void*>(&code)));
}
// Tells the user of an error that no code caught, with its reason; the application goes on.
void RuntimeReportUnhandled(const String& reason) noexcept;

// Runs the handlers bound to the source's event, each as application code: one that fails is
// told and the next still runs. False when none is bound.
bool RuntimeRaiseEvent(EventSource& source, std::size_t eventNumber);

}  // namespace platform
