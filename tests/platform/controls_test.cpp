// The control classes: their records, property lists applied to them, their widgets,
// containers, locks, keys and events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

#include <chrono>
#include <climits>
#include <functional>

#include "platform/runtime.h"
#include "platform/ui.h"
#include "tests/support/event_loop.h"
#include "tests/support/ticks.h"
#include "tests/support/scripted_interaction.h"

using namespace platform;
using fixtures::RunEventLoop;
namespace pl = platform::property_list;

namespace {

// ---- Records ------------------------------------------------------------------------------

TEST(ControlClasses, EachComesFromItsParent) {
  struct Case {
    ClassRecord* record;
    const char* name;
    ClassRecord* parent;
  };
  for (const Case& c : {
           Case{Control::GetClass(), "Control", nullptr},
           Case{RectControl::GetClass(), "RectControl", Control::GetClass()},
           Case{GroupBox::GetClass(), "GroupBox", RectControl::GetClass()},
           Case{CheckBox::GetClass(), "CheckBox", RectControl::GetClass()},
           Case{PushButton::GetClass(), "PushButton", RectControl::GetClass()},
           Case{Label::GetClass(), "Label", RectControl::GetClass()},
           Case{ProgressBar::GetClass(), "ProgressBar", RectControl::GetClass()},
           Case{Line::GetClass(), "Line", RectControl::GetClass()},
           Case{Rectangle::GetClass(), "Rectangle", RectControl::GetClass()},
           Case{TextArea::GetClass(), "TextArea", RectControl::GetClass()},
       }) {
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(c.record->name, c.name);
    EXPECT_EQ(c.record->parent, c.parent);
  }
}

TEST(ControlClasses, EventNumbersCountTheParentsEventsFirst) {
  EXPECT_EQ(RuntimeEventNumber(Control::GetClass(), "Close"), 1u);
  EXPECT_EQ(RuntimeEventNumber(Label::GetClass(), "Open"), 2u);
  EXPECT_EQ(RuntimeEventNumber(PushButton::GetClass(), "Open"), 2u);
  EXPECT_EQ(RuntimeEventNumber(PushButton::GetClass(), "Action"), 15u);
  EXPECT_THROW(RuntimeEventNumber(Label::GetClass(), "Action"), RuntimeException);
}

// Every name that the windows' lists use, as they spell it, with the type the class declares.
TEST(ControlClasses, EveryNameOfTheirListsIsAPropertyOfTheDeclaredType) {
  using Names = std::vector<std::pair<const char*, const char*>>;
  const Names rect = {{"Name", "s"},       {"Index", "i4"},      {"Left", "i4"},           {"Top", "i4"},
                      {"Width", "i4"},     {"Height", "i4"},     {"LockLeft", "b"},        {"LockTop", "b"},
                      {"LockRight", "b"},  {"LockBottom", "b"},  {"TabPanelIndex", "i4"},  {"TabIndex", "i4"},
                      {"TabStop", "b"},    {"Enabled", "b"},     {"Visible", "b"},         {"HelpTag", "s"},
                      {"AutoDeactivate", "b"}, {"InitialParent", "s"}};
  const Names font = {{"TextFont", "s"}, {"Bold", "b"}, {"Italic", "b"}, {"Underline", "b"}, {"TextUnit", "u1"}};
  struct Case {
    ClassRecord* record;
    Names names;
  };
  const std::vector<Case> cases = {
      {GroupBox::GetClass(), {{"Caption", "s"}}},
      {CheckBox::GetClass(),
       {{"Caption", "s"}, {"State", "State"}, {"Value", "b"}, {"DataSource", "s"}, {"DataField", "s"}}},
      {PushButton::GetClass(),
       {{"Caption", "s"}, {"Default", "b"}, {"Cancel", "b"}, {"ButtonStyle", "ButtonStyle"}}},
      {Label::GetClass(),
       {{"Text", "s"}, {"TextAlign", "i4"}, {"TextColor", "color"}, {"Multiline", "b"}, {"Selectable", "b"},
        {"Transparent", "b"}, {"DataSource", "s"}, {"DataField", "s"}}},
      {ProgressBar::GetClass(), {{"Value", "i4"}, {"Maximum", "i4"}}},
      {Line::GetClass(),
       {{"X1", "i4"}, {"X2", "i4"}, {"Y1", "i4"}, {"Y2", "i4"}, {"BorderWidth", "i4"}, {"LineColor", "color"}}},
      {Rectangle::GetClass(),
       {{"FillColor", "color"}, {"BorderWidth", "i4"}, {"TopLeftColor", "color"}, {"BottomRightColor", "color"}}},
      {TextArea::GetClass(),
       {{"Border", "b"},         {"Multiline", "b"},      {"ScrollbarHorizontal", "b"},
        {"ScrollbarVertical", "b"}, {"Styled", "b"},      {"UseFocusRing", "b"},
        {"TextColor", "color"},  {"BackColor", "color"},  {"Format", "s"},
        {"HideSelection", "b"},  {"Text", "s"},           {"Mask", "s"},
        {"ReadOnly", "b"},       {"LimitText", "i4"},     {"AcceptTabs", "b"},
        {"Alignment", "i4"},     {"AutomaticallyCheckSpelling", "b"}, {"DataSource", "s"},
        {"DataField", "s"},      {"LineSpacing", "d"}}},
  };
  for (const Case& c : cases) {
    Names all = rect;
    all.insert(all.end(), c.names.begin(), c.names.end());
    const bool showsText = c.record != ProgressBar::GetClass() && c.record != Line::GetClass() &&
                           c.record != Rectangle::GetClass();
    if (showsText) all.insert(all.end(), font.begin(), font.end());
    for (const auto& [name, type] : all) {
      SCOPED_TRACE(std::string(c.record->name) + "." + name);
      const PropertyEntry* property = RuntimeFindProperty(c.record, name);
      ASSERT_NE(property, nullptr);
      EXPECT_STREQ(property->type, type);
      EXPECT_NE(property->setter, nullptr);
    }
    if (!showsText) {
      EXPECT_EQ(RuntimeFindProperty(c.record, "TextUnit"), nullptr) << c.record->name;
    }
  }
}

TEST(ControlClasses, NamesMatchWithoutRegardToCase) {
  EXPECT_STREQ(RuntimeFindProperty(Label::GetClass(), "Multiline")->name, "MultiLine");
  EXPECT_STREQ(RuntimeFindProperty(Label::GetClass(), "MULTILINE")->name, "MultiLine");
  EXPECT_STREQ(RuntimeFindProperty(TextArea::GetClass(), "ScrollbarVertical")->name, "ScrollBarVertical");
  EXPECT_EQ(RuntimeFindProperty(Label::GetClass(), "Multi line"), nullptr);
}

TEST(ControlClasses, ARecordMakesControlsOfItsClass) {
  for (ClassRecord* record : {GroupBox::GetClass(), CheckBox::GetClass(), PushButton::GetClass(), Label::GetClass(),
                              ProgressBar::GetClass(), Line::GetClass(), Rectangle::GetClass(), TextArea::GetClass()}) {
    SCOPED_TRACE(record->name);
    const Ref<Object> object = RuntimeNewObject(record);
    EXPECT_EQ(object->Record(), record);
    const Ref<RectControl> control = RuntimeCheckCast<RectControl>(object, RectControl::GetClass());
    ASSERT_NE(control, nullptr);
    // The constructor through the class's table of virtual operations, as a window's code calls it.
    EXPECT_NO_THROW((Operation<void(RectControl&)>(0)(*control)));
    EXPECT_STREQ(control->Record()->members.entries[0].name, "Constructor");
  }
  EXPECT_THROW(RuntimeNewObject(RectControl::GetClass()), RuntimeException) << "it makes no objects of its own";
}

// ---- A window to put controls in ----------------------------------------------------------

// Builds its controls as a window's construction does: made from the class, constructed,
// registered under its name, then its list applied.
class Host : public Window {
 public:
  Host(int width, int height) : Window("ControlsHost"), width_(width), height_(height) {}
  std::function<void(Host&)> build;

  template <class C>
  Ref<C> Make(const String& name, std::string_view list) {
    const Ref<C> control = RuntimeCheckCast<C>(__New(C::GetClass()), C::GetClass());
    control->Constructor();
    _AddControl(name, control);
    // Registration gives a control its window; this names the window itself, for a
    // registration that gives the content area alone.
    control->AttachToWindow(*this, Content());
    RuntimeMassPropertySetter(_ControlByName(name), list);
    return control;
  }
  template <class C>
  Ref<C> Get(std::string_view name) const {
    return RuntimeCheckCast<C>(_ControlByName(name));
  }
  QPoint InWindow(const Ref<RectControl>& control) const {
    return control->Widget()->mapTo(Content(), QPoint(0, 0));
  }

 protected:
  void OnLayout() override {
    SetWidth(width_);
    SetHeight(height_);
  }
  void OnCreateControls() override {
    if (build) build(*this);
  }

 private:
  int width_, height_;
};

class HostTest : public testing::Test {
 protected:
  Ref<Host> Open(int width, int height, std::function<void(Host&)> build) {
    host = New<Host>(width, height);
    host->build = std::move(build);
    host->Constructor();
    RunEventLoop();
    return host;
  }
  void TearDown() override {
    if (host) host->Close();
    host = nullptr;
    RunEventLoop();
  }
  Ref<Host> host;
};

// ---- Property lists -----------------------------------------------------------------------

constexpr auto kGroupBox1 = pl::Compile([] {
  return std::array{pl::Text("Name", "GroupBox1"), pl::Integer("Index", INT32_MIN), pl::Integer("Left", 20),
                    pl::Integer("Top", 20), pl::Integer("Width", 556), pl::Integer("Height", 178),
                    pl::Boolean("LockLeft", true), pl::Boolean("LockTop", true), pl::Boolean("LockRight", false),
                    pl::Boolean("LockBottom", false), pl::Integer("TabPanelIndex", 0), pl::Integer("TabIndex", 1),
                    pl::Boolean("TabStop", true), pl::Text("Caption", "Paramètres"), pl::Boolean("Enabled", true),
                    pl::Boolean("Visible", true), pl::Text("HelpTag", ""), pl::Boolean("AutoDeactivate", true),
                    pl::Text("TextFont", "System"), pl::Boolean("Bold", false), pl::Boolean("Italic", false),
                    pl::Boolean("Underline", false), pl::Text("InitialParent", "")};
});

// A check box of the options group, disabled; HelpTag "" and TabPanelIndex 0 are the same
// four bytes, read by their declared types.
constexpr auto kCheckBox2 = pl::Compile([] {
  return std::array{pl::Text("Name", "CheckBox2"), pl::Integer("Index", INT32_MIN), pl::Integer("Left", 29),
                    pl::Integer("Top", 104), pl::Integer("Width", 240), pl::Integer("Height", 20),
                    pl::Boolean("LockLeft", true), pl::Boolean("LockTop", true), pl::Boolean("LockRight", false),
                    pl::Boolean("LockBottom", false), pl::Integer("TabPanelIndex", 0), pl::Integer("TabIndex", 3),
                    pl::Boolean("TabStop", true), pl::Text("Caption", "Traiter les colonnes de type Date"),
                    pl::Boolean("Enabled", false), pl::Boolean("Visible", true), pl::Text("HelpTag", ""),
                    pl::Boolean("AutoDeactivate", true), pl::Text("TextFont", "System"), pl::Boolean("Bold", false),
                    pl::Boolean("Italic", false), pl::Boolean("Underline", false), pl::Integer("State", 0),
                    pl::Boolean("Value", false), pl::Text("DataSource", ""), pl::Text("DataField", ""),
                    pl::Text("InitialParent", "GroupBox1")};
});

constexpr auto kCheckedBox = pl::Compile([] {
  return std::array{pl::Boolean("Value", true), pl::Text("Caption", "Récursif"), pl::Boolean("Bold", true)};
});
constexpr auto kIndeterminateBox = pl::Compile([] { return std::array{pl::Integer("State", 2)}; });

constexpr auto kBtnDemarrer = pl::Compile([] {
  return std::array{pl::Text("Name", "BtnDemarrer"), pl::Integer("Left", 452), pl::Integer("Top", 210),
                    pl::Integer("Width", 124), pl::Integer("Height", 20), pl::Integer("TabIndex", 0),
                    pl::Text("Caption", "Démarrer"), pl::Boolean("Default", true), pl::Boolean("Cancel", false),
                    pl::Integer("ButtonStyle", 0), pl::Text("TextFont", "System"), pl::Boolean("Italic", true),
                    pl::Text("InitialParent", "")};
});
constexpr auto kBtnQuitter = pl::Compile([] {
  return std::array{pl::Text("Name", "BtnQuitter"), pl::Integer("Left", 20), pl::Integer("Top", 210),
                    pl::Integer("Width", 80), pl::Integer("Height", 20), pl::Text("Caption", "Quitter"),
                    pl::Boolean("Default", false), pl::Boolean("Cancel", true), pl::Text("InitialParent", "")};
});

// A value label of the progress panel: black and opaque.
constexpr auto kNomDossier = pl::Compile([] {
  return std::array{pl::Text("Name", "NomDossier"), pl::Integer("Left", 222), pl::Integer("Top", 326),
                    pl::Integer("Width", 208), pl::Integer("Height", 20), pl::Integer("TabIndex", 16),
                    pl::Text("Text", "Nom du dossier"), pl::Integer("TextAlign", 0), pl::Colour("TextColor", kBlack),
                    pl::Boolean("Multiline", false), pl::Boolean("Enabled", true), pl::Boolean("Visible", true),
                    pl::Boolean("Selectable", false), pl::Boolean("Transparent", false), pl::Text("HelpTag", ""),
                    pl::Text("TextFont", "System"), pl::Text("InitialParent", "")};
});
// A caption of the panel inside the black rectangle: white and transparent.
constexpr auto kNomDossier2 = pl::Compile([] {
  return std::array{pl::Text("Name", "NomDossier2"), pl::Integer("Left", 35), pl::Integer("Top", 326),
                    pl::Integer("Width", 148), pl::Integer("Height", 20), pl::Integer("TabIndex", 0),
                    pl::Text("Text", "Nom"), pl::Integer("TextAlign", 0), pl::Colour("TextColor", kWhite),
                    pl::Boolean("Multiline", false), pl::Boolean("Transparent", true),
                    pl::Text("InitialParent", "Rectangle1")};
});
// Its twin on the window.
constexpr auto kNomDossier1 = pl::Compile([] {
  return std::array{pl::Text("Name", "NomDossier1"), pl::Integer("Left", 35), pl::Integer("Top", 326),
                    pl::Integer("Width", 148), pl::Integer("Height", 20), pl::Text("Text", "Nom"),
                    pl::Colour("TextColor", kWhite), pl::Boolean("Transparent", true), pl::Text("InitialParent", "")};
});
constexpr auto kWrappedLabel = pl::Compile([] {
  return std::array{pl::Integer("TextAlign", 3), pl::Boolean("Multiline", true), pl::Boolean("Selectable", true),
                    pl::Text("HelpTag", "Aide"), pl::Boolean("Underline", true), pl::Boolean("Visible", false)};
});
constexpr auto kCentredLabel = pl::Compile([] { return std::array{pl::Integer("TextAlign", 2)}; });

constexpr auto kProgressBar1 = pl::Compile([] {
  return std::array{pl::Text("Name", "ProgressBar1"), pl::Integer("Left", 192), pl::Integer("Top", 274),
                    pl::Integer("Width", 217), pl::Integer("Height", 20), pl::Integer("TabPanelIndex", 0),
                    pl::Boolean("Visible", true), pl::Text("HelpTag", ""), pl::Boolean("Enabled", true),
                    pl::Integer("Value", 0), pl::Integer("Maximum", 0), pl::Text("InitialParent", "")};
});
constexpr auto kCountingBar = pl::Compile([] {
  return std::array{pl::Integer("Value", 7), pl::Integer("Maximum", 10), pl::Text("HelpTag", "sept")};
});

constexpr auto kLine1 = pl::Compile([] {
  return std::array{pl::Text("Name", "Line1"), pl::Integer("Index", INT32_MIN), pl::Integer("Top", 351),
                    pl::Integer("Left", 214), pl::Integer("Width", 100), pl::Integer("Height", 50),
                    pl::Integer("X1", 214), pl::Integer("X2", 574), pl::Integer("Y1", 351), pl::Integer("Y2", 351),
                    pl::Integer("TabPanelIndex", 0), pl::Boolean("Visible", true), pl::Integer("BorderWidth", 1),
                    pl::Colour("LineColor", kBlack), pl::Text("InitialParent", "")};
});
constexpr auto kLine9 = pl::Compile([] {
  return std::array{pl::Text("Name", "Line9"), pl::Integer("Top", 351), pl::Integer("Left", 24),
                    pl::Integer("Width", 100), pl::Integer("Height", 50), pl::Integer("X1", 24),
                    pl::Integer("X2", 212), pl::Integer("Y1", 351), pl::Integer("Y2", 351),
                    pl::Integer("BorderWidth", 1), pl::Colour("LineColor", kWhite), pl::Text("InitialParent", "")};
});
constexpr auto kThickSlantedLine = pl::Compile([] {
  return std::array{pl::Integer("Width", 100), pl::Integer("Height", 50), pl::Integer("X1", 50), pl::Integer("X2", 10),
                    pl::Integer("Y1", 30), pl::Integer("Y2", 40), pl::Integer("BorderWidth", 4)};
});

constexpr auto kRectangle1 = pl::Compile([] {
  return std::array{pl::Text("Name", "Rectangle1"), pl::Integer("Index", INT32_MIN), pl::Integer("Left", 27),
                    pl::Integer("Top", 325), pl::Integer("Width", 188), pl::Integer("Height", 187),
                    pl::Boolean("LockLeft", true), pl::Boolean("LockTop", true), pl::Boolean("LockRight", false),
                    pl::Boolean("LockBottom", false), pl::Integer("TabIndex", 15), pl::Integer("TabPanelIndex", 0),
                    pl::Boolean("Visible", true), pl::Text("HelpTag", ""), pl::Boolean("AutoDeactivate", true),
                    pl::Boolean("Enabled", true), pl::Colour("FillColor", kBlack), pl::Integer("BorderWidth", 1),
                    pl::Colour("TopLeftColor", kBlack), pl::Colour("BottomRightColor", kBlack),
                    pl::Text("InitialParent", "")};
});

constexpr auto kTextArea1 = pl::Compile([] {
  return std::array{
      pl::Text("Name", "TextArea1"), pl::Integer("Index", INT32_MIN), pl::Integer("Left", 20), pl::Integer("Top", 20),
      pl::Integer("Width", 560), pl::Integer("Height", 360), pl::Boolean("LockLeft", true),
      pl::Boolean("LockTop", true), pl::Boolean("LockRight", true), pl::Boolean("LockBottom", true),
      pl::Integer("TabPanelIndex", 0), pl::Integer("TabIndex", 0), pl::Boolean("TabStop", true),
      pl::Boolean("Border", true), pl::Boolean("Multiline", true), pl::Boolean("ScrollbarHorizontal", false),
      pl::Boolean("ScrollbarVertical", true), pl::Boolean("Styled", true), pl::Boolean("UseFocusRing", true),
      pl::Colour("TextColor", kBlack), pl::Colour("BackColor", kWhite), pl::Boolean("Enabled", true),
      pl::Text("Format", ""), pl::Boolean("Visible", true), pl::Text("HelpTag", ""),
      pl::Boolean("AutoDeactivate", true), pl::Boolean("HideSelection", true), pl::Text("TextFont", "System"),
      pl::Boolean("Bold", false), pl::Boolean("Italic", false), pl::Boolean("Underline", false),
      pl::Text("Text", "Aide : un\r\rdeux \r - trois"), pl::Text("Mask", ""), pl::Boolean("ReadOnly", true),
      pl::Integer("LimitText", 0), pl::Boolean("AcceptTabs", false), pl::Integer("Alignment", 0),
      pl::Boolean("AutomaticallyCheckSpelling", true), pl::Text("DataSource", ""), pl::Text("DataField", "")};
});

template <std::size_t N>
std::string_view Bytes(const std::array<char, N>& list) {
  return pl::View(list);
}

QString LabelText(const Ref<Label>& label) { return static_cast<QLabel*>(label->Widget())->text(); }

// A control made in a window from its class and given one list; the check looks at the
// control and at its widget.
struct ListCase {
  const char* name;
  std::function<Ref<RectControl>(Host&)> make;
  std::function<void(Host&, RectControl&)> check;
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }

template <class C>
std::function<Ref<RectControl>(Host&)> Made(const char* name, std::string_view list) {
  return [=](Host& host) -> Ref<RectControl> { return host.Make<C>(name, list); };
}

const ListCase kListCases[] = {
    {"GroupBox", Made<GroupBox>("GroupBox1", Bytes(kGroupBox1)),
     [](Host&, RectControl& control) {
       auto& box = dynamic_cast<GroupBox&>(control);
       EXPECT_EQ(box.Name(), "GroupBox1");
       EXPECT_EQ(box.Index(), INT32_MIN);
       EXPECT_EQ(box.Caption(), "Paramètres");
       EXPECT_EQ(static_cast<QGroupBox*>(box.Widget())->title(), QStringLiteral("Paramètres"));
       EXPECT_EQ(box.Widget()->geometry(), QRect(20, 20, 556, 178));
       EXPECT_EQ(box.TabIndex(), 1);
       // "System" is the platform's face at a size in pixels, not the desktop's font.
       EXPECT_EQ(box.Widget()->font().family(), QStringLiteral("DejaVu Sans"));
       EXPECT_EQ(box.Widget()->font().pixelSize(), 12);
       EXPECT_FALSE(box.Widget()->font().bold());
       EXPECT_TRUE(box.Widget()->isVisible());
     }},
    {"CheckBoxDisabledInItsGroup",
     [](Host& host) -> Ref<RectControl> {
       host.Make<GroupBox>("GroupBox1", Bytes(kGroupBox1));
       return host.Make<CheckBox>("CheckBox2", Bytes(kCheckBox2));
     },
     [](Host& host, RectControl& control) {
       auto& box = dynamic_cast<CheckBox&>(control);
       EXPECT_EQ(box.Caption(), "Traiter les colonnes de type Date");
       EXPECT_FALSE(box.Enabled());
       EXPECT_FALSE(box.Widget()->isEnabled());  // shown greyed
       EXPECT_FALSE(box.Value());
       EXPECT_EQ(box.State(), 0);
       EXPECT_EQ(box.HelpTag(), "");
       EXPECT_TRUE(box.Widget()->toolTip().isEmpty());
       EXPECT_EQ(box.TabPanelIndex(), 0);
       EXPECT_EQ(box.TabIndex(), 3);
       EXPECT_EQ(box.InitialParent(), "GroupBox1");
       EXPECT_EQ(box.Container().get(), host.Get<GroupBox>("GroupBox1").get());
     }},
    {"CheckBoxValueIsOneByte", Made<CheckBox>("Recursif", Bytes(kCheckedBox)),
     [](Host&, RectControl& control) {
       auto& box = dynamic_cast<CheckBox&>(control);
       EXPECT_TRUE(box.Value());
       EXPECT_EQ(box.State(), 1);
       EXPECT_TRUE(static_cast<QCheckBox*>(box.Widget())->isChecked());
       EXPECT_EQ(static_cast<QCheckBox*>(box.Widget())->text(), QStringLiteral("Récursif"));
       EXPECT_TRUE(box.Widget()->font().bold());
     }},
    {"CheckBoxIndeterminate", Made<CheckBox>("Box", Bytes(kIndeterminateBox)),
     [](Host&, RectControl& control) {
       auto& box = dynamic_cast<CheckBox&>(control);
       EXPECT_EQ(box.State(), 2);
       EXPECT_FALSE(box.Value());
       EXPECT_EQ(static_cast<QCheckBox*>(box.Widget())->checkState(), Qt::PartiallyChecked);
       static_cast<QCheckBox*>(box.Widget())->click();  // a click checks it
       EXPECT_EQ(box.State(), 1);
       static_cast<QCheckBox*>(box.Widget())->click();
       static_cast<QCheckBox*>(box.Widget())->click();
       EXPECT_EQ(box.State(), 1) << "clicks never make it indeterminate again";
     }},
    {"PushButtonDefault", Made<PushButton>("BtnDemarrer", Bytes(kBtnDemarrer)),
     [](Host&, RectControl& control) {
       auto& button = dynamic_cast<PushButton&>(control);
       EXPECT_EQ(button.Caption(), "Démarrer");
       EXPECT_TRUE(button.Default());
       EXPECT_FALSE(button.Cancel());
       EXPECT_TRUE(static_cast<QPushButton*>(button.Widget())->isDefault());
       EXPECT_EQ(button.Widget()->geometry(), QRect(452, 210, 124, 20));
       EXPECT_TRUE(button.Widget()->font().italic());
     }},
    {"LabelBlackAndOpaque", Made<Label>("NomDossier", Bytes(kNomDossier)),
     [](Host&, RectControl& control) {
       auto& label = dynamic_cast<Label&>(control);
       EXPECT_EQ(label.Text(), "Nom du dossier");
       RunEventLoop();
       EXPECT_EQ(LabelText(Ref<Label>(&label)), QStringLiteral("Nom du dossier"));
       EXPECT_TRUE(label.Widget()->autoFillBackground());
       EXPECT_EQ(label.Widget()->palette().color(QPalette::WindowText), QColor(Qt::black));
       EXPECT_TRUE(static_cast<QLabel*>(label.Widget())->alignment() & Qt::AlignLeft);
       EXPECT_FALSE(static_cast<QLabel*>(label.Widget())->wordWrap());
       EXPECT_EQ(static_cast<QLabel*>(label.Widget())->textInteractionFlags(), Qt::NoTextInteraction);
     }},
    {"LabelWhiteAndTransparent", Made<Label>("NomDossier1", Bytes(kNomDossier1)),
     [](Host&, RectControl& control) {
       EXPECT_FALSE(control.Widget()->autoFillBackground());
       EXPECT_EQ(control.Widget()->palette().color(QPalette::WindowText), QColor(Qt::white));
     }},
    {"LabelMultilineRightAlignedHidden", Made<Label>("Label", Bytes(kWrappedLabel)),
     [](Host&, RectControl& control) {
       auto* label = static_cast<QLabel*>(control.Widget());
       EXPECT_TRUE(dynamic_cast<Label&>(control).MultiLine());
       EXPECT_TRUE(label->wordWrap());
       EXPECT_TRUE(label->alignment() & Qt::AlignRight);
       EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
       EXPECT_EQ(label->toolTip(), QStringLiteral("Aide"));
       EXPECT_TRUE(label->font().underline());
       EXPECT_FALSE(control.Visible());
       EXPECT_FALSE(label->isVisible());
     }},
    {"LabelCentred", Made<Label>("Label", Bytes(kCentredLabel)),
     [](Host&, RectControl& control) {
       EXPECT_TRUE(static_cast<QLabel*>(control.Widget())->alignment() & Qt::AlignHCenter);
     }},
    {"ProgressBarBusy", Made<ProgressBar>("ProgressBar1", Bytes(kProgressBar1)),
     [](Host&, RectControl& control) {
       auto* bar = static_cast<QProgressBar*>(control.Widget());
       EXPECT_EQ(bar->minimum(), 0);
       EXPECT_EQ(bar->maximum(), 0);  // Qt's busy bar
       EXPECT_EQ(dynamic_cast<ProgressBar&>(control).Maximum(), 0);
       EXPECT_EQ(bar->geometry(), QRect(192, 274, 217, 20));
     }},
    {"ProgressBarValueIsFourBytes", Made<ProgressBar>("Bar", Bytes(kCountingBar)),
     [](Host&, RectControl& control) {
       auto* bar = static_cast<QProgressBar*>(control.Widget());
       EXPECT_EQ(bar->value(), 7);  // set before its Maximum
       EXPECT_EQ(bar->maximum(), 10);
       EXPECT_EQ(bar->toolTip(), QStringLiteral("sept"));
     }},
    {"LineCoversItsSegment", Made<Line>("Line1", Bytes(kLine1)),
     [](Host&, RectControl& control) {
       EXPECT_EQ(control.Widget()->geometry(), QRect(214, 351, 361, 1));
       EXPECT_EQ(control.Left(), 214);
       EXPECT_EQ(control.Width(), 100);  // stored, but it places nothing
       EXPECT_EQ(control.Height(), 50);
     }},
    {"ThickSlantedLine", Made<Line>("Line", Bytes(kThickSlantedLine)),
     [](Host&, RectControl& control) {
       // From (50, 30) to (10, 40), four thick: the box of the segment, widened to 4.
       EXPECT_EQ(control.Widget()->geometry(), QRect(9, 29, 44, 14));
     }},
    {"Rectangle", Made<Rectangle>("Rectangle1", Bytes(kRectangle1)),
     [](Host&, RectControl& control) {
       auto& rectangle = dynamic_cast<Rectangle&>(control);
       EXPECT_EQ(rectangle.FillColor(), kBlack);
       EXPECT_EQ(rectangle.BorderWidth(), 1);
       EXPECT_EQ(rectangle.TabIndex(), 15);
       EXPECT_EQ(rectangle.Widget()->geometry(), QRect(27, 325, 188, 187));
     }},
    {"TextArea",
     [](Host& h) -> Ref<RectControl> {
       // As the help window makes it: LineSpacing and TextUnit set by code, then the list.
       h._AddControl("TextArea1", RuntimeCheckCast<Control>(h.__New(TextArea::GetClass())));
       const Ref<TextArea> area = h.Get<TextArea>("TextArea1");
       area->Constructor();
       area->AttachToWindow(h, h.Content());
       area->SetLineSpacing(1.5);
       area->SetTextUnit(3);
       RuntimeMassPropertySetter(area, Bytes(kTextArea1));
       return area;
     },
     [](Host&, RectControl& control) {
       auto& area = dynamic_cast<TextArea&>(control);
       EXPECT_EQ(area.LineSpacing(), 1.5);
       EXPECT_EQ(area.TextUnit(), 3);
       auto* edit = static_cast<QTextEdit*>(area.Widget());
       EXPECT_EQ(area.Text(), "Aide : un\r\rdeux \r - trois");
       EXPECT_EQ(edit->toPlainText(), QStringLiteral("Aide : un\n\ndeux \n - trois"));
       EXPECT_EQ(edit->document()->blockCount(), 4);
       EXPECT_TRUE(edit->isReadOnly());
       EXPECT_EQ(edit->lineWrapMode(), QTextEdit::WidgetWidth);
       EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
       EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
       EXPECT_NE(edit->frameShape(), QFrame::NoFrame);
       EXPECT_TRUE(edit->tabChangesFocus());
       EXPECT_TRUE(area.Styled());
       EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
       EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(Qt::black));
       EXPECT_EQ(edit->geometry(), QRect(20, 20, 560, 360));
     }},
};

class PropertyLists : public HostTest, public testing::WithParamInterface<ListCase> {};

TEST_P(PropertyLists, ValuesLandInTheWidgets) {
  Ref<RectControl> control;
  Open(596, 532, [&](Host& h) { control = GetParam().make(h); });
  ASSERT_NE(control, nullptr);
  GetParam().check(*host, *control);
}

INSTANTIATE_TEST_SUITE_P(Classes, PropertyLists, testing::ValuesIn(kListCases),
                         [](const testing::TestParamInfo<ListCase>& info) { return info.param.name; });

// A list that does not fit its object fails with a RuntimeException that says why; what it
// set before stays set.
TEST(PropertyListErrors, AreRuntimeExceptionsThatNameTheFault) {
  struct Case {
    const char* name;
    ClassRecord* record;
    std::string list;
    const char* says;
  };
  const std::string valueAsInteger = std::string("Name \0\0\0\x01x", 10) + std::string("Value \0\0\0\x01", 10) +
                                     std::string("Caption \0\0\0\x01y", 13);
  const std::vector<Case> cases = {
      {"CaptionOfAProgressBar", ProgressBar::GetClass(),
       std::string("Name \0\0\0\x01x", 10) + std::string("Caption \0\0\0\x01y", 13), "Caption"},
      {"ValueOfALabel", Label::GetClass(), std::string("Name \0\0\0\x01x", 10) + std::string("Value \x01", 7),
       "Value"},
      {"CheckBoxValueWrittenAsAnInteger", CheckBox::GetClass(), valueAsInteger, "no property"},
      {"TextUnitInAList", TextArea::GetClass(),
       std::string("Name \0\0\0\x01x", 10) + std::string("TextUnit \0\0\0\0", 13), "lists do not hold"},
      {"TextCutShort", Label::GetClass(), std::string("Name \0\0\0\x01x", 10) + std::string("Text \0\0\0\x09" "D", 10),
       "cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ref<Control> control = RuntimeCheckCast<Control>(RuntimeNewObject(c.record));
    try {
      RuntimeMassPropertySetter(control, c.list);
      ADD_FAILURE() << "no exception";
    } catch (const RuntimeException& error) {
      EXPECT_NE(error.Message().find(c.says), std::string::npos) << error.Message();
    }
    EXPECT_EQ(control->Name(), "x");
  }
}

// ---- The main window's layout: containers, painting, keys ---------------------------------

// The options group with two of its boxes, the buttons, and the first row of the progress
// panel, as the main window's lists build them.
class MainLayout : public HostTest {
 protected:
  void SetUp() override {
    Open(596, 532, [](Host& h) {
      h.Make<GroupBox>("GroupBox1", Bytes(kGroupBox1));
      h.Make<CheckBox>("CheckBox2", Bytes(kCheckBox2));
      h.Make<PushButton>("BtnQuitter", Bytes(kBtnQuitter));
      h.Make<ProgressBar>("ProgressBar1", Bytes(kProgressBar1));
      h.Make<Line>("Line1", Bytes(kLine1));
      h.Make<Rectangle>("Rectangle1", Bytes(kRectangle1));
      h.Make<Label>("NomDossier2", Bytes(kNomDossier2));
      h.Make<Line>("Line9", Bytes(kLine9));
      h.Make<Label>("NomDossier", Bytes(kNomDossier));
      h.Make<Label>("NomDossier1", Bytes(kNomDossier1));
      h.Make<PushButton>("BtnDemarrer", Bytes(kBtnDemarrer));
    });
  }
};

TEST_F(MainLayout, ContainedControlsKeepWindowCoordinates) {
  const Ref<CheckBox> box = host->Get<CheckBox>("CheckBox2");
  const Ref<GroupBox> group = host->Get<GroupBox>("GroupBox1");
  EXPECT_EQ(box->Widget()->parentWidget(), group->Widget());
  EXPECT_EQ(box->Widget()->pos(), QPoint(9, 84));  // relative to the group box
  EXPECT_EQ(host->InWindow(box), QPoint(29, 104));
  EXPECT_EQ(box->Left(), 29);
  EXPECT_EQ(box->Top(), 104);
  EXPECT_TRUE(box->Widget()->isVisible());

  // The caption twins stand at the same place, one on the window, one inside the rectangle.
  const Ref<Label> inside = host->Get<Label>("NomDossier2");
  const Ref<Label> outside = host->Get<Label>("NomDossier1");
  EXPECT_EQ(inside->Widget()->parentWidget(), host->Get<Rectangle>("Rectangle1")->Widget());
  EXPECT_EQ(outside->Widget()->parentWidget(), host->Content());
  EXPECT_EQ(host->InWindow(inside), host->InWindow(outside));
  EXPECT_EQ(host->InWindow(inside), QPoint(35, 326));
  EXPECT_EQ(inside->Widget()->size(), QSize(148, 20));

  // Set anew, a contained control's place is still given in window coordinates.
  box->SetTop(146);
  EXPECT_EQ(host->InWindow(box), QPoint(29, 146));
}

TEST_F(MainLayout, AContainerTakesWhatItContainsAlong) {
  const Ref<CheckBox> box = host->Get<CheckBox>("CheckBox2");
  host->Get<GroupBox>("GroupBox1")->SetLeft(50);
  EXPECT_EQ(box->Left(), 59);
  EXPECT_EQ(host->InWindow(box), QPoint(59, 104));
}

TEST_F(MainLayout, InitialParentNamesAControlOfTheSameWindow) {
  const Ref<Label> label = host->Get<Label>("NomDossier");
  try {
    label->SetInitialParent("Nulle part");
    ADD_FAILURE() << "no exception";
  } catch (const RuntimeException& error) {
    EXPECT_NE(error.Message().find("Nulle part"), std::string::npos) << error.Message();
  }
  EXPECT_EQ(label->InitialParent(), "");
  EXPECT_EQ(label->Widget()->parentWidget(), host->Content());
  EXPECT_THROW(host->Get<GroupBox>("GroupBox1")->SetInitialParent("CheckBox2"), RuntimeException)
      << "a container inside what it contains";

  // Moved into a container and back, it stays where its window coordinates say.
  label->SetInitialParent("Rectangle1");
  EXPECT_EQ(label->Widget()->parentWidget(), host->Get<Rectangle>("Rectangle1")->Widget());
  EXPECT_EQ(host->InWindow(label), QPoint(222, 326));
  label->SetInitialParent("");
  EXPECT_EQ(label->Widget()->parentWidget(), host->Content());
  EXPECT_EQ(label->Container(), nullptr);
  EXPECT_EQ(host->InWindow(label), QPoint(222, 326));
}

TEST_F(HostTest, AnInitialParentSetBeforeRegistrationTakesEffectThen) {
  Open(300, 200, [](Host& h) {
    h.Make<GroupBox>("Group", Bytes(kGroupBox1));
    const Ref<CheckBox> box = RuntimeCheckCast<CheckBox>(h.__New(CheckBox::GetClass()));
    box->SetLeft(40), box->SetTop(50);
    box->SetInitialParent("Group");
    h._AddControl("Box", box);
    box->AttachToWindow(h, h.Content());
  });
  const Ref<CheckBox> box = host->Get<CheckBox>("Box");
  EXPECT_EQ(box->Widget()->parentWidget(), host->Get<GroupBox>("Group")->Widget());
  EXPECT_EQ(host->InWindow(box), QPoint(40, 50));
}

TEST_F(MainLayout, LinesRectangleAndLabelsPaintWhereTheyShould) {
  const QImage image = host->Content()->grab().toImage();
  const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
  EXPECT_EQ(image.pixel(400, 351), black) << "Line1";
  EXPECT_NE(image.pixel(400, 352), black) << "Line1 is one thick";
  EXPECT_NE(image.pixel(400, 350), black);
  EXPECT_NE(image.pixel(580, 351), black) << "Line1 ends at 574";
  EXPECT_EQ(image.pixel(100, 351), white) << "Line9, white across the black rectangle";
  EXPECT_EQ(image.pixel(30, 420), black) << "Rectangle1's fill";
  // A transparent caption shows the rectangle through; the opaque value label shows the
  // window's colour where it has no text.
  EXPECT_EQ(image.pixel(180, 328), black) << "NomDossier2";
  const QColor windowColour = host->Get<Label>("NomDossier")->Widget()->palette().color(QPalette::Window);
  EXPECT_EQ(image.pixel(425, 344), windowColour.rgb()) << "NomDossier";
}

// ---- Events -------------------------------------------------------------------------------

// Stands for a window whose handler the buttons are bound to.
struct Target : Object {
  std::vector<Ref<PushButton>> pressed;
  String failWith;
  static void OnAction(Target& self, const Ref<PushButton>& button) {
    self.pressed.push_back(button);
    if (!self.failWith.empty()) throw IOException(13, self.failWith);
  }
};
using ActionRoutines = HandlerRoutines<Target, PushButton>;

void BindAction(const Ref<PushButton>& button, Target& target) {
  RuntimeAddEventHandler(button, 15, &ActionRoutines::Dispatch,
                         RuntimeCreateDelegate(CodeOf(&ActionRoutines::Invoke), CodeOf(&Target::OnAction), &target,
                                               "( PushButton )", 1));
}

class Buttons : public MainLayout {
 protected:
  void SetUp() override {
    MainLayout::SetUp();
    start = host->Get<PushButton>("BtnDemarrer");
    quit = host->Get<PushButton>("BtnQuitter");
    BindAction(start, startTarget);
    BindAction(quit, quitTarget);
    host->QtWindow()->activateWindow();
    RunEventLoop();
  }
  void TearDown() override {
    startTarget.pressed.clear();
    quitTarget.pressed.clear();
    MainLayout::TearDown();
  }
  // A key goes where the window system sends it: to the widget that has the focus, else to
  // the window.
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    fixtures::PostKey(host->QtWindow(), key, modifiers);
  }

  Ref<PushButton> start, quit;
  Target startTarget, quitTarget;
};

TEST_F(Buttons, AClickOrPushRaisesActionForTheBoundHandler) {
  start->Push();
  ASSERT_EQ(startTarget.pressed.size(), 1u);
  EXPECT_EQ(startTarget.pressed[0], start);
  EXPECT_TRUE(quitTarget.pressed.empty());

  QWidget* widget = quit->Widget();
  fixtures::PostClick(widget, QPointF(widget->width() / 2.0, widget->height() / 2.0));
  RunEventLoop();
  ASSERT_EQ(quitTarget.pressed.size(), 1u);
  EXPECT_EQ(quitTarget.pressed[0], quit);
  EXPECT_EQ(startTarget.pressed.size(), 1u);
}

TEST_F(Buttons, AnExceptionOfAHandlerIsReportedAndGoesNoFurther) {
  ScriptedInteraction user;
  startTarget.failWith = "disque plein";
  EXPECT_NO_THROW(start->Push());
  EXPECT_EQ(startTarget.pressed.size(), 1u);
  ASSERT_EQ(user.messages.size(), 1u);
  EXPECT_NE(user.messages[0].find("disque plein"), std::string::npos) << user.messages[0];
  start->Push();  // the button goes on working
  EXPECT_EQ(startTarget.pressed.size(), 2u);
}

TEST(ButtonEvents, AnUnboundButtonRaisesNothing) {
  const Ref<PushButton> loose = RuntimeCheckCast<PushButton>(RuntimeNewObject(PushButton::GetClass()));
  EXPECT_NO_THROW(loose->Push());
  EXPECT_FALSE(loose->RaiseEvent("Action"));
}

// An error of the platform's own code between Qt and a handler is told as a handler's is, and
// never reaches Qt: a click on a button whose class has no Action event, a menu item whose
// own Action fails with something that is no C++ error at all.
TEST(QtCallbacks, AnErrorOutsideAHandlerIsToldAndGoesNoFurther) {
  ScriptedInteraction user;
  const Ref<PushButton> button = RuntimeCheckCast<PushButton>(RuntimeNewObject(PushButton::GetClass()));
  button->SetRecord(Label::GetClass());
  EXPECT_NO_THROW(static_cast<QPushButton*>(button->Widget())->click());

  using ActionImplementation = void (*)(MenuItem&);
  const ActionImplementation failing = [](MenuItem&) { throw 42; };
  static ClassRecord* const failingItem = BuildClassRecord(
      {.name = "FailingItem", .parent = MenuItem::GetClass(), .implementations = {{"Action", CodeOf(failing)}}});
  const Ref<MenuItem> bar = RuntimeCheckCast<MenuItem>(RuntimeNewObject(MenuBar::GetClass()));
  const Ref<MenuItem> menu = RuntimeCheckCast<MenuItem>(RuntimeNewObject(MenuItem::GetClass()));
  const Ref<MenuItem> item = RuntimeCheckCast<MenuItem>(RuntimeNewObject(failingItem));
  item->SetName("Failing");
  item->SetText("Échoue");
  item->SetAutoEnable(true);
  menu->SetText("Menu");
  MenuItemOperations::Append(*menu, item);
  MenuItemOperations::Append(*bar, menu);
  QMainWindow window;
  InstallMenuBar(&window, RuntimeCheckCast<MenuBar>(bar));
  QAction* action = window.menuWidget()->findChild<QAction*>("Failing");
  ASSERT_NE(action, nullptr);
  EXPECT_NO_THROW(action->trigger());

  EXPECT_EQ(user.messages, (std::vector<std::string>{"Une erreur inattendue s'est produite : no event Action in class Label",
                                                     "Une erreur inattendue s'est produite : erreur inconnue"}));
}

// Return and Space press the button that has the focus, default or not; Return and Enter
// press the default button where no button has the focus. Esc presses no button: a main
// window is no dialog, and its cancel button is pressed as the other buttons are.
TEST_F(Buttons, ReturnPressesTheFocusedButtonElseTheDefaultOneAndEscNone) {
  ASSERT_EQ(QApplication::activeWindow(), host->QtWindow());
  quit->Widget()->setFocus();
  Key(Qt::Key_Return);
  RunEventLoop();
  Key(Qt::Key_Space);
  RunEventLoop();
  EXPECT_EQ(quitTarget.pressed.size(), 2u);
  EXPECT_TRUE(startTarget.pressed.empty());

  start->Widget()->setFocus();
  Key(Qt::Key_Return);
  RunEventLoop();
  EXPECT_EQ(startTarget.pressed.size(), 1u);

  start->Widget()->clearFocus();
  ASSERT_EQ(QApplication::focusWidget(), nullptr);
  Key(Qt::Key_Return);
  RunEventLoop();
  Key(Qt::Key_Enter, Qt::KeypadModifier);
  RunEventLoop();
  EXPECT_EQ(startTarget.pressed.size(), 3u);
  EXPECT_EQ(quitTarget.pressed.size(), 2u);

  for (QWidget* focus : {static_cast<QWidget*>(nullptr), quit->Widget(), start->Widget()}) {
    if (focus) focus->setFocus();
    Key(Qt::Key_Escape);
    RunEventLoop();
  }
  EXPECT_EQ(quitTarget.pressed.size(), 2u) << "Esc pressed the cancel button";
  EXPECT_EQ(startTarget.pressed.size(), 3u);

  // A disabled default button, as during a run, is not pressed; nor one that is no longer default.
  start->Widget()->clearFocus();
  start->SetEnabled(false);
  Key(Qt::Key_Return);
  RunEventLoop();
  start->SetEnabled(true);
  start->SetDefault(false);
  Key(Qt::Key_Return);
  RunEventLoop();
  EXPECT_EQ(startTarget.pressed.size(), 3u);
}

TEST_F(Buttons, DuringARunEscIsTheStopKeyAndStillPressesNothing) {
  SetInteraction(nullptr);  // the real stop key
  ManualTicks ticks;
  while (TakeEscapePress()) {
  }
  Key(Qt::Key_Escape);
  ticks.LetTheEventLoopRun();
  EXPECT_TRUE(TakeEscapePress());
  EXPECT_TRUE(quitTarget.pressed.empty());

  Key(Qt::Key_Escape);  // after the run, no stop and no button
  RunEventLoop();
  EXPECT_FALSE(TakeEscapePress());
  EXPECT_TRUE(quitTarget.pressed.empty());
}

// A button disabled while it has the focus, or by a handler of its own Action (the Start
// button during a run, however it was pressed), takes the focus when it is enabled again.
TEST_F(Buttons, AButtonDisabledWithTheFocusOrByItsOwnActionTakesTheFocusWhenEnabled) {
  start->Widget()->setFocus();
  start->SetEnabled(false);
  EXPECT_NE(QApplication::focusWidget(), start->Widget());
  start->SetEnabled(true);
  EXPECT_EQ(QApplication::focusWidget(), start->Widget());

  quit->Widget()->setFocus();  // disabled and enabled by others, without the focus: it stays put
  start->SetEnabled(false);
  start->SetEnabled(true);
  EXPECT_EQ(QApplication::focusWidget(), quit->Widget());

  struct Task : Object {
    static void Run(Task&, const Ref<PushButton>& button) { button->SetEnabled(false); }
  } task;
  using Routines = HandlerRoutines<Task, PushButton>;
  RuntimeAddEventHandler(start, 15, &Routines::Dispatch,
                         RuntimeCreateDelegate(CodeOf(&Routines::Invoke), CodeOf(&Task::Run), &task, "( PushButton )", 1));
  start->Push();  // as Return pressed elsewhere does
  EXPECT_EQ(QApplication::focusWidget(), quit->Widget());
  start->SetEnabled(true);
  EXPECT_EQ(QApplication::focusWidget(), start->Widget());
}

// The default button is outlined; the focused button shows a dotted frame inside and keeps
// its outline: the two never look alike.
TEST_F(Buttons, TheFocusedButtonAndTheDefaultButtonLookDifferent) {
  if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
  const QImage plainQuit = quit->Widget()->grab().toImage();
  const QImage defaultStart = start->Widget()->grab().toImage();
  quit->Widget()->setFocus();
  RunEventLoop();
  ASSERT_TRUE(quit->Widget()->hasFocus());
  const QImage focusedQuit = quit->Widget()->grab().toImage();

  const int middle = plainQuit.height() / 2;
  // The outline: the left edge, half way down.
  auto edge = [&](const QImage& image) {
    for (int x = 0; x < 3; ++x)
      if (QColor(image.pixel(x, middle)).value() < 200) return image.pixel(x, middle);
    return image.pixel(0, middle);
  };
  EXPECT_EQ(edge(focusedQuit), edge(plainQuit)) << "the focus changed the outline";
  EXPECT_NE(edge(defaultStart), edge(plainQuit)) << "the default button is not outlined";
  // The dotted frame: dark dots along a row inside the top edge that the plain button has not.
  int dots = 0;
  for (int x = 4; x < plainQuit.width() - 4; ++x)
    if (QColor(focusedQuit.pixel(x, 3)).value() + 60 < QColor(plainQuit.pixel(x, 3)).value()) ++dots;
  EXPECT_GT(dots, plainQuit.width() / 4);
  EXPECT_LT(dots, plainQuit.width() - 8) << "a frame of dots, not a line";
}

// ---- Locks --------------------------------------------------------------------------------

constexpr auto kLockedAll = pl::Compile([] {
  return std::array{pl::Integer("Left", 20), pl::Integer("Top", 20), pl::Integer("Width", 560),
                    pl::Integer("Height", 360), pl::Boolean("LockLeft", true), pl::Boolean("LockTop", true),
                    pl::Boolean("LockRight", true), pl::Boolean("LockBottom", true)};
});
constexpr auto kLockedTopLeft = pl::Compile([] {
  return std::array{pl::Integer("Left", 10), pl::Integer("Top", 10), pl::Integer("Width", 50),
                    pl::Integer("Height", 20), pl::Boolean("LockLeft", true), pl::Boolean("LockTop", true),
                    pl::Boolean("LockRight", false), pl::Boolean("LockBottom", false)};
});
constexpr auto kLockedBottomRight = pl::Compile([] {
  return std::array{pl::Integer("Left", 500), pl::Integer("Top", 360), pl::Integer("Width", 80),
                    pl::Integer("Height", 20), pl::Boolean("LockLeft", false), pl::Boolean("LockTop", false),
                    pl::Boolean("LockRight", true), pl::Boolean("LockBottom", true)};
});

// Locked edges keep their distance to the window's edges from the built window on, whatever
// the order in which the window got its size and its controls.
TEST_F(HostTest, LockedEdgesKeepTheirDistanceToTheWindowsEdges) {
  Open(600, 400, [](Host& h) {
    h.SetWidth(100), h.SetHeight(100);
    h.Make<TextArea>("TextArea1", Bytes(kLockedAll));
    h.Make<PushButton>("Still", Bytes(kLockedTopLeft));
    h.Make<PushButton>("Corner", Bytes(kLockedBottomRight));
    h.SetWidth(600), h.SetHeight(400);  // the window's size comes after its controls
  });
  const Ref<TextArea> area = host->Get<TextArea>("TextArea1");
  const Ref<PushButton> still = host->Get<PushButton>("Still");
  const Ref<PushButton> corner = host->Get<PushButton>("Corner");
  EXPECT_EQ(area->Widget()->geometry(), QRect(20, 20, 560, 360));

  host->SetWidth(800), host->SetHeight(500);
  EXPECT_EQ(area->Widget()->geometry(), QRect(20, 20, 760, 460));
  EXPECT_EQ(area->Width(), 760);
  EXPECT_EQ(still->Widget()->geometry(), QRect(10, 10, 50, 20));
  EXPECT_EQ(corner->Widget()->geometry(), QRect(700, 460, 80, 20));

  // As the user resizes the window by its frame.
  host->QtWindow()->resize(500, 300 + (host->QtWindow()->height() - host->Content()->height()));
  RunEventLoop();
  ASSERT_EQ(host->Content()->size(), QSize(500, 300));
  EXPECT_EQ(area->Widget()->geometry(), QRect(20, 20, 460, 260));
  EXPECT_EQ(corner->Widget()->geometry(), QRect(400, 260, 80, 20));
}

// ---- Text area ----------------------------------------------------------------------------

TEST(TextAreaText, IsGivenBackAsSetAndShownLineByLine) {
  const Ref<TextArea> area = New<TextArea>();
  auto* edit = static_cast<QTextEdit*>(area->Widget());
  struct Case {
    String text;
    QString shown;
  };
  for (const Case& c : {Case{"", ""}, Case{"une ligne", "une ligne"}, Case{"a\r\rb\r", "a\n\nb\n"},
                        Case{"fin \r - é", "fin \n - é"}, Case{"crlf\r\nlf\n", "crlf\nlf\n"}}) {
    area->SetText(c.text);
    EXPECT_EQ(area->Text(), c.text);
    EXPECT_EQ(edit->toPlainText(), c.shown) << c.text;
  }
}

}  // namespace
