#include "bench/RawEngine.h"

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <stdexcept>

#include "data/Connection.h"

RawEngine::RawEngine(const QString& path) {
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("raw open failed");
    sqlite3_key(m_db, kDatabaseKey, int(strlen(kDatabaseKey)));
    sqlite3_exec(m_db, "pragma journal_mode=wal; pragma synchronous=full;", nullptr, nullptr, nullptr);
}

RawEngine::~RawEngine() {
    for (auto& [sql, statement] : m_statements) sqlite3_finalize(statement);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt* RawEngine::Statement(const char* sql) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) {
        sqlite3_reset(it->second);
        return it->second;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    m_statements.emplace(sql, statement);
    return statement;
}

int RawEngine::Run(const char* sql, const QVariantList& values) {
    sqlite3_stmt* s = Statement(sql);
    std::vector<QByteArray> texts;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(s, i + 1, v.toDouble());
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(s, i + 1, v.toLongLong());
        } else {
            texts.push_back(v.toString().toUtf8());
            sqlite3_bind_text(s, i + 1, texts.back().constData(), int(texts.back().size()), SQLITE_TRANSIENT);
        }
    }
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            if (sqlite3_column_type(s, c) == SQLITE_TEXT)
                sqlite3_column_text(s, c);
            else
                sqlite3_column_double(s, c);
        }
    }
    if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(m_db));
    sqlite3_reset(s);
    return rows;
}
