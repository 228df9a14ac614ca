#include "engine/conversions.h"
#include "engine/dbengine.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <charconv>
#include <chrono>
#include <cstring>

// Export and import of a million rows through the file drivers, each timed against a plain
// loop in the same iteration that writes or reads the same bytes by hand. The time reported
// is the driver's; the counters give the loop's time and the ratio driver / loop.
using namespace veranth;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 1'000'000;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void report(benchmark::State& state, double driverSeconds, double loopSeconds) {
    const auto n = static_cast<double>(state.iterations());
    state.counters["loop_ms"] = benchmark::Counter(loopSeconds * 1000.0 / n);
    state.counters["driver_ms"] = benchmark::Counter(driverSeconds * 1000.0 / n);
    state.counters["ratio"] = loopSeconds > 0 ? driverSeconds / loopSeconds : 0;
}

struct Row {
    std::int32_t id;
    QString name;
    engine::Currency amount;
    double stamp;
};

const std::vector<Row>& rows() {
    static const std::vector<Row> all = [] {
        std::vector<Row> r;
        r.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            r.push_back({i, QStringLiteral("Client %1").arg(i), engine::Currency{static_cast<std::int64_t>(i) * 12345},
                         engine::dateSerial(2004, 1, 1) + i % 3650});
        return r;
    }();
    return all;
}

std::shared_ptr<engine::Database> freshTable(engine::DBEngine& e, const QString& folder, const QString& connect, const QString& name) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    auto db = e.openDatabase(folder, 0, false, connect);
    auto t = db->createTableDef(name);
    t->fields().append(t->createField(QStringLiteral("ID"), engine::FieldType::Long));
    t->fields().append(t->createField(QStringLiteral("Name"), engine::FieldType::Text, 30));
    t->fields().append(t->createField(QStringLiteral("Amount"), engine::FieldType::Currency));
    t->fields().append(t->createField(QStringLiteral("Stamp"), engine::FieldType::Date));
    db->tableDefs().append(t);
    return db;
}

double exportThroughDriver(const QString& folder, const QString& connect, const QString& table) {
    engine::DBEngine e;
    auto db = freshTable(e, folder, connect, table);
    const auto start = Clock::now();
    {
        auto rs = db->openRecordset(table, engine::RecordsetType::Dynaset, engine::rs_option::kAppendOnly);
        auto id = rs->field(0), name = rs->field(1), amount = rs->field(2), stamp = rs->field(3);
        for (const Row& r : rows()) {
            rs->addNew();
            id->setValue(engine::Value::longValue(r.id));
            name->setValue(engine::Value(r.name));
            amount->setValue(engine::Value::currency(r.amount));
            stamp->setValue(engine::Value::date(r.stamp));
            rs->update();
        }
    }
    db->close();
    return secondsSince(start);
}

long long importThroughDriver(const QString& folder, const QString& connect, const QString& table) {
    engine::DBEngine e;
    auto db = e.openDatabase(folder, 0, true, connect);
    auto rs = db->openRecordset(table, engine::RecordsetType::ForwardOnly);
    std::vector<std::shared_ptr<engine::Field>> fields;
    for (int i = 0; i < rs->fields().count(); ++i) fields.push_back(rs->field(i));
    long long n = 0;
    for (; !rs->eof(); rs->moveNext(), ++n)
        for (const auto& f : fields) benchmark::DoNotOptimize(f->value());
    return n;
}

// The DBF layout of the table above written by hand: 1 + 11 + 30 + 20 + 8 bytes a record.
void writeDbfByHand(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray header(32 + 4 * 32 + 1, '\0');
    header[0] = 0x03;
    const int recordLength = 1 + 11 + 30 + 20 + 8;
    for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<char>((kRows >> (8 * i)) & 0xFF);
    header[8] = static_cast<char>(header.size() & 0xFF);
    header[9] = static_cast<char>(header.size() >> 8);
    header[10] = static_cast<char>(recordLength);
    const struct {
        const char* name;
        char type;
        int length, decimals;
    } fields[] = {{"ID", 'N', 11, 0}, {"Name", 'C', 30, 0}, {"Amount", 'N', 20, 4}, {"Stamp", 'D', 8, 0}};
    for (int i = 0; i < 4; ++i) {
        char* d = header.data() + 32 + 32 * i;
        std::memcpy(d, fields[i].name, std::strlen(fields[i].name));
        d[11] = fields[i].type;
        d[16] = static_cast<char>(fields[i].length);
        d[17] = static_cast<char>(fields[i].decimals);
    }
    header[header.size() - 1] = 0x0D;
    f.write(header);
    QByteArray block;
    char record[recordLength];
    for (const Row& r : rows()) {
        std::memset(record, ' ', recordLength);
        const QByteArray id = QByteArray::number(r.id);
        std::memcpy(record + 1 + 11 - id.size(), id.constData(), static_cast<size_t>(id.size()));
        const QByteArray name = r.name.toLatin1();
        std::memcpy(record + 12, name.constData(), static_cast<size_t>(name.size()));
        const QByteArray amount = engine::currencyToText(r.amount).toLatin1();
        std::memcpy(record + 42 + 20 - amount.size(), amount.constData(), static_cast<size_t>(amount.size()));
        const engine::DateParts p = engine::splitDate(r.stamp);
        std::snprintf(record + 62, 9, "%04d%02d%02d", p.year, p.month, p.day);
        block.append(record, recordLength);
        if (block.size() > (1 << 20)) {
            f.write(block);
            block.clear();
        }
    }
    block.append('\x1A');
    f.write(block);
}

// A number from its bytes with the blanks around it skipped.
template <class T>
T number(const char* p, int n) {
    while (n > 0 && *p == ' ') ++p, --n;
    while (n > 0 && p[n - 1] == ' ') --n;
    T value{};
    std::from_chars(p, p + n, value);
    return value;
}

long long readDbfByHand(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    const int headerLength = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    const int recordLength = static_cast<unsigned char>(bytes[10]) | (static_cast<unsigned char>(bytes[11]) << 8);
    long long n = 0;
    for (qsizetype pos = headerLength; pos + recordLength <= bytes.size(); pos += recordLength, ++n) {
        const char* r = bytes.constData() + pos;
        benchmark::DoNotOptimize(number<int>(r + 1, 11));
        int nameLength = 30;
        while (nameLength > 0 && r[12 + nameLength - 1] == ' ') --nameLength;
        benchmark::DoNotOptimize(QString::fromLatin1(r + 12, nameLength));
        benchmark::DoNotOptimize(number<double>(r + 42, 20));
        benchmark::DoNotOptimize(number<int>(r + 62, 8));
    }
    return n;
}

void writeCsvByHand(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray block("\"ID\",\"Name\",\"Amount\",\"Stamp\"\r\n");
    for (const Row& r : rows()) {
        const engine::DateParts p = engine::splitDate(r.stamp);
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", p.year, p.month, p.day);
        block += QByteArray::number(r.id) + ",\"" + r.name.toLatin1() + "\"," + engine::currencyToText(r.amount).toLatin1() + ',' +
                 date + "\r\n";
        if (block.size() > (1 << 20)) {
            f.write(block);
            block.clear();
        }
    }
    f.write(block);
}

long long readCsvByHand(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    long long n = 0;
    qsizetype pos = bytes.indexOf('\n') + 1;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0) end = bytes.size();
        const QList<QByteArray> cells = bytes.mid(pos, end - pos).trimmed().split(',');
        benchmark::DoNotOptimize(number<int>(cells[0].constData(), static_cast<int>(cells[0].size())));
        benchmark::DoNotOptimize(QString::fromLatin1(cells[1].mid(1, cells[1].size() - 2)));
        benchmark::DoNotOptimize(number<double>(cells[2].constData(), static_cast<int>(cells[2].size())));
        benchmark::DoNotOptimize(number<int>(cells[3].constData(), 4) * 10000 + number<int>(cells[3].constData() + 5, 2) * 100 +
                                 number<int>(cells[3].constData() + 8, 2));
        pos = end + 1;
        ++n;
    }
    return n;
}

struct Format {
    const char* connect;
    const char* table;
    const char* file;
    void (*writeByHand)(const QString&);
    long long (*readByHand)(const QString&);
};

const Format kDbf{"dBase IV;", "Export", "Export.dbf", writeDbfByHand, readDbfByHand};
const Format kCsv{"Text;", "Export#csv", "Export.csv", writeCsvByHand, readCsvByHand};

void exportRows(benchmark::State& state, const Format& format) {
    QTemporaryDir dir;
    const QString driverFolder = dir.filePath(QStringLiteral("driver"));
    const QString loopFile = dir.filePath(QString::fromLatin1(format.file));
    rows();
    double driverSeconds = 0, loopSeconds = 0;
    for (auto _ : state) {
        const double d = exportThroughDriver(driverFolder, QString::fromLatin1(format.connect), QString::fromLatin1(format.table));
        driverSeconds += d;
        state.SetIterationTime(d);
        const auto start = Clock::now();
        format.writeByHand(loopFile);
        loopSeconds += secondsSince(start);
    }
    report(state, driverSeconds, loopSeconds);
}

void importRows(benchmark::State& state, const Format& format) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("driver"));
    exportThroughDriver(folder, QString::fromLatin1(format.connect), QString::fromLatin1(format.table));
    const QString file = QDir(folder).filePath(QString::fromLatin1(format.file));
    double driverSeconds = 0, loopSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const long long n = importThroughDriver(folder, QString::fromLatin1(format.connect), QString::fromLatin1(format.table));
        const double d = secondsSince(start);
        driverSeconds += d;
        state.SetIterationTime(d);
        start = Clock::now();
        const long long m = format.readByHand(file);
        loopSeconds += secondsSince(start);
        if (n != kRows || m != kRows) state.SkipWithError("a row went missing");
    }
    report(state, driverSeconds, loopSeconds);
}

void BM_DbfExport(benchmark::State& state) { exportRows(state, kDbf); }
void BM_DbfImport(benchmark::State& state) { importRows(state, kDbf); }
void BM_CsvExport(benchmark::State& state) { exportRows(state, kCsv); }
void BM_CsvImport(benchmark::State& state) { importRows(state, kCsv); }

BENCHMARK(BM_DbfExport)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_DbfImport)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CsvExport)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CsvImport)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
