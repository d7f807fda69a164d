#include "history_data.h"

#include "data/dataset.h"
#include "data/statement_files.h"
#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/workbook.h"

#include <QJsonDocument>

namespace history {

namespace {

const QString& statement(const QString& name) {
    return data::statementText(QStringLiteral("history/") + name);
}

QJsonObject jsonObject(const data::Dataset& rows, const QString& field) {
    if (rows.isNull(field))
        return {};
    return QJsonDocument::fromJson(rows.asString(field).toUtf8()).object();
}

HistoryRow currentRow(const data::Dataset& rows) {
    HistoryRow row;
    row.id = rows.asInt64(QStringLiteral("id"));
    row.at = rows.asDateTime(QStringLiteral("at"));
    row.login = rows.asString(QStringLiteral("login"));
    row.client = rows.asString(QStringLiteral("client"));
    row.subject = rows.asString(QStringLiteral("subject"));
    row.action = rows.asString(QStringLiteral("action"));
    row.rowId = rows.asInt64(QStringLiteral("row_id"));
    row.positionId = rows.asInt(QStringLiteral("position_id"));
    row.operationId = rows.asInt(QStringLiteral("operation_id"));
    row.month = rows.asInt(QStringLiteral("month"));
    row.year = rows.asInt(QStringLiteral("year"));
    row.oldValues = jsonObject(rows, QStringLiteral("old"));
    row.newValues = jsonObject(rows, QStringLiteral("new"));
    row.positionPresent = rows.value(QStringLiteral("present")).toBool();
    return row;
}

// "{1,2,3}": the codes as an array parameter; codes are digits, quoted all the same.
QString arrayText(const QStringList& codes) {
    QStringList quoted;
    for (QString code : codes)
        quoted << u'"' + code.remove(u'"').remove(u'\\') + u'"';
    return u'{' + quoted.join(u',') + u'}';
}

} // namespace

std::vector<HistoryEntry> HistoryData::read(const QString& name, const QString& parameter,
                                            const QVariant& value, const QString& parameter2,
                                            const QVariant& value2) {
    data::Dataset rows(&connection_, name);
    rows.setSql(statement(name));
    rows.setParam(parameter, value);
    if (!parameter2.isEmpty())
        rows.setParam(parameter2, value2);
    rows.open();
    std::vector<HistoryRow> stored;
    stored.reserve(size_t(rows.recordCount()));
    for (rows.first(); !rows.eof(); rows.next())
        stored.push_back(currentRow(rows));
    rows.close();
    const HistoryNames known = names(stored);
    std::vector<HistoryEntry> entries;
    entries.reserve(stored.size());
    for (const HistoryRow& row : stored)
        entries.push_back(describe(row, known));
    return entries;
}

HistoryNames HistoryData::names(const std::vector<HistoryRow>& rows) {
    HistoryNames names;
    const NameCodes codes = codesToName(rows);
    if (codes.workers.isEmpty() && codes.persons.isEmpty() && codes.products.isEmpty() &&
        codes.operations.isEmpty() && codes.types.isEmpty() && codes.materials.isEmpty())
        return names;
    data::Dataset found(&connection_, QStringLiteral("historyNames"));
    found.setSql(statement(QStringLiteral("names")));
    found.setParam(QStringLiteral("worker_codes"), arrayText(codes.workers));
    found.setParam(QStringLiteral("person_ids"), arrayText(codes.persons));
    found.setParam(QStringLiteral("product_ids"), arrayText(codes.products));
    found.setParam(QStringLiteral("operation_ids"), arrayText(codes.operations));
    found.setParam(QStringLiteral("type_ids"), arrayText(codes.types));
    found.setParam(QStringLiteral("material_ids"), arrayText(codes.materials));
    found.open();
    const QHash<QString, QHash<QString, QString>*> byKind{
        {QStringLiteral("worker"), &names.workers},
        {QStringLiteral("person"), &names.persons},
        {QStringLiteral("product"), &names.products},
        {QStringLiteral("operation"), &names.operations},
        {QStringLiteral("type"), &names.types},
        {QStringLiteral("material"), &names.materials}};
    for (found.first(); !found.eof(); found.next())
        if (QHash<QString, QString>* kind = byKind.value(found.asString(QStringLiteral("kind"))))
            kind->insert(found.asString(QStringLiteral("code")).trimmed(),
                         found.asString(QStringLiteral("name")));
    return names;
}

std::vector<HistoryEntry> HistoryData::positionHistory(int positionId) {
    return read(QStringLiteral("position_history"), QStringLiteral("position_id"), positionId);
}

std::vector<HistoryEntry> HistoryData::operationHistory(int operationId) {
    return read(QStringLiteral("operation_history"), QStringLiteral("operation_id"), operationId);
}

std::vector<HistoryEntry> HistoryData::deletedPositions(const QDate& day) {
    return read(QStringLiteral("deleted_positions_of_day"), QStringLiteral("day"), day);
}

std::vector<HistoryEntry> HistoryData::periodHistory(const QDate& from, const QDate& to) {
    return read(QStringLiteral("period_history"), QStringLiteral("period_from"), from,
                QStringLiteral("period_to"), to);
}

int HistoryData::restorePosition(qint64 historyId) {
    data::Dataset restored(&connection_, QStringLiteral("restorePosition"));
    restored.setSql(statement(QStringLiteral("restore_position")));
    restored.setParam(QStringLiteral("history_id"), historyId);
    restored.open();
    const int id = restored.asInt(QStringLiteral("restore_position"));
    restored.close();
    return id;
}

QString periodFileName(const QDate& from, const QDate& to) {
    const QString format = QStringLiteral("dd.MM.yyyy");
    return QStringLiteral("История %1–%2.xlsx").arg(from.toString(format), to.toString(format));
}

bool writeHistorySpreadsheet(const std::vector<HistoryEntry>& entries, const QString& fileName,
                             spreadsheet::Workbook& book) {
    if (spreadsheet::XlsOpen(book, fileName) == -1)
        return false;
    using spreadsheet::XlsWriteCell;
    const QStringList titles{QStringLiteral("Когда"), QStringLiteral("Кто"), QStringLiteral("Где"),
                             QStringLiteral("Что"), QStringLiteral("Изменения")};
    for (int column = 0; column < titles.size(); ++column)
        XlsWriteCell(book, 1, column + 1, 1, titles[column]);
    int row = 2;
    for (const HistoryEntry& entry : entries) {
        XlsWriteCell(book, 1, 1, row, timeText(entry.at));
        XlsWriteCell(book, 1, 2, row, entry.login);
        XlsWriteCell(book, 1, 3, row, entry.place);
        XlsWriteCell(book, 1, 4, row, entry.what);
        XlsWriteCell(book, 1, 5, row, entry.changes.join(QStringLiteral("; ")));
        ++row;
    }
    return true;
}

} // namespace history
