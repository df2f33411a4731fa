#include "toolkit/controls/picture_ui.h"

#include <QBuffer>
#include <QMovie>
#include <QPainter>

#include "toolkit/paint_manager.h"

CPictureUI::CPictureUI(QWidget* parent, CPaintManagerUI*) : QWidget(parent) {}

void CPictureUI::SetBitmap(const QImage& image) {
    image_ = image;
    update();
}

QRect CPictureUI::ImageRect() const {
    if (image_.isNull()) return {};
    QSize size = image_.size();
    if (size.width() > width() || size.height() > height())
        size.scale(this->size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(rect().center());
    return target;
}

void CPictureUI::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(ImageRect(), image_);
}

CGifAnimUI::CGifAnimUI(QWidget* parent, CPaintManagerUI*) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

CGifAnimUI::~CGifAnimUI() {
    delete movie_;
    delete buffer_;
}

bool CGifAnimUI::SetBkImage(const QString& entry) {
    StopGif();
    delete movie_;
    delete buffer_;
    movie_ = nullptr;
    buffer_ = nullptr;
    entry_ = entry;
    const auto bytes = CPaintManagerUI::LoadResource(entry.toStdString());
    if (!bytes) return false;
    data_ = std::make_unique<QByteArray>(bytes->data(), static_cast<qsizetype>(bytes->size()));
    buffer_ = new QBuffer(data_.get());
    buffer_->open(QIODevice::ReadOnly);
    movie_ = new QMovie(buffer_, QByteArray("gif"));
    // A valid header is not enough: the first frame must decode.
    if (!movie_->isValid() || !movie_->jumpToFrame(0) || movie_->currentImage().isNull()) {
        delete movie_;
        movie_ = nullptr;
        return false;
    }
    setMovie(movie_);
    if (autoPlay_) PlayGif();
    return true;
}

void CGifAnimUI::PlayGif() {
    if (movie_) movie_->start();
}

void CGifAnimUI::StopGif() {
    if (movie_) {
        movie_->stop();
        movie_->jumpToFrame(0);
    }
}

bool CGifAnimUI::IsPlaying() const { return movie_ && movie_->state() == QMovie::Running; }

int CGifAnimUI::FrameCount() const { return movie_ ? movie_->frameCount() : 0; }
