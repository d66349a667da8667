#include "print/formimage.h"

#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace mivora {

namespace fs = std::filesystem;

namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->escape, 1);
}

// Decodes into image; false with the library's message on a damaged file. Kept
// free of C++ objects with destructors, since an error jumps out of it.
bool decodeInto(std::FILE* file, QImage& image, JpegErrors& errors) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onJpegError;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX; // the byte order of QImage::Format_RGB32
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        std::snprintf(errors.message, sizeof errors.message, "image too large");
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

QImage loadBitmap(const fs::path& file) {
    QImage image(QString::fromStdString(pathText(file)), "BMP");
    if (image.isNull())
        throw FileError("画像 " + pathText(file) + " を読み込めません。");
    return image;
}

fs::path imagePath(const fs::path& programDir, const std::string& utf8Name, const char* extension) {
    return findFile(programDir, utf8Name + extension);
}

} // namespace

QImage decodeJpeg(const fs::path& file) {
    std::FILE* handle = std::fopen(file.c_str(), "rb");
    if (!handle)
        throw fileFailure(file, FileAction::Read, errno);
    QImage image;
    JpegErrors errors{};
    bool decoded = decodeInto(handle, image, errors);
    std::fclose(handle);
    if (!decoded)
        throw FileError("画像 " + pathText(file) + " を読み込めません。JPEG として壊れています (" +
                        errors.message + ")。");
    return image;
}

FormImage loadFormImage(const fs::path& programDir, const std::string& formName) {
    FormImage form;
    std::error_code error;
    const std::string shownName = toUtf8(formName);
    try {
        // A form name is a bare file name; one that reaches into other folders is
        // never followed.
        if (shownName.find_first_of("/\\") != std::string::npos)
            throw FileError("フォーム名「" + shownName + "」にフォルダの区切りが含まれています。");
        if (fs::path jpeg = imagePath(programDir, shownName, ".jpg");
            fs::is_regular_file(jpeg, error))
            form.image = decodeJpeg(jpeg);
        else if (fs::path bmp = imagePath(programDir, shownName, ".bmp");
                 fs::is_regular_file(bmp, error))
            form.image = loadBitmap(bmp);
        form.ownForm = !form.image.isNull();
    } catch (const FileError& failure) {
        form.problem = failure.what();
    }
    if (!form.ownForm) {
        try {
            form.image = decodeJpeg(findFile(programDir, "白地.jpg"));
        } catch (const FileError& failure) {
            form.image = QImage(); // no background at all: the items still show
            if (form.problem.empty())
                form.problem = failure.what();
        }
    }
    return form;
}

} // namespace mivora
