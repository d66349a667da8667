// `mivora init DIR`: a program folder with its tables, sample records, layouts,
// form images and settings files, to try the program on.

#include "cli/commands.h"
#include "cli/headlessgui.h"
#include "cli/options.h"
#include "cli/programfolder.h"
#include "platform/paths.h"

#include "store/database.h"
#include "store/datafolder.h"
#include "store/postgres.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <ostream>

namespace mivora {

namespace fs = std::filesystem;

namespace {

// A layout dot is 100/379 mm; the images are drawn at twice that resolution.
constexpr int kScale = 2;
constexpr int kA4Width = 210 * 379 / 100 * kScale;
constexpr int kA4Height = 297 * 379 / 100 * kScale;

// A folder that holds some of the files already keeps them: they may be a clerk's
// own settings and forms.
bool present(const fs::path& file) {
    std::error_code ignored;
    return fs::exists(file, ignored);
}

void saveImage(const QImage& image, const fs::path& file) {
    if (present(file))
        return;
    if (!image.save(QString::fromStdString(pathText(file)), "JPG", 90))
        throw FileError("画像 " + pathText(file) + " を書き込めません。");
}

// The boxes of a certificate-like form: rows of cells that the first sample
// layout's items fall into.
QImage certificateForm() {
    QImage image(kA4Width, kA4Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(kScale, kScale);
    painter.setPen(QPen(QColor(40, 90, 60), 1));
    QFont title(QStringLiteral("IPAGothic"));
    title.setPixelSize(22);
    painter.setFont(title);
    painter.drawText(QRect(0, 20, kA4Width / kScale, 40), Qt::AlignHCenter,
                     QStringLiteral("自　動　車　検　査　証（見本）"));
    const int left = 40, right = 795 - 40;
    for (int y = 95; y <= 755; y += 60)
        painter.drawLine(left, y, right, y);
    painter.drawLine(left, 95, left, 755);
    painter.drawLine(right, 95, right, 755);
    const int columns[] = {180, 300, 440, 500, 620};
    for (int x : columns)
        painter.drawLine(x, 95, x, 395);
    painter.drawRect(540, 25, 215, 45);
    painter.drawRect(540, 1065, 215, 40);
    return image;
}

// Every layout without a form image of its own is drawn over the blank page, so
// even a folder with empty tables needs it.
void writeBlankForm(const fs::path& dir) {
    QImage blank(kA4Width, kA4Height, QImage::Format_RGB32);
    blank.fill(Qt::white);
    saveImage(blank, pathOf(dir, "白地.jpg"));
}

void writeSampleImages(const fs::path& dir) {
    saveImage(certificateForm(), pathOf(dir, "車検証様式.jpg"));
}

void writeNewLines(const fs::path& file, const std::vector<std::string>& lines) {
    if (!present(file))
        writeLines(file, lines);
}

void writeSettingsFiles(const fs::path& dir) {
    writeNewLines(dir / "MsgFlg.INI", {"0"});
    writeNewLines(dir / "User.INI",
                  {fromUtf8("東京都港区芝公園４丁目２番８号"), fromUtf8("有限会社みどり自動車"),
                   fromUtf8("有限会社みどり自動車　御中"), fromUtf8("03-3433-5111"),
                   fromUtf8("陸運局指定工場　第１２３４号"), fromUtf8("営業時間　９時～１８時"),
                   fromUtf8("")});
}

} // namespace

namespace {

// The folder's pointer to the server is written first, so that the tables are
// made (or found) there, and taken back when they cannot be.
void pointToServer(const fs::path& tables, const std::string& server, FolderContent content) {
    const fs::path pointer = findFile(tables, "CARDATA.conn");
    if (present(pointer))
        throw FileError(pathText(pointer) + " は既にあります。既存の設定は上書きしません。");
    // The program never writes a password into a folder others may read.
    if (holdsPassword(server))
        throw Error("接続文字列にパスワードを書かず、~/.pgpass (利用者のホームフォルダ) "
                    "に書いてください。");
    writeLines(pointer, {server});
    try {
        if (content == FolderContent::Joined)
            openTable(tablePath(tables, vehicleTable())); // made by the first PC
        else
            createTables(tables);
    } catch (...) {
        std::error_code ignored;
        fs::remove(pointer, ignored);
        throw;
    }
}

} // namespace

void createProgramFolder(const fs::path& dir, FolderContent content, const std::string& server) {
    const fs::path tables = dir / "CARDATA";
    if (server.empty()) {
        createTables(tables);
    } else {
        // A refused server leaves no folder behind that would pass for a program folder.
        const bool newDir = !fs::exists(dir), newTables = !fs::exists(tables);
        fs::create_directories(tables);
        try {
            pointToServer(tables, server, content);
        } catch (...) {
            std::error_code ignored;
            if (newTables)
                fs::remove(tables, ignored);
            if (newDir)
                fs::remove(dir, ignored);
            throw;
        }
    }
    const HeadlessGui gui; // one for every image of the folder
    writeBlankForm(dir);
    if (content == FolderContent::Empty)
        return;
    if (content == FolderContent::Sample)
        fillSampleData(tables);
    writeSampleImages(dir);
    writeSettingsFiles(dir);
}

int commandInit(const Arguments& args, std::ostream& out, std::ostream& err) {
    const CommandLine line = parseCommandLine(args, {"--server", "--join"});
    const std::optional<std::string> join = line.option("--join");
    if (line.words.size() != 1 || (join && line.option("--server"))) {
        err << "使い方: mivora init [--server 接続文字列 | --join 接続文字列] DIR\n";
        return 2;
    }
    const fs::path dir = fs::absolute(pathOf({}, line.words[0]));
    const std::string server = join ? *join : line.option("--server").value_or("");
    if (join && server.empty()) {
        err << "mivora init: --join には接続文字列を指定してください。\n";
        return 2;
    }
    createProgramFolder(dir, join ? FolderContent::Joined : FolderContent::Sample, server);
    out << "プログラムフォルダ " << pathText(dir) << " を作成しました。\n";
    if (!server.empty())
        out << "テーブルはデータベースサーバー上にあります (" << pathText(dir / "CARDATA")
            << "/CARDATA.conn)。\n";
    return 0;
}

} // namespace mivora
