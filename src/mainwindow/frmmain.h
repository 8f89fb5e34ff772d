#pragma once

#include <QString>
#include <QWidget>

class QComboBox;

namespace varnelo {

class SettingsStore;

// The main window: for now the sura list with its MP3 marks.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // executableFolder and systemTemp are where the program and the system's temporary folder are.
    frmMain(SettingsStore &store, const QString &executableFolder, const QString &systemTemp,
            QWidget *parent = nullptr);

    // Start-up: folders, settings version, stored values, MP3 marks. False when a stored value
    // does not convert: the store is then wiped and failureMessage() says what to show.
    bool Form_Load();
    const QString &failureMessage() const { return m_failureMessage; }

    // Marks the sura list items whose recitation file is missing in Mp3Folder().
    void CheckMp3();

    const QString &AppFolder() const { return m_appFolder; }
    const QString &TempFolder() const { return m_tempFolder; }
    const QString &Mp3Folder() const { return m_mp3Folder; }

    // Set when the command line asks for no Arabic text window.
    void setArabicTextDisabled(bool disabled) { m_arabicTextDisabled = disabled; }
    bool ArabicTextDisabled() const { return m_arabicTextDisabled; }

private:
    SettingsStore &m_store;
    QString m_executableFolder;
    QString m_systemTemp;
    QString m_appFolder;
    QString m_tempFolder;
    QString m_mp3Folder;
    QString m_failureMessage;
    bool m_arabicTextDisabled = false;
    QComboBox *m_cmbSura = nullptr;
};

}  // namespace varnelo
