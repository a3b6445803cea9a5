#include "gui/number_mark.h"

#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

#include "core/number_text.h"
#include "core/numeric_text.h"
#include "gui/qt_text.h"

namespace quarnby {

namespace {

// A small triangle in the field's top right corner, as a spreadsheet marks a note; it
// takes no room from the text and lets the clicks through.
class CornerMark : public QWidget {
 public:
  explicit CornerMark(QWidget* field) : QWidget(field) {
    setObjectName(QStringLiteral("NumberMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(7, 7);
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QPainterPath corner;
    corner.moveTo(0, 0);
    corner.lineTo(width(), 0);
    corner.lineTo(width(), height());
    corner.closeSubpath();
    p.fillPath(corner, QColor(0xD0, 0x60, 0x00));
  }
};

}  // namespace

NumberMark::NumberMark(QLineEdit* field)
    : QObject(field), field_(field), mark_(new CornerMark(field)), tip_(field->toolTip()) {
  connect(field_, &QLineEdit::textChanged, this, &NumberMark::update);
  update(field_->text());
}

QString NumberMark::readsAs(const QString& text) {
  const std::string held = fromQt(text);
  if (isReadWhole(held)) return {};
  return QStringLiteral("reads as ") + toQt(numberText(numericValue(held)));
}

bool NumberMark::shown() const { return !mark_->isHidden(); }

void NumberMark::update(const QString& text) {
  const QString reads = readsAs(text);
  // The frame is a pixel or two wide: the mark sits just inside it.
  mark_->move(field_->width() - mark_->width() - 2, 2);
  mark_->setVisible(!reads.isEmpty());
  mark_->raise();
  field_->setToolTip(reads.isEmpty() ? tip_ : tip_ + QStringLiteral("\n\"") + text + QStringLiteral("\" ") + reads);
}

}  // namespace quarnby
