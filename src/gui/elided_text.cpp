#include "gui/elided_text.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>

namespace quarnby {

namespace {

// The whole text when it had to be shortened, else the widget's own tooltip.
bool showTip(QWidget* widget, QEvent* event, const QString& text, const QString& shown) {
  if (event->type() != QEvent::ToolTip || shown == text) return false;
  QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, widget);
  return true;
}

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize ElidedLabel::sizeHint() const { return QSize(minimumWidth(), QLabel::sizeHint().height()); }

QSize ElidedLabel::minimumSizeHint() const { return QSize(minimumWidth(), QLabel::minimumSizeHint().height()); }

QString ElidedLabel::shownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width() - 2 * margin());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()), palette(), isEnabled(),
                        shownText(), foregroundRole());
}

bool ElidedLabel::event(QEvent* event) { return showTip(this, event, text(), shownText()) || QLabel::event(event); }

PathField::PathField(QWidget* parent) : QLineEdit(parent) {}

QRect PathField::textRect() const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QMargins margins = textMargins();
  // A line edit keeps two pixels between its frame and its text.
  QRect room = style()
                   ->subElementRect(QStyle::SE_LineEditContents, &option, this)
                   .adjusted(margins.left() + 2, margins.top(), -margins.right() - 2, -margins.bottom());
  // The field's own buttons (the recent folders' arrow) sit inside it: the text stops
  // short of them, as the line edit's own text does.
  for (const QToolButton* button : findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
    if (!button->isVisibleTo(this)) continue;
    if (button->geometry().center().x() > width() / 2)
      room.setRight(std::min(room.right(), button->geometry().left() - 2));
    else room.setLeft(std::max(room.left(), button->geometry().right() + 2));
  }
  return room;
}

QString PathField::shownText() const {
  if (hasFocus()) return text();
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, textRect().width());
}

void PathField::paintEvent(QPaintEvent* event) {
  const QString shown = shownText();
  if (shown == text()) {
    QLineEdit::paintEvent(event);
    return;
  }
  QPainter painter(this);
  QStyleOptionFrame option;
  initStyleOption(&option);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  painter.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

bool PathField::event(QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) update();
  return showTip(this, event, text(), shownText()) || QLineEdit::event(event);
}

}  // namespace quarnby
