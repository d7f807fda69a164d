#include "data_module.h"

#include <QScopeGuard>

namespace data {

namespace {

QString& newModulesConnection() {
    static QString text;
    return text;
}

} // namespace

void DataModule6::connectNewModulesWith(const QString& connectionText) {
    newModulesConnection() = connectionText;
}

DataModule6::DataModule6(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DataModule6"));
    if (!newModulesConnection().isEmpty()) {
        ADO_DB.setConnectionString(newModulesConnection());
        ADO_DB.open();
    }
}

DataModule6::~DataModule6() = default;

QVariant DataModule6::readScratchValue(const QString& statement, const QString& field,
                                       const Parameters& params) {
    Control.close();
    Control.setSql(statement);
    Control.setParams(params);
    Control.open();
    const auto closeAfterwards = qScopeGuard([this] { Control.close(); });
    return Control.isEmpty() ? QVariant() : Control.value(field);
}

} // namespace data
