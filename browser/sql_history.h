#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace veranth::platform {
class SettingsStore;
}

namespace veranth::browser {

// One statement as it was executed from the SQL window.
struct SqlHistoryEntry {
    QString statement;
    QString database;
    QDateTime executed;  // UTC
};

// The statements executed from the SQL window, newest first, kept in a file beside the settings
// so that typed SQL survives the window, the database and the program. Executing a statement
// again moves it to the front instead of listing it twice; the oldest entries fall off beyond
// the bound.
class SqlHistory {
public:
    static constexpr int kMaxEntries = 200;

    explicit SqlHistory(QString filePath);
    // The history file of a settings store: beside the file of the program's own settings.
    static QString FileFor(const platform::SettingsStore& store);

    const QString& FilePath() const { return path_; }
    const QList<SqlHistoryEntry>& Entries() const { return entries_; }

    // Rereads the file; a missing or unreadable file is an empty history.
    void Load();
    // Puts the statement first and writes the file at once. Another program run may have added
    // entries since this one read the file: they are read back first, so none are lost.
    // False when the file could not be written (the entry is still kept for this run).
    bool Add(const QString& statement, const QString& database, const QDateTime& executed);

private:
    bool Save() const;

    QString path_;
    QList<SqlHistoryEntry> entries_;
};

// Walks the history from the statement being typed: Older goes back one entry, Newer forward,
// and Newer past the newest entry gives back what was being typed before the walk began. A text
// edited during the walk becomes the one being typed, so nothing typed is lost.
class SqlRecall {
public:
    explicit SqlRecall(const SqlHistory& history) : history_(history) {}

    // The text to show instead of `current`, or nullopt at the end of the history.
    std::optional<QString> Older(const QString& current);
    std::optional<QString> Newer();
    // The user changed the text: the walk starts again from it.
    void Edited() { position_ = -1; }
    // -1 while on the text being typed, else the index of the entry shown.
    int Position() const { return position_; }

private:
    const SqlHistory& history_;
    int position_ = -1;
    QString draft_;
};

}  // namespace veranth::browser
