#include "event_log.h"

#include "seams/clock.h"

#include <QRegularExpression>
#include <QStringList>

#include <initializer_list>
#include <memory>
#include <utility>

namespace eventlog {

namespace {

Sink* installed = nullptr;
QString sessionLogin;
QStringList hiddenTexts;

std::unique_ptr<Sink>& programSink() {
    static std::unique_ptr<Sink> sink;
    return sink;
}

// One field of a line: nothing in it can start a line or a field of its own, so a typed text
// cannot pass for an entry.
QString field(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text = text.trimmed();
    text.replace(u'\n', QStringLiteral(" | "));
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c == QChar(0x7f) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

void useProgramSink(std::unique_ptr<Sink> sink) {
    programSink() = std::move(sink);
}

QString kindWord(Kind kind) {
    switch (kind) {
    case Kind::Error:
        return QStringLiteral("ошибка");
    case Kind::Refusal:
        return QStringLiteral("отказ");
    case Kind::Login:
        return QStringLiteral("вход");
    case Kind::Save:
        return QStringLiteral("запись");
    case Kind::Deletion:
        return QStringLiteral("удаление");
    case Kind::Acceptance:
        return QStringLiteral("приёмка");
    case Kind::Rebuild:
        return QStringLiteral("перестройка");
    }
    return QStringLiteral("?");
}

void setLogin(const QString& login) {
    sessionLogin = login;
}

QString login() {
    return sessionLogin;
}

void hideText(const QString& secret) {
    if (!secret.isEmpty() && !hiddenTexts.contains(secret))
        hiddenTexts.append(secret);
}

QString withoutSecrets(QString text) {
    // a password of a connection text, braced, quoted or plain
    static const QRegularExpression keyValue(
        QStringLiteral(
            R"((\b(?:pwd|password)\s*=\s*)(\{(?:[^}]|\}\})*\}?|"[^"]*"?|'[^']*'?|[^;\s]*))"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(keyValue, QStringLiteral("\\1***"));
    for (const QString& secret : std::as_const(hiddenTexts))
        text.replace(secret, QStringLiteral("***"));
    return text;
}

QString lineText(const Entry& entry) {
    return QStringList{entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       kindWord(entry.kind),
                       field(entry.login),
                       field(entry.window),
                       field(entry.action),
                       field(entry.sqlState),
                       field(entry.message)}
        .join(u'\t');
}

void write(Entry entry) {
    Sink* sink = installed ? installed : programSink().get();
    if (!sink)
        return;
    try {
        if (!entry.time.isValid())
            entry.time = seams::Clock::now();
        if (entry.login.isEmpty())
            entry.login = sessionLogin;
        for (QString* text :
             {&entry.login, &entry.window, &entry.action, &entry.message, &entry.sqlState})
            *text = withoutSecrets(std::move(*text));
        sink->write(entry);
    } catch (...) {
        // the work goes on without its log line
    }
}

void install(Sink* sink) {
    installed = sink;
}

} // namespace eventlog
