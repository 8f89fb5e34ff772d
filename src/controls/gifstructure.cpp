#include "controls/gifstructure.h"

#include <cstring>

#include <algorithm>
#include <memory>

namespace varnelo {

const char kNotAGifTitle[] = "Not a Valid  File!";
const char kNotAGifText[] = "Sorry, not an  file";

namespace {

// Bounds-checked reads of a file image: bytes past either end read as 0, so damaged files can be
// scanned with the arithmetic of good ones.
class Bytes {
public:
    explicit Bytes(const QByteArray &data) : m_data(data) {}

    qint64 size() const { return m_data.size(); }
    quint8 at(qint64 pos) const {
        return pos >= 0 && pos < size() ? quint8(m_data.constData()[pos]) : 0;
    }
    quint16 u16(qint64 pos) const { return quint16(at(pos) | (at(pos + 1) << 8)); }
    // length bytes from pos, zero where the file ends first.
    QByteArray slice(qint64 pos, qint64 length) const {
        QByteArray out(length, '\0');
        const qint64 available = std::clamp<qint64>(size() - pos, 0, length);
        if (pos >= 0 && available > 0)
            std::copy_n(m_data.constData() + pos, available, out.data());
        return out;
    }
    // Position of the zero-length block ending the data sub-blocks from pos, or size() when the
    // file ends first.
    qint64 subBlocksEnd(qint64 pos) const {
        while (pos < size() && at(pos) != 0)
            pos += at(pos) + 1;
        return std::min(pos, size());
    }

private:
    const QByteArray &m_data;
};

void setByte(QByteArray &data, qint64 pos, quint8 value) {
    if (pos >= 0 && pos < data.size())
        data[pos] = char(value);
}

qint64 tableLength(quint8 sizeField) {
    return qint64(3) << ((sizeField & 7) + 1);
}

quint32 tableEntry(const QByteArray &table, qint64 index) {
    const qint64 at = index * 3;
    if (at < 0 || at + 3 > table.size())
        return 0;
    return (quint32(quint8(table[at])) << 16) | (quint32(quint8(table[at + 1])) << 8) |
           quint8(table[at + 2]);
}

void setTableEntry(QByteArray &table, qint64 index, quint32 rgb) {
    const qint64 at = index * 3;
    if (at < 0 || at + 3 > table.size())
        return;
    table[at] = char(rgb >> 16);
    table[at + 1] = char(rgb >> 8);
    table[at + 2] = char(rgb);
}

// A colour for the transparent index that no other entry shares: half the second largest entry
// (as red + 256 green + 65536 blue), halves rounded to even; nothing when it is unique already.
std::optional<quint32> uniqueTransparentColour(const QByteArray &table, int transparentIndex) {
    const qint64 entries = table.size() / 3;
    if (transparentIndex >= entries)
        return std::nullopt;
    const quint32 key = tableEntry(table, transparentIndex);
    bool shared = false;
    for (qint64 i = 0; i < entries && !shared; ++i)
        shared = i != transparentIndex && tableEntry(table, i) == key;
    if (!shared)
        return std::nullopt;
    quint32 largest = 0;
    quint32 second = 0;
    for (qint64 i = 0; i < entries; ++i) {
        const quint32 rgb = tableEntry(table, i);
        const quint32 value = (rgb >> 16) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
        if (value > largest) {
            second = largest;
            largest = value;
        } else if (value > second) {
            second = value;
        }
    }
    quint32 half = second / 2;
    if ((second & 1) && (half & 1))
        ++half;
    return ((half & 0xFF) << 16) | (half & 0xFF00) | (half >> 16);
}

}  // namespace

quint8 gifColourComponent(qint64 colour, int component) {
    if (component < 1 || component > 3 || colour < 0 || colour >= 0x1000000)
        return 255;
    return quint8(colour >> (8 * (component - 1)));
}

namespace {

// The logical screen descriptor and the global table, black in its first two entries made the
// fore colour in data; returns where the blocks after them begin.
qint64 readScreen(GifStructure &gif, QByteArray &data, qint64 foreColour) {
    const Bytes bytes(data);
    gif.screenWidth = bytes.u16(6);
    gif.screenHeight = bytes.u16(8);
    gif.screenPacked = bytes.at(10);
    gif.backgroundIndex = bytes.at(11);
    gif.aspect = bytes.at(12);
    gif.globalTable = gif.screenPacked & 0x80;
    if (!gif.globalTable)
        return 13;
    for (qint64 entry = 13; entry <= 16; entry += 3) {
        if (bytes.at(entry) == 0 && bytes.at(entry + 1) == 0 && bytes.at(entry + 2) == 0) {
            for (int c = 0; c < 3; ++c)
                setByte(data, entry + c, gifColourComponent(foreColour, c + 1));
        }
    }
    gif.globalTableCopy = bytes.slice(13, tableLength(gif.screenPacked));
    return 13 + gif.globalTableCopy.size();
}

// Steps over the blocks before the frame's image descriptor, taking its graphic control into
// frame; true with pos at the descriptor, false when the trailer or the file's end comes first.
bool findImageDescriptor(const Bytes &bytes, qint64 &pos, GifFrame &frame) {
    while (pos < bytes.size()) {
        const quint8 block = bytes.at(pos);
        const quint8 label = bytes.at(pos + 1);
        if (block == 0x2C)
            return true;
        if (block == 0x3B)
            return false;
        if (block == 0x21 && (label == 0xFF || label == 0xFE || label == 0x01)) {
            pos = bytes.subBlocksEnd(pos + 2) + 1;
        } else if (block == 0x21 && label == 0xF9) {
            const quint8 packed = bytes.at(pos + 3);
            frame.delay = bytes.u16(pos + 4);
            frame.transparentIndex = bytes.at(pos + 6);
            frame.disposal = (packed >> 2) & 7;
            frame.userInput = packed & 2;
            frame.transparent = packed & 1;
            pos += 7;
        } else {
            ++pos;
        }
    }
    return false;
}

// The image descriptor at pos, its local table and the extent of its image data.
void readImage(const Bytes &bytes, qint64 pos, GifFrame &frame) {
    frame.descriptorOffset = pos;
    frame.left = bytes.u16(pos + 1);
    frame.top = bytes.u16(pos + 3);
    frame.width = bytes.u16(pos + 5);
    frame.height = bytes.u16(pos + 7);
    const quint8 packed = bytes.at(pos + 9);
    frame.localTable = packed & 0x80;
    frame.interlaced = packed & 0x40;
    frame.sorted = packed & 0x20;
    frame.localSizeField = packed & 7;
    pos += 10;
    if (frame.localTable) {
        frame.localTableOffset = pos;
        frame.palette = bytes.slice(pos, tableLength(frame.localSizeField));
        pos += frame.palette.size();
    }
    frame.dataOffset = pos;
    frame.lzwMinCodeSize = bytes.at(pos);
    frame.endOffset = bytes.subBlocksEnd(pos + 1);
}

// Gives the frame's transparent index a colour no other entry of its table has, in the frame's
// palette, the table copy and the file image.
void makeTransparentUnique(GifStructure &gif, QByteArray &data, GifFrame &frame) {
    if (!frame.transparent || (!frame.localTable && !gif.globalTable))
        return;
    QByteArray &table = frame.localTable ? frame.palette : gif.globalTableCopy;
    const auto colour = uniqueTransparentColour(table, frame.transparentIndex);
    if (!colour)
        return;
    setTableEntry(table, frame.transparentIndex, *colour);
    if (!frame.localTable)
        setTableEntry(frame.palette, frame.transparentIndex, *colour);
    const qint64 at =
        (frame.localTable ? frame.localTableOffset : 13) + 3 * qint64(frame.transparentIndex);
    setByte(data, at, quint8(*colour >> 16));
    setByte(data, at + 1, quint8(*colour >> 8));
    setByte(data, at + 2, quint8(*colour));
}

}  // namespace

GifParseResult parseGif(QByteArray data, qint64 foreColour, bool changeTransparentColour) {
    if (data.size() < 4 || !data.startsWith("GIF8"))
        return {std::nullopt, QString::fromLatin1(kNotAGifText)};
    GifStructure gif;
    qint64 pos = readScreen(gif, data, foreColour);
    const Bytes bytes(data);
    while (pos < bytes.size()) {
        GifFrame frame;
        frame.palette = gif.globalTableCopy;
        frame.startOffset = pos;
        // A frame begun without an image descriptor has nothing to draw.
        if (!findImageDescriptor(bytes, pos, frame))
            break;
        // A descriptor cut short is no frame: its missing bytes are not zeros to draw by.
        if (pos + 10 > bytes.size())
            break;
        readImage(bytes, pos, frame);
        if (changeTransparentColour)
            makeTransparentUnique(gif, data, frame);
        gif.frames.append(frame);

        pos = frame.endOffset + 1;
        if (pos < bytes.size() && bytes.at(pos) == 0x3B)
            break;
    }
    gif.fileImage = data;
    return {std::move(gif), QString()};
}

int GifStructure::canvasWidth() const {
    int width = screenWidth;
    for (const GifFrame &frame : frames)
        width = std::max<int>(width, frame.width);
    return (width + 31) / 32 * 32;
}

int GifStructure::canvasHeight() const {
    int height = screenHeight;
    for (const GifFrame &frame : frames)
        height = std::max<int>(height, frame.height);
    return height;
}

std::array<quint32, 256> GifStructure::colourTable(int frame) const {
    std::array<quint32, 256> colours{};
    const GifFrame &f = frames.at(frame);
    const Bytes bytes(fileImage);
    QByteArray table;
    // Each frame is decoded against the screen's own table size: a local table never changes
    // what the global table means for the frames after it.
    if (f.localTable)
        table = bytes.slice(f.localTableOffset, tableLength(f.localSizeField));
    else if (globalTable)
        table = bytes.slice(13, tableLength(screenPacked));
    for (int i = 0; i < 256; ++i)
        colours[size_t(i)] = tableEntry(table, i);
    return colours;
}

std::optional<quint32> GifStructure::keyColour(int frame) const {
    const GifFrame &f = frames.at(frame);
    if (!f.transparent)
        return std::nullopt;
    return tableEntry(f.palette, f.transparentIndex);
}

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kCodes = 1 << kMaxCodeBits;

// The image data sub-blocks read as one stream of codes, least significant bit first. It ends
// at the block terminator or the file's end.
class CodeReader {
public:
    CodeReader(const QByteArray &file, qint64 pos)
        : m_data(reinterpret_cast<const uchar *>(file.constData())),
          m_size(file.size()),
          m_pos(pos) {}

    // The next code of bits bits; false when the data ends first.
    bool next(int bits, int &code) {
        while (m_count < bits) {
            if (m_blockLeft == 0) {
                if (m_pos >= m_size || m_data[m_pos] == 0)
                    return false;
                m_blockLeft = m_data[m_pos++];
            }
            if (m_pos >= m_size)
                return false;
            m_buffer |= quint32(m_data[m_pos++]) << m_count;
            m_count += 8;
            --m_blockLeft;
        }
        code = int(m_buffer & ((1u << bits) - 1));
        m_buffer >>= bits;
        m_count -= bits;
        return true;
    }

private:
    const uchar *m_data;
    qint64 m_size;
    qint64 m_pos;
    int m_blockLeft = 0;
    quint32 m_buffer = 0;
    int m_count = 0;
};

// The LZW string table: each code past the roots is an earlier code plus one index.
struct CodeTable {
    quint16 prefix[kCodes];
    quint16 length[kCodes];
    uchar suffix[kCodes];
    uchar first[kCodes];
};

// Decodes the code stream into count indexes at out, in stream order; returns how many the
// stream gave before it ended or turned out damaged (a code not yet in the table).
qsizetype decodeCodes(CodeReader &reader, int minCodeSize, uchar *out, qsizetype count) {
    auto table = std::make_unique<CodeTable>();
    const int clear = 1 << minCodeSize;
    for (int i = 0; i < clear; ++i) {
        table->prefix[i] = 0;
        table->length[i] = 1;
        table->suffix[i] = table->first[i] = uchar(i);
    }
    int bits = minCodeSize + 1;
    int limit = 2 * clear;
    int next = clear + 2;
    int previous = -1;
    qsizetype at = 0;
    int code = 0;
    while (at < count && reader.next(bits, code)) {
        if (code == clear) {
            bits = minCodeSize + 1;
            limit = 2 * clear;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == clear + 1 || code > next || (previous < 0 && code > clear))
            break;
        if (previous >= 0 && next < kCodes) {
            // code == next is the string being defined: the previous one plus its own head.
            table->prefix[next] = quint16(previous);
            table->length[next] = quint16(table->length[previous] + 1);
            table->first[next] = table->first[previous];
            table->suffix[next] = table->first[code < next ? code : previous];
            if (++next >= limit && limit < kCodes) {
                limit *= 2;
                ++bits;
            }
        }
        // The string comes out last index first, along its prefixes; what passes count is
        // dropped.
        const int length = table->length[code];
        const qsizetype room = std::min<qsizetype>(length, count - at);
        int c = code;
        for (int k = length - 1; k >= 0; --k) {
            if (k < room)
                out[at + k] = table->suffix[c];
            c = table->prefix[c];
        }
        at += room;
        previous = code;
    }
    return at;
}

// The display row of each stored row of an interlaced image: every eighth row from 0, every
// eighth from 4, every fourth from 2, then every second from 1.
QList<int> interlacedRows(int height) {
    QList<int> rows;
    rows.reserve(height);
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < height; y += steps[pass])
            rows.append(y);
    }
    return rows;
}

}  // namespace

bool GifStructure::decodeFrame(int frame, uchar *pixels, qsizetype bytesPerLine) const {
    const GifFrame &f = frames.at(frame);
    // The code size must leave every index a byte; something must follow it.
    if (f.lzwMinCodeSize > 8 || f.dataOffset + 1 >= fileImage.size())
        return false;
    const qsizetype width = f.width;
    const qsizetype count = width * f.height;
    // Rows come in display order unless interlaced: those are decoded in place, packed, and
    // spread to their lines afterwards.
    QByteArray buffer;
    if (f.interlaced)
        buffer = QByteArray(count, Qt::Uninitialized);
    uchar *out = f.interlaced ? reinterpret_cast<uchar *>(buffer.data()) : pixels;
    CodeReader reader(fileImage, f.dataOffset + 1);
    const qsizetype decoded = decodeCodes(reader, f.lzwMinCodeSize, out, count);
    // Pixels a file cut short never reaches take the screen's background.
    std::fill(out + decoded, out + count, backgroundIndex);
    if (f.interlaced) {
        const QList<int> rows = interlacedRows(f.height);
        for (int y = 0; y < f.height; ++y)
            std::copy_n(out + y * width, width, pixels + rows[y] * bytesPerLine);
    } else if (bytesPerLine != width) {
        // From the last row up, each row moves only onto bytes already moved.
        for (int y = f.height - 1; y > 0; --y)
            std::memmove(pixels + y * bytesPerLine, pixels + y * width, size_t(width));
    }
    return true;
}

}  // namespace varnelo
