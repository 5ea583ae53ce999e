#include "platform/qt/iconPixmap.h"

#include <QImage>

#include "resources/appIcon.h"

QPixmap iconPixmap(int iconId) {
    const IconImage* icon = findIcon(iconId);
    if (icon == nullptr) return {};
    // 0xAARRGGBB words, and a 32-bit format's rows lie back to back.
    QImage image(icon->width, icon->height, QImage::Format_ARGB32);
    iconPixels(*icon, reinterpret_cast<std::uint32_t*>(image.bits()));
    return QPixmap::fromImage(image);
}
