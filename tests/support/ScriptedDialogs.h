#pragma once
// Answers the program's dialogs in tests: a queue of expected prompts with their answers.
// Every text shown is recorded; a prompt that was not expected is recorded as a failure and
// answered with Cancel, so a test never hangs on a modal box.

#include <QStringList>
#include <deque>

#include "common/Dialogs.h"

class ScriptedDialogs : public Dialogs::Responder {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // The next dialog must be of this kind and its text must contain `text`.
    ScriptedDialogs& Expect(Dialogs::Kind kind, const QString& text, bool accept = true,
                            const QString& value = {});
    // Shorthands for the common boxes.
    ScriptedDialogs& ExpectMessage(const QString& text) { return Expect(Dialogs::Kind::Message, text); }
    ScriptedDialogs& ExpectWarning(const QString& text) { return Expect(Dialogs::Kind::Warning, text); }
    ScriptedDialogs& ExpectError(const QString& text) { return Expect(Dialogs::Kind::Error, text); }

    Dialogs::Answer Respond(const Dialogs::Request& request) override;

    const QStringList& Shown() const { return m_shown; }
    // Empty when every expected dialog came, in order, and nothing else did.
    QString Problems() const;
    bool AllDone() const { return Problems().isEmpty(); }

private:
    struct Step {
        Dialogs::Kind kind;
        QString text;
        bool accept;
        QString value;
    };
    std::deque<Step> m_steps;
    QStringList m_shown;
    QStringList m_failures;
    Dialogs::Responder* m_previous;
};

// Fails the current test function when the script was not played out exactly.
#define VERIFY_DIALOGS(dialogs) QVERIFY2((dialogs).AllDone(), qPrintable((dialogs).Problems()))
