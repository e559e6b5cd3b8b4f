#include "catalogue/excel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>

#include "catalogue/ProductImport.h"
#include "common/Dialogs.h"
#include "common/MainFormOps.h"

namespace {

const QString kCaption = QStringLiteral("Excel导入数据库");
const QString kWarning = QStringLiteral("警告");

// A sheet, an arrow and a database drum: the workbook goes into the database.
QPixmap ImportPicture() {
    QPixmap picture(44, 40);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1d, 0x6f, 0x42), 1));
    painter.setBrush(QColor(0xe8, 0xf5, 0xe9));
    painter.drawRect(QRectF(1.5, 6.5, 16, 22));
    for (int y = 12; y < 28; y += 5) painter.drawLine(2, y, 17, y);
    painter.drawLine(9, 7, 9, 28);
    painter.setPen(QPen(QColor(0xd9, 0x30, 0x25), 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(19, 20), QPointF(27, 20));
    painter.drawLine(QPointF(24, 16.5), QPointF(27.5, 20));
    painter.drawLine(QPointF(24, 23.5), QPointF(27.5, 20));
    painter.setPen(QPen(QColor(0x2a, 0x5f, 0xa8), 1));
    painter.setBrush(QColor(0x5b, 0x8f, 0xd6));
    painter.drawRect(QRectF(30.5, 10, 12, 20));
    painter.drawEllipse(QRectF(30.5, 27, 12, 6));
    painter.setBrush(QColor(0xa8, 0xc8, 0xf0));
    painter.drawEllipse(QRectF(30.5, 7, 12, 6));
    return picture;
}

QPushButton* Button(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    return button;
}

// The folder a file dialog opens in: that of the path already in the box, else the shop folder.
QString StartFolder(const QLineEdit* box) {
    const QFileInfo info(box->text().trimmed());
    return !box->text().trimmed().isEmpty() && info.absoluteDir().exists() ? info.absolutePath()
                                                                           : QDir::currentPath();
}

}  // namespace

Texcell::Texcell(MainFormOps& mainForm, QWidget* parent) : QDialog(parent), m_mainForm(mainForm) {
    setObjectName(QStringLiteral("excell"));
    setWindowTitle(kCaption);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(560, 220);
    BuildLayout();
    Wire();
}

void Texcell::BuildLayout() {
    m_tip = new QLabel(QStringLiteral("温馨提示：导入前请先备份您的数据库"), this);
    m_tip->setObjectName(QStringLiteral("importTip"));
    // Its own sheet wins over the skin's text colour.
    m_tip->setStyleSheet(QStringLiteral("QLabel { color: #ff0000; font-weight: bold; font-size: 14px; }"));
    m_tip->setGeometry(24, 14, 512, 22);

    auto* workbookLabel = new QLabel(QStringLiteral("Execl路径："), this);
    workbookLabel->setGeometry(24, 56, 84, 24);
    m_workbookBox = new QLineEdit(this);
    m_workbookBox->setGeometry(110, 56, 300, 24);
    m_workbookButton = Button(QStringLiteral("打开Excel文件"), this);
    m_workbookButton->setGeometry(420, 54, 116, 28);

    auto* databaseLabel = new QLabel(QStringLiteral("数据库路径："), this);
    databaseLabel->setGeometry(24, 98, 84, 24);
    m_databaseBox = new QLineEdit(this);
    m_databaseBox->setGeometry(110, 98, 300, 24);
    m_databaseButton = Button(QStringLiteral("选择数据库"), this);
    m_databaseButton->setGeometry(420, 96, 116, 28);

    m_importButton = new QToolButton(this);
    m_importButton->setObjectName(QStringLiteral("importButton"));
    m_importButton->setText(QStringLiteral("Excel自动导入"));
    m_importButton->setToolTip(QStringLiteral("Excel自动导入"));
    const QPixmap picture = ImportPicture();
    m_importButton->setIcon(picture);
    m_importButton->setIconSize(picture.size());
    m_importButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_importButton->setAutoRaise(true);
    m_importButton->setGeometry(225, 138, 110, 72);
}

void Texcell::Wire() {
    connect(m_workbookButton, &QPushButton::clicked, this, &Texcell::ChooseWorkbook);
    connect(m_databaseButton, &QPushButton::clicked, this, &Texcell::ChooseDatabase);
    connect(m_importButton, &QToolButton::clicked, this, &Texcell::RunImport);
}

void Texcell::ChooseWorkbook() {
    const QString path =
        Dialogs::OpenFileName(QStringLiteral("请选择相应的Excel文件"), StartFolder(m_workbookBox),
                              QStringLiteral("Excel(*.xls *.xlsx)"));
    if (!path.isEmpty()) m_workbookBox->setText(QDir::toNativeSeparators(path));
}

void Texcell::ChooseDatabase() {
    const QString path = Dialogs::OpenFileName(QStringLiteral("请选择相应的MDB文件"),
                                               StartFolder(m_databaseBox), QStringLiteral("access (*.mdb)"));
    if (!path.isEmpty()) m_databaseBox->setText(QDir::toNativeSeparators(path));
}

void Texcell::RunImport() {
    QProgressDialog progress(QStringLiteral("正在导入商品，请稍候……"), QStringLiteral("取消"), 0, 100, this);
    progress.setWindowTitle(kCaption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setValue(0);
    const ImportOutcome outcome =
        ImportProducts(m_workbookBox->text(), m_databaseBox->text(), [&progress](int percent) {
            progress.setValue(percent);
            return !progress.wasCanceled();
        });
    progress.close();
    Dialogs::ShowWarningTitled(kWarning, ImportMessage(outcome));
    if (outcome.status == ImportOutcome::Status::Imported) m_mainForm.ReloadSaleGrid();
}
