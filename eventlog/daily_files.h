#pragma once

#include "event_log.h"

#include <QDate>
#include <QString>

namespace eventlog {

// How many days of files are kept besides today's.
inline constexpr int kKeptDays = 30;

// The log's folder: $XDG_STATE_HOME/norv_smena, or ~/.local/state/norv_smena when that is
// not set (or not an absolute path, which the XDG rules tell to ignore).
QString defaultFolder();

// One file a day, "norv_smena-YYYY-MM-DD.log" by the entry's date, readable by its user only.
// When the first entry of a day is written, the files of days more than kKeptDays before it
// are removed. Each line is appended in one write, so two programs of the same user may
// share the folder.
class DailyFiles : public Sink {
public:
    explicit DailyFiles(QString folder);
    void write(const Entry& entry) override;

    const QString& folder() const { return folder_; }
    QString fileOf(const QDate& day) const;

private:
    void removeOldFiles(const QDate& today);
    void complain(const QString& what); // once per run, on standard error

    QString folder_;
    QDate cleaned_; // the day whose old files were last removed
    bool complained_ = false;
};

// Makes the program's entries go to DailyFiles in folder (the program's start).
void writeToFiles(const QString& folder = defaultFolder());

} // namespace eventlog
