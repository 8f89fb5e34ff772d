#pragma once

#include <QString>

namespace varnelo {

// The page with the old presentational values Qt's rich text ignores rewritten into forms it
// shows: bare hex BGCOLOR and COLOR values get "#", a fractional FONT SIZE keeps its whole part,
// and CSS font-size percentages (of a 16 px default) become pixels, in style blocks and style
// attributes only. Text outside tags is never changed.
QString normaliseLegacyHtml(const QString &html);

}  // namespace varnelo
