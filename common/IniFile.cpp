#include "common/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

namespace {

QString DecodeText(const QByteArray& bytes) {
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (!utf8.hasError()) return text;
    QStringDecoder gbk("GBK");
    if (gbk.isValid()) return gbk(body);
    return QString::fromLocal8Bit(body);
}

}  // namespace

bool IniFile::Load() {
    m_sections.clear();
    m_error.clear();
    QFile file(m_path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        return false;
    }
    const QString text = DecodeText(file.readAll());
    Section* current = nullptr;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2).trimmed();
            current = Find(name);
            if (!current) {
                m_sections.push_back({name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals <= 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        bool replaced = false;
        for (auto& [k, v] : current->entries)
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                v = value;
                replaced = true;
            }
        if (!replaced) current->entries.emplace_back(key, value);
    }
    return true;
}

bool IniFile::Save() {
    QString text;
    for (const Section& section : m_sections) {
        text += u'[' + section.name + QStringLiteral("]\n");
        for (const auto& [key, value] : section.entries) text += key + u'=' + value + u'\n';
        text += u'\n';
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}

IniFile::Section* IniFile::Find(const QString& section) {
    for (Section& s : m_sections)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

const IniFile::Section* IniFile::Find(const QString& section) const {
    return const_cast<IniFile*>(this)->Find(section);
}

QString IniFile::Value(const QString& section, const QString& key, const QString& fallback) const {
    if (const Section* s = Find(section))
        for (const auto& [k, v] : s->entries)
            if (k.compare(key, Qt::CaseInsensitive) == 0) return v;
    return fallback;
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    Section* s = Find(section);
    if (!s) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    for (auto& [k, v] : s->entries)
        if (k.compare(key, Qt::CaseInsensitive) == 0) {
            v = value;
            return;
        }
    s->entries.emplace_back(key, value);
}
