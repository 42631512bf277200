#include "platform/ui/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

#include <cstdio>
#include <memory>

#include "platform/text/french.h"
#include "platform/text/text.h"
#include "platform/ui/ui.h"

namespace platform {

namespace {

// The life of the application, from RuntimeInit to RuntimeExit, which leaves it as new.
struct ApplicationState {
  Ref<Delegate> exceptionHelper;
  Ref<Application> appObject;
  int exitCode = 0;
  bool quitting = false;     // Quit was asked for: no message box waits for an answer
  bool quitPending = false;  // asked for inside a long task, which finishes first
  std::unique_ptr<QApplication> ownApplication;  // made by RuntimeInit when none exists; goes last
};
ApplicationState state;

// Tells the user of an error: in a message box, or on the standard error output where none can
// be shown (Qt is not running yet, or the box itself failed). Nothing leaves it.
void Tell(const char* what, const String& reason) noexcept {
  try {
    if (QCoreApplication::instance()) {
      MsgBox(what + reason);
      return;
    }
  } catch (...) {
    // said below
  }
  std::fprintf(stderr, "%s%s\n", what, reason.c_str());
}

void NothingApp(Application&) {}
void NothingWithText(Application&, const String&) {}
void DoEvents(Application&, std::int32_t) { QCoreApplication::processEvents(); }
void NothingWithPointer(Application&, void*) {}
void* NoDependencies(Application&) { return nullptr; }

}  // namespace

ClassRecord* Application::GetClass() {
  static ClassRecord* record = [] {
    const std::vector<OwnMember> operations = {
#define APPLICATION_MEMBER(slot, name, signature, routine) Member(name, signature, &routine),
        APPLICATION_OPERATIONS(APPLICATION_MEMBER)
#undef APPLICATION_MEMBER
    };
    const std::vector<const char*> events = {"Activate",        "CancelClose",      "Close", "Deactivate",
                                             "EnableMenuItems", "HandleAppleEvent", "NewDocument", "Open",
                                             "OpenDocument",    "UnhandledException"};
    return BuildClassRecord({
        .name = "Application",
        .members = operations,
        .events = events,
        .make = &MakeObject<Application>,
        .instanceSize = sizeof(Application),
    });
  }();
  return record;
}

void RuntimeInit() {
  if (!QCoreApplication::instance()) {
    static int argc = 1;
    static char name[] = "quorvane";
    static char* argv[] = {name, nullptr};
    state.ownApplication = std::make_unique<QApplication>(argc, argv);
  }
  // The interface is French: so are the platform's own dialogs and buttons.
  static QTranslator french;
  if (french.isEmpty() && french.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&french);
  // The application ends when its main window closes, not with its last window.
  QApplication::setQuitOnLastWindowClosed(false);
  // Nothing is kept from one start to the next: Qt's own dialogs would keep in the user's
  // settings the folders they showed and how; here their settings can be written nowhere.
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null/quorvane"));
  RuntimeForgetChosenFolder();
  state.exitCode = 0;
  state.quitting = state.quitPending = false;
}

void RuntimeSetExceptionHelper(const Ref<Delegate>& helper) { state.exceptionHelper = helper; }

void RuntimeInitExternalClasses() {}

void RuntimeLoadPlugin(const char* /*loadName*/) {}

void RuntimeRegisterAppObject(const Ref<Application>& app) { state.appObject = app; }

Ref<Application> RuntimeAppObject() { return state.appObject; }

void RunFrameworkInitialization(const Ref<Delegate>& callback) {
  RequireUIThread();
  const std::size_t before = RuntimeLiveWindows().size();
  reinterpret_cast<void (*)()>(callback->Method())();
  const auto live = RuntimeLiveWindows();
  if (live.size() > before) live[before]->SetEndsApplication(true);
}

void RuntimeRun() {
  if (state.quitting) return;  // asked for before the loop ran
  QApplication::exec();
}

void Quit(int code) {
  state.exitCode = code;
  state.quitting = true;
  if (RuntimeInsideBackgroundTask()) {
    // A handler is in the middle of a long task: it stops as on Esc and finishes properly,
    // then the application ends.
    state.quitPending = true;
    RuntimeRequestStop();
    return;
  }
  QCoreApplication::exit(code);
}

bool RuntimeQuitting() { return state.quitting; }

void RuntimeFinishPendingQuit() {
  if (!state.quitPending || RuntimeInsideBackgroundTask()) return;
  state.quitPending = false;
  QCoreApplication::exit(state.exitCode);
}

void RuntimeUnhandledException(const String& reason) noexcept {
  const bool wasQuitting = state.quitting;
  state.quitting = false;  // this message is shown even as the application ends
  Tell(french::kFatalError, reason);
  state.quitting = wasQuitting;
}

int RuntimeExit() {
  RuntimeReleaseWindows();
  const int status = state.exitCode;
  if (state.ownApplication) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  state = ApplicationState{};  // member by member, in order: Qt's own application goes last
  return status;
}

void RuntimeRunApplicationCode(void (*routine)(void*), void* argument) {
  try {
    if (state.exceptionHelper) {
      const Ref<Object> escaped =
          reinterpret_cast<ExceptionHelperRoutine>(state.exceptionHelper->Method())(routine, argument);
      if (escaped) RuntimeReportUnhandled(RuntimeCheckCast<ExceptionObject>(escaped)->Message());
    } else {
      routine(argument);
    }
  } catch (...) {
    RuntimeReportUnhandled(ReasonOfCurrentException());
  }
}

void RuntimeReportUnhandled(const String& reason) noexcept { Tell(french::kUnexpectedError, reason); }

bool RuntimeRaiseEvent(EventSource& source, std::size_t eventNumber) {
  Ref<EventSource> keep(&source);  // a handler may drop the last other reference
  bool handled = false;
  const std::vector<EventSource::Handler> handlers = source.Handlers();
  for (const EventSource::Handler& handler : handlers) {
    if (handler.eventNumber != eventNumber) continue;
    handled = true;
    RuntimeRunApplicationCode([&] { handler.dispatch(source, *handler.delegate); });
  }
  RuntimeFinishPendingQuit();
  return handled;
}

}  // namespace platform
