#include "browser/sql_history.h"

#include "platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace veranth::browser {
namespace {

const QString kStatement = QStringLiteral("statement");
const QString kDatabase = QStringLiteral("database");
const QString kExecuted = QStringLiteral("executed");

bool SameEntry(const SqlHistoryEntry& a, const SqlHistoryEntry& b) {
    return a.statement == b.statement && a.database == b.database && a.executed == b.executed;
}

}  // namespace

SqlHistory::SqlHistory(QString filePath) : path_(std::move(filePath)) { Load(); }

QString SqlHistory::FileFor(const platform::SettingsStore& store) {
    return QFileInfo(store.FilePath(QLatin1String(platform::kAddInsApplication))).absolutePath() + QStringLiteral("/sql_history.json");
}

void SqlHistory::Load() {
    entries_.clear();
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    for (const QJsonValue& item : document.object().value(QStringLiteral("entries")).toArray()) {
        const QJsonObject o = item.toObject();
        SqlHistoryEntry entry{o.value(kStatement).toString(), o.value(kDatabase).toString(),
                              QDateTime::fromString(o.value(kExecuted).toString(), Qt::ISODateWithMs)};
        // A hand-edited or damaged entry without a statement is dropped, not shown as a blank.
        if (entry.statement.isEmpty()) continue;
        entries_.append(entry);
        if (entries_.size() == kMaxEntries) break;
    }
}

bool SqlHistory::Add(const QString& statement, const QString& database, const QDateTime& executed) {
    if (statement.trimmed().isEmpty()) return true;
    const QList<SqlHistoryEntry> mine = entries_;
    Load();
    // What this run had but the file lost (written over by an older run) comes back.
    for (const SqlHistoryEntry& e : mine) {
        bool present = false;
        for (const SqlHistoryEntry& f : entries_) present = present || SameEntry(e, f);
        if (!present) entries_.append(e);
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const SqlHistoryEntry& a, const SqlHistoryEntry& b) { return a.executed > b.executed; });
    entries_.removeIf([&](const SqlHistoryEntry& e) { return e.statement == statement && e.database == database; });
    entries_.prepend({statement, database, executed.toUTC()});
    while (entries_.size() > kMaxEntries) entries_.removeLast();
    return Save();
}

bool SqlHistory::Save() const {
    QJsonArray items;
    for (const SqlHistoryEntry& e : entries_)
        items.append(QJsonObject{{kStatement, e.statement}, {kDatabase, e.database}, {kExecuted, e.executed.toString(Qt::ISODateWithMs)}});
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // Written whole into a new file and renamed, so a crash never leaves half a history.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("entries"), items}}).toJson(QJsonDocument::Indented));
    return file.commit();
}

std::optional<QString> SqlRecall::Older(const QString& current) {
    if (position_ + 1 >= history_.Entries().size()) return std::nullopt;
    if (position_ < 0) draft_ = current;
    ++position_;
    return history_.Entries().at(position_).statement;
}

std::optional<QString> SqlRecall::Newer() {
    if (position_ < 0) return std::nullopt;
    --position_;
    if (position_ < 0) return draft_;
    return history_.Entries().at(position_).statement;
}

}  // namespace veranth::browser
