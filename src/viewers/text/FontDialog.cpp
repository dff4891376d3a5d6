#include "viewers/text/FontDialog.h"

// Qt
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

// C++ standard library
#include <cstdlib>

// Project
#include "viewers/text/Font.h"

namespace {

struct Script {
    int charset;
    const char* name;
};

// Windows character sets, in the order the script list shows them.
constexpr Script kScripts[] = {
    {0, "Western"},        {238, "Central European"},
    {204, "Cyrillic"},     {161, "Greek"},
    {162, "Turkish"},      {177, "Hebrew"},
    {178, "Arabic"},       {186, "Baltic"},
    {222, "Thai"},         {128, "Japanese"},
    {129, "Hangul"},       {134, "CHINESE_GB2312"},
    {136, "CHINESE_BIG5"}, {2, "Symbol"},
    {1, "Default"},        {255, "OEM/DOS"},
};

QString scriptName(int charset) {
    for (const Script& s : kScripts)
        if (s.charset == charset) return QString::fromLatin1(s.name);
    return QStringLiteral("Charset %1").arg(charset);
}

/// The character sets a face can draw, from its writing systems.
QList<int> charsetsOf(const QString& face) {
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(face);
    auto has = [&](QFontDatabase::WritingSystem ws) { return systems.contains(ws); };
    QList<int> result;
    if (has(QFontDatabase::Latin)) result << 0 << 238;
    if (has(QFontDatabase::Cyrillic)) result << 204;
    if (has(QFontDatabase::Greek)) result << 161;
    if (has(QFontDatabase::Latin)) result << 162;
    if (has(QFontDatabase::Hebrew)) result << 177;
    if (has(QFontDatabase::Arabic)) result << 178;
    if (has(QFontDatabase::Latin)) result << 186;
    if (has(QFontDatabase::Thai)) result << 222;
    if (has(QFontDatabase::Japanese)) result << 128;
    if (has(QFontDatabase::Korean)) result << 129;
    if (has(QFontDatabase::SimplifiedChinese)) result << 134;
    if (has(QFontDatabase::TraditionalChinese)) result << 136;
    if (has(QFontDatabase::Symbol)) result << 2;
    if (result.isEmpty()) result << 0;
    return result;
}

struct NamedColor {
    unsigned value;  // 0x00BBGGRR
    const char* name;
};

constexpr NamedColor kColors[] = {
    {0x000000, "Black"},  {0x000080, "Maroon"},  {0x008000, "Green"}, {0x008080, "Olive"},
    {0x800000, "Navy"},   {0x800080, "Purple"},  {0x808000, "Teal"},  {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"},     {0x00FF00, "Lime"},  {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},   {0xFF00FF, "Fuchsia"}, {0xFFFF00, "Aqua"},  {0xFFFFFF, "White"},
};

QIcon swatch(const QColor& color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QRgb rgbOf(const QColor& c) {
    return qRgb(c.red(), c.green(), c.blue());
}

}  // namespace

TFontDialog::TFontDialog(QWidget* parent) : QDialog(parent), font_(new TFont(this)) {
    setObjectName(QStringLiteral("sdFont"));
    setWindowTitle(tr("Font"));
    setModal(true);

    faceBox_ = new QComboBox(this);
    faceBox_->setObjectName(QStringLiteral("cbFace"));
    faceBox_->setEditable(true);
    faceBox_->setInsertPolicy(QComboBox::NoInsert);
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family)) families << family;
    faceBox_->addItems(families);

    sizeBox_ = new QComboBox(this);
    sizeBox_->setObjectName(QStringLiteral("cbSize"));
    sizeBox_->setEditable(true);
    sizeBox_->setInsertPolicy(QComboBox::NoInsert);
    for (int points : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        sizeBox_->addItem(QString::number(points));
    sizeBox_->setValidator(new QIntValidator(1, 16384, sizeBox_));

    boldBox_ = new QCheckBox(tr("&Bold"), this);
    italicBox_ = new QCheckBox(tr("&Italic"), this);
    underlineBox_ = new QCheckBox(tr("&Underline"), this);
    strikeOutBox_ = new QCheckBox(tr("Stri&keout"), this);

    colorBox_ = new QComboBox(this);
    colorBox_->setObjectName(QStringLiteral("cbColor"));
    for (const NamedColor& c : kColors) {
        const QColor color = ColorToQColor(int(c.value), palette());
        colorBox_->addItem(swatch(color), tr(c.name), int(c.value));
    }

    scriptBox_ = new QComboBox(this);
    scriptBox_->setObjectName(QStringLiteral("cbScript"));

    sample_ = new QLabel(QStringLiteral("AaBbYyZz"), this);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumSize(180, 50);
    sample_->setAutoFillBackground(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("&Font:"), faceBox_);
    form->addRow(tr("&Size:"), sizeBox_);
    auto* styleRow = new QHBoxLayout;
    styleRow->addWidget(boldBox_);
    styleRow->addWidget(italicBox_);
    form->addRow(tr("Font st&yle:"), styleRow);

    auto* effects = new QGroupBox(tr("Effects"), this);
    auto* effectsLayout = new QFormLayout(effects);
    effectsLayout->addRow(underlineBox_);
    effectsLayout->addRow(strikeOutBox_);
    effectsLayout->addRow(tr("&Color:"), colorBox_);

    auto* sampleBox = new QGroupBox(tr("Sample"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(effects);
    layout->addWidget(sampleBox);
    auto* scriptForm = new QFormLayout;
    scriptForm->addRow(tr("Sc&ript:"), scriptBox_);
    layout->addLayout(scriptForm);
    layout->addWidget(buttons);

    connect(faceBox_, &QComboBox::currentTextChanged, this, [this](const QString& face) {
        if (filling_) return;
        const int charset = scriptBox_->currentData().toInt();
        fillScripts(face.trimmed(), charset);
        refresh();
    });
    connect(sizeBox_, &QComboBox::currentTextChanged, this, [this] { refresh(); });
    for (QCheckBox* box : {boldBox_, italicBox_, underlineBox_, strikeOutBox_})
        connect(box, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(colorBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) colorChanged_ = colorBox_->currentIndex() != initialColorIndex_;
        refresh();
    });
    connect(scriptBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) scriptChanged_ = true;
    });
}

int TFontDialog::CharsetOfScript(const QString& scriptName) {
    for (const Script& s : kScripts)
        if (scriptName == QLatin1String(s.name)) return s.charset;
    return -1;
}

bool TFontDialog::Execute() {
    loadFromFont();
    if (exec() != QDialog::Accepted) return false;
    storeToFont();
    return true;
}

void TFontDialog::loadFromFont() {
    filling_ = true;
    initialFace_ = font_->Name();
    // A cell height has a negative size; the chooser shows points as such.
    initialSize_ = QString::number(std::abs(font_->Size()));
    faceBox_->setEditText(initialFace_);
    sizeBox_->setEditText(initialSize_);
    const TFont::TFontStyles style = font_->Style();
    boldBox_->setChecked(style.testFlag(TFont::fsBold));
    italicBox_->setChecked(style.testFlag(TFont::fsItalic));
    underlineBox_->setChecked(style.testFlag(TFont::fsUnderline));
    strikeOutBox_->setChecked(style.testFlag(TFont::fsStrikeOut));
    selectColor(font_->Color());
    fillScripts(initialFace_, font_->Charset());
    scriptChanged_ = false;
    colorChanged_ = false;
    filling_ = false;
    refresh();
}

void TFontDialog::fillScripts(const QString& face, int preferredCharset) {
    const bool wasFilling = filling_;
    filling_ = true;
    QList<int> charsets = charsetsOf(face);
    // The face the chooser opened with keeps its own character set on offer.
    if (face.compare(initialFace_, Qt::CaseInsensitive) == 0 &&
        !charsets.contains(font_->Charset()))
        charsets << font_->Charset();
    scriptBox_->clear();
    for (int charset : charsets) scriptBox_->addItem(scriptName(charset), charset);
    const int index = scriptBox_->findData(preferredCharset);
    scriptBox_->setCurrentIndex(index >= 0 ? index : 0);
    filling_ = wasFilling;
}

void TFontDialog::selectColor(int color) {
    // The current colour is preselected by what it looks like; a colour that
    // is not in the list gets an entry of its own.
    while (colorBox_->count() > int(std::size(kColors)))
        colorBox_->removeItem(colorBox_->count() - 1);
    const QColor shown = ColorToQColor(color, palette());
    int index = -1;
    for (int i = 0; i < colorBox_->count() && shown.isValid(); ++i)
        if (rgbOf(ColorToQColor(colorBox_->itemData(i).toInt(), palette())) == rgbOf(shown))
            index = i;
    if (index < 0) {
        colorBox_->addItem(swatch(shown.isValid() ? shown : QColor(Qt::black)), tr("Custom"),
                           color);
        index = colorBox_->count() - 1;
    }
    colorBox_->setCurrentIndex(index);
    initialColorIndex_ = index;
}

bool TFontDialog::faceAccepted(const QString& face) const {
    if (face.isEmpty()) return false;
    if (face.compare(initialFace_, Qt::CaseInsensitive) == 0) return true;
    for (int i = 0; i < faceBox_->count(); ++i)
        if (faceBox_->itemText(i).compare(face, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void TFontDialog::refresh() {
    const QString face = faceBox_->currentText().trimmed();
    bool sizeOk = false;
    const int points = sizeBox_->currentText().trimmed().toInt(&sizeOk);
    okButton_->setEnabled(faceAccepted(face) && sizeOk && points > 0);

    TFont preview;
    preview.SetPixelsPerInch(font_->PixelsPerInch());
    preview.SetName(face);
    preview.SetSize(sizeOk && points > 0 ? points : font_->Size());
    TFont::TFontStyles style;
    style.setFlag(TFont::fsBold, boldBox_->isChecked());
    style.setFlag(TFont::fsItalic, italicBox_->isChecked());
    style.setFlag(TFont::fsUnderline, underlineBox_->isChecked());
    style.setFlag(TFont::fsStrikeOut, strikeOutBox_->isChecked());
    preview.SetStyle(style);
    sample_->setFont(preview.ToQFont());
    QPalette pal = sample_->palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(colorBox_->currentData().toInt(), palette()));
    sample_->setPalette(pal);
}

void TFontDialog::storeToFont() {
    const QString face = faceBox_->currentText().trimmed();
    const bool faceDiffers = face.compare(initialFace_, Qt::CaseInsensitive) != 0;

    const QSignalBlocker blocker(font_);
    font_->SetName(face);
    const QString size = sizeBox_->currentText().trimmed();
    // An untouched size keeps the exact height, which points may not express.
    if (size != initialSize_) font_->SetSize(size.toInt());

    const int weight = boldBox_->isChecked() ? 700 : 400;
    TFont::TFontStyles style;
    style.setFlag(TFont::fsBold, weight > 400);
    style.setFlag(TFont::fsItalic, italicBox_->isChecked());
    style.setFlag(TFont::fsUnderline, underlineBox_->isChecked());
    style.setFlag(TFont::fsStrikeOut, strikeOutBox_->isChecked());
    font_->SetStyle(style);

    if (scriptChanged_ || faceDiffers) font_->SetCharset(scriptBox_->currentData().toInt());
    if (colorChanged_) font_->SetColor(colorBox_->currentData().toInt());
}
