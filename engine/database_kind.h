#pragma once

#include <QString>

#include <memory>

namespace veranth::engine {

class Database;
struct EngineContext;

// One kind of database (native files, ISAM folders, ODBC sources), chosen by the prefix of
// the connect string: "" for native files, "dBase IV", "Text", "ODBC", ... Kinds are
// registered on the DBEngine; the native kind is always there.
class DatabaseKind {
public:
    virtual ~DatabaseKind() = default;
    // Whether this kind opens databases with this prefix (compared without regard to case).
    virtual bool handles(const QString& connectPrefix) const = 0;
    virtual std::shared_ptr<Database> open(const std::shared_ptr<EngineContext>& context, const QString& name,
                                           bool exclusive, bool readOnly, const QString& connect) = 0;
};

}  // namespace veranth::engine
