// UPDATE and DELETE over joins, as users type them in the SQL window: the rows of one table
// change, chosen and valued through the others, and the field rules still hold.
#include <gtest/gtest.h>

#include "engine/conversions.h"
#include "engine/dbengine.h"
#include "engine/errors.h"

#include <QTemporaryDir>

namespace veranth::engine {
namespace {

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.number();
    }
    return 0;
}

class JoinedWrites : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    // A new file with the same rows, for each case of a table.
    void Fresh() {
        const QString path = dir.filePath(QStringLiteral("joins.mdb"));
        if (db) db->close();
        QFile::remove(path);
        db = engine.createDatabase(path);
        for (const char* statement : {
                 "CREATE TABLE Clients (ClientRef LONG, Name TEXT(30) NOT NULL, Status TEXT(10))",
                 "CREATE TABLE Policies (PolicyRef LONG, ClientRef LONG, Premium CURRENCY)",
                 "INSERT INTO Clients VALUES (1, 'Adams', 'Live')",
                 "INSERT INTO Clients VALUES (2, 'Brown', 'Gone')",
                 "INSERT INTO Clients VALUES (3, 'Clark', 'Live')",
                 "INSERT INTO Policies VALUES (10, 1, 100.10)",
                 "INSERT INTO Policies VALUES (11, 2, 50)",
                 "INSERT INTO Policies VALUES (12, 2, 20)",
                 "INSERT INTO Policies VALUES (13, 9, 7)",
             })
            db->execute(QString::fromLatin1(statement));
    }
    QString column(const QString& statement) {
        QStringList out;
        for (auto rs = db->openRecordset(statement, RecordsetType::Snapshot); !rs->eof(); rs->moveNext())
            out << toText(rs->field(0)->value());
        return out.join(QLatin1Char(','));
    }

    QTemporaryDir dir;
    DBEngine engine;
    std::shared_ptr<Database> db;
};

TEST_F(JoinedWrites, UpdateChangesTheAssignedTableThroughTheJoin) {
    struct Case {
        const char* statement;
        int affected;
        const char* check;
        const char* expected;
    } cases[] = {
        {"UPDATE Policies AS p INNER JOIN Clients AS c ON c.ClientRef = p.ClientRef SET p.Premium = p.Premium * 2 "
         "WHERE c.Status = 'Live'",
         1, "SELECT Premium FROM Policies ORDER BY PolicyRef", "200.2,50,20,7"},
        // Every client keeps its row through a LEFT JOIN; those with no plan are marked.
        {"UPDATE Clients LEFT JOIN Policies ON Policies.ClientRef = Clients.ClientRef "
         "SET Clients.Status = 'None' WHERE Policies.PolicyRef Is Null",
         1, "SELECT Status FROM Clients ORDER BY ClientRef", "Live,Gone,None"},
        // An unqualified field belongs to the one table that has it; values come from the other side.
        {"UPDATE Policies INNER JOIN Clients ON Clients.ClientRef = Policies.ClientRef SET Name = Name & '-' & Policies.PolicyRef "
         "WHERE Policies.PolicyRef = 10",
         1, "SELECT Name FROM Clients ORDER BY ClientRef", "Adams-10,Brown,Clark"},
    };
    for (const Case& c : cases) {
        Fresh();
        db->execute(QString::fromLatin1(c.statement));
        EXPECT_EQ(db->recordsAffected(), c.affected) << c.statement;
        EXPECT_EQ(column(QString::fromLatin1(c.check)), QString::fromLatin1(c.expected)) << c.statement;
    }
}

TEST_F(JoinedWrites, DeleteRemovesTheNamedTablesRowsOnly) {
    db->execute(QStringLiteral("DELETE p.* FROM Policies AS p INNER JOIN Clients AS c ON c.ClientRef = p.ClientRef WHERE c.Status = 'Gone'"));
    EXPECT_EQ(db->recordsAffected(), 2);
    EXPECT_EQ(column(QStringLiteral("SELECT PolicyRef FROM Policies ORDER BY PolicyRef")), QStringLiteral("10,13"));
    EXPECT_EQ(column(QStringLiteral("SELECT ClientRef FROM Clients ORDER BY ClientRef")), QStringLiteral("1,2,3"));
    db->execute(QStringLiteral("DELETE Clients.* FROM Clients, Policies WHERE Policies.ClientRef = Clients.ClientRef"));
    EXPECT_EQ(column(QStringLiteral("SELECT ClientRef FROM Clients ORDER BY ClientRef")), QStringLiteral("2,3"));
}

TEST_F(JoinedWrites, RefusedWritesChangeNothing) {
    struct Case {
        const char* statement;
        int number;
    } cases[] = {
        {"UPDATE Policies INNER JOIN Clients ON Clients.ClientRef = Policies.ClientRef SET Policies.Premium = 0, Clients.Status = 'x'",
         err::kNotSupported},
        {"DELETE * FROM Policies, Clients WHERE Policies.ClientRef = Clients.ClientRef", 3128},
        {"UPDATE Policies INNER JOIN Clients ON Clients.ClientRef = Policies.ClientRef SET Clients.Name = Null", err::kRequiredIsNull},
        {"UPDATE Policies INNER JOIN Clients ON Clients.ClientRef = Policies.ClientRef SET Policies.Nothing = 1", err::kItemNotFound},
    };
    const QString before = column(QStringLiteral("SELECT Name & Status FROM Clients ORDER BY ClientRef")) +
                           column(QStringLiteral("SELECT Premium FROM Policies ORDER BY PolicyRef"));
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { db->execute(QString::fromLatin1(c.statement)); }), c.number) << c.statement;
    EXPECT_EQ(column(QStringLiteral("SELECT Name & Status FROM Clients ORDER BY ClientRef")) +
                  column(QStringLiteral("SELECT Premium FROM Policies ORDER BY PolicyRef")),
              before);
}

}  // namespace
}  // namespace veranth::engine
