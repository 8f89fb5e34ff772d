// The bodies of the fuzz targets: each takes one input and aborts (or trips a sanitizer) on a
// fault. The libFuzzer harnesses and the regression test both call these, so there is one copy.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnelo::fuzz {

// Both ZE3 decoders agree on arbitrary bytes, also when the fast one reuses its tables, and any
// bytes survive an encode round trip.
int fuzzZe3Decode(const uint8_t *data, size_t size);
// Arbitrary bytes as an archive: listing and extracting every member fails cleanly and writes
// nothing outside the extraction folder.
int fuzzArchive(const uint8_t *data, size_t size);
// Arbitrary bytes as a page image: parsing and painting every frame onto the canvas.
int fuzzGif(const uint8_t *data, size_t size);
// The .qwf word records, .pos verse times and .hgt heights readers.
int fuzzSuraData(const uint8_t *data, size_t size);
// The INI reader: the whole file, single values and section listings.
int fuzzIni(const uint8_t *data, size_t size);
// The clipboard verse-reference parser, directly and through the clipboard hook.
int fuzzVerseReference(const uint8_t *data, size_t size);
// A translation member split into the verse records, as ANSI or UTF-16LE text.
int fuzzTranslation(const uint8_t *data, size_t size);
// A translation window's page built from arbitrary fields, and the legacy-attribute rewrite.
int fuzzPage(const uint8_t *data, size_t size);
// Arbitrary bytes as a recitation file: open, frame walk, decode to the end and seeks.
int fuzzMp3(const uint8_t *data, size_t size);

}  // namespace varnelo::fuzz
