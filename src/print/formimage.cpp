#include "print/formimage.h"

#include "platform/files.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <QImageReader>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <jpeglib.h>

#include <jerror.h> // the message codes; after jpeglib.h

namespace mivora {

namespace fs = std::filesystem;

namespace {

// A scanned form is a few thousand pixels a side. A file that claims more than
// kMaxDeclaredPixels is damaged or hostile; what is decoded stays within
// kMaxDecodedPixels (160 MB at four bytes a pixel), and libjpeg's own buffers of a
// progressive file within kJpegWorkingMemory.
constexpr long long kMaxDeclaredPixels = 16384LL * 16384;
constexpr long long kMaxDecodedPixels = 40'000'000;
constexpr long kJpegWorkingMemory = 96L << 20;

[[noreturn]] void refuse(const fs::path& file, const std::string& why) {
    throw FileError("画像 " + pathText(file) + " を読み込めません (" + why + ")。");
}

[[noreturn]] void refuseSize(const fs::path& file, long long width, long long height) {
    throw FileError("画像 " + pathText(file) + " は大きすぎます (" + std::to_string(width) + "×" +
                    std::to_string(height) + " ピクセル)。");
}

bool absurd(long long width, long long height) {
    return width <= 0 || height <= 0 || width * height > kMaxDeclaredPixels;
}

// libjpeg reports fatal errors through error_exit, which must not return, and
// damaged data as warnings after which it goes on with grey: both end the decoding.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    bool tooLarge = false;
    long long width = 0; // as the header declares
    long long height = 0;
};

void onJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->escape, 1);
}

// Missing or corrupt entropy data; other warnings (stray bytes between markers, an
// unknown JFIF version) leave the picture whole.
void onJpegMessage(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    if (level < 0 &&
        (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
         code == JWRN_ARITH_BAD_CODE || code == JWRN_MUST_RESYNC || code == JWRN_BOGUS_PROGRESSION))
        onJpegError(info);
}

// The eighths of its size at which an image of width × height covers fit, and no
// more than kMaxDecodedPixels.
unsigned scaleEighths(long long width, long long height, QSize fit) {
    auto scaledLength = [](long long length, unsigned eighths) {
        return (length * eighths + 7) / 8;
    };
    unsigned eighths = 8;
    if (fit.isValid() && !fit.isEmpty())
        for (eighths = 1; eighths < 8; ++eighths)
            if (scaledLength(width, eighths) >= fit.width() &&
                scaledLength(height, eighths) >= fit.height())
                break;
    while (eighths > 1 &&
           scaledLength(width, eighths) * scaledLength(height, eighths) > kMaxDecodedPixels)
        --eighths;
    return eighths;
}

// Decodes into image; false with the reason on a damaged or absurd file. Kept free
// of C++ objects with destructors, since an error jumps out of it.
bool decodeInto(std::FILE* file, QSize fit, QImage& image, JpegErrors& errors) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onJpegError;
    errors.manager.emit_message = onJpegMessage;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kJpegWorkingMemory;
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    errors.width = info.image_width;
    errors.height = info.image_height;
    if (absurd(info.image_width, info.image_height)) {
        errors.tooLarge = true;
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.scale_num = scaleEighths(info.image_width, info.image_height, fit);
    info.scale_denom = 8;
    info.out_color_space = JCS_EXT_BGRX; // the byte order of QImage::Format_RGB32
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull()) {
        errors.tooLarge = true;
        jpeg_destroy_decompress(&info);
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

QImage decodeJpeg(const fs::path& file, QSize fit) {
    std::FILE* handle = openStream(file, "rb");
    if (!handle)
        throw fileFailure(file, FileAction::Read, errno);
    QImage image;
    JpegErrors errors{};
    const bool decoded = decodeInto(handle, fit, image, errors);
    std::fclose(handle);
    if (errors.tooLarge)
        refuseSize(file, errors.width, errors.height);
    if (!decoded)
        refuse(file, errors.message);
    return image;
}

// The size a BMP's header declares, and whether the file holds all its rows. Qt
// draws the rows a short file lacks in black and calls it a success.
bool bitmapComplete(const fs::path& file, QSize declared) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[34] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header))
        return false;
    auto little = [&](int at, int bytes) {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | header[at + i];
        return value;
    };
    const std::uint32_t dataOffset = little(10, 4);
    const std::uint32_t bitsPerPixel = little(28, 2);
    const std::uint32_t compression = little(30, 4);
    if (compression != 0 && compression != 3) // run-length data: Qt checks it itself
        return true;
    const std::uint64_t rowBytes = (std::uint64_t(declared.width()) * bitsPerPixel + 31) / 32 * 4;
    std::error_code error;
    return fs::file_size(file, error) >= dataOffset + rowBytes * std::uint64_t(declared.height());
}

QImage decodeBitmap(const fs::path& file) {
    QImageReader reader(QString::fromStdString(pathText(file)), "BMP");
    const QSize declared = reader.size();
    if (!declared.isValid())
        refuse(file, reader.errorString().toStdString());
    if (absurd(declared.width(), declared.height()) ||
        static_cast<long long>(declared.width()) * declared.height() > kMaxDecodedPixels)
        refuseSize(file, declared.width(), declared.height());
    if (!bitmapComplete(file, declared))
        refuse(file, "途中で切れています");
    QImage image;
    if (!reader.read(&image))
        refuse(file, reader.errorString().toStdString());
    return image;
}

fs::path imagePath(const fs::path& programDir, const std::string& utf8Name, const char* extension) {
    return findFile(programDir, utf8Name + extension);
}

bool isJpeg(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char start[2] = {};
    return in.read(start, 2) && start[0] == '\xFF' && start[1] == '\xD8';
}

} // namespace

QImage decodeFormImage(const fs::path& file, QSize fit) {
    return isJpeg(file) ? decodeJpeg(file, fit) : decodeBitmap(file);
}

FormImage loadFormImage(const fs::path& programDir, const std::string& formName, QSize fit) {
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
            form.image = decodeFormImage(jpeg, fit);
        else if (fs::path bmp = imagePath(programDir, shownName, ".bmp");
                 fs::is_regular_file(bmp, error))
            form.image = decodeFormImage(bmp, fit);
        form.ownForm = !form.image.isNull();
    } catch (const FileError& failure) {
        form.problem = failure.what();
    }
    if (!form.ownForm) {
        try {
            form.image = decodeFormImage(findFile(programDir, "白地.jpg"), fit);
        } catch (const FileError& failure) {
            form.image = QImage(); // no background at all: the items still show
            form.blankProblem = failure.what();
        }
    }
    return form;
}

} // namespace mivora
