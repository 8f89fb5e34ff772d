#include "quranjson.h"

#include "versetextfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varnelo {

QuranJsonText readQuranJson(const QString &path, const QString &field) {
    QuranJsonText result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return result;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!doc.isArray()) {
        result.error =
            QStringLiteral("%1: not a list of suras (%2)").arg(path, parseError.errorString());
        return result;
    }
    for (const QJsonValue &suraValue : doc.array()) {
        const QJsonObject sura = suraValue.toObject();
        const int number = sura.value(QStringLiteral("id")).toInt();
        QStringList verses;
        for (const QJsonValue &v : sura.value(QStringLiteral("verses")).toArray()) {
            verses.append(v.toObject().value(field).toString());
        }
        if (number < 1 || number > 114 || verses.size() != numberedVerseCount(number)) {
            result.suras.clear();
            result.error = QStringLiteral("%1: sura %2 has %3 verses, expected %4")
                               .arg(path)
                               .arg(number)
                               .arg(verses.size())
                               .arg(numberedVerseCount(number));
            return result;
        }
        result.suras.insert(number, verses);
    }
    if (result.suras.size() != 114) {
        result.error =
            QStringLiteral("%1: %2 suras, expected 114").arg(path).arg(result.suras.size());
        result.suras.clear();
    }
    return result;
}

}  // namespace varnelo
