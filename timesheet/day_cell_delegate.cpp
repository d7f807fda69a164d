#include "day_cell_delegate.h"

#include "ui/dataset_model.h"

namespace timesheet {

void DayCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                      const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool selected = option->state & QStyle::State_Selected;
    DayCellLook look;
    const int day = index.column() - firstDayColumn_ + 1;
    if (index.column() == totalColumn_)
        look = totalCellLook();
    else if (day >= 1 && day <= 31)
        look = dayCellLook(day, index.data(ui::DatasetModel::ValueRole).toInt(), month_, selected,
                           option->palette);
    else
        return;
    if (look.text.isValid())
        option->palette.setColor(QPalette::Text, look.text);
    if (look.background.isValid() && !selected)
        option->backgroundBrush = look.background;
    if (look.bold)
        option->font.setBold(true);
}

} // namespace timesheet
