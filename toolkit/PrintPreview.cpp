#include "toolkit/PrintPreview.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/Dialogs.h"
#include "toolkit/PagedReport.h"

namespace {
constexpr int kGap = 12;           // between pages, in pixels
constexpr int kCachedPages = 12;   // rendered pages kept for scrolling back
constexpr int kLayoutStep = 3000;  // rows laid out per idle turn
}  // namespace

// The pages one under another; each is rendered when it first comes into view.
class PreviewPages : public QAbstractScrollArea {
public:
    explicit PreviewPages(PagedReport& report, QWidget* parent)
        : QAbstractScrollArea(parent), m_report(report) {
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
        m_cache.setMaxCost(kCachedPages);
    }
    double Dpi() const { return logicalDpiY() * m_zoom; }
    QSize PageSize() const {
        const QSizeF mm = m_report.PageLayout().fullRect(QPageLayout::Millimeter).size();
        return {int(mm.width() / 25.4 * Dpi()), int(mm.height() / 25.4 * Dpi())};
    }
    void SetZoom(double zoom) {
        m_zoom = std::clamp(zoom, 0.25, 4.0);
        Reset();
    }
    double ZoomFactor() const { return m_zoom; }
    void Reset() {
        m_cache.clear();
        UpdateRange();
        viewport()->update();
    }
    void UpdateRange() {
        const QSize page = PageSize();
        const int pages = m_report.KnownPages();
        verticalScrollBar()->setRange(
            0, std::max(0, pages * (page.height() + kGap) + kGap - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(40);
        horizontalScrollBar()->setRange(0, std::max(0, page.width() + 2 * kGap - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
    }
    int Painted() const { return m_painted; }
    int CurrentPage() const { return verticalScrollBar()->value() / (PageSize().height() + kGap); }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QAbstractScrollArea::resizeEvent(event);
        UpdateRange();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(viewport());
        const QSize page = PageSize();
        const int step = page.height() + kGap;
        const int top = verticalScrollBar()->value();
        const int x =
            std::max(kGap, (viewport()->width() - page.width()) / 2) - horizontalScrollBar()->value();
        for (int index = top / step; index * step < top + viewport()->height(); ++index) {
            // A page is complete once the next one has started.
            while (m_report.KnownPages() <= index + 1 && !m_report.PaginateMore(200)) {
            }
            if (index >= m_report.KnownPages()) break;
            painter.drawImage(QPoint(x, kGap + index * step - top), *Rendered(index, page));
        }
        UpdateRange();
    }

private:
    const QImage* Rendered(int index, const QSize& size) {
        if (const QImage* cached = m_cache.object(index)) return cached;
        auto* image = new QImage(size, QImage::Format_RGB32);
        image->fill(Qt::white);
        QPainter painter(image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        m_report.PaintPage(painter, index, Dpi());
        painter.end();
        ++m_painted;
        m_cache.insert(index, image);
        return image;
    }

    PagedReport& m_report;
    QCache<int, QImage> m_cache;
    double m_zoom = 1.0;
    int m_painted = 0;
};

PrintPreview::PrintPreview(PagedReport& report, const QString& title, QWidget* parent)
    : QDialog(parent), m_report(report), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(title);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_printer->setPageLayout(report.PageLayout());
    auto* bar = new QToolBar(this);
    connect(bar->addAction(QStringLiteral("打印...")), &QAction::triggered, this,
            &PrintPreview::PrintWithDialog);
    connect(bar->addAction(QStringLiteral("页面设置...")), &QAction::triggered, this,
            &PrintPreview::PageSetup);
    bar->addSeparator();
    connect(bar->addAction(QStringLiteral("放大")), &QAction::triggered, this, [this] { Zoom(1.25); });
    connect(bar->addAction(QStringLiteral("缩小")), &QAction::triggered, this, [this] { Zoom(0.8); });
    bar->addSeparator();
    connect(bar->addAction(QStringLiteral("关闭")), &QAction::triggered, this, &QDialog::reject);
    m_status = new QLabel(this);
    bar->addSeparator();
    bar->addWidget(m_status);
    m_pages = new PreviewPages(report, this);
    connect(m_pages->verticalScrollBar(), &QScrollBar::valueChanged, this, &PrintPreview::UpdateStatus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_pages);
    resize(900, 760);
    QTimer::singleShot(0, this, &PrintPreview::ContinueLayout);
    UpdateStatus();
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::ContinueLayout() {
    const bool done = m_report.PaginateMore(kLayoutStep);
    m_pages->UpdateRange();
    UpdateStatus();
    if (!done) QTimer::singleShot(0, this, &PrintPreview::ContinueLayout);
}

void PrintPreview::UpdateStatus() {
    const bool done = m_report.PaginateMore(0);  // asks only, lays out nothing
    m_status->setText(QStringLiteral("  第 %1 页，共 %2%3 页")
                          .arg(std::min(m_pages->CurrentPage() + 1, m_report.KnownPages()))
                          .arg(m_report.KnownPages())
                          .arg(done ? QString() : QStringLiteral("+")));
}

void PrintPreview::PrintWithDialog() {
    QPrintDialog dialog(m_printer.get(), this);
    dialog.setWindowTitle(QStringLiteral("打印"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (!PrintReport(m_report, m_printer.get()))
        Dialogs::ShowError(QStringLiteral("打印失败：打印机（%1）无法打印。").arg(m_printer->printerName()));
    m_pages->Reset();
}

void PrintPreview::PageSetup() {
    QPageSetupDialog dialog(m_printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_report.SetPageLayout(m_printer->pageLayout());
    m_pages->Reset();
    QTimer::singleShot(0, this, &PrintPreview::ContinueLayout);
}

void PrintPreview::Zoom(double factor) { m_pages->SetZoom(m_pages->ZoomFactor() * factor); }

int PrintPreview::PaintedPages() const { return m_pages->Painted(); }
