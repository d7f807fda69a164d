#pragma once

#include "reportengine/number_text.h"

#include <QString>

#include <memory>
#include <vector>

namespace report {

class Rows;

// A value while a report is prepared: nothing (a null field), a number or a text.
struct Value {
    enum class Kind { Null, Number, Text };
    Kind kind = Kind::Null;
    double number = 0;
    QString text;

    static Value ofNumber(double number) { return {Kind::Number, number, {}}; }
    static Value ofText(QString text) { return {Kind::Text, 0, std::move(text)}; }
};

// What an expression reads: a row of the rows (-1: none, fields read null) and the page.
struct Scope {
    const Rows* rows = nullptr;
    int row = -1;
    int page = 0;
};

// An expression of a cell, compiled once into a tree:
//   fields by name (without regard to case), numbers, texts in single quotes ('' for a
//   quote), + - * / (+ joins texts), = <> < > <= >=, if(cond, a, b), STR(x), sum(x),
//   PAGENUMBER; function names without regard to case.
// A null counts as 0 among numbers and as an empty text among texts; a division by zero
// gives null. sum(x) is an aggregate: accumulate() adds the row to every sum of the
// expression, restart() empties them.
class Expression {
public:
    // Throws ReportError for a malformed expression or an unknown field.
    static Expression compile(const QString& text, const Rows& rows);

    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;
    ~Expression();

    // Throws ReportError when arithmetic meets a text that is not a number.
    Value evaluate(const Scope& scope) const;

    bool hasAggregates() const { return !sums_.empty(); }
    void accumulate(const Scope& scope);
    void restart();

    struct Node;

private:
    Expression();
    QString text_;
    std::unique_ptr<Node> root_;
    std::vector<const Node*> aggregates_; // the sum nodes; each owns sums_[its index]
    std::vector<ExactSum> sums_;
};

// How a cell shows a value: numbers through their format, texts as they are, null empty.
QString valueText(const Value& value, const NumberFormat& format);

} // namespace report
