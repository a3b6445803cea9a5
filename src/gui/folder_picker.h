#pragma once
#include <QObject>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace quarnby {

class DirectoryList;
class Host;

// The machine's mounted volumes, the file system's root first.
std::vector<std::filesystem::path> mountedDrives();

// The frame "Terrain Folder": the drive list Drive1, the directory list Dir1 and the
// path field beside them. It holds the terrain folder, normalised; a drive or folder
// that cannot be read keeps the previous folder and says so through the Host.
class FolderPicker : public QObject {
  Q_OBJECT
 public:
  FolderPicker(QComboBox* drives, DirectoryList* folders, QLineEdit* pathField, Host& host, QObject* parent);

  // The drives Drive1 offers (the mounted volumes unless replaced).
  void setDrives(std::vector<std::filesystem::path> roots);
  const std::vector<std::filesystem::path>& drives() const { return drives_; }

  // Moves Dir1 to the folder; false, with a message, when it cannot be read.
  bool open(const std::filesystem::path& folder);
  const std::filesystem::path& folder() const { return folder_; }

  // Drive1_Change: Dir1 moves to the picked drive's current folder (the last one
  // opened on it, else its root).
  bool Drive1_Change(int index);

 signals:
  // Dir1's path changed: Dir1_Change.
  void folderChanged();

 private:
  // `typed`: the path field holds what the user typed, kept there to be corrected.
  bool openFolder(const std::filesystem::path& folder, const char* what, bool typed = false);
  void openTyped();
  int driveIndexOf(const std::filesystem::path& folder) const;
  void showDrive();

  QComboBox* drives_box_;
  DirectoryList* folders_;
  QLineEdit* pathField_;
  Host& host_;
  std::vector<std::filesystem::path> drives_;
  std::map<std::filesystem::path, std::filesystem::path> lastFolderOn_;
  std::filesystem::path folder_;
};

}  // namespace quarnby
