#include "text/lines.h"

#include "platform/files.h"
#include "text/errors.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace mivora {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

std::string readBytes(const fs::path& file) {
    errno = 0;
    FileHandle in(openStream(file, "rb"));
    if (!in)
        throw fileFailure(file, FileAction::Read, errno);
    std::string content;
    char buffer[1 << 16];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
        content.append(buffer, got);
    if (std::ferror(in.get()))
        throw fileFailure(file, FileAction::Read, errno);
    return content;
}

std::optional<std::vector<std::string>> readLines(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error))
        return std::nullopt;
    if (fs::is_directory(file, error))
        throw fileFailure(file, FileAction::Read, EISDIR);
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
    errno = 0;
    FileHandle out(openStream(written, "wb"));
    if (!out)
        throw fileFailure(file, FileAction::Write, errno);
    bool complete = true;
    for (const std::string& line : lines) {
        const std::string ended = line + "\r\n";
        complete =
            complete && std::fwrite(ended.data(), 1, ended.size(), out.get()) == ended.size();
    }
    complete = std::fclose(out.release()) == 0 && complete;
    const int failure = errno;
    const bool replaced = complete && replaceFile(written, file);
    if (!replaced) {
        const int why = complete ? errno : failure;
        std::error_code ignored;
        fs::remove(written, ignored);
        throw fileFailure(file, FileAction::Write, why);
    }
}

} // namespace mivora
