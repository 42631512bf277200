// The application object and the life of the process: start-up and shut-down.
#pragma once

#include <cstdint>

#include "platform/runtime.h"
#include "platform/ui.h"
#include "shell/class_registration.h"

// App's own operation, right after Application's, by the kinds of shell/class_registration.h.
#define APP_OPERATIONS(METHOD, ...) METHOD(Constructor)

SYSTEM_CLASS_PLACES(AppSlot, platform::kApplicationOperationCount, APP_OPERATIONS)

class App : public platform::Application {
 public:
  // The record of the class "App", registered on first use.
  static platform::ClassRecord* GetClass() { return SystemClass<App>::Record(); }

  // The stop request of an export run: 0 = go on, 1 = stop. Shared: one value for the
  // process, 0 when it starts.
  static std::int32_t ArretTraitement;

  // The code of the constructor: it does nothing.
  void Constructor() {}

 private:
  friend class SystemClass<App>;
  // What the class adds to Application (app.cpp).
  static SystemClassDefinition Definition();
};

// Typed calls of App's own operation through the object's table.
struct AppOperations {
  SYSTEM_CLASS_TYPED_CALLS(App, AppSlot, APP_OPERATIONS)
};

// The start-up hooks: places kept for code that runs at those moments; they do nothing.
// (The menu bar's code has its own, MenuBar1StartupHook.)
void FirstStartupHook();
void ThirdStartupHook();
void FourthStartupHook();

// The whole life of the application, from the run time's start to its exit; gives the
// process's exit status. An error of any kind that escapes the start-up or the application's
// body is told to the user, and the application still ends as after a quit.
int QuorvaneMain();
