#pragma once

#include <QDialog>
#include <QImage>

#include <memory>

class DialogPrompt;
class Prompt;
class QLabel;
class QPushButton;

// The "Picture Editor" of picture properties (an image shape's Bitmap, the canvas's
// BkBitmap): shows the picture, "&Load..." decodes a file through the picture loader,
// "&Save..." writes it as a bitmap file (atomically), "&Clear" removes it; "OK" keeps
// the result. File names and failures go through a Prompt (dialogs until replaced),
// so tests drive the dialog without exec() or file dialogs.
class TFormPictureEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TFormPictureEditor(QWidget* parent = nullptr);
    ~TFormPictureEditor() override;

    // The file filter of bitmap properties.
    static inline const QString kFilter = QStringLiteral("Bitmaps (*.bmp)");

    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& picture);

    // Decodes a picture file; false (the picture unchanged) with the reason shown.
    bool LoadFromFile(const QString& path);
    // Writes the picture as BMP, replacing the file atomically; false with the reason shown.
    bool SaveToFile(const QString& path);
    void Clear();

    // What the buttons do: ask a file name (none: cancelled), then load or save.
    bool LoadClick();
    bool SaveClick();

    // The prompt must outlive the dialog or be replaced before it goes.
    void SetPrompt(Prompt& prompt) { m_prompt = &prompt; }

private:
    void ShowPicture();

    std::unique_ptr<DialogPrompt> m_ownPrompt;
    Prompt* m_prompt;
    QImage m_picture;
    QLabel* m_view = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_clear = nullptr;
};
