#include "data/Connection.h"

#include <sqlcipher/sqlite3.h>

#include <QDate>
#include <QFileInfo>

#include "data/Errors.h"

namespace {

enum class DatePart : intptr_t { Year, Month, Day };

// year(), month() and day() over the stored yyyy-mm-dd text; null for anything else.
void DatePartOf(sqlite3_context* context, int, sqlite3_value** argv) {
    const auto part = DatePart(reinterpret_cast<intptr_t>(sqlite3_user_data(context)));
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QDate date = QDate::fromString(QString::fromUtf8(text, qMin<qsizetype>(10, strlen(text))),
                                         QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int(context, part == DatePart::Year    ? date.year()
                                : part == DatePart::Month ? date.month()
                                                          : date.day());
}

// The engine's text, or for a damaged page what the owner has to do about it.
QString EngineMessage(sqlite3* db, const char* text = nullptr) {
    const QString detail = QString::fromUtf8(text ? text : sqlite3_errmsg(db));
    return (sqlite3_errcode(db) & 0xff) == SQLITE_CORRUPT ? DamagedDatabaseMessage(detail) : detail;
}

}  // namespace

Connection::~Connection() { Close(); }

void Connection::Open(const QString& path, Mode mode, const QByteArray& key) {
    Close();
    const int flags = SQLITE_OPEN_READWRITE | (mode == Mode::CreateNew ? SQLITE_OPEN_CREATE : 0);
    if (mode == Mode::CreateNew && QFileInfo::exists(path))
        throw EDatabaseError(QStringLiteral("数据库文件已经存在：%1").arg(path));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw EDatabaseError(QStringLiteral("%1: %2").arg(message, path));
    }
    // Opened read-only (a write-protected file, a read-only folder or disk): no sale could be
    // stored, so refuse it here, before anything is read or written.
    if (sqlite3_db_readonly(db, "main") == 1) {
        sqlite3_close(db);
        throw EDatabaseError(
            QStringLiteral("数据库文件 %1 是只读的，程序无法在其中保存销售。请取消文件的只读属性，"
                           "或给当前用户写入该文件的权限。")
                .arg(path));
    }
    m_db = db;
    m_path = path;
    try {
        if (sqlite3_key(m_db, key.constData(), int(key.size())) != SQLITE_OK) Fail();
        // A wrong key only shows at the first read.
        const qint64 objects = Scalar(QStringLiteral("select count(*) from sqlite_master")).toLongLong();
        // An empty file reads as an empty database; it is not a shop database, and setting it up
        // for use would write to it.
        if (objects == 0 && mode == Mode::OpenExisting)
            throw EDatabaseError(QStringLiteral("文件不是有效的数据库（没有任何数据表）：%1").arg(path));
        Configure();
    } catch (...) {
        Close();
        throw;
    }
}

void Connection::Configure() {
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
    // A sale the screen shows as settled must survive a power cut.
    ExecScript(QStringLiteral("pragma journal_mode=wal; pragma synchronous=full; pragma foreign_keys=off;"));
    // The part travels as the function's user data, a number, not a pointer to shared state.
    for (auto [name, part] :
         {std::pair{"year", DatePart::Year}, {"month", DatePart::Month}, {"day", DatePart::Day}}) {
        if (sqlite3_create_function(m_db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                    reinterpret_cast<void*>(static_cast<intptr_t>(part)), DatePartOf, nullptr,
                                    nullptr) != SQLITE_OK)
            Fail();
    }
}

void Connection::ClearCache() {
    for (auto& [sql, statement] : m_cache) sqlite3_finalize(statement);
    m_cache.clear();
}

void Connection::Close() {
    if (!m_db) return;
    ClearCache();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Connection::Fail() const {
    throw EDatabaseError(m_db ? EngineMessage(m_db) : QStringLiteral("数据库没有打开"));
}

void Connection::ExecScript(const QString& sql) {
    if (!m_db) Fail();
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = EngineMessage(m_db, error);
        sqlite3_free(error);
        throw EDatabaseError(message);
    }
}

sqlite3_stmt* Connection::Prepare(const QString& sql, const QVariantList& values) {
    if (!m_db) Fail();
    const std::string key = sql.toStdString();
    sqlite3_stmt* statement = nullptr;
    if (auto it = m_cache.find(key); it != m_cache.end()) {
        statement = it->second;
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    } else {
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_db, key.c_str(), int(key.size()), &statement, &tail) != SQLITE_OK) Fail();
        if (!statement) throw EDatabaseError(QStringLiteral("空的 SQL 语句"));
        if (tail && *tail && QString::fromUtf8(tail).trimmed().size() > 0) {
            sqlite3_finalize(statement);
            throw EDatabaseError(QStringLiteral("一次只能执行一条 SQL 语句"));
        }
        if (m_cache.size() > 200) ClearCache();
        m_cache.emplace(key, statement);
    }
    const int count = sqlite3_bind_parameter_count(statement);
    if (count != values.size())
        throw EDatabaseError(
            QStringLiteral("SQL 参数个数不符：需要 %1 个，给了 %2 个").arg(count).arg(values.size()));
    for (int i = 0; i < count; ++i) {
        const QVariant& v = values[i];
        int rc = SQLITE_OK;
        if (v.isNull()) {
            rc = sqlite3_bind_null(statement, i + 1);
        } else {
            switch (v.typeId()) {
                case QMetaType::Int:
                case QMetaType::LongLong:
                case QMetaType::UInt:
                case QMetaType::Bool:
                    rc = sqlite3_bind_int64(statement, i + 1, v.toLongLong());
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    rc = sqlite3_bind_double(statement, i + 1, v.toDouble());
                    break;
                case QMetaType::QByteArray: {
                    const QByteArray bytes = v.toByteArray();
                    rc = sqlite3_bind_blob(statement, i + 1, bytes.constData(), int(bytes.size()),
                                           SQLITE_TRANSIENT);
                    break;
                }
                default: {
                    const QByteArray text = v.toString().toUtf8();
                    rc = sqlite3_bind_text(statement, i + 1, text.constData(), int(text.size()),
                                           SQLITE_TRANSIENT);
                }
            }
        }
        if (rc != SQLITE_OK) Fail();
    }
    return statement;
}

bool Connection::Step(sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(statement);
        return false;
    }
    const QString message = EngineMessage(m_db);
    sqlite3_reset(statement);
    throw EDatabaseError(message);
}

QVariant Connection::ColumnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            return QVariant(qint64(sqlite3_column_int64(statement, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(statement, column));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                       sqlite3_column_bytes(statement, column)));
        case SQLITE_NULL:
            return QVariant();
        default:
            return QVariant(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                                  sqlite3_column_bytes(statement, column)));
    }
}

int Connection::Exec(const QString& sql, const QVariantList& values) {
    sqlite3_stmt* statement = Prepare(sql, values);
    while (Step(statement)) {
    }
    return sqlite3_changes(m_db);
}

QVariant Connection::Scalar(const QString& sql, const QVariantList& values) {
    sqlite3_stmt* statement = Prepare(sql, values);
    QVariant result;
    if (Step(statement)) {
        result = ColumnValue(statement, 0);
        sqlite3_reset(statement);
    }
    return result;
}

qint64 Connection::LastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }

void Connection::Begin() { Exec(QStringLiteral("begin immediate")); }
void Connection::Commit() { Exec(QStringLiteral("commit")); }
void Connection::Rollback() {
    if (InTransaction()) Exec(QStringLiteral("rollback"));
}
bool Connection::InTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

Transaction::Transaction(Connection& connection) : m_connection(connection) { m_connection.Begin(); }

Transaction::~Transaction() {
    if (m_done) return;
    try {
        m_connection.Rollback();
    } catch (const EDatabaseError&) {
        // The engine rolls back by itself when the rollback statement cannot run.
    }
}

void Transaction::Commit() {
    m_connection.Commit();
    m_done = true;
}
