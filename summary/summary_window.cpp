#include "summary_window.h"
#include "ui_summary_window.h"

#include "summary_board.h"

#include "files/atomic_file.h"
#include "files/export_folder.h"
#include "reportengine/prepared_report.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/guard.h"
#include "ui/month_choosers.h"
#include "ui/wait_cursor.h"
#include "ui/window_geometry.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <algorithm>

namespace summary {

SummaryWindow::SummaryWindow(SummaryData& data, QWidget* parent)
    : QDialog(parent), ui_(new Ui::SummaryWindow), data_(data), board_(new SummaryBoard(this)),
      kinds_(new QButtonGroup(this)) {
    ui_->setupUi(this);
    ui_->boardLayout->addWidget(board_);
    ui::rememberGeometry(this, QStringLiteral("SummaryWindow"));
    kinds_->addButton(ui_->allKindsRadio, int(data::ProductKind::All));
    kinds_->addButton(ui_->finishedRadio, int(data::ProductKind::Finished));
    kinds_->addButton(ui_->blanksRadio, int(data::ProductKind::Blanks));
    fillYears();

    for (QComboBox* box : {ui_->monthCombo, ui_->yearCombo})
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this,
                ui::guarded([this] { readChosenMonth(); }));
    connect(kinds_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            ui::runGuarded([this] { readChosenMonth(); });
    });
    connect(ui_->printButton, &QPushButton::clicked, this,
            ui::guarded([this] { previewPrinted(); }));
    connect(ui_->pictureButton, &QPushButton::clicked, this, ui::guarded([this] {
                const QString path = savePicture();
                seams::Messages::current().information(
                    QStringLiteral("Картинка сохранена: %1").arg(QDir::toNativeSeparators(path)),
                    windowTitle());
            }));
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(board_, &SummaryBoard::dayClicked, this, [this](const QDate& day) { dayChosen(day); });
}

SummaryWindow::~SummaryWindow() {
    delete ui_;
}

ui::MonthChoosers SummaryWindow::choosers() const {
    return {ui_->monthCombo, ui_->yearCombo};
}

void SummaryWindow::fillYears() {
    choosers().fillYears();
}

int SummaryWindow::month() const {
    return choosers().month();
}

int SummaryWindow::year() const {
    return choosers().year();
}

data::ProductKind SummaryWindow::kind() const {
    return data::ProductKind(std::max(0, kinds_->checkedId()));
}

QDate SummaryWindow::openForMonth(const QDate& journalDate) {
    chosenDay_ = QDate();
    fillYears();
    chooseMonthOf(journalDate);
    readChosenMonth();
    seams::execModal(this);
    return chosenDay_;
}

void SummaryWindow::chooseMonthOf(const QDate& journalDate) {
    choosers().choose(journalDate);
}

void SummaryWindow::readChosenMonth() {
    if (year() == 0)
        return;
    const ui::WaitCursor wait;
    board_->showSummary(data_.read(month(), year(), kind()));
}

report::PreparedReport SummaryWindow::printedPage() const {
    return printedSummary(board_->shownSummary());
}

void SummaryWindow::previewPrinted() {
    if (year() == 0)
        return;
    printedPage().preview(this);
}

// Into the documents folder under a name after the month, never over an older file.
QString SummaryWindow::savePicture() {
    const MonthSummary& shown = board_->shownSummary();
    QString path = files::reserveFreeName(files::exportFolder(), pictureFileName(shown));
    files::AtomicFile file(path);
    bool written = file.open();
    if (written) {
        QImageWriter writer(&file.device(), "png");
        if (!writer.write(picture(shown)))
            file.fail(files::notWritten(path, writer.errorString()));
        written = file.commit();
    }
    if (!written) {
        QFile::remove(path); // the name it had taken
        throw files::WriteError(file.failure());
    }
    return path;
}

void SummaryWindow::dayChosen(const QDate& day) {
    chosenDay_ = day;
    accept();
}

} // namespace summary
