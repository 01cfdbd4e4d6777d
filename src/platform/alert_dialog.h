// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <functional>
#include <QList>
#include <QPointer>

#include "platform/platform.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace codalume {

// The real alert: icon, message, informative text, an optional accessory (an image view or a
// caller's form) and the buttons in the given order, left to right, the first one default.
// exec() answers firstButtonReturn + index of the button pressed; closing the window without
// a button answers the last button (the one that cancels, when there are several).
class AlertDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AlertDialog(const Alert &alert, QWidget *parent = nullptr);
    ~AlertDialog() override;

    // Runs the dialog modally and returns the answer described above.
    int run();

    const QList<QPushButton *> &buttons() const { return buttons_; }
    QLabel *iconLabel() const { return iconLabel_; }
    QLabel *messageLabel() const { return messageLabel_; }
    QLabel *informativeLabel() const { return informativeLabel_; }
    // The accessory image view, or nullptr when the alert has none.
    QLabel *accessoryImageLabel() const { return accessoryImageLabel_; }
    // The choice above the image view, or nullptr when the alert has none.
    QComboBox *choiceBox() const { return choiceBox_; }
    // Whether the icon is the alert's own symbol (false: the style's default icon).
    bool usesSymbolIcon() const { return usesSymbolIcon_; }

    static constexpr int iconSize = 32;
    static constexpr int defaultIconSize = 40;

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void addButtons(const QStringList &titles, QVBoxLayout *outer);
    void addChoice(const Alert &alert, QVBoxLayout *column);
    void addIcon(const Alert &alert);
    void addAccessoryImage(const Alert &alert, QVBoxLayout *column);
    // The image view: scaled to fit, or at its own size and scrolling (see Alert).
    QWidget *makeAccessoryImageView(const QImage &image, const Alert &alert);
    void addAccessoryWidget(QWidget *form, QVBoxLayout *column);
    void fixSize(const Alert &alert);
    QLabel *makeImageView(const QImage &image, const QSize &size);
    QScrollArea *makeScrollingImageView(const QImage &image, const QSize &size);
    void finishWith(int index);

    QList<QPushButton *> buttons_;
    QLabel *iconLabel_ = nullptr;
    QLabel *messageLabel_ = nullptr;
    QLabel *informativeLabel_ = nullptr;
    QLabel *accessoryImageLabel_ = nullptr;
    QWidget *imageView_ = nullptr;  // the label, or the scroll area around it
    QComboBox *choiceBox_ = nullptr;
    bool usesSymbolIcon_ = false;
    // The caller's form: handed back to its previous parent when the dialog goes away.
    QPointer<QWidget> accessoryWidget_;
    QPointer<QWidget> accessoryWidgetParent_;
    QScrollArea *accessoryScrollArea_ = nullptr;  // only around a form taller than the screen
    std::function<void(int)> onButton_;
};

}  // namespace codalume
