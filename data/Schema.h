#pragma once
// The tables of the shop database. Text compares without Latin case; dates are stored as
// yyyy-mm-dd text so that like and range comparisons work on them.

#include <QString>

class Connection;

inline constexpr int kSchemaVersion = 2;
inline constexpr const char* kSuperAdmin = "超级管理员";
// The password a new database gives the super administrator, new users get, and a reset sets.
inline constexpr const char* kDefaultPassword = "847";

// Creates every table and index in an empty, open database.
void CreateSchema(Connection& connection);
// True when the open database is of an older schema version than this program's.
bool SchemaNeedsUpgrade(Connection& connection);
// Brings an older database to this version in one transaction (it may take a while on years
// of sales: it indexes the sold lines by category).
void UpgradeSchema(Connection& connection);
// Makes a new encrypted database file holding the schema and the super administrator, whose
// stored password is given already hashed. Refuses to overwrite an existing file.
void CreateDatabase(const QString& path, const QString& adminStoredPassword);
// The names of the six tables, in the order they are created.
const char* const* TableNames();
