#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <cstring>
#include <optional>
#include <thread>

#include "shell/menu_bar.h"
#include "tests/support/class_records.h"

using namespace platform;

namespace {

// ---- Registration -------------------------------------------------------------------------

TEST(MenuBar1Class, IsRegisteredAsMenuBarsSubclassWithItsOwnAttributeAndMembers) {
  const ClassRecord* record = MenuBar1::GetClass();
  const ClassRecord* parent = MenuBar::GetClass();
  ASSERT_NO_FATAL_FAILURE(fixtures::ExpectPublicSubclassRecord(record, "MenuBar1.MenuBar1", parent));

  // The counts come from MenuBar's record; its own members follow MenuBar's.
  const std::size_t inherited = parent->members.entries.size();
  ASSERT_EQ(record->members.entries.size(), inherited + 3);
  EXPECT_EQ(record->events.size(), parent->events.size());
  EXPECT_EQ(record->properties.entries.size(), parent->properties.entries.size());
  EXPECT_EQ(record->interfaceCount, 0u);
  for (std::size_t i = 0; i < inherited; ++i) EXPECT_STREQ(record->members.entries[i].name, parent->members.entries[i].name);
  const char* names[] = {"Untitled0", "Untitled1", "Constructor"};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[i]);
    const MemberEntry& member = record->members.entries[inherited + i];
    EXPECT_STREQ(member.name, names[i]);
    EXPECT_EQ(RecordTextLength(member.name), std::strlen(names[i]));
    EXPECT_EQ(member.flags, 1u);
    EXPECT_STREQ(member.signature, "%%");
    EXPECT_NE(member.code, nullptr);
    EXPECT_NE(member.invoker, nullptr);
    const auto& attributes = record->members.attributes[inherited + i];
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_STREQ(attributes[0].name, "__Scope");
    EXPECT_STREQ(attributes[0].value, "Public");
    EXPECT_EQ(attributes[0].hasValue, 1);
  }
}

TEST(MenuBar1Class, TableIsMenuBarsWithItsConstructorInPlaceThenItsTwoOwn) {
  const ClassRecord* record = MenuBar1::GetClass();
  const ClassRecord* parent = MenuBar::GetClass();
  const std::size_t inherited = parent->vtableCount;
  ASSERT_EQ(record->vtableCount, inherited + 2);
  const auto& own = record->members.entries;
  const std::size_t first = parent->members.entries.size();
  const std::size_t constructor = MenuItemOperations::Constructor.Slot();
  for (std::size_t i = 0; i < inherited; ++i)
    EXPECT_EQ(record->vtable[i], i == constructor ? own[first + 2].code : parent->vtable[i]) << "place " << i;
  EXPECT_EQ(record->vtable[inherited], own[first].code);
  EXPECT_EQ(record->vtable[inherited + 1], own[first + 1].code);
  EXPECT_EQ(MenuBar1Operations::Untitled0.Slot(), inherited);
  EXPECT_EQ(MenuBar1Operations::Untitled1.Slot(), inherited + 1);
}

TEST(MenuBar1Class, ASecondRegistrationChangesNothing) {
  ClassRecord* record = MenuBar1::GetClass();
  Code* table = record->vtable;
  const std::size_t members = record->members.entries.size();
  SystemClass<MenuBar1>::Register();
  EXPECT_EQ(MenuBar1::GetClass(), record);
  EXPECT_EQ(record->vtable, table);
  EXPECT_EQ(record->members.entries.size(), members);
  EXPECT_EQ(MenuBar1::GetClass(), record);
}

// ---- The entries --------------------------------------------------------------------------

struct ExpectedEntry {
  const char* name;
  bool quit;
  const char* text;
  std::optional<String> shortcut;
};
const ExpectedEntry kFileMenu{"FileMenu", false, "&Fichier", ""};
const ExpectedEntry kFileEntries[] = {{"FileQuit", true, "Quitter", "Cmd+Q"}};
const ExpectedEntry kEditMenu{"EditMenu", false, "Edition", ""};
const ExpectedEntry kEditEntries[] = {
    {"EditUndo", false, "Annuler", "Cmd+Z"},
    {"UntitledMenu1", false, "-", std::nullopt},
    {"EditCut", false, "Couper", "Cmd+X"},
    {"EditCopy", false, "&Copier", "Cmd+C"},
    {"EditPaste", false, "Coller", "Cmd+V"},
    {"EditClear", false, "Effacer", ""},
    {"UntitledMenu0", false, "-", std::nullopt},
    {"EditSelectAll", false, "Tout S\xC3\xA9lectionner", "Cmd+A"},  // precomposed é
};

void ExpectEntry(const Ref<MenuItem>& entry, const ExpectedEntry& expected) {
  SCOPED_TRACE(expected.name);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Name(), expected.name);
  EXPECT_EQ(entry->Text(), expected.text);
  EXPECT_EQ(entry->KeyboardShortcut(), expected.shortcut);
  EXPECT_TRUE(entry->AutoEnable());
  EXPECT_TRUE(entry->Visible());
  EXPECT_EQ(RuntimeIsA(entry->Record(), QuitMenuItem::GetClass()), expected.quit);
  EXPECT_EQ(entry->Record(), expected.quit ? QuitMenuItem::GetClass() : MenuItem::GetClass());
}

template <std::size_t N>
void ExpectMenu(const Ref<MenuItem>& menu, const ExpectedEntry& expected, const ExpectedEntry (&entries)[N]) {
  ExpectEntry(menu, expected);
  ASSERT_EQ(menu->Children().size(), N);
  for (std::size_t i = 0; i < N; ++i) ExpectEntry(menu->Children()[i], entries[i]);
}

// A bar made from the class but not built, so that each building step can be run alone.
Ref<MenuBar1> UnbuiltBar() { return RuntimeCheckCast<MenuBar1>(RuntimeNewObject(MenuBar1::GetClass())); }

TEST(MenuBar1Entries, EachBuildingStepMakesItsOwnMenuThroughTheTable) {
  Ref<MenuBar1> file = UnbuiltBar();
  MenuBar1Operations::Untitled0(*file);
  ASSERT_EQ(file->Children().size(), 1u);
  ExpectMenu(file->Children()[0], kFileMenu, kFileEntries);

  Ref<MenuBar1> edit = UnbuiltBar();
  MenuBar1Operations::Untitled1(*edit);
  ASSERT_EQ(edit->Children().size(), 1u);
  ExpectMenu(edit->Children()[0], kEditMenu, kEditEntries);
}

TEST(MenuBar1Entries, TheConstructorBuildsBothMenusInOrder) {
  Ref<MenuBar1> bar = UnbuiltBar();
  MenuItemOperations::Constructor(*bar);
  ASSERT_EQ(bar->Children().size(), 2u);
  ExpectMenu(bar->Children()[0], kFileMenu, kFileEntries);
  ExpectMenu(bar->Children()[1], kEditMenu, kEditEntries);
}

TEST(MenuBar1Entries, LookupFindsEveryEntryByName) {
  Ref<MenuBar1> bar = UnbuiltBar();
  MenuItemOperations::Constructor(*bar);
  std::vector<Ref<MenuItem>> all;
  for (const Ref<MenuItem>& menu : bar->Children()) {
    all.push_back(menu);
    all.insert(all.end(), menu->Children().begin(), menu->Children().end());
  }
  ASSERT_EQ(all.size(), 11u);
  for (const Ref<MenuItem>& entry : all) EXPECT_EQ(MenuItemOperations::_Lookup(*bar, entry->Name()), entry) << entry->Name();
  EXPECT_TRUE(RuntimeCheckCast<QuitMenuItem>(MenuItemOperations::_Lookup(*bar, "FileQuit"), QuitMenuItem::GetClass()));
}

// ---- The instance -------------------------------------------------------------------------

class MenuBar1InstanceTest : public testing::Test {
 protected:
  void SetUp() override { ReleaseMenuBar1(); }
  void TearDown() override { ReleaseMenuBar1(); }
};

TEST_F(MenuBar1InstanceTest, IsMadeOnceAndSharedUntilReleased) {
  Ref<MenuBar1> first = MenuBar1Instance();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Record(), MenuBar1::GetClass());
  EXPECT_EQ(MenuBar1Instance(), first);
  EXPECT_EQ(first->Children().size(), 2u);  // built once, not again

  ReleaseMenuBar1();
  ASSERT_EQ(first->Children().size(), 2u);  // the holders' references keep it whole
  Ref<MenuBar1> second = MenuBar1Instance();
  EXPECT_NE(second, first);
  EXPECT_EQ(second->Children().size(), 2u);
}

TEST_F(MenuBar1InstanceTest, AFailedBuildStoresNothing) {
  // Off the user-interface thread the first entry's constructor raises.
  std::optional<bool> raised;
  std::thread([&] {
    try {
      MenuBar1Instance();
      raised = false;
    } catch (const ThreadAccessingUIException&) {
      raised = true;
    }
  }).join();
  EXPECT_EQ(raised, std::optional<bool>(true));
  Ref<MenuBar1> bar = MenuBar1Instance();
  EXPECT_EQ(bar->Children().size(), 2u);
}

// ---- Shown in a window --------------------------------------------------------------------

class MenuBar1Shown : public MenuBar1InstanceTest {
 protected:
  void SetUp() override {
    MenuBar1InstanceTest::SetUp();
    InstallMenuBar(&window, MenuBar1Instance());
    bar = qobject_cast<QMenuBar*>(window.menuWidget());
  }
  QMainWindow window;
  QMenuBar* bar = nullptr;
};

TEST_F(MenuBar1Shown, HasTheFileAndEditMenusWithSeparatorsAndKeys) {
  ASSERT_NE(bar, nullptr);
  const QList<QAction*> menus = bar->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), "&Fichier");
  EXPECT_EQ(menus[1]->text(), "Edition");

  const QList<QAction*> file = menus[0]->menu()->actions();
  ASSERT_EQ(file.size(), 1);
  EXPECT_EQ(file[0]->text(), "Quitter");
  EXPECT_EQ(file[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

  const QList<QAction*> edit = menus[1]->menu()->actions();
  const char* texts[] = {"Annuler", nullptr, "Couper", "&Copier", "Coller", "Effacer", nullptr, "Tout Sélectionner"};
  const QKeySequence keys[] = {QKeySequence(Qt::CTRL | Qt::Key_Z), {}, QKeySequence(Qt::CTRL | Qt::Key_X),
                               QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_V), {}, {},
                               QKeySequence(Qt::CTRL | Qt::Key_A)};
  ASSERT_EQ(edit.size(), 8);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(edit[i]->isSeparator(), texts[i] == nullptr);
    if (texts[i]) {
      EXPECT_EQ(edit[i]->text(), QString::fromUtf8(texts[i]));
    }
    EXPECT_EQ(edit[i]->shortcut(), keys[i]);
    if (texts[i]) {
      EXPECT_FALSE(edit[i]->isEnabled()) << "nothing that it could act on has the focus";
    }
  }
  EXPECT_TRUE(file[0]->isEnabled());
}

TEST_F(MenuBar1Shown, ChoosingQuitterEndsTheEventLoop) {
  QAction* quit = bar->findChild<QAction*>("FileQuit");
  ASSERT_NE(quit, nullptr);
  QTimer guard;  // ends the loop with a failure should the quit not come
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  guard.start(5000);
  QTimer::singleShot(0, quit, &QAction::trigger);
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(RuntimeExit(), 0);  // the application's life ends with its status, and all is as new
}

}  // namespace
