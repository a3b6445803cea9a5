#include "gui/source_list.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

#include "gui/gui_host.h"
#include "gui/qt_text.h"

namespace quarnby {

void describeOnThread(const geo::GeoModule& module, const std::filesystem::path& file, QObject* receiver,
                      std::function<void(const SourceDescription&)> done) {
  auto* description = new SourceDescription;
  description->file = file;
  // Queued to the receiver's thread; dropped if the receiver is gone by then.
  QObject::connect(description, &SourceDescription::done, receiver,
                   [description, done = std::move(done)] { done(*description); });
  QObject::connect(description, &SourceDescription::done, description, &QObject::deleteLater);
  std::thread([description, &module] {
    description->info = module.describeSource(description->file, description->problem);
    emit description->done();
  }).detach();
}

std::vector<std::filesystem::path> droppedFiles(const QDropEvent& event) {
  std::vector<std::filesystem::path> files;
  for (const QUrl& url : event.mimeData()->urls())
    if (url.isLocalFile()) files.push_back(pathOf(url.toLocalFile()));
  return files;
}

SourceList::SourceList(const geo::GeoModule& module, const QString& tip, const QString& pickTitle,
                       const QString& filter, QWidget* parent)
    : QWidget(parent), module_(module) {
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setToolTip(tip);
  auto* addButton = new QPushButton(tr("Add..."), this);
  auto* remove = new QPushButton(tr("Remove"), this);
  connect(addButton, &QPushButton::clicked, this, [this, pickTitle, filter] {
    const QString from = files_.empty() ? QString() : pathText(files_.back().parent_path());
    const QStringList names = QFileDialog::getOpenFileNames(this, pickTitle, from, filter);
    std::vector<std::filesystem::path> files;
    for (const QString& n : names) files.push_back(pathOf(n));
    add(files);
  });
  connect(remove, &QPushButton::clicked, this, &SourceList::removeSelected);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(addButton);
  buttons->addWidget(remove);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
}

void SourceList::add(const std::vector<std::filesystem::path>& files) {
  for (const auto& f : files) {
    if (std::find(files_.begin(), files_.end(), f) != files_.end()) continue;
    files_.push_back(f);
    // The file's name in the list, its whole path in the tooltip (with what is wrong).
    auto* item = new QListWidgetItem(pathText(f.filename()) + tr("  (reading...)"), list_);
    item->setData(Qt::UserRole, pathText(f));
    item->setToolTip(pathText(f));
    item->setForeground(palette().color(QPalette::PlaceholderText));
    ++waiting_;
    describeOnThread(module_, f, this, [this](const SourceDescription& d) { arrived(d); });
  }
  emit changed();
}

QListWidgetItem* SourceList::itemOf(const std::filesystem::path& file) const {
  for (int i = 0; i < list_->count(); ++i)
    if (pathOf(list_->item(i)->data(Qt::UserRole).toString()) == file) return list_->item(i);
  return nullptr;
}

void SourceList::arrived(const SourceDescription& description) {
  --waiting_;
  QListWidgetItem* item = itemOf(description.file);
  if (!item) {  // removed while it was read
    emit changed();
    return;
  }
  item->setText(pathText(description.file.filename()));
  if (description.info) {
    item->setForeground(palette().color(QPalette::Text));
    described_.push_back(*description.info);
    if (described_.size() == 1) emit firstDescribed();
  } else {
    item->setForeground(Qt::red);
    item->setToolTip(displayText(description.problem));  // the whole path is part of the message
    refused_.push_back(description.file);
  }
  emit changed();
}

void SourceList::removeSelected() {
  for (QListWidgetItem* item : list_->selectedItems()) {
    const auto file = pathOf(item->data(Qt::UserRole).toString());
    files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
    described_.erase(
        std::remove_if(described_.begin(), described_.end(), [&](const geo::SourceInfo& s) { return s.path == file; }),
        described_.end());
    refused_.erase(std::remove(refused_.begin(), refused_.end(), file), refused_.end());
    delete item;
  }
  emit changed();
}

}  // namespace quarnby
