#include "platform/fakeaudiooutput.h"

#include <algorithm>

namespace varnelo {

bool FakeAudioOutput::start(PcmSource *source, int sampleRate) {
    stop();
    if (!m_available || source == nullptr || sampleRate <= 0) {
        return false;
    }
    m_source = source;
    m_rate = sampleRate;
    m_played = 0;
    m_pulled = 0;
    m_sourceEnded = false;
    m_fraction = 0;
    ++m_starts;
    return true;
}

void FakeAudioOutput::stop() {
    m_source = nullptr;
    m_paused = false;
}

void FakeAudioOutput::advanceFrames(qint64 frames) {
    if (m_source == nullptr || m_paused || frames <= 0) {
        return;
    }
    const qint64 wanted = m_played + frames + m_readAhead - m_pulled;
    if (!m_sourceEnded && wanted > 0) {
        const size_t at = m_recorded.size();
        m_recorded.resize(at + size_t(wanted) * 2);
        const qint64 got =
            std::max<qint64>(m_source->readFrames(m_recorded.data() + at, wanted), 0);
        m_recorded.resize(at + size_t(got) * 2);
        m_pulled += got;
        m_sourceEnded = got < wanted;
    }
    m_played = std::min(m_played + frames, m_pulled);
    if (m_sourceEnded && m_played == m_pulled) {
        m_source = nullptr;
    }
}

void FakeAudioOutput::advance(qint64 ms, qint64 stepMs) {
    for (qint64 done = 0; done < ms; done += stepMs) {
        const qint64 step = std::min(stepMs, ms - done);
        if (m_source != nullptr && !m_paused) {
            m_fraction += step * m_rate;
            advanceFrames(m_fraction / 1000);
            m_fraction %= 1000;
        }
        if (m_progress) {
            m_progress();
        }
    }
}

}  // namespace varnelo
