#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "shell/main_window_lists.h"
#include "tests/support/list_reading.h"
#include "tests/support/main_window_layout.h"

namespace {

// ---- A reader of lists, written apart from the code that compiles them ---------------------

using namespace list_reading;

// One entry of a class's list, in list order, with the value that every list of the class
// holds, or none where the value changes from control to control. Values are written the way
// Decode renders them: Booleans 0 or 1, integers in decimal, colours as six hex digits.
struct Field {
  std::string_view name;
  Type type;
  const char* fixed = nullptr;
};
using Schema = std::vector<Field>;

const char* kIndex = "-2147483648";

const Schema kGroupBox = {
    {"Name", S}, {"Index", I, kIndex}, {"Left", I}, {"Top", I}, {"Width", I}, {"Height", I},
    {"LockLeft", B, "1"}, {"LockTop", B, "1"}, {"LockRight", B, "0"}, {"LockBottom", B, "0"},
    {"TabPanelIndex", I, "0"}, {"TabIndex", I}, {"TabStop", B, "1"}, {"Caption", S}, {"Enabled", B, "1"},
    {"Visible", B, "1"}, {"HelpTag", S, ""}, {"AutoDeactivate", B, "1"}, {"TextFont", S, "System"},
    {"Bold", B, "0"}, {"Italic", B, "0"}, {"Underline", B, "0"}, {"InitialParent", S}};
const Schema kCheckBox = {
    {"Name", S}, {"Index", I, kIndex}, {"Left", I}, {"Top", I}, {"Width", I}, {"Height", I},
    {"LockLeft", B, "1"}, {"LockTop", B, "1"}, {"LockRight", B, "0"}, {"LockBottom", B, "0"},
    {"TabPanelIndex", I, "0"}, {"TabIndex", I}, {"TabStop", B, "1"}, {"Caption", S}, {"Enabled", B},
    {"Visible", B, "1"}, {"HelpTag", S, ""}, {"AutoDeactivate", B, "1"}, {"TextFont", S, "System"},
    {"Bold", B, "0"}, {"Italic", B, "0"}, {"Underline", B, "0"}, {"State", I, "0"}, {"Value", B, "0"},
    {"DataSource", S, ""}, {"DataField", S, ""}, {"InitialParent", S}};
const Schema kPushButton = {
    {"Name", S}, {"Index", I, kIndex}, {"Left", I}, {"Top", I}, {"Width", I}, {"Height", I},
    {"LockLeft", B, "1"}, {"LockTop", B, "1"}, {"LockRight", B, "0"}, {"LockBottom", B, "0"},
    {"TabPanelIndex", I, "0"}, {"TabIndex", I}, {"TabStop", B, "1"}, {"Caption", S}, {"Default", B},
    {"Cancel", B}, {"Enabled", B, "1"}, {"Visible", B, "1"}, {"HelpTag", S, ""}, {"AutoDeactivate", B, "1"},
    {"ButtonStyle", I, "0"}, {"TextFont", S, "System"}, {"Bold", B, "0"}, {"Italic", B, "0"},
    {"Underline", B, "0"}, {"InitialParent", S}};
const Schema kLabel = {
    {"Name", S}, {"Index", I, kIndex}, {"Left", I}, {"Top", I}, {"Width", I}, {"Height", I},
    {"LockLeft", B, "1"}, {"LockTop", B, "1"}, {"LockRight", B, "0"}, {"LockBottom", B, "0"},
    {"TabPanelIndex", I, "0"}, {"TabIndex", I}, {"Text", S}, {"TextAlign", I, "0"}, {"TextColor", C},
    {"Multiline", B, "0"}, {"Enabled", B, "1"}, {"Visible", B, "1"}, {"Selectable", B, "0"},
    {"Transparent", B}, {"HelpTag", S, ""}, {"AutoDeactivate", B, "1"}, {"TextFont", S, "System"},
    {"Bold", B, "0"}, {"Italic", B, "0"}, {"Underline", B, "0"}, {"DataSource", S, ""}, {"DataField", S, ""},
    {"InitialParent", S}};
const Schema kProgressBar = {
    {"Name", S}, {"Index", I, kIndex}, {"Left", I}, {"Top", I}, {"Width", I}, {"Height", I},
    {"LockLeft", B, "1"}, {"LockTop", B, "1"}, {"LockRight", B, "0"}, {"LockBottom", B, "0"},
    {"TabPanelIndex", I, "0"}, {"Visible", B, "1"}, {"HelpTag", S, ""}, {"AutoDeactivate", B, "1"},
    {"Enabled", B, "1"}, {"Value", I, "0"}, {"Maximum", I, "0"}, {"InitialParent", S}};
const Schema kLine = {
    {"Name", S}, {"Index", I, kIndex}, {"Top", I}, {"Left", I}, {"Width", I, "100"}, {"Height", I, "50"},
    {"X1", I}, {"X2", I}, {"Y1", I}, {"Y2", I}, {"TabPanelIndex", I, "0"}, {"Visible", B, "1"},
    {"BorderWidth", I, "1"}, {"LineColor", C}, {"InitialParent", S}};
const Schema kRectangle = {
    {"Name", S}, {"Index", I, kIndex}, {"Left", I}, {"Top", I}, {"Width", I}, {"Height", I},
    {"LockLeft", B, "1"}, {"LockTop", B, "1"}, {"LockRight", B, "0"}, {"LockBottom", B, "0"},
    {"TabIndex", I}, {"TabPanelIndex", I, "0"}, {"Visible", B, "1"}, {"HelpTag", S, ""},
    {"AutoDeactivate", B, "1"}, {"Enabled", B, "1"}, {"FillColor", C, "000000"}, {"BorderWidth", I, "1"},
    {"TopLeftColor", C, "000000"}, {"BottomRightColor", C, "000000"}, {"InitialParent", S}};
const Schema kWindowSchema = {
    {"Placement", I, "3"}, {"Width", I, "596"}, {"Height", I, "532"}, {"MinWidth", I, "64"},
    {"MinHeight", I, "64"}, {"MaxWidth", I, "32000"}, {"MaxHeight", I, "32000"}, {"Frame", I, "0"},
    {"Composite", B, "0"}, {"HasBackColor", B, "0"}, {"BackColor", C, "FFFFFF"}, {"Title", S, "Quorvane v2"},
    {"Visible", B, "1"}, {"FullScreen", B, "0"}, {"MenuBarVisible", B, "1"}, {"CloseButton", B, "1"},
    {"Resizeable", B, "0"}, {"LiveResize", B, "1"}, {"MaximizeButton", B, "0"}, {"MinimizeButton", B, "0"},
    {"FullScreenButton", B, "0"}, {"MacProcID", I, "0"}};

const Schema& SchemaOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::GroupBox: return kGroupBox;
    case ControlKind::CheckBox: return kCheckBox;
    case ControlKind::PushButton: return kPushButton;
    case ControlKind::Label: return kLabel;
    case ControlKind::ProgressBar: return kProgressBar;
    case ControlKind::Line: return kLine;
    case ControlKind::Rectangle: break;
  }
  return kRectangle;
}

struct Decoded {
  std::vector<std::string> names;            // in list order
  std::map<std::string, std::string> values;  // rendered as in Field::fixed
  std::string error;                          // empty when the list read cleanly to its last byte
};

// Reads a list back, entry by entry: each name is looked up in the class's schema for the type
// that fixes its value's length.
Decoded Decode(std::string_view list, const Schema& schema) {
  Decoded out;
  std::size_t at = 0;
  auto fail = [&](std::string what) {
    out.error = std::move(what) + " at byte " + std::to_string(at);
    return out;
  };
  while (at < list.size()) {
    const std::size_t blank = list.find(' ', at);
    if (blank == std::string_view::npos) return fail("no blank after a name");
    const std::string name(list.substr(at, blank - at));
    at = blank + 1;
    const Field* field = nullptr;
    for (const Field& f : schema)
      if (f.name == name) field = &f;
    if (!field) return fail("a name the class does not hold: " + name);
    const std::optional<std::string> value = ReadValue(list, at, field->type);
    if (!value) return fail("the value of " + name + " cut short");
    out.names.push_back(name);
    out.values[name] = *value;
  }
  return out;
}

std::vector<std::string> NamesOf(const Schema& schema) {
  std::vector<std::string> names;
  for (const Field& f : schema) names.emplace_back(f.name);
  return names;
}

// Decodes a list and checks its names and order against the schema, every fixed value, and
// every other value against `expected`; a value that is neither fixed nor expected is a fault
// of the table below.
void CheckList(std::string_view list, const Schema& schema, std::map<std::string, std::string> expected) {
  const Decoded decoded = Decode(list, schema);
  ASSERT_EQ(decoded.error, "");
  EXPECT_EQ(decoded.names, NamesOf(schema));
  for (const Field& f : schema) {
    const auto value = decoded.values.find(std::string(f.name));
    if (value == decoded.values.end()) continue;  // reported by the order check
    const auto wanted = expected.find(std::string(f.name));
    if (f.fixed) {
      EXPECT_EQ(value->second, f.fixed) << f.name;
    }
    if (wanted != expected.end()) {
      EXPECT_EQ(value->second, wanted->second) << f.name;
      expected.erase(wanted);
    } else if (!f.fixed) {
      ADD_FAILURE() << f.name << " is not checked";
    }
  }
  for (const auto& [name, value] : expected) ADD_FAILURE() << "no entry " << name << " for the value " << value;
}

// ---- The table of controls, in creation order ------------------------------------------------

using namespace main_window_layout;

std::map<std::string, std::string> ExpectedValues(const Row& row) {
  std::map<std::string, std::string> values = {
      {"Name", std::string(row.name)},          {"Left", std::to_string(row.left)},
      {"Top", std::to_string(row.top)},         {"Width", std::to_string(row.width)},
      {"Height", std::to_string(row.height)},   {"InitialParent", std::string(row.container)}};
  if (row.tab != kNoTab) values["TabIndex"] = std::to_string(row.tab);
  if (!row.text.empty()) values[row.kind == K::Label ? "Text" : "Caption"] = std::string(row.text);
  std::string_view other = row.other;
  while (!other.empty()) {
    const std::size_t end = std::min(other.find(' '), other.size());
    const std::string_view pair = other.substr(0, end);
    const std::size_t eq = pair.find('=');
    values[std::string(pair.substr(0, eq))] = std::string(pair.substr(eq + 1));
    other.remove_prefix(std::min(end + 1, other.size()));
  }
  return values;
}

// ---- Byte facts --------------------------------------------------------------------------------

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += static_cast<char>(b);
  return out;
}

std::string_view ListOf(std::string_view name) {
  for (const ControlSpec& control : kMainWindowControls)
    if (control.name == name) return control.list;
  ADD_FAILURE() << "no control " << name;
  return {};
}

bool Contains(std::string_view list, const std::string& bytes) { return list.find(bytes) != std::string_view::npos; }

TEST(PropertyLists, GroupBoxListIsLaidOutByteForByte) {
  const std::string_view list = ListOf("GroupBox1");
  EXPECT_EQ(list.size(), 279u);
  EXPECT_EQ(Decode(list, kGroupBox).names.size(), 23u);
  const std::string head = "Name " + Bytes({0x00, 0x00, 0x00, 0x09}) + "GroupBox1" +  //
                           "Index " + Bytes({0x80, 0x00, 0x00, 0x00}) +              //
                           "Left " + Bytes({0x00, 0x00, 0x00, 0x14}) +               //
                           "Top " + Bytes({0x00, 0x00, 0x00, 0x14}) +                //
                           "Width " + Bytes({0x00, 0x00, 0x02, 0x2C});
  EXPECT_EQ(list.substr(0, head.size()), head);
  const std::string tail = "InitialParent " + Bytes({0x00, 0x00, 0x00, 0x00});
  EXPECT_TRUE(list.ends_with(tail));
}

TEST(PropertyLists, TextCountsAreBytesNotCharacters) {
  EXPECT_TRUE(Contains(ListOf("GroupBox1"), "Caption " + Bytes({0x00, 0x00, 0x00, 0x0B}) + "Paramètres"));
  EXPECT_TRUE(Contains(ListOf("BtnDemarrer"), "Caption " + Bytes({0x00, 0x00, 0x00, 0x09}) + "Démarrer"));
}

TEST(PropertyLists, WindowListHoldsItsEntriesAndEndsWithoutTerminator) {
  CheckList(kMainWindowList, kWindowSchema, {});
  EXPECT_TRUE(Contains(kMainWindowList, "MaxWidth " + Bytes({0x00, 0x00, 0x7D, 0x00})));
  EXPECT_TRUE(kMainWindowList.ends_with("MacProcID " + Bytes({0x00, 0x00, 0x00, 0x00})));
}

TEST(PropertyLists, ValueTakesTheWidthOfItsClassType) {
  // One byte in a check box, then the next entry's name; four in the progress bar.
  EXPECT_TRUE(Contains(ListOf("TablesVides"), "Value " + Bytes({0x00}) + "DataSource "));
  EXPECT_TRUE(Contains(ListOf("ProgressBar1"), "Value " + Bytes({0x00, 0x00, 0x00, 0x00}) + "Maximum "));
}

TEST(PropertyLists, EmptyTextAndZeroAreTheSameFourBytes) {
  const std::string zero = Bytes({0x00, 0x00, 0x00, 0x00});
  const std::string_view list = ListOf("ProgressBar1");
  EXPECT_TRUE(Contains(list, "TabPanelIndex " + zero + "Visible "));
  EXPECT_TRUE(Contains(list, "HelpTag " + zero + "AutoDeactivate "));
  // Only the declared type tells them apart when the list is read back.
  const Decoded decoded = Decode(list, kProgressBar);
  EXPECT_EQ(decoded.values.at("TabPanelIndex"), "0");
  EXPECT_EQ(decoded.values.at("HelpTag"), "");
}

// ---- Every row of the table ----------------------------------------------------------------------

TEST(PropertyLists, EveryControlMatchesItsRowInCreationOrder) {
  ASSERT_EQ(std::size(kRows), kMainWindowControls.size());
  for (std::size_t i = 0; i < kMainWindowControls.size(); ++i) {
    const Row& row = kRows[i];
    const ControlSpec& control = kMainWindowControls[i];
    SCOPED_TRACE(std::string(row.name));
    EXPECT_EQ(control.name, row.name);
    EXPECT_EQ(control.kind, row.kind);
    CheckList(control.list, SchemaOf(row.kind), ExpectedValues(row));
  }
  // _CreateControls1 begins with the value label of the current table.
  EXPECT_EQ(kMainWindowControls[kControlsMadeFirst].name, "NomTable");
}

}  // namespace
