// The application object and the life of the process: start-up and shut-down.
#pragma once

#include <cstdint>

#include "platform/runtime.h"
#include "platform/ui.h"

class App : public platform::Application {
 public:
  static platform::ClassRecord* GetClass();

  // The stop request of an export run: 0 = go on, 1 = stop. Shared: one value for the
  // process, 0 when it starts.
  static std::int32_t ArretTraitement;

  // The code of the constructor: it does nothing.
  void Constructor() {}
};

// App's own operation, right after Application's.
struct AppOperations {
  static constexpr platform::Operation<void(App&)> Constructor{platform::kApplicationOperationCount};
};

// Registers the class "App"; a second registration changes nothing.
void RegisterApp();

// The start-up hooks: places kept for code that runs at those moments; they do nothing.
// (The menu bar's code has its own, MenuBar1StartupHook.)
void FirstStartupHook();
void ThirdStartupHook();
void FourthStartupHook();

// The whole life of the application, from the run time's start to its exit; gives the
// process's exit status. An error of any kind that escapes the start-up or the application's
// body is told to the user, and the application still ends as after a quit.
int QuorvaneMain();
