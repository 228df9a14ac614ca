#pragma once

#include "engine/dbengine.h"
#include "engine/errors.h"
#include "engine/isam/workbook.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// One damaged or hostile input given to each file reader as a file of its format, every
// table and row of it read. A reader may refuse the input with an engine error; anything
// else (a crash, a hang, another exception) is a fault. Shared by the libFuzzer targets and
// by the test that replays their corpus.
namespace veranth::fuzzing {

// A folder kept for the whole run: the inputs are written over each other.
inline const QString& scratchFolder() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

inline void writeInput(const QString& name, const QByteArray& bytes) {
    QFile f(QDir(scratchFolder()).filePath(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

inline void readTables(const QString& connect) {
    engine::DBEngine dbEngine;
    auto db = dbEngine.openDatabase(scratchFolder(), 0, true, connect);
    for (const QString& table : db->tableNames()) {
        auto rs = db->openRecordset(table, engine::RecordsetType::Snapshot);
        for (; !rs->eof(); rs->moveNext())
            for (int i = 0; i < rs->fields().count(); ++i) rs->field(i)->value();
    }
}

// Returns whether the input was read (false: refused with an engine error).
template <class F> bool refusedOrRead(F&& f) {
    try {
        f();
        return true;
    } catch (const engine::EngineError&) {
        return false;
    }
}

// A DBF table; the input's tail past a 0x00 0xFF 0x00 marker, when there is one, is its memo file.
inline bool readDbfInput(const QByteArray& input) {
    const qsizetype mark = input.indexOf(QByteArray("\x00\xFF\x00", 3));
    writeInput(QStringLiteral("T.dbf"), mark < 0 ? input : input.left(mark));
    const QByteArray memo = mark < 0 ? QByteArray() : input.mid(mark + 3);
    writeInput(QStringLiteral("T.dbt"), memo);
    writeInput(QStringLiteral("T.fpt"), memo);
    return refusedOrRead([] { readTables(QStringLiteral("dBase IV;")); });
}

// A text table; the input's head before a 0x00 0xFF 0x00 marker, when there is one, is its schema.ini.
inline bool readTextInput(const QByteArray& input) {
    const qsizetype mark = input.indexOf(QByteArray("\x00\xFF\x00", 3));
    writeInput(QStringLiteral("schema.ini"), mark < 0 ? QByteArray() : input.left(mark));
    writeInput(QStringLiteral("T.txt"), mark < 0 ? input : input.mid(mark + 3));
    return refusedOrRead([] { readTables(QStringLiteral("Text;")); });
}

// A workbook of either format (the reader goes by the first bytes, not the name).
inline bool readWorkbookInput(const QByteArray& input, const char* name) {
    const QString file = QDir(scratchFolder()).filePath(QString::fromLatin1(name));
    writeInput(QString::fromLatin1(name), input);
    QFile::remove(file + QStringLiteral(".vxi"));
    return refusedOrRead([&] { engine::isam::readWorkbookTables(file); });
}

}  // namespace veranth::fuzzing
