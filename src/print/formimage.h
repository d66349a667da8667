#pragma once
// The scanned image of a blank form, found in the program directory by the
// layout's form name: NAME.jpg, else NAME.bmp, else the blank page 白地.jpg
// (shown behind the designer's preview, never printed).

#include <QImage>
#include <filesystem>
#include <string>

namespace mivora {

struct FormImage {
    QImage image;         // null when nothing could be loaded
    bool ownForm = false; // the layout's own .jpg or .bmp, the only one that prints
    std::string
        problem; // UTF-8: why the layout's own image, or else the blank page, could not be read
};

// formName is CP932, a file name without directory or extension.
FormImage loadFormImage(const std::filesystem::path& programDir, const std::string& formName);

// Decodes a JPEG file with libjpeg-turbo. Throws FileError for a missing or damaged file.
QImage decodeJpeg(const std::filesystem::path& file);

} // namespace mivora
