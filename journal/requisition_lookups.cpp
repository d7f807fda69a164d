#include "requisition_lookups.h"

#include "data/statement_files.h"

namespace journal {

RequisitionLookups::RequisitionLookups(data::Connection& connection)
    : requisitions_(&connection, QStringLiteral("requisitions")),
      lines_(&connection, QStringLiteral("requisition_lines")) {}

void RequisitionLookups::prepareOffered() {
    requisitions_.close();
    lines_.close();
    requisitions_.setSql(data::statementText(QStringLiteral("journal/requisitions")));
    lines_.setSql(data::statementText(QStringLiteral("journal/requisition_lines")));
}

void RequisitionLookups::showLinesOf(qint64 requisition) {
    lines_.setFiltered(false);
    lines_.setFilter(QStringLiteral("id_doc=") + QString::number(requisition));
    lines_.setFiltered(true);
}

void RequisitionLookups::openViewed(int positionId) {
    requisitions_.close();
    lines_.close();
    requisitions_.setSql(data::statementText(QStringLiteral("journal/viewed_requisition")));
    requisitions_.setParam(QStringLiteral("id"), positionId);
    requisitions_.open();
    requisitions_.first();
    lines_.setSql(data::statementText(QStringLiteral("journal/viewed_requisition_line")));
    lines_.setParam(QStringLiteral("id"), positionId);
    // the rows of this statement carry id_doc 0, so the line filter lets them through
    lines_.setFilter(QStringLiteral("id_doc=0"));
    lines_.setFiltered(true);
    lines_.open();
    lines_.first();
}

void RequisitionLookups::close() {
    requisitions_.close();
    lines_.setFilter(QStringLiteral("id_doc=0"));
    lines_.setFiltered(true);
    lines_.close();
}

double RequisitionLookups::lineRequired() const {
    return lines_.isEmpty() ? 0 : lines_.asDouble(QStringLiteral("f_qty"));
}

QString RequisitionLookups::lineProductCode() const {
    if (!lines_.isOpen() || lines_.isEmpty())
        return QString();
    return lines_.asString(QStringLiteral("s_gds_mc"));
}

} // namespace journal
