#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

#include "platform/ui.h"
#include "tests/support/event_loop.h"

using namespace platform;
using fixtures::RunEventLoop;

namespace {

template <class T>
Ref<T> Make(const std::optional<String>& name = std::nullopt, const String& text = "") {
  Ref<T> entry = RuntimeCheckCast<T>(RuntimeNewObject(T::GetClass()));
  MenuItemOperations::Constructor(*entry);
  if (name) entry->SetName(*name);
  entry->SetText(text);
  return entry;
}

// ---- Class records ------------------------------------------------------------------------

TEST(MenuClasses, TheTwoConstructorsHaveTheirOwnPlacesInTheFixedOrder) {
  const ClassRecord* item = MenuItem::GetClass();
  ASSERT_EQ(item->vtableCount, kMenuItemOperationCount);
  const struct {
    MenuItemSlot slot;
    const char* name;
    const char* signature;
  } expected[] = {
      {MenuItemSlot::Constructor, "Constructor", "%%"},
      {MenuItemSlot::ConstructorWithText, "Constructor", "%%s"},
      {MenuItemSlot::Append, "Append", "%%o<MenuItem>"},
      {MenuItemSlot::Child, "Child", "%o<MenuItem>%s"},
      {MenuItemSlot::_Lookup, "_Lookup", "%o<Object>%s"},
  };
  for (const auto& e : expected) {
    const MemberEntry& member = item->members.entries.at(At(e.slot));
    EXPECT_STREQ(member.name, e.name);
    EXPECT_STREQ(member.signature, e.signature);
    EXPECT_EQ(item->vtable[At(e.slot)], member.code) << e.name;
  }

  Ref<MenuItem> plain = Make<MenuItem>("Plain", "avant");
  MenuItemOperations::Constructor(*plain);
  EXPECT_EQ(plain->Text(), "avant");
  MenuItemOperations::ConstructorWithText(*plain, "Quitter");
  EXPECT_EQ(plain->Text(), "Quitter");
}

TEST(MenuClasses, MenuBarAndQuitMenuItemKeepMenuItemsTableAndOnlyTheQuitItemHasItsOwnAction) {
  const ClassRecord* item = MenuItem::GetClass();
  for (const ClassRecord* derived : {MenuBar::GetClass(), QuitMenuItem::GetClass()}) {
    EXPECT_EQ(derived->parent, item);
    ASSERT_EQ(derived->vtableCount, item->vtableCount);
    for (std::size_t i = 0; i < item->vtableCount; ++i) EXPECT_EQ(derived->vtable[i], item->vtable[i]);
    EXPECT_EQ(derived->members.entries.size(), item->members.entries.size());
  }
  EXPECT_EQ(RuntimeEventImplementation(item, "Action"), nullptr);
  EXPECT_EQ(RuntimeEventImplementation(MenuBar::GetClass(), "Action"), nullptr);
  EXPECT_NE(RuntimeEventImplementation(QuitMenuItem::GetClass(), "Action"), nullptr);
}

// ---- Entries and the tree of menus --------------------------------------------------------

TEST(MenuItems, KeyboardShortcutTellsNeverSetFromEmptyFromAKey) {
  Ref<MenuItem> entry = Make<MenuItem>();
  EXPECT_EQ(entry->KeyboardShortcut(), std::nullopt);
  entry->SetKeyboardShortcut("");
  EXPECT_EQ(entry->KeyboardShortcut(), std::optional<String>(""));
  entry->SetKeyboardShortcut("Cmd+Q");
  EXPECT_EQ(entry->KeyboardShortcut(), std::optional<String>("Cmd+Q"));
}

// bar: File (Open, Recent (Dup, Deep)), Edit (Dup, Sep)
class MenuTree : public testing::Test {
 protected:
  void SetUp() override {
    Append(bar, file);
    Append(file, open);
    Append(file, recent);
    Append(recent, deepDup);
    Append(recent, deep);
    Append(bar, edit);
    Append(edit, shallowDup);
    Append(edit, separator);
  }
  static void Append(const Ref<MenuItem>& menu, const Ref<MenuItem>& item) {
    MenuItemOperations::Append(*menu, item);
  }
  Ref<Object> Lookup(const String& name) { return MenuItemOperations::_Lookup(*bar, name); }

  Ref<MenuBar> bar = Make<MenuBar>("Bar");
  Ref<MenuItem> file = Make<MenuItem>("File"), open = Make<MenuItem>("Open"), recent = Make<MenuItem>("Recent");
  Ref<MenuItem> deepDup = Make<MenuItem>("Dup"), deep = Make<MenuItem>("Deep");
  Ref<MenuItem> edit = Make<MenuItem>("Edit"), shallowDup = Make<MenuItem>("Dup"), separator = Make<MenuItem>("Sep", "-");
};

TEST_F(MenuTree, AppendKeepsTheOrderAndChildLooksOnlyAtDirectChildren) {
  EXPECT_EQ(bar->Children(), (std::vector<Ref<MenuItem>>{file, edit}));
  EXPECT_EQ(file->Children(), (std::vector<Ref<MenuItem>>{open, recent}));
  EXPECT_EQ(MenuItemOperations::Child(*bar, "Edit"), edit);
  EXPECT_EQ(MenuItemOperations::Child(*bar, "Open"), nullptr);
  EXPECT_EQ(MenuItemOperations::Child(*bar, "edit"), nullptr);
  EXPECT_EQ(MenuItemOperations::Child(*recent, "Deep"), deep);
}

TEST_F(MenuTree, LookupFindsEveryEntryBelowDepthFirst) {
  for (const Ref<MenuItem>& entry : {file, open, recent, deep, edit, separator})
    EXPECT_EQ(Lookup(entry->Name()), entry) << entry->Name();
  EXPECT_EQ(Lookup("Dup"), deepDup);  // File's subtree comes before Edit, however deep
  EXPECT_EQ(Lookup("Bar"), nullptr);  // only below
  EXPECT_EQ(Lookup("Missing"), nullptr);
}

TEST_F(MenuTree, AppendMovesAnEntryAndRefusesNilAndLoops) {
  Append(edit, open);
  EXPECT_EQ(file->Children(), (std::vector<Ref<MenuItem>>{recent}));
  EXPECT_EQ(edit->Children().back(), open);

  EXPECT_THROW(Append(edit, nullptr), NilObjectException);
  EXPECT_THROW(Append(deep, file), RuntimeException);
  EXPECT_THROW(Append(file, file), RuntimeException);
  EXPECT_EQ(file->Children(), (std::vector<Ref<MenuItem>>{recent}));
}

// ---- The Qt menu bar ----------------------------------------------------------------------

class QtMenuBar : public testing::Test {
 protected:
  void SetUp() override {
    auto* content = new QWidget(&window);
    auto* layout = new QVBoxLayout(content);
    edit = new QLineEdit("un deux", content);
    button = new QPushButton("bouton", content);
    layout->addWidget(edit);
    layout->addWidget(button);
    window.setCentralWidget(content);
    window.show();
    window.activateWindow();
    RunEventLoop();
  }

  Ref<MenuItem> Entry(const String& name, const String& text, const std::optional<String>& shortcut) {
    Ref<MenuItem> entry = Make<MenuItem>(name, text);
    entry->SetAutoEnable(true);
    if (shortcut) entry->SetKeyboardShortcut(*shortcut);
    return entry;
  }
  QAction* Action(const char* name) { return window.menuWidget()->findChild<QAction*>(name); }

  QMainWindow window;
  QLineEdit* edit = nullptr;
  QPushButton* button = nullptr;
};

TEST_F(QtMenuBar, ShowsMenusItemsSeparatorsAndKeys) {
  Ref<MenuBar> bar = Make<MenuBar>();
  Ref<MenuItem> file = Entry("FileMenu", "&Fichier", ""), tools = Entry("Tools", "Outils", "");
  MenuItemOperations::Append(*bar, file);
  MenuItemOperations::Append(*bar, tools);
  const struct {
    const char* name;
    const char* text;
    std::optional<String> shortcut;
    const char* keys;
  } items[] = {
      {"Quit", "Quitter", "Cmd+Q", "Ctrl+Q"}, {"Undo", "Annuler", "Cmd+Z", "Ctrl+Z"},
      {"Sep", "-", std::nullopt, ""},         {"Clear", "Effacer", "", ""},
      {"Bare", "Sans", std::nullopt, ""},     {"Save", "Enregistrer", "Cmd+Shift+S", "Ctrl+Shift+S"},
  };
  for (const auto& item : items) MenuItemOperations::Append(*file, Entry(item.name, item.text, item.shortcut));
  Ref<MenuItem> hidden = Entry("Hidden", "Caché", ""), off = Make<MenuItem>("Off", "Éteint");
  hidden->SetVisible(false);
  MenuItemOperations::Append(*tools, hidden);
  MenuItemOperations::Append(*tools, off);

  InstallMenuBar(&window, bar);
  auto* qtBar = qobject_cast<QMenuBar*>(window.menuWidget());
  ASSERT_NE(qtBar, nullptr);
  const QList<QAction*> menus = qtBar->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), "&Fichier");
  EXPECT_EQ(menus[1]->text(), "Outils");

  const QList<QAction*> shown = menus[0]->menu()->actions();
  ASSERT_EQ(shown.size(), std::ssize(items));
  for (qsizetype i = 0; i < shown.size(); ++i) {
    SCOPED_TRACE(items[i].name);
    EXPECT_EQ(shown[i]->isSeparator(), String(items[i].text) == "-");
    if (!shown[i]->isSeparator()) {
      EXPECT_EQ(shown[i]->text(), QString::fromUtf8(items[i].text));
    }
    EXPECT_EQ(shown[i]->shortcut(), QKeySequence(QString::fromUtf8(items[i].keys)));
  }
  EXPECT_FALSE(Action("Hidden")->isVisible());
  EXPECT_FALSE(Action("Off")->isEnabled());  // a new entry is not enabled by the platform
  EXPECT_TRUE(Action("Quit")->isEnabled());

  InstallMenuBar(&window, nullptr);
  EXPECT_EQ(window.menuWidget(), nullptr);
}

// With AutoEnable, an editing command is enabled exactly while the focused widget can carry it
// out, and then it acts on it: never on a button, nothing that changes read-only text.
TEST_F(QtMenuBar, EditItemsAreEnabledWhileTheFocusedWidgetCanTakeThemAndActThen) {
  Ref<MenuBar> bar = Make<MenuBar>();
  Ref<MenuItem> menu = Entry("EditMenu", "Edition", "");
  MenuItemOperations::Append(*bar, menu);
  const char* names[] = {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"};
  for (const char* name : names) MenuItemOperations::Append(*menu, Entry(name, name, ""));
  QApplication::clipboard()->setText(QStringLiteral("collé"));
  InstallMenuBar(&window, bar);
  auto enabled = [&] {
    std::string shown;
    for (const char* name : names) shown += Action(name)->isEnabled() ? '1' : '0';
    return shown;  // Undo, Cut, Copy, Paste, Clear, SelectAll
  };

  button->setFocus();
  RunEventLoop();
  EXPECT_EQ(enabled(), "000000") << "on a button";
  Action("EditPaste")->trigger();
  EXPECT_EQ(edit->text(), "un deux");

  edit->setFocus();
  RunEventLoop();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  EXPECT_EQ(enabled(), "000101") << "text without a selection";
  Action("EditSelectAll")->trigger();
  EXPECT_EQ(edit->selectedText(), "un deux");
  EXPECT_EQ(enabled(), "011111") << "a selection";
  Action("EditClear")->trigger();
  EXPECT_EQ(edit->text(), "");
  EXPECT_EQ(enabled(), "100100") << "emptied";
  Action("EditUndo")->trigger();
  EXPECT_EQ(edit->text(), "un deux");

  edit->setReadOnly(true);
  edit->selectAll();
  EXPECT_EQ(enabled(), "001001") << "read-only text with a selection";
  Action("EditCopy")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "un deux");
  Action("EditCut")->trigger();
  Action("EditPaste")->trigger();
  EXPECT_EQ(edit->text(), "un deux");
}

}  // namespace
