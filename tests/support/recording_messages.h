#pragma once

#include "seams/messages.h"

#include <QList>
#include <QString>

// Records every message box instead of showing it; questions take scripted answers
// (Yes when none is left).
class RecordingMessages : public seams::Messages {
public:
    enum class Kind { Error, Question, Information };
    struct Shown {
        Kind kind;
        QString text;
        QString caption;
        QString detail; // the technical text behind "Показать подробности"
    };

    RecordingMessages() { install(this); }
    ~RecordingMessages() override {
        if (&current() == this)
            install(nullptr);
    }

    void error(const QString& text, const QString& caption) override;
    void errorWithDetail(const QString& text, const QString& detail,
                         const QString& caption) override;
    bool question(const QString& text, const QString& caption) override;
    void information(const QString& text, const QString& caption) override;

    void answer(bool yes) { answers_.append(yes); }
    QList<Shown> shown;
    void clear() { shown.clear(); }
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }

private:
    QList<bool> answers_;
};
