#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

#include <algorithm>
#include <string_view>
#include <type_traits>

#include "platform/text/qt_text.h"
#include "platform/ui/ui.h"

namespace platform {

// ---- The routines of MenuItem's table of virtual operations ------------------------------

struct MenuItemRoutines {
  static void Constructor(MenuItem&) { RequireUIThread(); }

  static void ConstructorWithText(MenuItem& self, const String& text) {
    RequireUIThread();
    self.SetText(text);
  }

  static void Append(MenuItem& self, const Ref<MenuItem>& item) {
    RequireUIThread();
    MenuItem& entry = *item;  // nil raises NilObjectException
    // A menu inside itself would make every walk below it endless.
    for (const MenuItem* menu = &self; menu; menu = menu->parent_)
      if (menu == &entry) throw RuntimeException("a menu entry cannot be appended below itself");
    Ref<MenuItem> keep = item;  // the entry outlives its removal from its former menu
    if (MenuItem* former = entry.parent_) {
      auto& siblings = former->children_;
      siblings.erase(std::find(siblings.begin(), siblings.end(), keep));
    }
    entry.parent_ = &self;
    self.children_.push_back(std::move(keep));
  }

  static Ref<MenuItem> Child(MenuItem& self, const String& name) {
    RequireUIThread();
    for (const Ref<MenuItem>& child : self.children_)
      if (child->name_ == name) return child;
    return nullptr;
  }

  static Ref<Object> Lookup(MenuItem& self, const String& name) {
    RequireUIThread();
    MenuItem* found = Below(self, name);
    return found ? Ref<Object>(found) : nullptr;
  }

  // Depth first: a child, then everything below it, before the next child.
  static MenuItem* Below(const MenuItem& menu, std::string_view name) {
    for (const Ref<MenuItem>& child : menu.children_) {
      if (child->name_ == name) return child.get();
      if (MenuItem* found = Below(*child, name)) return found;
    }
    return nullptr;
  }
};

// Each typed call runs, through its place, a routine of its own type.
#define MENU_ITEM_TYPED(slot, name, signature, routine)                                                         \
  static_assert(MenuItemOperations::slot.Slot() == At(MenuItemSlot::slot));                                    \
  static_assert(std::is_same_v<std::remove_cv_t<decltype(MenuItemOperations::slot)>::Routine, decltype(&routine)>);
MENU_ITEM_OPERATIONS(MENU_ITEM_TYPED)
#undef MENU_ITEM_TYPED

namespace {

void QuitAction(MenuItem&) { Quit(0); }

using ActionImplementation = void (*)(MenuItem&);

// What the focused widget offers the editing commands at this moment.
struct TextState {
  bool text = false;  // it is a text widget at all
  bool writable = false, selection = false, empty = true, undo = false, hidden = false;
  bool pasteable = false;  // the clipboard holds text
};

TextState StateOf(QWidget* focus) {
  TextState state;
  if (auto* line = qobject_cast<QLineEdit*>(focus)) {
    state = {true, !line->isReadOnly(), line->hasSelectedText(), line->text().isEmpty(), line->isUndoAvailable(),
             line->echoMode() != QLineEdit::Normal};
  } else if (auto* text = qobject_cast<QTextEdit*>(focus)) {
    state = {true, !text->isReadOnly(), text->textCursor().hasSelection(), text->document()->isEmpty(),
             text->document()->isUndoAvailable()};
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
    state = {true, !plain->isReadOnly(), plain->textCursor().hasSelection(), plain->document()->isEmpty(),
             plain->document()->isUndoAvailable()};
  }
  const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
  state.pasteable = clipboard && clipboard->hasText();
  return state;
}

// The standard editing commands, by entry name: the focused widget's slot that runs each,
// and when it can act. None acts on anything but text, and none that changes text acts on
// text that is read-only.
struct EditCommand {
  std::string_view entry;
  const char* slot;
  bool (*canAct)(const TextState&);
};
constexpr EditCommand kEditCommands[] = {
    {"EditUndo", "undo", [](const TextState& t) { return t.writable && t.undo; }},
    {"EditCut", "cut", [](const TextState& t) { return t.writable && t.selection && !t.hidden; }},
    {"EditCopy", "copy", [](const TextState& t) { return t.selection && !t.hidden; }},
    {"EditPaste", "paste", [](const TextState& t) { return t.writable && t.pasteable; }},
    {"EditClear", nullptr, [](const TextState& t) { return t.writable && t.selection; }},
    {"EditSelectAll", "selectAll", [](const TextState& t) { return !t.empty; }},
};

const EditCommand* EditCommandOf(std::string_view entryName) {
  for (const EditCommand& command : kEditCommands)
    if (command.entry == entryName) return &command;
  return nullptr;
}

// Whether the command of that entry can act on the focused widget now.
bool CanAct(std::string_view entryName, QWidget* focus) {
  const EditCommand* command = EditCommandOf(entryName);
  const TextState state = StateOf(focus);
  return command && state.text && command->canAct(state);
}

// Clear removes the selection only: the widgets' clear slot would empty them entirely.
void ClearSelection(QWidget* focus) {
  if (auto* line = qobject_cast<QLineEdit*>(focus)) {
    if (!line->isReadOnly() && line->hasSelectedText()) line->del();
  } else if (auto* text = qobject_cast<QTextEdit*>(focus)) {
    if (!text->isReadOnly()) text->textCursor().removeSelectedText();
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
    if (!plain->isReadOnly()) plain->textCursor().removeSelectedText();
  }
}

// Keeps the editing commands of one menu bar enabled exactly while the focused widget can
// carry them out: it follows the focus, and the focused text's selection, contents and undo.
class EditCommandStates : public QObject {
 public:
  explicit EditCommandStates(QMenuBar* bar) : QObject(bar) {
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &EditCommandStates::Refresh);
    Follow(QApplication::focusWidget());
  }

  void Add(QAction* action, QMenu* menu) {
    actions_.push_back(action);
    connect(menu, &QMenu::aboutToShow, this, &EditCommandStates::Refresh, Qt::UniqueConnection);
    action->setEnabled(CanAct(action->objectName().toStdString(), QApplication::focusWidget()));
  }

  void Refresh() {
    QWidget* focus = QApplication::focusWidget();
    // The menu bar takes the focus while the keyboard walks it: the commands are for what
    // had it before.
    if (qobject_cast<QMenuBar*>(focus) || qobject_cast<QMenu*>(focus)) return;
    for (const QPointer<QAction>& action : actions_)
      if (action) action->setEnabled(CanAct(action->objectName().toStdString(), focus));
  }

 private:
  void Follow(QWidget* focus) {
    if (qobject_cast<QMenuBar*>(focus) || qobject_cast<QMenu*>(focus)) return;
    for (const QMetaObject::Connection& connection : watched_) disconnect(connection);
    watched_.clear();
    auto watch = [this](auto* widget, auto... signal) {
      (watched_.push_back(connect(widget, signal, this, &EditCommandStates::Refresh)), ...);
    };
    if (auto* line = qobject_cast<QLineEdit*>(focus))
      watch(line, &QLineEdit::selectionChanged, &QLineEdit::textChanged);
    else if (auto* text = qobject_cast<QTextEdit*>(focus))
      watch(text, &QTextEdit::selectionChanged, &QTextEdit::textChanged, &QTextEdit::undoAvailable);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
      watch(plain, &QPlainTextEdit::selectionChanged, &QPlainTextEdit::textChanged, &QPlainTextEdit::undoAvailable);
    Refresh();
  }

  std::vector<QPointer<QAction>> actions_;
  std::vector<QMetaObject::Connection> watched_;
};

void RunEditCommand(std::string_view entryName) {
  QWidget* focus = QApplication::focusWidget();
  if (!CanAct(entryName, focus)) return;
  const EditCommand* command = EditCommandOf(entryName);
  if (!command->slot) return ClearSelection(focus);
  if (focus->metaObject()->indexOfSlot((QByteArray(command->slot) + "()").constData()) >= 0)
    QMetaObject::invokeMethod(focus, command->slot);
}

}  // namespace

// ---- Class records ------------------------------------------------------------------------

ClassRecord* MenuItem::GetClass() {
  static ClassRecord* record = BuildClassRecord({
      .name = "MenuItem",
      .members = {
#define MENU_ITEM_MEMBER(slot, name, signature, routine) Member(name, signature, &routine),
          MENU_ITEM_OPERATIONS(MENU_ITEM_MEMBER)
#undef MENU_ITEM_MEMBER
      },
      .events = {"Action"},
      .make = &MakeObject<MenuItem>,
      .instanceSize = sizeof(MenuItem),
  });
  return record;
}

ClassRecord* MenuBar::GetClass() {
  static ClassRecord* record = BuildClassRecord({
      .name = "MenuBar",
      .parent = MenuItem::GetClass(),
      .make = &MakeObject<MenuBar>,
  });
  return record;
}

ClassRecord* QuitMenuItem::GetClass() {
  static ClassRecord* record = BuildClassRecord({
      .name = "QuitMenuItem",
      .parent = MenuItem::GetClass(),
      .implementations = {{"Action", CodeOf(&QuitAction)}},
      .make = &MakeObject<QuitMenuItem>,
  });
  return record;
}

// ---- Entries ------------------------------------------------------------------------------

MenuItem::~MenuItem() {
  for (const Ref<MenuItem>& child : children_) child->parent_ = nullptr;
}

void MenuItem::SetName(const String& name) {
  RequireUIThread();
  name_ = name;
}

void MenuItem::SetAutoEnable(bool value) {
  RequireUIThread();
  autoEnable_ = value;
}

void MenuItem::SetText(const String& text) {
  RequireUIThread();
  text_ = text;
}

void MenuItem::SetVisible(bool value) {
  RequireUIThread();
  visible_ = value;
}

void MenuItem::SetKeyboardShortcut(const String& shortcut) {
  RequireUIThread();
  shortcut_ = shortcut;
}

void MenuItem::Choose() {
  RequireUIThread();
  Ref<MenuItem> keep(this);  // a handler may drop the last other reference
  if (const ClassRecord* record = Record()) {
    if (RuntimeRaiseEvent(*this, RuntimeEventNumber(record, "Action"))) return;
    if (Code own = RuntimeEventImplementation(record, "Action"))
      return reinterpret_cast<ActionImplementation>(own)(*this);
  }
  RunEditCommand(name_);
}


// ---- The Qt menu bar ----------------------------------------------------------------------

namespace {

// "Cmd" is the command key of the key texts; here it is Ctrl.
QKeySequence KeysOf(const std::optional<String>& shortcut) {
  if (!shortcut || shortcut->empty()) return {};
  QString keys = ToQString(*shortcut);
  keys.replace(QStringLiteral("Cmd+"), QStringLiteral("Ctrl+"), Qt::CaseInsensitive);
  return QKeySequence::fromString(keys, QKeySequence::PortableText);
}

void Describe(QAction* action, const MenuItem& entry) {
  action->setObjectName(ToQString(entry.Name()));
  action->setEnabled(entry.AutoEnable());
  action->setVisible(entry.Visible());
}

void AddEntries(QMenu* menu, const MenuItem& parent, EditCommandStates& editStates) {
  for (const Ref<MenuItem>& entry : parent.Children()) {
    if (entry->Text() == "-") {
      Describe(menu->addSeparator(), *entry);
    } else if (!entry->Children().empty()) {
      QMenu* submenu = menu->addMenu(ToQString(entry->Text()));
      Describe(submenu->menuAction(), *entry);
      AddEntries(submenu, *entry, editStates);
    } else {
      QAction* action = menu->addAction(ToQString(entry->Text()));
      Describe(action, *entry);
      action->setShortcut(KeysOf(entry->KeyboardShortcut()));
      // With AutoEnable, an editing command is enabled while it can act on the focused widget.
      if (entry->AutoEnable() && EditCommandOf(entry->Name())) editStates.Add(action, menu);
      // The action holds its entry, so that the entry lives as long as it can be chosen.
      QObject::connect(action, &QAction::triggered, action,
                       [entry] { RuntimeRunApplicationCode([&] { entry->Choose(); }); });
    }
  }
}

}  // namespace

void InstallMenuBar(QMainWindow* window, const Ref<MenuBar>& bar) {
  RequireUIThread();
  if (!bar) {
    window->setMenuBar(nullptr);
    return;
  }
  auto* menuBar = new QMenuBar(window);
  auto* editStates = new EditCommandStates(menuBar);
  for (const Ref<MenuItem>& menu : bar->Children()) {
    QMenu* shown = menuBar->addMenu(ToQString(menu->Text()));
    shown->setObjectName(ToQString(menu->Name()));
    Describe(shown->menuAction(), *menu);
    AddEntries(shown, *menu, *editStates);
  }
  window->setMenuBar(menuBar);  // the window deletes the bar it showed before
}

}  // namespace platform
