#include "catalogue/ImportXlsx.h"

#include <unzip.h>

#include <QDir>
#include <QIODevice>
#include <QXmlStreamReader>
#include <map>

#include "data/Numbers.h"

namespace {

// A failure that ends the reading, with the reason the user sees.
struct ReadFailure {
    QString reason;
    bool cancelled = false;
};

class ZipFile {
public:
    explicit ZipFile(const QString& path) : m_zip(unzOpen64(QFile::encodeName(path).constData())) {}
    ~ZipFile() {
        if (m_zip) unzClose(m_zip);
    }
    ZipFile(const ZipFile&) = delete;
    ZipFile& operator=(const ZipFile&) = delete;
    unzFile Handle() const { return m_zip; }

private:
    unzFile m_zip;
};

// One entry of the zip as a sequential device, counting what it unpacks against the budget of
// the whole workbook; past the budget it fails instead of reading on.
class ZipEntry : public QIODevice {
public:
    ZipEntry(unzFile zip, const QString& name, qint64* budget) : m_zip(zip), m_name(name), m_budget(budget) {
        if (unzLocateFile(zip, name.toUtf8().constData(), 2) != UNZ_OK) return;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return;
        m_size = qint64(info.uncompressed_size);
        if (m_size > *m_budget) {
            m_tooBig = true;
            return;
        }
        if (unzOpenCurrentFile(zip) != UNZ_OK) return;
        m_open = true;
        open(QIODevice::ReadOnly);
    }
    ~ZipEntry() override {
        if (m_open) unzCloseCurrentFile(m_zip);
    }
    bool Found() const { return m_open || m_tooBig; }
    bool TooBig() const { return m_tooBig; }
    bool Broken() const { return m_broken; }
    qint64 Size() const { return m_size; }
    qint64 Unpacked() const { return m_read; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (!m_open || m_tooBig) return -1;
        const int n = unzReadCurrentFile(m_zip, data, unsigned(qMin<qint64>(maxSize, 1 << 20)));
        if (n < 0) {
            m_broken = true;
            return -1;
        }
        m_read += n;
        *m_budget -= n;
        // The stated size may lie; what counts is what actually comes out.
        if (*m_budget < 0) {
            m_tooBig = true;
            return -1;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    QString m_name;
    qint64* m_budget;
    qint64 m_size = 0;
    qint64 m_read = 0;
    bool m_open = false;
    bool m_tooBig = false;
    bool m_broken = false;
};

class XlsxReader {
public:
    XlsxReader(const QString& path, const SheetProgress& progress, qint64 budget)
        : m_zip(path), m_progress(progress), m_budget(budget) {}

    SheetRead Read() {
        SheetRead result;
        try {
            if (!m_zip.Handle())
                throw ReadFailure{QStringLiteral("文件不是有效的 xlsx 工作簿（无法按 zip 格式打开）")};
            const QString workbook = OfficeDocument();
            const std::map<QString, Relationship> parts = Relationships(workbook);
            const QString sheet = SheetPart(workbook, parts);
            for (const auto& [id, part] : parts)
                if (part.type.endsWith(QLatin1String("/sharedStrings"))) ReadSharedStrings(part.target);
            ReadSheet(sheet, &result);
        } catch (const ReadFailure& failure) {
            result.rows.clear();
            result.error = failure.reason;
            result.cancelled = failure.cancelled;
        }
        return result;
    }

private:
    struct Relationship {
        QString type;
        QString target;  // the part's name inside the zip
    };

    // Runs `parse` over an entry of the zip, turning every way it can go wrong into a reason.
    template <class Parse>
    void ParsePart(const QString& name, Parse&& parse) {
        ZipEntry entry(m_zip.Handle(), name, &m_budget);
        const auto tooBig = [this] {
            return ReadFailure{QStringLiteral("工作簿解压后超过 %1 MB，不予导入")
                                   .arg(double(m_limit) / (1 << 20), 0, 'g', 3)};
        };
        if (entry.TooBig()) throw tooBig();
        if (!entry.Found()) throw ReadFailure{QStringLiteral("工作簿缺少 %1，文件可能已损坏").arg(name)};
        QXmlStreamReader xml(&entry);
        parse(xml, entry);
        if (entry.TooBig()) throw tooBig();
        if (entry.Broken())
            throw ReadFailure{QStringLiteral("工作簿的 %1 无法解压，文件可能已损坏").arg(name)};
        if (xml.hasError())
            throw ReadFailure{QStringLiteral("工作簿的 %1 不是有效的 XML（第 %2 行：%3）")
                                  .arg(name)
                                  .arg(xml.lineNumber())
                                  .arg(xml.errorString())};
    }

    static QString Resolve(const QString& fromPart, const QString& target) {
        if (target.startsWith(u'/')) return target.mid(1);
        const qsizetype slash = fromPart.lastIndexOf(u'/');
        const QString folder = slash < 0 ? QString() : fromPart.left(slash + 1);
        return QDir::cleanPath(folder + target);
    }

    static QString RelationshipsOf(const QString& part) {
        const qsizetype slash = part.lastIndexOf(u'/');
        return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
               QStringLiteral(".rels");
    }

    std::map<QString, Relationship> Relationships(const QString& part) {
        std::map<QString, Relationship> relationships;
        ParsePart(RelationshipsOf(part), [&](QXmlStreamReader& xml, ZipEntry&) {
            while (!xml.atEnd()) {
                xml.readNext();
                if (!xml.isStartElement() || xml.name() != QLatin1String("Relationship")) continue;
                const QXmlStreamAttributes a = xml.attributes();
                relationships[a.value(QLatin1String("Id")).toString()] = {
                    a.value(QLatin1String("Type")).toString(),
                    Resolve(part, a.value(QLatin1String("Target")).toString())};
            }
        });
        return relationships;
    }

    QString OfficeDocument() {
        for (const auto& [id, r] : Relationships(QString()))
            if (r.type.endsWith(QLatin1String("/officeDocument"))) return r.target;
        throw ReadFailure{QStringLiteral("文件不是 Excel 工作簿（找不到工作簿部分）")};
    }

    // The part of the sheet named tavlin, Latin case ignored.
    QString SheetPart(const QString& workbook, const std::map<QString, Relationship>& parts) {
        QStringList names;
        QString id;
        ParsePart(workbook, [&](QXmlStreamReader& xml, ZipEntry&) {
            while (!xml.atEnd()) {
                xml.readNext();
                if (!xml.isStartElement() || xml.name() != QLatin1String("sheet")) continue;
                const QString name = xml.attributes().value(QLatin1String("name")).toString();
                names << name;
                if (id.isEmpty() && name.compare(QLatin1String(kImportSheetName), Qt::CaseInsensitive) == 0) {
                    for (const QXmlStreamAttribute& a : xml.attributes())
                        if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
                            id = a.value().toString();
                }
            }
        });
        const auto it = parts.find(id);
        if (id.isEmpty() || it == parts.end())
            throw ReadFailure{QStringLiteral("工作簿里没有名为 %1 的工作表（现有工作表：%2）")
                                  .arg(QLatin1String(kImportSheetName), names.join(QStringLiteral("、")))};
        return it->second.target;
    }

    // The text of a string item: its runs joined, the phonetic guides left out.
    static QString ItemText(QXmlStreamReader& xml, QStringView end) {
        QString text;
        int phonetic = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                if (xml.name() == QLatin1String("rPh"))
                    ++phonetic;
                else if (xml.name() == QLatin1String("t") && phonetic == 0)
                    text += xml.readElementText();
            } else if (xml.isEndElement()) {
                if (xml.name() == QLatin1String("rPh"))
                    --phonetic;
                else if (xml.name() == end)
                    break;
            }
        }
        return text;
    }

    void ReadSharedStrings(const QString& part) {
        ParsePart(part, [&](QXmlStreamReader& xml, ZipEntry&) {
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                    m_strings.push_back(ItemText(xml, u"si"));
            }
        });
    }

    static int ColumnOfReference(QStringView reference) {
        int column = 0;
        qsizetype i = 0;
        for (; i < reference.size() && reference[i].isLetter(); ++i)
            column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
        return i == 0 || column > 16384 ? -1 : column - 1;
    }

    struct RawCell {
        QString type, value, inlineText;
        bool hasValue = false, formula = false;
    };

    SheetCell Typed(const RawCell& raw, int line, int column) const {
        SheetCell cell;
        using Kind = SheetCell::Kind;
        if (raw.type == QLatin1String("inlineStr")) {
            cell.kind = Kind::Text;
            cell.text = raw.inlineText;
            return cell;
        }
        // A formula saved without its value (as some programs write them) has an empty <v/>.
        if (raw.formula && raw.value.isEmpty()) {
            cell.kind = Kind::Formula;
            return cell;
        }
        if (!raw.hasValue || (raw.value.isEmpty() && raw.type != QLatin1String("str"))) return cell;
        if (raw.type == QLatin1String("s")) {
            bool ok = false;
            const qsizetype index = raw.value.toLongLong(&ok);
            if (!ok || index < 0 || index >= qsizetype(m_strings.size()))
                throw ReadFailure{QStringLiteral("单元格 %1%2 引用了不存在的共享字符串，文件可能已损坏")
                                      .arg(ColumnLetters(column))
                                      .arg(line)};
            cell.kind = Kind::Text;
            cell.text = m_strings[size_t(index)];
        } else if (raw.type == QLatin1String("str") || raw.type == QLatin1String("d")) {
            cell.kind = Kind::Text;
            cell.text = raw.value;
        } else if (raw.type == QLatin1String("b")) {
            cell.kind = Kind::Boolean;
            cell.number = raw.value.trimmed() == QLatin1String("1") ? 1 : 0;
        } else if (raw.type == QLatin1String("e")) {
            cell.kind = Kind::Error;
            cell.text = raw.value;
        } else {
            bool ok = false;
            cell.number = raw.value.toDouble(&ok);
            if (!ok)
                throw ReadFailure{QStringLiteral("单元格 %1%2 的数值“%3”无法读取，文件可能已损坏")
                                      .arg(ColumnLetters(column))
                                      .arg(line)
                                      .arg(raw.value)};
            cell.kind = Kind::Number;
        }
        return cell;
    }

    RawCell ReadCell(QXmlStreamReader& xml, QStringView type) {
        RawCell raw;
        raw.type = type.toString();
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                if (xml.name() == QLatin1String("v")) {
                    raw.value = xml.readElementText();
                    raw.hasValue = true;
                } else if (xml.name() == QLatin1String("f")) {
                    raw.formula = true;
                    xml.skipCurrentElement();
                } else if (xml.name() == QLatin1String("is")) {
                    raw.inlineText = ItemText(xml, u"is");
                }
            } else if (xml.isEndElement() && xml.name() == QLatin1String("c")) {
                break;
            }
        }
        return raw;
    }

    static QString TitleText(const SheetCell& cell) {
        return cell.kind == SheetCell::Kind::Number ? FormatGeneral(cell.number) : cell.text;
    }

    void ReadSheet(const QString& part, SheetRead* result) {
        ParsePart(part, [&](QXmlStreamReader& xml, ZipEntry& entry) {
            TitleMap map;
            bool mapped = false;
            int line = 0;
            while (!xml.atEnd()) {
                xml.readNext();
                if (!xml.isStartElement() || xml.name() != QLatin1String("row")) continue;
                const QXmlStreamAttributes rowAttributes = xml.attributes();
                const QStringView r = rowAttributes.value(QLatin1String("r"));
                line = r.isEmpty() ? line + 1 : r.toInt();
                if (line < 1 || line > kMaxSheetRows)
                    throw ReadFailure{
                        QStringLiteral("工作表的行号 %1 超出 Excel 的范围，文件可能已损坏").arg(r)};
                if (!mapped && line != 1) MapTitles({}, &map);  // no title row: names what is missing
                SheetRow row;
                row.line = line;
                std::vector<QString> titles;
                int column = -1;
                while (!xml.atEnd()) {
                    xml.readNext();
                    if (xml.isEndElement() && xml.name() == QLatin1String("row")) break;
                    if (!xml.isStartElement() || xml.name() != QLatin1String("c")) continue;
                    // One copy of the attributes per cell: taking them is what costs.
                    const QXmlStreamAttributes attributes = xml.attributes();
                    const QStringView ref = attributes.value(QLatin1String("r"));
                    column = ref.isEmpty() ? column + 1 : ColumnOfReference(ref);
                    if (column < 0)
                        throw ReadFailure{QStringLiteral("单元格地址“%1”无效，文件可能已损坏").arg(ref)};
                    const RawCell raw = ReadCell(xml, attributes.value(QLatin1String("t")));
                    if (line == 1) {
                        titles.resize(size_t(qMax<int>(int(titles.size()), column + 1)));
                        titles[size_t(column)] = TitleText(Typed(raw, line, column));
                    } else if (const int field = map.FieldOf(column); field >= 0) {
                        row.cells[size_t(field)] = Typed(raw, line, column);
                    }
                }
                if (line == 1) {
                    MapTitles(titles, &map);
                    mapped = true;
                    for (int field = 0; field < kImportFieldCount; ++field)
                        result->columns[size_t(field)] = map.ColumnOf(ImportField(field));
                } else if (!row.IsBlank()) {
                    result->rows.push_back(std::move(row));
                }
                if (m_progress && (line & 1023) == 0 && !m_progress(entry.Unpacked(), entry.Size()))
                    throw ReadFailure{QStringLiteral("导入已取消"), true};
            }
            if (!mapped && !xml.hasError() && !entry.TooBig()) MapTitles({}, &map);
        });
    }

    static void MapTitles(const std::vector<QString>& titles, TitleMap* map) {
        QString error;
        if (!map->Build(titles, &error))
            throw ReadFailure{QStringLiteral("工作表 %1 %2").arg(QLatin1String(kImportSheetName), error)};
    }

    ZipFile m_zip;
    const SheetProgress& m_progress;
    qint64 m_budget;
    const qint64 m_limit = m_budget;
    std::vector<QString> m_strings;
};

}  // namespace

SheetRead ReadXlsx(const QString& path, const SheetProgress& progress, qint64 maxUnpacked) {
    return XlsxReader(path, progress, maxUnpacked).Read();
}
