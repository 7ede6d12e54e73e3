// Opening the member list over registers of 10,000 and 100,000 members, as
// the user waits for it: the window's creation (its connection, reading the
// table, filling the list) and its first drawing on the offscreen platform.
//
// MemberListOpens is the program's own window. MemberListOpensOneItemPerCell
// is the same window filled as the list used to be filled: a table widget
// with one item per cell, built and filled the way the form runtime and the
// handler did it. Both run in the same process over the same files, so their
// ratio is what the model saves.
//
// Counters: heap_mib, the heap (malloc arena and mapped blocks) that the open
// window holds; heap_per_row, what it holds beyond the same window over an
// empty register, divided by the rows. The record set's snapshot, the
// engine's page cache and the list itself are all in it.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "assocman/database/database.h"
#include "assocman/members/members.h"
#include "assocman/state/state.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace {

const QString kList = QStringLiteral("member_list");
const QString kTable = "超级列表框1";
const std::string kKey = "社团密钥";

// A program folder with usertext/causercount.mdb holding `members` rows.
class Register {
public:
    explicit Register(int members)
    {
        if (!dir_.isValid() || !QDir(dir_.path()).mkpath("usertext")) std::abort();
        const std::string file = (dir_.path() + "/usertext/causercount.mdb").toStdString();
        db::Connection connection;
        if (!database::create_database(file, kKey, nullptr) ||
            !db::db_connect_access(connection, file, kKey)) {
            std::abort();
        }
        db::RecordSet set;
        db::recordset_set_connection(set, connection);
        if (!db::recordset_open(set, "begin", db::Source::sql)) std::abort();
        for (int i = 0; i < members; ++i) {
            const std::string n = std::to_string(i);
            if (!db::recordset_open(set,
                                    "insert into causer (name, phonenum, class, sex, xuehao, otherinfo)"
                                    " values (?, ?, ?, ?, ?, ?)",
                                    db::Source::sql,
                                    {"成员" + n, std::to_string(13800000000LL + i), "计算机系",
                                     i % 2 ? "女" : "男", "2024" + n, "备注 " + n})) {
                std::abort();
            }
        }
        if (!db::recordset_open(set, "commit", db::Source::sql)) std::abort();
    }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

Register& register_of(int members)
{
    static std::map<int, std::unique_ptr<Register>> registers;
    auto& slot = registers[members];
    if (!slot) slot = std::make_unique<Register>(members);
    return *slot;
}

std::size_t heap_in_use()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// ---- the list as it was filled before ------------------------------------

// The table widget the form runtime built for a ListView, in place of the
// window's own list.
QTableWidget* one_item_per_cell_table()
{
    QWidget* own = ui::control_widget(kList, kTable);
    auto* table = new QTableWidget(0, 6, own->parentWidget());
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setShowGrid(true);
    table->setSortingEnabled(false);
    table->setWordWrap(false);
    table->horizontalHeader()->setSectionsMovable(true);
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->setHighlightSections(false);
    const struct {
        const char* title;
        int width;
        Qt::Alignment align;
    } columns[] = {{"姓  名", 70, Qt::AlignLeft},     {"手机号", 150, Qt::AlignHCenter},
                   {"编  号", 100, Qt::AlignHCenter}, {"性  别", 70, Qt::AlignHCenter},
                   {"系  别", 120, Qt::AlignHCenter}, {"备  注", 150, Qt::AlignHCenter}};
    for (int i = 0; i < 6; ++i) {
        auto* header = new QTableWidgetItem(QString::fromUtf8(columns[i].title));
        header->setTextAlignment(columns[i].align | Qt::AlignVCenter);
        table->setHorizontalHeaderItem(i, header);
        table->setColumnWidth(i, columns[i].width);
    }
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setGeometry(own->geometry());
    own->hide();
    return table;
}

// The creation handler as it was: one appended row and six items per member.
void list_filled_one_item_per_cell()
{
    ui::apply_xp_style(2);
    ui::set_caption(kList, app::state().association_name + "-成员列表");
    db::Connection* connection = ui::connection(kList, "数据库连接成员列表");
    db::RecordSet* records = ui::recordset(kList, "记录集成员列表");
    if (!connection || !records || !app::connect_program_database(*connection)) std::abort();
    db::recordset_set_connection(*records, *connection);
    if (!db::recordset_open(*records, "select * from causer", db::Source::sql)) std::abort();

    QTableWidget* table = one_item_per_cell_table();
    db::for_each_row(*records, [table](db::RecordSet& record) {
        auto field = [&record](const char* name) {
            std::string value;
            (void)db::recordset_read_text(record, name, value);  // as the handler did: unreadable is empty
            return QString::fromStdString(value);
        };
        const QStringList cells = {field("name"), field("phonenum"), field("xuehao"),
                                   field("sex"),  field("class"),    field("otherinfo")};
        QSignalBlocker block(table);
        const int row = table->rowCount();
        table->insertRow(row);
        for (int col = 0; col < 6; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            item->setTextAlignment((col == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
            table->setItem(row, col, item);
        }
        return true;
    });
}

// ---- the benchmarks -------------------------------------------------------

// Heap bytes that the open window holds, over the register of `members`.
std::size_t open_window_heap(int members)
{
    ui::set_program_directory(register_of(members).folder());
    const std::size_t before = heap_in_use();
    if (!ui::load_window(kList)) std::abort();
    QCoreApplication::processEvents();
    const std::size_t after = heap_in_use();
    ui::destroy_window_or_unit(kList);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return after > before ? after - before : 0;
}

// `rows` tells how many rows the open list shows.
template <typename Rows>
void open_list(benchmark::State& state, Rows rows)
{
    const int members = static_cast<int>(state.range(0));
    const double empty = static_cast<double>(open_window_heap(0));
    ui::set_program_directory(register_of(members).folder());
    double held = 0;
    for (auto _ : state) {
        const std::size_t before = heap_in_use();
        if (!ui::load_window(kList)) std::abort();
        QCoreApplication::processEvents();
        state.PauseTiming();
        held = static_cast<double>(heap_in_use()) - static_cast<double>(before);
        if (!ui::is_window_open(kList) || !ui::presenter::shown().isEmpty() || rows() != members) {
            state.SkipWithError("the list did not open with every member");
        }
        ui::destroy_window_or_unit(kList);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["heap_mib"] = held / (1024.0 * 1024.0);
    state.counters["heap_per_row"] = (held - empty) / members;
}

void MemberListOpens(benchmark::State& state)
{
    members::register_members_handlers();
    open_list(state, [] { return ui::row_count(kList, kTable); });
}

void MemberListOpensOneItemPerCell(benchmark::State& state)
{
    members::register_members_handlers();
    ui::register_handler("member_list.on_created", list_filled_one_item_per_cell);
    open_list(state, [] {
        // The last one made: the handler's, beside the window's own list.
        const auto tables = ui::window_widget(kList)->findChildren<QTableWidget*>();
        return tables.isEmpty() ? -1 : tables.back()->rowCount();
    });
}

// What every opening pays before it reads a row: the window's own
// connection, with its key derivation.
void ProgramDatabaseConnects(benchmark::State& state)
{
    ui::set_program_directory(register_of(static_cast<int>(state.range(0))).folder());
    for (auto _ : state) {
        db::Connection connection;
        if (!app::connect_program_database(connection)) state.SkipWithError("no connection");
    }
}

BENCHMARK(ProgramDatabaseConnects)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(MemberListOpens)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(MemberListOpensOneItemPerCell)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes (it cannot raise a window) would bury the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    ui::start_runtime(argc, argv);
    ui::presenter::set_scripted(true);
    app::state().association_name = "星火社";
    app::state().database_password = QString::fromStdString(kKey);
    members::register_members_handlers();
    QFile form(":/forms/member_list.json");
    QString error;
    if (!form.open(QIODevice::ReadOnly) || !ui::add_description(form.readAll(), "member_list.json", &error)) {
        std::fprintf(stderr, "member_list.json: %s\n", qPrintable(error));
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ui::reset_for_tests();
    return 0;
}
