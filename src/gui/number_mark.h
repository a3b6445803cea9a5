#pragma once
#include <QObject>
#include <QString>

class QLineEdit;

namespace quarnby {

// A number field's text is read up to the end of its number ("12,000" reads as 12). When
// more follows the number, the field shows a mark in its corner and its tooltip says how
// it reads, before anything runs.
class NumberMark : public QObject {
  Q_OBJECT
 public:
  explicit NumberMark(QLineEdit* field);

  // "reads as 12" when text follows the number; empty when the text is all number.
  static QString readsAs(const QString& text);
  bool shown() const;

 private:
  void update(const QString& text);

  QLineEdit* field_;
  QWidget* mark_;
  QString tip_;  // the field's own tooltip
};

}  // namespace quarnby
