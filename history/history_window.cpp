#include "history_window.h"
#include "ui_history_window.h"

#include "history_data.h"

#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/guard.h"
#include "ui/wait_cursor.h"
#include "ui/window_geometry.h"

#include <QAbstractTableModel>
#include <QHeaderView>

#include <utility>

namespace history {

// The entries as the grid's rows: when, who, where, what, the changes a line each.
class HistoryModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(std::vector<HistoryEntry> entries) {
        beginResetModel();
        entries_ = std::move(entries);
        endResetModel();
    }
    const std::vector<HistoryEntry>& entries() const { return entries_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(entries_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 5;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || size_t(index.row()) >= entries_.size())
            return {};
        const HistoryEntry& entry = entries_[size_t(index.row())];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignTop);
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        switch (index.column()) {
        case 0:
            return timeText(entry.at);
        case 1:
            return entry.login;
        case 2:
            return entry.place;
        case 3:
            return entry.what;
        default:
            // a changed column a line; a whole row's state reads as one text
            return entry.changes.join(entry.wholeRow ? QStringLiteral("; ") : QStringLiteral("\n"));
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        static const QStringList titles{QStringLiteral("Когда"), QStringLiteral("Кто"),
                                        QStringLiteral("Где"), QStringLiteral("Что"),
                                        QStringLiteral("Изменения")};
        return titles.value(section);
    }

private:
    std::vector<HistoryEntry> entries_;
};

} // namespace history

HistoryWindow::HistoryWindow(history::HistoryData& data, QWidget* parent)
    : QDialog(parent), ui(new Ui::HistoryWindow), data_(data) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("HistoryWindow"));
    model_ = new history::HistoryModel(this);
    QTableView* view = ui->changesView;
    view->setModel(model_);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(true);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    // a row is as tall as its wrapped changes at the columns' widths of the moment
    view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QHeaderView* header = view->horizontalHeader();
    const QFontMetrics metrics(view->font());
    const int pad = 2 * metrics.horizontalAdvance(u'0');
    header->resizeSection(0,
                          metrics.horizontalAdvance(QStringLiteral("88.88.8888 88:88:88")) + pad);
    header->resizeSection(1, metrics.horizontalAdvance(QStringLiteral("zemplar_00000")) + pad);
    header->resizeSection(2, metrics.horizontalAdvance(QStringLiteral("сервер (сокет)")) + pad);
    header->resizeSection(
        3, metrics.horizontalAdvance(QStringLiteral("Бригада: удалён член бригады")) + pad);
    header->setStretchLastSection(true);

    connect(ui->restoreButton, &QPushButton::clicked, this,
            ui::guarded([this] { restoreDeletion(); }));
    connect(ui->refreshButton, &QPushButton::clicked, this, ui::guarded([this] { reread(); }));
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { updateButtons(); });
}

HistoryWindow::~HistoryWindow() {
    delete ui;
}

const std::vector<history::HistoryEntry>& HistoryWindow::entries() const {
    return model_->entries();
}

bool HistoryWindow::showPosition(int positionId) {
    readPosition(positionId);
    return showModal();
}

bool HistoryWindow::showOperation(int operationId) {
    readOperation(operationId);
    return showModal();
}

bool HistoryWindow::showDeletedPositions(const QDate& day) {
    readDeletedPositions(day);
    return showModal();
}

void HistoryWindow::readPosition(int positionId) {
    readSubject(Subject::Position, positionId, {});
}

void HistoryWindow::readOperation(int operationId) {
    readSubject(Subject::Operation, operationId, {});
}

void HistoryWindow::readDeletedPositions(const QDate& day) {
    readSubject(Subject::DayDeletions, 0, day);
}

void HistoryWindow::readSubject(Subject subject, int id, const QDate& day) {
    subject_ = subject;
    id_ = id;
    day_ = day;
    restored_ = false;
    reread();
}

bool HistoryWindow::showModal() {
    seams::execModal(this);
    return std::exchange(restored_, false);
}

void HistoryWindow::reread() {
    const ui::WaitCursor wait;
    std::vector<history::HistoryEntry> entries;
    QString subject;
    switch (subject_) {
    case Subject::Position:
        entries = data_.positionHistory(id_);
        subject = QStringLiteral("Позиция № %1").arg(id_);
        break;
    case Subject::Operation:
        entries = data_.operationHistory(id_);
        subject = QStringLiteral("Операция № %1 с её нормами и видом").arg(id_);
        break;
    case Subject::DayDeletions:
        entries = data_.deletedPositions(day_);
        subject = QStringLiteral("Удалённые позиции дня %1")
                      .arg(day_.toString(QStringLiteral("dd.MM.yyyy")));
        break;
    }
    const bool none = entries.empty();
    model_->setEntries(std::move(entries));
    ui->subjectLabel->setText(subject +
                              (none ? QStringLiteral(": изменений нет.")
                                    : QStringLiteral(": изменения по времени, сначала старые.")));
    if (!none)
        ui->changesView->selectRow(model_->rowCount() - 1);
    updateButtons();
}

const history::HistoryEntry* HistoryWindow::currentEntry() const {
    const int row = ui->changesView->currentIndex().row();
    if (row < 0 || size_t(row) >= model_->entries().size())
        return nullptr;
    return &model_->entries()[size_t(row)];
}

// Only a deletion of a position that is not back already; only for the administrator.
void HistoryWindow::updateButtons() {
    const history::HistoryEntry* entry = currentEntry();
    const bool mayRestore = mayRestore_ && mayRestore_();
    ui->restoreButton->setVisible(mayRestore);
    ui->restoreButton->setEnabled(mayRestore && entry && entry->positionDeletion &&
                                  !entry->positionPresent);
}

void HistoryWindow::restoreDeletion() {
    const history::HistoryEntry* entry = currentEntry();
    if (!entry || !entry->positionDeletion)
        return;
    const int positionId = entry->positionId;
    if (!seams::Messages::current().question(
            QStringLiteral("Восстановить удалённую позицию № %1?").arg(positionId),
            QStringLiteral("Восстановление")))
        return;
    data_.restorePosition(entry->id);
    restored_ = true;
    ui::logChange(eventlog::Kind::Save, ui->restoreButton,
                  QStringLiteral("позиция %1 восстановлена").arg(positionId));
    reread();
}
