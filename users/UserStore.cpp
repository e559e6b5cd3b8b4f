#include "users/UserStore.h"

#include <QList>

#include "common/Password.h"
#include "common/Sql.h"
#include "data/Connection.h"
#include "data/Query.h"

int MatchingUsers(Connection& db, const QString& name, const QString& password) {
    Query query(db);
    RunQuery(query, QStringLiteral("select rowid as rid, passwd from userdb where username=?"), {name});
    int matches = 0;
    QList<qint64> plainText;
    for (query.First(); !query.Eof(); query.Next()) {
        const PasswordCheck check =
            VerifyPassword(query.FieldByName(QStringLiteral("passwd")).AsString(), password);
        if (check == PasswordCheck::Wrong) continue;
        ++matches;
        if (check == PasswordCheck::RightButPlainText)
            plainText << query.FieldByName(QStringLiteral("rid")).AsInteger();
    }
    for (const qint64 row : plainText)
        db.Exec(QStringLiteral("update userdb set passwd=? where rowid=?"), {HashPassword(password), row});
    return matches;
}

bool UserExists(Connection& db, const QString& name) {
    return db.Scalar(QStringLiteral("select count(*) from userdb where username=?"), {name}).toInt() > 0;
}

int SetPassword(Connection& db, const QString& name, const QString& password) {
    return db.Exec(QStringLiteral("update userdb set passwd=? where username=?"),
                   {HashPassword(password), name});
}
