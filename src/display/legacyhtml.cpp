#include "display/legacyhtml.h"

#include <QRegularExpression>

#include <cmath>

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
        if (ok && size != std::floor(size))
            return QString::number(qint64(std::floor(size)));
    }
    if (name == u"style") {
        const QString css = percentFontSizesToPixels(value);
        const QString quote = value == rawValue ? QStringLiteral("\"") : rawValue.left(1);
        if (css != value)
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

// Index just past the '>' that closes the tag opened at start, quotes respected; -1 if none.
qsizetype tagEnd(const QString &html, qsizetype start) {
    QChar quote;
    for (qsizetype i = start + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return -1;
}

}  // namespace

QString normaliseLegacyHtml(const QString &html) {
    QString out;
    out.reserve(html.size() + 64);
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype open = html.indexOf('<', i);
        if (open < 0 || open + 1 >= html.size()) {
            out += html.mid(i);
            break;
        }
        out += html.mid(i, open - i);
        const qsizetype end = html[open + 1].isLetter() ? tagEnd(html, open) : -1;
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
