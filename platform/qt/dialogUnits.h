#pragma once
// Dialog units, the templates' measure, to pixels. A horizontal unit is a quarter of the
// dialog font's average character width, a vertical one an eighth of its height, so a layout
// keeps its proportions whatever the font's size.

#include <QFont>
#include <QRect>
#include <QString>

// number * numerator / denominator, rounded half away from zero (as Windows' MulDiv does).
int mulDiv(int number, int numerator, int denominator);

// The installed font that stands in for a dialog font Linux lacks ("宋体" and the like):
// WenQuanYi Zen Hei, else Noto Sans CJK SC; empty when neither is installed.
QString chineseFontFamily();

// The dialog font by its template name: that family when it is installed, else the stand-in
// (or the application's font when there is none), at this point size.
QFont dialogFont(const QString& faceName, int points);

struct DialogUnits {
    int baseX = 0;  // average width of "A".."Z" "a".."z", in pixels
    int baseY = 0;  // font height, in pixels

    static DialogUnits of(const QFont& font);

    int toX(int du) const { return mulDiv(du, baseX, 4); }
    int toY(int du) const { return mulDiv(du, baseY, 8); }
    QRect toRect(int x, int y, int width, int height) const {
        return QRect(toX(x), toY(y), toX(width), toY(height));
    }
};
