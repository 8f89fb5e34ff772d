#include "mainwindow/frmmain.h"

#include <QComboBox>
#include <QVBoxLayout>

#include <variant>

#include "data/configchoices.h"
#include "data/suracatalogue.h"
#include "display/startupsettings.h"
#include "platform/folders.h"
#include "platform/settingsfile.h"
#include "platform/settingsstore.h"

namespace varnelo {

frmMain::frmMain(SettingsStore &store, const QString &executableFolder, const QString &systemTemp,
                 QWidget *parent)
    : QWidget(parent),
      m_store(store),
      m_executableFolder(executableFolder),
      m_systemTemp(systemTemp) {
    setWindowTitle(QStringLiteral("Varnelo 4.0  Beta 1"));
    m_cmbSura = new QComboBox(this);
    m_cmbSura->setObjectName(QStringLiteral("cmbSura"));
    const QStringList &texts = SuraListTexts();
    for (int i = 0; i < texts.size(); ++i)
        m_cmbSura->addItem(texts[i], i + 1);
    m_cmbSura->setCurrentIndex(-1);  // no sura until the user picks one

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_cmbSura);
    layout->addStretch();
    resize(360, 120);
}

bool frmMain::Form_Load() {
    m_appFolder = SetAppFolder(m_executableFolder);
    CheckSettingsVersion(m_store);
    m_tempFolder = SetTempFolder(m_systemTemp, m_appFolder);
    m_mp3Folder =
        ChooseMp3Folder(m_appFolder + QStringLiteral("/config.ini"), m_appFolder, m_store);

    const auto settings = ReadStartupSettings(m_store);
    if (const auto *error = std::get_if<SettingsError>(&settings)) {
        m_failureMessage = StartupFailure(m_store, error->description());
        return false;
    }
    CheckMp3();
    return true;
}

void frmMain::CheckMp3() {
    for (int i = 0; i < m_cmbSura->count(); ++i) {
        m_cmbSura->setItemText(i, varnelo::CheckMp3(m_cmbSura->itemText(i),
                                                    m_cmbSura->itemData(i).toInt(), m_mp3Folder));
    }
}

}  // namespace varnelo
