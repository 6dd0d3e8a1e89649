#pragma once

// Qt's own texts (the file dialogs' labels and buttons, standard buttons,
// the edit fields' context menus) in the program's language: Qt's
// translations of that language, from the distribution's Qt translations
// package.

#include <QString>

// The locale of a language code of the program setting (config/lang_texts.h,
// namespace Language): "de", "it", "fr", "es", "ru"; "en" for English,
// American and any other code.
QString QtLocaleName(int LanguageCode);

// Puts Qt's translations for LanguageCode in place of those installed
// before; English needs none, Qt's texts are English. False when the
// translation could not be loaded: Qt's texts are then English.
bool InstallQtTranslations(int LanguageCode);
