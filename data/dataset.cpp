#include "dataset.h"

#include "connection.h"
#include "conversions.h"
#include "data_error.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

namespace data {

namespace {

// Type oids of the server's built-in types (pg_type.h); domains arrive as their base type.
constexpr unsigned int kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
                       kFloat8 = 701, kNumeric = 1700, kDate = 1082, kTimestamp = 1114,
                       kTimestampTz = 1184;

bool isNumberType(unsigned int t) {
    return t == kInt8 || t == kInt2 || t == kInt4 || t == kOid || t == kFloat4 || t == kFloat8 ||
           t == kNumeric;
}

QString quoteIdent(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

class Dataset::RowSource : public FilterRowSource {
public:
    explicit RowSource(const Dataset& ds) : ds_(ds) {}
    bool isNull(int row, int column) const override {
        return ds_.cellNull(ds_.rows_[size_t(row)], column);
    }
    std::string_view text(int row, int column) const override {
        int length = 0;
        const char* data = ds_.cellData(ds_.rows_[size_t(row)], column, &length);
        return data ? std::string_view(data, size_t(length)) : std::string_view();
    }

private:
    const Dataset& ds_;
};

Dataset::Dataset(Connection* connection, const QString& name, QObject* parent)
    : QObject(parent), connection_(connection), name_(name) {
    setObjectName(name);
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QStringList& lines) {
    setSql(lines.join(u'\n'));
}

void Dataset::setSql(const QString& text) {
    sql_ = text;
    parsedValid_ = false;
}

void Dataset::setParam(const QString& name, const QVariant& value) {
    params_.set(name, value);
}

void Dataset::open() {
    if (isOpen())
        return;
    if (!parsedValid_) {
        parsed_ = parseNamedParameters(sql_);
        parsedValid_ = true;
    }
    ResultPtr result = execute(*connection_, parsed_, params_);
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw DataError(QStringLiteral("Запрос %1 не вернул строк").arg(name_));
    result_ = std::move(result);
    PGresult* r = result_.get();
    const int nf = PQnfields(r);
    columns_.clear();
    columns_.reserve(size_t(nf));
    for (int c = 0; c < nf; ++c) {
        const QString n = QString::fromUtf8(PQfname(r, c));
        columns_.push_back({n, n.toLower(), PQftype(r, c)});
    }
    const int nt = PQntuples(r);
    rows_.resize(size_t(nt));
    for (int i = 0; i < nt; ++i)
        rows_[size_t(i)] = i;
    extra_.clear();
    compiledFilter_.reset();
    state_ = State::Browse;
    try {
        rebuildVisible();
    } catch (...) {
        close();
        throw;
    }
    setCurrent(0);
    emit reset();
}

void Dataset::close() {
    if (!isOpen())
        return;
    state_ = State::Inactive;
    result_.reset();
    rows_.clear();
    extra_.clear();
    visible_.clear();
    compiledFilter_.reset();
    current_ = 0;
    eof_ = bof_ = true;
    emit reset();
}

void Dataset::requery() {
    close();
    open();
}

QStringList Dataset::fieldNames() const {
    QStringList names;
    for (const Column& c : columns_)
        names << c.name;
    return names;
}

int Dataset::fieldIndex(const QString& name) const {
    const QString lower = name.toLower();
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].lowerName == lower)
            return int(i);
    return -1;
}

bool Dataset::isNumericField(int column) const {
    return column >= 0 && size_t(column) < columns_.size() &&
           isNumberType(columns_[size_t(column)].type);
}

int Dataset::requireField(const QString& field) const {
    if (!isOpen())
        throw DataError(QStringLiteral("%1: набор данных закрыт").arg(name_));
    const int c = fieldIndex(field);
    if (c < 0)
        throw DataError(QStringLiteral("%1: поле '%2' не найдено").arg(name_, field));
    return c;
}

const char* Dataset::cellData(int handle, int column, int* length) const {
    if (handle >= 0) {
        *length = PQgetlength(result_.get(), handle, column);
        return PQgetvalue(result_.get(), handle, column);
    }
    const auto& cell = extra_[size_t(-handle - 1)].cells[size_t(column)];
    if (!cell) {
        *length = 0;
        return nullptr;
    }
    *length = int(cell->size());
    return cell->constData();
}

bool Dataset::cellNull(int handle, int column) const {
    if (handle >= 0)
        return PQgetisnull(result_.get(), handle, column);
    return !extra_[size_t(-handle - 1)].cells[size_t(column)].has_value();
}

int Dataset::currentHandle() const {
    if (visible_.empty())
        throw DataError(QStringLiteral("%1: нет текущей записи").arg(name_));
    return rows_[size_t(visible_[size_t(current_)])];
}

QVariant Dataset::convert(int column, const char* text, int length) const {
    const QByteArray raw = QByteArray::fromRawData(text, length);
    switch (columns_[size_t(column)].type) {
    case kInt2:
    case kInt4:
        return raw.toInt();
    case kInt8:
    case kOid:
        return raw.toLongLong();
    case kNumeric:
        if (!raw.contains('.'))
            return raw.toLongLong();
        return raw.toDouble();
    case kFloat4:
    case kFloat8:
        return raw.toDouble();
    case kBool:
        return length > 0 && text[0] == 't';
    case kDate:
        return QDate::fromString(QString::fromLatin1(raw), Qt::ISODate);
    case kTimestamp:
    case kTimestampTz:
        return QDateTime::fromString(QString::fromLatin1(raw.left(19)), Qt::ISODate);
    default:
        return QString::fromUtf8(text, length);
    }
}

QVariant Dataset::valueAt(int row, int column) const {
    const int handle = rows_[size_t(visible_[size_t(row)])];
    if (cellNull(handle, column))
        return QVariant();
    int length = 0;
    const char* text = cellData(handle, column, &length);
    return convert(column, text, length);
}

QString Dataset::textAt(int row, int column) const {
    const int handle = rows_[size_t(visible_[size_t(row)])];
    int length = 0;
    const char* text = cellData(handle, column, &length);
    return text ? QString::fromUtf8(text, length) : QString();
}

bool Dataset::isNullAt(int row, int column) const {
    return cellNull(rows_[size_t(visible_[size_t(row)])], column);
}

QVariant Dataset::value(const QString& field) const {
    const int c = requireField(field);
    if (state_ == State::Edit || state_ == State::Insert) {
        const auto& cell = editBuffer_.cells[size_t(c)];
        return cell ? convert(c, cell->constData(), int(cell->size())) : QVariant();
    }
    if (visible_.empty())
        return QVariant();
    return valueAt(current_, c);
}

bool Dataset::isNull(const QString& field) const {
    return !value(field).isValid();
}

QString Dataset::asString(const QString& field) const {
    const int c = requireField(field);
    if (state_ == State::Edit || state_ == State::Insert) {
        const auto& cell = editBuffer_.cells[size_t(c)];
        return cell ? QString::fromUtf8(*cell) : QString();
    }
    if (visible_.empty())
        return QString();
    if (columns_[size_t(c)].type == kBool)
        return value(field).toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return textAt(current_, c);
}

qint64 Dataset::asInt64(const QString& field) const {
    const int c = requireField(field);
    const QVariant v = value(field);
    if (!v.isValid())
        return 0;
    if (isNumberType(columns_[size_t(c)].type)) {
        if (v.typeId() == QMetaType::Double)
            return qint64(std::llround(v.toDouble()));
        return v.toLongLong();
    }
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return toInt64(asString(field));
}

int Dataset::asInt(const QString& field) const {
    const int c = requireField(field);
    if (!isNumberType(columns_[size_t(c)].type) && !isNull(field) &&
        columns_[size_t(c)].type != kBool)
        return toInt(asString(field));
    return toInt(asInt64(field));
}

double Dataset::asDouble(const QString& field) const {
    const int c = requireField(field);
    const QVariant v = value(field);
    if (!v.isValid())
        return 0;
    if (isNumberType(columns_[size_t(c)].type))
        return v.toDouble();
    return toDouble(asString(field));
}

QDate Dataset::asDate(const QString& field) const {
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(v.toString(), Qt::ISODate);
}

QDateTime Dataset::asDateTime(const QString& field) const {
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    return v.toDateTime();
}

// --- navigation

void Dataset::setCurrent(int row) {
    if (visible_.empty()) {
        current_ = 0;
        eof_ = bof_ = true;
    } else {
        current_ = std::clamp(row, 0, int(visible_.size()) - 1);
        eof_ = bof_ = false;
    }
    emit currentChanged(currentRow());
}

void Dataset::setRecNo(int recNo) {
    if (!visible_.empty())
        setCurrent(recNo - 1);
}

void Dataset::first() {
    setCurrent(0);
}

void Dataset::last() {
    setCurrent(int(visible_.size()) - 1);
}

void Dataset::next() {
    if (visible_.empty() || current_ + 1 >= int(visible_.size())) {
        eof_ = true;
        return;
    }
    setCurrent(current_ + 1);
}

void Dataset::prior() {
    if (visible_.empty() || current_ == 0) {
        bof_ = true;
        return;
    }
    setCurrent(current_ - 1);
}

bool Dataset::locate(const QString& field, const QVariant& value) {
    const int c = requireField(field);
    const bool numeric = isNumberType(columns_[size_t(c)].type);
    const QString wanted = value.toString();
    bool wantedOk = false;
    const double wantedNumber = wanted.toDouble(&wantedOk);
    for (int row = 0; row < int(visible_.size()); ++row) {
        if (isNullAt(row, c)) {
            if (value.isNull())
                return setCurrent(row), true;
            continue;
        }
        if (numeric && wantedOk) {
            if (valueAt(row, c).toDouble() == wantedNumber)
                return setCurrent(row), true;
        } else if (textAt(row, c) == wanted) {
            return setCurrent(row), true;
        }
    }
    return false;
}

// --- filter

void Dataset::rebuildVisible() {
    visible_.clear();
    if (!filtered_ || filterText_.trimmed().isEmpty()) {
        visible_.resize(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i)
            visible_[i] = int(i);
        return;
    }
    if (!compiledFilter_) {
        std::vector<FilterColumn> cols;
        cols.reserve(columns_.size());
        for (const Column& c : columns_)
            cols.push_back({c.name, isNumberType(c.type) ? ColumnKind::Number : ColumnKind::Text});
        compiledFilter_.emplace(FilterExpression::compile(filterText_, cols));
    }
    RowSource source(*this);
    visible_.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        if (compiledFilter_->matches(source, int(i)))
            visible_.push_back(int(i));
}

void Dataset::setFilter(const QString& expression) {
    if (expression == filterText_)
        return;
    filterText_ = expression;
    compiledFilter_.reset();
    if (isOpen() && filtered_)
        applyFilter([this] { filterText_.clear(); });
}

void Dataset::applyFilter(const std::function<void()>& undo) {
    try {
        rebuildVisible();
    } catch (...) {
        // a bad filter leaves the list unfiltered rather than empty
        undo();
        compiledFilter_.reset();
        rebuildVisible();
        setCurrent(0);
        emit reset();
        throw;
    }
    setCurrent(0);
    emit reset();
}

void Dataset::setFiltered(bool on) {
    if (on == filtered_)
        return;
    filtered_ = on;
    if (isOpen())
        applyFilter([this] { filtered_ = false; });
}

// --- updates

void Dataset::setUpdateTable(const QString& table, const QString& keyField) {
    updateTable_ = table;
    keyField_ = keyField;
}

void Dataset::requireUpdatable() const {
    if (updateTable_.isEmpty())
        throw DataError(QStringLiteral("%1: набор данных только для чтения").arg(name_));
    if (!isOpen())
        throw DataError(QStringLiteral("%1: набор данных закрыт").arg(name_));
}

Dataset::ExtraRow Dataset::rowCopy(int handle) const {
    ExtraRow row;
    row.cells.resize(columns_.size());
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (cellNull(handle, int(c)))
            continue;
        int length = 0;
        const char* text = cellData(handle, int(c), &length);
        row.cells[c] = QByteArray(text, length);
    }
    return row;
}

void Dataset::append() {
    requireUpdatable();
    if (modified())
        post();
    editBuffer_ = ExtraRow();
    editBuffer_.cells.resize(columns_.size());
    editTouched_.assign(columns_.size(), false);
    state_ = State::Insert;
}

void Dataset::edit() {
    requireUpdatable();
    if (state_ == State::Edit || state_ == State::Insert)
        return;
    editBuffer_ = rowCopy(currentHandle());
    editTouched_.assign(columns_.size(), false);
    state_ = State::Edit;
}

void Dataset::setValue(const QString& field, const QVariant& value) {
    const int c = requireField(field);
    if (!modified())
        throw DataError(QStringLiteral("%1: запись не в режиме правки").arg(name_));
    if (value.isNull() || !value.isValid())
        editBuffer_.cells[size_t(c)].reset();
    else
        editBuffer_.cells[size_t(c)] = parameterText(value);
    editTouched_[size_t(c)] = true;
}

void Dataset::cancel() {
    if (modified())
        state_ = State::Browse;
}

void Dataset::post() {
    if (!modified())
        return;
    const std::vector<size_t> touched = touchedColumns();
    if (state_ == State::Edit && touched.empty()) {
        state_ = State::Browse;
        return;
    }
    Parameters params = touchedValues(touched);
    QString statement;
    if (state_ == State::Insert) {
        statement = insertStatement(touched);
    } else {
        params.set(QStringLiteral("key_"), currentKey());
        statement = updateStatement(touched);
    }
    ResultPtr result = execute(*connection_, parseNamedParameters(statement), params);
    keepPosted(storedRow(result.get()));
}

std::vector<size_t> Dataset::touchedColumns() const {
    std::vector<size_t> touched;
    for (size_t c = 0; c < columns_.size(); ++c)
        if (editTouched_[c])
            touched.push_back(c);
    return touched;
}

Parameters Dataset::touchedValues(const std::vector<size_t>& touched) const {
    Parameters params;
    for (size_t i = 0; i < touched.size(); ++i) {
        const auto& cell = editBuffer_.cells[touched[i]];
        params.set(QStringLiteral("p%1").arg(i + 1),
                   cell ? QVariant(QString::fromUtf8(*cell)) : QVariant());
    }
    return params;
}

QString Dataset::insertStatement(const std::vector<size_t>& touched) const {
    if (touched.empty())
        return QStringLiteral("insert into %1 default values returning *").arg(updateTable_);
    QStringList names;
    QStringList placeholders;
    for (size_t i = 0; i < touched.size(); ++i) {
        names << quoteIdent(columns_[touched[i]].lowerName);
        placeholders << QStringLiteral(":p%1").arg(i + 1);
    }
    return QStringLiteral("insert into %1(%2) values(%3) returning *")
        .arg(updateTable_, names.join(u','), placeholders.join(u','));
}

QString Dataset::updateStatement(const std::vector<size_t>& touched) const {
    QStringList assignments;
    for (size_t i = 0; i < touched.size(); ++i)
        assignments << quoteIdent(columns_[touched[i]].lowerName) +
                           QStringLiteral("=:p%1").arg(i + 1);
    return QStringLiteral("update %1 set %2 where %3=:key_ returning *")
        .arg(updateTable_, assignments.join(u','), quoteIdent(keyField_.toLower()));
}

QString Dataset::currentKey() const {
    const int keyColumn = fieldIndex(keyField_);
    if (keyColumn < 0)
        throw DataError(QStringLiteral("%1: нет ключевого поля %2").arg(name_, keyField_));
    int length = 0;
    const char* key = cellData(currentHandle(), keyColumn, &length);
    return QString::fromUtf8(key, length);
}

Dataset::ExtraRow Dataset::storedRow(const PGresult* result) const {
    ExtraRow stored = editBuffer_;
    if (PQntuples(result) == 0)
        return stored;
    for (int rc = 0; rc < PQnfields(result); ++rc) {
        const int c = fieldIndex(QString::fromUtf8(PQfname(result, rc)));
        if (c < 0)
            continue;
        if (PQgetisnull(result, 0, rc))
            stored.cells[size_t(c)].reset();
        else
            stored.cells[size_t(c)] =
                QByteArray(PQgetvalue(result, 0, rc), PQgetlength(result, 0, rc));
    }
    return stored;
}

void Dataset::keepPosted(ExtraRow stored) {
    const bool inserting = state_ == State::Insert;
    state_ = State::Browse;
    extra_.push_back(std::move(stored));
    const int handle = -int(extra_.size());
    if (!inserting) {
        rows_[size_t(visible_[size_t(current_)])] = handle;
        emit rowChanged(current_);
        return;
    }
    rows_.push_back(handle);
    rebuildVisible();
    const int index = int(rows_.size()) - 1;
    const auto it = std::find(visible_.begin(), visible_.end(), index);
    emit reset();
    setCurrent(it == visible_.end() ? current_ : int(it - visible_.begin()));
}

void Dataset::remove() {
    requireUpdatable();
    if (modified()) {
        if (state_ == State::Insert) {
            cancel();
            return;
        }
        cancel();
    }
    Parameters params;
    params.set(QStringLiteral("key_"), currentKey());
    execute(*connection_,
            parseNamedParameters(QStringLiteral("delete from %1 where %2=:key_")
                                     .arg(updateTable_, quoteIdent(keyField_.toLower()))),
            params);
    rows_.erase(rows_.begin() + visible_[size_t(current_)]);
    const int keep = current_;
    rebuildVisible();
    emit reset();
    setCurrent(keep);
}

} // namespace data
