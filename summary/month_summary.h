#pragma once

#include "data/dataset.h"
#include "data/product_kind.h"

#include <QDate>
#include <QString>

#include <array>
#include <vector>

namespace data {
class Connection;
}

namespace summary {

// The shifts of a day's hours: 1 to 3 and 4, the overtime.
inline constexpr int kShifts = 4;

// One day of the month: what its positions of the chosen kind made and took.
struct DayFigures {
    QDate date;
    double goodPieces = 0; // quantity − rejects
    double sum = 0;        // piecework: good pieces × piece price
    std::array<double, kShifts> hours{};

    bool weekend() const { return date.dayOfWeek() >= 6; }
};

// An operation among the month's ten with the largest sum.
struct OperationFigures {
    QString name; // "Сборка — Каркас КМ-120", with " (заготовки)" for blanks
    double goodPieces = 0;
    double sum = 0;
};

// The month at a glance: every day of it (those without positions at zero), the ten
// operations with the largest sum, largest first, and the month's totals, which are the
// printed reports' totals of the same period and kind.
struct MonthSummary {
    int month = 0;
    int year = 0;
    data::ProductKind kind = data::ProductKind::All;
    std::vector<DayFigures> days;
    std::vector<OperationFigures> topOperations;
    double goodPieces = 0;
    double sum = 0;
    double hours = 0;

    QDate firstDay() const { return {year, month, 1}; }
    // "Сводка месяца: ноябрь 2026 г."
    QString title() const;
    // "Все виды продукции", "Готовая продукция", "Заготовки"
    QString kindText() const;
};

// Reads a month's figures through the statements of summary/. Plain values out; nothing
// stays open between reads.
class SummaryData {
public:
    explicit SummaryData(data::Connection& connection);
    SummaryData(const SummaryData&) = delete;
    SummaryData& operator=(const SummaryData&) = delete;

    MonthSummary read(int month, int year, data::ProductKind kind);

private:
    data::Dataset days_;
    data::Dataset operations_;
};

// --- the texts people read, in the workstation's Russian formats

// "ноябрь 2026 г."
QString monthText(int month, int year);
// "пн, 03.11.2026"
QString dayText(const QDate& date);
// Whole numbers with a space between thousands: "12 345"; a fraction keeps up to two
// decimals with a comma: "12 345,5".
QString piecesText(double pieces);
// Roubles with kopecks: "12 345,60"
QString moneyText(double sum);
QString hoursText(double hours);

} // namespace summary
