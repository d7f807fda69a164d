#pragma once

#include "journal/position.h"

#include "data/dataset.h"

#include <QDate>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace data {
class Connection;
}

namespace journal {

// The status of a stored position (the column ok): "no" when entered, "ok" once a master has
// accepted it, "да" from older programs, shown like "ok" but still open to changes.
inline const QString kPositionAcceptedText =
    QStringLiteral("Позиция принята мастером и не меняется.");
// Accepted: neither changed nor deleted any more.
bool statusAccepted(const QString& status);
// Shown as accepted: green, "принята".
bool statusShownAccepted(const QString& status);
// The words a person reads for a status; an unknown one as stored.
QString statusText(const QString& status);

// A position as a shift list shows it: what the entry dialog opens, copied out of the list so
// that the dialog never reads or moves the journal's rows.
struct ListedPosition {
    int id = 0;
    int workerCode = 0;
    int productId = 0;
    int operationId = 0;
    int productKind = 0; // oper.naimen: 0 finished product, else a blank
    double price = 0;    // as stored, with the factors of its save
    QDate workDay;
    QString workerName;
    QString productMark;
    QString operationType;
    double quantity = 0;
    QString rejects;
    int hours = 0;
    QString status; // 'ok' once accepted
    qint64 requisitionId = 0;
    qint64 requisitionLineId = 0;
    PositionVersion version;

    // The current row of a shift list; nothing when the list is empty.
    static std::optional<ListedPosition> current(const data::Dataset& list);
    bool accepted() const { return statusAccepted(status); }
    // As the program's log names it: id, worker, product, operation and day.
    QString logText() const;
};

// The operation's own price (its smallest norm price); nothing when it has no norm.
std::optional<float> operationOwnPrice(data::Connection& connection, int operationId);

// The journal's data: the positions of the four shifts of a day and the statements on one
// position that the journal itself runs.
class Positions {
public:
    explicit Positions(data::Connection& connection);
    ~Positions();

    data::Connection& connection() { return connection_; }

    // The list of shift 1..4 (any other number counts as 1).
    data::Dataset& shiftPositions(int shift);
    // The four lists of the day, read again.
    void readDay(const QDate& day);
    // The four lists read again for the day they show.
    void rereadShifts();

    // The material rows of a position.
    qint64 materialCount(int positionId);
    // Marks the position accepted ('ok'); the caller holds its row locked.
    void accept(int positionId);

private:
    data::Connection& connection_;
    std::array<std::unique_ptr<data::Dataset>, 4> shifts_;
};

} // namespace journal

namespace journal {

// The journal's day that an entry dialog works for: its date, the day-off box and the shift
// shown, which set the price and the shift of a save.
struct JournalDay {
    QDate date;
    bool dayOff = false;
    int shift = 1;
};

} // namespace journal
