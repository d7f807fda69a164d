#include "reportengine/expression.h"

#include "data/conversions.h"
#include "data/data_error.h"
#include "reportengine/report_error.h"
#include "reportengine/rows.h"

#include <QDate>
#include <QDateTime>
#include <QVariant>

#include <utility>

namespace report {

struct Expression::Node {
    enum class Kind {
        Field,
        Constant,
        PageNumber,
        Negate,
        Add,
        Subtract,
        Multiply,
        Divide,
        Equal,
        NotEqual,
        Less,
        Greater,
        LessOrEqual,
        GreaterOrEqual,
        If,
        Str,
        Sum,
    };
    Kind kind;
    int index = 0; // the column of a field, the sum of an aggregate
    Value constant;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = Expression::Node;
using Kind = Node::Kind;

const NumberFormat& plainFormat() {
    static const NumberFormat format = NumberFormat::parse(QString());
    return format;
}

Value fieldValue(const Scope& scope, int column) {
    if (scope.row < 0 || scope.rows->isNull(scope.row, column))
        return {};
    const QVariant v = scope.rows->value(scope.row, column);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return Value::ofNumber(v.toDouble());
    case QMetaType::QDate:
        return Value::ofText(v.toDate().toString(QStringLiteral("dd.MM.yyyy")));
    case QMetaType::QDateTime:
        return Value::ofText(v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")));
    default:
        return Value::ofText(v.toString());
    }
}

QString asText(const Value& v) {
    return valueText(v, plainFormat());
}

bool isTrue(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Null:
        return false;
    case Value::Kind::Number:
        return v.number != 0;
    case Value::Kind::Text:
        return !v.text.isEmpty();
    }
    return false;
}

// ---------------------------------------------------------------------------
// Parsing: recursive descent, one function per precedence level.

class Parser {
public:
    Parser(const QString& text, const Rows& rows) : text_(text), rows_(rows) {}

    std::unique_ptr<Node> parse() {
        skipSpace();
        if (at_ >= text_.size())
            fail(QStringLiteral("пустое выражение"));
        auto node = comparison();
        skipSpace();
        if (at_ < text_.size())
            fail(QStringLiteral("лишнее «%1»").arg(text_.mid(at_)));
        return node;
    }

    std::vector<const Node*> aggregates;

private:
    [[noreturn]] void fail(const QString& what) const {
        throw ReportError(QStringLiteral("Ошибка в выражении «%1», позиция %2: %3")
                              .arg(text_)
                              .arg(at_ + 1)
                              .arg(what));
    }

    void skipSpace() {
        while (at_ < text_.size() && text_[at_].isSpace())
            ++at_;
    }
    bool take(QStringView token) {
        skipSpace();
        if (QStringView(text_).mid(at_).startsWith(token)) {
            at_ += token.size();
            return true;
        }
        return false;
    }
    void expect(QStringView token) {
        if (!take(token))
            fail(QStringLiteral("ожидается «%1»").arg(token));
    }

    static std::unique_ptr<Node> make(Kind kind, std::unique_ptr<Node> a = {},
                                      std::unique_ptr<Node> b = {}) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        if (a)
            node->children.push_back(std::move(a));
        if (b)
            node->children.push_back(std::move(b));
        return node;
    }

    std::unique_ptr<Node> comparison() {
        auto left = additive();
        // Two-character operators first, so "<=" is not read as "<".
        static const std::pair<QStringView, Kind> operators[] = {
            {u"<>", Kind::NotEqual}, {u"<=", Kind::LessOrEqual}, {u">=", Kind::GreaterOrEqual},
            {u"=", Kind::Equal},     {u"<", Kind::Less},         {u">", Kind::Greater},
        };
        for (const auto& [token, kind] : operators)
            if (take(token))
                return make(kind, std::move(left), additive());
        return left;
    }

    std::unique_ptr<Node> additive() {
        auto left = term();
        for (;;) {
            if (take(u"+"))
                left = make(Kind::Add, std::move(left), term());
            else if (take(u"-"))
                left = make(Kind::Subtract, std::move(left), term());
            else
                return left;
        }
    }

    std::unique_ptr<Node> term() {
        auto left = unary();
        for (;;) {
            if (take(u"*"))
                left = make(Kind::Multiply, std::move(left), unary());
            else if (take(u"/"))
                left = make(Kind::Divide, std::move(left), unary());
            else
                return left;
        }
    }

    std::unique_ptr<Node> unary() {
        if (take(u"-"))
            return make(Kind::Negate, unary());
        if (take(u"+"))
            return unary();
        return primary();
    }

    std::unique_ptr<Node> primary() {
        skipSpace();
        if (at_ >= text_.size())
            fail(QStringLiteral("выражение оборвано"));
        const QChar c = text_[at_];
        if (take(u"(")) {
            auto inner = comparison();
            expect(u")");
            return inner;
        }
        if (c == u'\'')
            return textConstant();
        if (c.isDigit() || (c == u'.' && at_ + 1 < text_.size() && text_[at_ + 1].isDigit()))
            return numberConstant();
        if (c.isLetter() || c == u'_')
            return name();
        fail(QStringLiteral("неожиданное «%1»").arg(c));
    }

    std::unique_ptr<Node> textConstant() {
        ++at_; // the opening quote
        QString value;
        for (;;) {
            if (at_ >= text_.size())
                fail(QStringLiteral("текст не закрыт кавычкой"));
            const QChar c = text_[at_++];
            if (c != u'\'') {
                value += c;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == u'\'') {
                value += c;
                ++at_;
                continue;
            }
            break;
        }
        auto node = make(Kind::Constant);
        node->constant = Value::ofText(value);
        return node;
    }

    std::unique_ptr<Node> numberConstant() {
        const qsizetype start = at_;
        while (at_ < text_.size() && (text_[at_].isDigit() || text_[at_] == u'.'))
            ++at_;
        bool ok = false;
        const double number = text_.mid(start, at_ - start).toDouble(&ok);
        if (!ok) {
            const QString bad = text_.mid(start, at_ - start);
            at_ = start;
            fail(QStringLiteral("неверное число «%1»").arg(bad));
        }
        auto node = make(Kind::Constant);
        node->constant = Value::ofNumber(number);
        return node;
    }

    std::unique_ptr<Node> name() {
        const qsizetype start = at_;
        while (at_ < text_.size() && (text_[at_].isLetterOrNumber() || text_[at_] == u'_'))
            ++at_;
        const QString word = text_.mid(start, at_ - start);
        const QString lower = word.toLower();
        skipSpace();
        const bool call = at_ < text_.size() && text_[at_] == u'(';
        if (!call) {
            if (lower == u"pagenumber")
                return make(Kind::PageNumber);
            const int column = rows_.fieldIndex(word);
            if (column < 0) {
                at_ = start;
                fail(QStringLiteral("неизвестное поле «%1»").arg(word));
            }
            auto node = make(Kind::Field);
            node->index = column;
            return node;
        }
        ++at_; // "("
        if (lower == u"if") {
            auto node = make(Kind::If);
            node->children.push_back(comparison());
            expect(u",");
            node->children.push_back(comparison());
            expect(u",");
            node->children.push_back(comparison());
            expect(u")");
            return node;
        }
        if (lower == u"str") {
            auto node = make(Kind::Str, comparison());
            expect(u")");
            return node;
        }
        if (lower == u"sum") {
            if (insideSum_) {
                at_ = start;
                fail(QStringLiteral("сумма внутри суммы"));
            }
            insideSum_ = true;
            auto node = make(Kind::Sum, comparison());
            insideSum_ = false;
            expect(u")");
            node->index = int(aggregates.size());
            aggregates.push_back(node.get());
            return node;
        }
        at_ = start;
        fail(QStringLiteral("неизвестная функция «%1»").arg(word));
    }

    const QString& text_;
    const Rows& rows_;
    qsizetype at_ = 0;
    bool insideSum_ = false;
};

// ---------------------------------------------------------------------------
// Evaluation.

class Evaluator {
public:
    Evaluator(const QString& text, const Scope& scope, const std::vector<ExactSum>& sums)
        : text_(text), scope_(scope), sums_(sums) {}

    Value eval(const Node& node) const {
        switch (node.kind) {
        case Kind::Field:
            return fieldValue(scope_, node.index);
        case Kind::Constant:
            return node.constant;
        case Kind::PageNumber:
            return Value::ofNumber(scope_.page);
        case Kind::Negate:
            return Value::ofNumber(-number(eval(*node.children[0])));
        case Kind::Add: {
            const Value a = eval(*node.children[0]);
            const Value b = eval(*node.children[1]);
            if (a.kind == Value::Kind::Text || b.kind == Value::Kind::Text)
                return Value::ofText(asText(a) + asText(b));
            return Value::ofNumber(number(a) + number(b));
        }
        case Kind::Subtract:
            return Value::ofNumber(number(eval(*node.children[0])) -
                                   number(eval(*node.children[1])));
        case Kind::Multiply:
            return Value::ofNumber(number(eval(*node.children[0])) *
                                   number(eval(*node.children[1])));
        case Kind::Divide: {
            const double dividend = number(eval(*node.children[0]));
            const double divisor = number(eval(*node.children[1]));
            return divisor == 0 ? Value() : Value::ofNumber(dividend / divisor);
        }
        case Kind::Equal:
        case Kind::NotEqual:
        case Kind::Less:
        case Kind::Greater:
        case Kind::LessOrEqual:
        case Kind::GreaterOrEqual:
            return Value::ofNumber(
                compare(node.kind, eval(*node.children[0]), eval(*node.children[1])) ? 1 : 0);
        case Kind::If:
            return isTrue(eval(*node.children[0])) ? eval(*node.children[1])
                                                   : eval(*node.children[2]);
        case Kind::Str:
            return Value::ofText(asText(eval(*node.children[0])));
        case Kind::Sum:
            return Value::ofNumber(sums_[size_t(node.index)].value());
        }
        return {};
    }

    double number(const Value& v) const {
        switch (v.kind) {
        case Value::Kind::Null:
            return 0;
        case Value::Kind::Number:
            return v.number;
        case Value::Kind::Text: {
            // A number kept as text still counts; anything else is a layout fault.
            if (v.text.trimmed().isEmpty())
                return 0;
            try {
                return data::toDouble(v.text);
            } catch (const data::DataError&) {
                throw ReportError(QStringLiteral("Ошибка в выражении «%1»: текст «%2» не число")
                                      .arg(text_, v.text));
            }
        }
        }
        return 0;
    }

private:
    static bool compare(Kind kind, const Value& a, const Value& b) {
        int order = 0;
        if (a.kind == Value::Kind::Text || b.kind == Value::Kind::Text) {
            order = QString::compare(asText(a), asText(b));
        } else {
            const double x = a.kind == Value::Kind::Number ? a.number : 0;
            const double y = b.kind == Value::Kind::Number ? b.number : 0;
            order = x < y ? -1 : (x > y ? 1 : 0);
        }
        switch (kind) {
        case Kind::Equal:
            return order == 0;
        case Kind::NotEqual:
            return order != 0;
        case Kind::Less:
            return order < 0;
        case Kind::Greater:
            return order > 0;
        case Kind::LessOrEqual:
            return order <= 0;
        default:
            return order >= 0;
        }
    }

    const QString& text_;
    const Scope& scope_;
    const std::vector<ExactSum>& sums_;
};

} // namespace

Expression::Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;
Expression::~Expression() = default;

Expression Expression::compile(const QString& text, const Rows& rows) {
    Expression expression;
    expression.text_ = text;
    Parser parser(expression.text_, rows);
    expression.root_ = parser.parse();
    expression.aggregates_ = std::move(parser.aggregates);
    expression.sums_.resize(expression.aggregates_.size());
    return expression;
}

Value Expression::evaluate(const Scope& scope) const {
    return Evaluator(text_, scope, sums_).eval(*root_);
}

void Expression::accumulate(const Scope& scope) {
    const Evaluator evaluator(text_, scope, sums_);
    for (size_t i = 0; i < aggregates_.size(); ++i)
        sums_[i].add(evaluator.number(evaluator.eval(*aggregates_[i]->children[0])));
}

void Expression::restart() {
    for (ExactSum& sum : sums_)
        sum.clear();
}

QString valueText(const Value& value, const NumberFormat& format) {
    switch (value.kind) {
    case Value::Kind::Null:
        return QString();
    case Value::Kind::Number:
        return format.text(value.number);
    case Value::Kind::Text:
        return value.text;
    }
    return QString();
}

} // namespace report
