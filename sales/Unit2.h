#pragma once
// TForm2 (object Form2): the A4 sales slip of the open sale and its print preview. Made at
// program start; the main window's "销售单" fills the slip's labels and shows the preview, from
// which the user prints on a printer of their choice.

#include <QDialog>
#include <vector>

#include "sales/SlipLayout.h"

class Dataset;
class QLabel;
class QPrinter;
class QScrollArea;
class SlipPageView;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // `sale` is the sale grid's dataset, read in the order the grid shows.
    explicit TForm2(const Dataset& sale, QWidget* parent = nullptr);

    // Fills the labels, lays the slip out once and shows the preview (modal, it does not wait).
    void PrintSlip(const QString& saleNumber, const QString& total, const QString& user);
    // Prints the laid-out slip; a failure says "打印失败：" and the reason. True when it printed.
    bool PrintTo(QPrinter& printer);

    const SlipLabels& Labels() const { return m_labels; }
    const std::vector<ReportPage>& Pages() const { return m_pages; }
    int CurrentPage() const { return m_page; }
    void ShowPage(int page);
    void SetWholePage(bool whole);

private:
    void BuildLayout();
    void Wire();
    void ChoosePrinterAndPrint();

    const Dataset& m_sale;
    SlipLabels m_labels;
    BandReport m_report;
    std::vector<ReportPage> m_pages;
    int m_page = 0;

    QScrollArea* m_scroll = nullptr;
    SlipPageView* m_view = nullptr;
    QLabel* m_pageLabel = nullptr;
    QAction* m_print = nullptr;
    QAction* m_first = nullptr;
    QAction* m_previous = nullptr;
    QAction* m_next = nullptr;
    QAction* m_last = nullptr;
    QAction* m_wholePage = nullptr;
    QAction* m_close = nullptr;
};
