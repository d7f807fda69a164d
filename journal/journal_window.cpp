#include "journal_window.h"
#include "ui_journal_window.h"

#include "data/dataset.h"
#include "hours_upkeep.h"
#include "journal_colours.h"
#include "position.h"
#include "position_editor.h"
#include "positions.h"
#include "seams/clock.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/cell_colours.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/wait_cursor.h"
#include "ui/window_geometry.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QShortcut>
#include <QShowEvent>

#include <array>
#include <initializer_list>

namespace {

bool isWeekend(const QDate& date) {
    return date.dayOfWeek() == Qt::Saturday || date.dayOfWeek() == Qt::Sunday;
}

const QString kExitQuestion = QStringLiteral("Выйти из программы?");
const QString kExitCaption = QStringLiteral("Выход");

bool currentAccepted(const data::Dataset& shift) {
    return journal::statusAccepted(shift.asString(QStringLiteral("ok")));
}

ui::CellStyle okCellStyle(const data::Dataset& shift, int row) {
    const int field = shift.fieldIndex(QStringLiteral("ok"));
    const QString ok =
        field < 0 ? QString() : ui::DatasetModel::displayText(shift.valueAt(row, field));
    return journal::acceptanceStyle(ok);
}

QString okCellText(const QVariant& value) {
    return journal::statusText(ui::DatasetModel::displayText(value));
}

QList<ui::DatasetColumn> journalColumns() {
    const Qt::Alignment centred = Qt::AlignCenter;
    // the samples: the widest of a shop's usual values
    return {
        {.field = "fio", .title = "Фамилия И.О.", .width = 160, .stretch = true},
        {.field = "marka", .title = "Марка изделия", .sample = "КМ-120-01-Ц"},
        {.field = "vid", .title = "Операция", .sample = "Токарная обработка"},
        {.field = "nmn", .title = "Вид", .sample = "Готовая продукция"},
        {.field = "color", .title = "Цвет", .alignment = centred, .sample = "9005"},
        {.field = "time", .title = "Часы", .sample = "24"},
        {.field = "kol_vo", .title = "Кол-во", .sample = "1000,5"},
        {.field = "brak", .title = "Брак", .sample = "100"},
        {.field = "summa", .title = "Итого (р.)", .sample = "999999,99"},
        {.field = "prize", .title = "Премия (%)", .hidden = true, .width = 80},
        {.field = "ok",
         .title = "OK",
         .alignment = centred,
         .style = okCellStyle,
         .text = okCellText,
         .sample = "не принята"},
        {.field = "vvod",
         .title = "Заведен",
         .alignment = centred,
         .sample = "88.88.8888 88:88:88"},
    };
}

} // namespace

JournalWindow::JournalWindow(data::Connection& connection, journal::Positions& positions,
                             QWidget* parent)
    : QDialog(parent), ui(new Ui::JournalWindow), connection_(connection), positions_(positions),
      closedMonths_(connection) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("JournalWindow"));
    ui->mainLayout->setMenuBar(ui->menuBar);
    // The submenus' entries in the menu bar carry the menus' names: "Справочники" and
    // "Отчеты" are those entries, and people and tests find them by these names.
    ui->directoriesMenu->menuAction()->setObjectName(QStringLiteral("directoriesMenu"));
    ui->reportsMenu->menuAction()->setObjectName(QStringLiteral("reportsMenu"));

    setUpGrid();
    paintShiftButtons();
    paintWeekendBox();
    connectHandlers();
}

JournalWindow::~JournalWindow() {
    ui->positionsView->setModel(nullptr);
    delete ui;
}

void JournalWindow::setUpGrid() {
    gridModel_ = new ui::DatasetModel(&positions_.shiftPositions(1), journalColumns(), this);
    gridModel_->setObjectName(QStringLiteral("positionsModel"));
    ui::bindDataGrid(ui->positionsView, gridModel_);
}

void JournalWindow::connectHandlers() {
    const std::array<QRadioButton*, 4> shiftButtons{ui->shift1Radio, ui->shift2Radio,
                                                    ui->shift3Radio, ui->overtimeRadio};
    for (int shift = 1; shift <= 4; ++shift)
        connect(
            shiftButtons[size_t(shift - 1)], &QRadioButton::clicked, this,
            [this, shift](bool checked) { ui::runGuarded([&] { shiftChosen(shift, checked); }); });

    // The calendar's choice re-reads; typing a date does not until Enter (eventFilter).
    QCalendarWidget* calendar = ui->journalDateEdit->calendarWidget();
    for (auto signal : {&QCalendarWidget::clicked, &QCalendarWidget::activated})
        connect(calendar, signal, this, [this](QDate date) {
            ui::runGuarded([&] {
                ui->journalDateEdit->setDate(date);
                journalDateChosen();
            });
        });
    ui->journalDateEdit->installEventFilter(this);

    connect(ui->dayOffCheck, &QCheckBox::toggled, this, ui::guarded([this] { paintWeekendBox(); }));
    const auto handler = [this](QPushButton* button, void (JournalWindow::*slot)()) {
        connect(button, &QPushButton::clicked, this,
                ui::guarded([this, slot] { (this->*slot)(); }));
    };
    handler(ui->refreshButton, &JournalWindow::rereadShifts);
    handler(ui->acceptButton, &JournalWindow::acceptCurrentPosition);
    handler(ui->deleteButton, &JournalWindow::deletePosition);
    handler(ui->addButton, &JournalWindow::addPosition);
    handler(ui->editButton, &JournalWindow::editPosition);
    handler(ui->historyButton, &JournalWindow::openPositionHistory);
    connect(ui->positionsView, &QAbstractItemView::doubleClicked, this,
            ui::guarded([this] { positionActivated(); }));
    connect(ui->exitButton, &QPushButton::clicked, this, &QDialog::reject);
    connectMenu();
    connectKeys();
}

// A shift's work without the mouse. A key does what its button does, and only while the button
// may be used: the login's rights decide for both. Enter, Space and Delete act on the grid's row,
// so they belong to the grid; elsewhere they keep their meaning (Space presses a button).
void JournalWindow::connectKeys() {
    const auto onKeys = [this](QWidget* scope, std::initializer_list<QKeySequence> keys,
                               Qt::ShortcutContext context, void (JournalWindow::*slot)()) {
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, scope);
            shortcut->setContext(context);
            connect(shortcut, &QShortcut::activated, this,
                    ui::guarded([this, slot] { (this->*slot)(); }));
        }
    };
    const auto pressing = [](QPushButton* button) {
        return [button] {
            if (button->isEnabled())
                button->click();
        };
    };
    const auto pressingOn = [this, &pressing](QWidget* scope, const QKeySequence& key,
                                              Qt::ShortcutContext context, QPushButton* button) {
        auto* shortcut = new QShortcut(key, scope);
        shortcut->setContext(context);
        connect(shortcut, &QShortcut::activated, this, pressing(button));
    };
    pressingOn(this, Qt::Key_Insert, Qt::WindowShortcut, ui->addButton);
    pressingOn(this, Qt::CTRL | Qt::Key_N, Qt::WindowShortcut, ui->addButton);
    pressingOn(this, Qt::Key_F5, Qt::WindowShortcut, ui->refreshButton);
    pressingOn(ui->positionsView, Qt::Key_Delete, Qt::WidgetShortcut, ui->deleteButton);
    onKeys(ui->positionsView, {Qt::Key_Return, Qt::Key_Enter}, Qt::WidgetShortcut,
           &JournalWindow::openCurrentPosition);
    onKeys(ui->positionsView, {Qt::Key_Space}, Qt::WidgetShortcut, &JournalWindow::acceptByKey);
    onKeys(this, {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}, Qt::WindowShortcut,
           &JournalWindow::acceptByKey);
}

void JournalWindow::connectMenu() {
    const auto handler = [this](QAction* action, void (JournalWindow::*slot)()) {
        connect(action, &QAction::triggered, this, ui::guarded([this, slot] { (this->*slot)(); }));
    };
    connect(ui->exitAction, &QAction::triggered, this, &QDialog::reject);
    handler(ui->operationTypesAction, &JournalWindow::openOperationTypes);
    handler(ui->pricesAction, &JournalWindow::openPrices);
    handler(ui->timesheetAction, &JournalWindow::openTimesheet);
    handler(ui->summaryReportsAction, &JournalWindow::openReports);
    handler(ui->positionHistoryAction, &JournalWindow::openPositionHistory);
    handler(ui->deletedPositionsAction, &JournalWindow::openDeletedPositions);
    // a row's history from its context menu, as from the button
    ui->positionsView->setContextMenuPolicy(Qt::ActionsContextMenu);
    ui->positionsView->addAction(ui->positionHistoryAction);
    ui->positionsView->addAction(ui->deletedPositionsAction);
    handler(ui->monthSummaryAction, &JournalWindow::openSummary);
}

QDate JournalWindow::journalDate() const {
    return ui->journalDateEdit->date();
}

bool JournalWindow::dayOff() const {
    return ui->dayOffCheck->isChecked();
}

journal::JournalDay JournalWindow::journalDay() const {
    return {journalDate(), dayOff(), login_.currentShift};
}

data::Dataset& JournalWindow::shownPositions() {
    return positions_.shiftPositions(login_.currentShift);
}

void JournalWindow::applyRights(const ui::JournalRights& rights) {
    rights_ = rights;
    showMonthState();
    ui->directoriesMenu->menuAction()->setEnabled(rights.directories);
    ui->timesheetAction->setEnabled(rights.timesheet);
    ui->reportsMenu->menuAction()->setEnabled(rights.reports);
    // the database lets a clerk read no history: no way into it is shown
    ui->historyButton->setVisible(rights.history);
    for (QAction* a : {ui->positionHistoryAction, ui->deletedPositionsAction}) {
        a->setVisible(rights.history);
        a->setEnabled(rights.history);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->shift1Radio, ui->shift2Radio, ui->shift3Radio, ui->overtimeRadio, ui->dayOffCheck,
             ui->refreshButton, ui->positionsView, ui->journalDateEdit})
        w->setEnabled(rights.browseDays);
}

void JournalWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window restored by the window manager is not coming back from a dialog.
    if (event->spontaneous())
        return;
    ui::runGuarded([this] { activate(); });
    // the keys of the day's work act on the grid's row
    if (ui->positionsView->isEnabled())
        ui->positionsView->setFocus();
}

// Esc would end the program: it asks first. "Выход" and the menu's "Выход" do not.
void JournalWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    if (seams::Messages::current().question(kExitQuestion, kExitCaption))
        reject();
}

bool JournalWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->journalDateEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ui::runGuarded([this] {
                ui->journalDateEdit->interpretText();
                journalDateChosen();
            });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void JournalWindow::activate() {
    const QDate today = seams::Clock::today();
    ui->journalDateEdit->setDate(today);
    if (isWeekend(today))
        ui->dayOffCheck->setChecked(true);
    readShifts();
}

void JournalWindow::readShifts() {
    positions_.readDay(ui->journalDateEdit->date());
    readMonthState();
}

void JournalWindow::readMonthState() {
    const QDate date = journalDate();
    const std::optional<data::MonthClosing> closing =
        closedMonths_.closing(date.month(), date.year());
    monthClosed_ = closing.has_value();
    ui->monthClosedLabel->setToolTip(
        closing ? QStringLiteral("Закрыт %1 (%2): позиции, материалы и табель этого месяца "
                                 "изменить нельзя.")
                      .arg(closing->closedAt, closing->closedBy)
                : QString());
    showMonthState();
}

// The database refuses every change in a closed month; the buttons say so beforehand.
void JournalWindow::showMonthState() {
    ui->monthClosedLabel->setVisible(monthClosed_);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->addButton, ui->editButton, ui->deleteButton})
        w->setEnabled(rights_.recordPositions && !monthClosed_);
    ui->acceptButton->setEnabled(rights_.acceptPositions && !monthClosed_);
}

void JournalWindow::shiftChosen(int shift, bool checked) {
    if (checked)
        showShift(shift);
}

void JournalWindow::showShift(int shift) {
    gridModel_->setDataset(&positions_.shiftPositions(shift));
    login_.currentShift = shift;
    paintShiftButtons();
}

void JournalWindow::paintShiftButtons() {
    const std::array<QRadioButton*, 4> shiftButtons{ui->shift1Radio, ui->shift2Radio,
                                                    ui->shift3Radio, ui->overtimeRadio};
    for (int shift = 1; shift <= 4; ++shift)
        ui::markByBackground(shiftButtons[size_t(shift - 1)], shift == login_.currentShift,
                             journal::kAcceptedGreen);
}

void JournalWindow::paintWeekendBox() {
    ui::markByBackground(ui->dayOffCheck, ui->dayOffCheck->isChecked(), journal::kOpenRed);
}

void JournalWindow::journalDateChosen() {
    {
        ui::WaitCursor wait;
        readShifts();
        ui->dayOffCheck->setChecked(isWeekend(ui->journalDateEdit->date()));
    }
    ui->positionsView->setFocus();
}

void JournalWindow::rereadShifts() {
    ui::WaitCursor wait;
    positions_.rereadShifts();
    readMonthState(); // another workstation may have closed or opened it
}

// Only finished products with at least one material row can be accepted.
void JournalWindow::acceptCurrentPosition() {
    data::Dataset& shift = shownPositions();
    if (shift.isEmpty())
        return;
    if (currentAccepted(shift) || shift.asInt(QStringLiteral("naimen")) != 0)
        return;
    const int positionId = shift.asInt(QStringLiteral("id"));
    if (!(positions_.materialCount(positionId) > 0)) {
        seams::Messages::current().error(QStringLiteral("Не заведен расход ТМЦ!"),
                                         seams::kErrorCaption);
        return;
    }

    const int recNo = shift.recNo();
    // the list is read again whether it is accepted, refused or found changed
    const auto reread = qScopeGuard([this, &shift, recNo] {
        ui::runGuarded([&] {
            shift.requery();
            shift.setRecNo(recNo);
            readMonthState();
        });
    });
    const QString accepted = journal::ListedPosition::current(shift).value().logText();
    journal::PositionSaver(connection_)
        .whileAsListed(positionId, journal::PositionVersion::listed(shift),
                       [this, positionId] { positions_.accept(positionId); });
    ui::logChange(eventlog::Kind::Acceptance, ui->acceptButton, accepted);
}

void JournalWindow::deletePosition() {
    data::Dataset& shift = shownPositions();
    if (shift.isEmpty() || shift.isNull(QStringLiteral("id")))
        return;
    if (currentAccepted(shift)) {
        seams::Messages::current().error(journal::kPositionAcceptedText, seams::kErrorCaption);
        return;
    }
    if (!seams::Messages::current().question(QStringLiteral("Удалить позицию из списка?"),
                                             seams::kDeleteCaption)) {
        shift.requery();
        return;
    }
    // Only the position as listed goes: another workstation's change or deletion since is
    // told, and the list read again. The cell is the position's own as stored.
    const int positionId = shift.asInt(QStringLiteral("id"));
    const journal::PositionVersion listed = journal::PositionVersion::listed(shift);
    const QString deleted = journal::ListedPosition::current(shift).value().logText();
    try {
        journal::PositionSaver(connection_).remove(positionId, listed, [&shift] {
            shift.requery();
        });
    } catch (const journal::PositionStale&) {
        shift.requery();
        throw;
    } catch (const data::DataError& e) {
        // a month closed meanwhile: the buttons follow; the refusal is the error shown
        if (e.isRuleRefusal())
            ui::runGuarded([this] { readMonthState(); });
        throw;
    }
    ui::logChange(eventlog::Kind::Deletion, ui->deleteButton, deleted);
}

void JournalWindow::positionActivated() {
    if (login_.isMaster()) {
        acceptCurrentPosition();
        return;
    }
    if (!entry_)
        return;
    const std::optional<journal::ListedPosition> listed =
        journal::ListedPosition::current(shownPositions());
    if (listed)
        entry_->openView(*listed);
    backFromEntry(listed ? listed->id : 0);
}

void JournalWindow::addPosition() {
    if (!entry_)
        return;
    backFromEntry(entry_->openNew(journalDay()));
}

// An accepted position is not opened for a change; the person is told why.
void JournalWindow::editPosition() {
    if (!entry_)
        return;
    const std::optional<journal::ListedPosition> listed =
        journal::ListedPosition::current(shownPositions());
    if (listed && listed->accepted()) {
        seams::Messages::current().error(journal::kPositionAcceptedText, seams::kErrorCaption);
        return;
    }
    if (listed)
        entry_->openChange(*listed, journalDay());
    backFromEntry(listed ? listed->id : 0);
}

// Enter opens the row: for a change when the login may change it and it is not accepted,
// otherwise to look at, as a clerk's double-click does.
void JournalWindow::openCurrentPosition() {
    if (!entry_)
        return;
    const std::optional<journal::ListedPosition> listed =
        journal::ListedPosition::current(shownPositions());
    if (!listed)
        return;
    if (ui->editButton->isEnabled() && !listed->accepted())
        entry_->openChange(*listed, journalDay());
    else
        entry_->openView(*listed);
    backFromEntry(listed->id);
}

// A master's double-click accepts; the keys do the same for a master.
void JournalWindow::acceptByKey() {
    if (login_.isMaster() && ui->acceptButton->isEnabled())
        acceptCurrentPosition();
}

// Back on today's lists, standing on the position the dialog worked on when it is listed.
void JournalWindow::backFromEntry(int positionId) {
    activate();
    if (positionId != 0)
        shownPositions().locate(QStringLiteral("id"), positionId);
}

void JournalWindow::backFromMenu(const std::function<void()>& opener) {
    if (!opener)
        return;
    opener();
    activate();
}

void JournalWindow::openOperationTypes() {
    backFromMenu(openers_.operationTypes);
}

void JournalWindow::openPrices() {
    backFromMenu(openers_.prices);
}

void JournalWindow::openTimesheet() {
    if (!openers_.timesheet)
        return;
    openers_.timesheet(ui->journalDateEdit->date());
    activate();
}

void JournalWindow::openReports() {
    backFromMenu(openers_.reports);
}

void JournalWindow::openPositionHistory() {
    if (!openers_.positionHistory || !ui->historyButton->isVisible())
        return;
    const data::Dataset& shift = shownPositions();
    if (shift.isEmpty() || shift.isNull(QStringLiteral("id")))
        return;
    const int positionId = shift.asInt(QStringLiteral("id"));
    backFromHistory(openers_.positionHistory(positionId), positionId);
}

void JournalWindow::openDeletedPositions() {
    if (!openers_.deletedPositions || !ui->historyButton->isVisible())
        return;
    backFromHistory(openers_.deletedPositions(journalDate()), 0);
}

// The journal stays on its day; a restored position is in its shift's list again.
void JournalWindow::backFromHistory(bool restored, int positionId) {
    if (!restored)
        return;
    rereadShifts();
    if (positionId != 0)
        shownPositions().locate(QStringLiteral("id"), positionId);
}

// A day clicked in the summary is shown once the journal is back.
void JournalWindow::openSummary() {
    if (!openers_.summary)
        return;
    const QDate day = openers_.summary(ui->journalDateEdit->date());
    activate();
    if (day.isValid()) {
        ui->journalDateEdit->setDate(day);
        journalDateChosen();
    }
}
