// The reports' statements sum a period's positions by their keys before they join the names;
// on the same data they give the same rows as the plain statements that join every position
// first, in the order those promise: with padded names, namesakes, a product without a name,
// shift 4, positions on both ends of the period and positions whose requisition does not
// exist.
#include "data/connection.h"
#include "data/dataset.h"
#include "data/statement_files.h"
#include "tests/support/plain_report_statements.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <cmath>
#include <memory>

namespace {

// Sums come out of float8 additions in another order; they may differ in the last bits. The
// mass, rounded to kopecks, is reckoned exactly by the program's statements; the plain ones
// round a float sum, which on a half kopeck may go either way.
const QStringList kSums{"kolvo", "summa", "brk", "s_prize", "mass"};

struct Rows {
    QStringList columns;
    QList<QStringList> values;
};

Rows read(data::Connection& connection, const QString& sql, const QDate& from, const QDate& to) {
    data::Dataset query(&connection);
    query.setSql(sql);
    query.setParam("period_from", from);
    query.setParam("period_to", to);
    query.open();
    Rows rows;
    rows.columns = query.fieldNames();
    for (int r = 0; r < query.recordCount(); ++r) {
        QStringList row;
        for (int c = 0; c < query.fieldCount(); ++c)
            row.append(query.isNullAt(r, c) ? QStringLiteral("<null>") : query.textAt(r, c));
        rows.values.append(row);
    }
    return rows;
}

// A row by its name: the columns that are no sum, in the statement's column order.
QString keyOf(const Rows& rows, int row) {
    QStringList key;
    for (int c = 0; c < rows.columns.size(); ++c)
        if (!kSums.contains(rows.columns[c]))
            key.append(rows.values[row][c]);
    return key.join(u'|');
}

bool sameNumber(const QString& column, const QString& a, const QString& b) {
    if (a == b)
        return true;
    const double x = a.toDouble(), y = b.toDouble();
    const double tolerance =
        column == "mass" ? 0.01 + 1e-9 : 1e-9 * std::max(1.0, std::max(std::abs(x), std::abs(y)));
    return std::abs(x - y) <= tolerance;
}

} // namespace

class ReportStatementsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameRowsInOrder_data();
    void sameRowsInOrder();

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<OpenConnection> connection_;
};

void ReportStatementsTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("report_statements");
    db_->exec(R"(
        -- namesakes under two codes, a name padded with blanks, a code no position has
        insert into cmn_contractor.person(s_code, s_caption) values
            ('101', 'Иванов И.И.'), ('102', 'Иванов И.И.'), ('103', 'Петрова А.А.   '),
            ('104', 'Сидоров С.С.'), ('105', 'Никто Н.Н.');
        -- two products of one name, one without a name
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (1, 'КМ-1', 'Шкаф', 2.5), (2, 'КМ-2', null, 1.25), (3, 'КМ-3', 'Шкаф', 0.75),
            (4, 'СТ-1', 'Стеллаж', 3.2);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сварка'), (2, 'Покраска'),
            (3, 'Гибка');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values
            (1, 1, 1, 0), (2, 1, 2, 1), (3, 2, 1, 0), (4, 3, 3, 0), (5, 4, 2, 1), (6, 4, 1, 0);
        -- two requisitions of one number
        insert into mnf_doc.doc(id, s_number, d_date) values
            (7000001, 'З-1', '2026-02-01'), (7000002, 'З-2', '2026-02-01'),
            (7000003, 'З-1', '2026-02-01');
        -- a year of positions in every shift, some of no requisition (0) or of one that does
        -- not exist (7999999); loaded without the row triggers, as a restore is
        set session_replication_role = replica;
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time,
                                       color, prize, id_doc)
          select date '2026-01-01' + g % 365, 1 + g % 4, 101 + g % 5,
                 (array[1, 1, 2, 3, 4, 4])[1 + g % 6], 1 + g % 6,
                 round((1 + (g % 13) * 0.37)::numeric, 4), 1 + (g % 7) * 1.5 + (g % 3) * 0.333,
                 g % 2, 1, (array[0, 1, 7035, 9003])[1 + g % 4], (g % 5) * 5,
                 (array[0, 7000001, 7000002, 7000003, 7999999])[1 + g % 5]
          from generate_series(0, 19999) g;
        -- on both ends of February, in shift 4
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time,
                                       color, id_doc) values
            ('2026-02-01', 4, 103, 1, 1, 7.25, 3, 1, 1, 0, 7000001),
            ('2026-02-28', 4, 104, 2, 3, 1.5, 2.5, 0, 1, 1, 7000002),
            ('2026-03-01', 4, 104, 2, 3, 1.5, 100, 0, 1, 1, 7000002),
            ('2026-01-31', 4, 104, 2, 3, 1.5, 100, 0, 1, 1, 7000002);
        set session_replication_role = origin;
        analyze;
    )");
    connection_ = std::make_unique<OpenConnection>(db_->connectionString());
}

void ReportStatementsTest::sameRowsInOrder_data() {
    QTest::addColumn<int>("statement");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    const auto& statements = plainReportStatements();
    for (int i = 0; i < int(statements.size()); ++i) {
        const QByteArray name = statements[size_t(i)].name.toUtf8();
        QTest::newRow(name + ", February") << i << QDate(2026, 2, 1) << QDate(2026, 3, 1);
        QTest::newRow(name + ", the year") << i << QDate(2026, 1, 1) << QDate(2027, 1, 1);
        QTest::newRow(name + ", no positions") << i << QDate(2025, 1, 1) << QDate(2025, 2, 1);
    }
}

void ReportStatementsTest::sameRowsInOrder() {
    QFETCH(int, statement);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    const PlainReportStatement& plain = plainReportStatements()[size_t(statement)];
    const Rows expected = read(*connection_, plain.sql, from, to);
    const Rows actual = read(*connection_, data::statementText("reports/" + plain.name), from, to);

    QCOMPARE(actual.columns, expected.columns);
    QCOMPARE(actual.values.size(), expected.values.size());
    if (from.year() == 2026)
        QVERIFY(!expected.values.isEmpty());

    // the same groups with the same sums
    QHash<QString, int> expectedRow;
    for (int r = 0; r < expected.values.size(); ++r)
        expectedRow.insert(keyOf(expected, r), r);
    QCOMPARE(expectedRow.size(), expected.values.size()); // every group once
    for (int r = 0; r < actual.values.size(); ++r) {
        const QString key = keyOf(actual, r);
        QVERIFY2(expectedRow.contains(key), qPrintable("no such row in the plain result: " + key));
        const QStringList& want = expected.values[expectedRow.value(key)];
        for (int c = 0; c < actual.columns.size(); ++c)
            QVERIFY2(sameNumber(actual.columns[c], actual.values[r][c], want[c]),
                     qPrintable(QString("%1 of %2: %3, plain %4")
                                    .arg(actual.columns[c], key, actual.values[r][c], want[c])));
    }

    // in the order the plain statement promises
    const auto orderOf = [&plain](const Rows& rows) {
        QStringList order;
        for (const QStringList& row : rows.values) {
            QStringList key;
            for (const QString& column : plain.orderedBy)
                key.append(row[rows.columns.indexOf(column)]);
            order.append(key.join(u'|'));
        }
        return order;
    };
    QCOMPARE(orderOf(actual), orderOf(expected));
}

QTEST_MAIN(ReportStatementsTest)
#include "report_statements_test.moc"
