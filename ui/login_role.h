#pragma once

#include <QString>

namespace ui {

// What a login name may do; the names are compared exactly (case-sensitive) after
// trimming.
enum class LoginRole {
    Master,        // "zemplar", "quorvin", "fennix": accept positions only
    Administrator, // "sys": everything
    Economist,     // "econom": reports only
    Clerk,         // every other name, the empty one too: record positions
};

inline LoginRole loginRole(const QString& userName) {
    if (userName == u"zemplar" || userName == u"quorvin" || userName == u"fennix")
        return LoginRole::Master;
    if (userName == u"sys")
        return LoginRole::Administrator;
    if (userName == u"econom")
        return LoginRole::Economist;
    return LoginRole::Clerk;
}

} // namespace ui
