#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
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
#include "gui/preview_canvas.h"
#include "gui/preview_window.h"
#include "gui/qt_text.h"
#include "gui/window_placement.h"
#include "terrain/terrain_folder.h"
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
  setWindowTitle(kProgramTitle);
  host_ = std::make_unique<GuiHost>(
      this, std::array<QProgressBar*, 3>{ui_->ProgressBar1, ui_->ProgressBar2, ui_->ProgressBar3});

  bindings_ = new ControlBindings(params_, this);
  params_.setListener([this](const std::string& name) { bindings_->show(name); });
  bindings_->showAll();

  // A start folder that cannot be read is reported once start-up runs.
  host_->holdMessages();
  picker_ = new FolderPicker(ui_->Drive1, ui_->Dir1, ui_->FolderPath, *host_, this);
  connect(picker_, &FolderPicker::folderChanged, this, [this] {
    Dir1_Change(params_, picker_->folder());
    if (preview_) preview_->setFolder(picker_->folder());
    showHistory();
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

  // Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo; a text field takes them for itself first.
  const auto press = [this](const char* name) {
    if (auto* button = findChild<QPushButton*>(QLatin1String(name)); button && button->isEnabled()) button->click();
  };
  for (const auto& [keys, name] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Z), "Undo"},
                                   std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "Redo"},
                                   std::pair{QKeySequence(Qt::CTRL | Qt::Key_Y), "Redo"}})
    connect(new QShortcut(keys, this), &QShortcut::activated, this, [press, name] { press(name); });
  showHistory();

  qApp->installEventFilter(this);
  resize(sizeHint());
}

MainWindow::~MainWindow() { params_.setListener(nullptr); }

const std::filesystem::path& MainWindow::folder() const { return picker_->folder(); }

QSize MainWindow::sizeHint() const {
  const QSize form = form_->sizeHint();
  const QScreen* screen = this->screen();
  return screen ? form.boundedTo(screen->availableGeometry().size()) : form;
}

void MainWindow::startUp() {
  Context cx{params_, picker_->folder(), *host_, random_};
  Form_Load(cx);
  host_->releaseMessages();
}

void MainWindow::showPreview() {
  if (!preview_) {
    preview_ = new PreviewWindow(this);
    preview_->setFolder(picker_->folder());
  }
  preview_->showBeside(this);
}

void MainWindow::run(const Command& command) {
  runOperation([&command](Context& cx) { return runCommand(command, cx); });
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
  return outcome;
}

void MainWindow::askAndRun(const Command& command) {
  if (busy_) return;
  std::string problem;
  const geo::GeoModule* module = geo::geoModule(problem);
  if (!module) {
    host_->showMessage(geo::missingModuleText("Import DEM", problem), Icon::Critical);
    return;
  }
  DemImportDialog dialog(
      *module,
      [this, &command](const DemImportRequest& dem) {
        const CommandRequest request = commandRequest(dem);
        return runOperation([&](Context& cx) {
          cx.request = &request;
          return runCommand(command, cx);
        });
      },
      this);
  dialog.exec();
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
