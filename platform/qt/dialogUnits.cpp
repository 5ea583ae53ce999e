#include "platform/qt/dialogUnits.h"

#include <cstdint>
#include <cstdlib>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

int mulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const std::int64_t product = std::int64_t{number} * numerator;
    const std::int64_t half = std::llabs(denominator) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QString chineseFontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")})
        if (installed.contains(family)) return family;
    return {};
}

QFont dialogFont(const QString& faceName, int points) {
    QFont font = QApplication::font();
    const QString family = QFontDatabase::families().contains(faceName) ? faceName : chineseFontFamily();
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSize(points);
    // Kerning and ligatures are a cosmetic step that costs about half of laying text out, and
    // the receive box and the counters are laid out 20 times a second; scripts that cannot be
    // read without shaping are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

DialogUnits DialogUnits::of(const QFont& font) {
    const QFontMetrics metrics(font);
    int sum = 0;
    for (char c = 'A'; c <= 'Z'; ++c) sum += metrics.horizontalAdvance(QChar(c));
    for (char c = 'a'; c <= 'z'; ++c) sum += metrics.horizontalAdvance(QChar(c));
    return {(sum + 26) / 52, metrics.height()};
}
