#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <string_view>
#include <type_traits>

#include "platform/ui/qt_text.h"
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

// The standard editing commands, by entry name, and the focused widget's slot that runs each.
struct EditCommand {
  std::string_view entry;
  const char* slot;
};
constexpr EditCommand kEditCommands[] = {
    {"EditUndo", "undo"},   {"EditCut", "cut"},     {"EditCopy", "copy"},
    {"EditPaste", "paste"}, {"EditClear", nullptr}, {"EditSelectAll", "selectAll"},
};

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

void RunEditCommand(std::string_view entryName) {
  for (const EditCommand& command : kEditCommands) {
    if (command.entry != entryName) continue;
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return;
    if (!command.slot) return ClearSelection(focus);
    if (focus->metaObject()->indexOfSlot((QByteArray(command.slot) + "()").constData()) >= 0)
      QMetaObject::invokeMethod(focus, command.slot);
    return;
  }
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

void AddEntries(QMenu* menu, const MenuItem& parent) {
  for (const Ref<MenuItem>& entry : parent.Children()) {
    if (entry->Text() == "-") {
      Describe(menu->addSeparator(), *entry);
    } else if (!entry->Children().empty()) {
      QMenu* submenu = menu->addMenu(ToQString(entry->Text()));
      Describe(submenu->menuAction(), *entry);
      AddEntries(submenu, *entry);
    } else {
      QAction* action = menu->addAction(ToQString(entry->Text()));
      Describe(action, *entry);
      action->setShortcut(KeysOf(entry->KeyboardShortcut()));
      // The action holds its entry, so that the entry lives as long as it can be chosen.
      QObject::connect(action, &QAction::triggered, action, [entry] {
        try {
          entry->Choose();
        } catch (const std::exception& error) {
          RuntimeReportUnhandled(error.what());  // no exception may cross Qt's event loop
        }
      });
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
  for (const Ref<MenuItem>& menu : bar->Children()) {
    QMenu* shown = menuBar->addMenu(ToQString(menu->Text()));
    shown->setObjectName(ToQString(menu->Name()));
    Describe(shown->menuAction(), *menu);
    AddEntries(shown, *menu);
  }
  window->setMenuBar(menuBar);  // the window deletes the bar it showed before
}

}  // namespace platform
