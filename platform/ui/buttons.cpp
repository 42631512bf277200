// GroupBox, CheckBox and PushButton.
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QStyleOption>

#include <utility>

#include "platform/text/qt_text.h"
#include "platform/ui/application.h"
#include "platform/ui/control_parts.h"

namespace platform {

// ---- GroupBox -----------------------------------------------------------------------------

ClassRecord* GroupBox::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "GroupBox",
      .parent = RectControl::GetClass(),
      .properties = Joined(
          {MakeProperty<&GroupBox::Caption, &GroupBox::SetCaption>("Caption")},
          FontProperties()),
      .make = &MakeObject<GroupBox>,
  });
  return record;
}

GroupBox::GroupBox() : TextControl(NewWidget<QGroupBox>()) { SetRecord(GetClass()); }

void GroupBox::SetCaption(const String& caption) {
  RequireUIThread();
  caption_ = caption;
  static_cast<QGroupBox*>(Widget())->setTitle(ToQString(caption));
}

// ---- CheckBox -----------------------------------------------------------------------------

ClassRecord* CheckBox::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "CheckBox",
      .parent = RectControl::GetClass(),
      .properties = Joined(
          {
              MakeProperty<&CheckBox::Caption, &CheckBox::SetCaption>("Caption"),
              MakeEnumerationProperty<&CheckBox::State, &CheckBox::SetState>("State", "State"),
              MakeProperty<&CheckBox::Value, &CheckBox::SetValue>("Value"),
              MakeProperty<&CheckBox::DataSource, &CheckBox::SetDataSource>("DataSource"),
              MakeProperty<&CheckBox::DataField, &CheckBox::SetDataField>("DataField"),
          },
          FontProperties()),
      .make = &MakeObject<CheckBox>,
  });
  return record;
}

CheckBox::CheckBox() : TextControl(NewWidget<QCheckBox>()) {
  SetRecord(GetClass());
  auto* box = static_cast<QCheckBox*>(Widget());
  // The indeterminate state is set by code only: a click on it checks the box, and later
  // clicks only check and uncheck it.
  QObject::connect(box, &QCheckBox::stateChanged, box, [box](int state) {
    if (state != Qt::PartiallyChecked) box->setTristate(false);
  });
}

bool CheckBox::Value() const {
  RequireUIThread();
  return static_cast<QCheckBox*>(Widget())->checkState() == Qt::Checked;
}
void CheckBox::SetValue(bool checked) {
  RequireUIThread();
  static_cast<QCheckBox*>(Widget())->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

std::int32_t CheckBox::State() const {
  RequireUIThread();
  switch (static_cast<QCheckBox*>(Widget())->checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}
void CheckBox::SetState(std::int32_t state) {
  RequireUIThread();
  static_cast<QCheckBox*>(Widget())->setCheckState(state == 1   ? Qt::Checked
                                                   : state == 2 ? Qt::PartiallyChecked
                                                                : Qt::Unchecked);
}

void CheckBox::SetCaption(const String& caption) {
  RequireUIThread();
  caption_ = caption;
  static_cast<QCheckBox*>(Widget())->setText(ToQString(caption));
}

// ---- PushButton ---------------------------------------------------------------------------

ClassRecord* PushButton::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "PushButton",
      .parent = RectControl::GetClass(),
      .events = {"Action", "MouseDown", "MouseDrag", "MouseUp"},
      .properties = Joined(
          {
              MakeProperty<&PushButton::Caption, &PushButton::SetCaption>("Caption"),
              MakeProperty<&PushButton::Default, &PushButton::SetDefault>("Default"),
              MakeProperty<&PushButton::Cancel, &PushButton::SetCancel>("Cancel"),
              MakeEnumerationProperty<&PushButton::ButtonStyle, &PushButton::SetButtonStyle>("ButtonStyle",
                                                                                              "ButtonStyle"),
          },
          FontProperties()),
      .make = &MakeObject<PushButton>,
  });
  return record;
}

namespace {

bool IsReturn(const QKeyEvent* key) {
  return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
         (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Return and Enter press the button that has the keyboard focus, as Space does; the default
// button's keys answer them only where no button has it. (A focused button sees the key
// before the window's shortcuts: taking its override keeps them from answering it.)
class FocusedButtonKeys : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!IsReturn(key)) return false;
    event->accept();
    if (type == QEvent::KeyPress && !key->isAutoRepeat()) static_cast<QAbstractButton*>(watched)->click();
    return true;
  }
};

// The underlying style outlines the focused button as it outlines the default one. Here the
// outline is the default button's alone, and the keyboard focus is a dotted frame inside the
// button, drawn whichever way the focus came there: the window opens with the focus on a
// button, and Space and Return go to it.
class ButtonStyle : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_PushButton || !button) return QProxyStyle::drawControl(element, option, painter, widget);
    QStyleOptionButton unfocused = *button;
    unfocused.state &= ~State_HasFocus;
    QProxyStyle::drawControl(element, &unfocused, painter, widget);
    if (!(button->state & State_HasFocus)) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(button->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(button->rect.adjusted(3, 3, -4, -4));  // 3 pixels inside the edges
    painter->restore();
  }
};

QStyle* SharedButtonStyle() {
  static QPointer<ButtonStyle> style;
  if (!style) {
    style = new ButtonStyle;
    style->setParent(QCoreApplication::instance());  // goes with the application that it serves
  }
  return style;
}

}  // namespace

PushButton::PushButton() : TextControl(NewWidget<QPushButton>()) {
  SetRecord(GetClass());
  auto* button = static_cast<QPushButton*>(Widget());
  button->setAutoDefault(false);  // only the default button is drawn and pressed as such
  button->setStyle(SharedButtonStyle());
  button->installEventFilter(new FocusedButtonKeys(button));
  QObject::connect(button, &QAbstractButton::clicked, button, [this] {
    RuntimeRunApplicationCode([this] {
      const Ref<PushButton> keep(this);  // a handler may drop the last other reference
      const bool outer = std::exchange(inAction_, true);
      struct Restore {
        bool& inAction;
        bool outer;
        ~Restore() { inAction = outer; }
      } restore{inAction_, outer};
      RaiseEvent("Action");
    });
  });
}

void PushButton::SetCaption(const String& caption) {
  RequireUIThread();
  caption_ = caption;
  static_cast<QPushButton*>(Widget())->setText(ToQString(caption));
}

void PushButton::SetDefault(bool isDefault) {
  RequireUIThread();
  default_ = isDefault;
  auto* button = static_cast<QPushButton*>(Widget());
  button->setDefault(isDefault);  // drawn as the default button
  // A shortcut of the window context answers its keys anywhere in the button's window while
  // the button is enabled, unless a focused button took them first.
  constexpr auto kName = QLatin1StringView("default keys");
  QShortcut* shortcut = button->findChild<QShortcut*>(kName, Qt::FindDirectChildrenOnly);
  if (!isDefault) {
    delete shortcut;
    return;
  }
  if (shortcut) return;
  shortcut = new QShortcut(button);
  shortcut->setObjectName(kName);
  shortcut->setKeys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
}

void PushButton::SetCancel(bool isCancel) {
  RequireUIThread();
  cancel_ = isCancel;
}

void PushButton::Push() {
  RequireUIThread();
  static_cast<QPushButton*>(Widget())->click();
}

}  // namespace platform
