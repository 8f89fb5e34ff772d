#pragma once

#include <QPixmap>
#include <QWidget>

namespace varnelo {

// A picture that works as a button: it shows the pressed picture from a left press until the
// release and emits clicked() when the release is inside. It never takes the keyboard focus.
class PictureButton : public QWidget {
    Q_OBJECT

public:
    explicit PictureButton(QWidget *parent = nullptr);
    PictureButton(const QPixmap &normal, const QPixmap &pressed, QWidget *parent = nullptr);

    // The two pictures; the button takes the normal picture's size.
    void setPictures(const QPixmap &normal, const QPixmap &pressed);
    QPixmap normalPicture() const { return m_normal; }
    QPixmap pressedPicture() const { return m_pressed; }
    // True from a left press until its release.
    bool isDown() const { return m_down; }

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setDown(bool down);

    QPixmap m_normal;
    QPixmap m_pressed;
    bool m_down = false;
};

}  // namespace varnelo
