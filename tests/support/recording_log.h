#pragma once

#include "eventlog/event_log.h"

#include <QList>
#include <QStringList>

// Takes the program's log entries instead of its files, for the time it lives.
class RecordingLog : public eventlog::Sink {
public:
    RecordingLog() { eventlog::install(this); }
    ~RecordingLog() override { eventlog::install(nullptr); }
    RecordingLog(const RecordingLog&) = delete;
    RecordingLog& operator=(const RecordingLog&) = delete;

    void write(const eventlog::Entry& entry) override { entries.append(entry); }
    // The entries as the file's lines would have them, without the time.
    QStringList lines() const {
        QStringList texts;
        for (const eventlog::Entry& e : entries)
            texts << eventlog::lineText(e).section(u'\t', 1);
        return texts;
    }
    QList<eventlog::Entry> entries;
};
