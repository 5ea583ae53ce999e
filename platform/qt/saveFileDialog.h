#pragma once
// The save-file dialog of the Linux host: Qt's, opening in the user's documents folder with a
// file name filled in, asking before it replaces a file.

#include <QString>

class QWidget;

// The full path the user chose, or an empty string when they cancelled.
QString askSaveFilePath(QWidget* parent, const QString& fileName);
