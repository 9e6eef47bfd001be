// Console accounts and the transaction helper that every multi-statement operation relies on.

#include <QtTest>

#include "datastore/CoreTables.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "support/DbProbe.h"
#include "support/TestEnv.h"

class TestDatastoreAccounts : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    OrvantaDBManager *m_db = nullptr;
    DatabaseManager *m_manager = nullptr;

    QList<VelkAccount> accounts()
    {
        QList<VelkAccount> list;
        m_db->queryAccount(list);
        return list;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_db = new OrvantaDBManager(m_env.home() + "/data/Quorvin", "accounts");
        m_manager = m_db->databaseManager();
        QCOMPARE(m_manager->openState(), DatabaseManager::Ready);
    }
    void cleanupTestCase() { delete m_db; }

    void seededAccountsReadBackWhole()
    {
        const QList<VelkAccount> list = accounts();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(0).password, QString("kelvo"));
        QVERIFY(list.at(0).isAdmin);
        QCOMPARE(list.at(1).password, QString("qeno"));
        QVERIFY(!list.at(1).isAdmin);
        QVERIFY(list.at(1).language.isEmpty() && list.at(1).sosUsername.isEmpty() && list.at(1).email.isEmpty());

        QList<VelkAccount> appended{VelkAccount()};
        QCOMPARE(m_db->queryAccount(appended), DB_OK);
        QCOMPARE(appended.size(), 3);
    }

    void createAccountRefusesATakenPasswordInAnyCase()
    {
        VelkAccount same;
        same.password = "KELVO";
        QCOMPARE(CoreTables::createAccount(m_manager->connection(), same), DB_ACCOUNT_PASSWORD_EXISTS);
        VelkAccount quoted;
        quoted.password = "pa\"ss' OR 1=1 --";
        quoted.email = "q@example.org";
        QCOMPARE(CoreTables::createAccount(m_manager->connection(), quoted), DB_OK);
        QCOMPARE(CoreTables::createAccount(m_manager->connection(), quoted), DB_ACCOUNT_PASSWORD_EXISTS);
        QCOMPARE(accounts().size(), 3);
        QCOMPARE(accounts().last().password, quoted.password);
        DbProbe probe(m_manager->databaseFilePath());
        QVERIFY(probe.exec("DELETE FROM Account WHERE aid = 3"));
    }

    void updateAccountWritesEveryColumnOfItsRowOnly()
    {
        VelkAccount admin = accounts().first();
        admin.email = "admin@example.org";
        admin.language = "zh_TW";
        admin.sosUsername = "guard";
        admin.sosPassword = "czNjcmV0";
        admin.password = "qeno"; // the other account's password is accepted on update
        QCOMPARE(m_db->updateAccount(admin), DB_OK);
        const QList<VelkAccount> list = accounts();
        QCOMPARE(list.at(0).email, QString("admin@example.org"));
        QCOMPARE(list.at(0).language, QString("zh_TW"));
        QCOMPARE(list.at(0).sosPassword, QString("czNjcmV0"));
        QCOMPARE(list.at(0).password, QString("qeno"));
        QVERIFY(list.at(0).isAdmin);
        QVERIFY(list.at(1).email.isEmpty());

        VelkAccount empty = admin;
        empty.password.clear();
        QCOMPARE(m_db->updateAccount(empty), DB_BAD_ARGUMENT);
        VelkAccount ghost = admin;
        ghost.aid = 999;
        QCOMPARE(m_db->updateAccount(ghost), DB_ROW_NOT_FOUND);
        QCOMPARE(accounts().size(), 2);

        admin.password = "kelvo";
        QCOMPARE(m_db->updateAccount(admin), DB_OK);
    }

    void nestedScopesUndoOnlyTheirOwnWork()
    {
        QSqlDatabase db = m_manager->connection();
        const QString table = "CREATE TABLE IF NOT EXISTS Scratch (v TEXT)";
        QSqlQuery(db).exec(table);
        {
            SqlTransaction outer(db, "outer");
            QVERIFY(outer.isActive());
            QVERIFY(!outer.isNested());
            QSqlQuery insert(db);
            QVERIFY(sqlExec(insert, "INSERT INTO Scratch (v) VALUES (?)", {"outer"}));
            {
                SqlTransaction inner(db, "inner");
                QVERIFY(inner.isNested());
                QSqlQuery q(db);
                QVERIFY(sqlExec(q, "INSERT INTO Scratch (v) VALUES (?)", {"inner"}));
                QVERIFY(!sqlExec(q, "INSERT INTO NoSuchTable (v) VALUES (?)", {"x"}));
            } // rolled back: not committed
            {
                SqlTransaction kept(db, "kept");
                QSqlQuery q(db);
                QVERIFY(sqlExec(q, "INSERT INTO Scratch (v) VALUES (?)", {"kept"}));
                q.finish();
                QVERIFY(kept.commit());
            }
            insert.finish();
            QVERIFY(outer.commit());
        }
        QCOMPARE(SqlTransaction::depth(db.connectionName()), 0);
        DbProbe probe(m_manager->databaseFilePath());
        QCOMPARE(probe.column("SELECT v FROM Scratch ORDER BY rowid"), QStringList({"outer", "kept"}));

        {
            SqlTransaction dropped(db, "dropped");
            QSqlQuery q(db);
            QVERIFY(sqlExec(q, "INSERT INTO Scratch (v) VALUES (?)", {"dropped"}));
        }
        QCOMPARE(probe.count("Scratch"), 2);
        QSqlQuery(db).exec("DROP TABLE Scratch");
    }

    // Layers above the data store group its operations through the interface's scope. It must act on this
    // store's own connection (here a named one, not Qt's default), or nothing would be undone.
    void interfaceScopeUndoesTheOperationsOfItsCaller()
    {
        OrvantaDBIntf *db = m_db;
        QVERIFY(!DbTransaction().isActive());
        VelkGroups dropped;
        dropped.groupName = "Dropped";
        {
            DbTransaction scope = db->transaction("test");
            QVERIFY(scope.isActive());
            QCOMPARE(db->createGroups(dropped), DB_OK);
            DbTransaction inner = db->transaction("test inner");
            VelkGroups nested;
            nested.groupName = "Nested";
            QCOMPARE(db->createGroups(nested), DB_OK);
            QVERIFY(inner.commit());
        }
        QList<VelkGroups> groups;
        QCOMPARE(db->queryAllGroup(groups), DB_OK);
        QVERIFY(groups.isEmpty());

        {
            DbTransaction scope = db->transaction("test");
            QCOMPARE(db->createGroups(dropped), DB_OK);
            QVERIFY(scope.commit());
            QVERIFY(!scope.commit());
        }
        QCOMPARE(db->queryAllGroup(groups), DB_OK);
        QCOMPARE(groups.size(), 1);
        QCOMPARE(db->deleteGroups(dropped), DB_OK);
        QCOMPARE(SqlTransaction::depth(m_manager->connectionName()), 0);
    }
};

QTEST_GUILESS_MAIN(TestDatastoreAccounts)
#include "tst_DatastoreAccounts.moc"
