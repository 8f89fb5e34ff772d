#include "controls/animatedgifctl.h"

#include <cmath>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/messagebox.h"
#include "platform/virtualkeys.h"

namespace varnelo {

namespace {

const char kNoFileText[] = "Sorry, you must first select an  file to Load";

int buttonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

// The system colour a palette gives for a Windows system colour index.
QColor systemColour(int index, const QPalette &palette) {
    switch (index) {
        case 5:
            return palette.color(QPalette::Base);
        case 7:
        case 8:
            return palette.color(QPalette::WindowText);
        case 13:
            return palette.color(QPalette::Highlight);
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 15:
            return palette.color(QPalette::Button);
        case 16:
            return palette.color(QPalette::Mid);
        case 17:
            return palette.color(QPalette::Disabled, QPalette::Text);
        case 18:
            return palette.color(QPalette::ButtonText);
        case 20:
            return palette.color(QPalette::Light);
        case 21:
            return palette.color(QPalette::Shadow);
        case 22:
            return palette.color(QPalette::Midlight);
        case 23:
            return palette.color(QPalette::ToolTipText);
        case 24:
            return palette.color(QPalette::ToolTipBase);
        default:
            return palette.color(QPalette::Window);
    }
}

}  // namespace

AnimatedGifCtl::AnimatedGifCtl(MessageBox &messages, QWidget *parent)
    : QWidget(parent), m_messages(messages) {
    setFocusPolicy(Qt::ClickFocus);
}

void AnimatedGifCtl::LoadGif(bool fromDialog) {
    StopGif();
    m_animation.reset(backRgb());
    m_currentFrame = 0;
    m_numberOfFrames = 0;
    if (fromDialog) {
        setStrGifFileName(QString());
        fGetGifFileName();
        QCoreApplication::processEvents();
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool grabbed = isVisible();
    if (grabbed)
        grabMouse();
    m_autoBackColor = true;
    std::optional<GifAnimation::LoadError> error;
    if (!m_fileName.isEmpty()) {
        QFile file(m_fileName);
        // Read to the exact size and hand over: a page image is megabytes, kept once. resize()
        // of an empty array would round the block up to the next power of two.
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) {
            bytes = QByteArray(file.size(), Qt::Uninitialized);
            bytes.resize(std::max<qint64>(0, file.read(bytes.data(), bytes.size())));
        }
        error =
            m_animation.load(std::move(bytes), m_foreColor, m_changeTransparentColor, backRgb());
        m_numberOfFrames = std::max(0, m_animation.frameCount() - 1);
    }
    QGuiApplication::restoreOverrideCursor();
    if (grabbed)
        releaseMouse();
    if (error) {
        m_messages.information(error->title, error->text);
        setStrGifFileName(QString());
    }
    if (!m_fileName.isEmpty()) {
        setUserDelay(0);
        PaintGif(0);
    }
    update();
}

void AnimatedGifCtl::PaintGif(int frame) {
    if (m_fileName.isEmpty())
        return;
    m_stopRender = false;
    m_currentFrame = frame;
    RenderGif(frame);
}

void AnimatedGifCtl::RenderGif(int frame) {
    if (m_stopRender)
        return;
    if (m_animation.render(frame, backRgb()))
        update();
}

void AnimatedGifCtl::StopGif() {
    m_stopRender = true;
    StopTimer();
}

void AnimatedGifCtl::StartTimer() {
    if (m_fileName.isEmpty()) {
        m_messages.information(QStringLiteral("Varnelo"), QString::fromLatin1(kNoFileText));
        return;
    }
    m_stopRender = false;
}

void AnimatedGifCtl::StopTimer() {
    m_stopRender = true;
}

void AnimatedGifCtl::SetBackColor() {
    const std::optional<qint64> chosen =
        m_chooseColour ? m_chooseColour(m_backColor) : std::nullopt;
    if (chosen && *chosen != m_backColor) {
        setBackColor(*chosen);
        m_animation.clearCanvas(backRgb());
        update();
    }
}

QString AnimatedGifCtl::fGetGifFileName() {
    const QString chosen = m_chooseFile ? m_chooseFile() : QString();
    if (chosen != m_fileName)
        setStrGifFileName(chosen);
    return chosen;
}

void AnimatedGifCtl::setUserDelay(const QVariant &value) {
    bool numeric = false;
    const double number = value.toString().trimmed().toDouble(&numeric);
    const double delay = numeric ? std::nearbyint(number) : 10;
    m_userDelay = int(std::clamp(delay, 1.0, 1000.0));
}

void AnimatedGifCtl::setStrGifFileName(const QString &name) {
    m_fileName = name;
    changed("strGifFileName");
}

void AnimatedGifCtl::setForeColor(qint64 colour) {
    m_foreColor = colour;
    changed("forecolor");
}

void AnimatedGifCtl::setStrSura(const QString &sura) {
    m_sura = sura;
    changed("strSura");
}

void AnimatedGifCtl::setBackColor(qint64 colour) {
    m_backColor = colour;
    changed("BackColor");
    update();
}

void AnimatedGifCtl::setPicture(const QPixmap &picture) {
    m_picture = picture;
    changed("Picture");
    update();
}

void AnimatedGifCtl::setMaskPicture(const QPixmap &picture) {
    m_maskPicture = picture;
    changed("MaskPicture");
}

void AnimatedGifCtl::setMaskColor(qint64 colour) {
    m_maskColor = colour;
    changed("MaskColor");
}

void AnimatedGifCtl::setBorderStyle(int style) {
    m_borderStyle = style;
    changed("BorderStyle");
    update();
}

void AnimatedGifCtl::ReadProperties(const QVariantMap &bag) {
    m_fileName = bag.value("strGifFileName", QString()).toString();
    m_displaySavedGifFileName = !m_fileName.isEmpty() && QFileInfo(m_fileName).isFile();
    m_foreColor = bag.value("forecolor", 0).toLongLong();
    m_sura = bag.value("strSura", QStringLiteral("0")).toString();
    m_backColor = bag.value("BackColor", kButtonFace).toLongLong();
    m_picture = bag.value("Picture").value<QPixmap>();
    m_maskPicture = bag.value("MaskPicture").value<QPixmap>();
    m_maskColor = bag.value("MaskColor", kButtonFace).toLongLong();
    m_borderStyle = bag.value("BorderStyle", 0).toInt();
    update();
}

QVariantMap AnimatedGifCtl::WriteProperties() const {
    return {{"strGifFileName", m_fileName},
            {"forecolor", m_foreColor},
            {"strSura", m_sura},
            {"BackColor", m_backColor},
            {"Picture", m_picture},
            {"MaskPicture", m_maskPicture},
            {"MaskColor", m_maskColor},
            {"BorderStyle", m_borderStyle}};
}

QColor AnimatedGifCtl::translateColour(qint64 colour) const {
    if (colour & 0x80000000)
        return systemColour(int(colour & 0xFFFFFF), palette());
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void AnimatedGifCtl::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const int border = m_borderStyle == 1 ? 1 : 0;
    painter.fillRect(rect(), translateColour(m_backColor));
    if (!m_picture.isNull())
        painter.drawPixmap(border, border, m_picture);
    const QImage &canvas = m_animation.canvas();
    if (!m_fileName.isEmpty() && !m_stopRender && !canvas.isNull()) {
        // Only the part on screen: a page is far taller than its viewport.
        const QPoint offset(border, border);
        const QRect source = event->rect().translated(-offset) & canvas.rect();
        if (canvas.format() == QImage::Format_Indexed8)  // the painter would convert it all
            painter.drawImage(source.topLeft() + offset,
                              canvas.copy(source).convertToFormat(QImage::Format_RGB32));
        else
            painter.drawImage(source.topLeft() + offset, canvas, source);
    }
    if (border) {
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void AnimatedGifCtl::resizeEvent(QResizeEvent *) {
    emit Resize();
}

void AnimatedGifCtl::keyPressEvent(QKeyEvent *event) {
    emit KeyDown(virtualKey(event->key(), event->modifiers()), shiftMask(event->modifiers()));
}

QPointF AnimatedGifCtl::clientPos(const QMouseEvent *event) const {
    const qreal border = m_borderStyle == 1 ? 1 : 0;
    return event->position() - QPointF(border, border);
}

void AnimatedGifCtl::mousePressEvent(QMouseEvent *event) {
    const QPointF at = clientPos(event);
    emit MouseDown(buttonCode(event->button()), shiftMask(event->modifiers()), at.x(), at.y());
}

void AnimatedGifCtl::mouseReleaseEvent(QMouseEvent *event) {
    const QPointF at = clientPos(event);
    emit MouseUp(buttonCode(event->button()), shiftMask(event->modifiers()), at.x(), at.y());
    // The release that ends a double click is no second click.
    const bool click = !m_afterDoubleClick && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_afterDoubleClick = false;
    if (click)
        emit Click();
}

void AnimatedGifCtl::mouseMoveEvent(QMouseEvent *event) {
    const QPointF at = clientPos(event);
    emit MouseMove(buttonCode(event->buttons()), shiftMask(event->modifiers()), at.x(), at.y());
}

void AnimatedGifCtl::mouseDoubleClickEvent(QMouseEvent *) {
    m_afterDoubleClick = true;
    emit DblClick();
}

void AnimatedGifCtl::changed(const char *key) {
    emit PropertyChanged(QString::fromLatin1(key));
}

}  // namespace varnelo
