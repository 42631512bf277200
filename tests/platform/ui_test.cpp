#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>

#include "platform/ui.h"
#include "platform/text/qt_text.h"
#include "tests/support/event_loop.h"
#include "tests/support/fixtures.h"
#include "tests/support/ticks.h"

using namespace platform;
using fixtures::RunEventLoop;

namespace {

// A small window with a label, a check box and a button, registered under the name it is given.
class TestWindow : public Window {
 public:
  explicit TestWindow(String name) : Window(std::move(name)) {}

  Ref<Label> label;
  Ref<CheckBox> box;
  Ref<PushButton> button;

 protected:
  void OnLayout() override {
    SetWidth(320);
    SetHeight(200);
  }
  void OnCreateControls() override {
    label = New<Label>();
    label->SetLeft(10), label->SetTop(10), label->SetWidth(200), label->SetHeight(20);
    box = New<CheckBox>();
    box->SetCaption("Récursif");
    box->SetLeft(10), box->SetTop(40), box->SetWidth(200), box->SetHeight(20);
    button = New<PushButton>();
    button->SetCaption("Arrêter");
    button->SetLeft(10), button->SetTop(70), button->SetWidth(100), button->SetHeight(24);
    _AddControl("Label1", label);
    _AddControl("Recursif", box);
    _AddControl("Stop", button);
  }
};

class UiTest : public testing::Test {
 protected:
  void SetUp() override {
    window = New<TestWindow>("TestWindow");
    window->Constructor();
    RunEventLoop();
  }
  void TearDown() override {
    if (RuntimeGetImplicitWindow("TestWindow")) window->Close();
    window = nullptr;
    RunEventLoop();
  }

  Ref<TestWindow> window;
};

QString WidgetText(const Ref<Label>& label) { return static_cast<QLabel*>(label->Widget())->text(); }

// ---- Controls -----------------------------------------------------------------------------

TEST_F(UiTest, LabelTextIsAtOnceWhatWasLastSetAndReachesItsWidgetLater) {
  Ref<Label> label = window->label;
  label->SetText("Base : carnet.sqlite");
  EXPECT_EQ(label->Text(), "Base : carnet.sqlite");
  label->SetText("Table : contacts é");
  EXPECT_EQ(label->Text(), "Table : contacts é");
  RunEventLoop();
  EXPECT_EQ(WidgetText(label), QStringLiteral("Table : contacts é"));

  label->SetText("12");
  EXPECT_EQ(label->Text(), "12");
  label->Refresh(true);  // inside a synchronous run, without the event loop
  EXPECT_EQ(WidgetText(label), QStringLiteral("12"));
  label->SetText("11");
  RunEventLoop();
  EXPECT_EQ(WidgetText(label), QStringLiteral("11"));
  label->SetText("");
  EXPECT_EQ(label->Text(), "");
  RunEventLoop();
  EXPECT_EQ(WidgetText(label), QString());
}

TEST_F(UiTest, ALabelThatGoesAwayTakesItsPendingUpdateWithIt) {
  {
    Ref<Label> label = New<Label>();
    label->SetText("pending");
  }
  EXPECT_NO_FATAL_FAILURE(RunEventLoop());
}

TEST_F(UiTest, CheckBoxValueFollowsSetValueAndAClick) {
  const Ref<CheckBox> box = window->box;
  EXPECT_FALSE(box->Value());
  box->SetValue(true);
  EXPECT_TRUE(box->Value());
  box->SetValue(false);
  EXPECT_FALSE(box->Value());

  // A real mouse click on the box's indicator, delivered through the event loop.
  QWidget* widget = box->Widget();
  fixtures::PostClick(widget, QPointF(6, widget->height() / 2.0));
  RunEventLoop();
  EXPECT_TRUE(box->Value());
  static_cast<QCheckBox*>(widget)->click();
  EXPECT_FALSE(box->Value());
}

TEST_F(UiTest, EnabledFollowsSetEnabled) {
  for (const Ref<RectControl>& control :
       {Ref<RectControl>(window->label), Ref<RectControl>(window->box), Ref<RectControl>(window->button)}) {
    EXPECT_TRUE(control->Enabled());
    control->SetEnabled(false);
    EXPECT_FALSE(control->Enabled());
    EXPECT_FALSE(control->Widget()->isEnabled());
    control->SetEnabled(true);
    EXPECT_TRUE(control->Enabled());
  }
}

TEST_F(UiTest, ControlsAreFoundByName) {
  EXPECT_EQ(window->_ControlByName("Recursif"), window->box);
  EXPECT_EQ(window->_ControlByName("Label1"), window->label);
  EXPECT_EQ(window->_ControlByName("absent"), nullptr);
  // Through the table, with the control's Index as well.
  const Operation<Ref<Object>(Window&, const String&, std::int32_t)> byNameAndIndex{
      At(WindowSlot::_ControlByNameIndex)};
  window->box->SetIndex(2);
  EXPECT_EQ(byNameAndIndex(*window, "Recursif", 2), window->box);
  EXPECT_EQ(byNameAndIndex(*window, "Recursif", 0), nullptr);
  EXPECT_EQ(byNameAndIndex(*window, "absent", 0), nullptr);
  EXPECT_EQ(window->label->Left(), 10);
  EXPECT_EQ(window->box->Top(), 40);
  EXPECT_EQ(window->button->Width(), 100);
}

TEST_F(UiTest, WindowSizeIsTheLastOneSet) {
  EXPECT_EQ(window->Width(), 320);
  EXPECT_EQ(window->Height(), 200);
  window->SetHeight(130);
  window->SetWidth(400);
  EXPECT_EQ(window->Height(), 130);
  EXPECT_EQ(window->Width(), 400);
  RunEventLoop();
  EXPECT_EQ(window->QtWindow()->centralWidget()->size(), QSize(400, 130));
  window->SetHeight(260);
  EXPECT_EQ(window->Height(), 260);
  RunEventLoop();
  EXPECT_EQ(window->QtWindow()->centralWidget()->height(), 260);
}

TEST_F(UiTest, ContentHeightDoesNotIncludeTheMenuBar) {
  window->QtWindow()->menuBar()->addMenu(QStringLiteral("Fichier"));
  window->SetHeight(150);
  RunEventLoop();
  EXPECT_EQ(window->Height(), 150);
  EXPECT_EQ(window->QtWindow()->centralWidget()->height(), 150);
}

// ---- Live windows -------------------------------------------------------------------------

TEST_F(UiTest, ALiveWindowIsFoundByItsRegisteredNameUntilItCloses) {
  EXPECT_EQ(RuntimeGetImplicitWindow("TestWindow"), window);
  EXPECT_EQ(RuntimeGetImplicitWindow("Other"), nullptr);
  EXPECT_EQ(RuntimeGetImplicitWindow("testwindow"), nullptr);

  const Ref<TestWindow> other = New<TestWindow>("Other");
  EXPECT_EQ(RuntimeGetImplicitWindow("Other"), nullptr);  // not built yet
  other->Constructor();
  EXPECT_EQ(RuntimeGetImplicitWindow("Other"), other);
  EXPECT_EQ(RuntimeGetImplicitWindow("TestWindow"), window);

  other->Close();
  EXPECT_EQ(RuntimeGetImplicitWindow("Other"), nullptr);
  EXPECT_EQ(RuntimeGetImplicitWindow("TestWindow"), window);
  window->Close();
  EXPECT_EQ(RuntimeGetImplicitWindow("TestWindow"), nullptr);
  RunEventLoop();
}

TEST_F(UiTest, AWindowClosedByTheUserIsNoLongerLive) {
  EXPECT_TRUE(window->QtWindow()->isVisible());
  window->QtWindow()->close();  // as the title bar's close button does
  RunEventLoop();
  EXPECT_EQ(RuntimeGetImplicitWindow("TestWindow"), nullptr);
  EXPECT_EQ(window->Height(), 200);  // the object itself lives on while it is held
}

TEST(Window, AWindowHeldOnlyByTheRecordGoesWhenItCloses) {
  struct Counted : TestWindow {
    explicit Counted(bool* gone) : TestWindow("Counted"), gone_(gone) {}
    ~Counted() override { *gone_ = true; }
    bool* gone_;
  };
  bool gone = false;
  {
    const Ref<Counted> w = New<Counted>(&gone);
    w->Constructor();
  }
  EXPECT_FALSE(gone);
  ASSERT_NE(RuntimeGetImplicitWindow("Counted"), nullptr);
  RuntimeGetImplicitWindow("Counted")->QtWindow()->close();
  RunEventLoop();
  EXPECT_TRUE(gone);
  EXPECT_EQ(RuntimeGetImplicitWindow("Counted"), nullptr);
}

// ---- The stop key -------------------------------------------------------------------------

// Counts the Esc presses that get past the stop key to the window or one of its widgets.
class EscapeWatcher : public QObject {
 public:
  int seen = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) ++seen;
    return QObject::eventFilter(watched, event);
  }
};

void PostEscape(const Ref<Window>& window) {
  QCoreApplication::postEvent(window->QtWindow(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

class StopKey : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    SetInteraction(nullptr);  // the real stop key
    window->QtWindow()->installEventFilter(&watcher);
    for (QWidget* child : window->QtWindow()->findChildren<QWidget*>()) child->installEventFilter(&watcher);
    window->QtWindow()->activateWindow();
    RunEventLoop();
    while (TakeEscapePress()) {
    }
  }
  void TearDown() override {
    window->QtWindow()->removeEventFilter(&watcher);
    for (QWidget* child : window->QtWindow()->findChildren<QWidget*>()) child->removeEventFilter(&watcher);
    UiTest::TearDown();
  }

  EscapeWatcher watcher;
  ManualTicks ticks;
};

TEST_F(StopKey, EscIsSeenInsideRuntimeBackgroundTaskOnceAndTakenFromTheWindow) {
  PostEscape(window);
  ticks.LetTheEventLoopRun();
  EXPECT_EQ(watcher.seen, 0) << "the Esc reached the window";
  EXPECT_TRUE(TakeEscapePress());
  EXPECT_FALSE(TakeEscapePress());

  PostEscape(window);
  ticks.LetTheEventLoopRun();
  EXPECT_TRUE(UserCancelled());
  EXPECT_FALSE(UserCancelled());
  EXPECT_EQ(watcher.seen, 0);
}

TEST_F(StopKey, EscOutsideRuntimeBackgroundTaskIsNoStop) {
  PostEscape(window);
  RunEventLoop();
  EXPECT_EQ(watcher.seen, 1);  // an ordinary key for the window
  ticks.LetTheEventLoopRun();
  EXPECT_FALSE(TakeEscapePress());
}

TEST_F(StopKey, OtherKeysAreNoStop) {
  QCoreApplication::postEvent(window->QtWindow(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
  QCoreApplication::postEvent(window->QtWindow(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier));
  ticks.LetTheEventLoopRun();
  EXPECT_FALSE(TakeEscapePress());
}

TEST_F(StopKey, EscAtTheFocusedControlIsTakenToo) {
  // A real key goes to the control that has the focus, not to the window.
  QWidget* button = window->button->Widget();
  button->setFocus();
  QCoreApplication::postEvent(button, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  ticks.LetTheEventLoopRun();
  EXPECT_EQ(watcher.seen, 0);
  EXPECT_TRUE(TakeEscapePress());
}

// Keys that the user typed ahead: the window system hands each to whatever has the keyboard
// when it is processed, a dialog that has just appeared as soon as it is there.
class TypedAhead : public QObject {
 public:
  void Type(Qt::Key key, int times) {
    for (int i = 0; i < times; ++i) QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    key_ = key;
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    QWidget* target = QApplication::activeModalWidget();
    if (!target) target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (target) {
      QKeyEvent press(QEvent::KeyPress, key_, Qt::NoModifier);
      QKeyEvent release(QEvent::KeyRelease, key_, Qt::NoModifier);
      QCoreApplication::sendEvent(target, &press);
      QCoreApplication::sendEvent(target, &release);
    }
    return true;
  }

 private:
  Qt::Key key_ = Qt::Key_Escape;
};

// Answers the message box once it is up, after the events queued so far, and tells whether
// it was still there to be answered.
class MessageBoxAnswerer : public QObject {
 public:
  MessageBoxAnswerer() { QCoreApplication::instance()->installEventFilter(this); }
  ~MessageBoxAnswerer() override { QCoreApplication::instance()->removeEventFilter(this); }
  bool shown = false;
  bool stillShownAfterTheQueuedKeys = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (box && event->type() == QEvent::Show && !shown) {
      shown = true;
      QPointer<QMessageBox> guarded(box);
      QTimer::singleShot(0, this, [this, guarded] {
        stillShownAfterTheQueuedKeys = guarded && guarded->isVisible();
        if (guarded) guarded->accept();
      });
    }
    return false;
  }
};

// Esc pressed again and again at the end of a run, or Return, must not dismiss the message
// that follows before the user has read it.
TEST_F(StopKey, KeysTypedBeforeAMessageBoxAppearsDoNotAnswerIt) {
  for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
    TypedAhead keys;
    keys.Type(key, 3);
    MessageBoxAnswerer answerer;
    MsgBox("Traitement terminé !");
    RunEventLoop();
    EXPECT_TRUE(answerer.shown);
    EXPECT_TRUE(answerer.stillShownAfterTheQueuedKeys) << "dismissed by key " << key;
    EXPECT_EQ(watcher.seen, 0);  // nor did they reach the window, where Return would start a run
    EXPECT_FALSE(TakeEscapePress());
  }
}

// The user goes on pressing Esc a moment after the message appeared: it is still there. A
// key pressed once the moment has passed answers it.
TEST_F(StopKey, KeysJustAfterAMessageBoxAppearsDoNotAnswerItEither) {
  TypedAhead esc, enter;
  bool stillShown = false;
  QTimer giveUp;  // should Return not answer it, the test ends all the same
  giveUp.setSingleShot(true);
  QObject::connect(&giveUp, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) static_cast<QDialog*>(box)->accept();
  });
  class OnShow : public QObject {
   public:
    std::function<void()> act;
    bool done = false;

   protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (!done && qobject_cast<QMessageBox*>(watched) && event->type() == QEvent::Show) {
        done = true;
        QTimer::singleShot(0, act);
      }
      return false;
    }
  } onShow;
  onShow.act = [&] {
    esc.Type(Qt::Key_Escape, 3);
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      stillShown = box && box->isVisible();
      ticks.Advance(kMessageAnswerDelay);
      enter.Type(Qt::Key_Return, 1);
      giveUp.start(5000);
    });
  };
  QCoreApplication::instance()->installEventFilter(&onShow);
  MsgBox("Traitement terminé !");
  QCoreApplication::instance()->removeEventFilter(&onShow);
  EXPECT_TRUE(stillShown);
  EXPECT_TRUE(giveUp.isActive()) << "Return did not answer the message";
  EXPECT_EQ(watcher.seen, 0);
}

// ---- Placement ----------------------------------------------------------------------------

// Built at one height and opened at another, as the main window is.
class ShrinkingWindow : public TestWindow {
 public:
  ShrinkingWindow(String name, int builtHeight, int openHeight)
      : TestWindow(std::move(name)), builtHeight_(builtHeight), openHeight_(openHeight) {}

 protected:
  void OnLayout() override {
    SetWidth(320);
    SetHeight(builtHeight_);
  }
  void OnOpen() override { SetHeight(openHeight_); }

 private:
  int builtHeight_, openHeight_;
};

QRect AreaForWindows(const Ref<Window>& window) { return window->QtWindow()->screen()->availableGeometry(); }

// A window opens centred on its screen at the height it opens at, wholly inside the screen's
// area for windows; one larger than the area keeps its top and left edges inside.
TEST(Placement, AWindowOpensCentredForTheHeightItOpensAt) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  struct Case {
    int built, open;
  };
  for (const Case& c : {Case{area.height() - 20, 120}, Case{60, area.height() + 100}}) {
    const Ref<ShrinkingWindow> window = New<ShrinkingWindow>("Shrinking", c.built, c.open);
    window->Constructor();
    RunEventLoop();
    const QRect frame = window->QtWindow()->frameGeometry();
    SCOPED_TRACE(c.open);
    EXPECT_EQ(window->Height(), c.open);
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 1);
    if (frame.height() <= area.height()) {
      EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 1);
      EXPECT_TRUE(area.contains(frame)) << "outside the area";
    } else {
      EXPECT_EQ(frame.top(), area.top());
    }
    window->Close();
  }
}

TEST_F(UiTest, AShownWindowThatGrowsStaysInsideTheArea) {
  const QRect area = AreaForWindows(window);
  window->QtWindow()->move(area.left() + 40, area.bottom() - 250);
  window->SetHeight(area.height() - 100);
  RunEventLoop();
  const QRect frame = window->QtWindow()->frameGeometry();
  EXPECT_TRUE(area.contains(frame)) << "bottom " << frame.bottom() << " past " << area.bottom();
  EXPECT_EQ(frame.left(), area.left() + 40);  // moved no more than it needs
}

// ---- Dialogs and message boxes ------------------------------------------------------------

// Notes where each dialog opens, and answers the folder dialog from a list.
class DialogStarts : public Interaction {
 public:
  DialogStarts() { SetInteraction(this); }
  ~DialogStarts() override { SetInteraction(nullptr); }
  std::vector<std::optional<String>> folders;
  std::vector<String> folderStarts, saveStarts;

  Ref<FolderItem> SelectFolder() override {
    folderStarts.push_back(FolderDialogStart());
    const std::optional<String> answer = folders.at(folderStarts.size() - 1);
    return answer ? New<FolderItem>(*answer) : nullptr;
  }
  Ref<FolderItem> GetSaveFolderItem(const String&, const String&) override {
    saveStarts.push_back(SaveDialogStart());
    return nullptr;
  }
  void MsgBox(const String&) override {}
  bool UserCancelled() override { return false; }
};

String Home() { return FromQString(QDir::homePath()); }

// The folder dialog opens at home, then in the last folder chosen; the save dialog in the
// folder that holds it. A cancel forgets nothing; a start of the application forgets it all.
TEST(DialogFolders, OpenAtHomeThenWhereTheLastChosenFolderLeadsUntilTheApplicationStartsAgain) {
  RuntimeInit();
  const fixtures::TempDir temp;
  const fixtures::fs::path bases = temp / "bases", root = bases / "racine", other = temp / "autre";
  fixtures::fs::create_directories(root);
  fixtures::fs::create_directories(other);
  DialogStarts dialogs;
  dialogs.folders = {root.string(), std::nullopt, other.string(), std::nullopt, std::nullopt};
  for (int i = 0; i < 3; ++i) {
    SelectFolder();
    GetSaveFolderItem("TEXT", "ExtractDatabase");
  }
  EXPECT_EQ(dialogs.folderStarts, (std::vector<String>{Home(), root.string(), root.string()}));
  EXPECT_EQ(dialogs.saveStarts, (std::vector<String>{bases.string(), bases.string(), temp.str()}));

  fixtures::fs::remove(other);  // gone since: home again
  SelectFolder();
  EXPECT_EQ(dialogs.folderStarts.back(), Home());
  RuntimeInit();
  fixtures::fs::create_directories(other);
  SelectFolder();
  GetSaveFolderItem("TEXT", "ExtractDatabase");
  EXPECT_EQ(dialogs.folderStarts.back(), Home());
  EXPECT_EQ(dialogs.saveStarts.back(), Home());
}

// Reads what a modal dialog shows once it is up, then cancels it.
class DialogReader : public QObject {
 public:
  DialogReader() { timer_.callOnTimeout(this, &DialogReader::Look), timer_.start(0); }
  std::vector<QString> directories;

 private:
  void Look() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    directories.push_back(dialog->directory().absolutePath());
    dialog->reject();
  }
  QTimer timer_;
};

// Qt's own dialogs open where the platform says, and leave nothing in the user's settings:
// what the desktop's settings held before, they hold after.
TEST(DialogFolders, TheRealDialogsOpenThereAndStoreNothing) {
  RuntimeInit();
  SetInteraction(nullptr);
  const QString userSettings =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/QtProject.conf");
  auto contents = [&] {
    QFile file(userSettings);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
  };
  const QByteArray before = contents();
  {
    DialogReader reader;
    EXPECT_EQ(SelectFolder(), nullptr);
    EXPECT_EQ(GetSaveFolderItem("TEXT", "ExtractDatabase"), nullptr);
    EXPECT_EQ(reader.directories, (std::vector<QString>{QDir::homePath(), QDir::homePath()}));
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(contents(), before);
}

// Watches for the message box and notes, once it has taken its place, where it stands and
// over which window; then answers it.
class MessageBoxPlace : public QObject {
 public:
  MessageBoxPlace() { QCoreApplication::instance()->installEventFilter(this); }
  ~MessageBoxPlace() override { QCoreApplication::instance()->removeEventFilter(this); }
  QRect frame;
  QWidget* parent = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (box && event->type() == QEvent::Show) {
      QPointer<QMessageBox> guarded(box);
      QTimer::singleShot(0, this, [this, guarded] {
        if (!guarded) return;
        frame = guarded->frameGeometry();
        parent = guarded->parentWidget();
        guarded->accept();
      });
    }
    return false;
  }
};

// The box stands over the main window even when another window is in front, and is wide
// enough for its title beside a title bar's buttons.
TEST_F(UiTest, AMessageBoxStandsOverTheMainWindowWideEnoughForItsTitle) {
  SetInteraction(nullptr);
  window->SetEndsApplication(true);
  const Ref<TestWindow> help = New<TestWindow>("Help");
  help->Constructor();
  window->QtWindow()->move(60, 40);
  help->QtWindow()->move(380, 300);
  help->QtWindow()->activateWindow();
  RunEventLoop();
  MessageBoxPlace place;
  MsgBox("Traitement terminé !");
  window->SetEndsApplication(false);
  help->Close();

  EXPECT_EQ(place.parent, window->QtWindow());
  const QPoint offset = place.frame.center() - window->QtWindow()->frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 2) << "centred " << offset.x() << "," << offset.y() << " away";
  QFont title = QApplication::font();
  title.setBold(true);
  EXPECT_GE(place.frame.width(), QFontMetrics(title).horizontalAdvance(QStringLiteral("Quorvane")) + 200);
}

// ---- Runtime ------------------------------------------------------------------------------

TEST(Runtime, CheckCast) {
  const Ref<Control> label = New<Label>();
  const Ref<Label> same = RuntimeCheckCast<Label>(label);
  EXPECT_EQ(same.get(), label.get());
  EXPECT_EQ(RuntimeCheckCast<RectControl>(label).get(), label.get());
  EXPECT_EQ(RuntimeCheckCast<Label>(Ref<Control>()), nullptr);
  EXPECT_THROW(RuntimeCheckCast<CheckBox>(label), IllegalCastException);
  try {
    RuntimeCheckCast<CheckBox>(label);
  } catch (const RuntimeException& e) {
    EXPECT_FALSE(e.Message().empty());
  }
}

TEST(Runtime, AMemberCallThroughANilRefRaises) {
  const Ref<Label> label;
  EXPECT_THROW(label->Text(), NilObjectException);
  EXPECT_THROW(label->SetText("x"), NilObjectException);
  EXPECT_THROW(*label, NilObjectException);
  const Ref<Window> window;
  EXPECT_THROW(window->Height(), NilObjectException);
  try {
    label->Text();
  } catch (const RuntimeException& e) {  // one family of errors for the system to catch
    EXPECT_FALSE(e.Message().empty());
  }
}

// Counts its own deletions.
struct Tracked : Object {
  explicit Tracked(int* deletions) : deletions_(deletions) {}
  ~Tracked() override { ++*deletions_; }
  int* deletions_;
};
struct TrackedChild : Tracked {
  using Tracked::Tracked;
};

TEST(Runtime, AnObjectGoesWithItsLastReference) {
  int deletions = 0;
  {
    Ref<TrackedChild> a = New<TrackedChild>(&deletions);
    Ref<Object> base = a;                 // converting copy
    Ref<Tracked> moved = std::move(a);    // converting move
    EXPECT_EQ(a, nullptr);
    Ref<Tracked> copy = moved;
    copy = copy;  // self-assignment keeps it
    moved = nullptr;
    base = nullptr;
    EXPECT_EQ(deletions, 0);
    copy = New<Tracked>(&deletions);  // the first one's last reference goes
    EXPECT_EQ(deletions, 1);
    const Ref<TrackedChild> cast = RuntimeCheckCast<TrackedChild>(Ref<Object>(New<TrackedChild>(&deletions)));
    EXPECT_EQ(deletions, 1);
  }
  EXPECT_EQ(deletions, 3);
}

// A weak reference reads nil once its object is gone, however it went, and may outlive it.
TEST(Runtime, AWeakReferenceReadsNilOnceItsObjectIsGone) {
  int deletions = 0;
  Ref<Tracked> held = New<Tracked>(&deletions);
  const WeakRef<Tracked> weak(held.get());
  WeakRef<Tracked> copy = weak;
  EXPECT_EQ(copy.get(), held.get());
  held = nullptr;
  EXPECT_EQ(deletions, 1);
  EXPECT_EQ(weak.get(), nullptr);
  EXPECT_EQ(copy.get(), nullptr);

  WeakRef<Tracked> unheld;
  {
    Tracked onStack(&deletions);  // no Ref ever holds it
    unheld = WeakRef<Tracked>(&onStack);
    EXPECT_EQ(unheld.get(), &onStack);
  }
  EXPECT_EQ(unheld.get(), nullptr);
  EXPECT_EQ(WeakRef<Tracked>(nullptr).get(), nullptr);
}

// A delegate that holds its target weakly gives nil for a target that has gone; its
// handler's call then raises NilObjectException, which the event reports.
TEST(Runtime, ADelegateWithAGoneTargetRaisesNilObjectException) {
  int deletions = 0;
  Ref<Tracked> target = New<Tracked>(&deletions);
  const Ref<Delegate> weak = RuntimeCreateDelegate(nullptr, nullptr, target.get(), "( )", 1);
  const Ref<Delegate> strong = RuntimeCreateDelegate(nullptr, nullptr, target.get(), "( )", 0);
  EXPECT_EQ(weak->Target(), target.get());
  Tracked* kept = target.get();
  target = nullptr;
  EXPECT_EQ(deletions, 0);  // the strong delegate holds it
  EXPECT_EQ(weak->Target(), kept);
  const_cast<Ref<Delegate>&>(strong) = nullptr;
  EXPECT_EQ(deletions, 1);
  EXPECT_EQ(weak->Target(), nullptr);
  using Routines = HandlerRoutines<Tracked, Label>;
  const Ref<Label> label = New<Label>();
  EXPECT_THROW(Routines::Invoke(*weak, *label), NilObjectException);
}

TEST(Runtime, TheUserInterfaceRaisesOffItsThread) {
  const Ref<Label> label = New<Label>();
  bool raised = false;
  std::thread([&] {
    try {
      label->SetText("x");
    } catch (const ThreadAccessingUIException&) {
      raised = true;
    }
  }).join();
  EXPECT_TRUE(raised);
  EXPECT_EQ(label->Text(), "");
}

// ---- Class records ------------------------------------------------------------------------

void Noop(Object&) {}
void NoopWithText(Object&, const String&) {}

// A root with two operations and a private member, a child that takes one of them over and
// adds one, a grandchild that takes over an inherited one of each generation.
struct Family {
  ClassRecord* root = BuildClassRecord({
      .name = "Root",
      .members = {Member("Open", "%%", &Noop), Member("Open", "%%s", &NoopWithText),
                  PrivateMember("Walk", "%%", &Noop)},
  });
  ClassRecord* child = BuildClassRecord({
      .name = "Child",
      .parent = root,
      .members = {Member("Extra", "%%", &Noop), HiddenMember("Open", "%%s", &NoopWithText)},
  });
  ClassRecord* grandchild = BuildClassRecord({
      .name = "Grandchild",
      .parent = child,
      .members = {Member("Open", "%%", &Noop), Member("Extra", "%%", &Noop), Member("Open", "%%i4", &Noop)},
  });
};

const MemberEntry& Own(const ClassRecord* record, std::size_t i) {
  return record->members.entries[record->parent->members.entries.size() + i];
}

TEST(ClassRecords, AnOwnOperationTakesTheInheritedPlaceOfItsNameAndSignature) {
  static const Family f;  // records live as long as the process
  ASSERT_EQ(f.root->vtableCount, 2u);  // the private member has no place
  EXPECT_EQ(f.root->members.entries[2].flags, 0u);
  EXPECT_STREQ(f.root->members.attributes[2][0].value, "Private");

  ASSERT_EQ(f.child->vtableCount, 3u);
  EXPECT_EQ(f.child->vtable[0], f.root->vtable[0]);
  EXPECT_EQ(f.child->vtable[1], Own(f.child, 1).code);  // Open(s) taken over, not appended
  EXPECT_EQ(f.child->vtable[2], Own(f.child, 0).code);
  ASSERT_EQ(f.child->members.attributes[4].size(), 2u);
  EXPECT_STREQ(f.child->members.attributes[4][1].name, "Hidden");

  // Found again through a class that took a place over: Open() at 0, Extra at 2; Open(i4),
  // of a signature none had, gets a place of its own.
  ASSERT_EQ(f.grandchild->vtableCount, 4u);
  EXPECT_EQ(f.grandchild->vtable[0], Own(f.grandchild, 0).code);
  EXPECT_EQ(f.grandchild->vtable[1], f.child->vtable[1]);
  EXPECT_EQ(f.grandchild->vtable[2], Own(f.grandchild, 1).code);
  EXPECT_EQ(f.grandchild->vtable[3], Own(f.grandchild, 2).code);
  EXPECT_EQ(f.grandchild->members.entries.size(), 8u);
}

TEST(ClassRecords, TwoOwnOperationsOfOneNameAndSignatureAreRefused) {
  EXPECT_THROW(
      BuildClassRecord({.name = "Twice", .members = {Member("Open", "%%", &Noop), Member("Open", "%%", &Noop)}}),
      RuntimeException);
}

// Every member of the platform's classes is public, with its place (the one meaning of the
// member flags), and every text of a record carries its count.
TEST(ClassRecords, PlatformMembersArePublicAndTheirTextsAreRecordTexts) {
  for (const ClassRecord* record :
       {Application::GetClass(), Window::GetClass(), MenuItem::GetClass(), MenuBar::GetClass(),
        QuitMenuItem::GetClass(), Control::GetClass(), RectControl::GetClass(), GroupBox::GetClass(),
        CheckBox::GetClass(), PushButton::GetClass(), Label::GetClass(), ProgressBar::GetClass(), Line::GetClass(),
        Rectangle::GetClass(), TextArea::GetClass()}) {
    SCOPED_TRACE(record->name);
    EXPECT_EQ(RecordTextLength(record->name), std::strlen(record->name));
    for (const MemberEntry& member : record->members.entries) {
      EXPECT_EQ(member.flags, kMemberPublic) << member.name;
      EXPECT_EQ(RecordTextLength(member.signature), std::strlen(member.signature)) << member.name;
    }
    for (const PropertyEntry& property : record->properties.entries) {
      EXPECT_EQ(property.flags, kPropertyPublic | kPropertyReadWrite | kPropertyInLists) << property.name;
      EXPECT_EQ(RecordTextLength(property.type), std::strlen(property.type)) << property.name;
    }
  }
}

// Window's places, its member entries and the typed calls come from one list.
TEST(ClassRecords, EachPlaceOfWindowsTableRunsTheMemberOfItsRow) {
  const ClassRecord* window = Window::GetClass();
  ASSERT_EQ(window->vtableCount, kWindowOperationCount);
  ASSERT_EQ(kWindowOperationCount, 35u);
  for (std::size_t i = 0; i < kWindowOperationCount; ++i)
    EXPECT_EQ(window->vtable[i], window->members.entries[i].code) << window->members.entries[i].name;
  const MemberEntry& rect = window->members.entries[At(WindowSlot::InvalidateRect)];
  EXPECT_STREQ(rect.name, "Invalidate");
  EXPECT_STREQ(rect.signature, "%%i4i4i4i4b");
  EXPECT_STREQ(window->members.entries[WindowOperations::__New.Slot()].name, "__New");
  EXPECT_STREQ(window->members.entries[WindowOperations::_ControlByName.Slot()].name, "_ControlByName");
}

// A shared property is marked so in its attributes; a property list sets only the properties
// whose entries say that lists may set them.
struct Counter : Object {
  std::int32_t value = 0;
};
std::int32_t GetCounter(Object& self) { return dynamic_cast<Counter&>(self).value; }
void SetCounter(Object& self, std::int32_t value) { dynamic_cast<Counter&>(self).value = value; }

TEST(ClassRecords, SharedPropertiesAndPropertiesThatListsSet) {
  static ClassRecord* const record = BuildClassRecord({
      .name = "Counter",
      .properties = {AccessorProperty("Listed", kPropertyPublic | kPropertyReadWrite | kPropertyInLists,
                                      &GetCounter, &SetCounter),
                     AccessorProperty("Shared", kPropertyPublic | kPropertyShared | kPropertyReadWrite,
                                      &GetCounter, &SetCounter)},
      .make = &MakeObject<Counter>,
  });
  ASSERT_EQ(record->properties.attributes[0].size(), 1u);
  ASSERT_EQ(record->properties.attributes[1].size(), 2u);
  EXPECT_STREQ(record->properties.attributes[1][1].name, "__Shared");

  const Ref<Object> counter = RuntimeNewObject(record);
  RuntimeMassPropertySetter(counter, std::string_view("Listed \0\0\0\x07", 11));
  EXPECT_EQ(RuntimeCheckCast<Counter>(counter)->value, 7);
  EXPECT_THROW(RuntimeMassPropertySetter(counter, std::string_view("Shared \0\0\0\x09", 11)), RuntimeException);
  EXPECT_EQ(RuntimeCheckCast<Counter>(counter)->value, 7);
}

// The setter of a property that lists set is called with any object and its kind's value: one
// of another type is refused when its entry is made, not called as the wrong type.
TEST(ClassRecords, APropertyThatListsSetTakesAnyObjectAndItsKindsValue) {
  using Flags = std::uintptr_t;
  constexpr Flags kListed = kPropertyPublic | kPropertyReadWrite | kPropertyInLists;
  const auto getCounter = +[](Counter& self) { return self.value; };
  const auto setCounter = +[](Counter& self, std::int32_t value) { self.value = value; };
  EXPECT_THROW(AccessorProperty("Listed", kListed, getCounter, setCounter), RuntimeException);
  EXPECT_STREQ(AccessorProperty("Unlisted", Flags{kPropertyPublic}, getCounter, setCounter).type, "i4");
  const auto getName = +[](Object&) { return String(); };
  const auto setNameByValue = +[](Object&, String) {};
  EXPECT_THROW(AccessorProperty("Name", kListed, getName, setNameByValue), RuntimeException);
  EXPECT_STREQ(AccessorProperty("Name", Flags{kPropertyPublic}, getName, setNameByValue).type, "s");
}

}  // namespace
