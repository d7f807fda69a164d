#include "per_cell_rebuild.h"

#include "data/command.h"
#include "data/dataset.h"

#include <QDate>

void rebuildMonthCellByCell(data::Connection& connection, int month, int year) {
    const QString m = QString::number(month), y = QString::number(year);
    data::Command write(&connection);
    write.setSql("delete from accounts_dep.h_tabel where month=" + m + " and year=" + y);
    write.execute();
    data::Dataset dt(&connection);
    dt.setSql(" select smena, w_id, sum(time) as tim from accounts_dep.smena where data=:data "
              "group by smena,w_id;");
    data::Dataset control(&connection);
    const int days = QDate(year, month, 1).daysInMonth();
    for (int d = 1; d <= days; ++d) {
        dt.close();
        dt.setParam("data", QDate(year, month, d));
        dt.open();
        for (dt.first(); !dt.eof(); dt.next()) {
            const QString s = dt.asString("smena"), w = dt.asString("w_id"), t = dt.asString("tim");
            control.close();
            control.setSql(
                "select count(w_id) as cnt from accounts_dep.h_tabel h_tabel where w_id=" + w +
                " and smena=" + s + " and month=" + m + " and year=" + y);
            control.open();
            const int cnt = control.asInt("cnt");
            control.close();
            if (cnt != 0)
                write.setSql("update accounts_dep.h_tabel set d" + QString::number(d) + "='" + t +
                             "' where w_id=" + w + " and smena=" + s + " and month=" + m +
                             " and year=" + y);
            else
                write.setSql("insert into accounts_dep.h_tabel(smena, w_id, month, year, d" +
                             QString::number(d) + ") values(" + s + ", " + w + ", " + m + ", " + y +
                             ", " + t + ")");
            write.execute();
        }
        dt.close();
    }
}
