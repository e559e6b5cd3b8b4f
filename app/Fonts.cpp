#include "app/Fonts.h"

#include <QFont>
#include <QStringList>

void InstallFontSubstitutes() {
    const QString song = QStringLiteral("Noto Serif CJK SC");
    for (const char* name : {"宋体", "SimSun", "新宋体", "NSimSun", "华文中宋", "STZhongsong"})
        QFont::insertSubstitutions(QString::fromUtf8(name), {song, QStringLiteral("WenQuanYi Zen Hei")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("DejaVu Sans"), song});
    QFont::insertSubstitutions(QStringLiteral("Courier New"),
                               {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono CJK SC")});
}
