#include "data/clipboardreferencehook.h"

#include "platform/clipboard.h"

namespace varnelo {

ClipboardReferenceHook::ClipboardReferenceHook(Clipboard &clipboard, int suraCount,
                                               Handler onReference)
    : m_clipboard(clipboard), m_suraCount(suraCount), m_onReference(std::move(onReference)) {
    m_clipboard.setChangedCallback([this] { clipboardChanged(); });
}

ClipboardReferenceHook::~ClipboardReferenceHook() {
    if (!m_stopped)
        m_clipboard.setChangedCallback({});
}

void ClipboardReferenceHook::stop() {
    m_stopped = true;
    m_clipboard.setChangedCallback({});
}

void ClipboardReferenceHook::clipboardChanged() {
    if (!m_startupDone || m_stopped)
        return;
    const std::optional<QString> text = m_clipboard.text();
    if (!text)
        return;
    if (const std::optional<VerseReference> reference = ParseVerseReference(*text, m_suraCount))
        m_onReference(*reference);
}

}  // namespace varnelo
