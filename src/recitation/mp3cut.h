#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace varnelo {

class FrameLocator;

// A complete 128-byte ID3v1 tag; texts are cut or padded with blanks to their field widths.
struct Id3v1Tag {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    // Genre index; 101 is "Speech".
    quint8 genre = 101;

    // "TAG", title (30), artist (30), album (30), year (4), comment (30), genre (1), in Latin-1
    // with "?" for characters it lacks.
    QByteArray toBytes() const;
};

// Writes the 128 bytes of tag at the current position of out; false when they are not all written.
bool WriteTag(QIODevice &out, const Id3v1Tag &tag);

// Outcome of a cut: the number of audio bytes copied, of the info frame and of the reservoir
// carrier written before them, or what went wrong.
struct Mp3CutResult {
    qint64 audioBytes = 0;
    qint64 infoBytes = 0;
    qint64 carrierBytes = 0;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Copies, without re-encoding, the audio frames of sourcePath from the one holding startMs to
// the one holding endMs (cut to the file's length) into targetPath, followed by tag. Layer III
// cuts begin with the frame (MPEG 1) or two (MPEG 2 and 2.5) before the start frame, never
// before the first audio frame, whose filterbank overlap the start frame needs; when the copied
// frames reach back into the bit reservoir, a silent frame of our own carrying those bytes goes
// first. So the range decodes exactly as in the source; when a header there is in doubt, the cut
// begins at the start frame itself. When frames numbers its frames, a layer III cut opens with
// an info frame whose encoder delay and padding make gapless decoders play exactly
// startMs..endMs as the source plays it. The target is written under a temporary name and
// renamed when complete, so on any failure an existing target is untouched and no partial file
// remains.
Mp3CutResult CutMp3Range(const QString &sourcePath, const FrameLocator &frames, qint32 startMs,
                         qint32 endMs, const QString &targetPath, const Id3v1Tag &tag);

}  // namespace varnelo
