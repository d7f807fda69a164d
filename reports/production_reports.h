#pragma once

#include "printed_report.h"

namespace data {
class DataModule6;
}

// The five printed reports of the report window "Отчеты", each over its own query with the
// parameters data1 (first day, included) and data2 (end, excluded).

// "Отчет по рабочим": per worker and product the quantity and amount of each operation.
class WorkersReport : public reports::PrintedReport {
public:
    explicit WorkersReport(data::DataModule6& dataModule);
    data::Dataset& t_Report = query_;
};

// "Отчет по продукции": per product the quantity and boxes of each operation.
class ProductsReport : public reports::PrintedReport {
public:
    explicit ProductsReport(data::DataModule6& dataModule);
    data::Dataset& t_Report = query_;
};

// "Детальный отчет по рабочим": per worker the rejects, quantity, amount and bonus of each
// mark and operation, with the worker's amount and bonus together.
class WorkerDetailsReport : public reports::PrintedReport {
public:
    explicit WorkerDetailsReport(data::DataModule6& dataModule);
    data::Dataset& w_Report = query_;
};

// "Детальный отчет по продукции": per product the same for each mark and operation.
class ProductDetailsReport : public reports::PrintedReport {
public:
    explicit ProductDetailsReport(data::DataModule6& dataModule);
    data::Dataset& i_Report = query_;
};

// "Детальный отчет по заявкам": per requisition; positions of no requisition are left out.
class RequisitionsReport : public reports::PrintedReport {
public:
    explicit RequisitionsReport(data::DataModule6& dataModule);
    data::Dataset& i_Report = query_;
};
