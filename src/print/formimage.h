#pragma once
// The scanned image of a blank form, found in the program directory by the
// layout's form name: NAME.jpg, else NAME.bmp, else the blank page 白地.jpg
// (shown behind the designer's preview, never printed).

#include <QImage>
#include <QSize>
#include <filesystem>
#include <string>

namespace mivora {

struct FormImage {
    QImage image;             // null when nothing could be loaded
    bool ownForm = false;     // the layout's own .jpg or .bmp, the only one that prints
    std::string problem;      // UTF-8: why the layout's own image could not be read
    std::string blankProblem; // UTF-8: why the blank page could not be read (preview only)
};

// formName is CP932, a file name without directory or extension. fit: the size the
// image is drawn at (see decodeFormImage).
FormImage loadFormImage(const std::filesystem::path& programDir, const std::string& formName,
                        QSize fit = {});

// Decodes a form image: JPEG with libjpeg-turbo, BMP through Qt. A JPEG is decoded
// at the smallest of libjpeg's scales that still covers fit (its own size when fit
// is empty), so a huge scan costs only the memory of the page it is drawn on. The
// declared size is checked before anything is decoded. Throws FileError naming the
// file when it is missing, damaged, cut short or absurdly large.
QImage decodeFormImage(const std::filesystem::path& file, QSize fit = {});

} // namespace mivora
