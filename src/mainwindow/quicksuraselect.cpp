#include "mainwindow/quicksuraselect.h"

#include <limits>

#include "data/suracatalogue.h"
#include "platform/messagebox.h"

namespace varnelo {

int typedNumber(const QString &text) {
    qint64 number = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        number = number * 10 + (c.unicode() - u'0');
        if (number > std::numeric_limits<int>::max())
            return std::numeric_limits<int>::max();
    }
    return int(number);
}

QuickSuraSelect::QuickSuraSelect(MessageBox &messages, Actions actions)
    : m_messages(messages), m_actions(std::move(actions)) {}

bool QuickSuraSelect::KeyPress(QChar key, const QString &text) {
    if (key == keychar::Back)
        return true;
    if (key == keychar::Escape) {
        m_actions.hide();
        return false;
    }
    const bool toVerse = key == u'v' || key == u'V';
    if (key == keychar::Return || toVerse) {
        const int n = typedNumber(text);
        if (n >= 1 && n <= SuraCount) {
            m_actions.hide();
            m_actions.selectSura(n - 1);
            if (toVerse)
                m_actions.CallVerseSelecter();
        }
        // A "v" that selects nothing stays out of the box: it is a command, not a digit.
        return false;
    }
    return key >= u'0' && key <= u'9';
}

void QuickSuraSelect::Change(const QString &text) {
    // No list position answers a larger number; say so, as the verse dialog does.
    if (typedNumber(text) > SuraCount) {
        m_actions.hide();
        m_messages.information(QString(), QLatin1String(kTooLargeMessage));
    }
}

}  // namespace varnelo
