#pragma once

#include <QObject>
#include <QString>

#include "app/platform.h"
#include "render/picture.h"
#include "render/user_preferences.h"

namespace codalume {

// The hub of the tray program: holds the settings in force and runs the capture command and
// saving against the desktop services of `platform`.
class StatusBarController : public QObject {
    Q_OBJECT
public:
    explicit StatusBarController(Platform &platform, QObject *parent = nullptr);

    // The settings in force, loaded at creation; capture and saving read them at each call.
    UserPreferences userPreferences;

    Platform &platform() const { return platform_; }

public slots:
    // The capture command: clipboard text becomes a code picture (previewed when
    // showPreview), a clipboard image is offered for saving unchanged. `sender` is ignored.
    void getClipboardContent(QObject *sender = nullptr);
    // Renders the code and saves the picture, or says that no picture could be made.
    void createAndSaveImage(const QString &code, const QString &language);
    // Writes the picture as PNG into Downloads or where a save panel says, and tells the user.
    void saveImage(const Picture &picture);

private:
    Platform &platform_;
};

}  // namespace codalume
