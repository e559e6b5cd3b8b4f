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
    m_sectionIndex.clear();
    m_error.clear();
    QFile file(m_path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        return false;
    }
    const QString text = DecodeText(file.readAll());
    Section* current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = &FindOrAdd(line.mid(1, line.size() - 2).trimmed().toString());
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals <= 0) continue;
        Put(*current, line.left(equals).trimmed().toString(), line.mid(equals + 1).trimmed().toString());
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
    const auto found = m_sectionIndex.constFind(section.toCaseFolded());
    return found == m_sectionIndex.cend() ? nullptr : &m_sections[*found];
}

const IniFile::Section* IniFile::Find(const QString& section) const {
    return const_cast<IniFile*>(this)->Find(section);
}

IniFile::Section& IniFile::FindOrAdd(const QString& section) {
    if (Section* found = Find(section)) return *found;
    m_sectionIndex.insert(section.toCaseFolded(), m_sections.size());
    m_sections.push_back({section, {}, {}});
    return m_sections.back();
}

void IniFile::Put(Section& section, const QString& key, const QString& value) {
    const QString folded = key.toCaseFolded();
    const auto found = section.index.constFind(folded);
    if (found != section.index.cend()) {
        section.entries[*found].second = value;
        return;
    }
    section.index.insert(folded, section.entries.size());
    section.entries.emplace_back(key, value);
}

QString IniFile::Value(const QString& section, const QString& key, const QString& fallback) const {
    const Section* s = Find(section);
    if (!s) return fallback;
    const auto found = s->index.constFind(key.toCaseFolded());
    return found == s->index.cend() ? fallback : s->entries[*found].second;
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    Put(FindOrAdd(section), key, value);
}
