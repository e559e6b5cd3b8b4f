#include "sales/Unit2.h"

#include <QAction>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/Clock.h"
#include "common/Dialogs.h"
#include "data/Errors.h"

// One page of the slip as paper on a grey desk. It paints only the page it shows, from the
// layout made when the preview opened, and keeps the picture until the page or the size changes.
class SlipPageView : public QWidget {
public:
    using QWidget::QWidget;

    void SetPage(const ReportPage* page, QSizeF paper) {
        m_page = page;
        m_paper = paper;
        m_picture = QImage();
        update();
    }
    void SetWholePage(bool whole) {
        m_whole = whole;
        if (whole) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        } else {
            setFixedSize(PageSize(PixelsPerMm()) + QSize(2 * kGap, 2 * kGap));
        }
        m_picture = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x8c, 0x8c, 0x8c));
        if (!m_page) return;
        const double scale = PixelsPerMm();
        if (m_picture.size() != PageSize(scale)) m_picture = Render(scale);
        const QPoint at((width() - m_picture.width()) / 2,
                        m_whole ? (height() - m_picture.height()) / 2 : kGap);
        painter.fillRect(QRect(at + QPoint(3, 3), m_picture.size()), QColor(0x50, 0x50, 0x50));
        painter.drawImage(at, m_picture);
    }

private:
    static constexpr int kGap = 12;

    double PixelsPerMm() const {
        if (!m_whole) return logicalDpiX() / 25.4;
        return qMax(0.1,
                    qMin((width() - 2 * kGap) / m_paper.width(), (height() - 2 * kGap) / m_paper.height()));
    }
    QSize PageSize(double scale) const {
        return QSize(qRound(m_paper.width() * scale), qRound(m_paper.height() * scale));
    }

    QImage Render(double scale) const {
        QImage image(PageSize(scale), QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!m_page) return image;
        // The picture's resolution is the zoom, so fonts in points shrink with the page.
        image.setDotsPerMeterX(qRound(scale * 1000));
        image.setDotsPerMeterY(qRound(scale * 1000));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        PaintReportPage(painter, *m_page);
        return image;
    }

    const ReportPage* m_page = nullptr;
    QSizeF m_paper{210, 297};
    bool m_whole = true;
    QImage m_picture;
};

TForm2::TForm2(const Dataset& sale, QWidget* parent) : QDialog(parent), m_sale(sale) {
    BuildLayout();
    Wire();
}

void TForm2::BuildLayout() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("销售单 - 打印预览"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto action = [&](const char* name, const QString& text, const QKeySequence& keys = {}) {
        QAction* made = bar->addAction(text);
        made->setObjectName(QString::fromUtf8(name));
        made->setShortcut(keys);
        return made;
    };
    m_print = action("printAction", QStringLiteral("打印..."), QKeySequence::Print);
    bar->addSeparator();
    m_first = action("firstPageAction", QStringLiteral("首页"), Qt::Key_Home);
    m_previous = action("previousPageAction", QStringLiteral("上一页"), Qt::Key_PageUp);
    m_next = action("nextPageAction", QStringLiteral("下一页"), Qt::Key_PageDown);
    m_last = action("lastPageAction", QStringLiteral("末页"), Qt::Key_End);
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(m_pageLabel);
    bar->addSeparator();
    m_wholePage = action("wholePageAction", QStringLiteral("整页"));
    m_wholePage->setCheckable(true);
    m_wholePage->setChecked(true);
    bar->addSeparator();
    m_close = action("closeAction", QStringLiteral("关闭"));
    column->addWidget(bar);

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new SlipPageView;
    m_view->setObjectName(QStringLiteral("pageView"));
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(true);
    column->addWidget(m_scroll, 1);
}

void TForm2::Wire() {
    connect(m_print, &QAction::triggered, this, &TForm2::ChoosePrinterAndPrint);
    connect(m_first, &QAction::triggered, this, [this] { ShowPage(0); });
    connect(m_previous, &QAction::triggered, this, [this] { ShowPage(m_page - 1); });
    connect(m_next, &QAction::triggered, this, [this] { ShowPage(m_page + 1); });
    connect(m_last, &QAction::triggered, this, [this] { ShowPage(int(m_pages.size()) - 1); });
    connect(m_wholePage, &QAction::toggled, this, &TForm2::SetWholePage);
    connect(m_close, &QAction::triggered, this, &QDialog::reject);
}

void TForm2::PrintSlip(const QString& saleNumber, const QString& total, const QString& user) {
    m_labels = FillSlipLabels(saleNumber, Clock::Today(), total, user);
    m_report = SlipReport(m_labels, SlipLines(m_sale));
    m_pages = m_report.Layout();
    m_wholePage->setChecked(true);
    SetWholePage(true);
    ShowPage(0);
    resize(1024, 800);
    showNormal();
    raise();
    activateWindow();
}

void TForm2::ShowPage(int page) {
    if (m_pages.empty()) return;
    m_page = qBound(0, page, int(m_pages.size()) - 1);
    m_view->SetPage(&m_pages[size_t(m_page)], m_report.paper);
    m_pageLabel->setText(QStringLiteral("第 %1 页，共 %2 页").arg(m_page + 1).arg(m_pages.size()));
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < int(m_pages.size()));
    m_last->setEnabled(m_page + 1 < int(m_pages.size()));
}

void TForm2::SetWholePage(bool whole) {
    m_scroll->setWidgetResizable(whole);
    m_view->SetWholePage(whole);
}

bool TForm2::PrintTo(QPrinter& printer) {
    try {
        PaintReport(printer, m_report, m_pages);
        return true;
    } catch (const EPosError& error) {
        Dialogs::ShowError(QStringLiteral("打印失败：") + error.Message());
        return false;
    }
}

void TForm2::ChoosePrinterAndPrint() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("销售单"));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印销售单"));
    if (dialog.exec() != QDialog::Accepted) return;
    PrintTo(printer);
}
