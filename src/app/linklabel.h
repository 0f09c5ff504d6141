#pragma once

#include <QLabel>

// A label that acts as a link: link colour and underline, the hand pointer while the mouse
// is over it, and a click (or Enter / Space when it has the keyboard focus) that emits
// clicked(). Leaving it gives back the pointer of whatever lies beneath.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(const QString &text = QString(), QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyLinkLook();

    bool m_pressed = false;
};
