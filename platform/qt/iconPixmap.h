#pragma once
// The program's icons as Qt pixmaps. An icon handle of the Qt host points at one of these.

#include <QPixmap>

#include "platform/dialogHost.h"

// The icon with this resource identifier; a null pixmap when there is none.
QPixmap iconPixmap(int iconId);

inline const QPixmap* pixmapOf(dlg::IconHandle icon) { return static_cast<const QPixmap*>(icon); }
