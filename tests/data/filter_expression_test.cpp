#include "data/filter_expression.h"

#include <QList>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using data::ColumnKind;
using data::FilterColumn;
using data::FilterError;
using data::FilterExpression;

namespace {

// Rows held as the UTF-8 texts a server would send; std::nullopt is SQL null.
class MemoryRows : public data::FilterRowSource {
public:
    using Row = std::vector<std::optional<std::string>>;

    void add(Row row) { rows_.push_back(std::move(row)); }
    int count() const { return int(rows_.size()); }

    bool isNull(int row, int column) const override {
        return !rows_[size_t(row)][size_t(column)].has_value();
    }
    std::string_view text(int row, int column) const override {
        return *rows_[size_t(row)][size_t(column)];
    }

private:
    std::vector<Row> rows_;
};

std::optional<std::string> t(const char* utf8) {
    return std::string(utf8);
}

const std::vector<FilterColumn>& columns() {
    static const std::vector<FilterColumn> list = {
        {QStringLiteral("fio"), ColumnKind::Text},
        {QStringLiteral("id"), ColumnKind::Number},
        {QStringLiteral("code"), ColumnKind::Text},
        {QStringLiteral("qty"), ColumnKind::Number},
    };
    return list;
}

// Columns: fio, id, code (text holding numbers and wildcard characters), qty.
const MemoryRows& people() {
    static const MemoryRows rows = [] {
        MemoryRows r;
        r.add({t("Иванов Иван Иванович"), t("1"), t("12"), t("2.5")}); // 0
        r.add({t("ИВАНОВА Мария"), t("2"), t("012"), t("10")});        // 1
        r.add({std::nullopt, t("3"), std::nullopt, std::nullopt});     // 2
        r.add({t("д'Артаньян"), t("4"), t("ab%c"), t("0.1")});         // 3
        r.add({t(" Пробелов"), t("5"), t("AB_C"), t("-1.5")});         // 4
        r.add({t("Ёлкин"), t("6"), t("Ab"), t("abc")});                // 5
        r.add({t("Елкин"), t("9007199254740992"), t(""), t("1e3")});   // 6
        r.add({t("O'Brien"), t("-7"), t("a.b"), t("")});               // 7
        return r;
    }();
    return rows;
}

QList<int> matchingRows(const FilterExpression& filter, const MemoryRows& rows) {
    QList<int> result;
    for (int row = 0; row < rows.count(); ++row)
        if (filter.matches(rows, row))
            result.append(row);
    return result;
}

QList<int> allRowsExcept(std::initializer_list<int> excluded) {
    QList<int> result;
    for (int row = 0; row < people().count(); ++row)
        if (std::find(excluded.begin(), excluded.end(), row) == excluded.end())
            result.append(row);
    return result;
}

// Straightforward recursive LIKE over case-folded code points, to check the
// fast matcher against.
bool referenceLike(const QList<uint>& value, qsizetype v, const QList<uint>& pattern, qsizetype p) {
    if (p == pattern.size())
        return v == value.size();
    if (pattern[p] == '%') {
        for (qsizetype from = v; from <= value.size(); ++from)
            if (referenceLike(value, from, pattern, p + 1))
                return true;
        return false;
    }
    if (v == value.size())
        return false;
    if (pattern[p] != '_' && pattern[p] != value[v])
        return false;
    return referenceLike(value, v + 1, pattern, p + 1);
}

bool referenceLike(const QString& value, const QString& pattern) {
    return referenceLike(value.toCaseFolded().toUcs4(), 0, pattern.toCaseFolded().toUcs4(), 0);
}

} // namespace

class FilterExpressionTest : public QObject {
    Q_OBJECT

private slots:
    void matchesRows_data();
    void matchesRows();

    void typedSearchTextIsQuoted_data();
    void typedSearchTextIsQuoted();
    void quoteTextDoublesEveryApostrophe();

    void malformedExpressionIsError_data();
    void malformedExpressionIsError();
    void errorMessageNamesProblem_data();
    void errorMessageNamesProblem();

    void likeAgreesWithReference();
    void randomExpressionsNeverCrash();
    void brokenUtf8InRowsIsHarmless();
    void movedFromFilterLetsRowsThrough();
};

void FilterExpressionTest::matchesRows_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QList<int>>("expected");

    // Numbers compare numerically, in any spelling of the literal.
    QTest::newRow("integer") << "id=1" << QList<int>{0};
    QTest::newRow("field case") << "ID = 1" << QList<int>{0};
    QTest::newRow("decimal literal") << "id=1.0" << QList<int>{0};
    QTest::newRow("quoted number") << "id='2'" << QList<int>{1};
    QTest::newRow("negative") << "id<0" << QList<int>{7};
    QTest::newRow("not equal <>") << "id<>1" << allRowsExcept({0});
    QTest::newRow("not equal !=") << "id != 1" << allRowsExcept({0});
    QTest::newRow("greater or equal") << "id>=5" << QList<int>{4, 5, 6};
    QTest::newRow("64-bit exact, other key") << "id = 9007199254740993" << QList<int>{};
    QTest::newRow("64-bit exact, same key") << "id = 9007199254740992" << QList<int>{6};
    QTest::newRow("real greater") << "qty > 1" << QList<int>{0, 1, 6};
    QTest::newRow("real less or equal") << "qty <= 0.1" << QList<int>{3, 4};
    QTest::newRow("real negative") << "qty = -1.5" << QList<int>{4};
    // Null, "abc" and "" are not numbers: they fail even <>.
    QTest::newRow("non-numbers never match") << "qty <> 2.5" << QList<int>{1, 3, 4, 6};

    // Null only through = null / <> null.
    QTest::newRow("is null") << "fio = null" << QList<int>{2};
    QTest::newRow("is not null") << "fio <> NULL" << allRowsExcept({2});
    QTest::newRow("null number column") << "qty = Null" << QList<int>{2};
    QTest::newRow("quoted null is text") << "fio = 'null'" << QList<int>{};
    QTest::newRow("null fails text <>") << "fio <> 'x'" << allRowsExcept({2});

    // Incremental search: Cyrillic, case-insensitive prefixes.
    QTest::newRow("prefix as typed") << "fio like 'Ив%'" << QList<int>{0, 1};
    QTest::newRow("prefix lower case") << "fio like 'ив%'" << QList<int>{0, 1};
    QTest::newRow("prefix upper case") << "fio like 'ИВАНОВ%'" << QList<int>{0, 1};
    QTest::newRow("like is whole value") << "fio like 'иванов'" << QList<int>{};
    QTest::newRow("yo lower") << "fio like 'ё%'" << QList<int>{5};
    QTest::newRow("yo upper") << "fio like 'Ё%'" << QList<int>{5};
    QTest::newRow("ye is not yo") << "fio like 'е%'" << QList<int>{6};
    QTest::newRow("leading blank kept") << "fio like ' %'" << QList<int>{4};
    QTest::newRow("no blank, no match") << "fio like 'П%'" << QList<int>{};
    QTest::newRow("percent alone") << "fio like '%'" << allRowsExcept({2});
    QTest::newRow("inner") << "fio like '%ов%'" << QList<int>{0, 1, 4};
    QTest::newRow("suffix") << "fio like '%кин'" << QList<int>{5, 6};
    QTest::newRow("underscore one char") << "fio like '_лкин'" << QList<int>{5, 6};
    QTest::newRow("underscore too few") << "fio like '_кин'" << QList<int>{};
    QTest::newRow("dot is literal") << "code like 'a.b'" << QList<int>{7};
    QTest::newRow("empty pattern") << "code like ''" << QList<int>{6};
    QTest::newRow("like on number column") << "id like '9007%'" << QList<int>{6};

    // Apostrophes inside literals.
    QTest::newRow("doubled quote in like") << "fio like 'д''%'" << QList<int>{3};
    QTest::newRow("doubled quote equal") << "fio = 'Д''АРТАНЬЯН'" << QList<int>{3};
    QTest::newRow("latin apostrophe name") << "fio like 'o''b%'" << QList<int>{7};

    // Text columns compare as text, numbers included.
    QTest::newRow("unquoted number on text") << "code=12" << QList<int>{0};
    QTest::newRow("leading zero kept") << "code='012'" << QList<int>{1};
    QTest::newRow("empty text") << "code = ''" << QList<int>{6};
    QTest::newRow("text equal ignores case") << "code = 'aB'" << QList<int>{5};
    QTest::newRow("text ordering") << "code > 'ab'" << QList<int>{3, 4};

    // Logic and layout.
    QTest::newRow("or") << "id=1 or id=2" << QList<int>{0, 1};
    QTest::newRow("and") << "id>1 AND fio like 'ив%'" << QList<int>{1};
    QTest::newRow("and binds tighter") << "id=3 or id=2 and fio like 'Ё%'" << QList<int>{2};
    QTest::newRow("parentheses") << "(id=3 or id=2) and fio like 'ИВ%'" << QList<int>{1};
    QTest::newRow("not") << "not id=1" << allRowsExcept({0});
    QTest::newRow("not group") << "NOT (fio like 'ив%' OR fio = null)" << QList<int>{3, 4, 5, 6, 7};
    QTest::newRow("free whitespace") << "  id\t=\n1  " << QList<int>{0};
    QTest::newRow("no whitespace") << "id=5 and(code like'AB%')" << QList<int>{4};
    QTest::newRow("keywords any case") << "fio LiKe 'ив%' AnD id=2" << QList<int>{1};
    QTest::newRow("window style") << "id=5 and code like 'AB%'" << QList<int>{4};
}

void FilterExpressionTest::matchesRows() {
    QFETCH(QString, expression);
    QFETCH(QList<int>, expected);

    try {
        const FilterExpression filter = FilterExpression::compile(expression, columns());
        QCOMPARE(matchingRows(filter, people()), expected);
    } catch (const FilterError& error) {
        QFAIL(qPrintable(error.message()));
    }
}

void FilterExpressionTest::typedSearchTextIsQuoted_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("cyrillic with apostrophe") << "д'" << QList<int>{3};
    QTest::newRow("latin with apostrophe") << "o'B" << QList<int>{7};
    QTest::newRow("whole name") << "O'Brien" << QList<int>{7};
    QTest::newRow("apostrophe alone") << "'" << QList<int>{};
    QTest::newRow("two apostrophes") << "''" << QList<int>{};
    QTest::newRow("plain") << "Ив" << QList<int>{0, 1};
    QTest::newRow("blank") << " " << QList<int>{4};
}

// The search boxes build "fio like '" + typed + "%'"; quoted text must find the row.
void FilterExpressionTest::typedSearchTextIsQuoted() {
    QFETCH(QString, typed);
    QFETCH(QList<int>, expected);

    const QString expression =
        QStringLiteral("fio like '") + FilterExpression::quoteText(typed) + QStringLiteral("%'");
    const FilterExpression filter = FilterExpression::compile(expression, columns());
    QCOMPARE(matchingRows(filter, people()), expected);
}

void FilterExpressionTest::quoteTextDoublesEveryApostrophe() {
    QCOMPARE(FilterExpression::quoteText(QStringLiteral("a'b''c'")), QStringLiteral("a''b''''c''"));
    QCOMPARE(FilterExpression::quoteText(QString()), QString());
}

void FilterExpressionTest::malformedExpressionIsError_data() {
    QTest::addColumn<QString>("expression");

    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("unterminated string") << "fio like 'abc";
    QTest::newRow("unquoted apostrophe in search") << "fio like 'O'Brien%'";
    QTest::newRow("unknown field") << "xyz=1";
    QTest::newRow("no operator") << "fio 'a'";
    QTest::newRow("field alone") << "fio";
    QTest::newRow("no literal") << "id=";
    QTest::newRow("keyword as literal") << "id=and";
    QTest::newRow("double equals") << "id == 1";
    QTest::newRow("trailing condition") << "id=1 id=2";
    QTest::newRow("dangling and") << "id=1 and";
    QTest::newRow("leading or") << "or id=1";
    QTest::newRow("open paren") << "(id=1";
    QTest::newRow("close paren") << "id=1)";
    QTest::newRow("empty parens") << "()";
    QTest::newRow("not alone") << "not";
    QTest::newRow("text for number column") << "id='abc'";
    QTest::newRow("null with less") << "fio < null";
    QTest::newRow("like number") << "fio like 5";
    QTest::newRow("like null") << "fio like null";
    QTest::newRow("number with dot only") << "id=1.";
    QTest::newRow("number glued to word") << "id=1x";
    QTest::newRow("double sign") << "id=--1";
    QTest::newRow("statement separator") << "id=1; drop table x";
    QTest::newRow("lone bang") << "id ! 1";
    QTest::newRow("double quotes") << "fio = \"a\"";
    QTest::newRow("deep parentheses") << QString(5000, u'(') + "id=1" + QString(5000, u')');
    QTest::newRow("deep not") << QStringLiteral("not ").repeated(5000) + "id=1";
}

void FilterExpressionTest::malformedExpressionIsError() {
    QFETCH(QString, expression);
    QVERIFY_THROWS_EXCEPTION(FilterError, FilterExpression::compile(expression, columns()));
}

void FilterExpressionTest::errorMessageNamesProblem_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expectedPart");

    QTest::newRow("unknown field") << "id=1 and XyZ like 'a%'"
                                   << "Поле 'XyZ' не найдено";
    QTest::newRow("unknown field position") << "id=1 and XyZ like 'a%'"
                                            << "позиция 10";
    QTest::newRow("unterminated at its quote") << "fio like 'abc"
                                               << "позиция 10";
    QTest::newRow("extra paren position") << "id=1)"
                                          << "позиция 5";
    QTest::newRow("missing paren names opener") << "id=1 and (id=2"
                                                << "позиции 10";
    QTest::newRow("empty") << ""
                           << "пустое";
    QTest::newRow("missing operator names field") << "fio 'a'"
                                                  << "после поля 'fio'";
    QTest::newRow("missing literal at end") << "id="
                                            << "позиция 4";
    QTest::newRow("shows expression") << "id=1 id=2"
                                      << "id=1 id=2";
    QTest::newRow("shows percent signs as typed") << "fio like '%2%1' zz"
                                                  << "fio like '%2%1' zz";
}

void FilterExpressionTest::errorMessageNamesProblem() {
    QFETCH(QString, expression);
    QFETCH(QString, expectedPart);
    try {
        FilterExpression::compile(expression, columns());
        QFAIL("no FilterError");
    } catch (const FilterError& error) {
        QVERIFY2(error.message().contains(expectedPart), qPrintable(error.message()));
    }
}

// Random patterns and values over a small alphabet with wildcards, case pairs
// and Cyrillic, against the plain recursive definition.
void FilterExpressionTest::likeAgreesWithReference() {
    const QString valueAlphabet = QStringLiteral("aAбБёЁ %_");
    const QString patternAlphabet = QStringLiteral("aAбБёЁ %_%_");
    QRandomGenerator random(20240601);
    const std::vector<FilterColumn> oneColumn = {{QStringLiteral("v"), ColumnKind::Text}};

    auto randomText = [&](const QString& alphabet, int maxLength) {
        QString text;
        const int length = random.bounded(maxLength + 1);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random.bounded(alphabet.size()));
        return text;
    };

    for (int round = 0; round < 3000; ++round) {
        const QString value = randomText(valueAlphabet, 7);
        const QString pattern = randomText(patternAlphabet, 6);
        MemoryRows rows;
        rows.add({value.toStdString()});
        const FilterExpression filter = FilterExpression::compile(
            QStringLiteral("v like '") + pattern + QStringLiteral("'"), oneColumn);
        const bool expected = referenceLike(value, pattern);
        if (filter.matches(rows, 0) != expected)
            QFAIL(qPrintable(QStringLiteral("'%1' like '%2' should be %3")
                                 .arg(value, pattern, expected ? "true" : "false")));
    }
}

// Any text either compiles or raises FilterError; compiled ones evaluate on every row.
// Half the texts are random pieces, half are well-formed conditions with a few
// random edits, so both the error paths and the evaluator are reached.
void FilterExpressionTest::randomExpressionsNeverCrash() {
    const QStringList fields = {"id", "FIO", "code", "qty"};
    const QStringList operators = {"=", "<>", "!=", "<", ">", "<=", ">=", " like "};
    const QStringList literals = {"1",    "-2.5",    "+3",    "9999999999999999999999",
                                  "null", "'ив%'",   "'a_b'", "'%'",
                                  "''",   "'д''А%'", "'12'",  "'%ё_%'"};
    const QStringList pieces = {
        "id",
        "fio",
        "xyz",
        "=",
        "<>",
        "!",
        "like",
        "and",
        "or",
        "not",
        "null",
        "(",
        ")",
        "'",
        "''",
        "1",
        "-",
        ".",
        " ",
        "\t",
        "%",
        "_",
        "Ё",
        ";",
        "\"",
        QString(QChar(0)),
        QString(QChar(0xD800)),
    };
    QRandomGenerator random(7);
    auto pick = [&](const QStringList& list) { return list.at(random.bounded(list.size())); };

    int compiled = 0;
    for (int round = 0; round < 20000; ++round) {
        QString expression;
        if (round % 2 == 0) {
            const int length = random.bounded(12);
            for (int i = 0; i < length; ++i) {
                if (random.bounded(6) == 0)
                    expression += QChar(char16_t(random.bounded(1, 0x500)));
                else
                    expression += pick(pieces);
            }
        } else {
            const int conditions = 1 + random.bounded(4);
            for (int i = 0; i < conditions; ++i) {
                if (i > 0)
                    expression += random.bounded(2) ? " and " : " OR ";
                if (random.bounded(4) == 0)
                    expression += "not ";
                const bool grouped = random.bounded(4) == 0;
                expression += (grouped ? "(" : "") + pick(fields) + pick(operators) +
                              pick(literals) + (grouped ? ")" : "");
            }
            const int edits = random.bounded(3);
            for (int i = 0; i < edits && !expression.isEmpty(); ++i) {
                const int at = random.bounded(int(expression.size()));
                if (random.bounded(2))
                    expression.remove(at, 1);
                else
                    expression.insert(at, pick(pieces));
            }
        }
        try {
            const FilterExpression filter = FilterExpression::compile(expression, columns());
            ++compiled;
            matchingRows(filter, people());
        } catch (const FilterError&) {
        }
    }
    QVERIFY(compiled > 1000);
}

void FilterExpressionTest::brokenUtf8InRowsIsHarmless() {
    const std::vector<FilterColumn> oneColumn = {{QStringLiteral("v"), ColumnKind::Text}};
    MemoryRows rows;
    rows.add({std::string("\xD0")});         // truncated two-byte sequence
    rows.add({std::string("\xE0\x80\x80")}); // overlong
    rows.add({std::string("\xED\xA0\x80")}); // surrogate
    rows.add({std::string("\xFF\xFE")});
    rows.add({std::string("\xD0\x98\xD0")}); // "И" then a truncated byte
    rows.add({std::string("a\0b", 3)});
    for (const char* expression : {"v like '%'", "v like 'и%'", "v like '%_'", "v like '_'",
                                   "v = 'и'", "v > 'a'", "v like '%b'"}) {
        const FilterExpression filter =
            FilterExpression::compile(QString::fromUtf8(expression), oneColumn);
        matchingRows(filter, rows);
    }
    // Each bad byte stands for one unknown character; good text around it still matches.
    QCOMPARE(matchingRows(FilterExpression::compile("v like 'и_'", oneColumn), rows),
             QList<int>{4});
    QCOMPARE(matchingRows(FilterExpression::compile("v like 'a_b'", oneColumn), rows),
             QList<int>{5});
}

void FilterExpressionTest::movedFromFilterLetsRowsThrough() {
    FilterExpression filter = FilterExpression::compile("id=1", columns());
    FilterExpression taken = std::move(filter);
    QCOMPARE(matchingRows(taken, people()), QList<int>{0});
    QCOMPARE(matchingRows(filter, people()), allRowsExcept({})); // NOLINT(bugprone-use-after-move)
}

QTEST_APPLESS_MAIN(FilterExpressionTest)

#include "filter_expression_test.moc"
