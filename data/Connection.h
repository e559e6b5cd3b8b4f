#pragma once
// One open encrypted database file. Every engine error becomes an EDatabaseError with the
// engine's text. Statements are prepared once and kept, so a repeated lookup costs one step.

#include <QString>
#include <QVariant>
#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The key every database of the program is encrypted with.
inline constexpr const char* kDatabaseKey = "pelmok.zqa";

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    enum class Mode { OpenExisting, CreateNew };
    // Opens and keys the file; reads it once so a wrong key or a file that is no database
    // fails here, before anything is written to it.
    void Open(const QString& path, Mode mode = Mode::OpenExisting, const QByteArray& key = kDatabaseKey);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    const QString& Path() const { return m_path; }

    // Runs one or more statements without values and without results.
    void ExecScript(const QString& sql);
    // Runs one statement with bound values; returns the number of rows it changed.
    int Exec(const QString& sql, const QVariantList& values = {});
    // Runs one statement and returns the first column of the first row (null when none).
    QVariant Scalar(const QString& sql, const QVariantList& values = {});
    qint64 LastInsertId() const;

    // A prepared statement from the cache, reset and with the values bound.
    sqlite3_stmt* Prepare(const QString& sql, const QVariantList& values);
    // Steps a statement; true while it gives a row. Throws on an engine error.
    bool Step(sqlite3_stmt* statement);
    static QVariant ColumnValue(sqlite3_stmt* statement, int column);

    void Begin();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    [[noreturn]] void Fail() const;
    sqlite3* Handle() const { return m_db; }

private:
    void Configure();
    void ClearCache();

    sqlite3* m_db = nullptr;
    QString m_path;
    std::unordered_map<std::string, sqlite3_stmt*> m_cache;
};

// Rolls back unless committed: a failure halfway leaves the database as it was.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    void Commit();

private:
    Connection& m_connection;
    bool m_done = false;
};
