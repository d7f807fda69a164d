#pragma once

#include "printed_report.h"

namespace data {
class Connection;
}

// The five printed reports of the report window "Отчеты", each over its own query
// (reports/statements/<name>.sql) with the parameters period_from (first day, included) and
// period_to (end, excluded).

// "Отчет по рабочим": per worker and product the quantity and amount of each operation.
class WorkersReport : public reports::PrintedReport {
public:
    explicit WorkersReport(data::Connection& connection);
};

// "Отчет по продукции": per product the quantity and boxes of each operation.
class ProductsReport : public reports::PrintedReport {
public:
    explicit ProductsReport(data::Connection& connection);
};

// "Детальный отчет по рабочим": per worker the rejects, quantity, amount and bonus of each
// mark and operation, with the worker's amount and bonus together.
class WorkerDetailsReport : public reports::PrintedReport {
public:
    explicit WorkerDetailsReport(data::Connection& connection);
};

// "Детальный отчет по продукции": per product the same for each mark and operation.
class ProductDetailsReport : public reports::PrintedReport {
public:
    explicit ProductDetailsReport(data::Connection& connection);
};

// "Детальный отчет по заявкам": per requisition; positions of no requisition are left out.
class RequisitionsReport : public reports::PrintedReport {
public:
    explicit RequisitionsReport(data::Connection& connection);
};
