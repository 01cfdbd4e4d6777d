#include "settings/settings_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

#include "settings/color_preview_view.h"
#include "settings/color_well.h"
#include "settings/settings_window.h"

namespace codalume {

const std::array<AuthorItem, 4> authorItems = {{
    {"authorName", "作者名:", "输入您的名字 (将显示在图片上)", "在图片上显示作者名",
     "Author: ", &UserPreferences::authorName, &UserPreferences::showAuthorName},
    {"email", "邮箱:", "输入您的邮箱 (将显示在图片上)", "在图片上显示邮箱",
     "Email: ", &UserPreferences::email, &UserPreferences::showEmail},
    {"wechat", "微信:", "输入您的微信号 (将显示在图片上)", "在图片上显示微信",
     "Wechat: ", &UserPreferences::wechat, &UserPreferences::showWechat},
    {"blog", "博客:", "输入您的博客域名 (将显示在图片上)", "在图片上显示博客",
     "Blog: ", &UserPreferences::blog, &UserPreferences::showBlog},
}};

const std::array<StyleItem, 3> styleItems = {{
    {"showLineNumbersCheckbox", "显示行号", &UserPreferences::showLineNumbers},
    {"showWindowControlsCheckbox", "显示窗口按钮", &UserPreferences::showWindowControls},
    {"showShadowCheckbox", "显示阴影", &UserPreferences::showShadow},
}};

namespace {

constexpr int panelWidth = 450;
// 850 for the described form, plus the "样式" section: its header and one row of check boxes.
constexpr int panelHeight = 942;
constexpr int margin = 20;
constexpr int labelX = 20;
constexpr int labelWidth = 100;
constexpr int controlX = 130;
constexpr int rowHeight = 22;

const QStringList &fontStyles() {
    static const QStringList styles = {QStringLiteral("VSCode"), QStringLiteral("JetBrains"),
                                       QStringLiteral("Consolas"), QStringLiteral("Menlo")};
    return styles;
}

const char *const noteText =
    "注意：启用显示选项后，对应的作者信息将显示在生成的图片左下角。若选择自动保存，文件将直接保存到"
    "Downloads目录。";

// Places a child by a frame whose origin is its parent's bottom-left corner, y upwards.
template <typename W>
W *place(W *widget, int x, int y, int width, int height) {
    widget->setGeometry(x, widget->parentWidget()->height() - y - height, width, height);
    return widget;
}

QFont pixelFont(const QFont &base, int pixels, bool bold = false) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

class FormBuilder {
  public:
    explicit FormBuilder(QWidget *panel) : panel_(panel) {}

    template <typename W>
    W *add(W *widget, const QString &name, int x, int y, int width, int height) {
        widget->setParent(panel_);
        widget->setObjectName(name);
        return place(widget, x, y, width, height);
    }

    // Title in bold over a separator line; returns the top of the section's first row.
    int sectionHeader(const QString &title, int y) {
        ++sections_;
        auto *label = add(new QLabel(title), QStringLiteral("sectionHeader%1").arg(sections_),
                          margin, y - 22, panelWidth - 2 * margin, 22);
        label->setFont(pixelFont(label->font(), 14, true));
        auto *line = add(new QFrame, QStringLiteral("sectionLine%1").arg(sections_), margin, y - 30,
                         panelWidth - 2 * margin, 1);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Mid));
        line->setPalette(palette);
        return y - 40;
    }

    QCheckBox *checkbox(const QString &name, const QString &title, bool checked, int x, int y,
                        int width) {
        auto *box = add(new QCheckBox(title), name, x, y, width, rowHeight);
        box->setChecked(checked);
        return box;
    }

    // A right-aligned row label named after the control it describes.
    void label(const QString &controlName, const QString &text, int y) {
        auto *label = add(new QLabel(text), controlName + QStringLiteral("Label"), labelX, y,
                          labelWidth, rowHeight);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    QLineEdit *field(const QString &name, const QString &text, int y, int width) {
        auto *field = add(new QLineEdit(text), name, controlX, y, width, rowHeight);
        field->setCursorPosition(0);
        return field;
    }

    QComboBox *popup(const QString &name, const QStringList &items, int y, int width) {
        auto *popup = add(new QComboBox, name, controlX, y, width, rowHeight);
        popup->addItems(items);
        return popup;
    }

    ColorWell *colorWell(const QString &name, const RgbColor &color, int y) {
        auto *well = add(new ColorWell, name, controlX, y, 50, rowHeight);
        well->setColor(color);
        return well;
    }

  private:
    QWidget *panel_;
    int sections_ = 0;
};

void addNoteBox(FormBuilder &builder, int y) {
    const int width = panelWidth - 2 * margin;
    auto *box = builder.add(new QFrame, QStringLiteral("noteBox"), margin, y, width, 90);
    const QPalette palette = box->palette();
    QColor fill = palette.color(QPalette::Base);
    fill.setAlphaF(0.6f);
    box->setStyleSheet(
        QStringLiteral("QFrame#noteBox { background-color: %1; border: 1px solid "
                       "%2; border-radius: 6px; }")
            .arg(fill.name(QColor::HexArgb), palette.color(QPalette::Mid).name(QColor::HexArgb)));

    auto *label = new QLabel(QString::fromUtf8(noteText), box);
    label->setObjectName(QStringLiteral("noteLabel"));
    place(label, 10, 10, width - 20, 50);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(pixelFont(label->font(), 11));
    QPalette labelPalette = label->palette();
    QColor secondary = labelPalette.color(QPalette::WindowText);
    secondary.setAlphaF(0.6f);
    labelPalette.setColor(QPalette::WindowText, secondary);
    label->setPalette(labelPalette);
}

// The sections of the form, top to bottom. Each takes the top of its header and returns the
// top of the row below its last one.

int addBasicSection(FormBuilder &builder, Form &form, const UserPreferences &p, int y) {
    y = builder.sectionHeader(QStringLiteral("基本设置"), y);
    form.showPreview =
        builder.checkbox(QStringLiteral("showPreviewCheckbox"), QStringLiteral("生成图片前预览"),
                         p.showPreview, margin, y - 22, 300);
    y -= 30;
    form.saveToDownloads = builder.checkbox(QStringLiteral("saveToDownloadsCheckbox"),
                                            QStringLiteral("自动保存到Downloads目录"),
                                            p.saveToDownloads, margin, y - 22, 300);
    y -= 30;
    form.startAtLogin =
        builder.checkbox(QStringLiteral("startAtLoginCheckbox"), QStringLiteral("开机自动启动"),
                         p.startAtLogin, margin, y - 22, 300);
    return y;
}

int addFontSection(FormBuilder &builder, Form &form, const UserPreferences &p, int y) {
    y = builder.sectionHeader(QStringLiteral("字体设置"), y - 52);
    builder.label(QStringLiteral("fontSizeField"), QStringLiteral("字体大小:"), y - 22);
    form.fontSize =
        builder.field(QStringLiteral("fontSizeField"), QString::number(p.fontSize), y - 22, 50);
    y -= 30;
    builder.label(QStringLiteral("fontStylePopup"), QStringLiteral("字体风格:"), y - 22);
    form.fontStyle = builder.popup(QStringLiteral("fontStylePopup"), fontStyles(), y - 22, 200);
    if (const qsizetype index = fontStyles().indexOf(p.fontStyle); index >= 0) {
        form.fontStyle->setCurrentIndex(static_cast<int>(index));
    }
    return y;
}

// The preview follows the two colours, the gradient box and the direction as they change.
void addColorPreview(FormBuilder &builder, Form &form,
                     const QMap<QString, QString> &directionMapReverse, int y) {
    builder.label(QStringLiteral("colorPreview"), QStringLiteral("效果预览:"), y - 22);
    form.preview = builder.add(new ColorPreviewView, QStringLiteral("colorPreview"), controlX,
                               y - 24, 250, 24);
    PreviewLayer &layer = form.preview->layer();
    layer.cornerRadius = 4;
    layer.borderWidth = 1;
    layer.borderColor = QColor(128, 128, 128);
    form.preview->startColorWell = form.background;
    form.preview->endColorWell = form.gradientEnd;
    form.preview->useGradientCheckbox = form.useGradient;
    form.preview->directionPopup = form.direction;
    form.preview->directionMapReverse = directionMapReverse;
    form.preview->updatePreview(nullptr);
    ColorPreviewView *preview = form.preview;
    const auto repaint = [preview](QObject *sender) {
        return [preview, sender] { preview->updatePreview(sender); };
    };
    QObject::connect(form.background, &ColorWell::colorChanged, preview, repaint(form.background));
    QObject::connect(form.gradientEnd, &ColorWell::colorChanged, preview,
                     repaint(form.gradientEnd));
    QObject::connect(form.useGradient, &QCheckBox::toggled, preview, repaint(form.useGradient));
    QObject::connect(form.direction, &QComboBox::currentIndexChanged, preview,
                     repaint(form.direction));
}

int addBackgroundSection(FormBuilder &builder, Form &form, const UserPreferences &p,
                         const QMap<QString, QString> &directionMap,
                         const QMap<QString, QString> &directionMapReverse, int y) {
    y = builder.sectionHeader(QStringLiteral("背景设置"), y - 52);
    builder.label(QStringLiteral("backgroundColorWell"), QStringLiteral("背景色:"), y - 22);
    form.background =
        builder.colorWell(QStringLiteral("backgroundColorWell"),
                          {p.backgroundColorR, p.backgroundColorG, p.backgroundColorB}, y - 22);
    form.useGradient =
        builder.checkbox(QStringLiteral("useGradientCheckbox"), QStringLiteral("使用渐变背景"),
                         p.useGradientBackground, 190, y - 22, 150);
    y -= 30;
    builder.label(QStringLiteral("gradientEndColorWell"), QStringLiteral("渐变终止色:"), y - 22);
    form.gradientEnd =
        builder.colorWell(QStringLiteral("gradientEndColorWell"),
                          {p.gradientEndColorR, p.gradientEndColorG, p.gradientEndColorB}, y - 22);
    y -= 30;
    builder.label(QStringLiteral("gradientDirectionPopup"), QStringLiteral("渐变方向:"), y - 22);
    QStringList titles;
    for (const auto &[value, title] : directionPairs) {
        titles << title.toString();
    }
    form.direction = builder.popup(QStringLiteral("gradientDirectionPopup"), titles, y - 22, 150);
    const QString title = directionMap.value(p.gradientDirection, QStringLiteral("垂直"));
    for (size_t i = 0; i < directionPairs.size(); ++i) {
        if (directionPairs[i].second == title) {
            form.direction->setCurrentIndex(static_cast<int>(i));
        }
    }
    y -= 30;
    addColorPreview(builder, form, directionMapReverse, y);
    return y;
}

// The optional parts of the card, one row of check boxes under the background.
int addStyleSection(FormBuilder &builder, Form &form, const UserPreferences &p, int y) {
    y = builder.sectionHeader(QStringLiteral("样式"), y - 54);
    for (size_t i = 0; i < styleItems.size(); ++i) {
        const StyleItem &item = styleItems[i];
        form.styles[i] =
            builder.checkbox(QString::fromLatin1(item.name), QString::fromUtf8(item.title),
                             p.*item.shown, margin + 130 * static_cast<int>(i), y - 22, 120);
    }
    return y;
}

int addAuthorSection(FormBuilder &builder, Form &form, const UserPreferences &p, int y) {
    y = builder.sectionHeader(QStringLiteral("作者信息"), y - 52);
    for (size_t i = 0; i < authorItems.size(); ++i) {
        const AuthorItem &item = authorItems[i];
        const QString name = QString::fromLatin1(item.name);
        const QString fieldName = name + QStringLiteral("Field");
        builder.label(fieldName, QString::fromUtf8(item.label), y - 22);
        QLineEdit *field = builder.field(fieldName, p.*item.text, y - 22, 190);
        field->setPlaceholderText(QString::fromUtf8(item.placeholder));
        // One point smaller, so that the longest hint fits the field instead of being elided.
        field->setFont(pixelFont(field->font(), 11));
        QString checkboxName = QStringLiteral("show") + name;
        checkboxName[4] = checkboxName[4].toUpper();
        QCheckBox *checkbox = builder.checkbox(checkboxName + QStringLiteral("Checkbox"),
                                               QString::fromUtf8(item.checkbox), p.*item.shown,
                                               controlX, y - 26 - 22, 190);
        form.authors[i] = {field, checkbox};
        if (i + 1 < authorItems.size()) {
            y -= 26 + 30;
        }
    }
    return y;
}

}  // namespace

Form buildSettingsForm(const UserPreferences &p, const QMap<QString, QString> &directionMap,
                       const QMap<QString, QString> &directionMapReverse) {
    Form form;
    form.panel = new QWidget;
    form.panel->setObjectName(QStringLiteral("settingsPanel"));
    form.panel->setFixedSize(panelWidth, panelHeight);
    form.panel->setAutoFillBackground(true);
    // The frames are fixed, so the text must be too: a larger desktop font would clip labels.
    form.panel->setFont(pixelFont(form.panel->font(), 12));
    FormBuilder builder(form.panel);

    int y = addBasicSection(builder, form, p, panelHeight - margin);
    y = addFontSection(builder, form, p, y);
    y = addBackgroundSection(builder, form, p, directionMap, directionMapReverse, y);
    y = addStyleSection(builder, form, p, y);
    y = addAuthorSection(builder, form, p, y);
    // Four points higher than the rows above would put it, so that its bottom edge and
    // border stay inside the panel instead of being cut off.
    addNoteBox(builder, y - 26 - 52 - 90 + 4);
    return form;
}

void writeSettingsForm(const Form &form, const QMap<QString, QString> &directionMapReverse,
                       UserPreferences &p) {
    p.showPreview = form.showPreview->isChecked();
    p.saveToDownloads = form.saveToDownloads->isChecked();
    p.startAtLogin = form.startAtLogin->isChecked();
    p.fontSize = parseDecimalInteger(form.fontSize->text()).value_or(14);
    p.fontStyle = form.fontStyle->currentIndex() >= 0 ? form.fontStyle->currentText()
                                                      : QStringLiteral("VSCode");
    const RgbColor background = form.background->color();
    p.backgroundColorR = background.red;
    p.backgroundColorG = background.green;
    p.backgroundColorB = background.blue;
    p.useGradientBackground = form.useGradient->isChecked();
    const RgbColor end = form.gradientEnd->color();
    p.gradientEndColorR = end.red;
    p.gradientEndColorG = end.green;
    p.gradientEndColorB = end.blue;
    if (form.direction->currentIndex() >= 0) {
        p.gradientDirection =
            directionMapReverse.value(form.direction->currentText(), QStringLiteral("vertical"));
    }
    for (size_t i = 0; i < styleItems.size(); ++i) {
        p.*styleItems[i].shown = form.styles[i]->isChecked();
    }
    for (size_t i = 0; i < authorItems.size(); ++i) {
        p.*authorItems[i].shown = form.authors[i].checkbox->isChecked();
    }
    for (size_t i = 0; i < authorItems.size(); ++i) {
        p.*authorItems[i].text = form.authors[i].field->text().trimmed();
    }
}

}  // namespace codalume
