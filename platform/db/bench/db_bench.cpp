// How long a window takes to open its record set on a large register and walk
// every row, reading every field, as a list window does.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/db/db.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kPeople = 10000;
const std::string kKey = "bench-key";

// A register as record-keeping programs have them: a key and six texts.
constexpr const char* kRegisterTable =
    "create table people (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, phone TEXT, class TEXT, sex TEXT,"
    " number TEXT, note TEXT)";

class Register {
public:
    Register()
    {
        file_ = dir_.file("register.db");
        if (!db::create_keyed_database(file_, kKey, kRegisterTable, nullptr) ||
            !db::db_connect_access(connection_, file_, kKey)) {
            std::abort();
        }
        db::RecordSet set;
        db::recordset_set_connection(set, connection_);
        if (!db::recordset_open(set, "begin", db::Source::sql)) std::abort();
        for (int i = 0; i < kPeople; ++i) {
            const std::string n = std::to_string(i);
            if (!db::recordset_open(set,
                                    "insert into people (name, phone, class, sex, number, note)"
                                    " values (?, ?, ?, ?, ?, ?)",
                                    db::Source::sql,
                                    {"样本" + n, "138" + n, "第三小组", "甲", "2024" + n, "附记 " + n})) {
                std::abort();
            }
        }
        if (!db::recordset_open(set, "commit", db::Source::sql)) std::abort();
    }
    ~Register() { db::db_close(connection_); }
    db::Connection& connection() { return connection_; }

private:
    test_support::TempDir dir_;
    std::string file_;
    db::Connection connection_;
};

void OpenAndWalkTheRegister(benchmark::State& state)
{
    static Register people;
    static const char* const kFields[] = {"id", "name", "phone", "class", "sex", "number", "note"};
    db::RecordSet set;
    db::recordset_set_connection(set, people.connection());
    std::string value;
    for (auto _ : state) {
        // Walked as the handlers walk a set; the row count below tells a
        // failed open, and reads and moves over these rows do not fail.
        (void)db::recordset_open(set, "people", db::Source::table);
        const int rows = db::record_count(set);
        for (int i = 0; i < rows; ++i) {
            for (const char* field : kFields) {
                (void)db::recordset_read_text(set, field, value);
                benchmark::DoNotOptimize(value.data());
            }
            (void)db::recordset_move_next(set);
        }
        if (rows != kPeople) state.SkipWithError("wrong row count");
    }
}
BENCHMARK(OpenAndWalkTheRegister)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
