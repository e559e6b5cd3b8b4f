#include "app/Skins.h"

#include <QApplication>
#include <QColor>

namespace {

// A skin is a palette poured into one style sheet, so every skin styles the same widgets.
struct SkinColours {
    const char* name;
    const char* window;  // window and panel background
    const char* text;
    const char* buttonTop;  // button gradient
    const char* buttonBottom;
    const char* buttonText;
    const char* border;
    const char* input;  // edit boxes and grid cells
    const char* inputText;
    const char* highlight;  // selection, hover
    const char* highlightText;
    const char* header;  // grid titles, menu bar, status bar
    const char* headerText;
};

const SkinColours kSkins[kSkinCount] = {
    {"黑色经典(皮肤)", "#2b2b2b", "#f0e6d2", "#4a4a4a", "#1e1e1e", "#f5deb3", "#8b7355", "#fbfaf6", "#1a1a1a",
     "#b8860b", "#ffffff", "#141414", "#e8c872"},
    {"蓝色幻想(皮肤)", "#dce8f7", "#0f2a4a", "#5b8fd6", "#2a5fa8", "#ffffff", "#2a5fa8", "#ffffff", "#0f2a4a",
     "#3a78d0", "#ffffff", "#2a5fa8", "#ffffff"},
    {"梦幻天空(皮肤)", "#eef8ff", "#1d3b53", "#ffffff", "#c9e8fb", "#1d3b53", "#7fbfe6", "#ffffff", "#1d3b53",
     "#87cefa", "#0b2233", "#a8dcf7", "#0b2233"},
    {"黑色遐想(皮肤)", "#1f2229", "#d9dde6", "#3b4150", "#262a33", "#e6e9f0", "#5b6478", "#2b2f38", "#eef0f5",
     "#6b5bd6", "#ffffff", "#15171c", "#b9b3ff"},
    {"梦想成真(皮肤)", "#fff4e6", "#4a2a0a", "#ffb868", "#f08a24", "#3a1c00", "#d2761c", "#fffdf9", "#3a2410",
     "#f5a04a", "#2b1500", "#e9892a", "#ffffff"},
};

QString StyleSheet(const SkinColours& c) {
    QString sheet = QStringLiteral(R"(
QWidget { background-color: %window; color: %text; }
QLabel { background: transparent; }
QPushButton, QToolButton {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %buttonTop, stop:1 %buttonBottom);
  color: %buttonText; border: 1px solid %border; border-radius: 4px; padding: 3px 8px; }
QToolButton { padding: 1px; }
QPushButton:hover, QToolButton:hover { border: 1px solid %highlight; }
QPushButton:pressed, QToolButton:pressed { background: %highlight; color: %highlightText; }
QToolButton::menu-indicator { subcontrol-position: bottom right; }
QLineEdit, QComboBox, QSpinBox, QDoubleSpinBox, QPlainTextEdit, QTextEdit, QListWidget {
  background-color: %input; color: %inputText; border: 1px solid %border; border-radius: 2px;
  selection-background-color: %highlight; selection-color: %highlightText; }
QComboBox QAbstractItemView { background-color: %input; color: %inputText;
  selection-background-color: %highlight; selection-color: %highlightText; }
QTableView { background-color: %input; color: %inputText; gridline-color: %border;
  alternate-background-color: %window; selection-background-color: %highlight;
  selection-color: %highlightText; }
QHeaderView::section { background-color: %header; color: %headerText; border: 1px solid %border; padding: 2px; }
QTableCornerButton::section { background-color: %header; border: 1px solid %border; }
QMenuBar, QStatusBar { background-color: %header; color: %headerText; }
QStatusBar QLabel { color: %headerText; }
QMenu { background-color: %input; color: %inputText; border: 1px solid %border; }
QMenu::item:selected { background-color: %highlight; color: %highlightText; }
QMenu::separator { height: 1px; background: %border; margin: 3px 6px; }
QScrollBar { background: %window; border: none; }
QScrollBar:vertical { width: 14px; }
QScrollBar:horizontal { height: 14px; }
QScrollBar::handle { background: %buttonTop; border: 1px solid %border; border-radius: 4px; min-height: 20px; min-width: 20px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; }
QCheckBox, QRadioButton, QGroupBox { background: transparent; }
QCheckBox::indicator { width: 13px; height: 13px; border: 1px solid %border; background-color: %input; }
QCheckBox::indicator:checked { image: url(:/skins/check-%mark.svg); }
QPushButton:disabled, QToolButton:disabled { background: %window; color: %disabled; border: 1px solid %disabled; }
QLineEdit:disabled, QComboBox:disabled, QSpinBox:disabled, QDoubleSpinBox:disabled {
  background-color: %window; color: %disabled; border: 1px solid %disabled; }
QCheckBox:disabled, QRadioButton:disabled, QLabel:disabled, QGroupBox:disabled { color: %disabled; }
QCheckBox::indicator:disabled { background-color: %window; border: 1px solid %disabled; }
QGroupBox { border: 1px solid %border; margin-top: 10px; padding-top: 6px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; }
QTabWidget::pane { border: 1px solid %border; }
QTabBar::tab { background: %buttonBottom; color: %buttonText; border: 1px solid %border; padding: 4px 10px; }
QTabBar::tab:selected { background: %highlight; color: %highlightText; }
#banner { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %buttonTop, stop:1 %header);
  color: %headerText; }
QToolTip { background-color: rgb(255,194,134); color: black; border: 1px solid %border; }
)");
    const std::pair<const char*, const char*> colours[] = {{"%window", c.window},
                                                           {"%text", c.text},
                                                           {"%buttonTop", c.buttonTop},
                                                           {"%buttonBottom", c.buttonBottom},
                                                           {"%buttonText", c.buttonText},
                                                           {"%border", c.border},
                                                           {"%inputText", c.inputText},
                                                           {"%input", c.input},
                                                           {"%highlightText", c.highlightText},
                                                           {"%highlight", c.highlight},
                                                           {"%headerText", c.headerText},
                                                           {"%header", c.header}};
    for (const auto& [name, value] : colours) sheet.replace(QLatin1String(name), QLatin1String(value));
    // Disabled controls: a third of the way from the window to the text, so they read as out of reach.
    const QColor text(QLatin1String(c.text)), window(QLatin1String(c.window));
    const QColor disabled((text.red() + 2 * window.red()) / 3, (text.green() + 2 * window.green()) / 3,
                          (text.blue() + 2 * window.blue()) / 3);
    sheet.replace(QLatin1String("%disabled"), disabled.name());
    // The tick stands out from the check box's own background.
    const bool darkBox = QColor(QLatin1String(c.input)).lightness() < 128;
    sheet.replace(QLatin1String("%mark"), darkBox ? QLatin1String("light") : QLatin1String("dark"));
    return sheet;
}

int g_current = -1;

}  // namespace

QString SkinName(int index) {
    return index >= 0 && index < kSkinCount ? QString::fromUtf8(kSkins[index].name) : QString();
}

bool ApplySkin(int index) {
    if (index < 0 || index >= kSkinCount) return false;
    qApp->setStyleSheet(StyleSheet(kSkins[index]));
    g_current = index;
    return true;
}

void ApplyDefaultSkin() {
    qApp->setStyleSheet(QString());
    g_current = -1;
}

int CurrentSkin() { return g_current; }

int SkinFromSetting(const QString& stored) {
    if (stored.size() == 1 && stored[0] >= u'0' && stored[0] < QChar(u'0' + kSkinCount))
        return stored[0].unicode() - u'0';
    return -1;
}
