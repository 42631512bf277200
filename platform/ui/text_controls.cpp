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
              MakeProperty<&Label::Text, &Label::SetText>("Text"),
              MakeProperty<&Label::TextAlign, &Label::SetTextAlign>("TextAlign"),
              MakeProperty<&Label::TextColor, &Label::SetTextColor>("TextColor"),
              MakeProperty<&Label::MultiLine, &Label::SetMultiLine>("MultiLine"),
              MakeProperty<&Label::Selectable, &Label::SetSelectable>("Selectable"),
              MakeProperty<&Label::Transparent, &Label::SetTransparent>("Transparent"),
              MakeProperty<&Label::DataSource, &Label::SetDataSource>("DataSource"),
              MakeProperty<&Label::DataField, &Label::SetDataField>("DataField"),
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
              MakeProperty<&T::MultiLine, &T::SetMultiLine>("MultiLine"),
              MakeProperty<&T::ScrollBarHorizontal, &T::SetScrollBarHorizontal>("ScrollBarHorizontal"),
              MakeProperty<&T::ScrollBarVertical, &T::SetScrollBarVertical>("ScrollBarVertical"),
              MakeProperty<&T::Styled, &T::SetStyled>("Styled"),
              MakeProperty<&T::UseFocusRing, &T::SetUseFocusRing>("UseFocusRing"),
              MakeProperty<&T::TextColor, &T::SetTextColor>("TextColor"),
              MakeProperty<&T::BackColor, &T::SetBackColor>("BackColor"),
              MakeProperty<&T::Border, &T::SetBorder>("Border"),
              MakeProperty<&T::Format, &T::SetFormat>("Format"),
              MakeProperty<&T::HideSelection, &T::SetHideSelection>("HideSelection"),
              MakeProperty<&T::Text, &T::SetText>("Text"),
              MakeProperty<&T::Mask, &T::SetMask>("Mask"),
              MakeProperty<&T::ReadOnly, &T::SetReadOnly>("ReadOnly"),
              MakeProperty<&T::LimitText, &T::SetLimitText>("LimitText"),
              MakeProperty<&T::AcceptTabs, &T::SetAcceptTabs>("AcceptTabs"),
              MakeProperty<&T::Alignment, &T::SetAlignment>("Alignment"),
              MakeProperty<&T::AutomaticallyCheckSpelling, &T::SetAutomaticallyCheckSpelling>(
                  "AutomaticallyCheckSpelling"),
              MakeProperty<&T::DataSource, &T::SetDataSource>("DataSource"),
              MakeProperty<&T::DataField, &T::SetDataField>("DataField"),
              MakeProperty<&T::LineSpacing, &T::SetLineSpacing>("LineSpacing"),
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
