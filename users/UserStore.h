#pragma once
// The checks and changes on table userdb that the login and the two user windows share.

#include <QString>

#include "data/Schema.h"  // kDefaultPassword

class Query;

// How many rows carry this name and this password. A login needs exactly one. A row that
// matched while it still held the password as plain text is rewritten as a hash.
int MatchingUsers(Query& query, const QString& name, const QString& password);
// Whether a row carries this name (Latin letter case ignored, as the login ignores it).
bool UserExists(Query& query, const QString& name);
// Stores a fresh hash of the password for every row of that name; the number of rows changed.
int SetPassword(Query& query, const QString& name, const QString& password);
