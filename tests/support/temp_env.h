#pragma once

#include "tests/support/qt_printers.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace veranth::testing {

// Sets an environment variable for the life of the object and puts the old value back after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray name_;
    std::optional<QByteArray> old_;
};

// A private temporary folder; the path is stable for the object's life.
class TempDir {
public:
    TempDir();
    QString Path() const { return dir_.path(); }
    // A path inside it (not created).
    QString File(const QString& name) const { return dir_.filePath(name); }
    // Writes bytes to a file inside it and returns its path.
    QString Write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
};

}  // namespace veranth::testing
