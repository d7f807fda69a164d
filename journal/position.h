#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ui/guard.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace data {
class Connection;
class Dataset;
} // namespace data

#include "hours_upkeep.h"

namespace journal {

// A stored position as a list showed it: the columns that a save, an acceptance or a division
// write, each as the server's text (nothing for null). A write from that list goes ahead only
// while the row still holds them, so what another workstation did meanwhile is not lost.
struct PositionVersion {
    std::vector<std::optional<QString>> values; // empty: not known, nothing compared

    // The current row of a list that has the position table's columns (the journal's shifts).
    static PositionVersion listed(const data::Dataset& row);
    bool known() const { return !values.empty(); }
};

inline const QString kPositionChanged =
    QStringLiteral("Позиция изменена на другом рабочем месте. Откройте её заново.");
inline const QString kPositionDeleted = QStringLiteral("Позиция удалена на другом рабочем месте.");

// A save, deletion or acceptance refused because the position is no longer as listed.
class PositionStale : public ui::Refusal {
public:
    explicit PositionStale(bool deleted)
        : ui::Refusal(deleted ? kPositionDeleted : kPositionChanged), deleted_(deleted) {}
    bool deleted() const { return deleted_; }

private:
    bool deleted_;
};

// One position of the journal (a row of accounts_dep.smena) as the entry dialog holds it:
// the ids the pickers chose and the texts of the number boxes as typed.
struct Position {
    int id = 0;         // 0 until it is stored
    int workerCode = 0; // the person's s_code
    int productId = 0;
    int operationId = 0;
    float operationPrice = 0; // the operation's own price, before the day-off and shift factors
    QString quantity;         // decimal comma
    QString rejects;          // whole number
    QString hours;            // whole number
    QDate workDay;
    qint64 requisitionId = 0;     // 0 for none
    qint64 requisitionLineId = 0; // 0 for none
    PositionVersion opened;       // a stored one as the dialog opened it; unknown: not compared
};

// What the dialog shows beside the position's values, for the completeness check.
struct PositionForm {
    QString workerText;
    QString operationText;
    bool requisitionShown = false;
    bool lineShown = false;
    double lineRequired = 0; // f_qty of the chosen line; 0 or less sets no limit
    QDate today;             // the work date may be up to the end of next year
};

// The conditions of the save that change the price.
struct SaveConditions {
    bool dayOff = false; // the journal's "Выходной"
    int shift = 1;       // the shift the journal shows
    QDate today;         // the entry date
};

enum class SaveRefusal {
    None,
    MissingFields, // "Все поля должны быть заполнены!"
    AboveRequired, // "Количество изделий не может быть больше требуемого!"
    RejectsAboveQuantity, // "Брак не может быть больше количества!"
    QuantityNotANumber,   // "Введите число, например 12,5." ("1,,2")
    QuantityOutOfRange,
    HoursOutOfRange,
    WorkDateOutOfRange,
};
QString refusalText(SaveRefusal refusal);

// The checks before anything is written. The 24 hours of a worker's day over all shifts are
// the database's to check, under the day's lock, in the save itself.
// Hours that are no number are out of range; rejects that are no whole number throw the
// conversion error.
SaveRefusal checkPosition(const Position& position, const PositionForm& form);

// The price per piece written: the operation's price times 2 on a day off, then times 1.2 in
// shift 3 or 1.5 in shift 4, rounded to 4 decimals.
double positionPrice(float operationPrice, bool dayOff, int shift);
// The factor of positionPrice named for the price box, "× 2,4: смена 3, выходной"; empty
// where the price is the operation's own.
QString priceFactorText(bool dayOff, int shift);

// The save's statement (journal/insert_position for a new position, journal/update_position
// for a stored one) and the values bound to its parameters, by name.
QString positionStatementName(const Position& position);
QList<std::pair<QString, QVariant>> positionValues(const Position& position,
                                                   const SaveConditions& conditions);

// A stored position as the program's log tells its save: the ids and the values written.
QString positionLogText(const Position& position, const SaveConditions& conditions);

// Writes a position: a new one (id 0) is inserted and its id returned, a stored one is
// rewritten (every column but ok and id). Then the time-sheet cell of the position's worker,
// shift and day is kept; when an edit moved the position to another worker, day or shift,
// the cell it left is recomputed as well. Each is one transaction, so a failure half-way (a
// lost connection among them) leaves neither the position nor a cell changed.
class PositionSaver {
public:
    explicit PositionSaver(data::Connection& connection) : connection_(connection) {}
    // A stored position whose opened version is known is first locked and compared: changed
    // or deleted meanwhile, PositionStale is thrown and nothing is written.
    int save(const Position& position, const SaveConditions& conditions);
    // What the row holds after save() wrote the position, for the next save from the same
    // dialog.
    static PositionVersion written(const Position& position, const SaveConditions& conditions);

    // Runs write (an acceptance, for example) in one transaction while the position is still
    // as listed, also when another workstation changes it meanwhile; PositionStale otherwise,
    // nothing written. The row is not locked: a master, who accepts, may not lock it.
    void whileAsListed(int positionId, const PositionVersion& listed,
                       const std::function<void()>& write);

    // Deletes a stored position and sets the cell it leaves to what is left there; a missing
    // time-sheet row stays missing. The cell is the position's own as stored, which another
    // workstation may have changed since the journal listed it; listed is the journal's
    // (worker, shift and day), for a position already gone. deleted is called once it is done
    // (the journal re-reads its list there).
    void remove(int positionId, const DayCell& listed, const std::function<void()>& deleted = {});
    // The same from a list whose version of the position is known: a position changed or
    // deleted since it was listed is refused with PositionStale, nothing written.
    void remove(int positionId, const PositionVersion& listed,
                const std::function<void()>& deleted = {});

private:
    data::Connection& connection_;
};

} // namespace journal
