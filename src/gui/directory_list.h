#pragma once
#include <QTreeWidget>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnby {

// The sub-folders of a folder, sorted by name without regard to letter case (hidden
// ones left out); nothing, with the system's description in `error`, when the folder
// cannot be read.
std::optional<std::vector<std::string>> subFolders(const std::filesystem::path& folder, std::string& error);

// Dir1: the folders from the drive's root down to the terrain folder, each under the
// one before, then the terrain folder's own sub-folders. A click (or Enter) opens an
// entry; Backspace goes up one folder. Only the terrain folder shows as chosen: a
// highlight moved with the keys returns to it when the list loses the focus.
class DirectoryList : public QTreeWidget {
  Q_OBJECT
 public:
  explicit DirectoryList(QWidget* parent = nullptr);

  // Shows `folder`, which lies under the drive root `top`, with its sub-folders.
  void showFolder(const std::filesystem::path& top, const std::filesystem::path& folder,
                  const std::vector<std::string>& children);
  const std::filesystem::path& folder() const { return folder_; }
  // As tall as the layout's minimum: the window does not grow for the list.
  QSize sizeHint() const override;

 signals:
  // The user asked to open this folder.
  void folderPicked(const QString& folder);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::filesystem::path folder_;
  QTreeWidgetItem* folderItem_ = nullptr;
};

}  // namespace quarnby
