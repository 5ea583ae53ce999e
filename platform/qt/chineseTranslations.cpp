#include "platform/qt/chineseTranslations.h"

#include <memory>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installChineseTranslations(const QString& folder) {
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), from)) return false;
    if (!QCoreApplication::installTranslator(translator.get())) return false;
    translator.release();  // the application owns it now
    return true;
}
