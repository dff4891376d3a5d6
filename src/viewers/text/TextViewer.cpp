#include "viewers/text/TextViewer.h"

// Qt
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

// Project
#include "host/ActionList.h"
#include "host/ToolButton.h"
#include "host/ViewerHost.h"
#include "viewers/text/FontDialog.h"

void OptionsWordWrapExecute(TMemo& memo) {
    memo.SetScrollBars(memo.ScrollBars() == TMemo::ssVertical ? TMemo::ssBoth : TMemo::ssVertical);
}

void OptionsFontExecute(TMemo& memo, QWidget* owner) {
    TFontDialog sdFont(owner);
    sdFont.Font()->SetPixelsPerInch(memo.Font()->PixelsPerInch());
    sdFont.Font()->Assign(*memo.Font());
    if (sdFont.Execute()) memo.Font()->Assign(*sdFont.Font());
}

TMemo* BuildTextPage(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(15);

    auto* memoRow = new QHBoxLayout;
    memoRow->setContentsMargins(8, 0, 8, 0);
    auto* txtText = new TMemo(page);
    memoRow->addWidget(txtText);
    layout->addLayout(memoRow, 1);

    auto* panTextToolbar = new QWidget(page);
    panTextToolbar->setObjectName(QStringLiteral("panTextToolbar"));
    panTextToolbar->setFixedHeight(25);
    panTextToolbar->setBackgroundRole(QPalette::Base);
    panTextToolbar->setAutoFillBackground(true);
    QHBoxLayout* row = MakeToolRow();
    row->setContentsMargins(8, 0, 0, 0);
    panTextToolbar->setLayout(row);
    AddToolButton(row, MakeToolButton(panTextToolbar, QStringLiteral("btnWordWarp"),
                                      QStringLiteral(":/glyphs/word-wrap.glyph")));
    AddToolButton(row, MakeToolButton(panTextToolbar, QStringLiteral("btnFont"),
                                      QStringLiteral(":/glyphs/font.glyph")));
    EndToolRow(row);
    layout->addWidget(panTextToolbar);
    return txtText;
}

TViewerRecord TextViewer() {
    TViewerRecord record;
    record.page = kTextPage;
    record.extensions = {QStringLiteral(".txt")};
    record.buildAfterFirstPaint = true;
    record.commands = {
        {QStringLiteral("OptionsWordWrap"), QStringLiteral("Word wrap"), {}},
        {QStringLiteral("OptionsFont"), QStringLiteral("Font..."), {}},
    };
    record.storedProps = {QStringLiteral("txtText.ScrollBars"), QStringLiteral("txtText.Font")};
    record.toolbars = {QStringLiteral("panTextToolbar")};
    record.install = [](TViewerHost& host) -> TViewerLoad {
        QWidget* page = host.Page(kTextPage);
        TMemo* txtText = BuildTextPage(page);

        TAction* wordWrap = host.Action(QStringLiteral("OptionsWordWrap"));
        TAction* font = host.Action(QStringLiteral("OptionsFont"));
        BindButton(page->findChild<QToolButton*>(QStringLiteral("btnWordWarp")), wordWrap);
        BindButton(page->findChild<QToolButton*>(QStringLiteral("btnFont")), font);

        wordWrap->OnExecute = [txtText] { OptionsWordWrapExecute(*txtText); };
        font->OnExecute = [txtText, &host] { OptionsFontExecute(*txtText, host.DialogOwner()); };
        host.AddReadAhead([txtText](const QStringList& paths) { txtText->ReadAhead(paths); });
        return [txtText](const QString& path) { txtText->LoadTextFile(path); };
    };
    return record;
}

TMemo* InstallTextView(TViewerHost& host) {
    TViewerRecord record = TextViewer();
    record.buildAfterFirstPaint = false;  // the caller wants txtText now
    host.RegisterViewer(record);
    return host.Page(kTextPage)->findChild<TMemo*>(QStringLiteral("txtText"),
                                                   Qt::FindDirectChildrenOnly);
}
