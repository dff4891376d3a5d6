#include "SettingsFixture.h"

// ---- Qt ----
#include <QMetaProperty>

// ---- Project ----
#include "settings/PropsStorage.h"

TEST_F(SettingsTest, EveryPropertyKindRoundTrips) {
    auto window = openWindow();
    window->imgImageDisplay->SetAlign(TControlAlign::alClient);
    window->imgImageDisplay->SetAutoSize(false);
    window->imgGifImageDisplay->SetStretch(true);
    window->txtText->SetScrollBars(TMemo::ssBoth);
    TFont* font = window->txtText->Font();
    font->SetCharset(204);
    font->SetColor(255);
    font->SetHeight(-13);
    font->SetName("Courier New");
    font->SetPitch(TFont::fpFixed);
    font->SetSize(10);
    font->SetStyle(TFont::fsBold | TFont::fsStrikeOut);
    closeWindow(window);
    EXPECT_EQ(stored("imgImageDisplay_Align"), "alClient");
    EXPECT_EQ(stored("imgImageDisplay_AutoSize"), "False");
    EXPECT_EQ(stored("imgGifImageDisplay_Stretch"), "True");
    EXPECT_EQ(stored("txtText_ScrollBars"), "ssBoth");
    EXPECT_EQ(stored("txtText_FontPitch"), "fpFixed");
    EXPECT_EQ(stored("txtText_FontStyle"), "[fsBold,fsStrikeOut]");

    window = openWindow();
    EXPECT_EQ(window->imgImageDisplay->Align(), TControlAlign::alClient);
    EXPECT_FALSE(window->imgImageDisplay->AutoSize());
    EXPECT_TRUE(window->imgGifImageDisplay->Stretch());
    EXPECT_EQ(window->imgGifImageDisplay->Align(), TControlAlign::alNone);
    EXPECT_EQ(window->txtText->ScrollBars(), TMemo::ssBoth);
    font = window->txtText->Font();
    EXPECT_EQ(font->Charset(), 204);
    EXPECT_EQ(font->Color(), 255);
    EXPECT_EQ(font->Height(), -13);
    EXPECT_EQ(font->Name(), "Courier New");
    EXPECT_EQ(font->Pitch(), TFont::fpFixed);
    EXPECT_EQ(font->Size(), 10);
    EXPECT_EQ(font->Style(), TFont::fsBold | TFont::fsStrikeOut);
    closeWindow(window);
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SettingsTest, EnumerationIdentifiersIgnoreCaseAndUnknownOnesChangeNothing) {
    writeRaw(
        "[TMainWindow]\nimgImageDisplay_Align=ALCLIENT\nimgGifImageDisplay_Align=centre\n"
        "imgImageDisplay_AutoSize=false\nimgGifImageDisplay_AutoSize=yes\n");
    auto window = openWindow();
    EXPECT_EQ(window->imgImageDisplay->Align(), TControlAlign::alClient);
    EXPECT_EQ(window->imgGifImageDisplay->Align(), TControlAlign::alNone);
    EXPECT_FALSE(window->imgImageDisplay->AutoSize());
    EXPECT_TRUE(window->imgGifImageDisplay->AutoSize());
    closeWindow(window);
}

TEST_F(SettingsTest, FontStyleSetAcceptsEverySpelling) {
    const TFont::TFontStyles boldUnderline = TFont::fsBold | TFont::fsUnderline;
    const QList<std::pair<QByteArray, TFont::TFontStyles>> cases{
        {"\"[fsBold, fsUnderline]\"", boldUnderline},
        {"fsBold,fsUnderline", boldUnderline},  // read back as a list of texts
        {"\"[fsUnderline,fsBold]\"", boldUnderline},
        {"[fsBold]", TFont::fsBold},
        {"[]", {}},
        {"[fsHeavy]", {}},
    };
    for (const auto& [text, style] : cases) {
        writeRaw("[TMainWindow]\ntxtText_FontStyle=" + text + "\n");
        auto window = std::make_unique<TTestMainWindow>();
        window->txtText->Font()->SetStyle(TFont::fsItalic);
        window->show();
        EXPECT_EQ(window->txtText->Font()->Style(), style) << text.constData();
        window.reset();
    }
}

TEST_F(SettingsTest, IntegerPropertyThatIsNoNumberBecomesZeroAndMissingOnesStay) {
    writeRaw("[TMainWindow]\ntxtText_FontSize=a\ntxtText_FontName=\"  Courier New  \"\n");
    auto window = openWindow();
    EXPECT_EQ(window->txtText->Font()->Size(), 0);
    EXPECT_EQ(window->txtText->Font()->Color(), int(0x80000008u));
    EXPECT_EQ(window->txtText->Font()->Name(), "Courier New");
    closeWindow(window);
    EXPECT_EQ(stored("txtText_FontSize"), "0");
}

TEST_F(SettingsTest, NonStringPropertyValueIsIgnoredSilently) {
    writeRaw(
        "[TMainWindow]\ntxtText_FontSize=@Point(1 2)\ntxtText_FontStyle=[fsItalic]\n"
        "txtText_ScrollBars=@ByteArray(ssNone)\nimgImageDisplay_Stretch=True\n");
    auto window = openWindow();
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(window->txtText->Font()->Size(), 8);
    EXPECT_EQ(window->txtText->Font()->Style(), TFont::fsItalic);
    EXPECT_EQ(window->txtText->ScrollBars(), TMemo::ssVertical);
    EXPECT_TRUE(window->imgImageDisplay->Stretch());
    closeWindow(window);
    EXPECT_EQ(stored("txtText_FontSize"), "8");
}

TEST_F(SettingsTest, StoredPropsUpkeepDropsEntriesThatDoNotResolve) {
    auto window = std::make_unique<TTestMainWindow>();
    window->FormStorage1->SetStoredProps({"noDot", ".Align", "txtText.", "nosuch.Align",
                                          " TXTTEXT . scrollbars ", "imgImageDisplay.NoSuch"});
    EXPECT_EQ(window->FormStorage1->StoredProps(),
              (QStringList{" TXTTEXT . scrollbars ", "imgImageDisplay.NoSuch"}));
    writeRaw("[TMainWindow]\ntxtText_ScrollBars=ssNone\n");
    window->show();
    EXPECT_EQ(window->txtText->ScrollBars(), TMemo::ssNone);
    closeWindow(window);
    // Names are spelled as the control and the property spell themselves.
    EXPECT_EQ(storedNames().filter("_"), QStringList{"txtText_ScrollBars"});
}

TEST_F(SettingsTest, PropertyLookupPrefersTheControlsOwnPropertyOverQWidgets) {
    TMemo memo(nullptr);
    const int index = TPropsStorage::FindProperty(&memo, "font");
    ASSERT_GE(index, 0);
    EXPECT_STREQ(memo.metaObject()->property(index).name(), "Font");
    EXPECT_EQ(TPropsStorage::FindProperty(&memo, "scrollbars"),
              memo.metaObject()->indexOfProperty("ScrollBars"));
    EXPECT_EQ(TPropsStorage::FindProperty(&memo, "nothing"), -1);
}
