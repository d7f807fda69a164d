#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

// The program's log for the administrator: one line for every error a person was shown and
// for every change written (a save, a deletion, an acceptance, a rebuild), with the time, the
// login, the window, the action that led to it, the SQL state and the message. No password
// ever reaches it.
namespace eventlog {

enum class Kind {
    Error,      // something failed: the action was not done
    Refusal,    // a rule refused what was typed or chosen
    Login,      // a login was let in
    Save,       // a row was written
    Deletion,   // a row was deleted
    Acceptance, // a master accepted a position
    Rebuild,    // a month of the time-sheet was rebuilt
};

// The word of a kind in the log's second column ("ошибка", "запись", ...).
QString kindWord(Kind kind);

struct Entry {
    Kind kind = Kind::Error;
    QString window = {};   // the window's caption
    QString action = {};   // the button, menu entry or key that did it
    QString message = {};  // what was written, or the error's technical text
    QString sqlState = {}; // the server's code of an error; empty when there is none
    QString login = {};    // empty: the session's login (setLogin)
    QDateTime time = {};   // invalid: now, by seams::Clock
};

// Writes an entry to the installed sink: the time and login filled in, every password taken
// out. Never throws: a log that cannot be written must not stop the work.
void write(Entry entry);

// The login of this run, written into every later entry (the login step sets it).
void setLogin(const QString& login);
QString login();

// A typed password: wherever it would appear in an entry, "***" is written instead.
void hideText(const QString& secret);
// The text with every hidden text and every password of a connection text
// ("PWD=...", "password=...") replaced by "***".
QString withoutSecrets(QString text);

// The entry as one line of the file: time, kind, login, window, action, SQL state and
// message, separated by tabs; an empty field is "-", line breaks in a field become " | ".
QString lineText(const Entry& entry);

// Where entries go: the files once the program has opened them (writeToFiles), nowhere
// before; tests put their own in.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(const Entry& entry) = 0;
};
// nullptr goes back to the program's own sink.
void install(Sink* sink);
// The program's own sink, used while no other is installed (writeToFiles gives the files).
void useProgramSink(std::unique_ptr<Sink> sink);

} // namespace eventlog
