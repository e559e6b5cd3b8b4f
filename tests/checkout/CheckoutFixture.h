#pragma once
// The main window on a fresh database, shown and ready for a cashier's keys.

#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <memory>

#include "app/MAIN.h"
#include "common/Clock.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"

struct CheckoutFixture {
    TestDatabase t;
    std::unique_ptr<TMainForm> form;

    CheckoutFixture() {
        Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0)));
        Start();
    }

    void Start() {
        form = std::make_unique<TMainForm>(t.dm(), t.Folder() + QStringLiteral("/config.ini"));
        form->SetOperatorSource([] { return QStringLiteral("超级管理员"); });
        form->show();
        // No key reaches a window that was never shown: stop the run rather than test blind.
        if (!QTest::qWaitForWindowExposed(form.get())) qFatal("the main window was never exposed");
        form->activateWindow();
        // Under a window manager the focus and the grid's keys work only in the active window;
        // a window that does not become active shows in the focus checks that follow.
        QTest::qWaitForWindowActive(form.get());
        form->ReloadSaleGrid();
        form->RefreshSaleTotals();
        form->EntryField()->setFocus();
    }

    void Stop() {
        form->close();
        form.reset();
    }
    void Restart() {
        Stop();
        Start();
    }

    void AddProduct(const QString& code, const QVariant& price, const QVariant& cost,
                    const QString& name = {}, const QVariant& member = 0) {
        t.db().Exec(
            QStringLiteral(
                "insert into sp (商品编码,商品名称,规格型号,销售单价,进货单价,会员价,单位,商品类别,供货商) "
                "values (?,?,'500ml',?,?,?,'瓶','饮料','本地批发')"),
            {code, name.isEmpty() ? QStringLiteral("商品") + code : name, price, cost, member});
    }

    // Types a code and Enter as a scanner does, answering the quantity prompt.
    void Scan(ScriptedDialogs& dialogs, const QString& code, const QString& quantity, bool accept = true) {
        dialogs.Expect(Dialogs::Kind::Input, QStringLiteral("请输入数量"), accept, quantity);
        Type(code);
    }
    void Type(const QString& code) {
        QTest::keyClicks(form->EntryField(), code);
        QTest::keyClick(form->EntryField(), Qt::Key_Return);
    }

    QString Total() const { return form->TotalLabel()->text(); }
    QString Count() const { return form->CountLabel()->text(); }
};
