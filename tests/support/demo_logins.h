#pragma once

#include "ui/login_role.h"

#include <QString>

// The role each demo login has through its group (data/sql/roles.sql), for tests that open a
// window as the login step would leave it.
inline ui::LoginRole demoLoginRole(const QString& user) {
    if (user == u"zemplar" || user == u"quorvin" || user == u"fennix")
        return ui::LoginRole::Master;
    if (user == u"sys")
        return ui::LoginRole::Administrator;
    if (user == u"econom")
        return ui::LoginRole::Economist;
    return ui::LoginRole::Clerk;
}
