#include "gui/directory_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

#include "gui/qt_text.h"

namespace quarnby {

namespace fs = std::filesystem;

namespace {
constexpr int kPathRole = Qt::UserRole;
}

std::optional<std::vector<std::string>> subFolders(const fs::path& folder, std::string& error) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    error = ec.message();
    return std::nullopt;
  }
  std::vector<std::string> names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;  // a folder that stops listing half-way shows what it listed
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    std::string name = it->path().filename().native();
    if (!name.empty() && name[0] != '.') names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int order = QString::compare(QFile::decodeName(a.c_str()), QFile::decodeName(b.c_str()), Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
  });
  return names;
}

DirectoryList::DirectoryList(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(12);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  const auto pick = [this](QTreeWidgetItem* item, int) { emit folderPicked(item->data(0, kPathRole).toString()); };
  connect(this, &QTreeWidget::itemClicked, this, pick);
  connect(this, &QTreeWidget::itemActivated, this, pick);
}

QSize DirectoryList::sizeHint() const {
  return QSize(QTreeWidget::sizeHint().width(), std::max(minimumHeight(), minimumSizeHint().height()));
}

void DirectoryList::showFolder(const fs::path& top, const fs::path& folder, const std::vector<std::string>& children) {
  folder_ = folder;
  folderItem_ = nullptr;
  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The chain from the drive's root down to the folder.
  std::vector<fs::path> chain;
  for (fs::path p = folder;; p = p.parent_path()) {
    chain.push_back(p);
    if (p == top || p == p.parent_path()) break;
  }
  std::reverse(chain.begin(), chain.end());

  QTreeWidgetItem* parentItem = nullptr;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const fs::path& p = chain[i];
    const QString text = i == 0 ? pathText(p) : pathText(p.filename());
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setIcon(0, open);
    item->setData(0, kPathRole, pathText(p));
    parentItem = item;
  }
  QFont bold = font();
  bold.setBold(true);
  parentItem->setFont(0, bold);
  for (const std::string& name : children) {
    auto* item = new QTreeWidgetItem(parentItem);
    item->setText(0, QFile::decodeName(name.c_str()));
    item->setIcon(0, closed);
    item->setData(0, kPathRole, pathText(folder / name));
  }
  expandAll();
  folderItem_ = parentItem;
  setCurrentItem(parentItem);
  scrollToItem(parentItem, QAbstractItemView::PositionAtTop);
}

// The first click of a double click has opened the folder already; the second lands on
// the list that shows it and must not open whatever now lies under the cursor.
void DirectoryList::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void DirectoryList::focusOutEvent(QFocusEvent* event) {
  QTreeWidget::focusOutEvent(event);
  if (folderItem_ && currentItem() != folderItem_) setCurrentItem(folderItem_);
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Backspace && folder_.has_relative_path()) {
    emit folderPicked(pathText(folder_.parent_path()));
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace quarnby
