#pragma once
// The print preview of a paged report. It lays out and paints only the pages on screen, so the
// first page shows at once however long the list; the rest are laid out while the window idles.
// Printing, page setup and the choice of printer happen here.

#include <QDialog>
#include <memory>

class PagedReport;
class QLabel;
class QPrinter;
class PreviewPages;

class PrintPreview : public QDialog {
    Q_OBJECT
public:
    PrintPreview(PagedReport& report, const QString& title, QWidget* parent = nullptr);
    ~PrintPreview() override;

    void PrintWithDialog();  // "打印": the printer dialog, then every page
    void PageSetup();        // "页面设置": paper and orientation, the pages laid out again
    void Zoom(double factor);

    int PaintedPages() const;  // pages rendered so far, for tests and the benchmark
    PreviewPages* Pages() const { return m_pages; }

private:
    void ContinueLayout();
    void UpdateStatus();

    PagedReport& m_report;
    std::unique_ptr<QPrinter> m_printer;
    PreviewPages* m_pages = nullptr;
    QLabel* m_status = nullptr;
};
