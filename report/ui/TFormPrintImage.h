#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QScrollArea;

// "Print 2 Image": shows the page of the last image output in a scroll box. It
// has no commands; the picture stays until the next image output.
class TFormPrintImage : public QDialog
{
    Q_OBJECT
public:
    explicit TFormPrintImage(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return m_picture; }

private:
    QScrollArea* m_scrollBox;
    QLabel* m_imagePrint;
    QImage m_picture;
};
