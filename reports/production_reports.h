#pragma once

#include "printed_report.h"

namespace data {
class DataModule6;
}

// The five printed reports of the report window "Отчеты", each over its own query with the
// parameters data1 (first day, included) and data2 (end, excluded).

// "Отчет по рабочим": per worker and product the quantity and amount of each operation.
class Form16 : public reports::PrintedReport {
public:
    explicit Form16(data::DataModule6& dataModule);
    data::Dataset& t_Report = query_;
};

// "Отчет по продукции": per product the quantity and boxes of each operation.
class Form17 : public reports::PrintedReport {
public:
    explicit Form17(data::DataModule6& dataModule);
    data::Dataset& t_Report = query_;
};

// "Детальный отчет по рабочим": per worker the rejects, quantity, amount and bonus of each
// mark and operation, with the worker's amount and bonus together.
class Form20 : public reports::PrintedReport {
public:
    explicit Form20(data::DataModule6& dataModule);
    data::Dataset& w_Report = query_;
};

// "Детальный отчет по продукции": per product the same for each mark and operation.
class Form21 : public reports::PrintedReport {
public:
    explicit Form21(data::DataModule6& dataModule);
    data::Dataset& i_Report = query_;
};

// "Детальный отчет по заявкам": per requisition; positions of no requisition are left out.
class Form25 : public reports::PrintedReport {
public:
    explicit Form25(data::DataModule6& dataModule);
    data::Dataset& i_Report = query_;
};
