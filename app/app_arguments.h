#pragma once

#include "data/site_settings.h"

#include <QString>
#include <QStringList>

// The command line of norv_smena: [--config FILE] [SERVER [DATABASE]]. A server or database
// given here is used over the site settings file's.
struct AppArguments {
    QString server;
    QString database;
    QString configFile = data::kSiteSettingsFile;

    // The database this workstation connects to: the arguments over the file's settings.
    data::SiteSettings siteSettings() const {
        return data::SiteSettings::read(configFile).withArguments(server, database);
    }

    static AppArguments fromCommandLine(const QStringList& arguments) {
        AppArguments a;
        QStringList positional;
        for (qsizetype i = 1; i < arguments.size(); ++i) {
            if (arguments[i] == u"--config" && i + 1 < arguments.size())
                a.configFile = arguments[++i];
            else if (!arguments[i].startsWith(u"--"))
                positional << arguments[i];
        }
        if (positional.size() > 0)
            a.server = positional[0];
        if (positional.size() > 1)
            a.database = positional[1];
        return a;
    }
};

// What norv_smena --help prints.
inline QString applicationUsage() {
    return QStringLiteral(
               "norv_smena: учёт производства цеха.\n"
               "\n"
               "  norv_smena [--config ФАЙЛ] [СЕРВЕР [БАЗА]]\n"
               "\n"
               "  СЕРВЕР     адрес или имя сервера базы данных, или папка его сокета\n"
               "  БАЗА       имя базы данных\n"
               "  --config   файл настроек вместо %1\n"
               "  --version  версия программы\n"
               "  --help     эта справка\n"
               "\n"
               "Сервер, порт, база и режим SSL берутся из командной строки, затем из файла\n"
               "настроек %1 (server, port, database, sslmode, sslrootcert), затем\n"
               "по умолчанию: localhost, 5432, norv_erp_dev, prefer.\n"
               "Имя и пароль — это учётная запись базы данных; их проверяет сервер.\n")
        .arg(data::kSiteSettingsFile);
}
