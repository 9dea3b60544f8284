#include "toolkit/Pictures.h"

#include "toolkit/core/Exception.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace tk {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default handler ends the process; ours jumps back to the decoder.
extern "C" void OnJpegError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void OnJpegWarning(j_common_ptr, int) {}

constexpr JDIMENSION MaxSide = 16384;

// Only plain data lives in this frame across setjmp; the image is written
// through a pointer that never changes.
bool Decode(const unsigned char* data, unsigned long size, QImage* out, char* reason)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    errors.base.emit_message = OnJpegWarning;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        std::snprintf(reason, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > MaxSide || info.image_height > MaxSide) {
        std::snprintf(reason, JMSG_LENGTH_MAX, "unsupported size %ux%u", info.image_width, info.image_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool gray = info.jpeg_color_space == JCS_GRAYSCALE;
    info.out_color_space = cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    *out = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                  gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (out->isNull()) {
        std::snprintf(reason, JMSG_LENGTH_MAX, "out of memory");
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (cmyk) {
        // The row buffer comes from libjpeg's pool, so an error jump frees it too.
        JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                   info.output_width * 4u, 1);
        while (info.output_scanline < info.output_height) {
            const int y = static_cast<int>(info.output_scanline);
            if (jpeg_read_scanlines(&info, row, 1) != 1)
                break;
            auto* target = reinterpret_cast<QRgb*>(out->scanLine(y));
            const JSAMPLE* p = row[0];
            for (JDIMENSION x = 0; x < info.output_width; ++x, p += 4) {
                // Adobe writes inverted CMYK; this is the common reading of it.
                const unsigned k = p[3];
                target[x] = qRgb(static_cast<int>(p[0] * k / 255), static_cast<int>(p[1] * k / 255),
                                 static_cast<int>(p[2] * k / 255));
            }
        }
    } else {
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[1] = {out->scanLine(static_cast<int>(info.output_scanline))};
            if (jpeg_read_scanlines(&info, rows, 1) != 1)
                break;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data)
{
    QImage image;
    char reason[JMSG_LENGTH_MAX] = {};
    if (data.isEmpty())
        throw Exception("empty JPEG data");
    if (!Decode(reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()),
                &image, reason))
        throw Exception(std::string("JPEG error: ") + reason);
    return image;
}

QImage KeyOutMagenta(const QImage& picture)
{
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            const QRgb p = line[x];
            if (qRed(p) > 200 && qBlue(p) > 200 && qGreen(p) < 90)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return keyed;
}

QImage LoadPicture(const QString& path, bool transparent)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot load picture " + path.toStdString());
    const QByteArray data = file.readAll();
    QImage image;
    const bool jpeg = data.size() >= 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
                      static_cast<unsigned char>(data[1]) == 0xD8;
    if (jpeg || path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive)) {
        try {
            image = DecodeJpeg(data);
        } catch (const Exception& error) {
            throw Exception("Cannot load picture " + path.toStdString() + " (" + error.Message() + ")");
        }
    } else if (!image.loadFromData(data)) {
        throw Exception("Cannot load picture " + path.toStdString());
    }
    return transparent ? KeyOutMagenta(image) : image;
}

} // namespace tk
