#pragma once

#include "spreadsheet/launcher.h"

#include <QStringList>

// Instead of handing a saved workbook to the desktop, remembers its path; the test reads the
// file there.
class RecordingLauncher : public spreadsheet::Launcher {
public:
    RecordingLauncher() { install(this); }
    ~RecordingLauncher() override { install(nullptr); }
    void open(const QString& path) override { opened.append(path); }
    QStringList opened;
};
