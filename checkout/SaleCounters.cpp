#include "checkout/SaleCounters.h"

#include <QRegularExpression>

#include "common/IniFile.h"
#include "common/Maker.h"
#include "data/ColumnNames.h"
#include "data/Connection.h"
#include "data/Query.h"

namespace {

const char* const kDefaultNumber = "CJG121122000002";
const char* const kDefaultCounter = "1";

QString NumberSection() { return QStringLiteral("官网 ") + QLatin1String(kMakerWebAddress); }
QString CounterSection() { return QStringLiteral("永久免费"); }

bool IsWholeNumber(const QString& text, qint64* value) {
    bool ok = false;
    *value = text.trimmed().toLongLong(&ok);
    return ok && *value >= 0;
}

bool IsSettled(Connection& db, const QString& number) {
    return db.Scalar(QStringLiteral("select count(*) from data3 where a=?"), {number.trimmed()})
               .toLongLong() > 0;
}

// The counter at the end of a settled sale number. Month and day are not padded, so the date
// digits are told apart with the sale's date; failing that, the last six digits count.
qint64 CounterOf(const QString& number, const QString& saleDate) {
    static const QRegularExpression digits(QStringLiteral("(\\d+)\\s*$"));
    const QString tail = digits.match(number).captured(1);
    const QDate date = QDate::fromString(saleDate.left(10), QStringLiteral("yyyy-MM-dd"));
    for (const QDate& day : {date, date.addDays(1)}) {
        if (!day.isValid()) continue;
        const QString piece = SaleNumberText(QString(), day, 0).chopped(7);
        if (tail.startsWith(piece) && tail.size() - piece.size() >= 6)
            return tail.mid(piece.size()).right(15).toLongLong();
    }
    return tail.right(6).toLongLong();
}

// The letters a sale number starts with: the operator's initials.
QString Prefix(const QString& number) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z!]*"));
    return letters.match(number.trimmed()).captured(0);
}

}  // namespace

SaleCounters::SaleCounters(QString configPath) : m_path(std::move(configPath)) {}

bool SaleCounters::Load() {
    m_provisional = false;
    IniFile ini(m_path);
    const bool read = ini.Load();
    m_error = ini.ErrorString();
    m_number = ini.Value(NumberSection(), QStringLiteral("number"), QLatin1String(kDefaultNumber));
    m_counter = ini.Value(CounterSection(), QStringLiteral("number0"), QLatin1String(kDefaultCounter));
    return read;
}

bool SaleCounters::Save() {
    IniFile ini(m_path);
    ini.Load();  // keep whatever else the file holds
    ini.SetValue(NumberSection(), QStringLiteral("number"), m_number);
    ini.SetValue(CounterSection(), QStringLiteral("number0"), m_counter);
    const bool saved = ini.Save();
    m_error = ini.ErrorString();
    return saved;
}

qint64 SaleCounters::HighestSettledCounter(Connection& db) const {
    // The counter never goes back, so the latest sales hold the highest one.
    Query recent(db, QStringLiteral("select a, day1 from data3 order by ID desc limit 1000"));
    recent.Open();
    qint64 highest = 0;
    for (recent.First(); !recent.Eof(); recent.Next())
        highest = qMax(highest, CounterOf(recent.FieldByName(PaymentCol::SaleNumber).AsString(),
                                          recent.FieldByName(PaymentCol::Date).AsString()));
    return highest;
}

QString SaleCounters::Repair(Connection& db, const QDate& today) {
    qint64 counter = 0;
    const bool whole = IsWholeNumber(m_counter, &counter);
    if (whole && !IsSettled(db, m_number)) return {};
    const QString oldNumber = m_number.trimmed();
    const QString oldCounter = m_counter;
    counter = qMax(whole ? counter : 0, HighestSettledCounter(db));
    QString number;
    // The operator is not known yet: the new number keeps the initials of the old one.
    do {
        ++counter;
        number = Prefix(oldNumber) + SaleNumberText(QString(), today, counter);
    } while (IsSettled(db, number));
    m_counter = QString::number(counter);
    m_number = number;
    m_provisional = true;
    return whole ? QStringLiteral("销售流水号 %1 已经用于一笔结账的销售，改用新的流水号 %2。")
                       .arg(oldNumber, number.trimmed())
                 : QStringLiteral("销售计数器“%1”不是整数，已按销售记录改为 %2，新的流水号为 %3。")
                       .arg(oldCounter, m_counter, number.trimmed());
}

QString SaleCounters::SettlingNumber(Connection& db, const QString& operatorName, const QDate& today) {
    qint64 counter = 0;
    if (!m_provisional && !Prefix(m_number).isEmpty()) return m_number;
    if (!IsWholeNumber(m_counter, &counter)) counter = HighestSettledCounter(db) + 1;
    QString number = SaleNumberText(operatorName, today, counter);
    while (IsSettled(db, number)) number = SaleNumberText(operatorName, today, ++counter);
    m_counter = QString::number(counter);
    m_number = number;
    m_provisional = false;
    return m_number;
}

void SaleCounters::Advance(Connection& db, const QString& operatorName, const QDate& today) {
    qint64 counter = 0;
    if (!IsWholeNumber(m_counter, &counter)) counter = HighestSettledCounter(db);
    QString number;
    do {
        ++counter;
        number = SaleNumberText(operatorName, today, counter);
    } while (IsSettled(db, number));
    m_counter = QString::number(counter);
    m_number = number;
    m_provisional = false;
}
