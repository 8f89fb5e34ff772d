#include "platform/fakeaudiooutput.h"

#include <algorithm>
#include <chrono>

namespace varnelo {

namespace {

constexpr auto kPacedStep = std::chrono::milliseconds(5);

}  // namespace

FakeAudioOutput::~FakeAudioOutput() {
    stop();
}

bool FakeAudioOutput::start(PcmSource *source, int sampleRate) {
    stop();
    if (!m_available || source == nullptr || sampleRate <= 0) {
        return false;
    }
    m_source = source;
    m_rate = sampleRate;
    m_played = 0;
    m_underrun = 0;
    m_pulled = 0;
    m_sourceEnded = false;
    m_fraction = 0;
    m_active = true;
    ++m_starts;
    if (m_mode == Mode::Paced) {
        m_stopping = false;
        m_pacer = std::thread([this] { runPaced(); });
    }
    return true;
}

void FakeAudioOutput::stop() {
    m_stopping = true;
    if (m_source != nullptr) {
        m_source->interrupt();
    }
    if (m_pacer.joinable()) {
        m_pacer.join();
    }
    m_source = nullptr;
    m_active = false;
    m_paused = false;
}

void FakeAudioOutput::pullUpTo(qint64 total) {
    while (!m_sourceEnded && m_pulled < total) {
        const qint64 wanted = total - m_pulled;
        const size_t at = m_recorded.size();
        m_recorded.resize(at + size_t(wanted) * 2);
        const qint64 got =
            std::clamp<qint64>(m_source->readFrames(m_recorded.data() + at, wanted), 0, wanted);
        m_recorded.resize(at + size_t(got) * 2);
        m_pulled += got;
        m_sourceEnded = got == 0;
    }
}

bool FakeAudioOutput::play(qint64 frames) {
    m_played = std::min(m_played + frames, m_pulled);
    if (m_sourceEnded && m_played == m_pulled) {
        m_active = false;
        return false;
    }
    return true;
}

void FakeAudioOutput::advanceFrames(qint64 frames) {
    if (!m_active || m_paused || frames <= 0) {
        return;
    }
    pullUpTo(m_played + frames + m_readAhead);
    if (!play(frames)) {
        m_source = nullptr;
    }
}

void FakeAudioOutput::advance(qint64 ms, qint64 stepMs) {
    for (qint64 done = 0; done < ms; done += stepMs) {
        const qint64 step = std::min(stepMs, ms - done);
        if (m_active && !m_paused) {
            m_fraction += step * m_rate;
            advanceFrames(m_fraction / 1000);
            m_fraction %= 1000;
        }
        reportProgress();
    }
}

void FakeAudioOutput::runPaced() {
    using Clock = std::chrono::steady_clock;
    const qint64 buffer = std::max<qint64>(m_readAhead, qint64(m_rate) * m_bufferMs / 1000);
    // The device's clock: frames it has sent to the speaker, sound or (on underrun) silence.
    qint64 deviceFrames = 0;
    qint64 deviceNs = 0;
    Clock::time_point last = Clock::now();
    pullUpTo(buffer);
    while (!m_stopping) {
        std::this_thread::sleep_until(last + kPacedStep);
        const Clock::time_point now = Clock::now();
        if (!m_paused) {
            deviceNs += std::chrono::duration_cast<std::chrono::nanoseconds>(now - last).count();
        }
        last = now;
        const qint64 due = deviceNs * m_rate / 1000000000;
        const qint64 step = due - deviceFrames;
        deviceFrames = due;
        const qint64 starved = m_played + step - m_pulled;
        if (!m_sourceEnded && starved > 0) {
            m_underrun += starved;
        }
        const bool more = play(step);
        reportProgress();
        if (!more) {
            break;
        }
        pullUpTo(m_played + buffer);
    }
}

}  // namespace varnelo
