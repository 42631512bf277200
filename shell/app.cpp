#include "shell/app.h"

#include "shell/help_window.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"

using namespace platform;

static_assert(At(AppSlot::End) - kApplicationOperationCount == 1, "App adds its constructor to Application's 12");

std::int32_t App::ArretTraitement = 0;

namespace {

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
  SystemClass<App>::Register();
  SystemClass<Window1>::Register();
  SystemClass<MenuBar1>::Register();
  MenuBar1StartupHook();
  SystemClass<AideW>::Register();
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

// Its constructor after Application's operations, and its shared stop flag; unlike the
// windows' classes, it carries no class attribute.
SystemClassDefinition App::Definition() {
  using Getter = std::int32_t (*)(App&);
  using Setter = void (*)(App&, std::int32_t);
  return {
      .name = "App",
      .parent = Application::GetClass(),
      .operations = SYSTEM_CLASS_MEMBERS(App, AppOperations, APP_OPERATIONS),
      .properties = {AccessorProperty("ArretTraitement", kPropertyPublic | kPropertyShared | kPropertyReadWrite,
                                      static_cast<Getter>(&GetArretTraitement),
                                      static_cast<Setter>(&SetArretTraitement))},
      .publicScope = false,
  };
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
