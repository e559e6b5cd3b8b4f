#pragma once
// A small INI file reader and writer. Section names are kept literally (Chinese, blanks,
// dots, slashes), unlike QSettings. Writing replaces the file atomically, as UTF-8; a file
// from an older version written in GBK is read too.

#include <QHash>
#include <QString>
#include <utility>
#include <vector>

class IniFile {
public:
    explicit IniFile(QString path);

    const QString& Path() const { return m_path; }
    // Reads the file; a missing file is an empty one. False when it exists but cannot be read.
    bool Load();
    // Writes every section atomically; false (with ErrorString) when it cannot.
    bool Save();
    QString ErrorString() const { return m_error; }

    QString Value(const QString& section, const QString& key, const QString& fallback = {}) const;
    void SetValue(const QString& section, const QString& key, const QString& value);

private:
    // Names compare without Latin case; the indexes keep reading and writing proportional to
    // the file's size however many keys it holds.
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> entries;
        QHash<QString, size_t> index;  // folded key -> entry
    };
    Section* Find(const QString& section);
    const Section* Find(const QString& section) const;
    Section& FindOrAdd(const QString& section);
    static void Put(Section& section, const QString& key, const QString& value);

    QString m_path;
    QString m_error;
    std::vector<Section> m_sections;
    QHash<QString, size_t> m_sectionIndex;  // folded name -> section
};
