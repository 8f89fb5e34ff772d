#include "mainwindow/quickverseselect.h"

#include "data/suracatalogue.h"
#include "mainwindow/quicksuraselect.h"
#include "platform/messagebox.h"

namespace varnelo {

QuickVerseSelect::QuickVerseSelect(MessageBox &messages, Actions actions)
    : m_messages(messages), m_actions(std::move(actions)) {}

bool QuickVerseSelect::KeyPress(QChar key, const QString &text) {
    if (key == keychar::Back)
        return true;
    if (key == keychar::Escape) {
        close();
        return false;
    }
    if (key == keychar::Return) {
        const int n = typedNumber(text);
        if (n >= 0 && n <= DialogVerseCount) {
            const bool setBegin = SetBeginFlag;
            const bool setEnd = SetEndFlag;
            close();
            m_actions.CallSetText(n, setBegin, setEnd);
        }
        return false;
    }
    return key >= u'0' && key <= u'9';
}

void QuickVerseSelect::Change(const QString &text) {
    if (typedNumber(text) > DialogVerseCount) {
        close();
        m_messages.information(QString(), tooLargeMessage());
    }
}

void QuickVerseSelect::closed() {
    SetBeginFlag = false;
    SetEndFlag = false;
}

QString QuickVerseSelect::tooLargeMessage() const {
    // The count has an entry for the opening formula in every sura that recites one.
    const int verses = hasOpeningEntry(DialogSura) ? DialogVerseCount - 1 : DialogVerseCount;
    return QStringLiteral("Only %1 verses in this sura").arg(verses);
}

void QuickVerseSelect::close() {
    closed();
    m_actions.hide();
}

}  // namespace varnelo
