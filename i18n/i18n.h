#pragma once

#include <QString>
#include <QStringList>

// The language of every text the programs show. Russian is the language the texts are written in;
// English comes from translations/velmora_en.ts, compiled into the resources.
namespace I18n {

enum class Language
{
    Russian,
    English,
};

// The language for VELMORA_LANG's value and the user's languages in order of preference (as
// QLocale::uiLanguages() gives them): "ru" or "en" in VELMORA_LANG wins; otherwise the first of the
// user's languages that is Russian, English, C or POSIX decides (C and POSIX mean Russian); any
// other list means English.
Language choose(const QString &override, const QStringList &uiLanguages);

// The language chosen from this process's VELMORA_LANG and QLocale::system().
Language systemLanguage();

// Installs the translator of the language on the application (none for Russian) and returns the
// language. Call it once, after the application object is made and before any window or text.
Language install();

// Installs the translator of this language on the application, replacing one installed by an
// earlier call; false when the compiled translation could not be loaded.
bool install(Language language);

} // namespace I18n
