#pragma once

#include <QString>

namespace data {

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
