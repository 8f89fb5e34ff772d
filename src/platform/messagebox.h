#pragma once

#include <QString>

namespace varnelo {

// The program's modal message boxes and input box; tests hand in scripted answers.
class MessageBox {
public:
    virtual ~MessageBox() = default;

    // Information message with an OK button.
    virtual void information(const QString &title, const QString &text) = 0;
    // Question with Yes and No buttons, No being the default; true when the answer is Yes.
    virtual bool question(const QString &title, const QString &text) = 0;
    // Input box; the text entered, or "" when cancelled.
    virtual QString inputBox(const QString &prompt, const QString &title) = 0;
};

}  // namespace varnelo
