#pragma once

#include <QString>

#include <memory>

namespace veranth::engine {
class Database;
}

namespace veranth::db {

class Session;

enum class CorvaneDatabase { Main, Local, Letters, Annuity, Ctp };

// The base name: the file name (without extension) in Access mode, the database name on SQL Server.
QString CorvaneBaseName(CorvaneDatabase which);

// The Access file, without extension: its folder value from the site profile (letters and CTP fall
// back to Main when their key is empty; annuity always uses Main) followed by the base name.
QString CorvaneAccessPath(CorvaneDatabase which);

// The SQL Server database name: main, letters and CTP carry "_" + DBExtension when it is set.
QString CorvaneServerDatabaseName(CorvaneDatabase which, const QString& dbExtension);

// The File > Open DataBase product items: an Access file through the general open routine, or on a
// SQL Server site the silent logon (the local database is always an Access file).
void OpenCorvaneDatabase(Session& session, CorvaneDatabase which);

// The registration batch written for this workstation and process when the main database is
// opened on SQL Server. Values are quoted with their apostrophes doubled, so a user name such as
// O'Brien registers instead of breaking the batch.
QString RegistrationBatch(const QString& host, qint64 processId, const QString& user, const QString& program);

// `OpenSiblingDatabase`: another Corvane database of the installation the current database
// belongs to. False (and nothing opened) when it cannot be found or opened.
bool OpenSiblingDatabase(Session& session, const QString& baseName, std::shared_ptr<engine::Database>& database, bool isAccessFile);

// The file a Compact MDB / Repair MDB item works on (index as the menu numbers them), empty for
// the Specify item.
QString CorvaneCompactPath(int index);
QString CorvaneRepairPath(int index);

}  // namespace veranth::db
