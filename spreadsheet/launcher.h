#pragma once
// Hands a saved workbook to the desktop. Tests put their own launcher in and read the
// saved file instead.

#include <QString>

namespace spreadsheet {

inline const QString kXlsxMimeType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

class Launcher {
public:
    virtual ~Launcher() = default;

    // The workbook is already saved at path; nothing here may lose it.
    virtual void open(const QString& path) = 0;

    static Launcher& current();
    // Tests put their own in; nullptr restores the desktop's.
    static void install(Launcher* launcher);
};

// The user's answer when nothing can open the workbook: where it was saved.
QString savedWithoutApplicationMessage(const QString& path);
inline const QString kSavedWorkbookCaption = QStringLiteral("Выгрузка в Excel");

// Asks xdg-mime for the default spreadsheet application and starts xdg-open without
// waiting on it (xdg-open blocks when there is no desktop session). With no application,
// or no xdg-utils at all, an information box names the saved file.
class DesktopLauncher : public Launcher {
public:
    explicit DesktopLauncher(QString mimeQueryProgram = QStringLiteral("xdg-mime"),
                             QString openerProgram = QStringLiteral("xdg-open"));

    void open(const QString& path) override;
    // The desktop entry that opens .xlsx files, empty when there is none or no answer.
    QString defaultApplication() const;

private:
    QString mimeQueryProgram_;
    QString openerProgram_;
};

} // namespace spreadsheet
