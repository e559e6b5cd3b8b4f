#pragma once
// The same statements through the plain SQLCipher C API, to show what the program adds.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <map>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class RawEngine {
public:
    explicit RawEngine(const QString& path);
    ~RawEngine();
    // Steps the statement to its end, reading every column of every row; returns the rows.
    int Run(const char* sql, const QVariantList& values = {});

private:
    sqlite3_stmt* Statement(const char* sql);
    sqlite3* m_db = nullptr;
    std::map<std::string, sqlite3_stmt*> m_statements;
};
