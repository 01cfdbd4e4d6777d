// SPDX-License-Identifier: MIT
#include "views/recent_images_view.h"

#include <QAction>
#include <QApplication>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPromise>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "platform/icons.h"
#include "platform/platform.h"
#include "platform/ui_text.h"
#include "views/view_style.h"

namespace codalume {

using views::TextStyle;

namespace {

constexpr int rowSymbolSide = 40;
const QString symbolName = QStringLiteral("symbol");

// Device pixels per point of the row symbols, as for the other symbols.
qreal symbolPixelRatio() {
    return qApp != nullptr ? std::max<qreal>(2.0, qApp->devicePixelRatio()) : 2.0;
}

QWidget *makeRow(const RecentImage &image, const QPixmap &thumbnail) {
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 4, 6, 4);
    QLabel *symbol =
        views::makeSymbolLabel(QStringLiteral("photo"), rowSymbolSide, views::accentBlue());
    symbol->setObjectName(symbolName);
    if (!thumbnail.isNull()) {
        symbol->setPixmap(thumbnail);
    }
    layout->addWidget(symbol, 0, Qt::AlignVCenter);

    auto *texts = new QVBoxLayout;
    // The row fits the list's width: the name and the language give way, the date never.
    auto *name = views::makeElidedLabel(image.name, TextStyle::Subheadline, Qt::ElideMiddle);
    name->setObjectName(QStringLiteral("name"));
    texts->addWidget(name);

    auto *details = new QHBoxLayout;
    // An image saved from the clipboard has no language.
    auto *language = views::makeElidedLabel(
        image.language.isEmpty() ? QString() : Ui::tr("语言: ") + image.language,
        TextStyle::Caption, Qt::ElideRight, views::symbolGray());
    language->setObjectName(QStringLiteral("language"));
    auto *date = views::makeLabel(formatRecentImageDate(image.date), TextStyle::Caption, false,
                                  views::symbolGray());
    date->setObjectName(QStringLiteral("date"));
    details->addWidget(language);
    details->addStretch(1);
    details->addWidget(date);
    texts->addLayout(details);

    layout->addLayout(texts, 1);
    return row;
}

QPushButton *makeButton(const QString &symbol, const QString &title) {
    auto *button = new QPushButton(symbolIcon(symbol), title);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

RecentImagesView::RecentImagesView(Platform &platform, std::function<void()> capture,
                                   RecentImagesModel &model, QWidget *parent)
    : QWidget(parent), platform_(platform), capture_(std::move(capture)), model_(model) {
    auto *layout = new QVBoxLayout(this);
    // A little air between the rows and the tab frame.
    layout->setContentsMargins(6, 8, 6, 4);
    layout->setSpacing(10);

    layout->addWidget(views::makeLabel(Ui::tr("最近生成的图片"), TextStyle::Headline));

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("recentImagesList"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rows follow the list's width, also when they were made before it was first shown.
    list_->setResizeMode(QListView::Adjust);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    // A faint selection, a fifth of the accent over the list's own background, keeps the blue
    // symbols and the gray captions readable on light and dark palettes.
    QPalette listPalette = list_->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        listPalette.setColor(
            group, QPalette::Highlight,
            views::blend(listPalette.color(group, QPalette::Base), views::accentBlue(), 0.2));
        listPalette.setColor(group, QPalette::HighlightedText, listPalette.color(QPalette::Text));
    }
    list_->setPalette(listPalette);
    connect(list_, &QWidget::customContextMenuRequested, this, &RecentImagesView::showRowMenu);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { revealRow(list_->row(item)); });
    list_->installEventFilter(this);
    layout->addWidget(list_, 1);
    // Inside the empty list: how the first picture comes.
    emptyHint_ = views::makeLabel(Ui::tr("复制代码后按 Super+Shift+C 生成第一张图片"),
                                  TextStyle::Subheadline, false, views::secondaryTextColor());
    emptyHint_->setWordWrap(true);
    emptyHint_->setAlignment(Qt::AlignCenter);
    auto *hintLayout = new QVBoxLayout(list_->viewport());
    hintLayout->setSizeConstraint(QLayout::SetNoConstraint);
    hintLayout->addWidget(emptyHint_);

    clearButton_ = makeButton(QStringLiteral("trash"), Ui::tr("清空剪贴板"));
    connect(clearButton_, &QPushButton::clicked, this, &RecentImagesView::clearClipboard);
    views::addPadded(layout, clearButton_, views::standardPadding);

    captureButton_ = makeButton(QStringLiteral("scissors"), Ui::tr("获取剪贴板"));
    connect(captureButton_, &QPushButton::clicked, this, &RecentImagesView::captureClipboard);
    views::addPadded(layout, captureButton_, 5, 5);

    connect(&model_, &RecentImagesModel::changed, this, &RecentImagesView::rebuildRows);
    rebuildRows();
}

void RecentImagesView::deleteRows(const QList<int> &positions) {
    model_.removeRows(positions);
}

void RecentImagesView::revealRow(int row) {
    if (row >= 0 && row < recentImages().size()) {
        platform_.revealFile(recentImages()[row].path);
    }
}

void RecentImagesView::deleteSelectedRows() {
    QList<int> positions;
    for (const QListWidgetItem *item : list_->selectedItems()) {
        positions.append(list_->row(item));
    }
    if (!positions.isEmpty()) {
        deleteRows(positions);
    }
}

bool RecentImagesView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)) {
            deleteSelectedRows();
            return true;
        }
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            revealRow(list_->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RecentImagesView::clearClipboard() {
    platform_.clearClipboard();
    Alert alert;  // the platform's single confirmation button
    alert.style = AlertStyle::Informational;
    alert.iconSymbol = QStringLiteral("checkmark.circle.fill");  // a success, not a warning
    alert.messageText = Ui::tr("剪贴板已清空");
    alert.informativeText = Ui::tr("剪贴板内容已被清空");
    platform_.runAlert(alert);
}

void RecentImagesView::captureClipboard() {
    if (capture_) {
        capture_();
    }
}

void RecentImagesView::rebuildRows() {
    list_->clear();
    emptyHint_->setVisible(recentImages().isEmpty());
    // Thumbnails of deleted rows are not needed again.
    QSet<QUuid> shown;
    for (const RecentImage &image : recentImages()) {
        shown.insert(image.id);
    }
    thumbnails_.removeIf([&shown](const auto &entry) { return !shown.contains(entry.key()); });
    for (const RecentImage &image : recentImages()) {
        auto *item = new QListWidgetItem(list_);
        item->setData(Qt::UserRole, image.id);
        QWidget *row = makeRow(image, thumbnails_.value(image.id));
        // As wide as the list, whatever the row would like.
        item->setSizeHint(QSize(0, row->sizeHint().height()));
        list_->setItemWidget(item, row);
        loadThumbnail(image);
    }
}

void RecentImagesView::loadThumbnail(const RecentImage &image) {
    if (thumbnails_.contains(image.id) || pendingThumbnails_.contains(image.id)) {
        return;
    }
    pendingThumbnails_.insert(image.id);
    const qreal ratio = symbolPixelRatio();
    const QSize box = QSize(rowSymbolSide, rowSymbolSide) * ratio;
    // The watcher belongs to the page: when the page goes first, the answer goes nowhere.
    auto promise = std::make_shared<QPromise<QImage>>();
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, id = image.id, ratio] {
        QPixmap thumbnail;
        if (watcher->future().resultCount() > 0) {
            thumbnail = QPixmap::fromImage(watcher->future().result());
            thumbnail.setDevicePixelRatio(ratio);
        }
        pendingThumbnails_.remove(id);
        thumbnails_.insert(id, thumbnail);
        showThumbnail(id);
        watcher->deleteLater();
    });
    watcher->setFuture(promise->future());
    promise->start();
    readers_.start([promise, path = image.path, box] {
        promise->addResult(readThumbnail(path, box));
        promise->finish();
    });
}

void RecentImagesView::showThumbnail(const QUuid &id) {
    const QPixmap thumbnail = thumbnails_.value(id);
    for (int row = 0; row < list_->count() && !thumbnail.isNull(); ++row) {
        QListWidgetItem *item = list_->item(row);
        if (item->data(Qt::UserRole).toUuid() == id) {
            list_->itemWidget(item)->findChild<QLabel *>(symbolName)->setPixmap(thumbnail);
        }
    }
}

void RecentImagesView::showRowMenu(const QPoint &position) {
    const QListWidgetItem *item = list_->itemAt(position);
    if (item == nullptr) {
        return;
    }
    // Keyed by identity: the list may change while the menu is open.
    const QUuid id = item->data(Qt::UserRole).toUuid();
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(Ui::tr("从列表中移除")), &QAction::triggered, this, [this, id] {
        const QList<RecentImage> &images = recentImages();
        const auto found = std::find_if(images.cbegin(), images.cend(),
                                        [&id](const RecentImage &image) { return image.id == id; });
        if (found != images.cend()) {
            deleteRows({static_cast<int>(found - images.cbegin())});
        }
    });
    menu->popup(list_->viewport()->mapToGlobal(position));
}

}  // namespace codalume
