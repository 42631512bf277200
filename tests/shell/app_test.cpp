// The application as a whole: its class, its start-up, its event loop and its end, driven in
// the test's own process with the dialogs answered by script.
#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>

#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_interaction.h"
#include "tests/support/ticks.h"

using namespace platform;

namespace {

// Runs the application; once its event loop runs, the script acts on the live main window.
int RunApplication(std::function<void(const Ref<Window1>&)> script) {
  QTimer::singleShot(0, [script] {
    const Ref<Window1> window = RuntimeCheckCast<Window1>(RuntimeGetImplicitWindow("Window1.Window1"));
    script(window);
  });
  return QuorvaneMain();
}

TEST(AppClass, RegisteredAfterApplicationWithItsStopFlag) {
  const ClassRecord* parent = Application::GetClass();
  const ClassRecord* record = App::GetClass();
  EXPECT_STREQ(record->name, "App");
  EXPECT_EQ(record->parent, parent);
  EXPECT_EQ(parent->vtableCount, 12u);
  EXPECT_EQ(record->vtableCount, 13u);
  EXPECT_EQ(record->members.entries.size(), parent->members.entries.size() + 1);
  EXPECT_EQ(record->events.size(), 10u);
  EXPECT_EQ(record->properties.entries.size(), parent->properties.entries.size() + 1);
  EXPECT_TRUE(record->attributes.empty());
  EXPECT_STREQ(record->members.entries.back().name, "Constructor");
  EXPECT_EQ(record->vtable[12], record->members.entries.back().code);

  const PropertyEntry* stop = RuntimeFindProperty(record, "ArretTraitement");
  ASSERT_NE(stop, nullptr);
  EXPECT_STREQ(stop->type, "i4");
  EXPECT_EQ(stop->flags, 7u);
  EXPECT_EQ(stop->entrySize, 24u);
  const auto& attributes = record->properties.attributes.back();
  ASSERT_EQ(attributes.size(), 2u);
  EXPECT_STREQ(attributes[0].name, "__Scope");
  EXPECT_STREQ(attributes[0].value, "Public");
  EXPECT_EQ(attributes[0].hasValue, 1);
  EXPECT_STREQ(attributes[1].name, "__Shared");
  EXPECT_EQ(attributes[1].hasValue, 0);

  // The getter and setter work on the one shared value, through the property table.
  const Ref<Object> app = RuntimeNewObject(App::GetClass());
  Value one;
  one.kind = Value::Kind::Integer, one.integer = 1;
  stop->setterInvoker(stop->setter, *app, &one, 1);
  EXPECT_EQ(App::ArretTraitement, 1);
  EXPECT_EQ(stop->getterInvoker(stop->getter, *app, nullptr, 0).integer, 1);
  App::ArretTraitement = 0;
}

// App's constructor runs before its menu bar is set and before it is registered; the menu bar
// exists before any window; App and the main window share it; the stop flag is 0 before any
// run; Quitter ends the application with the status 0.
TEST(Startup, OrderSharedMenuBarAndQuitter) {
  struct Seen {
    bool ran = false, menuBarUnset = false, notRegistered = false, noWindow = false;
  };
  static Seen seen;
  ClassRecord* record = App::GetClass();
  const Code kept = record->vtable[12];
  using Constructor = void (*)(App&);
  const Constructor spy = [](App& app) {
    seen.ran = true;
    seen.menuBarUnset = !app.MenuBar();
    seen.notRegistered = !RuntimeAppObject();
    seen.noWindow = RuntimeLiveWindows().empty();
  };
  record->vtable[12] = CodeOf(spy);
  Ref<Object> appMenuBar, windowMenuBar;
  std::int32_t stopFlag = -1;
  const int status = RunApplication([&](const Ref<Window1>& window) {
    appMenuBar = RuntimeAppObject()->MenuBar();
    windowMenuBar = window->MenuBar();
    stopFlag = App::ArretTraitement;
    window->BtnQuitter()->Push();
  });
  record->vtable[12] = kept;
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(seen.ran && seen.menuBarUnset && seen.notRegistered && seen.noWindow);
  ASSERT_TRUE(appMenuBar);
  EXPECT_EQ(appMenuBar, windowMenuBar);
  EXPECT_TRUE(RuntimeIsA(appMenuBar->Record(), MenuBar1::GetClass()));
  EXPECT_EQ(stopFlag, 0);
  EXPECT_EQ(RuntimeGetImplicitWindow("Window1.Window1"), nullptr);  // the windows went at the end
}

// The menu item "Quitter" (Ctrl+Q here) and closing the main window end it as Quitter does.
TEST(Startup, TheQuitItemAndTheCloseBoxEndTheApplication) {
  EXPECT_EQ(RunApplication([](const Ref<Window1>& window) {
              for (QAction* menu : window->QtWindow()->menuBar()->actions())
                for (QAction* item : menu->menu()->actions())
                  if (item->text() == "Quitter") {
                    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
                    item->trigger();
                  }
            }),
            0);
  EXPECT_EQ(RunApplication([](const Ref<Window1>& window) { window->QtWindow()->close(); }), 0);
}

// An error that escapes a handler while the event loop runs is reported, and the application
// goes on.
TEST(Startup, AnErrorEscapingAHandlerIsReportedAndTheApplicationGoesOn) {
  ScriptedInteraction user;
  ClassRecord* record = Window1::GetClass();
  const std::size_t slot = Window1::Operations::BtnAide_Action.Slot();
  const Code kept = record->vtable[slot];
  using Handler = void (*)(Window1&, const Ref<PushButton>&);
  const Handler failing = [](Window1&, const Ref<PushButton>&) { throw IOException(5, "Input/output error"); };
  record->vtable[slot] = CodeOf(failing);
  bool wentOn = false;
  const int status = RunApplication([&](const Ref<Window1>& window) {
    window->BtnAide()->Push();
    wentOn = window->BtnDemarrer()->Enabled();
    window->BtnQuitter()->Push();
  });
  record->vtable[slot] = kept;
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(wentOn);
  EXPECT_EQ(user.messages, std::vector<std::string>{"Une erreur inattendue s'est produite : Input/output error"});
}

// An error of any kind that escapes the application's body (here, while the main window is
// built) is told to the user; then the application shuts down as after a quit: the menu bar
// and the application object are let go, and the windows.
TEST(Startup, AnErrorEscapingTheBodyIsToldAndTheApplicationEnds) {
  using Implementation = void (*)(Window&);
  static WeakRef<MenuBar1> bar;  // the application's, as the main window's Layout would see it
  const struct {
    const char* kind;
    Implementation failing;
    const char* told;
  } cases[] = {
      {"platform error",
       [](Window&) {
         bar = WeakRef<MenuBar1>(MenuBar1Instance().get());
         throw NilObjectException();
       },
       "Une erreur inattendue a arrêté l'application : NilObjectException"},
      {"C++ error",
       [](Window&) {
         bar = WeakRef<MenuBar1>(MenuBar1Instance().get());
         throw std::bad_alloc();
       },
       "Une erreur inattendue a arrêté l'application : std::bad_alloc"},
      {"neither",
       [](Window&) {
         bar = WeakRef<MenuBar1>(MenuBar1Instance().get());
         throw 42;
       },
       "Une erreur inattendue a arrêté l'application : erreur inconnue"},
  };
  ClassRecord* record = Window1::GetClass();
  const std::size_t layout = RuntimeEventNumber(record, "Layout") - 1;
  const Code kept = record->events[layout].implementation;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    ScriptedInteraction user;
    record->events[layout].implementation = CodeOf(c.failing);
    const int status = QuorvaneMain();
    record->events[layout].implementation = kept;
    EXPECT_EQ(status, 0);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].rfind(c.told, 0), 0u) << user.messages[0];
    EXPECT_EQ(bar.get(), nullptr) << "the menu bar made for the application is still held";
    EXPECT_EQ(RuntimeAppObject(), nullptr);
    EXPECT_EQ(RuntimeGetImplicitWindow("Window1.Window1"), nullptr);
  }
}

// An error in the start-up, before the application's body, is told as well, and the application
// ends as after a quit: here the class registration finds the table of Application out of
// step with its member entries. In a process of its own, where no class is registered yet.
TEST(Startup, AnErrorInTheStartUpIsToldAndTheApplicationEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ScriptedInteraction user;
        ++Application::GetClass()->vtableCount;
        const int status = QuorvaneMain();
        for (const std::string& message : user.messages) std::fprintf(stderr, "[%s]\n", message.c_str());
        std::exit(status == 0 && user.messages.size() == 1 ? 0 : 1);
      },
      testing::ExitedWithCode(0),
      "\\[Une erreur inattendue a arrêté l'application : the table of Application does not follow its member "
      "entries\\]");
}

// ---- End to end ----------------------------------------------------------------------------

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    SetClockForTesting([] { return CivilTime{2026, 12, 10, 7, 27, 37}; });
    fixtures::fs::create_directories(root);
    fixtures::fs::create_directories(result.parent_path());
    fixtures::MakeDatabase(root / "grande.sqlite",
                           "CREATE TABLE t(v TEXT);"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
                           " INSERT INTO t SELECT 'ligne ' || i FROM n;");
    fixtures::MakeDatabase(root / "petite.sqlite", "CREATE TABLE u(v TEXT); INSERT INTO u VALUES('x');");
    user.folder = root.string();
    user.resultFile = result.string();
    user.realStopKey = true;
    // Once, early in the run, the user acts; the next turn of the event loop inside the run
    // delivers what was posted.
    user.onStopKeyPoll = [this](int call) {
      if (call == 10 && act) {
        act();
        ticks.Advance(detail::kEventLoopInterval);
      }
    };
  }
  void TearDown() override {
    SetClockForTesting(nullptr);
    QLocale::setDefault(QLocale::c());
  }

  std::vector<std::string> ResultLines() const { return fixtures::Lines(fixtures::ReadFile(result)); }

  fixtures::TempDir temp;
  fixtures::fs::path root = temp / "racine";
  fixtures::fs::path result = temp / "out" / "resultat.txt";
  ManualTicks ticks;
  ScriptedInteraction user;
  std::function<void()> act;
  QMainWindow* mainWindow = nullptr;
};

// The user presses Démarrer, then Esc during the run: the run stops, writes its cancel lines
// and footer, and the window is ready again; the Esc pressed nothing else.
TEST_F(EndToEnd, EscStopsARunStartedFromTheStartButton) {
  act = [this] {
    QCoreApplication::postEvent(mainWindow, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(mainWindow, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
  };
  int heightAfter = 0;
  bool enabledAfter = false;
  std::int32_t stopFlagAfter = -1;
  std::string countAfter;
  const int status = RunApplication([&](const Ref<Window1>& window) {
    mainWindow = window->QtWindow();
    window->BtnDemarrer()->Push();
    heightAfter = window->Height();
    enabledAfter = window->BtnDemarrer()->Enabled();
    stopFlagAfter = App::ArretTraitement;
    countAfter = window->NbRecords()->Text();
    window->BtnQuitter()->Push();
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(user.messages, std::vector<std::string>{"Traitement terminé !"});
  const std::vector<std::string> lines = ResultLines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[lines.size() - 3], "");
  EXPECT_EQ(lines[lines.size() - 2], "Traitement annulé à l'utilisateur");
  EXPECT_EQ(lines.back(), "fichier terminé le jeudi 10 décembre 2026 à 07:27:37");
  EXPECT_LT(std::stoi(countAfter), 5000);
  EXPECT_GE(std::stoi(countAfter), 10);
  EXPECT_EQ(heightAfter, 246);
  EXPECT_TRUE(enabledAfter);
  EXPECT_EQ(stopFlagAfter, 0);
}

// Closing the main window during a run stops the run as Esc does; the result file still gets
// its cancel lines and footer, and then the application ends.
TEST_F(EndToEnd, ClosingTheWindowDuringARunFinishesTheFileThenEnds) {
  act = [this] { QCoreApplication::postEvent(mainWindow, new QCloseEvent); };
  const int status = RunApplication([&](const Ref<Window1>& window) {
    mainWindow = window->QtWindow();
    window->BtnDemarrer()->Push();
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(user.messages.empty());  // nobody is left to read "Traitement terminé !"
  const std::vector<std::string> lines = ResultLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2], "Traitement annulé à l'utilisateur");
  EXPECT_EQ(lines.back(), "fichier terminé le jeudi 10 décembre 2026 à 07:27:37");
}

}  // namespace
