#pragma once
// The checks and changes on table userdb that the login and the two user windows share.

#include <QString>

#include "data/Schema.h"  // kDefaultPassword

class Connection;

// How many rows carry this name and this password. A login needs exactly one. A row that
// matched while it still held the password as plain text is rewritten as a hash.
int MatchingUsers(Connection& db, const QString& name, const QString& password);
// Whether a row carries this name (Latin letter case ignored, as the login ignores it).
bool UserExists(Connection& db, const QString& name);
// Stores a fresh hash of the password for every row of that name; the number of rows changed.
int SetPassword(Connection& db, const QString& name, const QString& password);
