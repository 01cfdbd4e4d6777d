// SPDX-License-Identifier: MIT
#include "views/about_view.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/ui_text.h"
#include "views/view_style.h"

namespace codalume {

using views::TextStyle;

AboutView::AboutView(QWidget *parent) : QWidget(parent) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(views::standardPadding, views::standardPadding,
                               views::standardPadding, views::standardPadding);
    layout->setSpacing(15);

    layout->addWidget(views::makeSymbolLabel(QStringLiteral("scissors"), 64, views::accentBlue()),
                      0, Qt::AlignHCenter);
    layout->addWidget(views::makeLabel(QStringLiteral("Codalume"), TextStyle::Title, true), 0,
                      Qt::AlignHCenter);
    layout->addWidget(views::makeLabel(Ui::tr("版本 %1").arg(QStringLiteral(CODALUME_VERSION)),
                                       TextStyle::Body, false, views::secondaryTextColor()),
                      0, Qt::AlignHCenter);

    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    views::addPadded(layout, divider, 10, 10);

    auto *text = views::makeLabel(
        Ui::tr("一个简单易用的工具，可以将剪贴板中的文本代码转换为美观的图片。"), TextStyle::Body);
    text->setObjectName(QStringLiteral("description"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setContentsMargins(views::standardPadding, 0, views::standardPadding, 0);
    layout->addWidget(text);

    layout->addStretch(1);
    auto *notice = views::makeLabel(Ui::tr("© 2025 Codalume. 保留所有权利。"), TextStyle::Caption,
                                    false, views::secondaryTextColor());
    notice->setObjectName(QStringLiteral("footer"));
    layout->addWidget(notice, 0, Qt::AlignHCenter);
}

}  // namespace codalume
