#pragma once

#include <QDate>
#include <QString>

#include <functional>

namespace data {
class DataModule6;
}

#include "hours_upkeep.h"

namespace journal {

// One position of the journal (a row of accounts_dep.smena) as the entry dialog holds it:
// the ids the pickers chose and the texts of the number boxes as typed.
struct Position {
    int s_id = 0;     // 0 until it is stored
    int w_id = 0;     // worker code
    int i_id = 0;     // product
    int o_id = 0;     // operation
    float cena = 0;   // the operation's own price, before the day-off and shift factors
    QString quantity; // decimal comma
    QString rejects;  // whole number
    QString hours;    // whole number
    QDate workDay;
    qint64 id_doc = 0;      // requisition; 0 for none
    qint64 id_doc_item = 0; // requisition line; 0 for none
};

// What the dialog shows beside the position's values, for the completeness check.
struct PositionForm {
    QString workerText;
    QString operationText;
    bool requisitionShown = false;
    bool lineShown = false;
    double lineRequired = 0; // f_qty of the chosen line; 0 or less sets no limit
};

// The conditions of the save that change the price.
struct SaveConditions {
    bool dayOff = false; // the journal's "Выходной"
    int shift = 1;       // the journal's CurSmena
    QDate today;         // the entry date
};

enum class SaveRefusal {
    None,
    MissingFields, // "Все поля должны быть заполнены!"
    AboveRequired, // "Количество изделий не может быть больше требуемого!"
    RejectsAboveQuantity, // "Брак не может быть больше количества!"
};
QString refusalText(SaveRefusal refusal);

// The checks before anything is written. A quantity that is no decimal number throws the
// conversion error.
SaveRefusal checkPosition(const Position& position, const PositionForm& form);

// The price per piece written: the operation's price times 2 on a day off, then times 1.2 in
// shift 3 or 1.5 in shift 4, rounded to 4 decimals.
double positionPrice(float operationPrice, bool dayOff, int shift);

// The statements of the save, as the journal's other workstations and reports know them.
QString insertStatement(const Position& position, const SaveConditions& conditions);
QString updateStatement(const Position& position, const SaveConditions& conditions);

// Writes a position: a new one (s_id 0) is inserted and its id returned, a stored one is
// rewritten (every column but ok and id). Then the time-sheet cell of the position's worker,
// shift and day is kept; when an edit moved the position to another worker, day or shift,
// the cell it left is recomputed as well. Each is one transaction, so a failure half-way (a
// lost connection among them) leaves neither the position nor a cell changed.
class PositionSaver {
public:
    explicit PositionSaver(data::DataModule6& dataModule) : dm_(dataModule) {}
    int save(const Position& position, const SaveConditions& conditions);

    // Deletes a stored position and sets the cell it leaves to what is left there; a missing
    // time-sheet row stays missing. The cell is the position's own as stored, which another
    // workstation may have changed since the journal listed it; listed is the journal's
    // (worker, shift and day), for a position already gone. deleted is called once it is done
    // (the journal re-reads its list there).
    void remove(int positionId, const DayCell& listed, const std::function<void()>& deleted = {});

private:
    data::DataModule6& dm_;
};

} // namespace journal
