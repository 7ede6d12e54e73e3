// What a window pays to open its connection: the first connection of a run,
// which derives the key, a later one, which finds it kept, and, as the
// yardstick, a connection keyed with the password the library derives from
// every time.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>

#include "platform/db/db.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kKey = "Ab3dEf6hIj9kLm0n";

class Database {
public:
    Database()
    {
        file_ = dir_.file("bench.db");
        if (!db::create_keyed_database(file_, kKey, "create table t (x TEXT)", nullptr)) std::abort();
    }
    const std::string& file() const { return file_; }

private:
    test_support::TempDir dir_;
    std::string file_;
};

const Database& database()
{
    static const Database instance;
    return instance;
}

void FirstConnection(benchmark::State& state)
{
    db::Connection connection;
    for (auto _ : state) {
        state.PauseTiming();
        db::forget_derived_keys();
        state.ResumeTiming();
        if (!db::db_connect_access(connection, database().file(), kKey)) state.SkipWithError("no connection");
    }
}
BENCHMARK(FirstConnection)->Unit(benchmark::kMillisecond);

void LaterConnection(benchmark::State& state)
{
    db::Connection connection;
    if (!db::db_connect_access(connection, database().file(), kKey)) state.SkipWithError("no connection");
    for (auto _ : state) {
        if (!db::db_connect_access(connection, database().file(), kKey)) state.SkipWithError("no connection");
    }
}
BENCHMARK(LaterConnection)->Unit(benchmark::kMillisecond);

// The same steps as a connection of this layer, keyed with the password as
// every connection was before keys were kept.
void PasswordConnection(benchmark::State& state)
{
    for (auto _ : state) {
        sqlite3* handle = nullptr;
        sqlite3_open_v2(database().file().c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_key(handle, kKey.data(), static_cast<int>(kKey.size()));
        sqlite3_busy_timeout(handle, 5000);
        if (sqlite3_exec(handle, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) !=
                SQLITE_OK ||
            sqlite3_exec(handle, "pragma page_count", nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError("no connection");
        }
        sqlite3_close_v2(handle);
    }
}
BENCHMARK(PasswordConnection)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
