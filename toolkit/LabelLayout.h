#pragma once
// The layout of a barcode label sheet, read from a small text file ("2.fr3" in the shop's
// folder; the format is described in LabelLayout.md beside this file). Widget-free.

#include <QString>
#include <optional>

struct LabelLayout {
    double pageWidth = 210, pageHeight = 150;  // mm
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    int columns = 4;
    double labelWidth = 47.5, labelHeight = 25;
    double frameWidth = 44, frameHeight = 22, frameRadius = 2;  // centred in the label
    QString nameField = QStringLiteral("商品名称");
    QString nameFont = QStringLiteral("宋体");
    double nameSize = 9;   // points
    double nameTop = 1.5;  // mm below the frame's top
    QString barcodeField = QStringLiteral("商品编码");
    double barcodeWidth = 32.5, barcodeHeight = 12;
    double barcodeTop = 7.5;  // mm below the frame's top

    int RowsPerPage() const;  // at least 1
    int LabelsPerPage() const { return columns * RowsPerPage(); }
};

struct LabelLayoutResult {
    std::optional<LabelLayout> layout;
    QString error;  // why the text is no layout, with its line number
};

// The layout a text describes; every setting it leaves out keeps the built-in value.
LabelLayoutResult ParseLabelLayout(const QString& text);
// The text of a layout, as ParseLabelLayout reads it back.
QString LabelLayoutText(const LabelLayout& layout);

// The first line of every layout file.
inline const QString kLabelLayoutSignature = QStringLiteral("晨岚标签版式 1");
