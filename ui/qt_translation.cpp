#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "app/language_table.h"
#include "app/process_globals.h"

void FollowInterfaceLanguageInQtDialogs() {
    static std::unique_ptr<QTranslator> installed;
    if (installed) QCoreApplication::removeTranslator(installed.get());
    installed.reset();
    const QString locale =
        QString::fromStdWString(std::wstring(LanguageFor(Globals().UiLanguage).localeName));
    if (locale.startsWith(QLatin1String("en"))) return;
    // Qt ships Traditional Chinese as zh_TW; Hong Kong's falls back to it.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto translator = std::make_unique<QTranslator>();
    for (const QString& name :
         {locale, locale.startsWith(QLatin1String("zh_HK")) ? QStringLiteral("zh_TW") : locale})
        if (translator->load(QStringLiteral("qtbase_") + name, folder)) {
            QCoreApplication::installTranslator(translator.get());
            installed = std::move(translator);
            return;
        }
}
