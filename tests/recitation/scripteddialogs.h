#pragma once

#include <QStringList>

#include "platform/messagebox.h"
#include "platform/savefiledialog.h"

namespace varnelo {

// Message boxes and save dialog that give scripted answers and record what they were shown.
class ScriptedDialogs : public MessageBox, public SaveFileDialog {
public:
    void information(const QString &title, const QString &text) override {
        shown.append(title + QLatin1String(": ") + text);
    }
    bool question(const QString &title, const QString &text) override {
        shown.append(title + QLatin1String("? ") + text);
        return answerYes;
    }
    QString inputBox(const QString &prompt, const QString &title) override {
        shown.append(title + QLatin1String("> ") + prompt);
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    QString ShowSaveMp3Dialog(const QString &defaultFileName,
                              const QString &initialFolder) override {
        offeredName = defaultFileName;
        offeredFolder = initialFolder;
        return chosenPath;
    }

    QStringList shown;
    bool answerYes = false;
    QStringList inputs;
    QString chosenPath;
    QString offeredName;
    QString offeredFolder;
};

}  // namespace varnelo
