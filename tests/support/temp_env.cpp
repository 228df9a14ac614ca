#include "tests/support/temp_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace veranth::testing {

ScopedEnv::ScopedEnv(const char* name, const QString& value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
    qputenv(name, value.toUtf8());
}

ScopedEnv::~ScopedEnv() {
    if (old_) qputenv(name_.constData(), *old_);
    else qunsetenv(name_.constData());
}

TempDir::TempDir() { dir_.setAutoRemove(true); }

QString TempDir::Write(const QString& name, const QByteArray& bytes) const {
    const QString path = File(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

}  // namespace veranth::testing
