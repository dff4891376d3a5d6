#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TFont;

/**
 * The font chooser (sdFont): face, size, bold and italic, underline,
 * strike-out, colour and script, over the screen's font families. Only
 * existing faces (and the face it was opened with) are accepted; there is no
 * Apply and no Help button. Execute runs it modally; on OK its Font takes the
 * face and height as chosen, bold and italic, underline and strike-out, the
 * script's character set only when the script was changed or the face name
 * differs without regard to case, and the colour only when the colour was
 * changed. Cancel leaves Font as it was.
 */
class TFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFontDialog(QWidget* parent = nullptr);

    /// The font the chooser starts from and, after OK, its result.
    TFont* Font() const { return font_; }

    /// Shows the chooser modally; true when it was closed with OK.
    bool Execute();

    /// The Windows character-set code of a script entry, by its display name.
    static int CharsetOfScript(const QString& scriptName);

    // The controls, for keyboard-free driving.
    QComboBox* FaceBox() const { return faceBox_; }
    QComboBox* SizeBox() const { return sizeBox_; }
    QCheckBox* BoldBox() const { return boldBox_; }
    QCheckBox* ItalicBox() const { return italicBox_; }
    QCheckBox* UnderlineBox() const { return underlineBox_; }
    QCheckBox* StrikeOutBox() const { return strikeOutBox_; }
    QComboBox* ColorBox() const { return colorBox_; }
    QComboBox* ScriptBox() const { return scriptBox_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

private:
    void loadFromFont();
    void storeToFont();
    void fillScripts(const QString& face, int preferredCharset);
    void selectColor(int color);
    bool faceAccepted(const QString& face) const;
    void refresh();

    TFont* font_;
    QComboBox* faceBox_;
    QComboBox* sizeBox_;
    QCheckBox* boldBox_;
    QCheckBox* italicBox_;
    QCheckBox* underlineBox_;
    QCheckBox* strikeOutBox_;
    QComboBox* colorBox_;
    QComboBox* scriptBox_;
    QLabel* sample_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;

    QString initialFace_;
    QString initialSize_;
    int initialColorIndex_ = -1;
    bool filling_ = false;
    bool scriptChanged_ = false;
    bool colorChanged_ = false;
};
