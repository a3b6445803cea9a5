#include "gui/folder_picker.h"

#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QStorageInfo>

#include <algorithm>

#include "core/host.h"
#include "gui/directory_list.h"
#include "gui/qt_text.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

namespace fs = std::filesystem;

namespace {

// Whether `folder` is `root` or lies below it.
bool isUnder(const fs::path& folder, const fs::path& root) {
  const std::string& f = folder.native();
  std::string r = root.native();
  if (f == r) return true;
  if (r.empty() || r.back() != fs::path::preferred_separator) r += fs::path::preferred_separator;
  return f.compare(0, r.size(), r) == 0;
}

// The kernel's own file systems are no drives.
bool isSystemMount(const QString& root) {
  for (const char* system : {"/proc", "/sys", "/dev"})
    if (root == QLatin1String(system) || root.startsWith(QLatin1String(system) + QLatin1Char('/'))) return true;
  return false;
}

}  // namespace

std::vector<fs::path> mountedDrives() {
  const fs::path root = normalisedFolder(pathOf(QDir::rootPath()));
  std::vector<fs::path> others;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || isSystemMount(volume.rootPath())) continue;
    const fs::path path = normalisedFolder(pathOf(volume.rootPath()));
    if (path != root) others.push_back(path);
  }
  std::sort(others.begin(), others.end());
  others.erase(std::unique(others.begin(), others.end()), others.end());
  std::vector<fs::path> drives{root};
  drives.insert(drives.end(), others.begin(), others.end());
  return drives;
}

FolderPicker::FolderPicker(QComboBox* drives, DirectoryList* folders, QLineEdit* pathField, Host& host, QObject* parent)
    : QObject(parent), drives_box_(drives), folders_(folders), pathField_(pathField), host_(host) {
  connect(drives_box_, &QComboBox::activated, this, [this](int index) { Drive1_Change(index); });
  connect(folders_, &DirectoryList::folderPicked, this, [this](const QString& path) { open(pathOf(path)); });

  auto* completer = new QCompleter(pathField_);
  auto* model = new QFileSystemModel(completer);
  model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model->setRootPath(QString());
  completer->setModel(model);
  completer->setCaseSensitivity(Qt::CaseSensitive);
  pathField_->setCompleter(completer);
  connect(pathField_, &QLineEdit::editingFinished, this, &FolderPicker::openTyped);
  connect(completer, qOverload<const QString&>(&QCompleter::activated), this, &FolderPicker::openTyped);

  setDrives(mountedDrives());
}

void FolderPicker::setDrives(std::vector<fs::path> roots) {
  drives_ = std::move(roots);
  drives_box_->clear();
  for (const fs::path& root : drives_) {
    QString text = pathText(root);
    const QStorageInfo volume(pathText(root));
    if (volume.isValid() && volume.rootPath() == text && !volume.name().isEmpty())
      text += QLatin1String("  [") + volume.name() + QLatin1Char(']');
    drives_box_->addItem(text, pathText(root));
  }
  showDrive();
}

int FolderPicker::driveIndexOf(const fs::path& folder) const {
  int best = -1;
  std::size_t bestLength = 0;
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    const std::size_t length = drives_[i].native().size();
    if (isUnder(folder, drives_[i]) && (best < 0 || length > bestLength)) {
      best = static_cast<int>(i);
      bestLength = length;
    }
  }
  return best;
}

void FolderPicker::showDrive() {
  const int index = driveIndexOf(folder_);
  if (index >= 0) drives_box_->setCurrentIndex(index);
}

bool FolderPicker::open(const fs::path& folder) { return openFolder(folder, "folder"); }

bool FolderPicker::openFolder(const fs::path& wanted, const char* what, bool typed) {
  const fs::path folder = normalisedFolder(wanted);
  std::string error;
  const auto children = subFolders(folder, error);
  if (!children) {
    if (!typed) pathField_->setText(pathText(folder_));
    showDrive();
    std::string message = std::string("Can't read the ") + what + ":" + kCrLf + folder.native() + kCrLf + error;
    if (!folder_.empty()) message += kCrLf + kCrLf + "The terrain folder stays:" + kCrLf + folder_.native();
    host_.showMessage(message, Icon::Exclamation);
    if (typed) {
      // The mistyped path stays, selected, to be corrected or typed over.
      pathField_->setFocus(Qt::OtherFocusReason);
      pathField_->selectAll();
    }
    return false;
  }
  const int drive = driveIndexOf(folder);
  folders_->showFolder(drive >= 0 ? drives_[drive] : folder.root_path(), folder, *children);
  pathField_->setText(pathText(folder));
  if (drive >= 0) lastFolderOn_[drives_[drive]] = folder;
  const bool changed = folder != folder_;
  folder_ = folder;
  showDrive();
  if (changed) emit folderChanged();
  return true;
}

bool FolderPicker::Drive1_Change(int index) {
  if (index < 0 || index >= static_cast<int>(drives_.size())) return false;
  const fs::path& root = drives_[index];
  if (index == driveIndexOf(folder_)) return true;
  const auto last = lastFolderOn_.find(root);
  if (last != lastFolderOn_.end() && last->second != root) {
    std::string error;
    if (subFolders(last->second, error)) return openFolder(last->second, "folder");
  }
  return openFolder(root, "drive");
}

void FolderPicker::openTyped() {
  QString typed = pathField_->text().trimmed();
  if (typed.isEmpty()) {
    pathField_->setText(pathText(folder_));
    return;
  }
  if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/"))) typed = QDir::homePath() + typed.mid(1);
  fs::path wanted = pathOf(typed);
  if (wanted.is_relative()) wanted = folder_ / wanted;
  if (normalisedFolder(wanted) == folder_) {
    pathField_->setText(pathText(folder_));
    return;
  }
  openFolder(wanted, "folder", true);
}

}  // namespace quarnby
