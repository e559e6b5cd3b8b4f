#include "common/KeyFilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

bool Allowed(QChar c, KeySet keys) {
    const bool digit = c >= u'0' && c <= u'9';
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    switch (keys) {
        case KeySet::Number:
            return digit || c == u'.';
        case KeySet::Code:
        case KeySet::Password:
            return digit || letter;
    }
    return false;
}

class KeyFilter : public QObject {
public:
    KeyFilter(KeySet keys, QObject* parent) : QObject(parent), m_keys(keys) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            // Shortcuts with Ctrl (copy, paste, select all) are not typing.
            if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
            if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f) return false;
            for (const QChar c : text)
                if (!Allowed(c, m_keys)) return true;
        } else if (event->type() == QEvent::InputMethod) {
            const auto* input = static_cast<QInputMethodEvent*>(event);
            for (const QChar c : input->commitString())
                if (!Allowed(c, m_keys)) return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    KeySet m_keys;
};

}  // namespace

void AcceptOnly(QLineEdit* edit, KeySet keys) {
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->installEventFilter(new KeyFilter(keys, edit));
    // Pasting (Ctrl+V, the context menu, a drop) bypasses the keys: the same characters are
    // enforced on the text, and a paste holding any other is refused whole.
    const QString pattern =
        keys == KeySet::Number ? QStringLiteral("[0-9.]*") : QStringLiteral("[0-9A-Za-z]*");
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
}
