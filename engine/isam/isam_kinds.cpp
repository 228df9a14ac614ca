#include "engine/isam/isam_kinds.h"

#include "engine/errors.h"
#include "engine/isam/dbf_format.h"
#include "engine/isam/folder_database.h"
#include "engine/isam/table_file_registry.h"
#include "engine/isam/text_format.h"
#include "engine/isam/workbook_database.h"

namespace veranth::engine::isam {

namespace {

class DbfKind : public DatabaseKind {
public:
    explicit DbfKind(std::shared_ptr<TableFileRegistry> registry) : registry_(std::move(registry)) {}
    bool handles(const QString& prefix) const override { return dbfFlavourOfPrefix(prefix).has_value(); }
    std::shared_ptr<Database> open(const std::shared_ptr<EngineContext>& context, const QString& name, bool, bool readOnly,
                                   const QString& connect) override {
        const auto flavour = dbfFlavourOfPrefix(connect.section(QLatin1Char(';'), 0, 0));
        return FolderDatabase::open(context, std::make_shared<DbfFormat>(*flavour), registry_, name, connect, readOnly);
    }

private:
    std::shared_ptr<TableFileRegistry> registry_;
};

class TextKind : public DatabaseKind {
public:
    explicit TextKind(std::shared_ptr<TableFileRegistry> registry) : registry_(std::move(registry)) {}
    bool handles(const QString& prefix) const override { return prefix.trimmed().compare(QLatin1String("Text"), Qt::CaseInsensitive) == 0; }
    std::shared_ptr<Database> open(const std::shared_ptr<EngineContext>& context, const QString& name, bool, bool readOnly,
                                   const QString& connect) override {
        return FolderDatabase::open(context, std::make_shared<TextFormat>(), registry_, name, connect, readOnly);
    }

private:
    std::shared_ptr<TableFileRegistry> registry_;
};

// "Excel 5.0;": a workbook file, .xls or .xlsx.
class WorkbookKind : public DatabaseKind {
public:
    bool handles(const QString& prefix) const override { return prefix.trimmed().compare(QLatin1String("Excel 5.0"), Qt::CaseInsensitive) == 0; }
    std::shared_ptr<Database> open(const std::shared_ptr<EngineContext>& context, const QString& name, bool, bool readOnly,
                                   const QString& connect) override {
        return WorkbookDatabase::open(context, name, connect, readOnly);
    }
};

// A kind the program can name but this build has no driver for.
class UnavailableKind : public DatabaseKind {
public:
    explicit UnavailableKind(QString prefix) : prefix_(std::move(prefix)) {}
    bool handles(const QString& prefix) const override { return prefix.trimmed().compare(prefix_, Qt::CaseInsensitive) == 0; }
    std::shared_ptr<Database> open(const std::shared_ptr<EngineContext>&, const QString&, bool, bool, const QString&) override {
        throw EngineError(err::kIsamNotFound, prefix_);
    }

private:
    QString prefix_;
};

}  // namespace

std::vector<std::shared_ptr<DatabaseKind>> builtInIsamKinds() {
    auto registry = std::make_shared<TableFileRegistry>();
    return {
        std::make_shared<DbfKind>(registry),
        std::make_shared<TextKind>(registry),
        std::make_shared<WorkbookKind>(),
        std::make_shared<UnavailableKind>(QStringLiteral("Btrieve")),
    };
}

}  // namespace veranth::engine::isam
