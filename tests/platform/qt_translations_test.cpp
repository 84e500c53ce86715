// SPDX-License-Identifier: MIT
// Qt's dialogs speak Japanese on a machine set up by the project's scripts.
#include "platform/qt_translations.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

TEST(QtTranslations, StandardButtonsAndFileDialogReadJapanese)
{
    ASSERT_TRUE(installJapaneseQtTranslations(*QCoreApplication::instance()))
        << "Qt's Japanese translations (qt6-translations-l10n) are not installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
}

} // namespace
