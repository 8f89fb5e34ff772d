#pragma once

#include <functional>
#include <optional>

#include <QPixmap>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QWidget>

#include "controls/gifanimation.h"

namespace varnelo {

class MessageBox;

// A GIF shown one frame at a time on a cumulative canvas; the owner names the instances
// (AnimatedGifCtl1 the Arabic page, 2 and 3 its scroll arrows) and asks for frames.
// Colours are 0x00BBGGRR, or a system colour index with the top bit set.
class AnimatedGifCtl : public QWidget {
    Q_OBJECT

public:
    static constexpr qint64 kButtonFace = 0x8000000F;

    explicit AnimatedGifCtl(MessageBox &messages, QWidget *parent = nullptr);

    // Stops, clears the canvas and the frames, optionally asks for a file, loads
    // strGifFileName and draws frame 0. A file that is not a GIF (or cannot be read) shows the
    // not-a-GIF message and clears strGifFileName.
    void LoadGif(bool fromDialog);
    // With a file name set: draws the frame and makes it current.
    void PaintGif(int frame);
    // Draws the frame onto the canvas and the window; does nothing while StopRender is set or
    // for a frame the file does not have.
    void RenderGif(int frame);
    void StopGif();
    // Without a file name shows a message; otherwise lets frames be drawn. No timer ever runs.
    void StartTimer();
    void StopTimer();
    // Asks for a new back colour; a different one is taken and clears the canvas.
    void SetBackColor();
    // Asks for a file; a different name replaces strGifFileName. Returns the name chosen.
    QString fGetGifFileName();
    static quint8 GetRGB(qint64 colour, int component) {
        return gifColourComponent(colour, component);
    }
    void Refresh() { repaint(); }
    void ShowAboutBox() {}

    // The dialogs behind fromDialog, SetBackColor and fGetGifFileName; without them nothing is
    // chosen.
    void setFileChooser(std::function<QString()> chooser) { m_chooseFile = std::move(chooser); }
    void setColourChooser(std::function<std::optional<qint64>(qint64)> chooser) {
        m_chooseColour = std::move(chooser);
    }

    int UserDelay() const { return m_userDelay; }
    // Non-numeric values store 10; the value is kept within 1..1000.
    void setUserDelay(const QVariant &value);
    bool StopRender() const { return m_stopRender; }
    bool AutoBackColor() const { return m_autoBackColor; }
    bool ChangeTransparentColor() const { return m_changeTransparentColor; }
    void setChangeTransparentColor(bool on) { m_changeTransparentColor = on; }
    int NumberofFrames() const { return m_numberOfFrames; }
    int CurrentFrame() const { return m_currentFrame; }
    bool DisplaySavedGifFileName() const { return m_displaySavedGifFileName; }

    QString strGifFileName() const { return m_fileName; }
    void setStrGifFileName(const QString &name);
    qint64 ForeColor() const { return m_foreColor; }
    void setForeColor(qint64 colour);  // takes effect at the next load
    QString strSura() const { return m_sura; }
    void setStrSura(const QString &sura);
    qint64 BackColor() const { return m_backColor; }
    void setBackColor(qint64 colour);
    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    QPixmap MaskPicture() const { return m_maskPicture; }
    void setMaskPicture(const QPixmap &picture);
    qint64 MaskColor() const { return m_maskColor; }
    void setMaskColor(qint64 colour);
    int BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);  // 0 none, 1 a single line

    // Restores the stored properties (missing keys take their defaults); does not load.
    void ReadProperties(const QVariantMap &bag);
    QVariantMap WriteProperties() const;

    // The colour as the screen shows it; system colours come from the widget's palette.
    QColor translateColour(qint64 colour) const;
    const GifAnimation &animation() const { return m_animation; }

signals:
    void Resize();
    void KeyDown(int keyCode, int shift);
    void MouseDown(int button, int shift, qreal x, qreal y);
    void MouseUp(int button, int shift, qreal x, qreal y);
    void MouseMove(int button, int shift, qreal x, qreal y);
    void DblClick();
    void Click();
    // A persisted property changed; key is its property-bag key.
    void PropertyChanged(const QString &key);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QRgb backRgb() const { return translateColour(m_backColor).rgb(); }
    QPointF clientPos(const QMouseEvent *event) const;
    void changed(const char *key);

    MessageBox &m_messages;
    GifAnimation m_animation;
    std::function<QString()> m_chooseFile;
    std::function<std::optional<qint64>(qint64)> m_chooseColour;

    int m_userDelay = 1;
    bool m_stopRender = true;
    bool m_autoBackColor = false;
    bool m_changeTransparentColor = true;
    int m_numberOfFrames = 0;
    int m_currentFrame = 0;
    bool m_displaySavedGifFileName = false;
    QString m_fileName;
    qint64 m_foreColor = 0;
    QString m_sura = QStringLiteral("0");
    qint64 m_backColor = kButtonFace;
    QPixmap m_picture;
    QPixmap m_maskPicture;
    qint64 m_maskColor = kButtonFace;
    int m_borderStyle = 0;
    bool m_afterDoubleClick = false;
};

}  // namespace varnelo
