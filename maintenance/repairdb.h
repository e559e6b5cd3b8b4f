#pragma once
// The backup window "数据库备份": backs the shop database up to a file the owner chooses once,
// and restores it from a backup. While it is open the database connection is closed and the
// main window hidden; closing it reopens the connection and shows the main window again.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class MainFormOps;
class Tdmfm;

class Trepair : public QWidget {
    Q_OBJECT
public:
    // `database` is the file the connection opens (data.mdb of the shop folder); `parent` is
    // the main window, shown again when this window closes.
    Trepair(Tdmfm& dm, MainFormOps& mainForm, QString database, QWidget* parent);

    QLineEdit* PathBox() const { return m_path; }
    QLineEdit* SourceBox() const { return m_source; }
    QComboBox* AutoBackupList() const { return m_autoBackups; }

    void DefaultClick();
    void BackupClick();
    void OpenBackupClick();
    void RestoreClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildContent();
    void Wire();
    void FillAutoBackups();
    // Asks before creating the folder and before replacing the file; false when declined.
    bool ConfirmTarget(const QString& path, QString* declined);

    Tdmfm& m_dm;
    MainFormOps& m_mainForm;
    QString m_database;
    QLabel* m_defaultLink = nullptr;
    QLineEdit* m_path = nullptr;
    QLineEdit* m_source = nullptr;
    QComboBox* m_autoBackups = nullptr;
    QPushButton* m_backupButton = nullptr;
    QPushButton* m_openButton = nullptr;
    QPushButton* m_restoreButton = nullptr;
};

// At program end after a logged-in day with sales: a backup into the automatic-backup folder,
// behind a progress window; a failure is kept for the next start to show.
void AutoBackupAtEnd(Tdmfm& dm, const QString& database);
