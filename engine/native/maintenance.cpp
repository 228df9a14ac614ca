#include "engine/native/maintenance.h"

#include "engine/errors.h"
#include "engine/native/catalog.h"
#include "engine/native/file_names.h"
#include "engine/native/sqlite_db.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace veranth::engine::native {

namespace {

QStringList tableNames(Connection& c) {
    QStringList names;
    Statement s = c.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"));
    while (s.step()) names << s.text(0);
    return names;
}

std::int64_t rowCount(Connection& c, const QString& table) {
    Statement s = c.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(quoteName(table)));
    s.step();
    return s.int64(0);
}

QString integrityProblems(Connection& c) {
    Statement s = c.prepare(QStringLiteral("PRAGMA integrity_check"));
    QStringList problems;
    while (s.step())
        if (s.text(0) != QLatin1String("ok")) problems << s.text(0);
    return problems.join(QStringLiteral("; "));
}

// Replaces `target` by `replacement` in one step (rename over it on the same file system).
void replaceFile(const QString& replacement, const QString& target) {
    if (std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(target).constData()) != 0)
        throw EngineError(err::kFileInUse, target);
}

QString withExtensionIfMissing(const QString& name) { return newDatabaseFile(name); }

}  // namespace

QString createDatabaseFile(const QString& name) {
    const QString path = newDatabaseFile(name);
    if (QFileInfo::exists(path)) throw EngineError(err::kDatabaseExists, path);
    auto connection = Connection::open(path, false, true);
    catalog::create(*connection);
    return path;
}

void compactDatabaseFile(const QString& source, const QString& destination) {
    const QString sourcePath = resolveDatabaseFile(source);
    if (sourcePath.isEmpty()) throw EngineError(err::kFileNotFound, source);
    requireNativeFile(sourcePath, sourcePath);
    const QString destinationPath = withExtensionIfMissing(destination.isEmpty() ? source : destination);
    const bool inPlace = QFileInfo(destinationPath).absoluteFilePath() == QFileInfo(sourcePath).absoluteFilePath();
    if (!inPlace && QFileInfo::exists(destinationPath)) throw EngineError(err::kDatabaseExists, destinationPath);
    const QString target = inPlace ? sourcePath + QStringLiteral(".compacting") : destinationPath;
    QFile::remove(inPlace ? target : QString());

    auto from = Connection::open(sourcePath, true, false);
    try {
        Statement vacuum = from->prepare(QStringLiteral("VACUUM INTO ?"));
        vacuum.bindText(1, target);
        vacuum.step();
        // The copy must hold every row of the original before anything is replaced.
        auto copy = Connection::open(target, true, false);
        if (const QString problems = integrityProblems(*copy); !problems.isEmpty())
            throw EngineError(err::kDamagedDatabase, target, QStringLiteral("The compacted copy failed its check: ") + problems);
        for (const QString& table : tableNames(*from))
            if (rowCount(*from, table) != rowCount(*copy, table))
                throw EngineError(err::kDamagedDatabase, target,
                                  QStringLiteral("The compacted copy lost rows of '%1'; the original is unchanged.").arg(table));
    } catch (...) {
        QFile::remove(target);
        throw;
    }
    from.reset();
    if (inPlace) replaceFile(target, sourcePath);
}

RepairReport repairDatabaseFile(const QString& name) {
    const QString path = resolveDatabaseFile(name);
    if (path.isEmpty()) throw EngineError(err::kFileNotFound, name);
    requireNativeFile(path, path);
    RepairReport report;
    std::unique_ptr<Connection> damaged;
    QString problems;
    try {
        damaged = Connection::open(path, true, false);
        problems = integrityProblems(*damaged);
    } catch (const EngineError& e) {
        if (!damaged)
            throw EngineError(err::kDamagedDatabase, path,
                              QStringLiteral("Its first page cannot be read, so it cannot be rebuilt: ") + e.description());
        problems = e.description();
    }
    if (problems.isEmpty()) return report;
    report.wasDamaged = true;

    const QString rebuilt = path + QStringLiteral(".rebuilding");
    QFile::remove(rebuilt);
    {
        auto target = Connection::open(rebuilt, false, true);
        QStringList indexSql;
        Statement objects = damaged->prepare(
            QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
        std::vector<std::pair<QString, QString>> tables;
        while (objects.step()) {
            if (objects.text(0) == QLatin1String("table")) tables.emplace_back(objects.text(1), objects.text(2));
            else indexSql << objects.text(2);
        }
        target->exec(QStringLiteral("BEGIN"));
        for (const auto& entry : tables) {
            // Plain names, not structured bindings: the row copier below captures them.
            const QString& table = entry.first;
            target->exec(entry.second);
            std::int64_t copied = 0;
            std::int64_t lastGood = std::numeric_limits<std::int64_t>::min();
            auto copyRows = [&](const QString& select, bool tail) {
                Statement read = damaged->prepare(select);
                if (tail) read.bindInt64(1, lastGood);
                const int columns = read.columnCount() - 1;  // the first one is the rowid
                // The rowid is kept, so a row met by both passes is written once.
                QStringList names{QStringLiteral("rowid")}, marks{QStringLiteral("?")};
                for (int i = 1; i <= columns; ++i) {
                    names << quoteName(read.columnName(i));
                    marks << QStringLiteral("?");
                }
                Statement insert = target->prepare(QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                                                       .arg(quoteName(table), names.join(QStringLiteral(", ")),
                                                            marks.join(QStringLiteral(", "))));
                while (read.step()) {
                    insert.reset();
                    for (int i = 0; i <= columns; ++i) insert.bind(i + 1, read.dynamicValue(i));
                    insert.step();
                    copied += target->changes();
                    if (!tail) lastGood = std::max(lastGood, read.int64(0));
                }
            };
            try {
                copyRows(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(quoteName(table)), false);
            } catch (const EngineError&) {
                report.lost << QStringLiteral("%1: rows after the %2th could not be read in order").arg(table).arg(copied);
                try {
                    copyRows(QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid > ? ORDER BY rowid DESC").arg(quoteName(table)), true);
                } catch (const EngineError&) {
                    report.lost << QStringLiteral("%1: some rows at the end could not be read").arg(table);
                }
            }
            report.rowsRecovered += copied;
            report.tablesRecovered << QStringLiteral("%1 (%2 rows)").arg(table).arg(copied);
        }
        for (const QString& sql : indexSql) {
            try {
                target->exec(sql);
            } catch (const EngineError& e) {
                report.lost << QStringLiteral("index not rebuilt (%1): %2").arg(e.description(), sql);
            }
        }
        target->exec(QStringLiteral("COMMIT"));
        if (const QString left = integrityProblems(*target); !left.isEmpty())
            throw EngineError(err::kDamagedDatabase, path, QStringLiteral("The rebuilt copy is still damaged: ") + left);
    }
    damaged.reset();
    const QString backup = path + QStringLiteral(".bak");
    QFile::remove(backup);
    if (!QFile::copy(path, backup)) throw EngineError(err::kFileInUse, backup);
    replaceFile(rebuilt, path);
    return report;
}

}  // namespace veranth::engine::native
