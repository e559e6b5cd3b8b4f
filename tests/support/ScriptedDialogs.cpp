#include "tests/support/ScriptedDialogs.h"

namespace {
const char* KindName(Dialogs::Kind kind) {
    switch (kind) {
        case Dialogs::Kind::Message:
            return "message";
        case Dialogs::Kind::Warning:
            return "warning";
        case Dialogs::Kind::Error:
            return "error";
        case Dialogs::Kind::Confirm:
            return "confirm";
        case Dialogs::Kind::YesNo:
            return "yes/no";
        case Dialogs::Kind::Input:
            return "input";
        case Dialogs::Kind::OpenFile:
            return "open file";
        case Dialogs::Kind::SaveFile:
            return "save file";
    }
    return "?";
}
}  // namespace

ScriptedDialogs::ScriptedDialogs() : m_previous(Dialogs::SetResponder(this)) {}

ScriptedDialogs::~ScriptedDialogs() { Dialogs::SetResponder(m_previous); }

ScriptedDialogs& ScriptedDialogs::Expect(Dialogs::Kind kind, const QString& text, bool accept,
                                         const QString& value) {
    m_steps.push_back({kind, text, accept, value});
    return *this;
}

Dialogs::Answer ScriptedDialogs::Respond(const Dialogs::Request& request) {
    const QString seen = request.text.isEmpty() ? request.caption : request.text;
    m_shown << seen;
    if (m_steps.empty()) {
        m_failures
            << QStringLiteral("unexpected %1: \"%2\"").arg(QLatin1String(KindName(request.kind)), seen);
        return {};
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    if (step.kind != request.kind ||
        !(request.text.contains(step.text) || request.caption.contains(step.text))) {
        m_failures << QStringLiteral("expected %1 \"%2\", got %3 \"%4\"")
                          .arg(QLatin1String(KindName(step.kind)), step.text,
                               QLatin1String(KindName(request.kind)), seen);
        return {};
    }
    return {step.accept, step.value};
}

QString ScriptedDialogs::Problems() const {
    QStringList problems = m_failures;
    for (const Step& step : m_steps)
        problems
            << QStringLiteral("never shown: %1 \"%2\"").arg(QLatin1String(KindName(step.kind)), step.text);
    return problems.join(QStringLiteral("; "));
}
