#include "display/legacyhtml.h"

#include <QRegularExpression>

#include <cmath>
#include <vector>

namespace varnelo {

namespace {

// The size a percentage took in the old engine: of its 16 px medium font.
constexpr double kDefaultFontPx = 16.0;

QString percentFontSizesToPixels(const QString &css) {
    static const QRegularExpression percent(R"(font-size\s*:\s*(\d+(?:\.\d+)?)\s*%)",
                                            QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &m : percent.globalMatch(css)) {
        const double px = kDefaultFontPx * m.captured(1).toDouble() / 100.0;
        out += css.mid(done, m.capturedStart() - done);
        out += QStringLiteral("font-size: %1px").arg(std::lround(px));
        done = m.capturedEnd();
    }
    return out + css.mid(done);
}

QString unquoted(const QString &value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// The new text of one attribute value, or a null string to keep it as it is.
QString normalisedValue(const QString &tag, const QString &name, const QString &rawValue) {
    static const QRegularExpression bareHex(QStringLiteral("^[0-9A-Fa-f]{6}$"));
    const QString value = unquoted(rawValue);
    if ((name == u"bgcolor" || name == u"color") && bareHex.match(value).hasMatch())
        return "\"#" + value + '"';
    if (tag == u"font" && name == u"size") {
        bool ok = false;
        const double size = value.toDouble(&ok);
        // "nan" converts too, and is no number to cut.
        if (ok && std::isfinite(size) && size != std::floor(size))
            return QString::number(qint64(std::floor(size)));
    }
    if (name == u"style") {
        const QString css = percentFontSizesToPixels(value);
        // A bare value gets quotes it does not hold itself, or a quote inside it would end the
        // new value early and turn the rest into attributes of their own.
        QString quote = rawValue.left(1);
        if (value == rawValue)
            quote = !value.contains('"')    ? QStringLiteral("\"")
                    : !value.contains('\'') ? QStringLiteral("'")
                                            : QString();
        if (css != value && !quote.isEmpty())
            return quote + css + quote;
    }
    return {};
}

// The tag's name in lower case: "<FONT SIZE = 2>" gives "font".
QString tagName(const QString &tagText) {
    qsizetype end = 1;
    while (end < tagText.size() && tagText[end].isLetterOrNumber())
        ++end;
    return tagText.mid(1, end - 1).toLower();
}

// One start tag "<name ...>" with its attribute values normalised. Attributes are read one after
// another, so text inside a quoted value is never taken for an attribute.
QString normaliseTag(const QString &tagText) {
    const QString tag = tagName(tagText);
    const qsizetype n = tagText.size() - 1;  // before the closing '>'
    auto skipBlanks = [&](qsizetype i) {
        while (i < n && tagText[i].isSpace())
            ++i;
        return i;
    };
    QString out;
    qsizetype done = 0;
    qsizetype i = 1 + tag.size();
    while ((i = skipBlanks(i)) < n) {
        if (tagText[i] == '"' || tagText[i] == '\'') {  // a stray quoted text
            const qsizetype close = tagText.indexOf(tagText[i], i + 1);
            i = close < 0 ? n : close + 1;
            continue;
        }
        const qsizetype nameStart = i;
        while (i < n && !tagText[i].isSpace() && tagText[i] != '=' && tagText[i] != '"' &&
               tagText[i] != '\'')
            ++i;
        const QString name = tagText.mid(nameStart, i - nameStart).toLower();
        const qsizetype afterName = skipBlanks(i);
        if (afterName >= n || tagText[afterName] != '=') {
            i = nameStart == i ? i + 1 : i;
            continue;
        }
        const qsizetype valueStart = skipBlanks(afterName + 1);
        qsizetype valueEnd = valueStart;
        if (valueStart < n && (tagText[valueStart] == '"' || tagText[valueStart] == '\'')) {
            const qsizetype close = tagText.indexOf(tagText[valueStart], valueStart + 1);
            valueEnd = close < 0 ? n : close + 1;
        } else {
            while (valueEnd < n && !tagText[valueEnd].isSpace())
                ++valueEnd;
        }
        i = valueEnd;
        const QString value =
            normalisedValue(tag, name, tagText.mid(valueStart, valueEnd - valueStart));
        if (value.isNull())
            continue;
        out += tagText.mid(done, valueStart - done) + value;
        done = valueEnd;
    }
    return out + tagText.mid(done);
}

// For every position p, the index just past the first '>' a scan from p meets outside quotes
// (a quote runs to the next mark of its kind), or -1 when there is none. Filled in one pass from
// the end, so finding every tag's end costs the page's length once however many are left open.
std::vector<qsizetype> tagEnds(const QString &html) {
    const qsizetype n = html.size();
    std::vector<qsizetype> ends(size_t(n) + 1, -1);
    qsizetype nextDouble = -1;
    qsizetype nextSingle = -1;
    for (qsizetype p = n - 1; p >= 0; --p) {
        const QChar c = html[p];
        if (c == '>') {
            ends[size_t(p)] = p + 1;
        } else if (c == '"' || c == '\'') {
            const qsizetype close = c == '"' ? nextDouble : nextSingle;
            ends[size_t(p)] = close < 0 ? -1 : ends[size_t(close) + 1];
        } else {
            ends[size_t(p)] = ends[size_t(p) + 1];
        }
        if (c == '"')
            nextDouble = p;
        else if (c == '\'')
            nextSingle = p;
    }
    return ends;
}

}  // namespace

QString normaliseLegacyHtml(const QString &html) {
    QString out;
    out.reserve(html.size() + 64);
    const std::vector<qsizetype> ends = tagEnds(html);
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype open = html.indexOf('<', i);
        if (open < 0 || open + 1 >= html.size()) {
            out += html.mid(i);
            break;
        }
        out += html.mid(i, open - i);
        // The tag opened here ends where a scan from just after its '<' finds a '>'.
        const qsizetype end = html[open + 1].isLetter() ? ends[size_t(open) + 1] : -1;
        if (end < 0) {
            out += '<';
            i = open + 1;
            continue;
        }
        const QString tagText = html.mid(open, end - open);
        out += normaliseTag(tagText);
        i = end;
        if (tagName(tagText) == u"style") {
            qsizetype close = html.indexOf(QLatin1String("</style"), i, Qt::CaseInsensitive);
            if (close < 0)
                close = html.size();
            out += percentFontSizesToPixels(html.mid(i, close - i));
            i = close;
        }
    }
    return out;
}

}  // namespace varnelo
