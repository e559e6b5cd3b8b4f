#pragma once
// The import window (excell, "Excel导入数据库"): a workbook and a shop database chosen or typed,
// and one button that appends the workbook's products to that database. Made once at program
// start and opened modally from the product window; the paths stay between openings.

#include <QDialog>

class MainFormOps;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class Texcell : public QDialog {
    Q_OBJECT
public:
    explicit Texcell(MainFormOps& mainForm, QWidget* parent = nullptr);

    void ChooseWorkbook();  // "打开Excel文件"
    void ChooseDatabase();  // "选择数据库"
    void RunImport();       // "Excel自动导入"

    QLineEdit* WorkbookBox() const { return m_workbookBox; }
    QLineEdit* DatabaseBox() const { return m_databaseBox; }
    QPushButton* WorkbookButton() const { return m_workbookButton; }
    QPushButton* DatabaseButton() const { return m_databaseButton; }
    QToolButton* ImportButton() const { return m_importButton; }

private:
    void BuildLayout();
    void Wire();

    MainFormOps& m_mainForm;
    QLabel* m_tip = nullptr;
    QLineEdit* m_workbookBox = nullptr;
    QLineEdit* m_databaseBox = nullptr;
    QPushButton* m_workbookButton = nullptr;
    QPushButton* m_databaseButton = nullptr;
    QToolButton* m_importButton = nullptr;
};
