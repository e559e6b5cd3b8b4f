#pragma once
// The program's own pictures, painted rather than shipped as files.

#include <QIcon>
#include <QPixmap>

// The sky-blue picture behind the login fields and the about box.
QPixmap SkyBackdrop(QSize size);
// The program's icon: "晨" on a sky-blue tile.
QIcon ProgramIcon();
