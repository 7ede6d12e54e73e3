#include "platform/ui/list_rows.h"

#include <QTableView>
#include <algorithm>

#include "platform/db/db.h"
#include "platform/ui/window.h"

namespace ui::detail {

ListRows::ListRows(const QList<ColumnDesc>& columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns)
{
}

int ListRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : set_rows_ + static_cast<int>(appended_.size());
}

int ListRows::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ListRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(columns_[index.column()].align | Qt::AlignVCenter);
    }
    return {};
}

QVariant ListRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) return columns_[section].title;
    if (role == Qt::TextAlignmentRole) return static_cast<int>(columns_[section].align | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ListRows::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QString ListRows::text(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return {};
    if (row >= set_rows_) {
        const QStringList& cells = appended_[static_cast<std::size_t>(row - set_rows_)];
        return column < cells.size() ? cells[column] : QString();
    }
    if (!set_ || static_cast<std::size_t>(column) >= fields_.size()) return {};
    std::string value;
    // A field the set lacks reads as empty, like NULL; so does a row that a
    // handler still running has taken away, until the rows follow the set.
    (void)db::recordset_read_text_at(*set_, row, fields_[static_cast<std::size_t>(column)], value);
    return QString::fromStdString(value);
}

void ListRows::append(const QStringList& cells)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    appended_.push_back(cells.mid(0, static_cast<qsizetype>(columns_.size())));
    endInsertRows();
}

void ListRows::clear()
{
    beginResetModel();
    set_ = nullptr;
    fields_.clear();
    set_rows_ = 0;
    appended_.clear();
    endResetModel();
}

void ListRows::show_set(const db::RecordSet* set, const QStringList& fields)
{
    beginResetModel();
    appended_.clear();
    set_ = set;
    fields_.clear();
    for (const QString& field : fields.mid(0, static_cast<qsizetype>(columns_.size()))) {
        fields_.push_back(field.toStdString());
    }
    set_rows_ = set_row_count();
    endResetModel();
}

void ListRows::release_set()
{
    if (!set_) return;
    beginResetModel();
    set_ = nullptr;
    fields_.clear();
    set_rows_ = 0;
    endResetModel();
}

void ListRows::follow_set()
{
    if (!set_ || set_row_count() == set_rows_) return;
    beginResetModel();
    set_rows_ = set_row_count();
    endResetModel();
}

int ListRows::set_row_count() const { return set_ ? std::max(db::record_count(*set_), 0) : 0; }

ListRows* list_rows(const Control& control)
{
    if (control.type != ControlType::ListView) return nullptr;
    auto* view = qobject_cast<QTableView*>(control.widget.data());
    return view ? qobject_cast<ListRows*>(view->model()) : nullptr;
}

}  // namespace ui::detail
