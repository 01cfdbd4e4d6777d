// SPDX-License-Identifier: MIT
#include "render/png_encoder.h"

#include <png.h>
#include <zlib.h>

#include <QBuffer>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/code_picture_data.h"
#include "render/deflate_pipeline.h"
#include "render/output_device.h"

namespace codalume {

namespace {

// Code pictures are refused before painting when libpng would refuse their header.
static_assert(PictureLimits::maxWidthPixels <= PNG_USER_WIDTH_MAX &&
              PictureLimits::maxHeightPixels <= PNG_USER_HEIGHT_MAX);

// Rows are produced band by band; a band holds about this many bytes, small enough to stay in
// the processor's cache between painting, copying and compressing, and to be reused instead of
// touching fresh memory. Very wide pictures get a few rows at least, so a band does not lay out
// the same long line for every single row.
constexpr qsizetype kBandBytes = 256 * 1024;
constexpr int kMinimumBandRows = 8;
// libdeflate's level by the picture's size in pixels. Up to 4 megapixels (the pictures people
// share) level 7: on every look of the gallery within 2-8 % of what zlib's levels 6 and 8
// made, for half to two thirds of their time (34 ms against 50 ms for 50 lines at 2x). The
// faster levels lose on smooth colour: level 1, which keeps pace with the painting on a solid
// card, made a gradient card two and a half times as large, and level 6 a shadow a fifth
// larger. Larger pictures get level 4, smaller and faster than zlib's level 2 before.
// (Filters made these pictures larger, not smaller: antialiased text turns into noise.)
int compressionLevel(qint64 pixels) {
    return pixels <= 4'000'000 ? 7 : 4;
}

// Supplies rows in PNG's own layout (8-bit samples, or 16-bit samples big-endian), a band at a
// time. Every row is preceded by its filter byte: no filter. On pictures of code "none" is
// both the fastest and, thanks to the repeating background, the smallest choice.
class RowSource {
  public:
    virtual ~RowSource() = default;
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    int channels = 4;
    double pixelsPerPoint = 0;  // 0: no physical size is recorded

    qsizetype rowBytes() const { return static_cast<qsizetype>(width) * channels * (bitDepth / 8); }
    int bandRows() const {
        const qsizetype rows = kBandBytes / std::max<qsizetype>(rowBytes(), 1);
        return static_cast<int>(
            std::clamp<qsizetype>(rows, kMinimumBandRows, std::max(height, kMinimumBandRows)));
    }
    // Fills `out` with rows [top, top + count), each as a filter byte and rowBytes() bytes.
    virtual bool produce(int top, int count, uchar *out) = 0;
};

class CodePictureRows : public RowSource {
  public:
    explicit CodePictureRows(const CodePicture &picture) : picture_(picture) {
        const QSize size = picture.pixelSize();
        width = size.width();
        height = size.height();
        pixelsPerPoint = picture.scale();
    }

    bool produce(int top, int count, uchar *out) override {
        if (band_.isNull()) {
            band_ = QImage(width, bandRows(), QImage::Format_ARGB32_Premultiplied);
            if (band_.isNull()) {
                return false;
            }
        }
        band_.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
        picture_.paintRegion(band_, QRect(0, top, width, count), &layouts_);
        // Qt's own conversion (vectorised) unpremultiplies into RGBA byte order in place.
        band_.convertTo(QImage::Format_RGBA8888);
        if (band_.isNull()) {
            return false;
        }
        const qsizetype stride = rowBytes() + 1;
        for (int y = 0; y < count; ++y) {
            uchar *row = out + y * stride;
            row[0] = 0;
            std::memcpy(row + 1, band_.constScanLine(y), static_cast<size_t>(rowBytes()));
        }
        return true;
    }

  private:
    const CodePicture &picture_;
    QImage band_;
    CodeLineLayouts layouts_;
};

// Images are written as they are: alpha kept when present, 16-bit and 10-bit formats as 16-bit
// samples, grey as grey; everything else as 8-bit RGB(A), which is lossless for indexed and
// lower-depth formats.
class ImageRows : public RowSource {
  public:
    explicit ImageRows(const QImage &image) : image_(image) {
        width = image.width();
        height = image.height();
        const bool alpha = image.hasAlphaChannel();
        if (image.isGrayscale() && !alpha) {
            const bool deep = image.format() == QImage::Format_Grayscale16;
            target_ = deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8;
            colorType = PNG_COLOR_TYPE_GRAY;
            channels = 1;
            bitDepth = deep ? 16 : 8;
        } else if (deepFormat(image.format())) {
            target_ = alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64;
            colorType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
            channels = alpha ? 4 : 3;
            bitDepth = 16;
        } else {
            target_ = alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
            colorType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
            channels = alpha ? 4 : 3;
        }
    }

    bool produce(int top, int count, uchar *out) override {
        // A view of the source rows: rows start on byte boundaries at any depth.
        QImage slice(image_.constScanLine(top), width, count, image_.bytesPerLine(),
                     image_.format());
        slice.setColorTable(image_.colorTable());
        const QImage converted = slice.convertToFormat(target_);
        if (converted.isNull()) {
            return false;
        }
        const qsizetype stride = rowBytes() + 1;
        for (int y = 0; y < count; ++y) {
            uchar *row = out + y * stride;
            *row++ = 0;
            if (bitDepth == 8) {
                std::memcpy(row, converted.constScanLine(y), static_cast<size_t>(rowBytes()));
                continue;
            }
            // 16-bit samples: big-endian, and the filler of RGBX64 left out.
            const auto *samples = reinterpret_cast<const quint16 *>(converted.constScanLine(y));
            const int step = target_ == QImage::Format_RGBX64 ? 4 : channels;
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < channels; ++c) {
                    const quint16 sample = samples[x * step + c];
                    *row++ = static_cast<uchar>(sample >> 8);
                    *row++ = static_cast<uchar>(sample & 0xff);
                }
            }
        }
        return true;
    }

  private:
    static bool deepFormat(QImage::Format format) {
        switch (format) {
            case QImage::Format_RGBX64:
            case QImage::Format_RGBA64:
            case QImage::Format_RGBA64_Premultiplied:
            case QImage::Format_BGR30:
            case QImage::Format_A2BGR30_Premultiplied:
            case QImage::Format_RGB30:
            case QImage::Format_A2RGB30_Premultiplied:
            case QImage::Format_RGBX16FPx4:
            case QImage::Format_RGBA16FPx4:
            case QImage::Format_RGBA16FPx4_Premultiplied:
            case QImage::Format_RGBX32FPx4:
            case QImage::Format_RGBA32FPx4:
            case QImage::Format_RGBA32FPx4_Premultiplied:
                return true;
            default:
                return false;
        }
    }

    const QImage &image_;
    QImage::Format target_ = QImage::Format_RGBA8888;
};

struct PngSink {
    OutputDevice *out = nullptr;
    char message[256] = {};
};

void onPngError(png_structp png, png_const_charp message) {
    auto *sink = static_cast<PngSink *>(png_get_error_ptr(png));
    std::snprintf(sink->message, sizeof sink->message, "%s", message ? message : "unknown");
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void onPngWrite(png_structp png, png_bytep bytes, size_t length) {
    auto *sink = static_cast<PngSink *>(png_get_io_ptr(png));
    sink->out->write(reinterpret_cast<const char *>(bytes), static_cast<qint64>(length));
}

void onPngFlush(png_structp) {}

// The libpng calls live in these small functions without C++ objects, since libpng leaves
// them by longjmp on errors.
bool writeHeader(png_structp png, png_infop info, PngSink *sink, const RowSource &source) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, sink, onPngWrite, onPngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(source.width),
                 static_cast<png_uint_32>(source.height), source.bitDepth, source.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (source.pixelsPerPoint > 0) {
        // 72 points per inch: viewers that honour the density show the picture at point size.
        const double perMetre = std::min(source.pixelsPerPoint * 72 / 0.0254, 1e9);
        const auto density = static_cast<png_uint_32>(std::lround(perMetre));
        png_set_pHYs(png, info, density, density, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    return true;
}

bool writeChunk(png_structp png, const char *name, const uchar *data, size_t length) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_write_chunk(png, reinterpret_cast<png_const_bytep>(name), data, length);
    return true;
}

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngWriter(PngSink *sink) {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, onPngError, onPngWarning);
        info = png ? png_create_info_struct(png) : nullptr;
    }
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
    PngWriter(const PngWriter &) = delete;
    PngWriter &operator=(const PngWriter &) = delete;
};

bool fail(QString *error, const QString &reason) {
    if (error) {
        *error = reason;
    }
    return false;
}

// One PNG written: libpng writes the header chunks and the chunk framing; the bands are
// compressed in parallel into one zlib stream, which is written as IDAT chunks in order.
class PngEncoder {
  public:
    PngEncoder(RowSource &source, QIODevice &out, const PngProgress &progress)
        : source_(source), out_(out), progress_(progress) {}

    bool encode(QString *error) {
        if (!writer_.info) {
            return fail(error, QStringLiteral("PNG encoding failed: out of memory"));
        }
        const bool done =
            pngStep(writeHeader(writer_.png, writer_.info, &sink_, source_)) && writeImageData() &&
            pngStep(writeChunk(writer_.png, "IEND", nullptr, 0)) && pngStep(device_.finish());
        return done || fail(error, reason_);
    }

  private:
    bool refuse(const QString &reason) {
        reason_ = reason;
        return false;
    }

    // A libpng call's outcome: it or the write it made may have failed.
    bool pngStep(bool succeeded) {
        if (device_.failed()) {
            return refuse(QStringLiteral("writing the PNG data failed: ") + out_.errorString());
        }
        return succeeded ||
               refuse(QStringLiteral("PNG encoding failed: ") + QString::fromUtf8(sink_.message));
    }

    bool writeImageData() {
        DeflatePipeline pipeline(compressionLevel(qint64{source_.width} * source_.height),
                                 QThread::idealThreadCount());
        const int bandRows = source_.bandRows();
        bands_ = (source_.height - 1) / bandRows + 1;
        const qsizetype stride = source_.rowBytes() + 1;
        for (int top = 0; top < source_.height && !pipeline.failed(); top += bandRows) {
            const int count = std::min(bandRows, source_.height - top);
            ByteBuffer raw = pipeline.obtainBuffer();
            raw.resize(static_cast<size_t>(count * stride));
            if (!source_.produce(top, count, raw.data())) {
                return refuse(QStringLiteral("out of memory while painting the picture"));
            }
            pipeline.submit(std::move(raw), top + count >= source_.height);
            if (!writeCompressed(pipeline, false)) {
                return false;
            }
        }
        const bool drained = writeCompressed(pipeline, true);
        return pipeline.failed() ? refuse(QStringLiteral("PNG compression failed")) : drained;
    }

    // Writes the pieces that are done, in order; waits while too many are in flight, or with
    // `drain` for all of them.
    bool writeCompressed(DeflatePipeline &pipeline, bool drain) {
        ByteBuffer packed;
        for (;;) {
            const bool wait =
                drain ? pipeline.pending() > 0 : pipeline.pending() > pipeline.maxPending();
            if (!pipeline.takeFinished(packed, wait)) {
                return true;
            }
            if (!pngStep(writeChunk(writer_.png, "IDAT", packed.data(), packed.size()))) {
                return false;
            }
            pipeline.recycle(std::move(packed));
            if (progress_ && !progress_(++written_, bands_)) {
                return refuse(QStringLiteral("the encoding was stopped"));
            }
        }
    }

    RowSource &source_;
    QIODevice &out_;
    const PngProgress &progress_;
    OutputDevice device_{&out_};
    PngSink sink_{&device_};
    PngWriter writer_{&sink_};
    int bands_ = 0;
    int written_ = 0;
    QString reason_;
};

}  // namespace

bool writePng(const Picture &picture, QIODevice &out, QString *error, const PngProgress &progress) {
    if (!out.isWritable()) {
        return fail(error, QStringLiteral("the output is not open for writing"));
    }
    if (picture.pixelSize().isEmpty()) {
        return fail(error, QStringLiteral("the picture is empty"));
    }
    if (const CodePicture *code = picture.codePicture()) {
        CodePictureRows rows(*code);
        return PngEncoder(rows, out, progress).encode(error);
    }
    ImageRows rows(*picture.image());
    return PngEncoder(rows, out, progress).encode(error);
}

std::optional<QByteArray> encodePng(const Picture &picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writePng(picture, buffer)) {
        return std::nullopt;
    }
    buffer.close();
    return bytes;
}

}  // namespace codalume
