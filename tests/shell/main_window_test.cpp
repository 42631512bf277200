// The main window's class as registered, the window as its construction builds it, its
// accessors and its implicit instance.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMainWindow>
#include <QWidget>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "tests/support/class_records.h"
#include "tests/support/main_window_layout.h"
#include "tests/support/scripted_interaction.h"

using namespace platform;

namespace {

const MemberEntry& OwnMember(const ClassRecord* record, std::size_t i) {
  return record->members.entries[Window::GetClass()->members.entries.size() + i];
}
const std::vector<Attribute>& OwnAttributes(const ClassRecord* record, std::size_t i) {
  return record->members.attributes[Window::GetClass()->members.entries.size() + i];
}

// ---- The class as registered --------------------------------------------------------------

TEST(Window1Class, NameCountsAndTable) {
  const ClassRecord* window = Window::GetClass();
  const ClassRecord* record = Window1::GetClass();
  ASSERT_NO_FATAL_FAILURE(fixtures::ExpectPublicSubclassRecord(record, "Window1.Window1", window));
  EXPECT_EQ(window->vtableCount, 35u);
  EXPECT_EQ(record->vtableCount, 103u);
  EXPECT_EQ(record->members.entries.size(), window->members.entries.size() + 69);
  EXPECT_EQ(record->events.size(), window->events.size());
  EXPECT_EQ(window->events.size(), 33u);
  EXPECT_EQ(record->properties.entries.size(), window->properties.entries.size());
  // Window's places run Window's own code; the place right after __New is Layout.
  for (std::size_t i = 0; i < window->vtableCount; ++i) EXPECT_EQ(record->vtable[i], window->vtable[i]) << i;
  EXPECT_EQ(record->vtable[At(WindowSlot::__New) + 1], OwnMember(record, 0).code);
  EXPECT_STREQ(OwnMember(record, 0).name, "Layout");
}

TEST(Window1Class, MembersInOrderWithTheirSignaturesAndAttributes) {
  const ClassRecord* record = Window1::GetClass();
  struct Expected {
    std::size_t index;
    const char* name;
    const char* signature;
  };
  for (const Expected& e : {Expected{1, "CreateControls", "%%"}, Expected{2, "_CreateControls0", "%%"},
                            Expected{4, "GroupBox1", "%o<GroupBox>%"}, Expected{5, "AfficheInfo", "%o<CheckBox>%"},
                            Expected{15, "ProgressBar1", "%o<ProgressBar>%"}, Expected{36, "Rectangle1", "%o<Rectangle>%"},
                            Expected{43, "Line9", "%o<Line>%"}, Expected{46, "BtnDemarrer", "%o<PushButton>%"},
                            Expected{47, "BtnAide_Action", "%%o<PushButton>"}, Expected{49, "NbBases_Open", "%%o<Label>"},
                            Expected{55, "BtnDemarrer_Action", "%%o<PushButton>"},
                            Expected{56, "EditMenu", "%o<MenuItem>%"}, Expected{66, "FileQuit", "%o<QuitMenuItem>%"},
                            Expected{67, "Event_Open", "%%"},
                            Expected{68, "ScanDossier", "%%o<FolderItem>o<TextOutputStream>o<FolderItem>"}}) {
    const MemberEntry& entry = OwnMember(record, e.index);
    EXPECT_STREQ(entry.name, e.name);
    EXPECT_EQ(RecordTextLength(entry.name), std::string(e.name).size());
    EXPECT_STREQ(entry.signature, e.signature) << e.name;
    EXPECT_NE(entry.invoker, nullptr) << e.name;
  }
  for (std::size_t i = 0; i < 69; ++i) {
    const MemberEntry& entry = OwnMember(record, i);
    const auto& attributes = OwnAttributes(record, i);
    const std::string name = entry.name;
    ASSERT_FALSE(attributes.empty()) << name;
    EXPECT_STREQ(attributes[0].name, "__Scope") << name;
    EXPECT_EQ(attributes[0].hasValue, 1) << name;
    if (name == "ScanDossier") {
      EXPECT_STREQ(attributes[0].value, "Private");
      EXPECT_EQ(entry.flags, 0u);
      EXPECT_EQ(attributes.size(), 1u);
      continue;
    }
    EXPECT_STREQ(attributes[0].value, "Public") << name;
    EXPECT_EQ(entry.flags, 1u) << name;
    EXPECT_EQ(record->vtable[35 + i], entry.code) << name;  // each public member has its place
    if (name == "_CreateControls0" || name == "_CreateControls1") {
      ASSERT_EQ(attributes.size(), 2u) << name;
      EXPECT_STREQ(attributes[1].name, "Hidden");
      EXPECT_STREQ(attributes[1].value, "");
      EXPECT_EQ(attributes[1].hasValue, 0);
    } else {
      EXPECT_EQ(attributes.size(), 1u) << name;
    }
  }
  // The walk's code is in its entry, not in the table.
  for (std::size_t i = 0; i < record->vtableCount; ++i) EXPECT_NE(record->vtable[i], OwnMember(record, 68).code);
}

TEST(Window1Class, ASecondRegistrationChangesNothing) {
  const ClassRecord* record = Window1::GetClass();
  Code* table = record->vtable;
  const MemberEntry layout = OwnMember(record, 0);
  SystemClass<Window1>::Register();
  EXPECT_EQ(Window1::GetClass(), record);
  EXPECT_EQ(record->vtable, table);
  EXPECT_EQ(OwnMember(record, 0).code, layout.code);
  EXPECT_NE(RuntimeEventImplementation(record, "Layout"), nullptr);
  EXPECT_NE(RuntimeEventImplementation(record, "CreateControls"), nullptr);
  EXPECT_NE(RuntimeEventImplementation(record, "Open"), nullptr);
  EXPECT_NE(RuntimeEventImplementation(record, "Layout"), RuntimeEventImplementation(Window::GetClass(), "Layout"));
}

// ---- The built window ---------------------------------------------------------------------

class BuiltWindow : public testing::Test {
 protected:
  void SetUp() override { window = ImplicitWindow1(); }
  void TearDown() override {
    if (RuntimeGetImplicitWindow("Window1.Window1")) window->Close();
  }
  Ref<Window1> window;
};

TEST_F(BuiltWindow, OpensAt246WithItsTitleAndEmptyValueLabels) {
  EXPECT_EQ(window->Title(), "Quorvane v2");
  EXPECT_EQ(window->Width(), 596);
  EXPECT_EQ(window->Height(), 246);
  EXPECT_FALSE(window->Resizeable());
  for (const Ref<Label>& label : {window->NomDossier(), window->NbBases(), window->NomBase(), window->Nbtables(),
                                  window->NomTable(), window->NbRecords()})
    EXPECT_EQ(label->Text(), "");
  for (const Ref<CheckBox>& box : {window->TablesVides(), window->NomsRubriques(), window->CheckBox1(),
                                   window->CheckBox2(), window->AfficheInfo(), window->Recursif(), window->CopieBase()})
    EXPECT_FALSE(box->Value());
  EXPECT_FALSE(window->CheckBox1()->Enabled());
  EXPECT_FALSE(window->CheckBox2()->Enabled());
  EXPECT_TRUE(window->AfficheInfo()->Enabled());
  EXPECT_EQ(window->Label1()->Text(), "Traitement en cours, veuillez patienter. Appuyez sur Esc pour stopper");
}

// Every control against the layout table: class, container, geometry in window coordinates,
// tab index, caption or text; the value labels read empty, as their Open handlers leave them.
// Lines stand where their two ends put them: the checks after the table.
TEST_F(BuiltWindow, EveryControlStandsWhereTheLayoutPutsIt) {
  const ClassRecord* G = GroupBox::GetClass();
  const ClassRecord* C = CheckBox::GetClass();
  const ClassRecord* P = PushButton::GetClass();
  const ClassRecord* L = Label::GetClass();
  const std::map<ControlKind, const ClassRecord*> classes = {
      {ControlKind::GroupBox, G},   {ControlKind::CheckBox, C},
      {ControlKind::PushButton, P}, {ControlKind::Label, L},
      {ControlKind::ProgressBar, ProgressBar::GetClass()},
      {ControlKind::Rectangle, Rectangle::GetClass()}};
  const std::set<std::string_view> emptiedOnOpen = {"NomDossier", "NbBases", "NomBase", "Nbtables", "NomTable",
                                                    "NbRecords"};
  for (const main_window_layout::Row& row : main_window_layout::kRows) {
    if (row.kind == ControlKind::Line) continue;
    SCOPED_TRACE(std::string(row.name));
    const Ref<Control> control = window->_ControlByName(String(row.name));
    ASSERT_TRUE(control);
    EXPECT_EQ(control->Record(), classes.at(row.kind));
    const Ref<RectControl> rect = RuntimeCheckCast<RectControl>(control);
    EXPECT_EQ(rect->InitialParent(), row.container);
    EXPECT_EQ(rect->Left(), row.left);
    EXPECT_EQ(rect->Top(), row.top);
    EXPECT_EQ(rect->Width(), row.width);
    EXPECT_EQ(rect->Height(), row.height);
    if (row.tab != main_window_layout::kNoTab) {
      EXPECT_EQ(rect->TabIndex(), row.tab);
    }
    EXPECT_TRUE(rect->Visible());
    const std::string_view text = emptiedOnOpen.contains(row.name) ? "" : row.text;
    if (control->Record() == L) {
      EXPECT_EQ(RuntimeCheckCast<Label>(control)->Text(), text);
    }
    if (control->Record() == C) {
      EXPECT_EQ(RuntimeCheckCast<CheckBox>(control)->Caption(), text);
    }
    if (control->Record() == P) {
      EXPECT_EQ(RuntimeCheckCast<PushButton>(control)->Caption(), text);
    }
    if (control->Record() == G) {
      EXPECT_EQ(RuntimeCheckCast<GroupBox>(control)->Caption(), text);
    }
  }
  EXPECT_EQ(window->Controls().size(), 43u);
  EXPECT_TRUE(window->BtnDemarrer()->Default());
  EXPECT_TRUE(window->BtnQuitter()->Cancel());
  EXPECT_EQ(window->Line1()->X1(), 214);
  EXPECT_EQ(window->Line1()->Y1(), 351);
  EXPECT_EQ(window->Line1()->X2(), 574);
  EXPECT_EQ(window->Line1()->Y2(), 351);
  EXPECT_EQ(window->Line9()->LineColor(), kWhite);
  EXPECT_EQ(window->Line8()->LineColor(), kBlack);
  EXPECT_EQ(window->Rectangle1()->FillColor(), kBlack);
  EXPECT_EQ(window->NomDossier1()->TextColor(), kWhite);
  EXPECT_TRUE(window->NomDossier1()->Transparent());
  EXPECT_EQ(window->NbRecords()->TextColor(), kBlack);
  EXPECT_FALSE(window->NbRecords()->Transparent());
}

// Tab goes from the Start button through the options group, box by box in their order, then
// to Quitter and Aide.
TEST_F(BuiltWindow, TheKeyboardOrderFollowsTheTabIndexes) {
  std::map<QWidget*, std::string> names;
  for (const char* name : {"BtnDemarrer", "TablesVides", "NomsRubriques", "CheckBox1", "CheckBox2", "AfficheInfo",
                           "Recursif", "CopieBase", "BtnQuitter", "BtnAide"})
    names[RuntimeCheckCast<RectControl>(window->_ControlByName(name))->Widget()] = name;
  std::vector<std::string> order;
  QWidget* start = window->BtnDemarrer()->Widget();
  QWidget* widget = start;
  do {
    if (names.count(widget)) order.push_back(names[widget]);
    widget = widget->nextInFocusChain();
  } while (widget != start && order.size() < 20);
  EXPECT_EQ(order, (std::vector<std::string>{"BtnDemarrer", "TablesVides", "NomsRubriques", "CheckBox1", "CheckBox2",
                                             "AfficheInfo", "Recursif", "CopieBase", "BtnQuitter", "BtnAide"}));
}

// "Aide ?" shows the one help window beside the main window; once the user has closed it, the
// next press makes a new one.
TEST_F(BuiltWindow, TheHelpButtonShowsOneHelpWindow) {
  auto helpWindows = [] {
    std::vector<Ref<Window>> found;
    for (const Ref<Window>& live : RuntimeLiveWindows())
      if (live->RegisteredName() == "AideW.AideW") found.push_back(live);
    return found;
  };
  window->BtnAide()->Push();
  window->BtnAide()->Push();
  const auto first = helpWindows();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_TRUE(first[0]->QtWindow()->isVisible());
  EXPECT_EQ(first[0]->Title(), "Aide Quorvane");
  EXPECT_TRUE(window->BtnDemarrer()->Enabled());  // not modal: the main window stays usable
  first[0]->QtWindow()->close();
  EXPECT_TRUE(helpWindows().empty());
  window->BtnAide()->Push();
  const auto second = helpWindows();
  ASSERT_EQ(second.size(), 1u);
  EXPECT_NE(second[0], first[0]);
  second[0]->Close();
}

TEST_F(BuiltWindow, AnAccessorGivesTheControlRegisteredUnderItsName) {
  EXPECT_EQ(window->AfficheInfo(), window->AfficheInfo());
  EXPECT_EQ(window->AfficheInfo(), window->_ControlByName("AfficheInfo"));
  EXPECT_EQ(window->ProgressBar1(), window->_ControlByName("ProgressBar1"));
  EXPECT_EQ(window->Line11(), window->_ControlByName("Line11"));
  EXPECT_EQ(ImplicitWindow1(), window);  // the live window, not a second one
}

TEST_F(BuiltWindow, TheMenuBarIsTheOneInstanceWithItsEntries) {
  EXPECT_EQ(window->MenuBar(), MenuBar1Instance());
  EXPECT_EQ(window->FileMenu()->Text(), "&Fichier");
  EXPECT_EQ(window->FileQuit()->Text(), "Quitter");
  EXPECT_EQ(window->FileQuit()->Record(), QuitMenuItem::GetClass());
  EXPECT_EQ(window->EditMenu()->Text(), "Edition");
  EXPECT_EQ(window->EditSelectAll()->Text(), "Tout Sélectionner");
  EXPECT_EQ(window->UntitledMenu0()->Text(), "-");
  EXPECT_EQ(window->UntitledMenu1()->Text(), "-");
  EXPECT_EQ(window->EditCopy()->Text(), "&Copier");
}

TEST(Window1Accessors, AMenuAccessorOnAWindowWithoutMenuBarRaises) {
  const Ref<Window1> unbuilt = RuntimeCheckCast<Window1>(RuntimeNewObject(Window1::GetClass()));
  EXPECT_THROW(unbuilt->FileQuit(), NilObjectException);
}

TEST(Window1Accessors, AClosedWindowMakesWayForANewOne) {
  const Ref<Window1> first = ImplicitWindow1();
  first->Close();
  const Ref<Window1> second = ImplicitWindow1();
  EXPECT_NE(first, second);
  EXPECT_EQ(second->Height(), 246);
  EXPECT_EQ(second->Controls().size(), 43u);
  second->Close();
}

// The handler bound to each button is the member found in the window's table when the button
// is made: a spy put in that place runs when the button is clicked, with that button.
TEST(Window1Bindings, EachButtonRunsTheHandlerFoundInTheTable) {
  struct Case {
    const char* button;
    std::size_t slot;
  };
  static Window1* seenWindow;
  static Object* seenButton;
  using Handler = void (*)(Window1&, const Ref<PushButton>&);
  const Handler spy = [](Window1& w, const Ref<PushButton>& b) { seenWindow = &w, seenButton = b.get(); };
  for (const Case& c : {Case{"BtnAide", Window1::Operations::BtnAide_Action.Slot()},
                        Case{"BtnQuitter", Window1::Operations::BtnQuitter_Action.Slot()},
                        Case{"BtnDemarrer", Window1::Operations::BtnDemarrer_Action.Slot()}}) {
    SCOPED_TRACE(c.button);
    ClassRecord* record = Window1::GetClass();
    const Code kept = record->vtable[c.slot];
    record->vtable[c.slot] = CodeOf(spy);
    const Ref<Window1> window = ImplicitWindow1();
    record->vtable[c.slot] = kept;
    seenWindow = nullptr, seenButton = nullptr;
    const Ref<PushButton> button = RuntimeCheckCast<PushButton>(window->_ControlByName(c.button));
    button->Push();
    EXPECT_EQ(seenWindow, window.get());
    EXPECT_EQ(seenButton, button.get());
    window->Close();
  }
}

// A button kept after its window has gone: the window is freed, the button no longer reaches
// it, and raising the button's Action reports the nil window as any escaped error is reported
// rather than running the handler on freed memory.
TEST(Window1Bindings, AButtonKeptAfterItsWindowWentReportsTheNilWindow) {
  ScriptedInteraction user;
  Ref<PushButton> button;
  WeakRef<Window1> gone;
  {
    const Ref<Window1> window = ImplicitWindow1();
    button = window->BtnAide();
    gone = WeakRef<Window1>(window.get());
    window->Close();
  }
  ASSERT_EQ(gone.get(), nullptr) << "the closed window is still held";
  EXPECT_EQ(button->OwnerWindow(), nullptr);
  EXPECT_THROW(button->SetInitialParent("GroupBox1"), RuntimeException);  // no window to look it up in
  EXPECT_TRUE(button->RaiseEvent("Action"));
  ASSERT_EQ(user.messages.size(), 1u);
  EXPECT_EQ(user.messages[0].rfind("Une erreur inattendue s'est produite : NilObjectException", 0), 0u);

  // The same once Qt has deleted the window's widgets, the button's among them.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(button->RaiseEvent("Action"));
  EXPECT_EQ(user.messages.size(), 2u);
  EXPECT_THROW(button->Push(), NilObjectException);
}

}  // namespace
