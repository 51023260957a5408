#include "i18n.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

// The compiled translation's resource, from a static library: referenced here so that the linker
// keeps it, and registered once.
static void initResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(velmora_i18n);
        return true;
    }();
    Q_UNUSED(registered)
}

namespace I18n {

namespace {
// The translator install() put on the application, so that a second call replaces it.
QTranslator *installed = nullptr;

bool isLanguage(const QString &tag, const QString &language)
{
    // "ru", "ru-RU", "ru_RU.UTF-8"
    return tag.compare(language, Qt::CaseInsensitive) == 0 ||
           tag.startsWith(language + QLatin1Char('-'), Qt::CaseInsensitive) ||
           tag.startsWith(language + QLatin1Char('_'), Qt::CaseInsensitive) ||
           tag.startsWith(language + QLatin1Char('.'), Qt::CaseInsensitive);
}
} // namespace

Language choose(const QString &override, const QStringList &uiLanguages)
{
    const QString forced = override.trimmed().toLower();
    if (forced == QLatin1String("ru"))
        return Language::Russian;
    if (forced == QLatin1String("en"))
        return Language::English;
    for (const QString &tag : uiLanguages) {
        if (isLanguage(tag, QStringLiteral("ru")) || isLanguage(tag, QStringLiteral("C")) ||
            isLanguage(tag, QStringLiteral("POSIX")))
            return Language::Russian;
        if (isLanguage(tag, QStringLiteral("en")))
            return Language::English;
    }
    return uiLanguages.isEmpty() ? Language::Russian : Language::English;
}

Language systemLanguage()
{
    // Under the C locale LANGUAGE does not count: the user asked for no language; Qt still lists
    // LANGUAGE's languages.
    const QLocale system = QLocale::system();
    const QStringList languages =
        system.language() == QLocale::C ? QStringList{QStringLiteral("C")} : system.uiLanguages();
    return choose(qEnvironmentVariable("VELMORA_LANG"), languages);
}

bool install(Language language)
{
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (language == Language::Russian)
        return true;
    initResources();
    auto translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral(":/i18n/velmora_en.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

Language install()
{
    const Language language = systemLanguage();
    install(language);
    return language;
}

} // namespace I18n
