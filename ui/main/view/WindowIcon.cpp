#include "WindowIcon.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <utility>
#include <vector>

namespace WindowIcon {

namespace {

class FileIconEngine : public QIconEngine {
public:
    explicit FileIconEngine(QString path)
        : path_(std::move(path))
    {
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const Image& image : images())
            sizes.append(image.size);
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const Image* image = imageFor(size);
        return image ? image->size.scaled(size, Qt::KeepAspectRatio).boundedTo(image->size)
                     : QSize();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        const Image* image = imageFor(size);
        if (!image)
            return {};
        QImageReader reader(path_);
        if (image->index > 0 && !reader.jumpToImage(image->index))
            return {};
        QImage decoded = reader.read();
        const QSize wanted = actualSize(size, mode, state);
        if (!decoded.isNull() && decoded.size() != wanted)
            decoded = decoded.scaled(wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return QPixmap::fromImage(std::move(decoded));
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const QPixmap drawn = pixmap(rect.size(), mode, state);
        QRect target(QPoint(), drawn.size());
        target.moveCenter(rect.center());
        painter->drawPixmap(target, drawn);
    }

    QIconEngine* clone() const override { return new FileIconEngine(*this); }
    QString key() const override { return QStringLiteral("FileIconEngine"); }
    bool isNull() override { return images().empty(); }

private:
    struct Image {
        int index;
        QSize size;
        int bits;
    };

    // One image per size, smallest first. The file's directory is read when first needed (on
    // some platforms never: they show no window icon); nothing is decoded.
    const std::vector<Image>& images()
    {
        if (scanned_)
            return images_;
        scanned_ = true;
        QImageReader reader(path_);
        const int count = std::max(reader.imageCount(), 1);
        for (int index = 0; index < count; ++index) {
            if (index > 0 && !reader.jumpToImage(index))
                break;
            const Image image{index, reader.size(),
                              QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel()};
            if (image.size.isEmpty() || image.size.width() > kLargest ||
                image.size.height() > kLargest)
                continue;
            auto same = std::find_if(images_.begin(), images_.end(),
                                     [&](const Image& i) { return i.size == image.size; });
            if (same == images_.end())
                images_.push_back(image);
            else if (image.bits >= same->bits)
                *same = image; // of equal depth, the later image (icon files go up in colours)
        }
        std::sort(images_.begin(), images_.end(),
                  [](const Image& a, const Image& b) { return a.size.width() < b.size.width(); });
        return images_;
    }

    // The smallest image that covers the size, or else the largest.
    const Image* imageFor(const QSize& size)
    {
        const std::vector<Image>& all = images();
        if (all.empty())
            return nullptr;
        for (const Image& image : all) {
            if (image.size.width() >= size.width() && image.size.height() >= size.height())
                return &image;
        }
        return &all.back();
    }

    QString path_;
    bool scanned_ = false;
    std::vector<Image> images_;
};

} // namespace

QIcon fromFile(const QString& path) { return QIcon(new FileIconEngine(path)); }

} // namespace WindowIcon
