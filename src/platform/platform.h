// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace codalume {

enum class AlertStyle { Warning = 0, Informational = 1, Critical = 2 };

// Answer of runAlert for the first button; the n-th button answers firstButtonReturn + n - 1.
inline constexpr int firstButtonReturn = 1000;
// Answer of a save panel that was confirmed.
inline constexpr int modalResponseOK = 1;

// A list the user picks one entry from, shown above the accessory image: the image follows the
// pick (the preview's language, for one).
struct AlertChoice {
    QString label;  // e.g. "语言:"
    QStringList items;
    QString selected;  // preselected; one of `items`
    // Runs on every other pick with the entry picked; answers the accessory image for it.
    std::function<QImage(const QString &item)> onChoose;
};

// A modal alert as a value: what the user reads and which buttons, in order, they can press.
struct Alert {
    AlertStyle style = AlertStyle::Warning;
    QString messageText;
    QString informativeText;  // empty: none
    QString iconSymbol;       // e.g. "photo.fill"; empty or unknown: the default icon
    QString iconDescription;  // accessible name of the icon
    // Accessory image view: `accessoryImage` shown scaled proportionally into a view of
    // `accessoryImageSize` points. Used when accessoryImageSize is not empty.
    QImage accessoryImage;
    QSize accessoryImageSize;
    // Set: an image larger than the view is shown at its own size (its device pixel ratio says
    // how many of its pixels make a point) and scrolls, rather than shrinking to fit.
    bool accessoryImageScrolls = false;
    // A choice above the image view; none when it has no items.
    AlertChoice choice;
    // Accessory widget (a form panel); not owned, must outlive runAlert.
    QWidget *accessoryWidget = nullptr;
    // Window growth beyond the natural size (the settings form asks for a wider, taller window).
    int windowExtraWidth = 0;
    int windowExtraHeight = 0;
    QStringList buttons;  // in order; the first is the default. None: one "确定" button
    // Runs when a button is pressed, with its answer, while the alert is still on screen and
    // has the focus (on Wayland only a focused window may set the clipboard); the alert then
    // closes and runAlert returns the same answer.
    std::function<void(int answer)> onButton;
};

struct SavePanelOptions {
    QString title;
    QString message;
    QString proposedFileName;
    bool pngOnly = true;
    bool canCreateDirectories = true;
};

// A window that follows long work: what it is about, how far it got, and a button to stop it.
struct Progress {
    QString title;
    QString labelText;
    QString cancelButton;
};

// An open progress window; it closes when destroyed.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    virtual void setProgress(int done, int total) = 0;
};

// Every desktop service the logic uses. QtPlatform is the real one; tests use a scripted one
// that records alerts and answers from a script. All calls and callbacks happen on the main
// thread.
class Platform {
  public:
    virtual ~Platform() = default;

    // Runs the alert modally; returns firstButtonReturn + index of the button pressed.
    virtual int runAlert(const Alert &alert) = 0;

    // Clipboard: plain text (an empty string is text), an image, or nothing.
    virtual std::optional<QString> clipboardText() = 0;
    virtual std::optional<QImage> clipboardImage() = 0;
    virtual void clearClipboard() = 0;
    // Puts a picture on the clipboard, owned by this program while it runs: the PNG bytes as
    // image/png, and the other image types Qt offers from them.
    virtual void setClipboardImage(const QByteArray &png) = 0;

    // Shows a save panel without blocking; `completion` runs once, later, on the main thread
    // with the response (modalResponseOK when confirmed) and the chosen path (empty if none).
    using SavePanelCompletion = std::function<void(int response, const QString &path)>;
    virtual void beginSavePanel(const SavePanelOptions &options,
                                SavePanelCompletion completion) = 0;

    // Workspace: results are ignored by every caller.
    virtual void revealFile(const QString &path) = 0;
    virtual void openUrl(const QUrl &url) = 0;

    // Persistent booleans of this application; a missing key reads as false.
    virtual bool userDefaultBool(const QString &key) = 0;
    virtual void setUserDefaultBool(const QString &key, bool value) = 0;

    // Opens a progress window for work that may take long. The real one shows itself only once
    // the work has lasted about half a second, so quick work shows nothing. `cancel` runs once,
    // on the main thread, when the user asks to stop.
    virtual std::unique_ptr<ProgressWindow> beginProgress(const Progress &progress,
                                                          std::function<void()> cancel) = 0;

    // Runs the task once on the main thread, no earlier than `delay` from now.
    virtual void runLater(std::chrono::milliseconds delay, std::function<void()> task) = 0;

    // Seconds since 1970 (saved pictures are named after it).
    virtual double currentTime() = 0;

    // Device pixels per point of the saved pictures: 2, or the screen's ratio when higher.
    virtual double pictureScale() = 0;

    // Paths (see platform/paths.h for what the real ones are).
    virtual QString homeDirectory() = 0;
    virtual QString temporaryDirectory() = 0;
    virtual QString downloadsDirectory() = 0;
    virtual QString applicationPath() = 0;
};

}  // namespace codalume
