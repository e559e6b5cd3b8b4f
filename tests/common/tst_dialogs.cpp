// The real dialogs: Chinese button texts from Qt's translations, and which boxes carry an icon.

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "common/Dialogs.h"
#include "tests/support/WidgetTest.h"

using Dialogs::Kind;

namespace {

// The text a person reads on the button: without the mnemonic marker.
QString Shown(const QAbstractButton* button) {
    QString text = button->text();
    text.remove(u'&');
    return text;
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageBoxes_data();
    void messageBoxes();
    void inputAndFileDialogsSpeakChinese();
};

void TestDialogs::messageBoxes_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("defaultButton");
    QTest::newRow("notice") << int(Kind::Message) << int(QMessageBox::NoIcon) << QStringList{"确定"} << "";
    QTest::newRow("warning") << int(Kind::Warning) << int(QMessageBox::Warning) << QStringList{"确定"} << "";
    QTest::newRow("error") << int(Kind::Error) << int(QMessageBox::Critical) << QStringList{"确定"} << "";
    QTest::newRow("confirm") << int(Kind::Confirm) << int(QMessageBox::Warning) << QStringList{"确定", "取消"}
                             << "取消";
    QTest::newRow("yes/no") << int(Kind::YesNo) << int(QMessageBox::Question) << QStringList{"是", "否"}
                            << "否";
}

void TestDialogs::messageBoxes() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(QStringList, buttons);
    QFETCH(QString, defaultButton);
    const auto box = Dialogs::MakeMessageBox(
        {Kind(kind), QStringLiteral("标题"), QStringLiteral("正文"), {}, {}}, nullptr);
    QCOMPARE(int(box->icon()), icon);
    QCOMPARE(box->windowTitle(), QStringLiteral("标题"));
    QStringList shown;
    for (QAbstractButton* button : box->buttons()) shown << Shown(button);
    shown.sort();
    buttons.sort();
    QCOMPARE(shown, buttons);
    if (!defaultButton.isEmpty()) QCOMPARE(Shown(box->defaultButton()), defaultButton);
}

void TestDialogs::inputAndFileDialogsSpeakChinese() {
    QInputDialog input;
    input.show();
    auto* box = input.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QCOMPARE(Shown(box->button(QDialogButtonBox::Ok)), QStringLiteral("确定"));
    QCOMPARE(Shown(box->button(QDialogButtonBox::Cancel)), QStringLiteral("取消"));

    for (const auto& [mode, caption] : {std::pair{QFileDialog::AcceptOpen, QStringLiteral("打开")},
                                        std::pair{QFileDialog::AcceptSave, QStringLiteral("保存")}}) {
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setAcceptMode(mode);
        files.show();
        auto* buttons = files.findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        QVERIFY2(Shown(buttons->buttons().first()).startsWith(caption),
                 qPrintable(Shown(buttons->buttons().first())));
        QCOMPARE(Shown(buttons->button(QDialogButtonBox::Cancel)), QStringLiteral("取消"));
    }
}

POS_WIDGET_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
