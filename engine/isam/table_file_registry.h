#pragma once

#include "engine/isam/table_file.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

namespace veranth::engine::isam {

// The table files open in this process, one object per file, so two database objects on
// one folder (a data control and a utility) see each other's writes.
class TableFileRegistry {
public:
    std::shared_ptr<TableFile> open(const QString& path, bool readOnly,
                                    const std::function<std::shared_ptr<TableFile>()>& openFile);
    // After the file was replaced or deleted: the next open reads it afresh.
    void forget(const QString& path);
    // Writes out what every open file under `folder` holds back (a database being closed).
    void flushFolder(const QString& folder);

private:
    struct Entry {
        std::weak_ptr<TableFile> file;
        bool readOnly = false;
    };
    QHash<QString, Entry> open_;
};

}  // namespace veranth::engine::isam
