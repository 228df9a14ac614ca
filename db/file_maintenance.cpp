#include "db/file_maintenance.h"

#include "db/connection.h"
#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace veranth::db {
namespace {

using platform::FileDialogFlags::HideReadOnly;
using platform::FileDialogFlags::OverwritePrompt;
using platform::FileDialogRequest;

const QString kMdbFilter = QStringLiteral("Microsoft Access MDBs (*.mdb)|*.mdb");

// Runs a maintenance command: the dialog's cancel ends it quietly, anything else is shown.
template <class F>
void Maintenance(Session& session, F&& body) {
    try {
        body();
    } catch (const engine::EngineError& e) {
        session.Status().SetBusy(false);
        if (e.number() == program_error::kDialogCancelled) ShowStatus(session, QString());
        else ShowError(session, e);
    } catch (const std::exception& e) {
        session.Status().SetBusy(false);
        ShowError(session, e);
    }
}

// An empty name means the dialog was cancelled.
QString Choose(Session& session, FileDialogRequest::Mode mode, const QString& title, const QString& filter, int flags) {
    FileDialogRequest request;
    request.mode = mode;
    request.title = title;
    request.filter = filter;
    request.flags = flags;
    const platform::FileDialogResult chosen = session.Prompter().FileDialog(request);
    return chosen.accepted ? chosen.fileName : QString();
}

[[noreturn]] void FileError(int number, const QString& what) { throw engine::EngineError::withDescription(number, what); }

}  // namespace

QString CompactTemporaryName(const QString& source) { return source.left(source.size() - 1) + QLatin1Char('N'); }

void CompactMdb(Session& session, int version, const QString& path) {
    Maintenance(session, [&] {
        QString source = path, destination = path;
        if (path.isEmpty()) {
            source = Choose(session, FileDialogRequest::Mode::Open, QStringLiteral("Select Microsoft Access Database to Compact"), kMdbFilter,
                            HideReadOnly);
            if (source.isEmpty()) return;
            destination = Choose(session, FileDialogRequest::Mode::Save, QStringLiteral("Select Microsoft Access Database to Compact to"),
                                 kMdbFilter, OverwritePrompt | HideReadOnly);
            if (destination.isEmpty()) return;
            if (QFileInfo::exists(destination) && QFileInfo(destination) != QFileInfo(source) && !QFile::remove(destination))
                FileError(program_error::kPathFileAccess, QStringLiteral("%1 could not be replaced.").arg(destination));
        }
        session.Status().SetBusy(true);
        ShowStatus(session, QStringLiteral("Compacting ") + source + QStringLiteral(" -> ") + destination, true);
        const bool inPlace = QFileInfo(destination) == QFileInfo(source) || destination == source;
        const QString target = inPlace ? CompactTemporaryName(source) : destination;
        // A temporary file left by an earlier failed run is stale by now.
        if (inPlace && QFileInfo::exists(target) && !QFile::remove(target))
            FileError(program_error::kPathFileAccess, QStringLiteral("%1 could not be removed.").arg(target));
        session.Engine().compactDatabase(source, target, QLatin1String(kGeneralLocale), version);
        if (inPlace && std::rename(QFile::encodeName(target).constData(), QFile::encodeName(source).constData()) != 0) {
            // The source is still whole; the compacted copy stays beside it for the user to look at.
            FileError(program_error::kPathFileAccess, QStringLiteral("The compacted copy %1 could not replace %2.").arg(target, source));
        }
        ShowStatus(session, QString());
        session.Status().SetBusy(false);
    });
}

void RepairMdb(Session& session, const QString& path) {
    Maintenance(session, [&] {
        QString file = path;
        if (file.isEmpty()) {
            file = Choose(session, FileDialogRequest::Mode::Open, QStringLiteral("Open Microsoft Access Database to Repair"),
                          kMdbFilter + QStringLiteral("|All Files (*.*)|*.*"), HideReadOnly);
            if (file.isEmpty()) return;
        }
        session.Status().SetBusy(true);
        ShowStatus(session, QStringLiteral("Repairing ") + file, true);
        session.Engine().repairDatabase(file);
        session.Status().SetBusy(false);
        ShowStatus(session, QString());
    });
}

void CreateMdb(Session& session, int version) {
    Maintenance(session, [&] {
        QString name = Choose(session, FileDialogRequest::Mode::Save, QStringLiteral("Select Microsoft Access Database to Create"), kMdbFilter,
                              OverwritePrompt | HideReadOnly);
        if (name.isEmpty()) return;
        if (!QFileInfo(name).fileName().contains(QLatin1Char('.'))) name += QStringLiteral(".MDB");
        if (QFileInfo::exists(name) && !QFile::remove(name))
            FileError(program_error::kPathFileAccess, QStringLiteral("%1 could not be replaced.").arg(name));
        session.Engine().createDatabase(name, QLatin1String(kGeneralLocale), version)->close();
        session.connection.dataType = QLatin1String(kAccessDataType);
        session.connection.databaseName = name;
        OpenDatabaseByType(session, true);
    });
}

}  // namespace veranth::db
