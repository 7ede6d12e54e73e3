// The rows of a ListView: a table model the list's view draws from. A list
// that shows a record set reads the set's snapshot row by row as the view
// asks for it, so a large register costs the list nothing per row; rows the
// program appends one by one follow those of the set. The set does not tell
// when it changes: the window manager has the lists follow their sets after
// every handler (follow_record_sets).
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <string>
#include <vector>

#include "platform/ui/description.h"

namespace db {
class RecordSet;
}

namespace ui::detail {

struct Control;

class ListRows : public QAbstractTableModel {
    Q_OBJECT
public:
    ListRows(const QList<ColumnDesc>& columns, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // "" outside the rows and columns.
    QString text(int row, int column) const;
    void append(const QStringList& cells);
    // Drops every row and lets go of the set.
    void clear();
    // Shows the rows `set` holds, field `fields[i]` in column i, in place of
    // every row. The set must outlive the binding: release_set() ends it.
    void show_set(const db::RecordSet* set, const QStringList& fields);
    // The set is about to be freed: its rows go, the appended rows stay.
    void release_set();
    // Takes the set's row count again when it changed (the set was closed,
    // opened anew or grew); a closed set shows no rows.
    void follow_set();

private:
    int set_row_count() const;

    QList<ColumnDesc> columns_;
    const db::RecordSet* set_ = nullptr;
    std::vector<std::string> fields_;
    int set_rows_ = 0;
    std::vector<QStringList> appended_;
};

// The rows behind a ListView control; null for any other control.
ListRows* list_rows(const Control& control);

}  // namespace ui::detail
