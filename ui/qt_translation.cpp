#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "app/language_file.h"
#include "app/language_table.h"
#include "app/process_globals.h"

namespace {

constexpr std::wstring_view kQtTextPrefix = L"@qt/";

// The "@qt/" entries of the language file, read once per language.
class LanguageFileTranslator : public QTranslator {
public:
    LanguageFileTranslator() {
        for (const auto& [key, value] : ReadLangSection(kTextSection, LanguageFilePath()))
            if (key.starts_with(kQtTextPrefix))
                texts_.insert(QString::fromStdWString(key.substr(kQtTextPrefix.size())),
                              QString::fromStdWString(value));
    }
    bool isEmpty() const override { return texts_.isEmpty(); }
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (!context || !sourceText) return {};
        return texts_.value(QString::fromUtf8(context) + u'/' + QString::fromUtf8(sourceText));
    }

private:
    QHash<QString, QString> texts_;
};

void Replace(std::unique_ptr<QTranslator>& installed, std::unique_ptr<QTranslator> next) {
    if (installed) QCoreApplication::removeTranslator(installed.get());
    installed = std::move(next);
    if (installed) QCoreApplication::installTranslator(installed.get());
}

std::unique_ptr<QTranslator> QtOwnTranslation() {
    const QString locale =
        QString::fromStdWString(std::wstring(LanguageFor(Globals().UiLanguage).localeName));
    if (locale.startsWith(QLatin1String("en"))) return nullptr;
    // Qt ships Traditional Chinese as zh_TW; Hong Kong's falls back to it.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto translator = std::make_unique<QTranslator>();
    for (const QString& name :
         {locale, locale.startsWith(QLatin1String("zh_HK")) ? QStringLiteral("zh_TW") : locale})
        if (translator->load(QStringLiteral("qtbase_") + name, folder)) return translator;
    return nullptr;
}

}  // namespace

void FollowInterfaceLanguageInQtDialogs() {
    static std::unique_ptr<QTranslator> qtOwn;
    static std::unique_ptr<QTranslator> program;
    Replace(qtOwn, QtOwnTranslation());
    // Installed last, so asked first.
    auto fromFile = std::make_unique<LanguageFileTranslator>();
    Replace(program, fromFile->isEmpty() ? nullptr : std::move(fromFile));
}
