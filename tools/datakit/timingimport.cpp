#include "timingimport.h"

#include "data/suracatalogue.h"
#include "recitation/mp3stream.h"
#include "versetextfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace varnelo {

namespace {

// The ayah of the SQLite row that marks the end of the sura's recitation.
constexpr qint64 kSuraEndAyah = 999;

// One row of a timing file as the file gives it.
struct TimingRow {
    qint64 sura = 0;
    qint64 verse = 0;      // 0 the opening formula
    qint64 start = 0;      // ms
    qint64 end = -1;       // the spoken end, when the file gives one
    bool suraEnd = false;  // the row only marks where the sura's recitation ends
    QString label;         // how messages name the row: "row 5 (sura 2, ayah 3)", "verse 2:3"
};

struct TimingRows {
    QList<TimingRow> rows;
    QString error;
};

TimingRows failedRows(const QString &path, const QString &what) {
    return {{}, inputError(path, 0, what)};
}

QString msRangeText() {
    return QStringLiteral("a whole number of ms from 0 to %1").arg(INT32_MAX);
}

// ---- SQLite -------------------------------------------------------------------------------------

// Releases the statement and the connection on every way out.
struct SqliteHandles {
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    SqliteHandles() = default;
    SqliteHandles(const SqliteHandles &) = delete;
    SqliteHandles &operator=(const SqliteHandles &) = delete;
    ~SqliteHandles() {
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    QString message() const { return QString::fromUtf8(sqlite3_errmsg(db)); }
};

// A file with a write-ahead log beside it may hold rows only the log has, so it is read through
// the log; any other is opened immutable, which takes no lock and so reads from read-only media.
QByteArray sqliteUri(const QString &path) {
    const QByteArray file = QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/");
    const bool logged = QFileInfo::exists(path + QStringLiteral("-wal"));
    return "file:" + file + (logged ? "?mode=ro" : "?immutable=1");
}

TimingRows readSqliteRows(const QString &path) {
    SqliteHandles h;
    if (sqlite3_open_v2(sqliteUri(path).constData(), &h.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                        nullptr) != SQLITE_OK) {
        return failedRows(path, QStringLiteral("cannot open the database: %1").arg(h.message()));
    }
    if (sqlite3_prepare_v2(h.db, "SELECT * FROM timings", -1, &h.statement, nullptr) != SQLITE_OK) {
        return failedRows(path, QStringLiteral("no timings table: %1").arg(h.message()));
    }
    // Another table under this name (word timings, say) would be misread: only this one is taken.
    const QStringList wanted = {QStringLiteral("sura"), QStringLiteral("ayah"),
                                QStringLiteral("time")};
    QStringList columns;
    for (int c = 0; c < sqlite3_column_count(h.statement); ++c) {
        columns.append(QString::fromUtf8(sqlite3_column_name(h.statement, c)).toLower());
    }
    QStringList sortedColumns = columns;
    QStringList sortedWanted = wanted;
    sortedColumns.sort();
    sortedWanted.sort();
    if (sortedColumns != sortedWanted) {
        return failedRows(path, QStringLiteral("table timings has the columns %1, expected %2")
                                    .arg(columns.join(u", "), wanted.join(u", ")));
    }
    TimingRows result;
    int row = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(h.statement)) == SQLITE_ROW) {
        ++row;
        qint64 v[3] = {};
        for (int i = 0; i < 3; ++i) {
            const int c = int(columns.indexOf(wanted[i]));
            if (sqlite3_column_type(h.statement, c) != SQLITE_INTEGER) {
                return failedRows(
                    path,
                    QStringLiteral("row %1: %2 is not a whole number").arg(row).arg(wanted[i]));
            }
            v[i] = sqlite3_column_int64(h.statement, c);
        }
        const QString label =
            QStringLiteral("row %1 (sura %2, ayah %3)").arg(row).arg(v[0]).arg(v[1]);
        if (v[2] < 0 || v[2] > INT32_MAX) {
            return failedRows(path,
                              QStringLiteral("%1: time must be %2").arg(label, msRangeText()));
        }
        result.rows.append({v[0], v[1], v[2], -1, v[1] == kSuraEndAyah, label});
    }
    if (step != SQLITE_DONE) {
        return failedRows(path,
                          QStringLiteral("cannot read row %1: %2").arg(row + 1).arg(h.message()));
    }
    return result;
}

// ---- JSON ---------------------------------------------------------------------------------------

bool isVerseList(const QJsonArray &array) {
    return !array.isEmpty() && array.first().toObject().contains(QLatin1String("verse_key"));
}

// Every list of verse objects in value: the document itself, or lists that objects hold, as
// {"audio_file": {"timestamps": [...]}} or {"audio_files": [{"verse_timings": [...]}, ...]}.
void collectVerseLists(const QJsonValue &value, int depth, QList<QJsonArray> &lists) {
    if (depth > 4) {
        return;
    }
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        if (isVerseList(array)) {
            lists.append(array);
            return;
        }
        for (const QJsonValue &item : array) {
            collectVerseLists(item, depth + 1, lists);
        }
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            collectVerseLists(*it, depth + 1, lists);
        }
    }
}

std::optional<qint64> wholeMs(const QJsonValue &value) {
    const double ms = value.toDouble(-1);
    if (!value.isDouble() || ms < 0 || ms > INT32_MAX || ms != std::floor(ms)) {
        return std::nullopt;
    }
    return qint64(ms);
}

// The row of one verse object; error set when the object is not one.
TimingRow jsonRowOf(const QJsonValue &item, qsizetype position, QString *error) {
    TimingRow row;
    const QJsonObject object = item.toObject();
    const QString key = object.value(QLatin1String("verse_key")).toString();
    const QStringList parts = key.split(u':');
    bool suraOk = false;
    bool verseOk = false;
    if (parts.size() == 2) {
        row.sura = parts[0].toLongLong(&suraOk);
        row.verse = parts[1].toLongLong(&verseOk);
    }
    if (!item.isObject() || !suraOk || !verseOk) {
        *error = QStringLiteral("verse object %1: verse_key must be \"sura:verse\"").arg(position);
        return row;
    }
    row.label = QStringLiteral("verse %1").arg(key);
    const auto readMs = [&](const QString &field, qint64 &into) {
        const QJsonValue value = object.value(field);
        const std::optional<qint64> ms = wholeMs(value);
        if (!ms) {
            *error = value.isUndefined() || value.isNull()
                         ? QStringLiteral("%1: no %2").arg(row.label, field)
                         : QStringLiteral("%1: %2 must be %3").arg(row.label, field, msRangeText());
            return false;
        }
        into = *ms;
        return true;
    };
    // Word segments, when present, are left alone: verse mode plays whole verses.
    if (readMs(QStringLiteral("timestamp_from"), row.start)) {
        readMs(QStringLiteral("timestamp_to"), row.end);
    }
    return row;
}

TimingRows readJsonRows(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failedRows(path, file.errorString());
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return failedRows(path, QStringLiteral("invalid JSON at byte %1: %2")
                                    .arg(parseError.offset)
                                    .arg(parseError.errorString()));
    }
    QList<QJsonArray> lists;
    collectVerseLists(
        document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object()), 0,
        lists);
    if (lists.isEmpty()) {
        return failedRows(path, QStringLiteral("no list of verse objects with verse_key"));
    }
    TimingRows result;
    qsizetype position = 0;
    for (const QJsonArray &list : lists) {
        for (const QJsonValue &item : list) {
            QString error;
            result.rows.append(jsonRowOf(item, ++position, &error));
            if (!error.isEmpty()) {
                return failedRows(path, error);
            }
        }
    }
    return result;
}

// ---- Verse indexes ------------------------------------------------------------------------------

struct SpokenSura {
    QList<VerseSpan> spans;  // spoken times per verse index
    QList<bool> givenEnd;    // whether the file gave that end (else it is the next start)
    QString error;
};

// Verses in order with starts increasing: the opening row (if any), verses 1..n, the end row.
QString orderedRows(int sura, QList<TimingRow> &rows, QStringList *warnings) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TimingRow &a, const TimingRow &b) { return a.verse < b.verse; });
    const int verses = numberedVerseCount(sura);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const TimingRow &row = rows[i];
        if (row.verse < 0 || (row.verse > verses && !row.suraEnd)) {
            return QStringLiteral("%1: sura %2 has verses 1-%3")
                .arg(row.label)
                .arg(sura)
                .arg(verses);
        }
        if (i > 0 && rows[i - 1].verse == row.verse) {
            return QStringLiteral("%1: given again (first as %2)")
                .arg(row.label, rows[i - 1].label);
        }
    }
    if (!rows.isEmpty() && rows.first().verse == 0 && !hasOpeningEntry(sura)) {
        warnings->append(QStringLiteral("%1: sura %2 has no opening formula to time; the row is "
                                        "left out")
                             .arg(rows.first().label)
                             .arg(sura));
        rows.removeFirst();
    }
    const qsizetype first = !rows.isEmpty() && rows.first().verse == 0 ? 1 : 0;
    for (int verse = 1; verse <= verses; ++verse) {
        if (first + verse - 1 >= rows.size() || rows[first + verse - 1].verse != verse) {
            return QStringLiteral("sura %1 verse %2 has no row").arg(sura).arg(verse);
        }
    }
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (rows[i].start <= rows[i - 1].start) {
            return QStringLiteral("%1 at %2 ms does not come after %3 at %4 ms")
                .arg(rows[i].label)
                .arg(rows[i].start)
                .arg(rows[i - 1].label)
                .arg(rows[i - 1].start);
        }
    }
    return {};
}

SpokenSura spokenSuraOf(int sura, QList<TimingRow> rows, QStringList *warnings) {
    SpokenSura result;
    const auto fail = [&](const QString &what) {
        result = {{}, {}, what};
        return result;
    };
    if (const QString e = orderedRows(sura, rows, warnings); !e.isEmpty()) {
        return fail(e);
    }
    if (hasOpeningEntry(sura) && rows.first().verse != 0) {
        if (rows.first().start < kShortestOpeningMs) {
            return fail(QStringLiteral("sura %1 has no row for its opening formula, and verse 1 "
                                       "starts at %2 ms: too soon for the formula to lie before "
                                       "it (give it a row of verse 0, or leave the sura out)")
                            .arg(sura)
                            .arg(rows.first().start));
        }
        // The recitation opens with the formula, and verse 1's start is where it ends.
        result.spans.append({0, qint32(rows.first().start)});
        result.givenEnd.append(false);
    }
    const qsizetype verseRows = rows.size() - (rows.last().suraEnd ? 1 : 0);
    for (qsizetype i = 0; i < verseRows; ++i) {
        const TimingRow &row = rows[i];
        const qint64 next = i + 1 < rows.size() ? rows[i + 1].start : -1;
        if (row.end >= 0 && row.end <= row.start) {
            return fail(QStringLiteral("%1: ends at %2 ms, not after its start at %3 ms")
                            .arg(row.label)
                            .arg(row.end)
                            .arg(row.start));
        }
        if (row.end >= 0 && next >= 0 && row.end > next) {
            return fail(QStringLiteral("%1: ends at %2 ms, after %3 starts at %4 ms")
                            .arg(row.label)
                            .arg(row.end)
                            .arg(rows[i + 1].label)
                            .arg(next));
        }
        if (row.end < 0 && next < 0) {
            return fail(QStringLiteral("%1: the last verse has no end (sura %2 needs a row of "
                                       "ayah %3 for where its recitation ends)")
                            .arg(row.label)
                            .arg(sura)
                            .arg(kSuraEndAyah));
        }
        result.spans.append({qint32(row.start), qint32(row.end >= 0 ? row.end : next)});
        result.givenEnd.append(row.end >= 0);
    }
    return result;
}

// ---- The recitation -----------------------------------------------------------------------------

// The length in ms the player measures for the file (0 when there is no such file); error set
// when the file is there but unreadable.
qint64 recitationLengthMs(const QString &file, QStringList *warnings, QString *error) {
    if (!QFileInfo(file).isFile()) {
        return 0;
    }
    Mp3Stream stream;
    if (!stream.open(file)) {
        *error = QStringLiteral("%1: %2").arg(file, stream.errorString());
        return 0;
    }
    stream.waitForIndex();
    if (!stream.warning().isEmpty()) {
        warnings->append(QStringLiteral("%1: %2").arg(file, stream.warning()));
    }
    return stream.lengthMs();
}

// Fits the last verse's end into the file and returns the file's length; error set when the
// timings belong to a longer recitation.
qint64 fitToRecitation(int sura, const QString &mp3Folder, QList<VerseSpan> &spoken,
                       QStringList *warnings, QString *error) {
    const QString file = QDir(mp3Folder).filePath(SuraFileNumber(sura) + QStringLiteral(".mp3"));
    const qint64 length = recitationLengthMs(file, warnings, error);
    if (length <= 0) {
        if (error->isEmpty()) {
            warnings->append(QStringLiteral("sura %1: no %2, so its timings are not checked "
                                            "against the recitation")
                                 .arg(sura)
                                 .arg(file));
        }
        return 0;
    }
    VerseSpan &last = spoken.last();
    if (last.end <= length) {
        return length;
    }
    if (last.end > length + kEndPastFileSlackMs || last.start >= length) {
        *error = QStringLiteral(
                     "sura %1 ends at %2 ms, past the end of %3 (%4 ms): the timings "
                     "belong to another recitation")
                     .arg(sura)
                     .arg(last.end)
                     .arg(file)
                     .arg(length);
        return 0;
    }
    warnings->append(QStringLiteral("sura %1 ends at %2 ms, %3 ms past the end of %4; its last "
                                    "verse now ends with the file")
                         .arg(sura)
                         .arg(last.end)
                         .arg(last.end - length)
                         .arg(file));
    last.end = qint32(length);
    return length;
}

QMap<int, QList<TimingRow>> rowsBySura(const QList<TimingRow> &rows, const QList<int> &wanted,
                                       QString *error) {
    QMap<int, QList<TimingRow>> bySura;
    for (const TimingRow &row : rows) {
        if (row.sura < 1 || row.sura > SuraCount) {
            *error = QStringLiteral("%1: there is no sura %2").arg(row.label).arg(row.sura);
            return {};
        }
        if (wanted.isEmpty() || wanted.contains(int(row.sura))) {
            bySura[int(row.sura)].append(row);
        }
    }
    for (const int sura : wanted) {
        if (!bySura.contains(sura)) {
            *error = QStringLiteral("no rows for sura %1").arg(sura);
            return {};
        }
    }
    if (bySura.isEmpty()) {
        *error = QStringLiteral("no timing rows");
    }
    return bySura;
}

// The stored spans of one sura's rows from the file at path, fitted to its recitation when
// mp3Folder is given.
QList<VerseSpan> storedSuraOf(int sura, const QList<TimingRow> &rows, const QString &path,
                              const QString &mp3Folder, QStringList *warnings, QString *error) {
    SpokenSura spoken = spokenSuraOf(sura, rows, warnings);
    if (!spoken.error.isEmpty()) {
        *error = inputError(path, 0, spoken.error);
        return {};
    }
    const qint64 length =
        mp3Folder.isEmpty() ? 0 : fitToRecitation(sura, mp3Folder, spoken.spans, warnings, error);
    if (!error->isEmpty()) {
        return {};
    }
    StoredSpans stored = storedSpansOf(sura, spoken.spans, length);
    // An end taken from the next start says nothing of where the speech ends: no warning.
    for (qsizetype k = 0; k < spoken.givenEnd.size(); ++k) {
        if (!spoken.givenEnd[k]) {
            const QString name = verseName(sura, int(k)) + u':';
            stored.warnings.removeIf([&](const QString &w) { return w.startsWith(name); });
        }
    }
    *warnings += stored.warnings;
    if (const QString e = checkSpans(sura, stored.spans); !e.isEmpty()) {
        *error = inputError(path, 0, e);
    }
    return stored.spans;
}

TimingFormat guessFormat(const QString &path, const QByteArray &head) {
    if (head.startsWith(QByteArray("SQLite format 3\0", 16))) {
        return TimingFormat::Sqlite;
    }
    QByteArray text = head.trimmed();
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.mid(3).trimmed();
    }
    if (text.startsWith('[') || text.startsWith('{')) {
        return TimingFormat::Json;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("json")) {
        return TimingFormat::Json;
    }
    const QStringList sqliteSuffixes = {QStringLiteral("db"), QStringLiteral("sqlite"),
                                        QStringLiteral("sqlite3")};
    return sqliteSuffixes.contains(suffix) ? TimingFormat::Sqlite : TimingFormat::Guess;
}

}  // namespace

TimingImport importTimings(const QString &path, const TimingImportOptions &options) {
    TimingImport result;
    const auto fail = [&](const QString &message) {
        result.suras.clear();
        result.error = message;
        return result;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    }
    TimingFormat format = options.format;
    if (format == TimingFormat::Guess) {
        format = guessFormat(path, file.read(64));
    }
    file.close();
    if (format == TimingFormat::Guess) {
        return fail(inputError(path, 0, QStringLiteral("neither an SQLite database nor JSON")));
    }
    const TimingRows read =
        format == TimingFormat::Sqlite ? readSqliteRows(path) : readJsonRows(path);
    if (!read.error.isEmpty()) {
        return fail(read.error);
    }
    QString error;
    const QMap<int, QList<TimingRow>> bySura = rowsBySura(read.rows, options.suras, &error);
    if (!error.isEmpty()) {
        return fail(inputError(path, 0, error));
    }
    for (auto it = bySura.cbegin(); it != bySura.cend(); ++it) {
        const QList<VerseSpan> spans =
            storedSuraOf(it.key(), *it, path, options.mp3Folder, &result.warnings, &error);
        if (!error.isEmpty()) {
            return fail(error);
        }
        result.suras.insert(it.key(), spans);
    }
    return result;
}

QString mp3FolderBeside(const QString &posPath) {
    // Only a program folder's layout says where its recitations are.
    const QDir data = QFileInfo(posPath).absoluteDir();
    if (data.dirName().compare(QLatin1String("data"), Qt::CaseInsensitive) != 0) {
        return {};
    }
    const QString folder = QDir::cleanPath(data.filePath(QStringLiteral("../mp3")));
    return QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace varnelo
