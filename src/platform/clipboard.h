#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace varnelo {

// The system clipboard's text and its change notification; tests hand in FakeClipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    // The clipboard's text, or nothing when it holds no text.
    virtual std::optional<QString> text() const = 0;
    // Replaces the clipboard's contents with text.
    virtual void setText(const QString &text) = 0;
    // Calls onChanged after every change of the clipboard's contents, from any program; an
    // empty function stops the calls. Replaces the previous callback.
    virtual void setChangedCallback(std::function<void()> onChanged) = 0;
};

// A clipboard in memory: every change, by the program or by "another program", calls back.
class FakeClipboard : public Clipboard {
public:
    std::optional<QString> text() const override { return m_text; }
    void setText(const QString &text) override;
    void setChangedCallback(std::function<void()> onChanged) override;

    // Another program puts something other than text on the clipboard.
    void setNonText();
    bool hasCallback() const { return bool(m_onChanged); }

private:
    void changed();

    std::optional<QString> m_text;
    std::function<void()> m_onChanged;
};

}  // namespace varnelo
