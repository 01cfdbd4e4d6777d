#pragma once

// Files a user (or a stray script) can leave where the program looks: preferences of every
// wrong type, FIFOs, huge files. Shared by the command-line and the capture matrices.
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace codalume::testing {

// A valid preferences record far from the defaults in everything a picture shows (red
// background, large font, author line, no preview), so a file that loaded even in part is seen.
inline nlohmann::ordered_json distinctivePreferences() {
    return {{"showPreview", false},
            {"fontSize", 30},
            {"fontStyle", "JetBrains"},
            {"fontColor", "#00FF00"},
            {"backgroundColor", "#E61A1A"},
            {"authorName", "Ann Example"},
            {"email", "ann@example.org"},
            {"wechat", "ann_wx"},
            {"blog", "https://ann.example"},
            {"startAtLogin", false},
            {"saveToDownloads", true},
            {"showAuthorName", true},
            {"showEmail", true},
            {"showWechat", true},
            {"showBlog", true},
            {"backgroundColorR", 0.9},
            {"backgroundColorG", 0.1},
            {"backgroundColorB", 0.1},
            {"useGradientBackground", false},
            {"gradientEndColorR", 0.5},
            {"gradientEndColorG", 0.6},
            {"gradientEndColorB", 0.7},
            {"gradientDirection", "horizontal"}};
}

inline QByteArray dump(const nlohmann::ordered_json &json) {
    const std::string text = json.dump();
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

struct WrongTypeFile {
    std::string key;
    std::string type;  // the JSON type put there
    QByteArray bytes;
};

// For each of the 23 keys, the distinctive record with that one member replaced by a value of
// each JSON type the key does not accept (an integer is a valid double; 14.0 a valid integer,
// so fractions stand for the float type).
inline std::vector<WrongTypeFile> everyWrongType() {
    using Json = nlohmann::ordered_json;
    const std::vector<std::pair<std::string, Json>> samples = {{"null", nullptr},
                                                               {"boolean", true},
                                                               {"integer", 7},
                                                               {"float", 0.5},
                                                               {"string", "1"},
                                                               {"array", Json::array({1})},
                                                               {"object", Json::object()}};
    std::vector<WrongTypeFile> files;
    const Json valid = distinctivePreferences();
    for (const auto &[key, value] : valid.items()) {
        for (const auto &[type, sample] : samples) {
            const bool accepted = (value.is_boolean() && sample.is_boolean()) ||
                                  (value.is_string() && sample.is_string()) ||
                                  (value.is_number_integer() && sample.is_number_integer()) ||
                                  (value.is_number_float() && sample.is_number());
            if (accepted) {
                continue;
            }
            Json broken = valid;
            broken[key] = sample;
            files.push_back({key, type, dump(broken)});
        }
    }
    return files;
}

// `bytes` spaces written in a few large writes.
inline bool writeSpaces(const QString &path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray block(64 << 20, ' ');
    for (qint64 left = bytes; left > 0; left -= block.size()) {
        const qint64 n = std::min<qint64>(left, block.size());
        if (file.write(block.constData(), n) != n) {
            return false;
        }
    }
    return true;
}

// One gigabyte of spaces, written once per test program (in a few large writes) and removed
// at exit; cases hard-link it where they need it. Empty when it could not be written.
inline QString gigabyteOfSpaces() {
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("spaces.json"));
    static const bool written = folder.isValid() && writeSpaces(path, qint64(1) << 30);
    return written ? path : QString();
}

// A second name for the same file (not a symbolic link).
inline bool hardLink(const QString &existing, const QString &newName) {
    return ::link(QFile::encodeName(existing).constData(),
                  QFile::encodeName(newName).constData()) == 0;
}

// The distinctive settings drawn like the defaults except for the font size and the
// background components: default font, no author line, no preview.
inline QByteArray plainPreferences(qint64 fontSize, double component) {
    nlohmann::ordered_json json = distinctivePreferences();
    json["fontSize"] = fontSize;
    json["fontStyle"] = "VSCode";
    for (const char *key : {"authorName", "email", "wechat", "blog"}) {
        json[key] = "";
    }
    for (const char *key : {"backgroundColorR", "backgroundColorG", "backgroundColorB"}) {
        json[key] = component;
    }
    return dump(json);
}

inline bool makeFifo(const QString &path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Watches one file for being opened or read by anyone, this process or a child.
class AccessWatch {
  public:
    explicit AccessWatch(const QString &path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0) {
            ::inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_OPEN | IN_ACCESS);
        }
    }
    ~AccessWatch() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    AccessWatch(const AccessWatch &) = delete;
    AccessWatch &operator=(const AccessWatch &) = delete;

    bool watching() const { return fd_ >= 0; }
    // Whether any open or read happened since the watch began.
    bool touched() const {
        alignas(inotify_event) char buffer[4096];
        return ::read(fd_, buffer, sizeof buffer) > 0;
    }

  private:
    int fd_;
};

// How a written code picture must look, measured against a picture of the same code made
// with the default settings.
enum class Look {
    none,         // nothing is written
    anything,     // any decodable picture at least 500 points wide, default background
    distinctive,  // the distinctive settings: another size, red background
    defaults,     // exactly the default settings' size and background
    smallerFont,  // default width and background, less tall (a 12-point default text size)
    black,        // default size, black background
    white,        // default size, white background
};

struct Picture {
    QSize size;
    QRgb background = 0;
};

// Reads a PNG of any size: the pictures under test may pass Qt's default reading limit.
inline QImage readPng(const QString &path) {
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(0);
    QImageReader reader(path, "PNG");
    const QImage image = reader.read();
    QImageReader::setAllocationLimit(limit);
    return image;
}

inline Picture measure(const QString &path) {
    const QImage image = readPng(path);
    if (image.isNull()) {
        return {};
    }
    // Left edge at half height: inside the card, clear of its corners and of the text.
    return {image.size(), image.pixel(2, image.height() / 2)};
}

inline void expectLook(Look look, const Picture &picture, const Picture &defaults) {
    switch (look) {
        case Look::anything:
            EXPECT_GE(picture.size.width(), 1000);
            EXPECT_EQ(picture.background, defaults.background);
            break;
        case Look::distinctive:
            EXPECT_NE(picture.size, defaults.size);
            EXPECT_GT(qRed(picture.background), 200);
            EXPECT_LT(qGreen(picture.background), 40);
            break;
        case Look::defaults:
            EXPECT_EQ(picture.size, defaults.size);
            EXPECT_EQ(picture.background, defaults.background);
            break;
        case Look::smallerFont:
            EXPECT_EQ(picture.size.width(), defaults.size.width());
            EXPECT_LT(picture.size.height(), defaults.size.height());
            EXPECT_EQ(picture.background, defaults.background);
            break;
        case Look::black:
        case Look::white:
            EXPECT_EQ(picture.size, defaults.size);
            EXPECT_EQ(picture.background,
                      look == Look::black ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            break;
        case Look::none:
            break;
    }
}

// The default look is a dark grey 500-point card at 2 pixels per point.
inline void expectDefaultLook(const Picture &picture) {
    EXPECT_EQ(picture.size.width(), 1000);
    EXPECT_EQ(qRed(picture.background), qGreen(picture.background));
    EXPECT_EQ(qRed(picture.background), qBlue(picture.background));
    EXPECT_LT(qRed(picture.background), 60);
}

// Names in a folder, hidden ones included, sorted; nothing for a missing folder or a file.
inline QStringList entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The same without the runtime folder that Qt makes in the temporary directory when
// XDG_RUNTIME_DIR is not set ("runtime-<user>"): that one is Qt's, not a stray file of ours.
inline QStringList ownEntries(const QString &folder) {
    QStringList names = entries(folder);
    names.removeIf([](const QString &name) { return name.startsWith(u"runtime-"); });
    return names;
}

inline QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every regular file under the folder with its bytes (large ones by size, so a watched huge
// file is not opened here).
inline std::map<QString, QByteArray> snapshot(const QString &folder) {
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (!info.isFile()) {
            continue;  // a FIFO would block the read
        }
        files[info.filePath()] =
            info.size() > (1 << 20) ? QByteArray::number(info.size()) : readAll(info.filePath());
    }
    return files;
}

// Every file of `before` is still there with the same bytes.
inline void expectUnchanged(const std::map<QString, QByteArray> &before,
                            const std::map<QString, QByteArray> &after) {
    for (const auto &[path, bytes] : before) {
        const auto found = after.find(path);
        EXPECT_TRUE(found != after.end() && found->second == bytes) << path.toStdString();
    }
}

}  // namespace codalume::testing
