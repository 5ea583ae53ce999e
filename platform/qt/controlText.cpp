#include "platform/qt/controlText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/cp936.h"
#include "platform/qt/multiLineEdit.h"

std::string controlText(const QWidget* control) {
    if (auto* edit = qobject_cast<const MultiLineEdit*>(control)) return edit->cp936Text();
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) return toCp936(edit->text());
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return toCp936(combo->currentText());
    if (auto* label = qobject_cast<const QLabel*>(control)) return toCp936(label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return toCp936(button->text());
    if (auto* group = qobject_cast<const QGroupBox*>(control)) return toCp936(group->title());
    return {};
}

void setControlText(QWidget* control, std::string_view text) {
    if (auto* edit = qobject_cast<MultiLineEdit*>(control)) return edit->setCp936Text(text);
    const QString unicode = fromCp936(text).remove(QChar(u'\0'));  // NULs are not shown
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->setText(unicode);
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->setEditText(unicode);
    if (auto* label = qobject_cast<QLabel*>(control)) return label->setText(unicode);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->setText(unicode);
    if (auto* group = qobject_cast<QGroupBox*>(control)) return group->setTitle(unicode);
}

void appendControlText(QWidget* control, std::string_view text) {
    if (auto* edit = qobject_cast<MultiLineEdit*>(control)) return edit->appendCp936(text);
    // The others hold a line at most: setting it whole costs little.
    if (control != nullptr) setControlText(control, controlText(control) + std::string(text));
}
