#include "tests/support/TestDatabase.h"

#include "common/Password.h"
#include "data/Schema.h"

QString FixtureAdminPassword() {
    static const QString hash = HashPassword(QStringLiteral("847"));
    return hash;
}

TestDatabase::TestDatabase() : m_dm(std::make_unique<Tdmfm>()) {
    CreateDatabase(Path(), FixtureAdminPassword());
    m_dm->Open(Path());
}

qint64 TestDatabase::Count(const QString& table, const QString& where, const QVariantList& values) {
    QString sql = QStringLiteral("select count(*) from \"%1\"").arg(table);
    if (!where.isEmpty()) sql += QStringLiteral(" where ") + where;
    return db().Scalar(sql, values).toLongLong();
}
