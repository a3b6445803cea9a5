#include "gui/import_dialog.h"

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>

#include "gui/source_list.h"

namespace quarnby {

ImportDialog::ImportDialog(QWidget* parent) : QDialog(parent) {
  setAcceptDrops(true);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setValue(0);
}

QHBoxLayout* ImportDialog::centreRow(const std::function<void()>& changed, const std::function<void()>& centre) {
  lat_ = new QDoubleSpinBox(this);
  // The whole range, so that a centre beyond the theatre's limit is shown and refused,
  // never clipped to the limit without a word.
  lat_->setRange(-90.0, 90.0);
  lon_ = new QDoubleSpinBox(this);
  lon_->setRange(-180.0, 180.0);
  for (QDoubleSpinBox* box : {lat_, lon_}) {
    box->setDecimals(5);
    box->setSuffix(QStringLiteral(" \u00B0"));
    connect(box, &QDoubleSpinBox::valueChanged, this, changed);
  }
  centreButton_ = new QPushButton(tr("Centre of the sources"), this);
  connect(centreButton_, &QPushButton::clicked, this, centre);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(tr("Lat"), this));
  row->addWidget(lat_);
  row->addWidget(new QLabel(tr("Lon"), this));
  row->addWidget(lon_);
  row->addWidget(centreButton_);
  return row;
}

std::function<bool(int)> ImportDialog::startRun() {
  running_ = true;
  cancelled_ = false;
  return [this](int percent) {
    progress_->setValue(percent);
    QCoreApplication::processEvents();
    return !cancelled_;
  };
}

void ImportDialog::stopRun() {
  running_ = false;
  progress_->setValue(0);
}

void ImportDialog::endRun(Outcome outcome) {
  running_ = false;
  if (outcome == Outcome::Completed) accept();
  else progress_->setValue(0);
}

void ImportDialog::cancel() {
  if (running_) {
    cancelled_ = true;  // the run stops at its next progress step
    return;
  }
  QDialog::reject();
}

void ImportDialog::reject() { cancel(); }

void ImportDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void ImportDialog::dropEvent(QDropEvent* event) {
  addSources(droppedFiles(*event));
  event->acceptProposedAction();
}

}  // namespace quarnby
