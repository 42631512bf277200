// The help window: its class as registered, its two lists and its text byte for byte, the
// window as its construction builds it, and its implicit instance.
#include <gtest/gtest.h>

#include <QMainWindow>
#include <QTextBlock>
#include <QTextEdit>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "shell/help_window.h"
#include "tests/support/class_records.h"
#include "tests/support/event_loop.h"
#include "tests/support/list_reading.h"

using namespace platform;
using fixtures::RunEventLoop;

namespace {

// ---- The class as registered --------------------------------------------------------------

const std::size_t kWindowMembers = Window::GetClass()->members.entries.size();

TEST(AideWClass, NameCountsTableAndEvents) {
  const ClassRecord* window = Window::GetClass();
  const ClassRecord* record = AideW::GetClass();
  ASSERT_NO_FATAL_FAILURE(fixtures::ExpectPublicSubclassRecord(record, "AideW.AideW", window));
  ASSERT_EQ(record->vtableCount, 39u);
  for (std::size_t i = 0; i < 35; ++i) EXPECT_EQ(record->vtable[i], window->vtable[i]) << i;
  EXPECT_EQ(record->members.entries.size(), kWindowMembers + 4);
  EXPECT_EQ(record->events.size(), window->events.size());
  EXPECT_EQ(record->properties.entries.size(), window->properties.entries.size());
  // Its own Layout and CreateControls; every other event, Open included, left to Window.
  for (const EventEntry& event : record->events) {
    const std::string name = event.name;
    if (name == "Layout" || name == "CreateControls") {
      EXPECT_NE(event.implementation, nullptr) << name;
      EXPECT_NE(event.implementation, RuntimeEventImplementation(window, name)) << name;
    } else {
      EXPECT_EQ(event.implementation, nullptr) << name;
    }
  }
}

TEST(AideWClass, FourPublicMembersInTableOrder) {
  const ClassRecord* record = AideW::GetClass();
  struct Expected {
    const char* name;
    const char* signature;
    bool hidden;
  };
  const Expected expected[] = {{"Layout", "%%", false},
                               {"CreateControls", "%%", false},
                               {"_CreateControls0", "%%", true},
                               {"TextArea1", "%o<TextArea>%", false}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Expected& e = expected[i];
    SCOPED_TRACE(e.name);
    const MemberEntry& entry = record->members.entries[kWindowMembers + i];
    const std::vector<Attribute>& attributes = record->members.attributes[kWindowMembers + i];
    EXPECT_STREQ(entry.name, e.name);
    EXPECT_EQ(RecordTextLength(entry.name), std::string(e.name).size());
    EXPECT_STREQ(entry.signature, e.signature);
    EXPECT_EQ(entry.flags, 1u);
    EXPECT_NE(entry.invoker, nullptr);
    EXPECT_EQ(record->vtable[35 + i], entry.code);
    ASSERT_EQ(attributes.size(), e.hidden ? 2u : 1u);
    EXPECT_STREQ(attributes[0].name, "__Scope");
    EXPECT_STREQ(attributes[0].value, "Public");
    EXPECT_EQ(attributes[0].hasValue, 1);
    if (e.hidden) {
      EXPECT_STREQ(attributes[1].name, "Hidden");
      EXPECT_STREQ(attributes[1].value, "");
      EXPECT_EQ(attributes[1].hasValue, 0);
    }
  }
  EXPECT_EQ(AideW::Operations::TextArea1.Slot(), 38u);
}

TEST(AideWClass, ASecondRegistrationChangesNothing) {
  ClassRecord* record = AideW::GetClass();
  Code* table = record->vtable;
  const Code layout = record->vtable[35];
  const Code layoutEvent = RuntimeEventImplementation(record, "Layout");
  SystemClass<AideW>::Register();
  EXPECT_EQ(AideW::GetClass(), record);
  EXPECT_EQ(record->vtable, table);
  EXPECT_EQ(record->vtableCount, 39u);
  EXPECT_EQ(record->vtable[35], layout);
  EXPECT_EQ(record->members.entries.size(), kWindowMembers + 4);
  EXPECT_EQ(RuntimeEventImplementation(record, "Layout"), layoutEvent);
}

// ---- The lists, read back apart from the code that compiles them ---------------------------

using namespace list_reading;

// One entry as it should stand, its value rendered as Read renders it: Booleans 0 or 1,
// integers in decimal, colours as six hex digits, texts as their bytes.
struct Entry {
  std::string_view name;
  Type type;
  std::string value;
};

// Reads the list against the entries in order; the first difference, or "" when every entry
// matches and the list ends right after the last.
std::string FirstDifference(std::string_view list, const std::vector<Entry>& entries) {
  std::size_t at = 0;
  for (const Entry& e : entries) {
    const std::string where = std::string(e.name) + " at byte " + std::to_string(at);
    if (list.substr(at, e.name.size() + 1) != std::string(e.name) + " ") return "no entry " + where;
    at += e.name.size() + 1;
    const std::optional<std::string> read = ReadValue(list, at, e.type);
    if (!read) return "value cut short: " + where;
    const std::string& value = *read;
    if (value != e.value) return "value of " + where + ": " + value.substr(0, 40);
  }
  return at == list.size() ? "" : "bytes after the last entry, from byte " + std::to_string(at);
}

TEST(AideWLists, TheWindowsListEntryByEntry) {
  EXPECT_EQ(FirstDifference(kAideWList, {{"Placement", I, "0"},       {"Width", I, "600"},
                                         {"Height", I, "400"},        {"MinWidth", I, "64"},
                                         {"MinHeight", I, "64"},      {"MaxWidth", I, "32000"},
                                         {"MaxHeight", I, "32000"},   {"Frame", I, "3"},
                                         {"Composite", B, "0"},       {"HasBackColor", B, "0"},
                                         {"BackColor", C, "FFFFFF"},  {"Title", S, "Aide Quorvane"},
                                         {"Visible", B, "1"},         {"FullScreen", B, "0"},
                                         {"MenuBarVisible", B, "1"},  {"CloseButton", B, "1"},
                                         {"Resizeable", B, "1"},      {"LiveResize", B, "1"},
                                         {"MaximizeButton", B, "1"},  {"MinimizeButton", B, "1"},
                                         {"FullScreenButton", B, "0"}, {"MacProcID", I, "0"}}),
            "");
  EXPECT_NE(kAideWList.find(std::string("MaxWidth \x00\x00\x7D\x00", 13)), std::string_view::npos);
}

TEST(AideWLists, TheTextAreasListEntryByEntry) {
  const std::string text(kAideWHelpText);
  EXPECT_EQ(FirstDifference(kAideWTextArea1List,
                            {{"Name", S, "TextArea1"},      {"Index", I, "-2147483648"},
                             {"Left", I, "20"},             {"Top", I, "20"},
                             {"Width", I, "560"},           {"Height", I, "360"},
                             {"LockLeft", B, "1"},          {"LockTop", B, "1"},
                             {"LockRight", B, "1"},         {"LockBottom", B, "1"},
                             {"TabPanelIndex", I, "0"},     {"TabIndex", I, "0"},
                             {"TabStop", B, "1"},           {"Border", B, "1"},
                             {"Multiline", B, "1"},         {"ScrollbarHorizontal", B, "0"},
                             {"ScrollbarVertical", B, "1"}, {"Styled", B, "1"},
                             {"UseFocusRing", B, "1"},      {"TextColor", C, "000000"},
                             {"BackColor", C, "FFFFFF"},    {"Enabled", B, "1"},
                             {"Format", S, ""},             {"Visible", B, "1"},
                             {"HelpTag", S, ""},            {"AutoDeactivate", B, "1"},
                             {"HideSelection", B, "1"},     {"TextFont", S, "System"},
                             {"Bold", B, "0"},              {"Italic", B, "0"},
                             {"Underline", B, "0"},         {"Text", S, text},
                             {"Mask", S, ""},               {"ReadOnly", B, "1"},
                             {"LimitText", I, "0"},         {"AcceptTabs", B, "0"},
                             {"Alignment", I, "0"},         {"AutomaticallyCheckSpelling", B, "1"},
                             {"DataSource", S, ""},         {"DataField", S, ""}}),
            "");
  // The text's count is its bytes, 2230, not its characters.
  EXPECT_EQ(text.size(), 2230u);
  EXPECT_NE(kAideWTextArea1List.find(std::string("Text \x00\x00\x08\xB6", 9) + "Quorvane v2 : "),
            std::string_view::npos);
  EXPECT_TRUE(kAideWTextArea1List.ends_with(std::string("DataField \x00\x00\x00\x00", 14)));
}

std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r')
      lines.emplace_back();
    else
      lines.back().push_back(c);
  }
  return lines;
}

TEST(AideWLists, TheHelpTextIsTwentyLinesJoinedByCR) {
  const std::string_view text = kAideWHelpText;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 19);
  EXPECT_EQ(text.find('\n'), std::string_view::npos);
  EXPECT_FALSE(text.ends_with('\r'));
  EXPECT_FALSE(text.starts_with("\xEF\xBB\xBF"));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\''), 10);
  EXPECT_EQ(std::count(text.begin(), text.end(), '"'), 7);
  EXPECT_EQ(std::count(text.begin(), text.end(), ':'), 12);
  // Accents precomposed: é is C3 A9, and no combining acute accent (CC 81) anywhere.
  EXPECT_NE(text.find("\xC3\xA9"), std::string_view::npos);
  EXPECT_EQ(text.find("\xCC\x81"), std::string_view::npos);

  const std::vector<std::string> lines = LinesOf(text);
  ASSERT_EQ(lines.size(), 20u);
  const std::vector<std::size_t> empty = {2, 4, 8, 14};
  const std::vector<std::size_t> items = {6, 7, 10, 11, 12, 13, 16, 17, 18, 19, 20};
  for (std::size_t n = 1; n <= 20; ++n) {
    const std::string& line = lines[n - 1];
    SCOPED_TRACE("line " + std::to_string(n) + ": " + line.substr(0, 30));
    const bool isEmpty = std::find(empty.begin(), empty.end(), n) != empty.end();
    const bool isItem = std::find(items.begin(), items.end(), n) != items.end();
    EXPECT_EQ(line.empty(), isEmpty);
    if (isEmpty) continue;
    EXPECT_EQ(line.starts_with(" - "), isItem);
    if (!isItem) {
      EXPECT_NE(line.front(), ' ');
    }
    EXPECT_EQ(line.ends_with(' '), n == 11 || n == 15);
    EXPECT_EQ(line.find("  "), std::string::npos);
  }
  struct Exact {
    std::size_t line;
    std::string_view begins;
  };
  for (const Exact& e : {Exact{1, "Quorvane v2 : "}, Exact{5, "Comment ça marche : Cliquez sur le bouton \"Démarrer\""},
                         Exact{11, " - Nom de la table "}, Exact{15, "Paramètres : "},
                         // The options by their check boxes' captions in the main window.
                         Exact{16, " - Inclure les tables vides : "},
                         Exact{17, " - Ne pas inclure les noms des rubriques : "},
                         Exact{18, " - Afficher les infos pendant la conversion : "},
                         Exact{19, " - Recherche récursive dans tous les sous-dossiers : "},
                         Exact{20, " - Copier chaque base dans le même dossier que le fichier résultat : "}})
    EXPECT_TRUE(lines[e.line - 1].starts_with(e.begins)) << e.line << ": " << lines[e.line - 1];
  EXPECT_EQ(lines[10], " - Nom de la table ");
  EXPECT_EQ(lines[14], "Paramètres : ");
  EXPECT_NE(lines[2].find("la recherche d\"informations simultanément"), std::string::npos);
  EXPECT_NE(lines[8].find("Chaque ligne est contient un enregistrement"), std::string::npos);
}

// ---- The built window ---------------------------------------------------------------------

class HelpWindow : public testing::Test {
 protected:
  void SetUp() override { window = ImplicitAideW(); }
  void TearDown() override {
    if (RuntimeGetImplicitWindow("AideW.AideW")) window->Close();
  }
  // As the user resizes the window by its frame, to a content area of that size.
  void ResizeContentTo(int width, int height) {
    QMainWindow* frame = window->QtWindow();
    frame->resize(width, height + (frame->height() - window->Content()->height()));
    RunEventLoop();
    ASSERT_EQ(window->Content()->size(), QSize(width, height));
  }
  Ref<AideW> window;
};

TEST_F(HelpWindow, OpensResizeableAt600By400WithItsTitle) {
  EXPECT_EQ(window->Title(), "Aide Quorvane");
  EXPECT_EQ(window->Width(), 600);
  EXPECT_EQ(window->Height(), 400);
  EXPECT_TRUE(window->Resizeable());
  EXPECT_EQ(window->MenuBar(), nullptr);
  QMainWindow* frame = window->QtWindow();
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(window->Content()->size(), QSize(600, 400));
  EXPECT_EQ(frame->minimumSize(), QSize(64, 64));
  EXPECT_EQ(frame->maximumSize(), QSize(32000, 32000));
  const Qt::WindowFlags flags = frame->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
}

TEST_F(HelpWindow, HoldsOnlyTheReadOnlyTextAreaWithTheStoredText) {
  ASSERT_EQ(window->Controls().size(), 1u);
  const Ref<TextArea> area = window->TextArea1();
  EXPECT_EQ(area, window->_ControlByName("TextArea1"));
  EXPECT_EQ(area->Record(), TextArea::GetClass());
  EXPECT_EQ(area->InitialParent(), "");
  EXPECT_EQ(area->Widget()->geometry(), QRect(20, 20, 560, 360));
  EXPECT_EQ(area->Text(), kAideWHelpText);
  auto* edit = static_cast<QTextEdit*>(area->Widget());
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  // Each CR is a line break on screen.
  EXPECT_EQ(edit->document()->blockCount(), 20);
  EXPECT_EQ(edit->document()->findBlockByNumber(14).text(), QStringLiteral("Paramètres : "));
}

TEST_F(HelpWindow, TheTextAreaKeepsItsMarginsOfTwentyWhenTheWindowIsResized) {
  const Ref<TextArea> area = window->TextArea1();
  for (const QSize size : {QSize(800, 500), QSize(300, 200), QSize(600, 400)}) {
    SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
    ResizeContentTo(size.width(), size.height());
    const QRect expected(20, 20, size.width() - 40, size.height() - 40);
    EXPECT_EQ(area->Widget()->geometry(), expected);
    EXPECT_EQ(QRect(area->Left(), area->Top(), area->Width(), area->Height()), expected);
  }
}

// ---- The implicit instance ----------------------------------------------------------------

std::size_t LiveHelpWindows() {
  std::size_t count = 0;
  for (const Ref<Window>& window : RuntimeLiveWindows()) count += window->Record() == AideW::GetClass();
  return count;
}

TEST_F(HelpWindow, ASecondCallGivesTheSameWindowAndBuildsNothing) {
  WindowOperations::Show(*window);
  const Ref<AideW> again = ImplicitAideW();
  WindowOperations::Show(*again);
  EXPECT_EQ(again, window);
  EXPECT_EQ(LiveHelpWindows(), 1u);
  EXPECT_EQ(again->Controls().size(), 1u);
}

TEST_F(HelpWindow, AfterCloseANewWindowIsBuiltAfresh) {
  ResizeContentTo(800, 500);
  window->Close();
  EXPECT_EQ(LiveHelpWindows(), 0u);
  const Ref<AideW> fresh = ImplicitAideW();
  EXPECT_NE(fresh, window);
  EXPECT_EQ(LiveHelpWindows(), 1u);
  EXPECT_EQ(fresh->Content()->size(), QSize(600, 400));
  EXPECT_EQ(fresh->TextArea1()->Widget()->geometry(), QRect(20, 20, 560, 360));
  EXPECT_EQ(fresh->TextArea1()->Text(), kAideWHelpText);
  window = fresh;  // closed by the fixture
}

}  // namespace
