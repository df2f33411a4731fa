#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <memory>

class CPaintManagerUI;
class QBuffer;
class QMovie;

// Shows a bitmap scaled to fit, centred, keeping its proportions.
class CPictureUI : public QWidget {
    Q_OBJECT
public:
    explicit CPictureUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    void SetBitmap(const QImage& image);
    const QImage& GetBitmap() const { return image_; }
    // Where the bitmap is drawn inside the control.
    QRect ImageRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// Plays an animated GIF from the skin package.
class CGifAnimUI : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString bkimage READ BkImage WRITE SetBkImage)
    Q_PROPERTY(bool autoplay READ AutoPlay WRITE SetAutoPlay)
public:
    explicit CGifAnimUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    ~CGifAnimUI() override;
    // The GIF entry; false when it is missing or not an animation.
    bool SetBkImage(const QString& entry);
    QString BkImage() const { return entry_; }
    void SetAutoPlay(bool play) { autoPlay_ = play; }
    bool AutoPlay() const { return autoPlay_; }
    void PlayGif();
    void StopGif();
    bool IsPlaying() const;
    int FrameCount() const;

private:
    QString entry_;
    bool autoPlay_ = false;
    std::unique_ptr<QByteArray> data_;
    QBuffer* buffer_ = nullptr;
    QMovie* movie_ = nullptr;
};
