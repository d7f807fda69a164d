#pragma once

#include <QString>

namespace data {

// The product kinds a report or summary can be limited to, in the order of the choices
// "Все", "Готовая продукция", "Заготовки": finished is naimen 0, blanks naimen 1.
enum class ProductKind { All = 0, Finished = 1, Blanks = 2 };

// The product kind of an operation (oper.naimen): 0 finished products, any other value
// blanks. The text people see for it, and the same rule as SQL for the statements that
// name the kind themselves.
inline const QString kFinishedProducts = QStringLiteral("Готовая продукция");
inline const QString kBlanks = QStringLiteral("Заготовки");

inline QString productKindText(int naimen) {
    return naimen == 0 ? kFinishedProducts : kBlanks;
}

inline const QString kProductKindSql =
    QStringLiteral("(CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)");

} // namespace data
