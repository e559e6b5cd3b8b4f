#include "toolkit/LabelLayout.h"

#include <QStringList>
#include <cmath>

namespace {

// Reads `count` positive numbers from `words` starting at `from`; false when one is missing or bad.
bool Numbers(const QStringList& words, int from, int count, double* out[]) {
    if (words.size() < from + count) return false;
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        const double value = words[from + i].toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < 0 || value > 10000) return false;
        *out[i] = value;
    }
    return true;
}

QString Number(double value) { return QString::number(value, 'g', 6); }

}  // namespace

int LabelLayout::RowsPerPage() const {
    const double room = pageHeight - marginTop - marginBottom;
    return labelHeight > 0 ? std::max(1, int(std::floor(room / labelHeight + 1e-9))) : 1;
}

LabelLayoutResult ParseLabelLayout(const QString& text) {
    LabelLayout layout;
    const QStringList lines = text.split(u'\n');
    const auto failure = [](int line, const QString& reason) {
        return LabelLayoutResult{std::nullopt, QStringLiteral("第 %1 行：%2").arg(line).arg(reason)};
    };
    if (lines.value(0).trimmed().remove(QChar(0xFEFF)) != kLabelLayoutSignature)
        return failure(1, QStringLiteral("不是标签版式文件（第一行应为“%1”）").arg(kLabelLayoutSignature));
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (const qsizetype hash = line.indexOf(u'#'); hash >= 0) line.truncate(hash);
        const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        const QString& key = words[0];
        const int number = i + 1;
        const auto bad = [&] { return failure(number, QStringLiteral("“%1”的数值不对").arg(key)); };
        if (key == QLatin1String("page")) {
            double* out[] = {&layout.pageWidth, &layout.pageHeight};
            if (!Numbers(words, 1, 2, out)) return bad();
        } else if (key == QLatin1String("margins")) {
            double* out[] = {&layout.marginLeft, &layout.marginTop, &layout.marginRight,
                             &layout.marginBottom};
            if (!Numbers(words, 1, 4, out)) return bad();
        } else if (key == QLatin1String("columns")) {
            bool ok = false;
            layout.columns = words.value(1).toInt(&ok);
            if (!ok || layout.columns < 1 || layout.columns > 50) return bad();
        } else if (key == QLatin1String("label")) {
            double* out[] = {&layout.labelWidth, &layout.labelHeight};
            if (!Numbers(words, 1, 2, out) || layout.labelWidth <= 0 || layout.labelHeight <= 0) return bad();
        } else if (key == QLatin1String("frame")) {
            double* out[] = {&layout.frameWidth, &layout.frameHeight, &layout.frameRadius};
            if (!Numbers(words, 1, 3, out)) return bad();
        } else if (key == QLatin1String("name")) {
            // name FIELD SIZE TOP FAMILY (the family may hold blanks)
            double* out[] = {&layout.nameSize, &layout.nameTop};
            if (words.size() < 5 || !Numbers(words, 2, 2, out) || layout.nameSize <= 0) return bad();
            layout.nameField = words[1];
            layout.nameFont = words.mid(4).join(u' ');
        } else if (key == QLatin1String("barcode")) {
            // barcode FIELD WIDTH HEIGHT TOP
            double* out[] = {&layout.barcodeWidth, &layout.barcodeHeight, &layout.barcodeTop};
            if (!Numbers(words, 2, 3, out)) return bad();
            layout.barcodeField = words[1];
        } else {
            return failure(number, QStringLiteral("不认识的设置“%1”").arg(key));
        }
    }
    const double usedWidth = layout.marginLeft + layout.marginRight + layout.columns * layout.labelWidth;
    if (usedWidth > layout.pageWidth + 1e-6)
        return failure(lines.size(), QStringLiteral("%1 列标签比纸宽").arg(layout.columns));
    if (layout.marginTop + layout.marginBottom + layout.labelHeight > layout.pageHeight + 1e-6)
        return failure(lines.size(), QStringLiteral("标签比纸高"));
    return {layout, {}};
}

QString LabelLayoutText(const LabelLayout& l) {
    QStringList lines{kLabelLayoutSignature};
    lines << QStringLiteral("page %1 %2").arg(Number(l.pageWidth), Number(l.pageHeight));
    lines << QStringLiteral("margins %1 %2 %3 %4")
                 .arg(Number(l.marginLeft), Number(l.marginTop), Number(l.marginRight),
                      Number(l.marginBottom));
    lines << QStringLiteral("columns %1").arg(l.columns);
    lines << QStringLiteral("label %1 %2").arg(Number(l.labelWidth), Number(l.labelHeight));
    lines << QStringLiteral("frame %1 %2 %3")
                 .arg(Number(l.frameWidth), Number(l.frameHeight), Number(l.frameRadius));
    lines << QStringLiteral("name %1 %2 %3 %4")
                 .arg(l.nameField, Number(l.nameSize), Number(l.nameTop), l.nameFont);
    lines << QStringLiteral("barcode %1 %2 %3 %4")
                 .arg(l.barcodeField, Number(l.barcodeWidth), Number(l.barcodeHeight), Number(l.barcodeTop));
    return lines.join(u'\n') + u'\n';
}
