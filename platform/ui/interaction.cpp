#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QSpacerItem>

#include <chrono>

#include "platform/text/french.h"
#include "platform/text/qt_text.h"
#include "platform/text/text.h"
#include "platform/ui/application.h"
#include "platform/ui/ui.h"

namespace platform {

namespace {

detail::BackgroundTask& task = detail::backgroundTask;

// Sees the keys of the whole application. While a run lets the event loop go on inside
// RuntimeBackgroundTask, Esc is the stop key: it is taken here and presses no button.
class StopKeyFilter : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (task.inside && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      if (event->type() == QEvent::KeyPress) task.escapePressed = true;
      event->accept();  // a shortcut override that is accepted triggers no shortcut
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

void InstallStopKeyFilter() {
  static StopKeyFilter* filter = nullptr;
  if (filter) return;
  filter = new StopKeyFilter;
  QCoreApplication::instance()->installEventFilter(filter);
  // An Esc that no row asked for before the event loop went idle again (the run ended, or a
  // message box waits for the user) is dropped: it must not stop the next run at its start.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, filter,
                   [] { task.escapePressed = false; });
}

// The window over which dialogs and message boxes stand, whichever window is in front: the
// main window, else the first window shown, else the active one.
QWidget* DialogParent() {
  const std::vector<Ref<Window>> live = RuntimeLiveWindows();
  for (const Ref<Window>& window : live)
    if (window->EndsApplication() && window->QtWindow()->isVisible()) return window->QtWindow();
  for (const Ref<Window>& window : live)
    if (window->QtWindow()->isVisible()) return window->QtWindow();
  return QApplication::activeWindow();
}

// The folder last chosen in the folder dialog since the application started; empty for none.
String& ChosenFolder() {
  static String folder;
  return folder;
}

// The folder if it is there, else the user's home folder.
String ExistingOrHome(const QString& folder) {
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) return FromQString(folder);
  return FromQString(QDir::homePath());
}

// Keeps the keys meant for what came before a message from answering it: those still waiting
// to be handled when it is about to appear, those of the moment after (Esc pressed again and
// again to stop a run goes on a little), and a held key's repeats. None of them reaches the
// window either, where Return would start a run. A key pressed once the moment has passed
// answers it.
class KeysBeforeTheMessage : public QObject {
 public:
  KeysBeforeTheMessage() {
    QCoreApplication::instance()->installEventFilter(this);
    QCoreApplication::processEvents();  // the keys already typed, taken here
    task.escapePressed = false;
    draining_ = false;
    shown_ = MonotonicNow();
  }
  ~KeysBeforeTheMessage() override { QCoreApplication::instance()->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) return false;
    return draining_ || static_cast<QKeyEvent*>(event)->isAutoRepeat() || MonotonicNow() - shown_ < kMessageAnswerDelay;
  }

 private:
  bool draining_ = true;
  std::chrono::steady_clock::time_point shown_;
};

// Qt's own dialogs, not the desktop's: they speak French whatever the desktop's language,
// and keep nothing in the desktop's settings.
const QFileDialog::Options kDialogOptions = QFileDialog::DontUseNativeDialog;

// The room that a title bar takes beside its title, for its icon and its buttons on either
// side of a centred title.
constexpr int kTitleBarRoom = 240;

class QtInteraction : public Interaction {
 public:
  Ref<FolderItem> SelectFolder() override {
    RequireUIThread();
    const QString path =
        QFileDialog::getExistingDirectory(DialogParent(), ToQString(french::kChooseFolder),
                                          ToQString(FolderDialogStart()), QFileDialog::ShowDirsOnly | kDialogOptions);
    if (path.isEmpty()) return nullptr;
    return New<FolderItem>(FromQString(path));
  }

  Ref<FolderItem> GetSaveFolderItem(const String& fileType, const String& proposedName) override {
    RequireUIThread();
    QFileDialog dialog(DialogParent(), ToQString(french::kSaveTextFile), ToQString(SaveDialogStart()));
    dialog.setOptions(kDialogOptions);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (fileType == "TEXT") {
      dialog.setNameFilters({ToQString(french::kTextFiles), ToQString(french::kAllFiles)});
      dialog.setDefaultSuffix(QStringLiteral("txt"));
    }
    dialog.selectFile(ToQString(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return nullptr;
    return New<FolderItem>(FromQString(dialog.selectedFiles().first()));
  }

  void MsgBox(const String& text) override {
    RequireUIThread();
    const KeysBeforeTheMessage earlier;
    QMessageBox box(QMessageBox::NoIcon, ToQString(french::kMessageTitle), ToQString(text), QMessageBox::Ok,
                    DialogParent());
    // The box sizes itself to its text; the window system would then cut its title short. A
    // title bar's font is the desktop's, mostly bold.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
      grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0,
                    1, grid->columnCount());
    box.exec();
  }

  bool UserCancelled() override { return TakeEscapePress(); }
};

Interaction*& Current() {
  static QtInteraction real;
  static Interaction* current = &real;
  return current;
}

}  // namespace

void SetInteraction(Interaction* interaction) {
  static Interaction* real = Current();
  Current() = interaction ? interaction : real;
}

String FolderDialogStart() { return ExistingOrHome(ToQString(ChosenFolder())); }

String SaveDialogStart() {
  const String& root = ChosenFolder();
  return ExistingOrHome(root.empty() ? QString() : QFileInfo(ToQString(root)).absolutePath());
}

void RuntimeForgetChosenFolder() { ChosenFolder().clear(); }

Ref<FolderItem> SelectFolder() {
  Ref<FolderItem> chosen = Current()->SelectFolder();
  if (chosen) ChosenFolder() = chosen->NativePath();
  return chosen;
}
Ref<FolderItem> GetSaveFolderItem(const String& fileType, const String& proposedName) {
  return Current()->GetSaveFolderItem(fileType, proposedName);
}
// Once the application is ending, nobody is there to answer a message box.
void MsgBox(const String& text) {
  if (!RuntimeQuitting()) Current()->MsgBox(text);
}
bool UserCancelled() { return Current()->UserCancelled(); }

bool TakeEscapePress() { return std::exchange(task.escapePressed, false); }

bool RuntimeInsideBackgroundTask() { return task.inside; }

void RuntimeRequestStop() { task.escapePressed = true; }

namespace detail {

BackgroundTask backgroundTask;

// The platform's own long tasks (a copy) yield as the system's code does, from the start of
// the program wherever the user interface is part of it.
[[maybe_unused]] const bool yieldInstalled = (RuntimeSetYield(&RuntimeBackgroundTask), true);

void BackgroundTaskTick() {
  const auto now = MonotonicNow();
  if (now - task.lastEventLoop < kEventLoopInterval) return;
  task.lastEventLoop = now;
  if (!QCoreApplication::instance() || task.inside) return;
  InstallStopKeyFilter();
  task.inside = true;
  struct Leave {
    ~Leave() { task.inside = false; }
  } leave;
  QCoreApplication::processEvents();
}

}  // namespace detail

}  // namespace platform
