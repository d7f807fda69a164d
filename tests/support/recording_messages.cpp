#include "recording_messages.h"

void RecordingMessages::error(const QString& text, const QString& caption) {
    shown.append({Kind::Error, text, caption, {}});
}

void RecordingMessages::errorWithDetail(const QString& text, const QString& detail,
                                        const QString& caption) {
    shown.append({Kind::Error, text, caption, detail});
}

bool RecordingMessages::question(const QString& text, const QString& caption) {
    shown.append({Kind::Question, text, caption, {}});
    return answers_.isEmpty() ? true : answers_.takeFirst();
}

void RecordingMessages::information(const QString& text, const QString& caption) {
    shown.append({Kind::Information, text, caption, {}});
}
