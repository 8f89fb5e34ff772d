#pragma once

#include <QString>

#include <optional>

namespace varnelo {

// Where a verse reference such as "2:255" or "36:1-12" sends the program.
struct VerseReference {
    int listPosition = 0;  // position in the sura list: sura number - 1
    int firstVerse = 0;    // verse numbers as written, passed on unchecked against the sura
    int lastVerse = 0;

    bool operator==(const VerseReference &) const = default;
};

// The reference in clipboard text ("sura:verse" or "sura:first-last", blanks around it ignored),
// or nothing when the text is not one, a number is not above 0, or the sura lies beyond a list
// of suraCount entries. Numbers convert as stored integers do: a sign and blanks around each
// number are accepted, trailing letters are not.
std::optional<VerseReference> ParseVerseReference(const QString &text, int suraCount);

}  // namespace varnelo
