#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace veranth::engine::isam {

// A zip file read from memory, one entry at a time. Entries are read whole, so a damaged
// or hostile file cannot make the reader hold more than the size limit per entry.
class ZipArchive {
public:
    // 3343 naming `path` when the bytes are no zip file.
    ZipArchive(const QString& path, QByteArray bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const QString& name) const;
    // The entry's bytes; nullopt when there is no such entry; 3343 when it cannot be read.
    std::optional<QByteArray> read(const QString& name) const;

private:
    struct State;
    QString path_;
    QByteArray bytes_;
    std::unique_ptr<State> state_;
};

}  // namespace veranth::engine::isam
