#pragma once
// A small INI file reader and writer. Section names are kept literally (Chinese, blanks,
// dots, slashes), unlike QSettings. Writing replaces the file atomically, as UTF-8; a file
// from an older version written in GBK is read too.

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
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> entries;
    };
    Section* Find(const QString& section);
    const Section* Find(const QString& section) const;

    QString m_path;
    QString m_error;
    std::vector<Section> m_sections;
};
