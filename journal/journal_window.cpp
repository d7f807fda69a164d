#include "journal_window.h"
#include "ui_journal_window.h"

#include "data/command.h"
#include "data/data_module.h"
#include "data/dataset.h"
#include "hours_upkeep.h"
#include "position.h"
#include "position_editor.h"
#include "seams/clock.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/wait_cursor.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QShowEvent>

#include <array>
#include <initializer_list>

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

const QStringList kCountMaterialsSql{
    QStringLiteral("select count(id) as id_cnt from accounts_dep.smena_gds_use sgu where "
                   "sgu.id_smena = :id_smena")};
const QString kAcceptRowSql = QStringLiteral("select accounts_dep.smena__accept_row(:id)\n");

std::array<data::Dataset*, 4> shiftLists(data::DataModule6& dm) {
    return {&dm.Smena1, &dm.Smena2, &dm.Smena3, &dm.Smena4};
}

bool isWeekend(const QDate& date) {
    return date.dayOfWeek() == Qt::Saturday || date.dayOfWeek() == Qt::Sunday;
}

// The status of a position; 'ok' is stored in a fixed-width column.
QString positionStatus(const data::Dataset& shift) {
    return shift.asString(QStringLiteral("ok")).trimmed();
}

ui::CellStyle okCellStyle(const data::Dataset& shift, int row) {
    const int field = shift.fieldIndex(QStringLiteral("ok"));
    const QString ok =
        field < 0 ? QString() : ui::DatasetModel::displayText(shift.valueAt(row, field));
    const bool accepted = ok == u"ok" || ok == u"да";
    return {accepted ? kGreen : kRed, true};
}

QList<ui::DatasetColumn> journalColumns() {
    const Qt::Alignment centred = Qt::AlignCenter;
    return {
        {.field = "fio", .title = "Фамилия И.О.", .width = 160, .stretch = true},
        {.field = "marka", .title = "Марка изделия", .width = 115},
        {.field = "vid", .title = "Операция", .width = 120},
        {.field = "nmn", .title = "Вид", .width = 135},
        {.field = "color", .title = "Цвет", .alignment = centred, .width = 45},
        {.field = "time", .title = "Часы", .width = 45},
        {.field = "kol_vo", .title = "Кол-во", .width = 60},
        {.field = "brak", .title = "Брак", .width = 45},
        {.field = "summa", .title = "Итого (р.)", .width = 80},
        {.field = "prize", .title = "Премия (%)", .hidden = true, .width = 80},
        {.field = "ok", .title = "OK", .alignment = centred, .width = 36, .style = okCellStyle},
        {.field = "vvod", .title = "Заведен", .alignment = centred, .width = 135},
    };
}

// Chosen: the colour as background and a bold caption; otherwise the standard look.
void markWidget(QWidget* widget, bool marked, const QColor& colour) {
    QFont font = widget->font();
    font.setBold(marked);
    widget->setFont(font);
    if (marked) {
        QPalette palette = widget->palette();
        palette.setColor(widget->backgroundRole(), colour);
        widget->setPalette(palette);
    } else {
        widget->setPalette(QPalette());
    }
    widget->setAutoFillBackground(marked);
}

} // namespace

JournalWindow::JournalWindow(const std::function<void(JournalWindow&)>& createWindows,
                             QWidget* parent)
    : QDialog(parent), ui(new Ui::JournalWindow) {
    ui->setupUi(this);
    ui->mainLayout->setMenuBar(ui->MainMenu1);
    // The submenus' entries in the menu bar carry the menus' names: "Справочники" and
    // "Отчеты" are those entries, and people and tests find them by these names.
    ui->N2->menuAction()->setObjectName(QStringLiteral("N2"));
    ui->N7->menuAction()->setObjectName(QStringLiteral("N7"));

    dataModule_ = std::make_unique<data::DataModule6>();
    smena_gds_use_cnt =
        std::make_unique<data::Dataset>(&dataModule_->ADO_DB, QStringLiteral("smena_gds_use_cnt"));
    smena_gds_use_cnt->setSql(kCountMaterialsSql);
    smena_accept_row =
        std::make_unique<data::Command>(&dataModule_->ADO_DB, QStringLiteral("smena_accept_row"));
    smena_accept_row->setSql(kAcceptRowSql);

    setUpGrid();
    paintShiftButtons();
    paintWeekendBox();
    connectHandlers();

    if (createWindows)
        createWindows(*this);
}

JournalWindow::~JournalWindow() {
    ui->DBGrid2->setModel(nullptr);
    delete ui;
}

void JournalWindow::setUpGrid() {
    gridModel_ = new ui::DatasetModel(&dataModule_->Smena1, journalColumns(), this);
    gridModel_->setObjectName(QStringLiteral("DataSource"));
    ui::bindDataGrid(ui->DBGrid2, gridModel_);
}

void JournalWindow::connectHandlers() {
    const std::array<QRadioButton*, 4> shiftButtons{ui->RadioButton1, ui->RadioButton2,
                                                    ui->RadioButton3, ui->RadioButton4};
    for (int shift = 1; shift <= 4; ++shift)
        connect(shiftButtons[size_t(shift - 1)], &QRadioButton::clicked, this,
                [this, shift](bool checked) {
                    ui::runGuarded([&] { on_RadioButton_clicked(shift, checked); });
                });

    // The calendar's choice re-reads; typing a date does not until Enter (eventFilter).
    QCalendarWidget* calendar = ui->DateT->calendarWidget();
    for (auto signal : {&QCalendarWidget::clicked, &QCalendarWidget::activated})
        connect(calendar, signal, this, [this](QDate date) {
            ui::runGuarded([&] {
                ui->DateT->setDate(date);
                on_DateT_dateChosen();
            });
        });
    ui->DateT->installEventFilter(this);

    connect(ui->CBox1, &QCheckBox::toggled, this, ui::guarded([this] { paintWeekendBox(); }));
    connect(ui->Button8, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button8_clicked(); }));
    connect(ui->Button5, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button5_clicked(); }));
    connect(ui->Button3, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button3_clicked(); }));
    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button2_clicked(); }));
    connect(ui->DBGrid2, &QAbstractItemView::doubleClicked, this,
            ui::guarded([this] { on_DBGrid2_doubleClicked(); }));
    // Button6 "Отмена" has no action.
    connect(ui->Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->N5, &QAction::triggered, this, &QDialog::reject);
    connect(ui->N6, &QAction::triggered, this, ui::guarded([this] { on_N6_triggered(); }));
    connect(ui->N4, &QAction::triggered, this, ui::guarded([this] { on_N4_triggered(); }));
    connect(ui->N11, &QAction::triggered, this, ui::guarded([this] { on_N11_triggered(); }));
    connect(ui->N10, &QAction::triggered, this, ui::guarded([this] { on_N10_triggered(); }));
}

QDate JournalWindow::journalDate() const {
    return ui->DateT->date();
}

bool JournalWindow::dayOff() const {
    return ui->CBox1->isChecked();
}

data::Dataset& JournalWindow::currentShift() {
    return dataModule_->smena(login_.CurSmena);
}

void JournalWindow::applyRights(const ui::JournalRights& rights) {
    for (QWidget* w : std::initializer_list<QWidget*>{ui->Button1, ui->Button2, ui->Button3})
        w->setEnabled(rights.recordPositions);
    ui->Button5->setEnabled(rights.acceptPositions);
    ui->N2->menuAction()->setEnabled(rights.directories);
    ui->N11->setEnabled(rights.directories);
    ui->N7->menuAction()->setEnabled(rights.reports);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->RadioButton1, ui->RadioButton2,
                                                      ui->RadioButton3, ui->RadioButton4, ui->CBox1,
                                                      ui->Button8, ui->DBGrid2, ui->DateT})
        w->setEnabled(rights.browseDays);
}

void JournalWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window restored by the window manager is not coming back from a dialog.
    if (!event->spontaneous())
        ui::runGuarded([this] { activate(); });
}

bool JournalWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->DateT && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ui::runGuarded([this] {
                ui->DateT->interpretText();
                on_DateT_dateChosen();
            });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int JournalWindow::openModal(QDialog* dialog) {
    const int result = seams::execModal(dialog);
    activate();
    return result;
}

void JournalWindow::activate() {
    const QDate today = seams::Clock::today();
    ui->DateT->setDate(today);
    if (isWeekend(today))
        ui->CBox1->setChecked(true);
    readShifts();
}

void JournalWindow::readShifts() {
    for (data::Dataset* shift : shiftLists(*dataModule_))
        shift->close();
    for (data::Dataset* shift : shiftLists(*dataModule_)) {
        shift->setParam(QStringLiteral("data"), ui->DateT->date());
        shift->open();
    }
}

void JournalWindow::on_RadioButton_clicked(int shift, bool checked) {
    if (checked)
        showShift(shift);
}

void JournalWindow::showShift(int shift) {
    gridModel_->setDataset(&dataModule_->smena(shift));
    login_.CurSmena = shift;
    paintShiftButtons();
}

void JournalWindow::paintShiftButtons() {
    const std::array<QRadioButton*, 4> shiftButtons{ui->RadioButton1, ui->RadioButton2,
                                                    ui->RadioButton3, ui->RadioButton4};
    for (int shift = 1; shift <= 4; ++shift)
        markWidget(shiftButtons[size_t(shift - 1)], shift == login_.CurSmena, kGreen);
}

void JournalWindow::paintWeekendBox() {
    markWidget(ui->CBox1, ui->CBox1->isChecked(), kRed);
}

void JournalWindow::on_DateT_dateChosen() {
    {
        ui::WaitCursor wait;
        readShifts();
        ui->CBox1->setChecked(isWeekend(ui->DateT->date()));
    }
    ui->DBGrid2->setFocus();
}

void JournalWindow::on_Button8_clicked() {
    ui::WaitCursor wait;
    for (data::Dataset* shift : shiftLists(*dataModule_))
        shift->close();
    for (data::Dataset* shift : shiftLists(*dataModule_)) // with their parameters as they are
        shift->open();
}

void JournalWindow::on_Button5_clicked() {
    acceptCurrentPosition();
}

// Only finished products with at least one material row can be accepted.
void JournalWindow::acceptCurrentPosition() {
    data::Dataset& shift = currentShift();
    if (shift.isEmpty())
        return;
    if (positionStatus(shift) == u"ok" || shift.asInt(QStringLiteral("naimen")) != 0)
        return;
    const int positionId = shift.asInt(QStringLiteral("id"));

    smena_gds_use_cnt->close();
    smena_gds_use_cnt->setParam(QStringLiteral("id_smena"), positionId);
    smena_gds_use_cnt->open();
    if (!(smena_gds_use_cnt->asInt64(QStringLiteral("id_cnt")) > 0)) {
        seams::Messages::current().error(QStringLiteral("Не заведен расход ТМЦ!"),
                                         seams::kErrorCaption);
        return;
    }

    const int recNo = shift.recNo();
    // the list is read again whether it is accepted, refused or found changed
    const auto reread = qScopeGuard([&shift, recNo] {
        ui::runGuarded([&] {
            shift.requery();
            shift.setRecNo(recNo);
        });
    });
    smena_accept_row->setParam(QStringLiteral("id"), positionId);
    journal::PositionSaver(*dataModule_)
        .whileAsListed(positionId, journal::PositionVersion::listed(shift),
                       [this] { smena_accept_row->execute(); });
}

void JournalWindow::on_Button3_clicked() {
    data::Dataset& shift = currentShift();
    if (shift.isEmpty() || shift.isNull(QStringLiteral("id")) || positionStatus(shift) == u"ok")
        return;
    if (!seams::Messages::current().question(QStringLiteral("Удалить позицию из списка?"),
                                             seams::kDeleteCaption)) {
        shift.requery();
        return;
    }
    // Only the position as listed goes: another workstation's change or deletion since is
    // told, and the list read again. The cell is the position's own as stored.
    const int positionId = shift.asInt(QStringLiteral("id"));
    const journal::PositionVersion listed = journal::PositionVersion::listed(shift);
    try {
        journal::PositionSaver(*dataModule_).remove(positionId, listed, [&shift] {
            shift.requery();
        });
    } catch (const journal::PositionStale&) {
        shift.requery();
        throw;
    }
}

void JournalWindow::on_DBGrid2_doubleClicked() {
    if (login_.isMaster()) {
        acceptCurrentPosition();
        return;
    }
    if (!entry_)
        return;
    const int listed = currentShift().isEmpty() ? 0 : currentShift().asInt(QStringLiteral("id"));
    entry_->openView();
    backFromEntry(listed);
}

void JournalWindow::on_Button1_clicked() {
    if (!entry_)
        return;
    entry_->openNew();
    backFromEntry(entry_->positionId());
}

void JournalWindow::on_Button2_clicked() {
    if (!entry_)
        return;
    const int listed = currentShift().isEmpty() ? 0 : currentShift().asInt(QStringLiteral("id"));
    entry_->openChange();
    backFromEntry(listed);
}

// Back on today's lists, standing on the position the dialog worked on when it is listed.
void JournalWindow::backFromEntry(int positionId) {
    activate();
    if (positionId != 0)
        currentShift().locate(QStringLiteral("id"), positionId);
}

void JournalWindow::on_N6_triggered() {
    if (!openers_.operationTypes)
        return;
    openers_.operationTypes();
    activate();
}

void JournalWindow::on_N4_triggered() {
    if (!openers_.prices)
        return;
    openers_.prices();
    activate();
}

void JournalWindow::on_N11_triggered() {
    if (!openers_.timesheet)
        return;
    openers_.timesheet(ui->DateT->date());
    activate();
}

void JournalWindow::on_N10_triggered() {
    if (!openers_.reports)
        return;
    openers_.reports();
    activate();
}
