// The shared window pieces: the Enter rule of the dialogs and the criteria band.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "tests/support/WidgetTest.h"
#include "toolkit/Forms.h"

namespace {

// A dialog with a box and two buttons, the second its default button: with the Enter rule,
// only a focused button ever takes Enter.
struct EnterDialog {
    QDialog dialog;
    QLineEdit* box = new QLineEdit(&dialog);
    QPushButton* first =
        Forms::Button(QStringLiteral("一"), &dialog, QRect(0, 30, 60, 24), Forms::EnterKey::LeftToWindow);
    QPushButton* second =
        Forms::Button(QStringLiteral("二"), &dialog, QRect(70, 30, 60, 24), Forms::EnterKey::LeftToWindow);
    QSignalSpy firstClicks{first, &QPushButton::clicked};
    QSignalSpy secondClicks{second, &QPushButton::clicked};

    explicit EnterDialog(Forms::EscapeKey escape) {
        second->setDefault(true);
        Forms::ClickFocusedButtonOnEnter(&dialog, escape);
        dialog.show();
        dialog.activateWindow();
    }
};

}  // namespace

class TestForms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void enterClicksOnlyTheFocusedButton_data();
    void enterClicksOnlyTheFocusedButton();
    void escape_data();
    void escape();
    void criteriaBandSearchesInItsConditionOrder();
};

void TestForms::enterClicksOnlyTheFocusedButton_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("firstClicks");
    QTest::addColumn<int>("secondClicks");
    QTest::newRow("box: nothing, not even the default button") << QStringLiteral("box") << 0 << 0;
    QTest::newRow("first button") << QStringLiteral("first") << 1 << 0;
    QTest::newRow("default button") << QStringLiteral("second") << 0 << 1;
}

void TestForms::enterClicksOnlyTheFocusedButton() {
    QFETCH(QString, focus);
    QFETCH(int, firstClicks);
    QFETCH(int, secondClicks);
    EnterDialog d(Forms::EscapeKey::Closes);
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    QWidget* target = focus == QLatin1String("box")     ? static_cast<QWidget*>(d.box)
                      : focus == QLatin1String("first") ? d.first
                                                        : d.second;
    target->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(target, key);
    QCOMPARE(d.firstClicks.count(), 2 * firstClicks);
    QCOMPARE(d.secondClicks.count(), 2 * secondClicks);
    QVERIFY(d.dialog.isVisible());
}

void TestForms::escape_data() {
    QTest::addColumn<bool>("closes");
    QTest::newRow("closes") << true;
    QTest::newRow("ignored") << false;
}

void TestForms::escape() {
    QFETCH(bool, closes);
    EnterDialog d(closes ? Forms::EscapeKey::Closes : Forms::EscapeKey::Ignored);
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    d.box->setFocus();
    QTest::keyClick(d.box, Qt::Key_Escape);
    QCOMPARE(d.dialog.isVisible(), !closes);
}

void TestForms::criteriaBandSearchesInItsConditionOrder() {
    const QString a = QStringLiteral("甲"), b = QStringLiteral("乙"), c = QStringLiteral("丙");
    CriteriaBand band(
        QStringLiteral("条件"), {{a, {0, 0}}, {b, {100, 0}}, {c, {0, 30}}},
        {.labelWidth = 40, .boxWidth = 50, .search = QRect(200, 0, 60, 24), .clear = QRect(200, 30, 60, 24)},
        nullptr);
    band.SetConditionOrder({c, a, b});
    QStringList order;
    for (const auto& [column, box] : band.Boxes()) order << column;
    QCOMPARE(order, QStringList({c, a, b}));
    QCOMPARE(band.Box(b)->objectName(), b);
    QVERIFY(!band.Box(QStringLiteral("丁")));

    QSignalSpy changed(&band, &CriteriaBand::Changed);
    TypeText(band.Box(a), QStringLiteral("x"));
    TypeText(band.Box(c), QStringLiteral("y"));
    QTest::mouseClick(band.SearchButton(), Qt::LeftButton);
    QCOMPARE(changed.count(), 3);
    // Clearing: once more for each box that held text, none for the empty one.
    QTest::mouseClick(band.ClearButton(), Qt::LeftButton);
    QCOMPARE(changed.count(), 5);
    for (const auto& [column, box] : band.Boxes()) QVERIFY(box->text().isEmpty());
}

POS_WIDGET_TEST_MAIN(TestForms)
#include "tst_forms.moc"
