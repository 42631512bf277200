// Label and TextArea.
#include <QLabel>
#include <QMetaObject>
#include <QPalette>
#include <QTextEdit>
#include <QTextOption>

#include "platform/ui/control_parts.h"
#include "platform/text/qt_text.h"

namespace platform {

namespace {

Qt::Alignment HorizontalAlignment(std::int32_t code) {
  switch (code) {
    case 2:
      return Qt::AlignHCenter;
    case 3:
      return Qt::AlignRight;
    default:  // 0, the default, and 1
      return Qt::AlignLeft;
  }
}

void SetColour(QWidget* widget, QPalette::ColorRole role, Color color) {
  // Only this role is set on the widget; the others stay those of its parent.
  QPalette palette = widget->palette();
  palette.setColor(role, ToQColor(color));
  widget->setPalette(palette);
}

}  // namespace

// ---- Label --------------------------------------------------------------------------------

ClassRecord* Label::GetClass() {
  static ClassRecord* const record = BuildClassRecord({
      .name = "Label",
      .parent = RectControl::GetClass(),
      .properties = Joined(
          {
              MakeProperty<PropertyKind::Text, &Label::Text, &Label::SetText>("Text", "s"),
              MakeProperty<PropertyKind::Integer, &Label::TextAlign, &Label::SetTextAlign>("TextAlign", "i4"),
              MakeProperty<PropertyKind::Colour, &Label::TextColor, &Label::SetTextColor>("TextColor", "color"),
              MakeProperty<PropertyKind::Boolean, &Label::MultiLine, &Label::SetMultiLine>("MultiLine", "b"),
              MakeProperty<PropertyKind::Boolean, &Label::Selectable, &Label::SetSelectable>("Selectable", "b"),
              MakeProperty<PropertyKind::Boolean, &Label::Transparent, &Label::SetTransparent>("Transparent", "b"),
              MakeProperty<PropertyKind::Text, &Label::DataSource, &Label::SetDataSource>("DataSource", "s"),
              MakeProperty<PropertyKind::Text, &Label::DataField, &Label::SetDataField>("DataField", "s"),
          },
          FontProperties()),
      .make = &MakeObject<Label>,
  });
  return record;
}

Label::Label() : TextControl(NewWidget<QLabel>()) {
  SetRecord(GetClass());
  auto* label = static_cast<QLabel*>(Widget());
  label->setTextFormat(Qt::PlainText);  // names from databases are shown as they are
  ApplyAlignment();
  SetTransparent(transparent_);
}

const String& Label::Text() const { return text_; }

void Label::SetText(String text) {
  RequireUIThread();
  text_ = std::move(text);
  if (pending_) return;
  pending_ = true;
  // One deferred update per change burst; the widget is its context, so a label that goes
  // away takes the pending update with it.
  QMetaObject::invokeMethod(Widget(), [this] { SyncWidget(); }, Qt::QueuedConnection);
}

void Label::SyncWidget() {
  if (!pending_) return;
  pending_ = false;
  static_cast<QLabel*>(Widget())->setText(ToQString(text_));
}

void Label::ApplyAlignment() {
  static_cast<QLabel*>(Widget())->setAlignment(HorizontalAlignment(textAlign_) |
                                               (multiLine_ ? Qt::AlignTop : Qt::AlignVCenter));
}

void Label::SetTextAlign(std::int32_t align) {
  RequireUIThread();
  textAlign_ = align;
  ApplyAlignment();
}

void Label::SetTextColor(Color color) {
  RequireUIThread();
  textColor_ = color;
  SetColour(Widget(), QPalette::WindowText, color);
}

void Label::SetMultiLine(bool multiLine) {
  RequireUIThread();
  multiLine_ = multiLine;
  static_cast<QLabel*>(Widget())->setWordWrap(multiLine);
  ApplyAlignment();
}

void Label::SetSelectable(bool selectable) {
  RequireUIThread();
  selectable_ = selectable;
  static_cast<QLabel*>(Widget())->setTextInteractionFlags(
      selectable ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard : Qt::NoTextInteraction);
}

void Label::SetTransparent(bool transparent) {
  RequireUIThread();
  transparent_ = transparent;
  // Opaque, the label fills its background with its palette's window colour, which it
  // takes from its window.
  Widget()->setAutoFillBackground(!transparent);
}

// ---- TextArea -----------------------------------------------------------------------------

ClassRecord* TextArea::GetClass() {
  using T = TextArea;
  static ClassRecord* const record = BuildClassRecord({
      .name = "TextArea",
      .parent = RectControl::GetClass(),
      .properties = Joined(
          {
              MakeProperty<PropertyKind::Boolean, &T::MultiLine, &T::SetMultiLine>("MultiLine", "b"),
              MakeProperty<PropertyKind::Boolean, &T::ScrollBarHorizontal, &T::SetScrollBarHorizontal>(
                  "ScrollBarHorizontal", "b"),
              MakeProperty<PropertyKind::Boolean, &T::ScrollBarVertical, &T::SetScrollBarVertical>(
                  "ScrollBarVertical", "b"),
              MakeProperty<PropertyKind::Boolean, &T::Styled, &T::SetStyled>("Styled", "b"),
              MakeProperty<PropertyKind::Boolean, &T::UseFocusRing, &T::SetUseFocusRing>("UseFocusRing", "b"),
              MakeProperty<PropertyKind::Colour, &T::TextColor, &T::SetTextColor>("TextColor", "color"),
              MakeProperty<PropertyKind::Colour, &T::BackColor, &T::SetBackColor>("BackColor", "color"),
              MakeProperty<PropertyKind::Boolean, &T::Border, &T::SetBorder>("Border", "b"),
              MakeProperty<PropertyKind::Text, &T::Format, &T::SetFormat>("Format", "s"),
              MakeProperty<PropertyKind::Boolean, &T::HideSelection, &T::SetHideSelection>("HideSelection", "b"),
              MakeProperty<PropertyKind::Text, &T::Text, &T::SetText>("Text", "s"),
              MakeProperty<PropertyKind::Text, &T::Mask, &T::SetMask>("Mask", "s"),
              MakeProperty<PropertyKind::Boolean, &T::ReadOnly, &T::SetReadOnly>("ReadOnly", "b"),
              MakeProperty<PropertyKind::Integer, &T::LimitText, &T::SetLimitText>("LimitText", "i4"),
              MakeProperty<PropertyKind::Boolean, &T::AcceptTabs, &T::SetAcceptTabs>("AcceptTabs", "b"),
              MakeProperty<PropertyKind::Integer, &T::Alignment, &T::SetAlignment>("Alignment", "i4"),
              MakeProperty<PropertyKind::Boolean, &T::AutomaticallyCheckSpelling, &T::SetAutomaticallyCheckSpelling>(
                  "AutomaticallyCheckSpelling", "b"),
              MakeProperty<PropertyKind::Text, &T::DataSource, &T::SetDataSource>("DataSource", "s"),
              MakeProperty<PropertyKind::Text, &T::DataField, &T::SetDataField>("DataField", "s"),
              MakeProperty<PropertyKind::Double, &T::LineSpacing, &T::SetLineSpacing>("LineSpacing", "d"),
          },
          FontProperties()),
      .make = &MakeObject<TextArea>,
  });
  return record;
}

TextArea::TextArea() : TextControl(NewWidget<QTextEdit>()) {
  SetRecord(GetClass());
  auto* edit = static_cast<QTextEdit*>(Widget());
  edit->setAcceptRichText(false);
  edit->setTabChangesFocus(!acceptTabs_);
  edit->setReadOnly(readOnly_);
  ApplyWrap();
  SetScrollBarHorizontal(scrollBarHorizontal_);
  SetScrollBarVertical(scrollBarVertical_);
  SetBorder(border_);
  ApplyColours();
}

void TextArea::SetText(const String& text) {
  RequireUIThread();
  text_ = text;
  // The platform's line break is CR; a CR LF pair counts as one break.
  QString shown = ToQString(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  static_cast<QTextEdit*>(Widget())->setPlainText(shown);
}

void TextArea::ApplyWrap() {
  auto* edit = static_cast<QTextEdit*>(Widget());
  edit->setLineWrapMode(multiLine_ ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  // Without a horizontal scroll bar a word longer than the width is broken as well.
  edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void TextArea::SetMultiLine(bool multiLine) {
  RequireUIThread();
  multiLine_ = multiLine;
  ApplyWrap();
}

void TextArea::SetScrollBarHorizontal(bool shown) {
  RequireUIThread();
  scrollBarHorizontal_ = shown;
  static_cast<QTextEdit*>(Widget())->setHorizontalScrollBarPolicy(shown ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAlwaysOff);
}

void TextArea::SetScrollBarVertical(bool shown) {
  RequireUIThread();
  scrollBarVertical_ = shown;
  static_cast<QTextEdit*>(Widget())->setVerticalScrollBarPolicy(shown ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAlwaysOff);
}

void TextArea::ApplyColours() {
  QWidget* edit = Widget();
  SetColour(edit, QPalette::Text, textColor_);
  SetColour(edit, QPalette::Base, backColor_);
}

void TextArea::SetTextColor(Color color) {
  RequireUIThread();
  textColor_ = color;
  ApplyColours();
}

void TextArea::SetBackColor(Color color) {
  RequireUIThread();
  backColor_ = color;
  ApplyColours();
}

void TextArea::SetBorder(bool border) {
  RequireUIThread();
  border_ = border;
  static_cast<QTextEdit*>(Widget())->setFrameShape(border ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TextArea::SetReadOnly(bool readOnly) {
  RequireUIThread();
  readOnly_ = readOnly;
  static_cast<QTextEdit*>(Widget())->setReadOnly(readOnly);
}

void TextArea::SetAcceptTabs(bool accept) {
  RequireUIThread();
  acceptTabs_ = accept;
  static_cast<QTextEdit*>(Widget())->setTabChangesFocus(!accept);
}

void TextArea::SetAlignment(std::int32_t alignment) {
  RequireUIThread();
  alignment_ = alignment;
  QTextDocument* document = static_cast<QTextEdit*>(Widget())->document();
  QTextOption option = document->defaultTextOption();
  option.setAlignment(HorizontalAlignment(alignment));
  document->setDefaultTextOption(option);
}

void TextArea::SetLineSpacing(double spacing) {
  RequireUIThread();
  lineSpacing_ = spacing;
}

}  // namespace platform
