#pragma once

#include <vector>

#include "platform/audiooutput.h"

namespace varnelo {

// An output on a virtual clock for tests: nothing plays until advance() is called, and every
// sample played is recorded.
class FakeAudioOutput : public AudioOutput {
public:
    explicit FakeAudioOutput(bool available = true) : m_available(available) {}

    bool isAvailable() const override { return m_available; }
    void setBufferMs(int ms) override { m_bufferMs = ms; }
    bool start(PcmSource *source, int sampleRate) override;
    void stop() override;
    void setPaused(bool paused) override { m_paused = paused; }
    qint64 framesPlayed() const override { return m_played; }
    bool isActive() const override { return m_source != nullptr; }
    void setProgressHandler(std::function<void()> handler) override {
        m_progress = std::move(handler);
    }

    // Frames pulled from the source ahead of what has played, as a device buffer holds them.
    void setReadAhead(qint64 frames) { m_readAhead = frames; }
    // Lets ms of virtual time pass in steps of stepMs, reporting progress after each step.
    void advance(qint64 ms, qint64 stepMs = 1);
    // Lets `frames` stereo pairs play at once.
    void advanceFrames(qint64 frames);

    // Every sample handed to the output since construction or clearRecorded(), interleaved
    // stereo: what played plus any read-ahead.
    const std::vector<qint16> &recorded() const { return m_recorded; }
    qint64 recordedFrames() const { return qint64(m_recorded.size()) / 2; }
    void clearRecorded() { m_recorded.clear(); }
    int sampleRate() const { return m_rate; }
    int bufferMs() const { return m_bufferMs; }
    bool isPaused() const { return m_paused; }
    int startCount() const { return m_starts; }

private:
    bool m_available;
    PcmSource *m_source = nullptr;
    std::function<void()> m_progress;
    std::vector<qint16> m_recorded;
    int m_rate = 0;
    int m_bufferMs = 0;
    int m_starts = 0;
    bool m_paused = false;
    qint64 m_played = 0;
    qint64 m_pulled = 0;
    qint64 m_readAhead = 0;
    bool m_sourceEnded = false;
    qint64 m_fraction = 0;  // thousandths of a frame carried between steps
};

}  // namespace varnelo
