#include "users/DesktopShortcut.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const char* const kProgramName = "晨岚POS收银软件";

// A string value of a desktop entry: backslash and line breaks escaped.
QString EntryValue(const QString& text) {
    QString value = text;
    value.replace(u'\\', QLatin1String("\\\\"));
    value.replace(u'\n', QLatin1String("\\n"));
    value.replace(u'\r', QLatin1String("\\r"));
    value.replace(u'\t', QLatin1String("\\t"));
    return value;
}

// The program path as one quoted Exec argument; % would start a field code.
QString ExecArgument(const QString& path) {
    QString quoted;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'%', QLatin1String("%%"));
    return u'"' + quoted + u'"';
}

}  // namespace

QString DesktopFolder() { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); }

bool RefreshDesktopShortcut(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    const QString name = QString::fromUtf8(kProgramName);
    const QString text = QStringLiteral(
                             "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=%1\n"
                             "Comment=%1\n"
                             "Exec=%2\n"
                             "Path=%3\n"
                             "Terminal=false\n")
                             .arg(name, EntryValue(ExecArgument(QCoreApplication::applicationFilePath())),
                                  EntryValue(QDir::currentPath()));
    QSaveFile file(QDir(folder).filePath(name + QStringLiteral(".desktop")));
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text.toUtf8());
    if (!file.commit()) return false;
    // Desktops start only entries that are marked executable.
    return QFile::setPermissions(file.fileName(),
                                 QFile::permissions(file.fileName()) | QFile::ExeOwner | QFile::ExeUser);
}
