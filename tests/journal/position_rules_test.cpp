// The rules of a position and of a material that need no database: the price factors, the
// checks before a save, the values the save binds, the material proposal and its limits.
#include "data/data_error.h"
#include "journal/material.h"
#include "journal/position.h"

#include <QtTest>

#include <algorithm>

using namespace journal;

class PositionRulesTest : public QObject {
    Q_OBJECT
private slots:
    void price_data();
    void price();
    void checks_data();
    void checks();
    void statementsCarryNumbersFormattedByCode();
    void materialProposal_data();
    void materialProposal();
    void consumptionChecks_data();
    void consumptionChecks();
};

void PositionRulesTest::price_data() {
    QTest::addColumn<float>("operationPrice");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<int>("shift");
    QTest::addColumn<QString>("written");
    QTest::newRow("shift 1, working day") << 4.5f << false << 1 << "4.5";
    QTest::newRow("shift 2, working day") << 4.5f << false << 2 << "4.5";
    QTest::newRow("shift 3") << 4.5f << false << 3 << "5.4";
    QTest::newRow("overtime") << 4.5f << false << 4 << "6.75";
    QTest::newRow("day off, shift 1") << 4.5f << true << 1 << "9";
    QTest::newRow("day off, shift 3: 2.4 times") << 4.5f << true << 3 << "10.8";
    QTest::newRow("day off, overtime: 3 times") << 4.5f << true << 4 << "13.5";
    QTest::newRow("four decimals") << 1.2345f << false << 3 << "1.4814";
    QTest::newRow("a 32-bit price rounds back") << 2.35f << false << 1 << "2.35";
}

void PositionRulesTest::price() {
    QFETCH(float, operationPrice);
    QFETCH(bool, dayOff);
    QFETCH(int, shift);
    QFETCH(QString, written);
    Position p;
    p.operationPrice = operationPrice;
    p.quantity = "1";
    p.rejects = "0";
    p.hours = "0";
    p.workDay = QDate(2026, 3, 2);
    const auto values = positionValues(p, {dayOff, shift, QDate(2026, 3, 2)});
    const auto price = std::find_if(values.begin(), values.end(),
                                    [](const auto& v) { return v.first == "price"; });
    QVERIFY(price != values.end());
    QCOMPARE(price->second.toString(), written);
}

void PositionRulesTest::checks_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("rejects");
    QTest::addColumn<double>("required");
    QTest::addColumn<bool>("lineShown");
    QTest::addColumn<QString>("worker");
    QTest::addColumn<int>("refusal");
    const int none = int(SaveRefusal::None), missing = int(SaveRefusal::MissingFields),
              above = int(SaveRefusal::AboveRequired),
              rejects = int(SaveRefusal::RejectsAboveQuantity),
              outOfRange = int(SaveRefusal::QuantityOutOfRange),
              notANumber = int(SaveRefusal::QuantityNotANumber);
    QTest::newRow("complete") << "12,5"
                              << "1" << 0.0 << true << "Иванов" << none;
    QTest::newRow("no worker") << "12,5"
                               << "1" << 0.0 << true << " " << missing;
    QTest::newRow("no line shown") << "12,5"
                                   << "1" << 0.0 << false << "Иванов" << missing;
    QTest::newRow("empty quantity") << ""
                                    << "0" << 0.0 << true << "Иванов" << missing;
    QTest::newRow("quantity 0") << "0"
                                << "0" << 0.0 << true << "Иванов" << outOfRange;
    QTest::newRow("a quantity that is no number") << "1,,2"
                                                  << "0" << 0.0 << true << "Иванов" << notANumber;
    QTest::newRow("no limit at f_qty 0") << "100500"
                                         << "0" << 0.0 << true << "Иванов" << none;
    QTest::newRow("exactly the requirement") << "100"
                                             << "0" << 100.0 << true << "Иванов" << none;
    QTest::newRow("above the requirement") << "100,5"
                                           << "0" << 100.0 << true << "Иванов" << above;
    QTest::newRow("rejects as many as pieces") << "5"
                                               << "5" << 0.0 << true << "Иванов" << none;
    QTest::newRow("more rejects than pieces") << "5"
                                              << "6" << 0.0 << true << "Иванов" << rejects;
}

void PositionRulesTest::checks() {
    QFETCH(QString, quantity);
    QFETCH(QString, rejects);
    QFETCH(double, required);
    QFETCH(bool, lineShown);
    QFETCH(QString, worker);
    QFETCH(int, refusal);
    Position p;
    p.quantity = quantity;
    p.rejects = rejects;
    p.hours = "8";
    p.workDay = QDate(2026, 3, 2);
    const PositionForm form{
        worker, "КМ-120; Сборка; Готовая продукция", true, lineShown, required, QDate(2026, 3, 2)};
    QCOMPARE(int(checkPosition(p, form)), refusal);
}

void PositionRulesTest::statementsCarryNumbersFormattedByCode() {
    Position p;
    p.id = 77;
    p.workerCode = 101;
    p.productId = 500;
    p.operationId = 3;
    p.operationPrice = 2.5f;
    p.quantity = "12,5";
    p.rejects = " 1 ";
    p.hours = "8";
    p.workDay = QDate(2026, 3, 13);
    p.requisitionId = 7000001;
    p.requisitionLineId = 7100002;
    const SaveConditions c{false, 2, QDate(2026, 3, 14)};
    using Values = QList<std::pair<QString, QVariant>>;
    const Values inserted{{"worker", 101},
                          {"product", 500},
                          {"operation", 3},
                          {"price", "2.5"},
                          {"quantity", "12.5"},
                          {"rejects", "1"},
                          {"work_day", QDate(2026, 3, 13)},
                          {"shift", 2},
                          {"hours", "8"},
                          {"entered", QDate(2026, 3, 14)},
                          {"requisition", qint64(7000001)},
                          {"requisition_line", qint64(7100002)}};
    QCOMPARE(positionStatementName(p), QString("journal/update_position"));
    QCOMPARE(positionValues(p, c), (inserted + Values{{"id", 77}}));
    p.id = 0;
    QCOMPARE(positionStatementName(p), QString("journal/insert_position"));
    QCOMPARE(positionValues(p, c), inserted);
    p.hours = "8; delete from accounts_dep.smena";
    QVERIFY_THROWS_EXCEPTION(data::DataError, positionValues(p, c));
}

void PositionRulesTest::materialProposal_data() {
    QTest::addColumn<QString>("material");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<double>("proposal");
    // the product: metal 0,4 per piece, paint 0,05 per piece
    QTest::newRow("metal") << "Лист 2 мм"
                           << "12,5" << 5.0;
    QTest::newRow("paint by RAL") << "Эмаль RAL 7035"
                                  << "12,5" << 0.625;
    QTest::newRow("ral in lower case") << "грунт ral9005"
                                       << "10" << 0.5;
    QTest::newRow("no quantity yet") << "Лист 2 мм"
                                     << "0" << 0.0;
}

void PositionRulesTest::materialProposal() {
    QFETCH(QString, material);
    QFETCH(QString, quantity);
    QFETCH(double, proposal);
    QCOMPARE(proposedConsumption(quantity, materialRate(material, 0.4, 0.05)), proposal);
}

void PositionRulesTest::consumptionChecks_data() {
    QTest::addColumn<bool>("materialShown");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<double>("left"); // negative: the material has no consignment
    QTest::addColumn<int>("refusal");
    const int none = int(ConsumptionRefusal::None),
              noMaterial = int(ConsumptionRefusal::NoMaterial),
              above = int(ConsumptionRefusal::AboveConsignment),
              zero = int(ConsumptionRefusal::Zero);
    QTest::newRow("no material") << false << "1" << 10.0 << noMaterial;
    QTest::newRow("all that is left") << true << "10,0004" << 10.0004 << none;
    QTest::newRow("equal at 3 decimals") << true << "10,0001" << 10.0004 << none;
    QTest::newRow("above at 3 decimals") << true << "10,001" << 10.0004 << above;
    QTest::newRow("no consignment") << true << "0,5" << -1.0 << above;
    QTest::newRow("zero") << true << "0" << 10.0 << zero;
    QTest::newRow("empty counts as zero") << true << "" << 10.0 << zero;
}

void PositionRulesTest::consumptionChecks() {
    QFETCH(bool, materialShown);
    QFETCH(QString, quantity);
    QFETCH(double, left);
    QFETCH(int, refusal);
    const std::optional<double> consignment = left < 0 ? std::nullopt : std::optional<double>(left);
    QCOMPARE(int(checkConsumption(materialShown, quantity, consignment)), refusal);
}

QTEST_GUILESS_MAIN(PositionRulesTest)
#include "position_rules_test.moc"
