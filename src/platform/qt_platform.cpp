// SPDX-License-Identifier: MIT
#include "platform/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/alert_dialog.h"
#include "platform/backend_loader.h"
#include "platform/paths.h"
#include "platform/progress_dialog.h"

namespace codalume {

namespace {

const QString organisationName = QStringLiteral("Codalume");
const QString applicationName = QStringLiteral("Codalume");
// Work shorter than this shows no progress window: one that flashes up and vanishes again is
// worse than none.
constexpr std::chrono::milliseconds progressWindowDelay{500};

// QFileDialog has no place for a message; put one above its own rows.
void addMessageRow(QFileDialog &dialog, const QString &message) {
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    if (message.isEmpty() || grid == nullptr) {
        return;
    }
    struct Placed {
        QLayoutItem *item;
        int row, column, rowSpan, columnSpan;
    };
    std::vector<Placed> placed;
    for (int index = grid->count() - 1; index >= 0; --index) {
        Placed entry{};
        grid->getItemPosition(index, &entry.row, &entry.column, &entry.rowSpan, &entry.columnSpan);
        entry.item = grid->takeAt(index);
        placed.push_back(entry);
    }
    auto *label = new QLabel(message, &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    grid->addWidget(label, 0, 0, 1, std::max(1, grid->columnCount()));
    for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
        grid->addItem(it->item, it->row + 1, it->column, it->rowSpan, it->columnSpan);
    }
}

// The PNG as image/png and, only when another program asks for some other image type, decoded
// for Qt to convert: decoding a very tall picture up front would take gigabytes. (Qt's reader
// refuses images beyond its allocation limit; the PNG itself is always there.)
class PngMimeData : public QMimeData {
  public:
    explicit PngMimeData(QByteArray png) : png_(std::move(png)) {}
    QStringList formats() const override { return {pngType(), imageType()}; }
    bool hasFormat(const QString &type) const override { return formats().contains(type); }

  protected:
    QVariant retrieveData(const QString &type, QMetaType) const override {
        if (type == pngType()) {
            return png_;
        }
        if (type == imageType()) {
            return QImage::fromData(png_, "PNG");
        }
        return {};
    }

  private:
    static QString pngType() { return QStringLiteral("image/png"); }
    static QString imageType() { return QStringLiteral("application/x-qt-image"); }
    QByteArray png_;
};

}  // namespace

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() = default;

int QtPlatform::runAlert(const Alert &alert) {
    AlertDialog dialog(alert);
    return dialog.run();
}

std::optional<QString> QtPlatform::clipboardText() {
    if (!clipboardAccess_) {
        clipboardAccess_ = makeClipboardAccess();  // the session is known once Qt runs
    }
    // Unreadable: nothing rather than what an earlier focus left behind.
    clipboardReadable_ = clipboardAccess_->prepare();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!clipboardReadable_ || data == nullptr || !data->hasText()) {
        return std::nullopt;
    }
    return data->text();
}

std::optional<QImage> QtPlatform::clipboardImage() {
    const QMimeData *data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!clipboardReadable_ || data == nullptr || !data->hasImage()) {
        return std::nullopt;
    }
    QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull()) {
        return std::nullopt;
    }
    return image;
}

void QtPlatform::clearClipboard() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

void QtPlatform::setClipboardImage(const QByteArray &png) {
    QGuiApplication::clipboard()->setMimeData(new PngMimeData(png), QClipboard::Clipboard);
}

void QtPlatform::beginSavePanel(const SavePanelOptions &options, SavePanelCompletion completion) {
    auto *dialog = new QFileDialog(nullptr, options.title);
    // Qt's own dialog: it can carry the message, and it behaves the same on every desktop.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (options.pngOnly) {
        dialog->setNameFilter(QStringLiteral("PNG (*.png)"));
        dialog->setDefaultSuffix(QStringLiteral("png"));
    }
    const QString downloads = downloadsDirectory();
    dialog->setDirectory(QFileInfo(downloads).isDir() ? downloads : homeDirectory());
    dialog->selectFile(options.proposedFileName);
    addMessageRow(*dialog, options.message);
    dialog->setWindowModality(Qt::NonModal);

    // Runs once: the dialog reports `finished` once and is deleted right after.
    auto shared = std::make_shared<SavePanelCompletion>(std::move(completion));
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, shared](int result) {
        const bool confirmed = result == QDialog::Accepted;
        const QString path = confirmed ? dialog->selectedFiles().value(0) : QString();
        dialog->deleteLater();
        QTimer::singleShot(0, qApp, [shared, confirmed, path] {
            (*shared)(confirmed ? modalResponseOK : 0, path);
        });
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

QString revealFallbackFolder(const QString &path) {
    const QFileInfo info(path);
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

void QtPlatform::revealFile(const QString &path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QUrl folder = QUrl::fromLocalFile(revealFallbackFolder(path));
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    // Asynchronous so a slow or absent file manager never freezes the program.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp,
                     [watcher, folder](QDBusPendingCallWatcher *) {
                         if (watcher->isError()) {
                             QDesktopServices::openUrl(folder);
                         }
                         watcher->deleteLater();
                     });
}

void QtPlatform::openUrl(const QUrl &url) {
    QDesktopServices::openUrl(url);
}

bool QtPlatform::userDefaultBool(const QString &key) {
    return QSettings(organisationName, applicationName).value(key, false).toBool();
}

void QtPlatform::setUserDefaultBool(const QString &key, bool value) {
    QSettings settings(organisationName, applicationName);
    settings.setValue(key, value);
    settings.sync();
}

std::unique_ptr<ProgressWindow> QtPlatform::beginProgress(const Progress &progress,
                                                          std::function<void()> cancel) {
    return openProgressDialog(progress, std::move(cancel), progressWindowDelay);
}

void QtPlatform::runLater(std::chrono::milliseconds delay, std::function<void()> task) {
    QTimer::singleShot(delay, qApp, std::move(task));
}

double QtPlatform::currentTime() {
    return QDateTime::currentMSecsSinceEpoch() / 1000.0;
}

double QtPlatform::pictureScale() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    return std::max(2.0, ratio);
}

QString QtPlatform::homeDirectory() {
    return codalume::homeDirectory();
}
QString QtPlatform::temporaryDirectory() {
    return codalume::temporaryDirectory();
}
QString QtPlatform::downloadsDirectory() {
    return codalume::downloadsDirectory();
}
QString QtPlatform::applicationPath() {
    return codalume::applicationPath();
}

}  // namespace codalume
