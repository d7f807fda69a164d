#include "data/filter_expression.h"

#include <QByteArray>
#include <QChar>

#include <charconv>
#include <compare>
#include <cstdint>
#include <system_error>
#include <utility>

namespace data {

namespace {

// ---------------------------------------------------------------------------
// UTF-8 walking with case folding. Rows are matched straight from the bytes the
// server sent, so no per-row QString is ever built.

constexpr char32_t kReplacementChar = 0xFFFD;
// Stands for '_' in a compiled LIKE pattern; never a real code point.
constexpr char32_t kAnyOneChar = 0xFFFFFFFF;

using BytePtr = const unsigned char*;

// Slow path of nextFoldedCodePoint: a multi-byte sequence. Anything malformed
// (truncated, overlong, surrogate, out of range) counts as one U+FFFD per byte,
// so a broken value can neither crash the filter nor read past its end.
char32_t decodeMultiByte(BytePtr& p, BytePtr end) {
    const unsigned char lead = *p;
    int length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        ++p;
        return kReplacementChar;
    }
    if (end - p < length) {
        ++p;
        return kReplacementChar;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char c = p[i];
        if (c < low || c > high) {
            ++p;
            return kReplacementChar;
        }
        low = 0x80;
        high = 0xBF;
        cp = (cp << 6) | (c & 0x3F);
    }
    p += length;
    return QChar::toCaseFolded(cp);
}

// Basic Cyrillic (U+0400..U+045F) folds by fixed offsets; spares the table lookup
// for the names and marks most rows hold.
inline char32_t foldCyrillic(char32_t cp) {
    if (cp < 0x0410)
        return cp + 0x50; // Ѐ..Џ, Ё among them
    if (cp < 0x0430)
        return cp + 0x20; // А..Я
    return cp;
}

// Reads one code point at p (p < end), advances p past it and returns it case-folded.
inline char32_t nextFoldedCodePoint(BytePtr& p, BytePtr end) {
    const unsigned char c = *p;
    if (c < 0x80) {
        ++p;
        return (c >= 'A' && c <= 'Z') ? char32_t(c + ('a' - 'A')) : char32_t(c);
    }
    // Two-byte sequences D0 80..D1 9F are U+0400..U+045F.
    if ((c == 0xD0 || c == 0xD1) && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
        const char32_t cp = (char32_t(c & 0x1F) << 6) | (p[1] & 0x3F);
        if (cp <= 0x045F) {
            p += 2;
            return foldCyrillic(cp);
        }
    }
    return decodeMultiByte(p, end);
}

std::vector<char32_t> foldedCodePoints(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    auto p = reinterpret_cast<BytePtr>(utf8.constData());
    const BytePtr end = p + utf8.size();
    std::vector<char32_t> result;
    result.reserve(size_t(utf8.size()));
    while (p != end)
        result.push_back(nextFoldedCodePoint(p, end));
    return result;
}

// Case-insensitive ordering of a row's text against a folded literal.
int compareFolded(std::string_view value, const std::vector<char32_t>& literal) {
    auto p = reinterpret_cast<BytePtr>(value.data());
    const BytePtr end = p + value.size();
    size_t i = 0;
    while (p != end && i < literal.size()) {
        const char32_t c = nextFoldedCodePoint(p, end);
        if (c != literal[i])
            return c < literal[i] ? -1 : 1;
        ++i;
    }
    if (p == end)
        return i == literal.size() ? 0 : -1;
    return 1;
}

// ---------------------------------------------------------------------------
// LIKE: the pattern is cut at every '%' into segments of folded code points
// ('_' kept as kAnyOneChar). The first segment is anchored at the start, the
// last at the end, the ones between are found leftmost-first, which is exact
// for patterns with only '%' and '_' as wildcards.

struct LikePattern {
    std::vector<std::vector<char32_t>> segments; // size 1: no '%' at all
};

LikePattern compileLike(const QString& pattern) {
    LikePattern compiled;
    compiled.segments.emplace_back();
    for (char32_t c : foldedCodePoints(pattern)) {
        if (c == U'%')
            compiled.segments.emplace_back();
        else
            compiled.segments.back().push_back(c == U'_' ? kAnyOneChar : c);
    }
    return compiled;
}

// Matches segment at p; on success moves p past the matched text.
bool matchSegmentAt(BytePtr& p, BytePtr end, const std::vector<char32_t>& segment) {
    BytePtr q = p;
    for (char32_t wanted : segment) {
        if (q == end)
            return false;
        const char32_t got = nextFoldedCodePoint(q, end);
        if (wanted != kAnyOneChar && wanted != got)
            return false;
    }
    p = q;
    return true;
}

bool likeMatches(std::string_view value, const LikePattern& pattern) {
    auto p = reinterpret_cast<BytePtr>(value.data());
    const BytePtr end = p + value.size();
    const auto& segments = pattern.segments;

    if (!matchSegmentAt(p, end, segments.front()))
        return false;
    if (segments.size() == 1)
        return p == end;

    for (size_t i = 1; i + 1 < segments.size(); ++i) {
        const auto& segment = segments[i];
        if (segment.empty())
            continue;
        while (!matchSegmentAt(p, end, segment)) {
            if (p == end)
                return false;
            nextFoldedCodePoint(p, end);
        }
    }

    const auto& last = segments.back();
    if (last.empty())
        return true;
    for (;;) {
        BytePtr q = p;
        if (matchSegmentAt(q, end, last) && q == end)
            return true;
        if (p == end)
            return false;
        nextFoldedCodePoint(p, end);
    }
}

// ---------------------------------------------------------------------------
// Numbers. Integers are kept exact so 64-bit keys compare without rounding.

struct Number {
    bool isInteger = false;
    long long integer = 0;
    double real = 0.0;
};

// Blanks around a number are allowed; a '+' goes, as from_chars takes none.
std::string_view numberText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

// Keys are short plain integers: up to 18 digits cannot overflow, so they are read
// directly; false sends everything else through from_chars.
bool parseShortInteger(std::string_view text, long long& integer) {
    const bool negative = text.front() == '-';
    const size_t digits = text.size() - (negative ? 1 : 0);
    if (digits == 0 || digits > 18)
        return false;
    long long value = 0;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        const unsigned digit = unsigned(text[i]) - unsigned('0');
        if (digit > 9)
            return false;
        value = value * 10 + digit;
    }
    integer = negative ? -value : value;
    return true;
}

// Fills number when text is a whole number (blanks around allowed). Returns by
// flag rather than optional: this runs once per row and stays in registers.
bool parseNumber(std::string_view text, Number& number) {
    text = numberText(text);
    if (text.empty())
        return false;
    if (parseShortInteger(text, number.integer)) {
        number.isInteger = true;
        number.real = double(number.integer);
        return true;
    }

    const char* begin = text.data();
    const char* end = begin + text.size();
    auto [intEnd, intError] = std::from_chars(begin, end, number.integer);
    if (intError == std::errc() && intEnd == end) {
        number.isInteger = true;
        number.real = double(number.integer);
        return true;
    }
    number.isInteger = false;
    auto [realEnd, realError] = std::from_chars(begin, end, number.real);
    return realError == std::errc() && realEnd == end;
}

std::partial_ordering compareNumbers(const Number& a, const Number& b) {
    if (a.isInteger && b.isInteger)
        return a.integer <=> b.integer;
    return a.real <=> b.real;
}

// ---------------------------------------------------------------------------
// Tokens

enum class CompareOp { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual, Like };

enum class TokenKind {
    Identifier,
    Number,
    String,
    Comparison, // =, <>, !=, <, >, <=, >=
    Like,
    And,
    Or,
    Not,
    Null,
    OpenParen,
    CloseParen,
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;     // identifier / operator as written; number as written; string unquoted
    int position = 0; // 1-based, in characters of the expression
    CompareOp op = CompareOp::Equal;
};

QString opText(CompareOp op) {
    switch (op) {
    case CompareOp::Equal:
        return QStringLiteral("=");
    case CompareOp::NotEqual:
        return QStringLiteral("<>");
    case CompareOp::Less:
        return QStringLiteral("<");
    case CompareOp::Greater:
        return QStringLiteral(">");
    case CompareOp::LessOrEqual:
        return QStringLiteral("<=");
    case CompareOp::GreaterOrEqual:
        return QStringLiteral(">=");
    case CompareOp::Like:
        return QStringLiteral("LIKE");
    }
    return {};
}

// Raises a FilterError that quotes the expression and points at the position.
[[noreturn]] void fail(const QString& expression, int position, const QString& problem) {
    QString shown = expression;
    constexpr int kShownLength = 200;
    if (shown.size() > kShownLength)
        shown = shown.left(kShownLength) + QStringLiteral("…");
    // One multi-argument arg(): the texts may themselves contain "%1".
    throw FilterError(QStringLiteral("Ошибка в фильтре «%1», позиция %2: %3")
                          .arg(shown, QString::number(position), problem));
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isIdentifierStart(QChar c) {
    return c.isLetter() || c == u'_';
}

bool isIdentifierPart(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// The expression cut into tokens, one reader per kind of token. Every reader starts at the
// token's first character and leaves the position after its last one.
class Tokenizer {
public:
    explicit Tokenizer(const QString& expression)
        : expression_(expression), length_(expression.size()) {}

    std::vector<Token> tokens() {
        std::vector<Token> tokens;
        while (skipSpaces())
            tokens.push_back(readToken());
        Token end;
        end.kind = TokenKind::End;
        end.position = int(length_ + 1);
        tokens.push_back(end);
        return tokens;
    }

private:
    // false at the end of the expression
    bool skipSpaces() {
        while (i_ < length_ && expression_.at(i_).isSpace())
            ++i_;
        return i_ < length_;
    }

    QChar at(qsizetype index) const { return index < length_ ? expression_.at(index) : QChar(); }
    bool digitAt(qsizetype index) const { return index < length_ && isAsciiDigit(at(index)); }

    Token readToken() {
        const QChar c = at(i_);
        Token token;
        token.position = int(i_ + 1);
        if (c == u'\'')
            readString(token);
        else if (isAsciiDigit(c) || ((c == u'-' || c == u'+') && digitAt(i_ + 1)))
            readNumber(token);
        else if (isIdentifierStart(c))
            readWord(token);
        else if (c == u'(' || c == u')')
            readParenthesis(token);
        else if (!readComparison(token))
            fail(expression_, token.position, QStringLiteral("недопустимый символ «%1»").arg(c));
        return token;
    }

    // 'text' with '' for an apostrophe inside
    void readString(Token& token) {
        QString text;
        qsizetype j = i_ + 1;
        for (;; ++j) {
            if (j >= length_)
                fail(expression_, token.position,
                     QStringLiteral("строка не закрыта кавычкой (апостроф внутри текста "
                                    "записывается двумя апострофами '')"));
            if (expression_.at(j) != u'\'') {
                text += expression_.at(j);
            } else if (at(j + 1) == u'\'') {
                text += u'\'';
                ++j;
            } else {
                break;
            }
        }
        token.kind = TokenKind::String;
        token.text = text;
        i_ = j + 1;
    }

    // an optional sign, digits, and an optional fraction after '.'
    void readNumber(Token& token) {
        qsizetype j = skipDigits(i_ + 1);
        if (at(j) == u'.') {
            ++j;
            if (!digitAt(j))
                failNumber(token, j - i_);
            j = skipDigits(j);
        }
        if (j < length_ && (isIdentifierPart(at(j)) || at(j) == u'.'))
            failNumber(token, j - i_ + 1);
        token.kind = TokenKind::Number;
        token.text = expression_.mid(i_, j - i_);
        i_ = j;
    }

    qsizetype skipDigits(qsizetype j) const {
        while (digitAt(j))
            ++j;
        return j;
    }

    [[noreturn]] void failNumber(const Token& token, qsizetype shownLength) const {
        fail(expression_, token.position,
             QStringLiteral("неверное число «%1»").arg(expression_.mid(i_, shownLength)));
    }

    // a field name or a key word
    void readWord(Token& token) {
        qsizetype j = i_ + 1;
        while (j < length_ && isIdentifierPart(at(j)))
            ++j;
        token.text = expression_.mid(i_, j - i_);
        token.kind = wordKind(token.text.toLower());
        if (token.kind == TokenKind::Like)
            token.op = CompareOp::Like;
        i_ = j;
    }

    static TokenKind wordKind(const QString& lower) {
        if (lower == u"and")
            return TokenKind::And;
        if (lower == u"or")
            return TokenKind::Or;
        if (lower == u"not")
            return TokenKind::Not;
        if (lower == u"like")
            return TokenKind::Like;
        if (lower == u"null")
            return TokenKind::Null;
        return TokenKind::Identifier;
    }

    void readParenthesis(Token& token) {
        const QChar c = at(i_);
        token.kind = c == u'(' ? TokenKind::OpenParen : TokenKind::CloseParen;
        token.text = c;
        ++i_;
    }

    // =, <>, !=, <, >, <=, >=; false when none of them starts here
    bool readComparison(Token& token) {
        struct Spelling {
            QStringView text;
            CompareOp op;
        };
        // the two-character ones first, so that "<=" is not read as "<"
        static constexpr Spelling kSpellings[] = {
            {u"<>", CompareOp::NotEqual},       {u"<=", CompareOp::LessOrEqual},
            {u">=", CompareOp::GreaterOrEqual}, {u"!=", CompareOp::NotEqual},
            {u"=", CompareOp::Equal},           {u"<", CompareOp::Less},
            {u">", CompareOp::Greater},
        };
        const QStringView rest = QStringView(expression_).mid(i_);
        for (const Spelling& spelling : kSpellings) {
            if (!rest.startsWith(spelling.text))
                continue;
            token.kind = TokenKind::Comparison;
            token.op = spelling.op;
            token.text = spelling.text.toString();
            i_ += spelling.text.size();
            return true;
        }
        return false;
    }

    const QString& expression_;
    const qsizetype length_;
    qsizetype i_ = 0;
};

std::vector<Token> tokenize(const QString& expression) {
    return Tokenizer(expression).tokens();
}

QString describe(const Token& token) {
    switch (token.kind) {
    case TokenKind::End:
        return QStringLiteral("конец выражения");
    case TokenKind::String:
        return QStringLiteral("строка '%1'").arg(token.text);
    default:
        return QStringLiteral("«%1»").arg(token.text);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// The compiled tree

struct FilterExpression::Node {
    enum class Kind { And, Or, Not, IsNull, IsNotNull, NumberCompare, TextCompare, Like };

    Kind kind = Kind::And;
    std::vector<std::unique_ptr<Node>> children; // And, Or, Not
    int column = -1;
    CompareOp op = CompareOp::Equal;
    Number number;              // NumberCompare
    std::vector<char32_t> text; // TextCompare, folded
    LikePattern like;           // Like
};

namespace {

using Node = FilterExpression::Node;

bool holds(CompareOp op, std::partial_ordering order) {
    switch (op) {
    case CompareOp::Equal:
        return order == 0;
    case CompareOp::NotEqual:
        return order != 0;
    case CompareOp::Less:
        return order < 0;
    case CompareOp::Greater:
        return order > 0;
    case CompareOp::LessOrEqual:
        return order <= 0;
    case CompareOp::GreaterOrEqual:
        return order >= 0;
    case CompareOp::Like:
        return false;
    }
    return false;
}

bool evaluate(const Node& node, const FilterRowSource& rows, int row) {
    switch (node.kind) {
    case Node::Kind::And:
        for (const auto& child : node.children)
            if (!evaluate(*child, rows, row))
                return false;
        return true;
    case Node::Kind::Or:
        for (const auto& child : node.children)
            if (evaluate(*child, rows, row))
                return true;
        return false;
    case Node::Kind::Not:
        return !evaluate(*node.children.front(), rows, row);
    case Node::Kind::IsNull:
        return rows.isNull(row, node.column);
    case Node::Kind::IsNotNull:
        return !rows.isNull(row, node.column);
    case Node::Kind::NumberCompare: {
        if (rows.isNull(row, node.column))
            return false;
        Number value;
        return parseNumber(rows.text(row, node.column), value) &&
               holds(node.op, compareNumbers(value, node.number));
    }
    case Node::Kind::TextCompare:
        if (rows.isNull(row, node.column))
            return false;
        return holds(node.op, compareFolded(rows.text(row, node.column), node.text) <=> 0);
    case Node::Kind::Like:
        if (rows.isNull(row, node.column))
            return false;
        return likeMatches(rows.text(row, node.column), node.like);
    }
    return false;
}

// Recursive descent over the tokens; nesting is bounded so that no input can
// exhaust the stack.
class Parser {
public:
    Parser(const QString& expression, const std::vector<FilterColumn>& columns)
        : expression_(expression), columns_(columns), tokens_(tokenize(expression)) {}

    std::unique_ptr<Node> parse() {
        if (current().kind == TokenKind::End)
            fail(expression_, current().position, QStringLiteral("пустое выражение фильтра"));
        auto root = parseOr(0);
        if (current().kind == TokenKind::CloseParen)
            fail(expression_, current().position, QStringLiteral("лишняя закрывающая скобка"));
        if (current().kind != TokenKind::End)
            fail(expression_, current().position,
                 QStringLiteral("лишний текст после условия: %1 (ожидается AND, OR или "
                                "конец выражения)")
                     .arg(describe(current())));
        return root;
    }

private:
    static constexpr int kMaxNesting = 100;

    const Token& current() const { return tokens_[next_]; }
    const Token& take() { return tokens_[next_ == tokens_.size() - 1 ? next_ : next_++]; }

    std::unique_ptr<Node> parseOr(int depth) {
        return parseChain(depth, TokenKind::Or, Node::Kind::Or, &Parser::parseAnd);
    }

    std::unique_ptr<Node> parseAnd(int depth) {
        return parseChain(depth, TokenKind::And, Node::Kind::And, &Parser::parseFactor);
    }

    // Flat n-ary node so that long chains of AND/OR add no depth.
    std::unique_ptr<Node> parseChain(int depth, TokenKind separator, Node::Kind kind,
                                     std::unique_ptr<Node> (Parser::*operand)(int)) {
        auto first = (this->*operand)(depth);
        if (current().kind != separator)
            return first;
        auto chain = std::make_unique<Node>();
        chain->kind = kind;
        chain->children.push_back(std::move(first));
        while (current().kind == separator) {
            take();
            chain->children.push_back((this->*operand)(depth));
        }
        return chain;
    }

    std::unique_ptr<Node> parseFactor(int depth) {
        const Token& token = current();
        if (depth > kMaxNesting)
            fail(expression_, token.position,
                 QStringLiteral("слишком глубокая вложенность скобок или NOT"));
        switch (token.kind) {
        case TokenKind::Not: {
            take();
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->children.push_back(parseFactor(depth + 1));
            return node;
        }
        case TokenKind::OpenParen: {
            const int openedAt = token.position;
            take();
            if (current().kind == TokenKind::CloseParen)
                fail(expression_, current().position, QStringLiteral("пустые скобки"));
            auto inner = parseOr(depth + 1);
            if (current().kind != TokenKind::CloseParen)
                fail(expression_, current().position,
                     QStringLiteral("нет закрывающей скобки к скобке в позиции %1, найдено: %2")
                         .arg(QString::number(openedAt), describe(current())));
            take();
            return inner;
        }
        case TokenKind::Identifier:
            return parseComparison();
        default:
            fail(expression_, token.position,
                 QStringLiteral("ожидается имя поля, «(» или NOT, найдено: %1")
                     .arg(describe(token)));
        }
    }

    int findColumn(const QString& name) const {
        for (size_t i = 0; i < columns_.size(); ++i)
            if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    }

    std::unique_ptr<Node> parseComparison() {
        const Token field = take();
        const int column = findColumn(field.text);
        if (column < 0)
            fail(expression_, field.position,
                 QStringLiteral("Поле '%1' не найдено").arg(field.text));

        const Token op = take();
        if (op.kind != TokenKind::Comparison && op.kind != TokenKind::Like)
            fail(expression_, op.position,
                 QStringLiteral("после поля '%1' ожидается оператор сравнения "
                                "(=, <>, <, >, <=, >=, LIKE), найдено: %2")
                     .arg(field.text, describe(op)));

        const Token literal = take();
        auto node = std::make_unique<Node>();
        node->column = column;
        node->op = op.op;

        if (literal.kind == TokenKind::Null) {
            if (op.op == CompareOp::Equal)
                node->kind = Node::Kind::IsNull;
            else if (op.op == CompareOp::NotEqual)
                node->kind = Node::Kind::IsNotNull;
            else
                fail(expression_, literal.position,
                     QStringLiteral("с NULL сравнивают только через = или <>"));
            return node;
        }
        if (literal.kind != TokenKind::Number && literal.kind != TokenKind::String)
            fail(expression_, literal.position,
                 QStringLiteral("после «%1» ожидается значение (число, строка в кавычках "
                                "или NULL), найдено: %2")
                     .arg(opText(op.op), describe(literal)));

        if (op.op == CompareOp::Like) {
            if (literal.kind != TokenKind::String)
                fail(expression_, literal.position,
                     QStringLiteral("после LIKE ожидается строка в кавычках, найдено: %1")
                         .arg(describe(literal)));
            node->kind = Node::Kind::Like;
            node->like = compileLike(literal.text);
            return node;
        }

        if (columns_[size_t(column)].kind == ColumnKind::Number) {
            const QByteArray utf8 = literal.text.toUtf8();
            if (!parseNumber(std::string_view(utf8.constData(), size_t(utf8.size())), node->number))
                fail(expression_, literal.position,
                     QStringLiteral("поле '%1' числовое, а значение '%2' не число")
                         .arg(field.text, literal.text));
            node->kind = Node::Kind::NumberCompare;
            return node;
        }

        // A text column compares with the literal as written, numbers included.
        node->kind = Node::Kind::TextCompare;
        node->text = foldedCodePoints(literal.text);
        return node;
    }

    const QString& expression_;
    const std::vector<FilterColumn>& columns_;
    std::vector<Token> tokens_;
    size_t next_ = 0;
};

} // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;
FilterExpression::~FilterExpression() = default;

FilterExpression FilterExpression::compile(const QString& expression,
                                           const std::vector<FilterColumn>& columns) {
    FilterExpression compiled;
    compiled.root_ = Parser(expression, columns).parse();
    return compiled;
}

bool FilterExpression::matches(const FilterRowSource& rows, int row) const {
    // A moved-from filter lets everything through rather than crash.
    return !root_ || evaluate(*root_, rows, row);
}

QString FilterExpression::quoteText(const QString& typed) {
    QString quoted = typed;
    quoted.replace(u'\'', QStringLiteral("''"));
    return quoted;
}

} // namespace data
