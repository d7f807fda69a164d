#pragma once

#include <QString>

#include <stdexcept>

namespace report {

// A layout that cannot be built (a malformed expression, an unknown field, a band higher
// than the page) or an output that cannot be written; the text is for the person.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace report
