#pragma once
// Reading back what the program wrote, with other programs: workbooks through openpyxl, PDF
// text through pdftotext, pages as pictures through pdftoppm and their barcodes through zbarimg.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

// Runs a program; its standard output, or a null string when it failed to run or exited badly.
inline QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) return {};
    if (exitCode)
        *exitCode = process.exitCode();
    else if (process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Every row of the first sheet; each cell as "n:<number>", "s:<text>" or "" for a blank.
inline QList<QStringList> ReadXlsx(const QString& path) {
    static const QString script = QStringLiteral(
        "import sys, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
        "for row in ws.iter_rows():\n"
        "    out = []\n"
        "    for c in row:\n"
        "        if c.value is None: out.append('')\n"
        "        elif c.data_type == 'n': out.append('n:%r' % c.value)\n"
        "        else: out.append(c.data_type + ':' + str(c.value))\n"
        "    while out and out[-1] == '': out.pop()\n"
        "    sys.stdout.write('\\t'.join(out).replace('\\n', ' ') + '\\n')\n");
    QList<QStringList> rows;
    const QString output = RunTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) rows << line.split(u'\t');
    return rows;
}

inline QString PdfText(const QString& pdf) {
    return RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// Renders every page to PNG beside the PDF at `dpi`; the picture files in page order.
inline QStringList PdfPages(const QString& pdf, int dpi) {
    const QString prefix = pdf + QStringLiteral("-page");
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf, prefix});
    const QFileInfo info(prefix);
    QStringList pages;
    for (const QString& name :
         QDir(info.absolutePath())
             .entryList({info.fileName() + QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        pages << info.absoluteDir().filePath(name);
    return pages;
}

// The barcodes zbarimg finds in a picture, as "CODE-128:<text>"; empty when it finds none.
inline QStringList DecodeBarcodes(const QString& picture) {
    int exitCode = 0;
    const QString output = RunTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), picture}, &exitCode);
    return exitCode == 0 ? output.split(u'\n', Qt::SkipEmptyParts) : QStringList();
}

// With POS_KEEP_PRINTOUTS set to a folder, a copy of the file goes there, to be looked at.
inline void KeepForLooking(const QString& file) {
    const QString folder = qEnvironmentVariable("POS_KEEP_PRINTOUTS");
    if (folder.isEmpty()) return;
    const QString copy = QDir(folder).filePath(QFileInfo(file).fileName());
    QFile::remove(copy);
    QFile::copy(file, copy);
}
