#include "platform/clipboard.h"

namespace varnelo {

void FakeClipboard::setText(const QString &text) {
    m_text = text;
    changed();
}

void FakeClipboard::setChangedCallback(std::function<void()> onChanged) {
    m_onChanged = std::move(onChanged);
}

void FakeClipboard::setNonText() {
    m_text.reset();
    changed();
}

void FakeClipboard::changed() {
    if (m_onChanged)
        m_onChanged();
}

}  // namespace varnelo
