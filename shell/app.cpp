#include "shell/app.h"

#include "shell/help_window.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"

using namespace platform;

std::int32_t App::ArretTraitement = 0;

namespace {

ClassRecord* appClass = nullptr;  // the class's one global

std::int32_t GetArretTraitement(App&) { return App::ArretTraitement; }
void SetArretTraitement(App&, std::int32_t value) { App::ArretTraitement = value; }

// Runs the routine with its argument and gives back the RuntimeException that escaped it;
// an error of any other kind passes on.
Ref<Object> ExceptionHelper(void (*routine)(void*), void* argument) {
  try {
    routine(argument);
    return nullptr;
  } catch (const RuntimeException&) {
    return New<ExceptionObject>(ReasonOfCurrentException());
  }
}

// The framework calls back once it is ready: the main window is made there, and held by
// the framework.
void StartupCallback() { ImplicitWindow1(); }

void RegisterClasses() {
  // The framework's own classes; its database classes have no records of their own.
  for (ClassRecord* (*getter)() :
       {&Application::GetClass, &Window::GetClass, &MenuItem::GetClass, &MenuBar::GetClass, &QuitMenuItem::GetClass,
        &GroupBox::GetClass, &CheckBox::GetClass, &PushButton::GetClass, &Label::GetClass, &ProgressBar::GetClass,
        &Line::GetClass, &Rectangle::GetClass, &TextArea::GetClass})
    getter();
  // Then the application's.
  FirstStartupHook();
  RegisterApp();
  RegisterWindow1();
  RegisterMenuBar1Class();
  MenuBar1StartupHook();
  RegisterAideW();
}

void ApplicationBody() {
  RuntimeSetExceptionHelper(RuntimeCreateDelegate(nullptr, CodeOf(&ExceptionHelper), nullptr,
                                                  RecordTextOf<"( Ptr, Ptr ) as Object">(), 0));
  RuntimeInitExternalClasses();

  RuntimeLoadPlugin("SQLiteDatabasePlugin");

  ThirdStartupHook();
  const Ref<App> app = RuntimeCheckCast<App>(RuntimeNewObject(App::GetClass()), App::GetClass());
  AppOperations::Constructor(*app);
  app->SetMenuBar(MenuBar1Instance());
  RuntimeRegisterAppObject(app);
  FourthStartupHook();

  RunFrameworkInitialization(RuntimeCreateDelegate(nullptr, CodeOf(&StartupCallback), nullptr, RecordTextOf<"(  )">(), 0));
  RuntimeRun();
}

}  // namespace

void RegisterApp() {
  if (appClass) return;
  using Constructor = void (*)(App&);
  const Constructor constructor = [](App& app) { app.Constructor(); };
  using Getter = std::int32_t (*)(App&);
  using Setter = void (*)(App&, std::int32_t);
  appClass = BuildClassRecord({
      .name = "App",
      .parent = Application::GetClass(),
      .members = {Member("Constructor", "%%", constructor)},
      .properties = {AccessorProperty("ArretTraitement", "i4", kPropertyPublic | kPropertyShared | kPropertyReadWrite,
                                      static_cast<Getter>(&GetArretTraitement),
                                      static_cast<Setter>(&SetArretTraitement))},
      .make = &MakeObject<App>,
      .publicScope = false,
  });
}

ClassRecord* App::GetClass() {
  if (!appClass) RegisterApp();
  return appClass;
}

void FirstStartupHook() {}
void ThirdStartupHook() {}
void FourthStartupHook() {}

int QuorvaneMain() {
  // The start-up too: an error in it must not end the process without a word.
  try {
    RuntimeInit();
    RegisterClasses();
    ApplicationBody();
  } catch (...) {
    // Whatever was thrown, the user is told and the application still ends properly.
    RuntimeUnhandledException(ReasonOfCurrentException());
  }
  ReleaseMenuBar1();
  return RuntimeExit();
}
