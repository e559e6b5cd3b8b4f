#pragma once
// The two kinds of error a user sees as a message box: the engine's own text, or a failed
// text-to-number conversion. TApplication's handler shows them and ends the operation.

#include <QString>
#include <stdexcept>

class EPosError : public std::runtime_error {
public:
    explicit EPosError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

class EDatabaseError : public EPosError {
public:
    using EPosError::EPosError;
};

class EConvertError : public EPosError {
public:
    using EPosError::EPosError;
};

// What a user reads when the engine meets a damaged page: what to do, then the engine's detail.
inline QString DamagedDatabaseMessage(const QString& detail) {
    return QStringLiteral("数据库文件已损坏：%1\n请立即从备份恢复！").arg(detail);
}
