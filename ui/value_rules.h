#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

namespace ui {

// The ranges the windows let a value into the database, each with the one message that names
// it; the database keeps the same ranges and says the same.
inline const QString kQuantityOutOfRange =
    QStringLiteral("Количество должно быть больше 0 и не больше 1 000 000.");
inline const QString kHoursOutOfRange = QStringLiteral("Часы должны быть от 0 до 24.");
inline const QString kWorkDateOutOfRange =
    QStringLiteral("Дата работы должна быть с 2000 года по следующий год.");
inline const QString kWorkDateImpossible = QStringLiteral("Такой даты нет в календаре.");
inline const QString kPriceOutOfRange = QStringLiteral(
    "Цена должна быть больше 0 и меньше 1 000 000, не больше 4 знаков после запятой.");
inline const QString kPositionPriceOutOfRange =
    QStringLiteral("Цена позиции должна быть от 0 до 10 000 000.");
inline const QString kNormOutOfRange = QStringLiteral("Норматив должен быть от 0 до 999 999.");
inline const QString kBonusOutOfRange = QStringLiteral("Премия должна быть от 0 до 1 000 %.");

inline constexpr double kMaxQuantity = 1000000;
inline constexpr int kMaxHours = 24;

// A decimal text (',' or '.') as a number; nothing when it is none.
std::optional<double> decimalValue(const QString& text);
std::optional<double> decimalValue(const QVariant& value);

bool quantityAllowed(double quantity);
bool hoursAllowed(qint64 hours);
// From 01.01.2000 to 31.12 of the year after today's.
bool workDateAllowed(const QDate& day, const QDate& today);
// Above 0, below 1 000 000, at most 4 decimals.
bool priceAllowed(double price);
// The price per piece a position stores, with its day-off and shift factors: below 10^7.
bool positionPriceAllowed(double price);
bool normAllowed(double norm);
bool bonusAllowed(double bonus);

} // namespace ui
