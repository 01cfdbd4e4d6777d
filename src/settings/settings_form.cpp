// SPDX-License-Identifier: MIT
#include "settings/settings_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/ui_text.h"
#include "render/grammar.h"
#include "settings/color_preview_view.h"
#include "settings/color_well.h"
#include "settings/interface_language.h"
#include "settings/settings_window.h"

namespace codalume {

// The texts are translated where they are shown.
const std::array<AuthorItem, 4> authorItems = {{
    {"authorName", QT_TRANSLATE_NOOP("Codalume", "作者名:"),
     QT_TRANSLATE_NOOP("Codalume", "输入您的名字 (将显示在图片上)"),
     QT_TRANSLATE_NOOP("Codalume", "在图片上显示作者名"), "Author: ", &UserPreferences::authorName,
     &UserPreferences::showAuthorName},
    {"email", QT_TRANSLATE_NOOP("Codalume", "邮箱:"),
     QT_TRANSLATE_NOOP("Codalume", "输入您的邮箱 (将显示在图片上)"),
     QT_TRANSLATE_NOOP("Codalume", "在图片上显示邮箱"), "Email: ", &UserPreferences::email,
     &UserPreferences::showEmail},
    {"wechat", QT_TRANSLATE_NOOP("Codalume", "微信:"),
     QT_TRANSLATE_NOOP("Codalume", "输入您的微信号 (将显示在图片上)"),
     QT_TRANSLATE_NOOP("Codalume", "在图片上显示微信"), "Wechat: ", &UserPreferences::wechat,
     &UserPreferences::showWechat},
    {"blog", QT_TRANSLATE_NOOP("Codalume", "博客:"),
     QT_TRANSLATE_NOOP("Codalume", "输入您的博客域名 (将显示在图片上)"),
     QT_TRANSLATE_NOOP("Codalume", "在图片上显示博客"), "Blog: ", &UserPreferences::blog,
     &UserPreferences::showBlog},
}};

const std::array<StyleItem, 3> styleItems = {{
    {"showLineNumbersCheckbox", QT_TRANSLATE_NOOP("Codalume", "显示行号"),
     &UserPreferences::showLineNumbers},
    {"showWindowControlsCheckbox", QT_TRANSLATE_NOOP("Codalume", "显示窗口按钮"),
     &UserPreferences::showWindowControls},
    {"showShadowCheckbox", QT_TRANSLATE_NOOP("Codalume", "显示阴影"), &UserPreferences::showShadow},
}};

namespace {

// Room around the form and between its parts, in pixels. Everything else (row heights, the
// widths of labels and fields) follows the desktop's font, so the form grows with it instead
// of clipping its texts.
constexpr int margin = 16;
constexpr int sectionGap = 12;
constexpr int noteInset = 8;
constexpr int colorWellWidth = 50;
constexpr QSize previewSize(250, 24);

const QStringList &fontStyles() {
    static const QStringList styles = {QStringLiteral("VSCode"), QStringLiteral("JetBrains"),
                                       QStringLiteral("Consolas"), QStringLiteral("Menlo")};
    return styles;
}

// The highlighters' titles, in highlighterNames() order.
QStringList highlighterTitles() {
    return {Ui::tr("内置规则"), Ui::tr("语法库")};
}

// The interface languages' titles, in interfaceLanguageNames() order. "English" is the same in
// both languages: it is what an English reader looks for.
QStringList interfaceLanguageTitles() {
    return {Ui::tr("跟随系统"), Ui::tr("中文"), QStringLiteral("English")};
}

QFont scaledFont(const QFont &base, double factor, bool bold = false) {
    QFont font = base;
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * factor);
    } else {
        font.setPixelSize(qRound(font.pixelSize() * factor));
    }
    font.setBold(bold);
    return font;
}

// Lays the form out on one grid: row labels right-aligned in the first column, controls in
// the second, a control's companion in the third. Widgets join the tab order as they are
// added, so rows are added top to bottom.
class FormBuilder {
  public:
    explicit FormBuilder(QWidget *panel) : grid_(new QGridLayout(panel)) {
        grid_->setContentsMargins(margin, margin / 2, margin, margin / 2);
        grid_->setColumnStretch(3, 1);
    }

    // Title in bold over a separator line.
    void sectionHeader(const QString &title) {
        ++sections_;
        auto *label = named(new QLabel(title), QStringLiteral("sectionHeader%1").arg(sections_));
        label->setFont(scaledFont(label->font(), 14.0 / 12.0, true));
        label->setContentsMargins(0, sections_ > 1 ? sectionGap : 0, 0, 0);
        wide(label);
        auto *line = named(new QFrame, QStringLiteral("sectionLine%1").arg(sections_));
        line->setFixedHeight(1);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Mid));
        line->setPalette(palette);
        wide(line);
    }

    // A widget across the whole width.
    template <typename W>
    W *wide(W *widget) {
        grid_->addWidget(widget, grid_->rowCount(), 0, 1, -1);
        return widget;
    }

    // A row: the label named after its control, the control, and what stands beside it in
    // the third column.
    void row(const QString &text, QWidget *control, QWidget *beside = nullptr) {
        const int row = addLabel(text, control);
        grid_->addWidget(control, row, 1);
        if (beside != nullptr) {
            grid_->addWidget(beside, row, 2);
        }
    }

    // A row whose controls stand side by side, right after one another.
    void packedRow(const QString &text, std::initializer_list<QWidget *> controls) {
        pack(controls, addLabel(text, *controls.begin()), 1);
    }

    // Widgets side by side across the whole width, packed to the left.
    void pack(std::initializer_list<QWidget *> widgets) { pack(widgets, grid_->rowCount(), 0); }

    template <typename W>
    static W *named(W *widget, const QString &name) {
        widget->setObjectName(name);
        return widget;
    }

    // A label inside a row, before the control it names (two controls share a row so the
    // form fits a full-HD screen at large fonts).
    static QLabel *buddy(const QString &text, QWidget *control) {
        auto *label = named(new QLabel(text), control->objectName() + QStringLiteral("Label"));
        label->setBuddy(control);
        return label;
    }

    static QCheckBox *checkbox(const QString &name, const QString &title, bool checked) {
        auto *box = named(new QCheckBox(title), name);
        box->setChecked(checked);
        return box;
    }

    static QLineEdit *field(const QString &name, const QString &text) {
        auto *field = named(new QLineEdit(text), name);
        field->setCursorPosition(0);
        return field;
    }

    static QComboBox *popup(const QString &name, const QStringList &items) {
        auto *popup = named(new QComboBox, name);
        popup->addItems(items);
        popup->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        return popup;
    }

    static ColorWell *colorWell(const QString &name, const RgbColor &color) {
        auto *well = named(new ColorWell, name);
        well->setColor(color);
        well->setFixedWidth(colorWellWidth);
        return well;
    }

  private:
    void pack(std::initializer_list<QWidget *> widgets, int row, int column) {
        auto *box = new QHBoxLayout;
        box->setSpacing(margin);
        for (QWidget *widget : widgets) {
            box->addWidget(widget);
        }
        box->addStretch(1);
        grid_->addLayout(box, row, column, 1, -1);
    }

    // A row label, right-aligned and named after the control it describes; returns its row.
    int addLabel(const QString &text, QWidget *control) {
        const int row = grid_->rowCount();
        auto *label = named(new QLabel(text), control->objectName() + QStringLiteral("Label"));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(control);  // screen readers name the control by it
        grid_->addWidget(label, row, 0);
        return row;
    }

    QGridLayout *grid_;
    int sections_ = 0;
};

// Added last: its text wraps to the width the rows above give the form.
void addNoteBox(FormBuilder &builder, const QWidget *panel) {
    const int width = panel->layout()->sizeHint().width();
    auto *box = builder.wide(FormBuilder::named(new QFrame, QStringLiteral("noteBox")));
    const QPalette palette = box->palette();
    QColor fill = palette.color(QPalette::Base);
    fill.setAlphaF(0.6f);
    box->setStyleSheet(
        QStringLiteral("QFrame#noteBox { background-color: %1; border: 1px solid "
                       "%2; border-radius: 6px; }")
            .arg(fill.name(QColor::HexArgb), palette.color(QPalette::Mid).name(QColor::HexArgb)));
    auto *label = FormBuilder::named(
        new QLabel(Ui::tr("注意：启用显示选项后，对应的作者信息将显示在生成的图片左下角。"
                          "若选择自动保存，文件将直接保存到Downloads目录。")),
        QStringLiteral("noteLabel"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(scaledFont(label->font(), 11.0 / 12.0));
    QPalette labelPalette = label->palette();
    QColor secondary = labelPalette.color(QPalette::WindowText);
    secondary.setAlphaF(0.6f);
    labelPalette.setColor(QPalette::WindowText, secondary);
    label->setPalette(labelPalette);
    auto *inside = new QVBoxLayout(box);
    inside->setContentsMargins(noteInset, noteInset, noteInset, noteInset);
    inside->addWidget(label);
    // A window does not ask its contents for a height at its width, so the wrapped text gets
    // the height its lines need, and no say in the form's width.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Minimum);
    label->setMinimumHeight(label->heightForWidth(width - 2 * (margin + noteInset + 1)));
}

// The sections of the form, top to bottom.

void addBasicSection(FormBuilder &builder, Form &form, const UserPreferences &p) {
    builder.sectionHeader(Ui::tr("基本设置"));
    form.showPreview = builder.wide(FormBuilder::checkbox(QStringLiteral("showPreviewCheckbox"),
                                                          Ui::tr("生成图片前预览"), p.showPreview));
    form.saveToDownloads =
        builder.wide(FormBuilder::checkbox(QStringLiteral("saveToDownloadsCheckbox"),
                                           Ui::tr("自动保存到Downloads目录"), p.saveToDownloads));
    form.startAtLogin = FormBuilder::checkbox(QStringLiteral("startAtLoginCheckbox"),
                                              Ui::tr("开机自动启动"), p.startAtLogin);
    form.interfaceLanguage =
        FormBuilder::popup(QStringLiteral("interfaceLanguagePopup"), interfaceLanguageTitles());
    form.interfaceLanguage->setCurrentIndex(
        std::max(0, static_cast<int>(interfaceLanguageNames().indexOf(p.interfaceLanguage))));
    // Beside the check box: a line of its own would make the form taller than a full HD screen
    // shows at 12-point text.
    builder.pack({form.startAtLogin,
                  FormBuilder::buddy(Ui::tr("界面语言:"), form.interfaceLanguage),
                  form.interfaceLanguage});
}

void addFontSection(FormBuilder &builder, Form &form, const UserPreferences &p) {
    builder.sectionHeader(Ui::tr("字体设置"));
    form.fontSize =
        FormBuilder::field(QStringLiteral("fontSizeField"), QString::number(p.fontSize));
    // Room for six digits, the same share of the row at any font size.
    form.fontSize->setFixedWidth(form.fontSize->fontMetrics().horizontalAdvance(u'0') * 6 + 12);
    form.fontStyle = FormBuilder::popup(QStringLiteral("fontStylePopup"), fontStyles());
    if (const qsizetype index = fontStyles().indexOf(p.fontStyle); index >= 0) {
        form.fontStyle->setCurrentIndex(static_cast<int>(index));
    }
    builder.packedRow(
        Ui::tr("字体大小:"),
        {form.fontSize, FormBuilder::buddy(Ui::tr("字体风格:"), form.fontStyle), form.fontStyle});
}

// The preview follows the two colours, the gradient box and the direction as they change.
void addColorPreview(FormBuilder &builder, Form &form,
                     const QMap<QString, QString> &directionMapReverse) {
    form.preview = FormBuilder::named(new ColorPreviewView, QStringLiteral("colorPreview"));
    form.preview->setFixedSize(previewSize);
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
    builder.row(Ui::tr("效果预览:"), form.preview);
}

void addBackgroundSection(FormBuilder &builder, Form &form, const UserPreferences &p,
                          const QMap<QString, QString> &directionMap,
                          const QMap<QString, QString> &directionMapReverse) {
    builder.sectionHeader(Ui::tr("背景设置"));
    form.background =
        FormBuilder::colorWell(QStringLiteral("backgroundColorWell"),
                               {p.backgroundColorR, p.backgroundColorG, p.backgroundColorB});
    form.useGradient = FormBuilder::checkbox(QStringLiteral("useGradientCheckbox"),
                                             Ui::tr("使用渐变背景"), p.useGradientBackground);
    // The check box stands right beside its colour, not at the far end of the wide fields.
    builder.packedRow(Ui::tr("背景色:"), {form.background, form.useGradient});
    form.gradientEnd =
        FormBuilder::colorWell(QStringLiteral("gradientEndColorWell"),
                               {p.gradientEndColorR, p.gradientEndColorG, p.gradientEndColorB});
    builder.row(Ui::tr("渐变终止色:"), form.gradientEnd);
    QStringList titles;
    for (const auto &[value, title] : directionPairs) {
        titles << Ui::tr(title);
    }
    form.direction = FormBuilder::popup(QStringLiteral("gradientDirectionPopup"), titles);
    const QString title = directionMap.value(p.gradientDirection, Ui::tr("垂直"));
    for (size_t i = 0; i < directionPairs.size(); ++i) {
        if (Ui::tr(directionPairs[i].second) == title) {
            form.direction->setCurrentIndex(static_cast<int>(i));
        }
    }
    builder.row(Ui::tr("渐变方向:"), form.direction);
    addColorPreview(builder, form, directionMapReverse);
}

// The highlighter, and the theme only the grammar library colours with; the colour preview
// follows both.
void addHighlighterRows(FormBuilder &builder, Form &form, const UserPreferences &p) {
    form.highlighter = FormBuilder::popup(QStringLiteral("highlighterPopup"), highlighterTitles());
    form.highlighter->setCurrentIndex(
        std::max(0, static_cast<int>(highlighterNames().indexOf(p.highlighter))));
    form.theme = FormBuilder::popup(QStringLiteral("themePopup"), themeNames());
    form.theme->setCurrentIndex(std::max(0, static_cast<int>(themeNames().indexOf(p.theme))));
    builder.packedRow(
        Ui::tr("语法高亮:"),
        {form.highlighter, FormBuilder::buddy(Ui::tr("主题:"), form.theme), form.theme});
    ColorPreviewView *preview = form.preview;
    preview->highlighterPopup = form.highlighter;
    preview->themePopup = form.theme;
    const auto follow = [preview, highlighter = form.highlighter, theme = form.theme] {
        theme->setEnabled(highlighterNames().value(highlighter->currentIndex()) ==
                          grammarHighlighter());
        preview->updatePreview(nullptr);
    };
    follow();
    QObject::connect(form.highlighter, &QComboBox::currentIndexChanged, preview, follow);
    QObject::connect(form.theme, &QComboBox::currentIndexChanged, preview, follow);
}

// The optional parts of the card, one row of check boxes under the background, and the wrap.
void addStyleSection(FormBuilder &builder, Form &form, const UserPreferences &p) {
    builder.sectionHeader(Ui::tr("样式"));
    for (size_t i = 0; i < styleItems.size(); ++i) {
        const StyleItem &item = styleItems[i];
        form.styles[i] = FormBuilder::checkbox(QString::fromLatin1(item.name), Ui::tr(item.title),
                                               p.*item.shown);
    }
    form.wrapColumn = FormBuilder::named(new QSpinBox, QStringLiteral("wrapColumnSpinBox"));
    form.wrapColumn->setRange(0, static_cast<int>(UserPreferences::maxWrapColumn));
    form.wrapColumn->setSpecialValueText(Ui::tr("不换行"));  // shown for 0
    form.wrapColumn->setValue(
        static_cast<int>(std::clamp<int64_t>(p.wrapColumn, 0, UserPreferences::maxWrapColumn)));
    // On the check boxes' line, which has room for it: one more line would make the form taller
    // than a full HD screen shows at 12-point text.
    auto *wrap = FormBuilder::named(new QWidget, QStringLiteral("wrapColumnBox"));
    auto *wrapLine = new QHBoxLayout(wrap);
    wrapLine->setContentsMargins(0, 0, 0, 0);
    auto *wrapLabel = FormBuilder::named(new QLabel(Ui::tr("自动换行列数:")),
                                         QStringLiteral("wrapColumnSpinBoxLabel"));
    wrapLabel->setBuddy(form.wrapColumn);
    wrapLine->addWidget(wrapLabel);
    wrapLine->addWidget(form.wrapColumn);
    builder.pack({form.styles[0], form.styles[1], form.styles[2], wrap});
    addHighlighterRows(builder, form, p);
}

// Each author line: its field, and beside it whether the picture shows it.
void addAuthorSection(FormBuilder &builder, Form &form, const UserPreferences &p) {
    builder.sectionHeader(Ui::tr("作者信息"));
    for (size_t i = 0; i < authorItems.size(); ++i) {
        const AuthorItem &item = authorItems[i];
        const QString name = QString::fromLatin1(item.name);
        QLineEdit *field = FormBuilder::field(name + QStringLiteral("Field"), p.*item.text);
        field->setPlaceholderText(Ui::tr(item.placeholder));
        // Wide enough for the whole hint, which is elided otherwise.
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(field->placeholderText()) +
                               16);
        QString checkboxName = QStringLiteral("show") + name;
        checkboxName[4] = checkboxName[4].toUpper();
        QCheckBox *checkbox = FormBuilder::checkbox(checkboxName + QStringLiteral("Checkbox"),
                                                    Ui::tr(item.checkbox), p.*item.shown);
        builder.row(Ui::tr(item.label), field, checkbox);
        form.authors[i] = {field, checkbox};
    }
}

// Puts the keyboard focus in the form's first text field when the dialog appears, rather than
// on its default button, where a stray Space would save at once; a caret shows where it is.
class FocusOnShow : public QObject {
  public:
    FocusOnShow(QWidget *panel, QWidget *first) : QObject(panel), first_(first) {
        panel->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QWidget *first_;
};

bool FocusOnShow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Show) {
        first_->setFocus(Qt::OtherFocusReason);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace

Form buildSettingsForm(const UserPreferences &p, const QMap<QString, QString> &directionMap,
                       const QMap<QString, QString> &directionMapReverse) {
    Form form;
    form.panel = new QWidget;
    form.panel->setObjectName(QStringLiteral("settingsPanel"));
    form.panel->setAutoFillBackground(true);
    FormBuilder builder(form.panel);
    addBasicSection(builder, form, p);
    addFontSection(builder, form, p);
    addBackgroundSection(builder, form, p, directionMap, directionMapReverse);
    addStyleSection(builder, form, p);
    addAuthorSection(builder, form, p);
    addNoteBox(builder, form.panel);
    new FocusOnShow(form.panel, form.fontSize);
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
    p.wrapColumn = form.wrapColumn->value();
    p.interfaceLanguage = interfaceLanguageNames().value(form.interfaceLanguage->currentIndex(),
                                                         interfaceLanguageNames().first());
    p.highlighter = highlighterNames().value(form.highlighter->currentIndex(), rulesHighlighter());
    p.theme = form.theme->currentIndex() >= 0 ? form.theme->currentText() : defaultThemeName();
    for (size_t i = 0; i < authorItems.size(); ++i) {
        p.*authorItems[i].shown = form.authors[i].checkbox->isChecked();
    }
    for (size_t i = 0; i < authorItems.size(); ++i) {
        p.*authorItems[i].text = form.authors[i].field->text().trimmed();
    }
}

}  // namespace codalume
