#pragma once
#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geo/geo_module.h"

class QDropEvent;
class QListWidget;
class QListWidgetItem;

namespace quarnby {

// One source described on a thread of its own: what the module said, handed back to the
// dialog's thread by `done`. A source that blocks (a pipe, a host that never answers)
// holds only its thread; the dialog stays live.
class SourceDescription : public QObject {
  Q_OBJECT
 public:
  std::filesystem::path file;
  std::optional<geo::SourceInfo> info;
  std::string problem;
 signals:
  void done();
};

// Describes `file` through the module on a thread of its own; `done` runs on `receiver`'s
// thread afterwards, unless the receiver is gone by then.
void describeOnThread(const geo::GeoModule& module, const std::filesystem::path& file, QObject* receiver,
                      std::function<void(const SourceDescription&)> done);

// The local files of a drop, in order.
std::vector<std::filesystem::path> droppedFiles(const QDropEvent& event);

// The sources of an import dialog: their list (the file's name, its path as tooltip; a
// source that cannot serve in red, the reason as tooltip) with Add... and Remove beside
// it. Each source is described on a thread of its own; `changed` follows every change.
class SourceList : public QWidget {
  Q_OBJECT
 public:
  // `tip` says what the sources are; `pickTitle` and `filter` are the file dialog's.
  SourceList(const geo::GeoModule& module, const QString& tip, const QString& pickTitle, const QString& filter,
             QWidget* parent);

  void add(const std::vector<std::filesystem::path>& files);
  const std::vector<std::filesystem::path>& files() const { return files_; }
  const std::vector<geo::SourceInfo>& described() const { return described_; }
  std::size_t refusedCount() const { return refused_.size(); }
  int waiting() const { return waiting_; }
  QListWidget* list() const { return list_; }

 signals:
  void changed();
  // The first source that can serve was described.
  void firstDescribed();

 private:
  void removeSelected();
  void arrived(const SourceDescription& description);
  QListWidgetItem* itemOf(const std::filesystem::path& file) const;

  const geo::GeoModule& module_;
  std::vector<std::filesystem::path> files_;
  std::vector<geo::SourceInfo> described_;
  std::vector<std::filesystem::path> refused_;
  int waiting_ = 0;  // sources still being described
  QListWidget* list_;
};

}  // namespace quarnby
