// The main window as its user meets it: captions whole whatever the desktop's font, a place on
// the screen, a keyboard that starts at "Démarrer" and comes back to it, and an Edition menu
// that offers only what can be done.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>

#include <optional>
#include <string>
#include <vector>

#include "shell/help_window.h"
#include "shell/main_window.h"
#include "tests/support/event_loop.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_interaction.h"

using namespace platform;
using fixtures::RunEventLoop;

namespace {

QWidget* WidgetOf(Window1& window, const char* name) {
  return RuntimeCheckCast<RectControl>(window._ControlByName(name))->Widget();
}

// ---- Fonts --------------------------------------------------------------------------------

// What a caption needs against the room that its control's style leaves it.
struct Room {
  std::string control;
  int need, have;
};

// The row of the group's top frame line, as drawn: the first row, half way across, that
// differs from the window's background; the group's height when there is none.
int FrameLineRow(QGroupBox& group) {
  const QImage image = group.grab().toImage();
  const int x = image.width() / 2;
  const QRgb background = image.pixel(x, 0);
  for (int y = 1; y < image.height(); ++y)
    if (image.pixel(x, y) != background) return y;
  return image.height();
}

std::vector<Room> CaptionRooms(Window1& window) {
  std::vector<Room> rooms;
  for (const Ref<Control>& control : window.Controls()) {
    QWidget* widget = RuntimeCheckCast<RectControl>(control)->Widget();
    const QFontMetrics metrics(widget->font());
    const QStyle* style = widget->style();
    const std::string name = control->Name();
    auto add = [&](const QString& text, int have) {
      if (!text.isEmpty()) rooms.push_back({name, metrics.horizontalAdvance(text), have});
      rooms.push_back({name + " (height)", metrics.height(), widget->height()});
    };
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
      QStyleOptionButton option;
      option.initFrom(box);
      option.text = box->text();
      add(box->text(), style->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width());
      const QRect mark = style->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
      rooms.push_back({name + " (mark)", mark.height(), box->height() - std::max(0, mark.top())});
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = button->text();
      if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
      add(button->text(), style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      add(label->text(), label->contentsRect().width());
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      QStyleOptionGroupBox option;
      option.initFrom(group);
      option.text = group->title();
      option.lineWidth = 1;
      option.textAlignment = Qt::AlignLeft;
      option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
      const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
      add(group->title(), group->width() - title.left());
      // The first check box stands 21 below the group's top: the title and the frame's top
      // line lie above it, the line with a clear row between.
      const int firstBox = window.TablesVides()->Top() - window.GroupBox1()->Top();
      rooms.push_back({name + " (title above the boxes)", title.bottom() + 1, firstBox});
      rooms.push_back({name + " (frame above the boxes)", FrameLineRow(*group) + 2, firstBox});
    }
  }
  return rooms;
}

// At rest the window is 246 high and the run's line, 242 to 262, shows its first 4 rows
// under the buttons: none of its text may show there.
int InkInTheRowsShownAtRest(Window1& window) {
  const QImage image = window.Label1()->Widget()->grab().toImage();
  const int shown = kHeightAtRest - window.Label1()->Top();
  const int background = QColor(image.pixel(image.width() - 1, 0)).value();
  int ink = 0;
  for (int y = 0; y < shown; ++y)
    for (int x = 0; x < image.width(); ++x) ink += QColor(image.pixel(x, y)).value() + 24 < background;
  return ink;
}

// Whatever font the desktop gives the application (Qt's own, a desktop's 10 or 11 point
// font, a large bold one), every caption, label and button text fits wholly inside its
// control with the check box's mark, and the controls' font stays the same.
TEST(MainWindowFonts, EveryCaptionFitsItsControlWhateverTheDesktopsFont) {
  const QFont desktop = QApplication::font();
  QFont big(QStringLiteral("DejaVu Serif"), 14);
  big.setBold(true);
  std::optional<QFont> reference;
  for (const QFont& font : {desktop, QFont(QStringLiteral("DejaVu Sans"), 10), QFont(QStringLiteral("DejaVu Sans"), 11),
                            QFont(QStringLiteral("Liberation Sans"), 11), big}) {
    SCOPED_TRACE(font.toString().toStdString());
    QApplication::setFont(font);
    const Ref<Window1> window = ImplicitWindow1();
    RunEventLoop();
    for (const Room& room : CaptionRooms(*window)) EXPECT_LE(room.need, room.have) << room.control;
    EXPECT_EQ(InkInTheRowsShownAtRest(*window), 0) << "the run's line shows under the buttons at rest";
    const QFont shown = WidgetOf(*window, "TablesVides")->font();
    if (!reference) reference = shown;
    EXPECT_EQ(shown, *reference);
    window->Close();
  }
  QApplication::setFont(desktop);
}

// ---- Place --------------------------------------------------------------------------------

TEST(MainWindowPlace, OpensCentredOnTheScreenAtItsRestingHeight) {
  const Ref<Window1> window = ImplicitWindow1();
  RunEventLoop();
  QMainWindow* shown = window->QtWindow();
  const QRect area = shown->screen()->availableGeometry();
  const QRect frame = shown->frameGeometry();
  EXPECT_EQ(shown->centralWidget()->height(), kHeightAtRest);
  EXPECT_TRUE(area.contains(frame));
  const QPoint offset = frame.center() - area.center();
  EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
  window->Close();
}

// ---- Keyboard -----------------------------------------------------------------------------

class MainWindowKeys : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::fs::create_directories(root);
    user.folder = root.string();
    user.resultFile = (temp / "resultat.txt").string();
    window = ImplicitWindow1();
    window->QtWindow()->activateWindow();
    RunEventLoop();
  }
  void TearDown() override {
    window->Close();
    RuntimeInit();  // should a key have quit, the next tests still find the application going
  }
  // A key goes where the window system sends it: to the widget that has the focus.
  void Key(int key) {
    fixtures::PostKey(window->QtWindow(), key);
    RunEventLoop();
  }
  QWidget* Focus() const { return window->QtWindow()->focusWidget(); }
  bool AnyBoxChecked() {
    for (const Ref<CheckBox>& box : {window->TablesVides(), window->NomsRubriques(), window->AfficheInfo(),
                                     window->Recursif(), window->CopieBase()})
      if (box->Value()) return true;
    return false;
  }

  fixtures::TempDir temp;
  fixtures::fs::path root = temp / "racine";
  ScriptedInteraction user;
  Ref<Window1> window;
};

// The keyboard starts at "Démarrer": Space at once starts a run and ticks no option. After
// each end of a run, early or not, the keyboard is back at "Démarrer".
TEST_F(MainWindowKeys, StartAtDemarrerAndComeBackToItAfterEachRun) {
  QWidget* start = window->BtnDemarrer()->Widget();
  EXPECT_EQ(Focus(), start);
  user.folder = std::nullopt;  // the folder dialog cancelled
  Key(Qt::Key_Space);
  EXPECT_EQ(user.messages, std::vector<std::string>{"Choix du dossier annulé par l'utilisateur"});
  EXPECT_FALSE(AnyBoxChecked());
  EXPECT_EQ(Focus(), start);

  user.folder = root.string();
  window->TablesVides()->Widget()->setFocus();  // Return elsewhere presses the default button
  Key(Qt::Key_Return);
  ASSERT_EQ(user.messages.size(), 2u);
  EXPECT_EQ(user.messages[1], "Traitement terminé !");
  EXPECT_EQ(Focus(), start);
  EXPECT_EQ(window->Height(), kHeightAtRest);
}

// Return presses the button that has the focus; Esc at rest does nothing at all: Esc (stop),
// Esc (the closing message), Esc must not end the program.
TEST_F(MainWindowKeys, ReturnPressesTheFocusedButtonAndEscAtRestNothing) {
  window->BtnAide()->Widget()->setFocus();
  Key(Qt::Key_Return);
  EXPECT_NE(RuntimeGetImplicitWindow("AideW.AideW"), nullptr) << "Return did not press Aide ?";
  EXPECT_TRUE(user.messages.empty()) << "Return started a run";
  if (const Ref<Window> help = RuntimeGetImplicitWindow("AideW.AideW")) help->Close();

  for (const char* focused : {"BtnQuitter", "BtnDemarrer", "TablesVides"}) {
    WidgetOf(*window, focused)->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(RuntimeQuitting()) << "Esc on " << focused << " quits";
  }
  EXPECT_EQ(RuntimeGetImplicitWindow("Window1.Window1"), window);
  EXPECT_TRUE(user.messages.empty());
  EXPECT_FALSE(AnyBoxChecked());
}

// ---- Edition ------------------------------------------------------------------------------

// The six editing items are enabled only while the focused control can take them: never on
// the main window's buttons and boxes; copy and select-all on the help text, which is
// read-only; and there they act.
TEST(MainWindowEdition, TheEditItemsFollowWhatTheFocusedControlCanDo) {
  const Ref<Window1> window = ImplicitWindow1();
  window->QtWindow()->activateWindow();
  RunEventLoop();
  QApplication::clipboard()->setText(QStringLiteral("à coller"));
  auto* bar = qobject_cast<QMenuBar*>(window->QtWindow()->menuWidget());
  ASSERT_NE(bar, nullptr);
  const char* names[] = {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"};
  auto action = [&](const char* name) { return bar->findChild<QAction*>(name); };
  auto enabled = [&] {
    std::string shown;
    for (const char* name : names) shown += action(name)->isEnabled() ? '1' : '0';
    return shown;
  };
  EXPECT_EQ(enabled(), "000000");
  EXPECT_TRUE(action("FileQuit")->isEnabled());

  window->BtnAide()->Push();
  const Ref<AideW> help = ImplicitAideW();
  help->QtWindow()->activateWindow();
  RunEventLoop();
  ASSERT_EQ(QApplication::focusWidget(), help->TextArea1()->Widget()) << "the help window opens with its text focused";
  EXPECT_EQ(enabled(), "000001");
  action("EditSelectAll")->trigger();
  EXPECT_EQ(enabled(), "001001");
  action("EditCopy")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(),
            QString::fromUtf8(kAideWHelpText.data(), kAideWHelpText.size()).replace(QChar('\r'), QChar('\n')));
  help->Close();
  window->Close();
}

}  // namespace
