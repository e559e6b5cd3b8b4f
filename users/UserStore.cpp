#include "users/UserStore.h"

#include <QList>

#include "common/Password.h"
#include "common/Sql.h"
#include "data/Query.h"

int MatchingUsers(Query& query, const QString& name, const QString& password) {
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
        RunCommand(query, QStringLiteral("update userdb set passwd=? where rowid=?"),
                   {HashPassword(password), row});
    return matches;
}

bool UserExists(Query& query, const QString& name) {
    RunQuery(query, QStringLiteral("select count(*) as n from userdb where username=?"), {name});
    return query.FieldByName(QStringLiteral("n")).AsInteger() > 0;
}

int SetPassword(Query& query, const QString& name, const QString& password) {
    return RunCommand(query, QStringLiteral("update userdb set passwd=? where username=?"),
                      {HashPassword(password), name});
}
