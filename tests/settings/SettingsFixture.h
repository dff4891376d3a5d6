#pragma once

#include <gtest/gtest.h>

// ---- Qt ----
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

// ---- Standard library ----
#include <memory>

// ---- Project ----
#include "TestForm.h"
#include "app/Application.h"
#include "settings/FormPlacement.h"
#include "settings/KeyPaths.h"
#include "support/QtTestSupport.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/image/StillPictureControl.h"
#include "viewers/text/Memo.h"

/// Every test gets an empty settings folder of its own and records the
/// error boxes instead of showing them.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        CompanyKeyName = QStringLiteral("TarvelSoftware");
        // Never the user's own settings: the store must land in this folder.
        ASSERT_TRUE(settingsFile().startsWith(config_.path() + QLatin1Char('/')))
            << settingsFile().toStdString();
        TApplication::SetErrorSink(
            [this](const QString&, const QString& text) { messages_ << text; });
    }
    void TearDown() override { TApplication::SetErrorSink({}); }

    QString settingsFile() const { return SettingsLocation(SettingsKeyPath()); }

    /// Replaces the settings file with raw INI text.
    void writeRaw(const QByteArray& text) {
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile file(settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QByteArray readRaw() const {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// The stored section as QSettings reads it back.
    QString stored(const QString& name) const {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        const QVariant value = settings.value(QStringLiteral("TMainWindow/") + name);
        // An unquoted text with commas reads back as a list.
        if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',');
        return value.toString();
    }
    QStringList storedNames() const {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("TMainWindow"));
        QStringList names = settings.childKeys();
        names.sort();
        return names;
    }

    /// A new main window, shown (which runs the restore).
    std::unique_ptr<TTestMainWindow> openWindow() {
        auto window = std::make_unique<TTestMainWindow>();
        window->show();
        QCoreApplication::processEvents();
        return window;
    }
    /// Closes (the close-query save) and destroys (the "Extensions" write).
    void closeWindow(std::unique_ptr<TTestMainWindow>& window) {
        window->close();
        window.reset();
    }

    QTemporaryDir config_;
    QStringList messages_;
};
