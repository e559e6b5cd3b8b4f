#pragma once
// Boxes that accept only some characters: every other character is dropped while it is typed
// (keys that type nothing, like the arrows, still work), and a pasted text holding one is
// refused. Input methods are switched off.

class QLineEdit;

enum class KeySet {
    Number,    // digits and the decimal point, plus Backspace, Enter and Esc
    Code,      // digits and Latin letters, plus Backspace and Enter
    Password,  // ASCII letters and digits, plus Backspace and Enter
};

void AcceptOnly(QLineEdit* edit, KeySet keys);
