// The data module connects only when told to: nothing before the login.
#include "data/data_error.h"
#include "data/data_module.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <memory>

using namespace data;

class DataModuleTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void aNewModuleConnectsNowhere();

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<DataModule6> dm_;
};

void DataModuleTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("datamodule");
    db_->useAsBuiltin();
    messages_ = std::make_unique<RecordingMessages>();
    dm_ = std::make_unique<DataModule6>();
    QVERIFY(dm_->ADO_DB.isOpen());
    QVERIFY(messages_->shown.isEmpty());
}

// Nothing connects before the login: no box at start, no idle connection.
void DataModuleTest::aNewModuleConnectsNowhere() {
    data::DataModule6::connectNewModulesWith({});
    messages_->clear();
    DataModule6 dm;
    QVERIFY(!dm.ADO_DB.isOpen());
    QVERIFY(messages_->shown.isEmpty());
    db_->useAsBuiltin();
}

QTEST_GUILESS_MAIN(DataModuleTest)
#include "data_module_test.moc"
