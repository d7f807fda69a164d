#include "workbook.h"

#include "files/atomic_file.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace spreadsheet {

namespace {

// The file stores characters XML cannot carry as "_xHHHH_"; a text that holds such a
// sequence itself gets its "_" stored as "_x005F_", or it would come back as another text.
QString protectEscapeLookalikes(const QString& text) {
    static const QRegularExpression lookalike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString protectedText = text;
    return protectedText.replace(lookalike, QStringLiteral("_x005F_"));
}

// The errors a write meets that a person can do something about; anything else the library
// said is its own.
bool isSystemError(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EROFS:
    case EACCES:
    case EPERM:
    case EIO:
        return true;
    default:
        return false;
    }
}

} // namespace

void Workbook::startNew(const QString& fileName) {
    discard();
    open_ = true;
    fileName_ = fileName;
}

void Workbook::discard() {
    open_ = false;
    fileName_.clear();
    cells_.clear();
    index_.clear();
    autoFitColumns_.clear();
}

bool Workbook::isInsideSheet(int column, int row) {
    return column >= 1 && column <= kMaxColumn && row >= 1 && row <= kMaxRow;
}

int Workbook::characterCount(const QString& text) {
    int count = 0;
    for (QChar ch : text)
        if (!ch.isLowSurrogate())
            ++count;
    return count;
}

Workbook::Cell& Workbook::cell(int column, int row) {
    const auto [it, isNew] = index_.try_emplace(key(column, row), int(cells_.size()));
    if (isNew)
        cells_.push_back({column, row, {}});
    return cells_[size_t(it->second)].cell;
}

const Workbook::Cell* Workbook::findCell(int column, int row) const {
    const auto it = index_.find(key(column, row));
    return it == index_.end() ? nullptr : &cells_[size_t(it->second)].cell;
}

double Workbook::widthForText(const QString& text) {
    // The widest line decides, as it does for a cell that wraps.
    int characters = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        characters = std::max(characters, characterCount(line));
    if (characters == 0)
        return 0;
    return std::min(kMaxColumnWidth, std::round((characters * 1.1 + 1) * 100) / 100);
}

double Workbook::columnWidth(int column) const {
    if (!autoFitColumns_.contains(column))
        return 0;
    double width = 0;
    for (const PlacedCell& placed : cells_)
        if (placed.column == column)
            width = std::max(width, widthForText(placed.cell.text));
    return width;
}

namespace {

// A whole or decimal number as the workstation writes it ("-12", "12,5", "0,25"), with at
// most 15 significant digits so that the stored number shows the same text.
bool looksLikeNumber(const QString& text, double* value) {
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    int digits = 0; // significant ones
    int beforeComma = 0;
    int afterComma = -1; // -1: no comma yet
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            if (c != u'0' || digits > 0)
                ++digits;
            if (afterComma < 0)
                ++beforeComma;
            else
                ++afterComma;
        } else if (c == u',' && afterComma < 0) {
            afterComma = 0;
        } else {
            return false;
        }
    }
    if (beforeComma == 0 || afterComma == 0 || digits > 15)
        return false;
    bool ok = false;
    *value = QString(text).replace(u',', u'.').toDouble(&ok);
    return ok;
}

// Writes cells into the one sheet of a new libxlsxwriter workbook and keeps the first error.
class SheetWriter {
public:
    explicit SheetWriter(lxw_workbook* book)
        // The name a new workbook's first sheet has in a Russian spreadsheet application.
        : book_(book), sheet_(workbook_add_worksheet(book, "Лист1")) {}

    void write(int row, int column, const Workbook::Cell& cell) {
        const auto sheetRow = lxw_row_t(row - 1);
        const auto sheetColumn = lxw_col_t(column - 1);
        lxw_format* format = formatFor(cell);
        if (cell.text.isEmpty()) {
            // A cell formatted before its value failed keeps the format, as it would on screen.
            if (format)
                remember(worksheet_write_blank(sheet_, sheetRow, sheetColumn, format));
            return;
        }
        double number = 0;
        if (!cell.asText && looksLikeNumber(cell.text, &number)) {
            // The spreadsheet application turns such a value into a number unless the cell is
            // formatted as text ("@"); sums and sorting then work on it.
            remember(worksheet_write_number(sheet_, sheetRow, sheetColumn, number, format));
        } else {
            const QByteArray utf8 = protectEscapeLookalikes(cell.text).toUtf8();
            remember(
                worksheet_write_string(sheet_, sheetRow, sheetColumn, utf8.constData(), format));
        }
    }

    void setWidth(int column, double width) {
        const auto sheetColumn = lxw_col_t(column - 1);
        remember(worksheet_set_column(sheet_, sheetColumn, sheetColumn, width, nullptr));
    }

    // Closing writes the file and frees the workbook, also after an error.
    lxw_error close() {
        remember(workbook_close(book_));
        return firstError_;
    }

private:
    // One format per combination of "@" and bold, made only when used.
    lxw_format* formatFor(const Workbook::Cell& cell) {
        const int which = (cell.asText ? 1 : 0) | (cell.bold ? 2 : 0);
        if (which == 0)
            return nullptr;
        lxw_format*& format = formats_[which];
        if (!format) {
            format = workbook_add_format(book_);
            if (cell.asText)
                format_set_num_format(format, "@");
            if (cell.bold)
                format_set_bold(format);
        }
        return format;
    }

    void remember(lxw_error result) {
        if (firstError_ == LXW_NO_ERROR)
            firstError_ = result;
    }

    lxw_workbook* book_;
    lxw_worksheet* sheet_;
    lxw_format* formats_[4] = {};
    lxw_error firstError_ = LXW_NO_ERROR;
};

} // namespace

namespace {

// libxlsxwriter tells its errors on the error stream, in lines a person should not read
// there; while it writes they are caught.
class CaughtErrorStream {
public:
    CaughtErrorStream() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        if (saved_ < 0 || ::dup2(ends[1], STDERR_FILENO) < 0) {
            ::close(ends[0]);
            ::close(ends[1]);
            return;
        }
        ::close(ends[1]);
        read_ = ends[0];
    }
    ~CaughtErrorStream() { release(); }
    CaughtErrorStream(const CaughtErrorStream&) = delete;
    CaughtErrorStream& operator=(const CaughtErrorStream&) = delete;

    // The stream back where it was, and what was written meanwhile (what the pipe held).
    QString release() {
        if (read_ < 0)
            return {};
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        QByteArray text;
        char chunk[4096];
        for (ssize_t n; (n = ::read(read_, chunk, sizeof chunk)) > 0;)
            text.append(chunk, n);
        ::close(read_);
        read_ = -1;
        return QString::fromLocal8Bit(text).trimmed();
    }

private:
    int saved_ = -1;
    int read_ = -1;
};

} // namespace

files::WriteFailure Workbook::save(const QString& path) const {
    files::AtomicFile file(path);
    if (file.open()) {
        save(file);
        file.commit();
    }
    return file.failure();
}

void Workbook::save(files::AtomicFile& file) const {
    const QByteArray name = QFile::encodeName(file.temporaryPath());
    CaughtErrorStream libraryErrors;
    lxw_workbook* book = workbook_new(name.constData());
    if (!book) { // only memory can be short here; nothing is written yet
        libraryErrors.release();
        file.fail(files::notWritten(file.path(), QStringLiteral("workbook_new")));
        return;
    }
    SheetWriter writer(book);
    QHash<int, double> widths;
    for (const PlacedCell& placed : cells_) {
        writer.write(placed.row, placed.column, placed.cell);
        if (!placed.cell.text.isEmpty() && autoFitColumns_.contains(placed.column)) {
            double& width = widths[placed.column];
            width = std::max(width, widthForText(placed.cell.text));
        }
    }
    for (auto it = widths.cbegin(); it != widths.cend(); ++it)
        writer.setWidth(it.key(), it.value());

    const lxw_error firstError = writer.close();
    const int systemError = errno;
    // its lines name the temporary file, which the person never gave: they are dropped
    libraryErrors.release();
    if (firstError == LXW_NO_ERROR)
        return;
    // the system's reason when the library met one (a full disk), else the library's own
    files::WriteFailure failure = isSystemError(systemError)
                                      ? files::writeFailure(systemError, file.path())
                                      : files::notWritten(file.path(), QString());
    failure.detail = QString::fromUtf8(lxw_strerror(firstError)) +
                     (failure.error ? QStringLiteral(": ") + failure.detail : QString());
    file.fail(failure);
}

} // namespace spreadsheet
