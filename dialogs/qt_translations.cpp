#include "dialogs/qt_translations.h"

#include "config/lang_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

// The translator installed now (owned by the application) and its locale.
QPointer<QTranslator> g_translator;
QString g_locale = QStringLiteral("en");

} // namespace

QString QtLocaleName(int LanguageCode)
{
    switch (Language::Letter(LanguageCode).toLatin1()) {
    case 'd':
        return QStringLiteral("de");
    case 'i':
        return QStringLiteral("it");
    case 'f':
        return QStringLiteral("fr");
    case 's':
        return QStringLiteral("es");
    case 'r':
        return QStringLiteral("ru");
    default:
        return QStringLiteral("en");
    }
}

bool InstallQtTranslations(int LanguageCode)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    const QString locale = QtLocaleName(LanguageCode);
    if (locale == g_locale && (g_translator || locale == QLatin1String("en")))
        return true;
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator);
        delete g_translator.data();
    }
    g_locale = QStringLiteral("en");
    if (locale == QLatin1String("en"))
        return true;
    auto* t = new QTranslator(app);
    if (!t->load(QStringLiteral("qtbase_") + locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    g_translator = t;
    g_locale = locale;
    return true;
}
