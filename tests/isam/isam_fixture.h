#pragma once

#include "engine/conversions.h"
#include "engine/dbengine.h"
#include "engine/errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace veranth::engine {
// Values in failure messages as their kind and text.
inline void PrintTo(const Value& v, std::ostream* os) {
    *os << Value::typeName(v.type()).toStdString() << ":";
    if (v.type() == ValueType::Binary) *os << v.rawBinary().toHex().left(40).toStdString();
    else if (!v.isMissing()) *os << toText(v).left(40).toStdString();
}
}  // namespace veranth::engine

namespace veranth::engine::isam::testing {

struct RaisedError {
    int number = 0;
    QString description;
};

inline RaisedError errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return {e.number(), e.description()};
    }
    return {};
}

// A fresh engine and a folder per test, with helpers to write raw files into it.
class IsamFixture : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString folder(const QString& name) const {
        QDir(dir.path()).mkpath(name);
        return dir.filePath(name);
    }
    void writeFile(const QString& file, const QByteArray& bytes) const {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readFile(const QString& file) const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList filesIn(const QString& folderPath) const {
        return QDir(folderPath).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Every row of a table (or statement) in file order, each value as the recordset gives it.
    static std::vector<std::vector<Value>> rowsOf(Database& db, const QString& source) {
        std::vector<std::vector<Value>> rows;
        auto rs = db.openRecordset(source, RecordsetType::Snapshot);
        for (; !rs->eof(); rs->moveNext()) {
            std::vector<Value> row;
            for (int i = 0; i < rs->fields().count(); ++i) row.push_back(rs->field(i)->value());
            rows.push_back(row);
        }
        return rows;
    }

    // Copies a table's design (indexes included) and rows into another database, as Copy
    // Structure with data does.
    static void copyTable(Database& from, const QString& table, Database& to, const QString& newName) {
        auto source = from.tableDefs().item(table);
        auto target = to.createTableDef(newName);
        for (const auto& f : source->fields()) {
            auto field = target->createField(f->name(), f->type(), f->size());
            field->setAttributes(f->attributes());
            field->setAllowZeroLength(f->allowZeroLength());
            target->fields().append(field);
        }
        for (const auto& i : source->indexes()) {
            auto index = target->createIndex(i->name());
            index->setFields(i->fields());
            index->setPrimary(i->primary());
            index->setUnique(i->unique());
            target->indexes().append(index);
        }
        to.tableDefs().append(target);
        auto in = from.openRecordset(table, RecordsetType::Snapshot);
        auto out = to.openRecordset(newName, RecordsetType::Dynaset);
        for (; !in->eof(); in->moveNext()) {
            out->addNew();
            for (int i = 0; i < in->fields().count(); ++i) out->field(i)->setValue(in->field(i)->value());
            out->update();
        }
    }

    QTemporaryDir dir;
    DBEngine engine;
};

}  // namespace veranth::engine::isam::testing
