#pragma once

#include <QChar>
#include <QString>

#include <functional>

namespace varnelo {

class MessageBox;

// The rules of the quick verse dialog: a verse number of the current sura typed into txtSuraNo,
// Enter to hand it on, Escape to close. The caller sets the fields before each opening.
class QuickVerseSelect {
public:
    struct Actions {
        std::function<void()> hide;
        // The main window's CallSetText: the verse made current, or a range marker moved to it.
        std::function<void(int verse, bool setBeginFlag, bool setEndFlag)> CallSetText;
    };

    QuickVerseSelect(MessageBox &messages, Actions actions);

    // Set by the range buttons; cleared whenever the dialog closes, so a later plain verse jump
    // never moves a range marker.
    bool SetBeginFlag = false;
    bool SetEndFlag = false;
    // The verse count of the current sura as the catalogue holds it, and that sura's number.
    int DialogVerseCount = 0;
    int DialogSura = 0;

    // A character typed into the box with its text before the key; true when the box should take
    // it.
    bool KeyPress(QChar key, const QString &text);
    // The box's text changed: a number beyond the sura closes the dialog with a message.
    void Change(const QString &text);
    // The dialog closed without a verse.
    void closed();

    // "Only N verses in this sura", N the sura's real verse count.
    QString tooLargeMessage() const;

private:
    void close();

    MessageBox &m_messages;
    Actions m_actions;
};

}  // namespace varnelo
