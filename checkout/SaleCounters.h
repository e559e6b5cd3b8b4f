#pragma once
// The sale number and the sale counter of the desk, kept in config.ini between runs. A number
// is never issued twice: the settled sales are asked before one is made, and the file is
// written again right after every settlement.

#include <QDate>
#include <QString>

#include "common/SaleNumber.h"

class Connection;

class SaleCounters {
public:
    explicit SaleCounters(QString configPath);

    // Reads config.ini (defaults when it or a key is missing); false after a read failure.
    bool Load();
    // Writes both values atomically; false (with ErrorString) when the file cannot be written.
    bool Save();
    QString ErrorString() const { return m_error; }

    const QString& Number() const { return m_number; }
    const QString& Counter() const { return m_counter; }

    // A counter that is no whole number, or a current number that a settled sale already
    // holds (a stale or restored config.ini), is set right from the settled sales. Returns the
    // message that explains what was changed, or the empty text when all was well.
    QString Repair(Connection& db, const QDate& today);
    // The number the open sale is settled under. A number made by Repair, before anyone had
    // logged in, or one without initials is made again with the settling operator's initials.
    QString SettlingNumber(Connection& db, const QString& operatorName, const QDate& today);
    // The number for the next sale: the counter goes up until the number is unused.
    void Advance(Connection& db, const QString& operatorName, const QDate& today);

private:
    qint64 HighestSettledCounter(Connection& db) const;

    QString m_path;
    QString m_error;
    QString m_number;
    QString m_counter;
    bool m_provisional = false;  // made by Repair without an operator
};
