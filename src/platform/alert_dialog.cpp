// SPDX-License-Identifier: MIT
#include "platform/alert_dialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/icons.h"
#include "platform/ui_text.h"

namespace codalume {

namespace {

// Wide enough for a two-line path and the diagnostic lines without a cramped look.
constexpr int textColumnWidth = 380;
constexpr int minimumButtonWidth = 88;
// Room kept on screen for the message, the buttons and the window frame around a form.
constexpr int screenReserve = 220;

QString defaultSymbolFor(AlertStyle style) {
    switch (style) {
        case AlertStyle::Warning:
            return QStringLiteral("exclamationmark.triangle.fill");
        case AlertStyle::Informational:
            return QStringLiteral("info.circle.fill");
        case AlertStyle::Critical:
            return QStringLiteral("xmark.octagon.fill");
    }
    return {};
}

QStyle::StandardPixmap standardPixmapFor(AlertStyle style) {
    switch (style) {
        case AlertStyle::Warning:
            return QStyle::SP_MessageBoxWarning;
        case AlertStyle::Informational:
            return QStyle::SP_MessageBoxInformation;
        case AlertStyle::Critical:
            return QStyle::SP_MessageBoxCritical;
    }
    return QStyle::SP_MessageBoxInformation;
}

}  // namespace

AlertDialog::AlertDialog(const Alert &alert, QWidget *parent)
    : QDialog(parent), onButton_(alert.onButton) {
    setModal(true);
    setSizeGripEnabled(false);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 16);
    outer->setSpacing(14);

    auto *body = new QHBoxLayout;
    body->setSpacing(16);
    outer->addLayout(body);

    iconLabel_ = new QLabel(this);
    iconLabel_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    addIcon(alert);
    body->addWidget(iconLabel_, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(8);
    body->addLayout(column, 1);

    int columnWidth = textColumnWidth;
    if (!alert.accessoryImageSize.isEmpty()) {
        columnWidth = std::max(columnWidth, alert.accessoryImageSize.width());
    }

    messageLabel_ = new QLabel(alert.messageText, this);
    messageLabel_->setTextFormat(Qt::PlainText);
    messageLabel_->setWordWrap(true);
    messageLabel_->setMinimumWidth(columnWidth);
    QFont bold = messageLabel_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.1);
    messageLabel_->setFont(bold);
    column->addWidget(messageLabel_);

    informativeLabel_ = new QLabel(alert.informativeText, this);
    // Paths and diagnostic lines are shown as they are, never as markup, and can be copied.
    informativeLabel_->setTextFormat(Qt::PlainText);
    informativeLabel_->setWordWrap(true);
    informativeLabel_->setMinimumWidth(columnWidth);
    informativeLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    informativeLabel_->setVisible(!alert.informativeText.isEmpty());
    column->addWidget(informativeLabel_);

    if (!alert.choice.items.isEmpty()) {
        addChoice(alert, column);
    }
    if (!alert.accessoryImageSize.isEmpty()) {
        addAccessoryImage(alert, column);
    }
    if (alert.accessoryWidget != nullptr) {
        accessoryWidget_ = alert.accessoryWidget;
        accessoryWidgetParent_ = alert.accessoryWidget->parentWidget();
        addAccessoryWidget(alert.accessoryWidget, column);
    }
    column->addStretch(1);

    addButtons(alert.buttons.isEmpty() ? QStringList{Ui::ok()} : alert.buttons, outer);
    fixSize(alert);
}

void AlertDialog::addAccessoryImage(const Alert &alert, QVBoxLayout *column) {
    imageView_ = makeAccessoryImageView(alert.accessoryImage, alert);
    column->addWidget(imageView_, 0, Qt::AlignLeft);
}

QWidget *AlertDialog::makeAccessoryImageView(const QImage &image, const Alert &alert) {
    const QSizeF natural = QSizeF(image.size()) / image.devicePixelRatio();
    if (alert.accessoryImageScrolls && (natural.width() > alert.accessoryImageSize.width() ||
                                        natural.height() > alert.accessoryImageSize.height())) {
        return makeScrollingImageView(image, alert.accessoryImageSize);
    }
    accessoryImageLabel_ = makeImageView(image, alert.accessoryImageSize);
    return accessoryImageLabel_;
}

void AlertDialog::fixSize(const Alert &alert) {
    if (alert.windowExtraWidth > 0 || alert.windowExtraHeight > 0) {
        layout()->activate();
        QSize size = sizeHint() + QSize(std::max(0, alert.windowExtraWidth),
                                        std::max(0, alert.windowExtraHeight));
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            size = size.boundedTo(screen->availableGeometry().size());
        }
        resize(size.expandedTo(minimumSizeHint()));
    }
    // An alert's size never changes. Said so, tiling compositors (sway) float it as the dialog
    // it is rather than tiling it across half the screen, and window managers offer no
    // maximise (Qt's default hints already ask for no minimise, which most of them honour).
    if (!testAttribute(Qt::WA_Resized)) {
        adjustSize();
    }
    setFixedSize(size());
}

void AlertDialog::addAccessoryWidget(QWidget *form, QVBoxLayout *column) {
    accessoryWidget_ = form;
    accessoryWidgetParent_ = form->parentWidget();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int available = screen != nullptr ? screen->availableGeometry().height() : 0;
    // A tall form (the settings) scrolls on a small screen instead of pushing the buttons off
    // its bottom edge.
    const QSize wanted =
        form->sizeHint().expandedTo(form->minimumSizeHint()).expandedTo(form->minimumSize());
    if (available > 0 && wanted.height() + screenReserve > available) {
        accessoryScrollArea_ = new QScrollArea(this);
        accessoryScrollArea_->setFrameShape(QFrame::NoFrame);
        accessoryScrollArea_->setWidgetResizable(true);
        accessoryScrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        accessoryScrollArea_->setWidget(form);
        accessoryScrollArea_->setMinimumWidth(
            wanted.width() + accessoryScrollArea_->verticalScrollBar()->sizeHint().width());
        // As tall as the screen allows, so only the part that does not fit scrolls.
        accessoryScrollArea_->setFixedHeight(
            std::max(200, std::min(wanted.height(), available - screenReserve)));
        column->addWidget(accessoryScrollArea_, 1);
    } else {
        column->addWidget(form);
    }
    form->show();
}

void AlertDialog::addButtons(const QStringList &titles, QVBoxLayout *outer) {
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (int index = 0; index < titles.size(); ++index) {
        auto *button = new QPushButton(titles[index], this);
        button->setAutoDefault(false);
        // Room around the title, and one width for short titles so a row looks even.
        button->setMinimumWidth(std::max(minimumButtonWidth, button->sizeHint().width() + 20));
        connect(button, &QPushButton::clicked, this, [this, index] { finishWith(index); });
        buttonRow->addWidget(button);
        buttons_.append(button);
    }
    buttons_.front()->setDefault(true);
    buttons_.front()->setFocus();
    outer->addLayout(buttonRow);
}

void AlertDialog::addChoice(const Alert &alert, QVBoxLayout *column) {
    const AlertChoice &choice = alert.choice;
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(choice.label, this);
    choiceBox_ = new QComboBox(this);
    choiceBox_->addItems(choice.items);
    choiceBox_->setCurrentIndex(
        std::max<int>(0, static_cast<int>(choice.items.indexOf(choice.selected))));
    // A long list (every grammar's language) is searched by typing any part of a name; what
    // names no entry is never added and leaves the entry picked before.
    choiceBox_->setEditable(true);
    choiceBox_->setInsertPolicy(QComboBox::NoInsert);
    choiceBox_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    choiceBox_->completer()->setFilterMode(Qt::MatchContains);
    choiceBox_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    connect(choiceBox_->lineEdit(), &QLineEdit::editingFinished, this, [box = choiceBox_] {
        if (box->findText(box->currentText()) < 0) {
            box->setEditText(box->itemText(box->currentIndex()));
        }
    });
    label->setBuddy(choiceBox_);
    row->addWidget(label);
    row->addWidget(choiceBox_);
    row->addStretch(1);
    column->addLayout(row);
    // Another pick redraws the image view for it.
    connect(choiceBox_, &QComboBox::currentIndexChanged, this,
            [this, column, onChoose = choice.onChoose, alert](int index) {
                if (index < 0 || !onChoose || imageView_ == nullptr) {
                    return;
                }
                QWidget *fresh =
                    makeAccessoryImageView(onChoose(choiceBox_->itemText(index)), alert);
                delete column->replaceWidget(imageView_, fresh);
                delete imageView_;
                imageView_ = fresh;
            });
}

void AlertDialog::keyPressEvent(QKeyEvent *event) {
    // Enter in the chooser picks what was typed; it does not also press the default button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QWidget *focused = focusWidget();
    if (enter && choiceBox_ != nullptr && focused != nullptr &&
        (focused == choiceBox_ || choiceBox_->isAncestorOf(focused))) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

AlertDialog::~AlertDialog() {
    // The form belongs to the caller: take it out before the dialog deletes its children.
    if (accessoryScrollArea_ != nullptr) {
        accessoryScrollArea_->takeWidget();
    }
    if (accessoryWidget_ != nullptr) {
        accessoryWidget_->hide();
        accessoryWidget_->setParent(accessoryWidgetParent_);
    }
}

void AlertDialog::addIcon(const Alert &alert) {
    const qreal ratio = devicePixelRatioF();
    // In the text colour, so the symbol shows on dark palettes too.
    const QColor tint = palette().color(QPalette::WindowText);
    QPixmap pixmap = symbolPixmap(alert.iconSymbol, iconSize, ratio, tint);
    usesSymbolIcon_ = !pixmap.isNull();
    if (pixmap.isNull()) {
        pixmap = symbolPixmap(defaultSymbolFor(alert.style), defaultIconSize, ratio, tint);
    }
    if (pixmap.isNull()) {
        pixmap = style()
                     ->standardIcon(standardPixmapFor(alert.style), nullptr, this)
                     .pixmap(QSize(defaultIconSize, defaultIconSize), ratio);
    }
    iconLabel_->setPixmap(pixmap);
    iconLabel_->setMinimumWidth(defaultIconSize);
    if (usesSymbolIcon_ && !alert.iconDescription.isEmpty()) {
        iconLabel_->setAccessibleName(alert.iconDescription);
    }
}

QLabel *AlertDialog::makeImageView(const QImage &image, const QSize &size) {
    auto *view = new QLabel(this);
    view->setFixedSize(size);
    view->setAlignment(Qt::AlignCenter);
    if (!image.isNull() && image.width() > 0 && image.height() > 0) {
        // Scaled proportionally, up or down, to fill the view on at least one axis; drawn at
        // the screen's density so a Retina-like screen shows every pixel it can.
        const qreal ratio = devicePixelRatioF();
        const QSize pixels = (QSizeF(size) * ratio).toSize();
        QImage source = image;
        if (source.width() > 4 * pixels.width() || source.height() > 4 * pixels.height()) {
            // Smoothing a huge clipboard image takes seconds; thin it out first.
            source = source.scaled(pixels * 2, Qt::KeepAspectRatio, Qt::FastTransformation);
        }
        QImage scaled = source.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        view->setPixmap(QPixmap::fromImage(scaled));
    }
    return view;
}

QScrollArea *AlertDialog::makeScrollingImageView(const QImage &image, const QSize &size) {
    const qreal ratio = devicePixelRatioF();
    const QSize natural = (QSizeF(image.size()) / image.devicePixelRatio()).toSize();
    QImage shown = image;
    if (!qFuzzyCompare(image.devicePixelRatio(), ratio)) {
        shown = image.scaled(natural * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    shown.setDevicePixelRatio(ratio);
    accessoryImageLabel_ = new QLabel(this);
    accessoryImageLabel_->setPixmap(QPixmap::fromImage(shown));
    accessoryImageLabel_->setFixedSize(natural);
    auto *area = new QScrollArea(this);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(accessoryImageLabel_);
    // The bar stands beside the view, so the view still shows its full width of the picture.
    area->setFixedSize(size + QSize(area->verticalScrollBar()->sizeHint().width(), 0));
    return area;
}

void AlertDialog::finishWith(int index) {
    if (onButton_) {
        onButton_(firstButtonReturn + index);
    }
    done(firstButtonReturn + index);
}

int AlertDialog::run() {
    show();
    raise();
    activateWindow();
    const int answer = exec();
    // Closing the window without a button (Escape, the window's close box) counts as the
    // last button: the harmless "取消"/"确定" of every alert that has two.
    if (answer < firstButtonReturn || answer >= firstButtonReturn + buttons_.size()) {
        return firstButtonReturn + static_cast<int>(buttons_.size()) - 1;
    }
    return answer;
}

}  // namespace codalume
