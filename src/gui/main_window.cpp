#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

#include <exception>

#include "app/commands.h"
#include "app/geo_commands.h"
#include "app/history.h"
#include "app/settings_file.h"
#include "geo/geo_loader.h"
#include "gui/control_bindings.h"
#include "gui/dem_import_dialog.h"
#include "gui/folder_picker.h"
#include "gui/gui_host.h"
#include "gui/land_cover_dialog.h"
#include "gui/main_menu.h"
#include "gui/preview_canvas.h"
#include "gui/preview_window.h"
#include "gui/qt_text.h"
#include "gui/recent_folders.h"
#include "gui/window_placement.h"
#include "terrain/terrain_folder.h"
#include "terrain/theatre_frame.h"
#include "ui_form1.h"

namespace quarnby {

MainWindow::MainWindow(const std::filesystem::path& startFolder, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Form1>()) {
  // The laid-out form keeps its own size: a larger window centres it, a smaller one (a
  // small or scaled screen) scrolls it.
  form_ = new QWidget;
  ui_->setupUi(form_);
  form_->setObjectName(QStringLiteral("Form1Area"));
  form_->layout()->setSizeConstraint(QLayout::SetFixedSize);
  scroll_ = new QScrollArea;
  scroll_->setObjectName(QStringLiteral("Form1Scroll"));
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setAlignment(Qt::AlignCenter);
  scroll_->setWidget(form_);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll_);
  setObjectName(QStringLiteral("Form1"));
  host_ = std::make_unique<GuiHost>(
      this, std::array<QProgressBar*, 3>{ui_->ProgressBar1, ui_->ProgressBar2, ui_->ProgressBar3});

  bindings_ = new ControlBindings(params_, this);
  params_.setListener([this](const std::string& name) { bindings_->show(name); });
  bindings_->showAll();

  // The menu bar and the status bar; Edit's items carry Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y.
  menu_ = new MainMenu(this, {.chooseFolder = [this] { chooseFolder(); },
                              .openFolder = [this](const std::filesystem::path& f) { picker_->open(f); },
                              .run = [this](const Command& command) { run(command); },
                              .recent = [] { return recentFolders(); }});
  menu_->offerRecentIn(ui_->FolderPath);
  outer->setMenuBar(menu_->menuBar());
  outer->addWidget(menu_->statusBar());
  // Where the theatre lies on the Earth, when the folder keeps its frame.
  theatre_ = new QLabel(this);
  theatre_->setObjectName(QStringLiteral("TheatreFrame"));
  menu_->statusBar()->addPermanentWidget(theatre_);
  // A start folder that cannot be read is reported once start-up runs.
  host_->holdMessages();
  picker_ = new FolderPicker(ui_->Drive1, ui_->Dir1, ui_->FolderPath, *host_, this);
  connect(picker_, &FolderPicker::folderChanged, this, [this] {
    Dir1_Change(params_, picker_->folder());
    if (preview_) preview_->setFolder(picker_->folder());
    folderShown();
  });
  if (!picker_->open(startFolder)) {
    std::error_code ec;
    const auto working = std::filesystem::current_path(ec);
    if (ec || !picker_->open(working)) picker_->open(std::filesystem::path("/"));
  }

  // Every button with an operation runs it; one whose command has options of its own
  // asks for them in its dialog first. A button whose operation is not there yet does
  // nothing.
  for (const Command& command : commands()) {
    if (command.button.empty()) continue;
    if (auto* button = findChild<QPushButton*>(QString::fromUtf8(command.button.data(), command.button.size())))
      connect(button, &QPushButton::clicked, this, [this, &command] {
        if (command.options.empty()) run(command);
        else askAndRun(command);
      });
  }
  connect(ui_->Preview, &QPushButton::clicked, this, &MainWindow::showPreview);
  // The geographic module is loaded when it is first used, never before the window shows.
  if (geo::geoModuleFile().empty()) ui_->ImportDem->setToolTip(tr("This installation has no GDAL, so no DEM import"));
  else ui_->ImportDem->setEnabled(true);
  if (geo::geoModuleFile().empty()) ui_->ExportGis->setToolTip(tr("This installation has no GDAL, so no GIS export"));
  else ui_->ExportGis->setEnabled(true);
  if (geo::geoModuleFile().empty()) {
    ui_->ImportLandCover->setToolTip(tr("This installation has no GDAL, so no land cover import"));
  } else {
    ui_->ImportLandCover->setToolTip(
        tr("Writes the land cover layer ('_cover.bmp') from land cover rasters, then Set Type with it"));
    ui_->ImportLandCover->setEnabled(true);
  }

  folderShown();

  qApp->installEventFilter(this);
  resize(sizeHint());
}

MainWindow::~MainWindow() { params_.setListener(nullptr); }

const std::filesystem::path& MainWindow::folder() const { return picker_->folder(); }

QSize MainWindow::sizeHint() const {
  const QSize form =
      form_->sizeHint() + QSize(0, menu_->menuBar()->sizeHint().height() + menu_->statusBar()->sizeHint().height());
  const QScreen* screen = this->screen();
  return screen ? form.boundedTo(screen->availableGeometry().size()) : form;
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  const QSize lacking = (form_->size() - scroll_->viewport()->size()).expandedTo(QSize(0, 0));
  const QScreen* screen = this->screen();
  const QSize wanted = size() + lacking;
  if (lacking.width() > 0 || lacking.height() > 0)
    resize(screen ? wanted.boundedTo(screen->availableGeometry().size()) : wanted);
}

void MainWindow::startUp() {
  Context cx{params_, picker_->folder(), *host_, random_};
  Form_Load(cx);
  // Where the settings came from, as Re-Load says it.
  menu_->showStatus(MainMenu::resultText("reload-settings", Outcome::Completed, {}, cx.settingsFile));
  host_->releaseMessages();
}

void MainWindow::showPreview() {
  if (!preview_) {
    preview_ = new PreviewWindow(this);
    preview_->setFolder(picker_->folder());
    // Undo and Redo work from the preview too, where their results show at once.
    preview_->addActions({menu_->undoAction(), menu_->redoAction()});
  }
  preview_->showBeside(this);
}

void MainWindow::run(const Command& command) {
  // A command with options of its own asks for them first, from the menu as from its button.
  if (!command.options.empty()) return askAndRun(command);
  // Undo, Redo, Save and Re-Load tell how they went on the status bar, not in a box.
  const bool onStatusBar = MainMenu::reportsOnStatusBar(command.name);
  QString told;
  if (onStatusBar) host_->informOnStatusBar([&told](const QString& text) { told = text; });
  const Context settings{params_, picker_->folder(), *host_, random_};
  const Outcome outcome = runOperation([&command](Context& cx) { return runCommand(command, cx); });
  if (!onStatusBar) return;
  host_->informOnStatusBar(nullptr);
  menu_->showStatus(MainMenu::resultText(command.name, outcome, told, settings.settingsFile));
}

void MainWindow::chooseFolder() {
  const QString chosen =
      QFileDialog::getExistingDirectory(this, tr("Open Terrain Folder"), pathText(picker_->folder()));
  if (!chosen.isEmpty()) picker_->open(pathOf(chosen));
}

void MainWindow::folderShown() {
  const std::filesystem::path& folder = picker_->folder();
  setWindowTitle(MainMenu::titleFor(baseName(folder)));
  if (looksLikeTerrain(folder)) rememberFolder(folder);
  showHistory();
  showTheatre();
}

void MainWindow::showTheatre() {
  std::string error;
  bool missing = false;
  const auto frame = readTheatreFrame(picker_->folder(), error, &missing);
  if (frame) {
    theatre_->setText(toQt(theatreCentreText(*frame)));
    theatre_->setToolTip(toQt(frame->projection));
  } else {
    theatre_->setText(missing ? tr("No theatre frame") : tr("Theatre frame unreadable"));
    theatre_->setToolTip(missing ? tr("Import DEM..., Import Land Cover... or File > Set Theatre Centre... records "
                                      "where the theatre lies on the Earth in gis/")
                                 : toQt(error));
  }
}

Outcome MainWindow::runOperation(const std::function<Outcome(Context&)>& operation) {
  if (busy_) return Outcome::EndedEarly;
  busy_ = true;
  // The preview reads the folder again once the operation has ended, never during it.
  if (preview_) preview_->hold();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Context cx{params_, picker_->folder(), *host_, random_};
  const Outcome outcome = operation(cx);
  QApplication::restoreOverrideCursor();
  // Clicks and keys that arrived while the operation ran are dropped, not replayed.
  QCoreApplication::processEvents();
  busy_ = false;
  if (preview_) preview_->release();
  showHistory();
  showTheatre();
  return outcome;
}

void MainWindow::askAndRun(const Command& command) {
  if (busy_) return;
  // The options given, run as the command's button runs it.
  const auto runWith = [this, &command](const CommandRequest& request) {
    return runOperation([&](Context& cx) {
      cx.request = &request;
      return runCommand(command, cx);
    });
  };
  if (command.name == "export-gis") {
    // The GeoPackage's name is the command's one option; the dialog asks before replacing.
    QString file =
        QFileDialog::getSaveFileName(this, tr("Export GIS"), pathText(picker_->folder()), tr("GeoPackage (*.gpkg)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(QStringLiteral(".gpkg"), Qt::CaseInsensitive)) file += QStringLiteral(".gpkg");
    CommandRequest request;
    request.options.emplace_back("FILE.gpkg", QFile::encodeName(file).toStdString());
    runWith(request);
    return;
  }
  if (command.name == "set-frame") {
    askTheatreCentre(runWith);
    return;
  }
  const std::string title = command.name == "import-dem" ? "Import DEM" : "Import Land Cover";
  std::string problem;
  const geo::GeoModule* module = geo::geoModule(problem);
  if (!module) {
    host_->showMessage(geo::missingModuleText(title, problem), Icon::Critical);
    return;
  }
  const std::filesystem::path& folder = picker_->folder();
  if (command.name == "import-land-cover") {
    std::string error;
    LandCoverDialog dialog(*module, runWith,
                           {.folder = baseName(folder).empty() ? std::filesystem::path() : folder,
                            .frame = readTheatreFrame(folder, error)},
                           this);
    dialog.exec();
    return;
  }
  DemImportDialog dialog(
      *module, [&runWith](const DemImportRequest& dem) { return runWith(commandRequest(dem)); }, this);
  // What the import writes, and where the window asks before it is replaced.
  dialog.setTarget(
      {.field = baseName(folder).empty() ? std::filesystem::path() : terrainFile(folder, suffix::kTerragen),
       .map256 = params_.option("MapSize256"),
       .askToReplace = [this](const std::string& text, const std::string& title) {
         return host_->askYesNo(text, title, Icon::None);
       }});
  dialog.addRememberedSources();
  dialog.exec();
}

void MainWindow::askTheatreCentre(const std::function<Outcome(const CommandRequest&)>& runWith) {
  std::string error;
  const auto frame = readTheatreFrame(picker_->folder(), error);
  QInputDialog dialog(this);
  dialog.setObjectName(QStringLiteral("TheatreCentreDialog"));
  dialog.setWindowTitle(tr("Set Theatre Centre"));
  dialog.setLabelText(
      tr("Where the theatre's centre lies on the Earth, in degrees LAT,LON\n"
         "(north and east positive), e.g. 46.5,8:"));
  if (frame) dialog.setTextValue(toQt(geo::exactGeoPointText({frame->lat, frame->lon})));
  if (dialog.exec() != QDialog::Accepted) return;
  CommandRequest request;
  request.options.emplace_back("--centre", fromQt(dialog.textValue().trimmed()));
  runWith(request);
}

void MainWindow::showHistory() {
  const History history(historyRoot({}), picker_->folder());
  const auto show = [this](const char* name, const Step* step, const char* verb) {
    auto* button = findChild<QPushButton*>(QLatin1String(name));
    if (!button) return;
    button->setEnabled(step != nullptr);
    button->setToolTip(step ? toQt(verb + stepText(*step)) : QString());
  };
  show("Undo", history.nextUndo(), "Undo ");
  show("Redo", history.nextRedo(), "Redo ");
  menu_->showHistory(history.nextUndo(), history.nextRedo());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (busy_ && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut: return true;
      default: break;
    }
  }
  // A switch has no text of its own: a click on the label beside it works the switch.
  if (event->type() == QEvent::MouseButtonRelease)
    if (auto* label = qobject_cast<QLabel*>(watched))
      if (auto* check = qobject_cast<QCheckBox*>(label->buddy()); check && label->window() == this)
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && check->isEnabled()) check->click();
  return QWidget::eventFilter(watched, event);
}

}  // namespace quarnby
