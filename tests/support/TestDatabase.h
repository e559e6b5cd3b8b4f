#pragma once
// A fresh encrypted shop database in a temporary folder, opened through the data module.

#include <QTemporaryDir>
#include <memory>

#include "data/dm.h"

class TestDatabase {
public:
    TestDatabase();  // creates data.mdb with the schema and the super administrator
    QString Path() const { return m_dir.filePath(QStringLiteral("data.mdb")); }
    QString Folder() const { return m_dir.path(); }
    Tdmfm& dm() { return *m_dm; }
    Connection& db() { return m_dm->ADOConnection1; }

    // Count of rows, for reading the database back in checks.
    qint64 Count(const QString& table, const QString& where = {}, const QVariantList& values = {});

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Tdmfm> m_dm;
};

// A known password hash for fixtures; hashing at full cost for every fixture is slow.
QString FixtureAdminPassword();
