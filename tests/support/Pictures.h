#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include "platform/StringTable.h"

namespace testsupport {

// Saves a picture of a window under the build folder, to be looked at.
inline void savePicture(QWidget& window, const QString& name) {
    const QString folder = QCoreApplication::applicationDirPath() + "/pictures";
    QDir().mkpath(folder);
    EXPECT_TRUE(window.grab().save(folder + "/" + name + ".png")) << name.toStdString();
}

// The program's texts in one language for a scope; English again after it.
class LanguageScope {
  public:
    explicit LanguageScope(platform::StringTable::Language language) {
        platform::StringTable::selectLanguage(language);
    }
    ~LanguageScope() {
        platform::StringTable::selectLanguage(platform::StringTable::Language::English);
    }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;
};

}  // namespace testsupport
