#include "position.h"

#include "hours_upkeep.h"

#include "data/command.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/data_error.h"
#include "data/dataset.h"
#include "data/statement_files.h"
#include "data/transaction.h"
#include "seams/messages.h"
#include "ui/value_rules.h"

#include <QLocale>

#include <optional>
#include <tuple>

namespace journal {

namespace {

// The typed numbers as the statement's parameters carry them: formatted by code, so what
// the server reads is a plain decimal whatever was typed or pasted.
struct Numbers {
    QString price;
    QString quantity;
    QString rejects;
    QString hours;
};

Numbers numbers(const Position& p, const SaveConditions& c) {
    return {data::sqlNumber(positionPrice(p.operationPrice, c.dayOff, c.shift), 4),
            data::sqlNumber(data::toDouble(p.quantity)),
            QString::number(data::toInt(p.rejects.trimmed())),
            QString::number(data::toInt(p.hours.trimmed()))};
}

} // namespace

QString refusalText(SaveRefusal refusal) {
    switch (refusal) {
    case SaveRefusal::MissingFields:
        return seams::kAllFieldsRequired;
    case SaveRefusal::AboveRequired:
        return QStringLiteral("Количество изделий не может быть больше требуемого!");
    case SaveRefusal::RejectsAboveQuantity:
        return QStringLiteral("Брак не может быть больше количества!");
    case SaveRefusal::QuantityNotANumber:
        return ui::kNotANumberText;
    case SaveRefusal::QuantityOutOfRange:
        return ui::kQuantityOutOfRange;
    case SaveRefusal::HoursOutOfRange:
        return ui::kHoursOutOfRange;
    case SaveRefusal::WorkDateOutOfRange:
        return ui::kWorkDateOutOfRange;
    case SaveRefusal::None:
        break;
    }
    return QString();
}

SaveRefusal checkPosition(const Position& p, const PositionForm& form) {
    if (form.workerText.trimmed().isEmpty() || form.operationText.trimmed().isEmpty() ||
        p.quantity.trimmed().isEmpty() || p.rejects.trimmed().isEmpty() ||
        p.hours.trimmed().isEmpty() || !form.lineShown || !form.requisitionShown)
        return SaveRefusal::MissingFields;
    const std::optional<double> typed = ui::decimalValue(p.quantity);
    if (!typed)
        return SaveRefusal::QuantityNotANumber;
    if (!ui::quantityAllowed(*typed))
        return SaveRefusal::QuantityOutOfRange;
    const double quantity = *typed;
    bool whole = false;
    const qint64 hours = p.hours.trimmed().toLongLong(&whole);
    if (!whole || !ui::hoursAllowed(hours))
        return SaveRefusal::HoursOutOfRange;
    if (!ui::workDateAllowed(p.workDay, form.today))
        return SaveRefusal::WorkDateOutOfRange;
    if (quantity > form.lineRequired && form.lineRequired > 0)
        return SaveRefusal::AboveRequired;
    // more rejects than pieces would be a negative piecework sum
    if (data::toInt(p.rejects.trimmed()) > quantity)
        return SaveRefusal::RejectsAboveQuantity;
    return SaveRefusal::None;
}

double positionPrice(float operationPrice, bool dayOff, int shift) {
    double price = operationPrice;
    if (dayOff)
        price *= 2.0;
    if (shift == 3)
        price *= 1.2;
    else if (shift == 4)
        price *= 1.5;
    return data::rounded(price, 4);
}

QString priceFactorText(bool dayOff, int shift) {
    double factor = 1;
    QStringList reasons;
    if (shift == 3) {
        factor *= 1.2;
        reasons << QStringLiteral("смена 3");
    } else if (shift == 4) {
        factor *= 1.5;
        reasons << QStringLiteral("переработка");
    }
    if (dayOff) {
        factor *= 2.0;
        reasons << QStringLiteral("выходной");
    }
    if (reasons.isEmpty())
        return QString();
    return QStringLiteral("× %1: %2")
        .arg(QLocale().toString(factor, 'g', 3), reasons.join(QStringLiteral(", ")));
}

QList<std::pair<QString, QVariant>> positionValues(const Position& p, const SaveConditions& c) {
    const Numbers n = numbers(p, c);
    QList<std::pair<QString, QVariant>> values{
        {QStringLiteral("worker"), p.workerCode},
        {QStringLiteral("product"), p.productId},
        {QStringLiteral("operation"), p.operationId},
        {QStringLiteral("price"), n.price},
        {QStringLiteral("quantity"), n.quantity},
        {QStringLiteral("rejects"), n.rejects},
        {QStringLiteral("work_day"), p.workDay},
        {QStringLiteral("shift"), c.shift},
        {QStringLiteral("hours"), n.hours},
        {QStringLiteral("entered"), c.today},
        {QStringLiteral("requisition"), p.requisitionId},
        {QStringLiteral("requisition_line"), p.requisitionLineId}};
    if (p.id != 0)
        values.append({QStringLiteral("id"), p.id});
    return values;
}

QString positionLogText(const Position& p, const SaveConditions& c) {
    const Numbers n = numbers(p, c);
    return QStringLiteral("позиция %1: рабочий %2, изделие %3, операция %4, %5, смена %6, "
                          "кол-во %7, брак %8, часы %9, цена %10, заявка %11, строка %12")
        .arg(QString::number(p.id), QString::number(p.workerCode), QString::number(p.productId),
             QString::number(p.operationId), p.workDay.toString(QStringLiteral("dd.MM.yyyy")),
             QString::number(c.shift), n.quantity, n.rejects, n.hours)
        .arg(n.price, QString::number(p.requisitionId), QString::number(p.requisitionLineId));
}

QString positionStatementName(const Position& p) {
    return p.id == 0 ? QStringLiteral("journal/insert_position")
                     : QStringLiteral("journal/update_position");
}

namespace {

// The columns of a version, in its order: what the dialog's save, the acceptance and the
// brigade's division write (the entry date and the material columns follow them).
const QStringList kVersionColumns{
    QStringLiteral("w_id"),   QStringLiteral("i_id"),       QStringLiteral("o_id"),
    QStringLiteral("cena"),   QStringLiteral("kol_vo"),     QStringLiteral("brak"),
    QStringLiteral("data"),   QStringLiteral("smena"),      QStringLiteral("time"),
    QStringLiteral("color"),  QStringLiteral("prize"),      QStringLiteral("ok"),
    QStringLiteral("id_doc"), QStringLiteral("id_doc_item")};

struct Stored {
    DayCell cell;
    bool unchanged = true;
};

enum class Lock { Row, None };

// The cell a stored position counts in now, its row locked until the transaction ends so no
// other workstation moves it meanwhile (unless asked not to), and whether it is still the
// version given; nothing when it is gone.
std::optional<Stored> lockStored(data::Connection& connection, int positionId,
                                 const PositionVersion& version = {}, Lock lock = Lock::Row) {
    data::Dataset stored(&connection);
    stored.setSql(version.known()
                      ? data::statementText(QStringLiteral("journal/position_as_listed")) +
                            (lock == Lock::Row ? QStringLiteral("\nfor update") : QString())
                      : data::statementText(QStringLiteral("journal/lock_position")));
    stored.setParam(QStringLiteral("id"), positionId);
    for (qsizetype i = 0; i < kVersionColumns.size() && version.known(); ++i) {
        const std::optional<QString>& v = version.values[size_t(i)];
        stored.setParam(QStringLiteral("v_") + kVersionColumns[i], v ? QVariant(*v) : QVariant());
    }
    stored.open();
    if (stored.isEmpty())
        return std::nullopt;
    return Stored{DayCell{stored.asInt(QStringLiteral("w_id")),
                          stored.asInt(QStringLiteral("smena")),
                          stored.asDate(QStringLiteral("data"))},
                  stored.value(QStringLiteral("unchanged")).toBool()};
}

// The stored cell of a position still as listed; PositionStale when it is not.
DayCell lockAsListed(data::Connection& connection, int positionId, const PositionVersion& listed,
                     Lock lock = Lock::Row) {
    const std::optional<Stored> stored = lockStored(connection, positionId, listed, lock);
    if (!stored)
        throw PositionStale(true);
    if (!stored->unchanged)
        throw PositionStale(false);
    return stored->cell;
}

bool operator<(const DayCell& a, const DayCell& b) {
    return std::tie(a.workerCode, a.shift, a.date) < std::tie(b.workerCode, b.shift, b.date);
}

} // namespace

int PositionSaver::save(const Position& p, const SaveConditions& c) {
    HoursUpkeep upkeep(connection_);
    const DayCell cell{p.workerCode, c.shift, p.workDay};
    data::Command statement(&connection_, QStringLiteral("save_position"));
    statement.setSql(data::statementText(positionStatementName(p)));
    for (const auto& [name, value] : positionValues(p, c))
        statement.setParam(name, value);
    data::Transaction transaction(connection_);
    if (p.id == 0) {
        const int id = data::toInt(statement.executeReturningInt());
        upkeep.afterSave(cell);
        transaction.commit();
        return id;
    }
    std::optional<DayCell> left;
    if (p.opened.known())
        left = lockAsListed(connection_, p.id, p.opened);
    else if (const std::optional<Stored> stored = lockStored(connection_, p.id))
        left = stored->cell;
    statement.execute();
    const bool moved = left && (*left < cell || cell < *left);
    // with two cells, the lower first: two saves moving positions each other's way would
    // otherwise wait for each other's cell
    if (moved && *left < cell)
        upkeep.afterDeletion(*left); // the position is gone from that cell
    upkeep.afterSave(cell);
    if (moved && cell < *left)
        upkeep.afterDeletion(*left);
    transaction.commit();
    return p.id;
}

namespace {

// The deletion itself and the cell the position leaves, inside the caller's transaction.
void deleteKeepingCell(data::Connection& connection, int positionId, const DayCell& cell) {
    data::Command deletion(&connection, QStringLiteral("delete_position"));
    deletion.setSql(data::statementText(QStringLiteral("journal/delete_position")));
    deletion.setParam(QStringLiteral("id"), positionId);
    deletion.execute();
    HoursUpkeep(connection).afterDeletion(cell);
}

} // namespace

void PositionSaver::remove(int positionId, const DayCell& listed,
                           const std::function<void()>& deleted) {
    data::Transaction transaction(connection_);
    const std::optional<Stored> stored = lockStored(connection_, positionId);
    deleteKeepingCell(connection_, positionId, stored ? stored->cell : listed);
    transaction.commit();
    if (deleted)
        deleted();
}

void PositionSaver::remove(int positionId, const PositionVersion& listed,
                           const std::function<void()>& deleted) {
    data::Transaction transaction(connection_);
    deleteKeepingCell(connection_, positionId, lockAsListed(connection_, positionId, listed));
    transaction.commit();
    if (deleted)
        deleted();
}

// A master may not lock a position (that takes the right to change it): the comparison is made
// at the snapshot of a repeatable-read transaction instead, and a change another workstation
// commits after it makes the write's own update of the row fail rather than go unseen.
void PositionSaver::whileAsListed(int positionId, const PositionVersion& listed,
                                  const std::function<void()>& write) {
    data::Transaction transaction(connection_, data::Transaction::Isolation::RepeatableRead);
    lockAsListed(connection_, positionId, listed, Lock::None);
    try {
        write();
    } catch (const data::DataError& e) {
        if (e.isSerializationFailure())
            throw PositionStale(false);
        throw;
    }
    transaction.commit();
}

PositionVersion PositionVersion::listed(const data::Dataset& row) {
    PositionVersion version;
    const int current = row.currentRow();
    if (current < 0)
        return version;
    for (const QString& column : kVersionColumns) {
        const int field = row.fieldIndex(column);
        if (field < 0)
            return {}; // not a list of positions: nothing to compare
        version.values.push_back(row.isNullAt(current, field)
                                     ? std::nullopt
                                     : std::optional<QString>(row.textAt(current, field)));
    }
    return version;
}

PositionVersion PositionSaver::written(const Position& p, const SaveConditions& c) {
    const Numbers n = numbers(p, c);
    // a new position is stored "no"; an edit keeps the status it was opened with
    std::optional<QString> ok = QStringLiteral("no");
    if (p.id != 0 && p.opened.known())
        ok = p.opened.values[size_t(kVersionColumns.indexOf(QStringLiteral("ok")))];
    else if (p.id != 0)
        return {};
    const QString zero = QStringLiteral("0");
    return PositionVersion{{QString::number(p.workerCode), QString::number(p.productId),
                            QString::number(p.operationId), n.price, n.quantity, n.rejects,
                            p.workDay.toString(Qt::ISODate), QString::number(c.shift), n.hours,
                            zero, zero, ok, QString::number(p.requisitionId),
                            QString::number(p.requisitionLineId)}};
}

} // namespace journal
