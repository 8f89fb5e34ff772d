#include "mainwindow/frmrangemodesetup.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/messagebox.h"

namespace varnelo {

frmRangeModeSetup::frmRangeModeSetup(SettingsStore &store, MessageBox &messages,
                                     const RangeModeOptions &options, QWidget *parent)
    : QDialog(parent), m_store(store), m_messages(messages) {
    setObjectName(QStringLiteral("frmRangeModeSetup"));
    setWindowTitle(tr("Range mode settings"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buildTimes());
    layout->addLayout(buildPauses());
    layout->addWidget(buildSuraEnd());

    m_cmdOK = new QPushButton(tr("&OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel = new QPushButton(tr("&Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(m_cmdOK, &QPushButton::clicked, this, &frmRangeModeSetup::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons);

    const RangeModeEntries entries = RangeModeSetup::load(options);
    m_optTimes[entries.unlimitedTimes ? 0 : 1]->setChecked(true);
    m_txtTimes->setText(entries.times);
    m_txtPause->setText(entries.pause);
    m_txtPauseBetweenVerses->setText(entries.pauseBetweenVerses);
    m_chkNextRange->setChecked(entries.nextRange);
    if (entries.afterSura >= 0)
        m_optSuraComplete[size_t(entries.afterSura)]->setChecked(true);
}

bool frmRangeModeSetup::edit(QWidget *parent, SettingsStore &store, MessageBox &messages,
                             RangeModeOptions &options) {
    frmRangeModeSetup window(store, messages, options, parent);
    window.exec();
    if (!window.saved())
        return false;
    options = *window.saved();
    return true;
}

QLineEdit *frmRangeModeSetup::addBox(const char *name) {
    auto *box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    box->setMaximumWidth(60);
    box->installEventFilter(this);
    return box;
}

QLayout *frmRangeModeSetup::buildTimes() {
    auto *group = new QButtonGroup(this);
    const char *captions[] = {"Unlimited times", "Recite range "};
    for (int i = 0; i < 2; ++i) {
        m_optTimes[size_t(i)] = new QRadioButton(tr(captions[i]), this);
        m_optTimes[size_t(i)]->setObjectName(QStringLiteral("optTimes_%1").arg(i));
        group->addButton(m_optTimes[size_t(i)], i);
    }
    m_txtTimes = addBox("txtTimes");
    auto *times = new QHBoxLayout;
    times->addWidget(m_optTimes[1]);
    times->addWidget(m_txtTimes);
    times->addWidget(new QLabel(tr("time(s)"), this));
    times->addStretch();
    times->addWidget(addHelp(0));
    auto *layout = new QVBoxLayout;
    layout->addWidget(m_optTimes[0]);
    layout->addLayout(times);
    m_chkNextRange = new QCheckBox(tr("Recite next Range after current Range"), this);
    m_chkNextRange->setObjectName(QStringLiteral("chkNextRange"));
    auto *next = new QHBoxLayout;
    next->addWidget(m_chkNextRange);
    next->addStretch();
    next->addWidget(addHelp(1));
    layout->addLayout(next);
    return layout;
}

QLayout *frmRangeModeSetup::buildPauses() {
    m_txtPause = addBox("txtPause");
    m_txtPauseBetweenVerses = addBox("txtPauseBetweenVerses");
    auto *afterRange = new QHBoxLayout;
    afterRange->addWidget(new QLabel(tr("Pause "), this));
    afterRange->addWidget(m_txtPause);
    afterRange->addWidget(new QLabel(tr("second(s) after Range"), this));
    afterRange->addStretch();
    afterRange->addWidget(addHelp(2));
    auto *betweenVerses = new QHBoxLayout;
    betweenVerses->addWidget(new QLabel(tr("Pause "), this));
    betweenVerses->addWidget(m_txtPauseBetweenVerses);
    betweenVerses->addWidget(new QLabel(tr("second(s) between verses"), this));
    betweenVerses->addStretch();
    auto *layout = new QVBoxLayout;
    layout->addLayout(afterRange);
    layout->addLayout(betweenVerses);
    return layout;
}

QWidget *frmRangeModeSetup::buildSuraEnd() {
    auto *frame = new QGroupBox(tr("After Current Sura"), this);
    auto *group = new QButtonGroup(frame);
    const char *captions[] = {"Recite Next Sura", "Recite same sura again", "Stop Recitation"};
    auto *layout = new QHBoxLayout(frame);
    auto *options = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto *option = new QRadioButton(tr(captions[i]), frame);
        option->setObjectName(QStringLiteral("optSuraComplete_%1").arg(i));
        group->addButton(option, i);
        options->addWidget(option);
        m_optSuraComplete[size_t(i)] = option;
    }
    layout->addLayout(options);
    layout->addStretch();
    layout->addWidget(addHelp(3), 0, Qt::AlignTop);
    return frame;
}

QPushButton *frmRangeModeSetup::addHelp(int index) {
    auto *help = new QPushButton(tr("Help"), this);
    help->setObjectName(QStringLiteral("cmdHelp_%1").arg(index));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this, index] {
        m_messages.information(QLatin1String(RangeModeSetup::kHelpTitle),
                               RangeModeSetup::helpText(index));
    });
    return help;
}

RangeModeEntries frmRangeModeSetup::entries() const {
    RangeModeEntries entries;
    entries.unlimitedTimes = m_optTimes[0]->isChecked();
    entries.times = m_txtTimes->text();
    entries.pause = m_txtPause->text();
    entries.pauseBetweenVerses = m_txtPauseBetweenVerses->text();
    entries.nextRange = m_chkNextRange->isChecked();
    for (int i = 0; i < 3; ++i) {
        if (m_optSuraComplete[size_t(i)]->isChecked())
            entries.afterSura = i;
    }
    return entries;
}

QLineEdit *frmRangeModeSetup::boxOf(RangeModeBox box) const {
    return box == RangeModeBox::Times ? m_txtTimes : m_txtPause;
}

bool frmRangeModeSetup::eventFilter(QObject *watched, QEvent *event) {
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    } else if (box && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Leaving for another window (the message itself) or for Cancel asks nothing.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            QApplication::focusWidget() != m_cmdCancel)
            checkOnLeaving(box);
    }
    return QDialog::eventFilter(watched, event);
}

void frmRangeModeSetup::checkOnLeaving(QLineEdit *box) {
    if (m_checking)
        return;
    std::optional<QString> message;
    if (box == m_txtTimes)
        message = RangeModeSetup::timesError(box->text());
    else if (box == m_txtPause)
        message = RangeModeSetup::pauseError(box->text());
    if (!message)
        return;
    m_checking = true;
    m_messages.information(QString(), *message);
    box->setFocus(Qt::OtherFocusReason);
    m_checking = false;
}

void frmRangeModeSetup::cmdOK_Click() {
    const RangeModeEntries current = entries();
    if (const auto error = RangeModeSetup::firstError(current)) {
        // A box left by the mouse onto OK must still be fixed first.
        m_messages.information(QString(), error->message);
        boxOf(error->box)->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_saved = RangeModeSetup::save(current, m_store);
    accept();
}

}  // namespace varnelo
