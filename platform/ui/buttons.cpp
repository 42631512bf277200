// GroupBox, CheckBox and PushButton.
#include <QCheckBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

#include "platform/ui/control_parts.h"
#include "platform/ui/qt_text.h"

namespace platform {

// ---- GroupBox -----------------------------------------------------------------------------

ClassRecord* GroupBox::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "GroupBox",
      .parent = RectControl::GetClass(),
      .properties = Joined(
          {MakeProperty<PropertyKind::Text, &GroupBox::Caption, &GroupBox::SetCaption>("Caption", "s")},
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
              MakeProperty<PropertyKind::Text, &CheckBox::Caption, &CheckBox::SetCaption>("Caption", "s"),
              MakeProperty<PropertyKind::Integer, &CheckBox::State, &CheckBox::SetState>("State", "State"),
              MakeProperty<PropertyKind::Boolean, &CheckBox::Value, &CheckBox::SetValue>("Value", "b"),
              MakeProperty<PropertyKind::Text, &CheckBox::DataSource, &CheckBox::SetDataSource>("DataSource", "s"),
              MakeProperty<PropertyKind::Text, &CheckBox::DataField, &CheckBox::SetDataField>("DataField", "s"),
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
              MakeProperty<PropertyKind::Text, &PushButton::Caption, &PushButton::SetCaption>("Caption", "s"),
              MakeProperty<PropertyKind::Boolean, &PushButton::Default, &PushButton::SetDefault>("Default", "b"),
              MakeProperty<PropertyKind::Boolean, &PushButton::Cancel, &PushButton::SetCancel>("Cancel", "b"),
              MakeProperty<PropertyKind::Integer, &PushButton::ButtonStyle, &PushButton::SetButtonStyle>(
                  "ButtonStyle", "ButtonStyle"),
          },
          FontProperties()),
      .make = &MakeObject<PushButton>,
  });
  return record;
}

PushButton::PushButton() : TextControl(NewWidget<QPushButton>()) {
  SetRecord(GetClass());
  auto* button = static_cast<QPushButton*>(Widget());
  button->setAutoDefault(false);  // Return presses the window's default button, not the focused one
  QObject::connect(button, &QAbstractButton::clicked, button, [this] { RaiseEvent("Action"); });
}

void PushButton::SetCaption(const String& caption) {
  RequireUIThread();
  caption_ = caption;
  static_cast<QPushButton*>(Widget())->setText(ToQString(caption));
}

namespace {

// Turns the button's shortcut of that name on or off. A shortcut of the window context
// answers its keys anywhere in the button's window while the button is enabled; it goes
// through the application's key filters first, so the stop key can take Esc during a run.
void SetWindowKeys(QPushButton* button, const char* name, const QList<QKeySequence>& keys, bool on) {
  QShortcut* shortcut = button->findChild<QShortcut*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
  if (!on) {
    delete shortcut;
    return;
  }
  if (shortcut) return;
  shortcut = new QShortcut(button);
  shortcut->setObjectName(QLatin1String(name));
  shortcut->setKeys(keys);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
}

}  // namespace

void PushButton::SetDefault(bool isDefault) {
  RequireUIThread();
  default_ = isDefault;
  auto* button = static_cast<QPushButton*>(Widget());
  button->setDefault(isDefault);  // drawn as the default button
  SetWindowKeys(button, "default keys", {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, isDefault);
}

void PushButton::SetCancel(bool isCancel) {
  RequireUIThread();
  cancel_ = isCancel;
  SetWindowKeys(static_cast<QPushButton*>(Widget()), "cancel key", {QKeySequence(Qt::Key_Escape)}, isCancel);
}

void PushButton::Push() {
  RequireUIThread();
  static_cast<QPushButton*>(Widget())->click();
}

}  // namespace platform
