#include "text/lines.h"

#include "text/errors.h"

#include <fstream>
#include <sstream>

namespace mivora {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError("ファイル " + pathText(file) + " を読み込めません。");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        throw FileError("ファイル " + pathText(file) + " の読み込みに失敗しました。");
    return std::move(content).str();
}

std::optional<std::vector<std::string>> readLines(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error))
        return std::nullopt;
    if (fs::is_directory(file, error))
        throw FileError("ファイル " + pathText(file) + " を読み込めません。");
    std::string content = readBytes(file);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n')
            continue;
        lines.push_back(content.substr(start, i - start));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines.push_back(content.substr(start));
    return lines;
}

// The lines go into a file beside the old one, which takes its place only once
// they are all written: a full disk or a failing drive leaves the old file whole
// (the printer adjustment of every printer lives in one such file).
void writeLines(const fs::path& file, const std::vector<std::string>& lines) {
    fs::path written = file;
    written += ".new";
    std::ofstream out(written, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines)
        out << line << "\r\n";
    out.close();
    std::error_code error;
    if (out)
        fs::rename(written, file, error);
    if (!out || error) {
        fs::remove(written, error);
        throw FileError("ファイル " + pathText(file) + " に書き込めません。");
    }
}

fs::path pathOf(const fs::path& folder, const std::string& utf8Name) {
    return folder / fs::path(std::u8string(utf8Name.begin(), utf8Name.end()));
}

std::string pathText(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace mivora
