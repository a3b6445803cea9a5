#include "gui/main_menu.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>
#include <QWidget>

#include "app/commands.h"
#include "app/history.h"
#include "core/version.h"
#include "geo/geo_loader.h"
#include "geo/geo_module.h"
#include "gui/qt_text.h"

namespace quarnby {

namespace {

// Where each command of the table goes: the imports and exports and the settings under
// File, the history under Edit. The others are the form's own buttons only.
enum class Place { None, FileImports, FileSettings, Edit };

Place placeOf(std::string_view name) {
  if (name.starts_with("import-") || name.starts_with("set-elevation-") || name.starts_with("export-") ||
      name == "set-frame")
    return Place::FileImports;
  if (name.ends_with("-settings")) return Place::FileSettings;
  if (name == "undo" || name == "redo" || name == "history") return Place::Edit;
  return Place::None;
}

// A button's caption without its mnemonic, to build an item's text from; a command
// without a button is named by its batch name ("history": "History").
QString captionOf(QWidget* window, const Command& command) {
  if (auto* b = window->findChild<QPushButton*>(toQt(command.button)); b && !command.button.empty())
    return b->text().remove(QLatin1Char('&'));
  QString text = toQt(command.name).replace(QLatin1Char('-'), QLatin1Char(' '));
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

QString quoted(const std::string& title) { return QStringLiteral("\u201C") + toQt(title) + QStringLiteral("\u201D"); }

}  // namespace

MainMenu::MainMenu(QWidget* window, Window actions)
    : QObject(window),
      window_(window),
      actions_(std::move(actions)),
      bar_(new QMenuBar(window)),
      status_(new QStatusBar(window)) {
  bar_->setObjectName(QStringLiteral("MenuBar"));
  status_->setObjectName(QStringLiteral("StatusBar"));
  status_->setSizeGripEnabled(false);
  // The bar lays itself out only once it is shown or holds a widget; an empty one now, so
  // that its height is known when the window first takes the form's size.
  status_->addPermanentWidget(new QWidget(status_));

  QMenu* file = addMenu(tr("&File"), "FileMenu");
  addItem(file, tr("&Open Terrain Folder..."), "OpenFolderItem", [this] {
    actions_.chooseFolder();
  })->setShortcut(QKeySequence::Open);
  recent_ = file->addMenu(tr("&Recent Folders"));
  recent_->setObjectName(QStringLiteral("RecentMenu"));
  connect(recent_, &QMenu::aboutToShow, this, &MainMenu::fillRecent);
  fillRecent();
  file->addSeparator();
  QMenu* edit = addMenu(tr("&Edit"), "EditMenu");
  bool settingsSeparated = false;
  for (const Command& command : commands()) {
    const Place place = placeOf(command.name);
    // An import the window has no button for stays with the batch program, but the theatre
    // centre, which the window asks for itself.
    if (place == Place::None || (place == Place::FileImports && command.button.empty() && command.name != "set-frame"))
      continue;
    const QString tip = toQt(command.help);
    // The imports and exports are told apart by the step they make ("Export (Greyscale)");
    // one that asks for more in a dialog keeps its button's "...".
    QString text = captionOf(window_, command);
    if (command.changes && place == Place::FileImports && !text.endsWith(QStringLiteral("...")))
      text = toQt(command.changes({}).title);
    if (place == Place::FileSettings) {
      if (!settingsSeparated) file->addSeparator();
      settingsSeparated = true;
      text += tr(" Settings");
    }
    QMenu* menu = place == Place::Edit ? edit : file;
    QAction* item = nullptr;
    if (command.button.empty()) {
      item = addItem(menu, text + QStringLiteral("..."), nullptr, [this, &command] { actions_.run(command); });
      item->setStatusTip(tip);
    } else {
      item = addButtonItem(menu, text, std::string(command.button), tip);
    }
    item->setObjectName(QStringLiteral("%1Item").arg(toQt(command.name)));
    if (command.name == "undo") undo_ = item;
    if (command.name == "redo") redo_ = item;
    if (command.name == "save-settings") item->setShortcut(QKeySequence::Save);
  }
  // A text field takes Ctrl+Z for its own typing first; elsewhere these keys work the history.
  if (undo_) undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  if (redo_) redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  file->addSeparator();
  addItem(file, tr("&Quit"), "QuitItem", [this] { window_->close(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* view = addMenu(tr("&View"), "ViewMenu");
  addButtonItem(view, tr("&Preview"), "Preview", tr("The terrain folder as pictures, beside this window"))
      ->setShortcut(QKeySequence(Qt::Key_F5));

  QMenu* help = addMenu(tr("&Help"), "HelpMenu");
  addItem(help, tr("&Order of Work"), "OrderOfWorkItem", [this] {
    showHelp(tr("Order of Work"), orderOfWork());
  })->setShortcut(QKeySequence::HelpContents);
  addItem(help, tr("&Keys"), "KeysItem", [this] { showHelp(tr("Keys"), keys()); });
  addItem(help, tr("&Manual"), "ManualItem", [this] {
    // The README beside the sources or the installed documents; else the man pages.
    const QString program = QApplication::applicationDirPath();
    for (const QString& candidate :
         {program + QStringLiteral("/../README.md"), program + QStringLiteral("/../share/doc/quarnby/README.md")})
      if (QFileInfo::exists(candidate) && QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(candidate))))
        return;
    showHelp(tr("Manual"), tr("The manual is the man pages: \"man quarnby\" for the window and \"man quarnby-batch\" "
                              "for the command line, and the README of the sources."));
  });
  help->addSeparator();
  addItem(help, tr("&About Quarnby"), "AboutItem",
          [this] { QMessageBox::about(window_, tr("About %1").arg(kProgramName), aboutText()); });
  showHistory(nullptr, nullptr);
}

QMenu* MainMenu::addMenu(const QString& title, const char* name) {
  QMenu* menu = bar_->addMenu(title);
  menu->setObjectName(QLatin1String(name));
  return menu;
}

QAction* MainMenu::addItem(QMenu* menu, const QString& text, const char* name, std::function<void()> trigger) {
  QAction* item = menu->addAction(text);
  if (name) item->setObjectName(QLatin1String(name));
  connect(item, &QAction::triggered, this, [trigger = std::move(trigger)] { trigger(); });
  return item;
}

QAction* MainMenu::addButtonItem(QMenu* menu, const QString& text, const std::string& button, const QString& tip) {
  auto* pressed = window_->findChild<QPushButton*>(QString::fromStdString(button));
  QAction* item = addItem(menu, text, nullptr, [pressed] {
    if (pressed && pressed->isEnabled()) pressed->click();
  });
  item->setStatusTip(tip);
  // Enabled as its button is, looked at whenever the menu opens.
  connect(menu, &QMenu::aboutToShow, item, [item, pressed] { item->setEnabled(pressed && pressed->isEnabled()); });
  item->setEnabled(pressed && pressed->isEnabled());
  return item;
}

QAction* MainMenu::action(const QString& objectName) const { return bar_->findChild<QAction*>(objectName); }

void MainMenu::fillRecent() {
  recent_->clear();
  const auto folders = actions_.recent ? actions_.recent() : std::vector<std::filesystem::path>{};
  for (const auto& folder : folders) {
    QAction* item = recent_->addAction(pathText(folder));
    connect(item, &QAction::triggered, this, [this, folder] { actions_.openFolder(folder); });
  }
  if (folders.empty()) recent_->addAction(tr("(none yet)"))->setEnabled(false);
}

void MainMenu::offerRecentIn(QLineEdit* field) {
  QAction* offer = field->addAction(field->style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
  offer->setObjectName(QStringLiteral("RecentFoldersOffer"));
  offer->setToolTip(tr("Recent terrain folders"));
  connect(offer, &QAction::triggered, this, [this, field] {
    fillRecent();
    recent_->popup(field->mapToGlobal(QPoint(0, field->height())));
  });
}

bool MainMenu::reportsOnStatusBar(std::string_view command) {
  return command == "undo" || command == "redo" || command == "save-settings" || command == "reload-settings";
}

QString MainMenu::resultText(std::string_view command, Outcome outcome, const QString& told,
                             const std::filesystem::path& settingsFile) {
  std::error_code ec;
  const auto whole = std::filesystem::absolute(settingsFile, ec);
  const QString file = pathText(ec ? settingsFile : whole.lexically_normal());
  if (outcome == Outcome::Completed && command == "save-settings") return tr("Saved to %1").arg(file);
  if (outcome == Outcome::Completed && command == "reload-settings")
    return QFileInfo(file).isFile() && QFileInfo(file).isReadable()
               ? tr("Loaded from %1").arg(file)
               : tr("No settings file at %1: the defaults are set").arg(file);
  return told;
}

void MainMenu::showHistory(const Step* undo, const Step* redo) {
  const auto show = [](QAction* item, const Step* step, const QString& verb) {
    if (!item) return;
    item->setText(step ? verb + QLatin1Char(' ') + quoted(step->title) : verb);
    item->setEnabled(step != nullptr);
    item->setStatusTip(step ? verb + QLatin1Char(' ') + toQt(stepText(*step)) : QString());
  };
  show(undo_, undo, tr("&Undo"));
  show(redo_, redo, tr("&Redo"));
}

QString MainMenu::titleFor(const std::string& baseName) {
  const QString title = QString::fromUtf8(kProgramTitle);
  return baseName.empty() ? title : QString::fromUtf8(baseName) + QStringLiteral(" - ") + title;
}

void MainMenu::showStatus(const QString& text, int milliseconds) { status_->showMessage(text, milliseconds); }

void MainMenu::showHelp(const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, window_);
  box.setTextFormat(Qt::RichText);
  box.exec();
}

QString MainMenu::orderOfWork() {
  return tr(
      "<p>A terrain is a folder of files named after the folder. Pick it under Terrain Folder "
      "(or File &gt; Open Terrain Folder), then work from the top of the window down:</p><ol>"
      "<li><b>Elevation</b>: Terragen <i>Find Units</i>, then <i>Set Elevation</i> (or Import DEM... first, "
      "for real elevation data; or the Greyscale column for a bitmap): the elevation grid.</li>"
      "<li><b>Types</b>: <i>Set</i> the altitude bands if need be, then <i>Set Type</i> and "
      "<i>Set Sub-Types</i>: the type and sub-type grids.</li>"
      "<li><b>Objects</b>: <i>Modify Terrain</i> levels and types the ground under the objects and clears "
      "the departure paths at airfields.</li>"
      "<li><b>Tracks</b>: <i>Make Tracks</i>, the roads, railways and rivers toward each side's HQ.</li>"
      "<li><b>Maps</b>: <i>Make Map</i> with each of its three options; <i>Export</i> writes the elevation "
      "grid as a greyscale bitmap.</li></ol>"
      "<p>View &gt; Preview shows the folder as pictures after each step; Edit &gt; Undo takes a step "
      "back. Save keeps the settings for the next start.</p>");
}

QString MainMenu::keys() {
  return tr(
      "<table>"
      "<tr><td>Ctrl+O</td><td>open a terrain folder</td></tr>"
      "<tr><td>Ctrl+Z</td><td>undo the latest step (in a text field: its typing)</td></tr>"
      "<tr><td>Ctrl+Shift+Z, Ctrl+Y</td><td>redo</td></tr>"
      "<tr><td>Ctrl+S</td><td>save the settings</td></tr>"
      "<tr><td>F5</td><td>the preview</td></tr>"
      "<tr><td>Ctrl+Q</td><td>quit</td></tr>"
      "<tr><td>Alt+letter</td><td>the button or field whose caption has it underlined</td></tr>"
      "<tr><td colspan=2><br><b>In the preview</b></td></tr>"
      "<tr><td>wheel, + and -</td><td>zoom</td></tr>"
      "<tr><td>drag, arrows</td><td>pan</td></tr>"
      "<tr><td>double click, 0, Home</td><td>the whole grid</td></tr>"
      "<tr><td>Ctrl+Z, Ctrl+Shift+Z</td><td>undo and redo, as in the main window</td></tr>"
      "</table>");
}

QString MainMenu::aboutText() {
  QString libraries = QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion()));
  // GDAL comes with the geographic module, when it is installed.
  if (!geo::geoModuleFile().empty()) {
    std::string problem;
    if (const geo::GeoModule* module = geo::geoModule(problem))
      libraries += QStringLiteral(", ") + toQt(module->libraryVersions()) + tr(" (Import DEM)");
  }
  return tr("<p><b>%1</b></p>"
            "<p>Builds the terrain of a flight-simulation theatre: elevation, types, objects, tracks and maps.</p>"
            "<p>Libraries: %2.</p>"
            "<p>Data: %3 ships no map data; its demo terrain is made up by the program. Elevation brought in "
            "with Import DEM keeps the licence of its source (SRTM and many national models are public domain "
            "or open data with attribution; land cover and commercial models have their own terms): credit "
            "them as their licences ask when you share the terrain.</p>")
      .arg(QString::fromUtf8(kProgramTitle), libraries, QString::fromUtf8(kProgramName));
}

}  // namespace quarnby
