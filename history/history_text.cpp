#include "history_text.h"

#include "data/product_kind.h"
#include "ui/number_format.h"

#include <QJsonValue>
#include <QLocale>

#include <array>
#include <span>

namespace history {

namespace {

// How a column's value reads.
enum class Kind {
    Number,
    Text,
    Date,
    Time,
    Shift,
    Accepted,
    ProductKind,
    Worker,
    Person,
    Product,
    Operation,
    Type,
    Material,
};

struct Column {
    const char* key;
    const char* title;
    Kind kind;
    // in a whole row (an insertion, a deletion) a zero says nothing: not shown
    bool quietWhenZero = false;
    // told only when changed (in a whole row it is as good as the row's own time)
    bool changesOnly = false;
};

// The columns a person understands, in the order they are told; any other column (ids, the
// keys of the row's position or operation) is internal and left out.
constexpr std::array kPositionColumns{
    Column{"data", "Дата", Kind::Date},
    Column{"smena", "Смена", Kind::Shift},
    Column{"w_id", "Рабочий", Kind::Worker},
    Column{"i_id", "Изделие", Kind::Product},
    Column{"o_id", "Операция", Kind::Operation},
    Column{"kol_vo", "Количество", Kind::Number},
    Column{"brak", "Брак", Kind::Number},
    Column{"time", "Часы", Kind::Number},
    Column{"cena", "Цена", Kind::Number},
    Column{"prize", "Премия (%)", Kind::Number, true},
    Column{"color", "Цвет", Kind::Number, true},
    Column{"ok", "Принята", Kind::Accepted},
    Column{"id_doc", "Заявка", Kind::Number, true},
    Column{"id_doc_item", "Строка заявки", Kind::Number, true},
    Column{"id_gds_use", "Материал", Kind::Material, true},
    Column{"f_gds_qty_use", "Расход", Kind::Number, true},
    Column{"id_cons_use", "Партия", Kind::Number, true},
    Column{"vvod", "Время ввода", Kind::Time, false, true},
};
constexpr std::array kMaterialColumns{
    Column{"id_gds_use", "Материал", Kind::Material},
    Column{"f_qty_use", "Расход", Kind::Number},
    Column{"id_cons_use", "Партия", Kind::Number},
};
constexpr std::array kBrigadeColumns{
    Column{"id_person", "Член бригады", Kind::Person},
};
constexpr std::array kOperationColumns{
    Column{"i_id", "Изделие", Kind::Product},
    Column{"vid", "Вид операции", Kind::Type},
    Column{"naimen", "Вид продукции", Kind::ProductKind},
    Column{"cena_new", "Цена", Kind::Number},
    Column{"cena", "Цена (прежняя)", Kind::Number, true},
};
constexpr std::array kNormColumns{
    Column{"norma", "Норма", Kind::Number},
    Column{"price", "Цена", Kind::Number},
    Column{"prize", "Премия (%)", Kind::Number, true},
};
constexpr std::array kTypeColumns{
    Column{"vid", "Название", Kind::Text},
};

std::span<const Column> columnsOf(const QString& subject) {
    if (subject == u"smena")
        return kPositionColumns;
    if (subject == u"smena_gds_use")
        return kMaterialColumns;
    if (subject == u"person_temp")
        return kBrigadeColumns;
    if (subject == u"oper")
        return kOperationColumns;
    if (subject == u"norm")
        return kNormColumns;
    if (subject == u"vid_oper")
        return kTypeColumns;
    return {};
}

// The texts of a subject's insertion, change and deletion.
struct Actions {
    const char* insert;
    const char* update;
    const char* remove;
};

Actions actionsOf(const QString& subject) {
    if (subject == u"smena")
        return {"Позиция добавлена", "Позиция изменена", "Позиция удалена"};
    if (subject == u"smena_gds_use")
        return {"Материал добавлен", "Материал изменён", "Материал удалён"};
    if (subject == u"person_temp")
        return {"Бригада: добавлен член бригады", "Бригада: член бригады изменён",
                "Бригада: удалён член бригады"};
    if (subject == u"oper")
        return {"Операция добавлена", "Операция изменена", "Операция удалена"};
    if (subject == u"norm")
        return {"Норма добавлена", "Норма изменена", "Норма удалена"};
    if (subject == u"vid_oper")
        return {"Вид операции добавлен", "Вид операции изменён", "Вид операции удалён"};
    return {"Запись добавлена", "Запись изменена", "Запись удалена"};
}

// A code as the names are keyed: a whole number without a fraction, or the text itself.
QString codeText(const QJsonValue& value) {
    if (value.isDouble())
        return QString::number(qint64(value.toDouble()));
    return value.toString().trimmed();
}

QString named(const QJsonValue& value, const QHash<QString, QString>& names, bool codeFirst) {
    QString code = codeText(value);
    const QString name = names.value(code).trimmed();
    if (name.isEmpty())
        return code;
    return codeFirst ? code + u' ' + name : name;
}

QString numberText(const QJsonValue& value) {
    if (value.isDouble())
        return ui::generalNumberText(value.toDouble());
    return value.toString().trimmed();
}

QString valueText(const Column& column, const QJsonValue& value, const HistoryNames& names) {
    if (value.isNull() || value.isUndefined())
        return QStringLiteral("пусто");
    switch (column.kind) {
    case Kind::Number:
        return numberText(value);
    case Kind::Text:
        return value.toString().trimmed();
    case Kind::Date: {
        const QDate date = QDate::fromString(value.toString().left(10), Qt::ISODate);
        return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : value.toString();
    }
    case Kind::Time: {
        const QDateTime time = QDateTime::fromString(value.toString().left(19), Qt::ISODate);
        return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                              : value.toString();
    }
    case Kind::Shift:
        return codeText(value) == u"4" ? QStringLiteral("переработка") : codeText(value);
    case Kind::Accepted:
        return value.toString().trimmed() == u"ok" ? QStringLiteral("да") : QStringLiteral("нет");
    case Kind::ProductKind:
        return data::productKindText(int(value.toDouble()));
    case Kind::Worker:
        return named(value, names.workers, true);
    case Kind::Person:
        return named(value, names.persons, false);
    case Kind::Product:
        return named(value, names.products, false);
    case Kind::Operation:
        return named(value, names.operations, false);
    case Kind::Type:
        return named(value, names.types, false);
    case Kind::Material:
        return named(value, names.materials, false);
    }
    return value.toString();
}

bool isZero(const QJsonValue& value) {
    return value.isNull() || (value.isDouble() && value.toDouble() == 0) ||
           (value.isString() && value.toString().trimmed().isEmpty());
}

// An update: the changed columns "from → to"; a whole row: its values.
QStringList columnTexts(const HistoryRow& row, const HistoryNames& names) {
    QStringList texts;
    const bool changed = row.action == u"update";
    const QJsonObject& whole = row.newValues.isEmpty() ? row.oldValues : row.newValues;
    for (const Column& column : columnsOf(row.subject)) {
        const QString key = QString::fromLatin1(column.key);
        const QString title = QString::fromUtf8(column.title);
        if (changed) {
            if (!row.newValues.contains(key) && !row.oldValues.contains(key))
                continue;
            texts << QStringLiteral("%1: %2 → %3")
                         .arg(title, valueText(column, row.oldValues.value(key), names),
                              valueText(column, row.newValues.value(key), names));
        } else if (whole.contains(key)) {
            const QJsonValue value = whole.value(key);
            if (column.changesOnly || (column.quietWhenZero && isZero(value)))
                continue;
            texts << title + QStringLiteral(": ") + valueText(column, value, names);
        }
    }
    return texts;
}

QString monthText(int month, int year) {
    return QStringLiteral("%1.%2").arg(month, 2, 10, QChar(u'0')).arg(year);
}

QString whatOf(const HistoryRow& row) {
    if (row.action == u"rebuild")
        return QStringLiteral("Табель перестроен");
    if (row.action == u"close")
        return QStringLiteral("Месяц закрыт");
    if (row.action == u"reopen")
        return QStringLiteral("Месяц открыт");
    if (row.action == u"restore")
        return row.subject == u"smena" ? QStringLiteral("Позиция восстановлена")
                                       : QStringLiteral("Запись восстановлена");
    const Actions actions = actionsOf(row.subject);
    if (row.action == u"insert")
        return QString::fromUtf8(actions.insert);
    if (row.action == u"delete")
        return QString::fromUtf8(actions.remove);
    // a master's acceptance changes nothing but the state
    if (row.subject == u"smena" && row.newValues.keys() == QStringList{QStringLiteral("ok")} &&
        row.newValues.value(QStringLiteral("ok")).toString().trimmed() == u"ok")
        return QStringLiteral("Позиция принята");
    return QString::fromUtf8(actions.update);
}

void addCode(QStringList& codes, const QJsonValue& value) {
    if (value.isNull() || value.isUndefined())
        return;
    const QString code = codeText(value);
    if (!code.isEmpty() && !codes.contains(code))
        codes << code;
}

} // namespace

NameCodes codesToName(const std::vector<HistoryRow>& rows) {
    NameCodes codes;
    for (const HistoryRow& row : rows)
        for (const QJsonObject* values : {&row.oldValues, &row.newValues})
            for (const Column& column : columnsOf(row.subject)) {
                const QJsonValue value = values->value(QString::fromLatin1(column.key));
                switch (column.kind) {
                case Kind::Worker:
                    addCode(codes.workers, value);
                    break;
                case Kind::Person:
                    addCode(codes.persons, value);
                    break;
                case Kind::Product:
                    addCode(codes.products, value);
                    break;
                case Kind::Operation:
                    addCode(codes.operations, value);
                    break;
                case Kind::Type:
                    addCode(codes.types, value);
                    break;
                case Kind::Material:
                    addCode(codes.materials, value);
                    break;
                default:
                    break;
                }
            }
    return codes;
}

QString timeText(const QDateTime& at) {
    return at.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

HistoryEntry describe(const HistoryRow& row, const HistoryNames& names) {
    HistoryEntry entry;
    entry.id = row.id;
    entry.at = row.at;
    entry.login = row.login;
    entry.place = row.client == u"local" ? QStringLiteral("сервер (сокет)") : row.client;
    entry.what = whatOf(row);
    if (row.month != 0)
        entry.changes << QStringLiteral("Месяц: ") + monthText(row.month, row.year);
    entry.changes << columnTexts(row, names);
    entry.wholeRow = row.action != u"update";
    entry.positionDeletion = row.subject == u"smena" && row.action == u"delete";
    entry.positionPresent = row.positionPresent;
    entry.positionId = row.positionId;
    return entry;
}

} // namespace history
