#include "platform/ui/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

#include "platform/text/french.h"
#include "platform/ui/ui.h"

namespace platform {

namespace {

std::unique_ptr<QApplication> ownApplication;  // made by RuntimeInit when none exists
Ref<Delegate> exceptionHelper;
Ref<Application> appObject;
int exitCode = 0;
bool quitting = false;
bool quitPending = false;
bool initialising = false;

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
    ownApplication = std::make_unique<QApplication>(argc, argv);
  }
  // The interface is French: so are the platform's own dialogs and buttons.
  static QTranslator french;
  if (french.isEmpty() && french.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&french);
  // The application ends when its main window closes, not with its last window.
  QApplication::setQuitOnLastWindowClosed(false);
  exitCode = 0;
  quitting = quitPending = false;
}

void RuntimeSetExceptionHelper(const Ref<Delegate>& helper) { exceptionHelper = helper; }

void RuntimeInitExternalClasses() {}

void RuntimeLoadPlugin(const char* /*loadName*/) {}

void RuntimeRegisterAppObject(const Ref<Application>& app) { appObject = app; }

Ref<Application> RuntimeAppObject() { return appObject; }

void RunFrameworkInitialization(const Ref<Delegate>& callback) {
  RequireUIThread();
  initialising = true;
  struct Done {
    ~Done() { initialising = false; }
  } done;
  const std::size_t before = RuntimeLiveWindows().size();
  reinterpret_cast<void (*)()>(callback->Method())();
  const auto live = RuntimeLiveWindows();
  if (live.size() > before) live[before]->SetEndsApplication(true);
}

void RuntimeRun() {
  if (quitting) return;  // asked for before the loop ran
  QApplication::exec();
}

void Quit(int code) {
  exitCode = code;
  quitting = true;
  if (RuntimeInsideBackgroundTask()) {
    // A handler is in the middle of a long task: it stops as on Esc and finishes properly,
    // then the application ends.
    quitPending = true;
    RuntimeRequestStop();
    return;
  }
  QCoreApplication::exit(code);
}

bool RuntimeQuitting() { return quitting; }

void RuntimeFinishPendingQuit() {
  if (!quitPending || RuntimeInsideBackgroundTask()) return;
  quitPending = false;
  QCoreApplication::exit(exitCode);
}

void RuntimeUnhandledException(const String& message) {
  const bool wasQuitting = quitting;
  quitting = false;  // this message is shown even as the application ends
  MsgBox(french::kFatalError + message);
  quitting = wasQuitting;
}

int RuntimeExit() {
  RuntimeReleaseWindows();
  appObject = nullptr;
  exceptionHelper = nullptr;
  if (ownApplication) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ownApplication.reset();
  }
  const int status = exitCode;
  exitCode = 0;
  quitting = quitPending = false;
  return status;
}

void RuntimeRunApplicationCode(void (*routine)(void*), void* argument) {
  try {
    if (exceptionHelper) {
      const Ref<Object> escaped =
          reinterpret_cast<ExceptionHelperRoutine>(exceptionHelper->Method())(routine, argument);
      if (escaped) RuntimeReportUnhandled(RuntimeCheckCast<ExceptionObject>(escaped)->Message());
    } else {
      routine(argument);
    }
  } catch (const RuntimeException& error) {
    RuntimeReportUnhandled(error.Message());
  } catch (const std::exception& error) {
    RuntimeReportUnhandled(error.what());
  } catch (...) {
    RuntimeReportUnhandled(french::kUnknownError);
  }
}

}  // namespace platform
