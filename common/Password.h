#pragma once
// Stored passwords are argon2id hashes. A row from before hashing still holds the plain text:
// it verifies once and the caller rewrites it as a hash.

#include <QString>

QString HashPassword(const QString& plain);

enum class PasswordCheck { Wrong, Right, RightButPlainText };
// A hash whose cost lies beyond what this program ever writes is refused at once, so a
// tampered row cannot stall the login.
PasswordCheck VerifyPassword(const QString& stored, const QString& plain);
bool IsPasswordHash(const QString& stored);
