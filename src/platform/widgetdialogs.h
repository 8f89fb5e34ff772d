#pragma once

#include "platform/colourdialog.h"
#include "platform/messagebox.h"
#include "platform/savefiledialog.h"

class QWidget;

namespace varnelo {

// Message boxes, input box, save dialog and colour chooser as Qt widgets, modal to an owner window.
class WidgetDialogs : public MessageBox, public SaveFileDialog, public ColourDialog {
public:
    explicit WidgetDialogs(QWidget *owner) : m_owner(owner) {}

    void information(const QString &title, const QString &text) override;
    bool question(const QString &title, const QString &text) override;
    QString inputBox(const QString &prompt, const QString &title) override;
    QString ShowSaveMp3Dialog(const QString &defaultFileName,
                              const QString &initialFolder) override;
    // The custom colours of the request replace the chooser's own; it never fails.
    Answer chooseColour(const Request &request) override;

private:
    QWidget *m_owner;
};

}  // namespace varnelo
