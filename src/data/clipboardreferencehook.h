#pragma once

#include <functional>

#include "data/versereference.h"

namespace varnelo {

class Clipboard;

// Turns verse references copied to the clipboard into calls of onReference, once start-up is
// done; anything else on the clipboard is ignored without a word.
class ClipboardReferenceHook {
public:
    using Handler = std::function<void(const VerseReference &)>;

    // Watches clipboard until destroyed; suraCount is the length of the sura list.
    ClipboardReferenceHook(Clipboard &clipboard, int suraCount, Handler onReference);
    ~ClipboardReferenceHook();
    ClipboardReferenceHook(const ClipboardReferenceHook &) = delete;
    ClipboardReferenceHook &operator=(const ClipboardReferenceHook &) = delete;

    // No more calls of onReference, not even for a change already being handled; safe to call
    // from inside onReference.
    void stop();

    // Changes arriving while this is false are dropped, not kept for later.
    void setStartupDone(bool done) { m_startupDone = done; }
    bool startupDone() const { return m_startupDone; }

private:
    void clipboardChanged();

    Clipboard &m_clipboard;
    int m_suraCount;
    Handler m_onReference;
    bool m_startupDone = false;
    bool m_stopped = false;
};

}  // namespace varnelo
