#include "report/filters/pdf/RLJpeg.h"

#include "platform/system/errors.h"

#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jpeglib.h>
}

namespace prenso {

namespace {

// libjpeg's error manager with room to jump back out of the library. The
// jump must land in a frame that holds no C++ object created after the
// setjmp: the functions that call setjmp below are kept to plain C types.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void jpegErrorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<JpegErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (a truncated file, extraneous bytes) would go to stderr; a saved
// PDF has nowhere to show them, and the picture is still used.
extern "C" void jpegOutputMessage(j_common_ptr)
{}

void installErrorManager(j_common_ptr cinfo, JpegErrorManager &err)
{
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.output_message = jpegOutputMessage;
    err.message[0] = '\0';
}

// The whole compression between one setjmp and the end. Returns false, with
// the message in `err`, when libjpeg raised an error; `*out` may then hold a
// partial buffer that the caller frees.
bool compressImage(jpeg_compress_struct *cinfo, JpegErrorManager *err, const QImage *image, int quality,
                   unsigned char **out, unsigned long *outSize)
{
    if (setjmp(err->jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, out, outSize);
    const bool grey = image->format() == QImage::Format_Grayscale8;
    cinfo->image_width = static_cast<JDIMENSION>(image->width());
    cinfo->image_height = static_cast<JDIMENSION>(image->height());
    cinfo->input_components = grey ? 1 : 3;
    cinfo->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // libjpeg only reads the row; its prototype predates const.
        JSAMPROW row = const_cast<JSAMPROW>(image->constScanLine(static_cast<int>(cinfo->next_scanline)));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

bool readHeader(jpeg_decompress_struct *cinfo, JpegErrorManager *err, const unsigned char *data, unsigned long size)
{
    if (setjmp(err->jump))
        return false;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data, size);
    return jpeg_read_header(cinfo, TRUE) == JPEG_HEADER_OK;
}

} // namespace

std::string JpegEncode(const QImage &image, int quality, bool greyscale)
{
    QImage source;
    if (image.hasAlphaChannel()) {
        source = QImage(image.size(), QImage::Format_RGB888);
        source.fill(Qt::white);
        QPainter painter(&source);
        painter.drawImage(0, 0, image);
    } else {
        source = image;
    }
    source = source.convertToFormat(greyscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);

    jpeg_compress_struct cinfo{};
    JpegErrorManager err{};
    installErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), err);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    const bool ok = compressImage(&cinfo, &err, &source, quality, &buffer, &size);
    std::string result;
    if (ok)
        result.assign(reinterpret_cast<const char *>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    if (!ok)
        throw Exception(QStringLiteral("JPEG compression failed: %1").arg(QString::fromLocal8Bit(err.message)));
    return result;
}

bool JpegReadInfo(std::string_view bytes, TRLJpegInfo &info)
{
    if (!JpegLooksLikeJpeg(bytes))
        return false;
    jpeg_decompress_struct cinfo{};
    JpegErrorManager err{};
    installErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), err);
    const bool ok = readHeader(&cinfo, &err, reinterpret_cast<const unsigned char *>(bytes.data()),
                               static_cast<unsigned long>(bytes.size()));
    if (ok) {
        info.Width = static_cast<int>(cinfo.image_width);
        info.Height = static_cast<int>(cinfo.image_height);
        info.Components = cinfo.num_components;
    }
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

} // namespace prenso
