#pragma once

#include <QtGlobal>

#include <functional>

namespace varnelo {

// What an audio output plays: 16-bit signed interleaved stereo, pulled by the output on its audio
// thread.
class PcmSource {
public:
    virtual ~PcmSource() = default;

    // Writes up to `frames` stereo pairs into out (2 * frames values) and returns how many. Only
    // 0 for a request of at least one frame means the source has ended.
    virtual qint64 readFrames(qint16 *out, qint64 frames) = 0;
    // Called by the output's stop() on the controlling thread, possibly while readFrames runs:
    // a read that waits for something must return soon, and later ones at once, until the
    // source is started again.
    virtual void interrupt() {}
};

// A sound device that pulls PCM from a source and counts what it has played. Control calls
// (start, stop, setPaused, setBufferMs, setProgressHandler) come from one controlling thread; the
// source is pulled on the output's own audio thread. Neither thread waits on the other beyond a
// read under way or a progress call.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // False when there is no sound device; every other call is then a harmless no-op.
    virtual bool isAvailable() const = 0;
    // Device buffer length for the next start(), in ms.
    virtual void setBufferMs(int ms) = 0;
    // Stops what plays and starts pulling from source at the given rate; framesPlayed() restarts
    // at 0. False (and nothing plays) when there is no device or it refuses the format; a device
    // that fails later ends the output as if the source had ended.
    virtual bool start(PcmSource *source, int sampleRate) = 0;
    // Stops and forgets the source, interrupting it first. On return readFrames is not running
    // and will not be called again, and framesPlayed() holds what was played up to the stop (as
    // last counted: a device may count in steps of a few ms).
    virtual void stop() = 0;
    // Holds or resumes playback; the played count holds with it.
    virtual void setPaused(bool paused) = 0;
    // Stereo pairs the device has actually played since the last start(). Any thread.
    virtual qint64 framesPlayed() const = 0;
    // True from start() until stop(), or until the source ended and all of it was played. Any
    // thread.
    virtual bool isActive() const = 0;
    // Called whenever framesPlayed() or isActive() may have changed, at least every few tens of ms
    // while playing, possibly on the audio thread. Set it only while stopped; on return the old one
    // is not running and will not be called again.
    virtual void setProgressHandler(std::function<void()> handler) = 0;
    // A hint from the controlling thread: progress is wanted as soon as this frame of the current
    // start() has played, sooner than the next regular report would come. Any thread.
    virtual void setDueFrame(qint64 frame) { (void)frame; }
};

}  // namespace varnelo
