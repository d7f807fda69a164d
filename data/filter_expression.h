#pragma once

#include "data_error.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string_view>
#include <vector>

namespace data {

// How a column's values compare: numbers numerically, everything else as text.
enum class ColumnKind { Text, Number };

struct FilterColumn {
    QString name; // matched without regard to case
    ColumnKind kind;
};

// Row access for the filter: values are the UTF-8 texts the server sent.
class FilterRowSource {
public:
    virtual ~FilterRowSource() = default;
    virtual bool isNull(int row, int column) const = 0;
    virtual std::string_view text(int row, int column) const = 0;
};

// A client-side filter in the style the windows write them:
//   id_doc=0   naimen=1   i_id=5 and marka like 'AB%'   fio like 'Ив%'   o_id=7
// Comparisons =, <>, <, >, <=, >=, like (with % and _); and/or/not, parentheses;
// strings in single quotes with '' for a quote. Text comparisons are case-insensitive
// and Unicode-aware. A malformed expression or an unknown field is a FilterError.
class FilterError : public DataError {
public:
    using DataError::DataError;
};

class FilterExpression {
public:
    // Throws FilterError.
    static FilterExpression compile(const QString& expression,
                                    const std::vector<FilterColumn>& columns);

    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;
    ~FilterExpression();

    bool matches(const FilterRowSource& rows, int row) const;

    // Doubles every apostrophe so typed text can go inside a quoted filter literal.
    static QString quoteText(const QString& typed);

    struct Node;

private:
    FilterExpression();
    std::unique_ptr<Node> root_;
};

} // namespace data
