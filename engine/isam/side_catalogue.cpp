#include "engine/isam/side_catalogue.h"

#include "engine/isam/folder_files.h"
#include "engine/isam/isam_errors.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace veranth::engine::isam {

namespace {

const QString kExtension = QStringLiteral("vxi");

QJsonObject fieldToJson(const FieldInfo& f) {
    return QJsonObject{
        {QStringLiteral("name"), f.name},
        {QStringLiteral("type"), static_cast<int>(f.type)},
        {QStringLiteral("size"), f.size},
        {QStringLiteral("attributes"), f.attributes},
        {QStringLiteral("required"), f.required},
        {QStringLiteral("allowZeroLength"), f.allowZeroLength},
        {QStringLiteral("defaultValue"), f.defaultValue},
        {QStringLiteral("validationRule"), f.validationRule},
        {QStringLiteral("validationText"), f.validationText},
    };
}

FieldInfo fieldFromJson(const QJsonObject& o) {
    FieldInfo f;
    f.name = o.value(QStringLiteral("name")).toString();
    const int type = o.value(QStringLiteral("type")).toInt();
    f.type = isKnownFieldType(type) ? static_cast<FieldType>(type) : FieldType::Text;
    f.size = o.value(QStringLiteral("size")).toInt();
    f.attributes = o.value(QStringLiteral("attributes")).toInt();
    f.required = o.value(QStringLiteral("required")).toBool();
    f.allowZeroLength = o.value(QStringLiteral("allowZeroLength")).toBool();
    f.defaultValue = o.value(QStringLiteral("defaultValue")).toString();
    f.validationRule = o.value(QStringLiteral("validationRule")).toString();
    f.validationText = o.value(QStringLiteral("validationText")).toString();
    return f;
}

QJsonObject indexToJson(const IndexInfo& i) {
    return QJsonObject{
        {QStringLiteral("name"), i.name},
        {QStringLiteral("fields"), i.fieldsText()},
        {QStringLiteral("primary"), i.primary},
        {QStringLiteral("unique"), i.unique},
        {QStringLiteral("ignoreNulls"), i.ignoreNulls},
        {QStringLiteral("required"), i.required},
    };
}

IndexInfo indexFromJson(const QJsonObject& o) {
    IndexInfo i;
    i.name = o.value(QStringLiteral("name")).toString();
    i.keys = IndexInfo::parseFields(o.value(QStringLiteral("fields")).toString());
    i.primary = o.value(QStringLiteral("primary")).toBool();
    i.unique = o.value(QStringLiteral("unique")).toBool();
    i.ignoreNulls = o.value(QStringLiteral("ignoreNulls")).toBool();
    i.required = o.value(QStringLiteral("required")).toBool();
    return i;
}

}  // namespace

QString sideCataloguePath(const QString& tablePath) {
    const QString existing = findSibling(tablePath, kExtension);
    return existing.isEmpty() ? withExtension(tablePath, kExtension) : existing;
}

TableInfo readSideCatalogue(const QString& tablePath) {
    TableInfo table;
    QFile f(sideCataloguePath(tablePath));
    if (!f.exists()) return table;
    if (!f.open(QIODevice::ReadOnly)) throw malformedFile(f.fileName(), f.errorString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (!doc.isObject()) throw malformedFile(f.fileName(), QStringLiteral("the index catalogue is damaged (%1)").arg(error.errorString()));
    const QJsonObject root = doc.object();
    table.validationRule = root.value(QStringLiteral("validationRule")).toString();
    table.validationText = root.value(QStringLiteral("validationText")).toString();
    for (const auto& v : root.value(QStringLiteral("fields")).toArray()) table.fields.push_back(fieldFromJson(v.toObject()));
    try {
        for (const auto& v : root.value(QStringLiteral("indexes")).toArray()) table.indexes.push_back(indexFromJson(v.toObject()));
    } catch (const EngineError&) {
        throw malformedFile(f.fileName(), QStringLiteral("an index in the catalogue has no fields"));
    }
    return table;
}

void writeSideCatalogue(const QString& tablePath, const TableInfo& table) {
    QJsonArray fields, indexes;
    for (const auto& f : table.fields) fields.append(fieldToJson(f));
    for (const auto& i : table.indexes) indexes.append(indexToJson(i));
    const QJsonObject root{
        {QStringLiteral("validationRule"), table.validationRule},
        {QStringLiteral("validationText"), table.validationText},
        {QStringLiteral("fields"), fields},
        {QStringLiteral("indexes"), indexes},
    };
    writeFileAtomically(sideCataloguePath(tablePath), QJsonDocument(root).toJson(QJsonDocument::Indented));
}

}  // namespace veranth::engine::isam
