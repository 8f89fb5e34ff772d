#include "data/versereference.h"

#include "platform/storedtext.h"

namespace varnelo {

std::optional<VerseReference> ParseVerseReference(const QString &text, int suraCount) {
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    const qsizetype dash = trimmed.indexOf(QLatin1Char('-'));
    // A dash before the colon leaves no text for the first verse.
    if (dash >= 0 && dash < colon)
        return std::nullopt;

    const std::optional<int> sura = toInteger(trimmed.left(colon));
    const std::optional<int> first =
        toInteger(dash < 0 ? trimmed.mid(colon + 1) : trimmed.mid(colon + 1, dash - colon - 1));
    const std::optional<int> last = dash < 0 ? first : toInteger(trimmed.mid(dash + 1));
    if (!sura || !first || !last || *sura <= 0 || *first <= 0 || *last <= 0 || *sura > suraCount)
        return std::nullopt;
    return VerseReference{*sura - 1, *first, *last};
}

}  // namespace varnelo
