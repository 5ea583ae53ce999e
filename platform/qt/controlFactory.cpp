#include "platform/qt/controlFactory.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/cp936.h"
#include "platform/qt/iconPixmap.h"
#include "platform/qt/multiLineEdit.h"

using dlg::ControlKind;
using dlg::ControlTemplate;

namespace {

bool has(const ControlTemplate& c, std::uint32_t style) { return (c.styles & style) != 0; }

QString captionOf(const ControlTemplate& c) {
    return c.caption != nullptr ? fromCp936(c.caption) : QString();
}

QLabel* createLabel(const ControlTemplate& c, QWidget* dialog) {
    auto* label = new QLabel(captionOf(c), dialog);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (c.kind == ControlKind::statusText) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        label->setWordWrap(true);
        if (has(c, dlg::sunken)) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    return label;
}

QWidget* createEdit(const ControlTemplate& c, QWidget* dialog) {
    if (has(c, dlg::multiLine)) {
        auto* edit = new MultiLineEdit(dialog);
        edit->setReadOnly(has(c, dlg::readOnly));
        edit->setVerticalScrollBarPolicy(has(c, dlg::vScroll) ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAsNeeded);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // lines wrap instead
        if (!has(c, dlg::sunken)) edit->setFrameShape(QFrame::NoFrame);
        return edit;
    }
    auto* edit = new QLineEdit(dialog);
    edit->setReadOnly(has(c, dlg::readOnly));
    edit->setFrame(has(c, dlg::sunken));
    return edit;
}

QComboBox* createCombo(const ControlTemplate& c, const DialogUnits& units, QWidget* dialog) {
    auto* combo = new QComboBox(dialog);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);  // typed text stays out of the list
    combo->setCompleter(nullptr);                 // and is not completed from it
    for (const char* entry : c.entries) addComboEntry(*combo, fromCp936(entry));

    // The template's height includes the dropped-down list: the widget is the edit field,
    // the rest of the height decides how many entries the list shows.
    const int fieldHeight = combo->sizeHint().height();
    combo->setGeometry(units.toX(c.x), units.toY(c.y), units.toX(c.width), fieldHeight);
    const int rowHeight =
        combo->count() > 0 ? combo->view()->sizeHintForRow(0) : combo->fontMetrics().height();
    const int listHeight = units.toY(c.height) - fieldHeight;
    combo->setMaxVisibleItems(std::max(1, listHeight / std::max(1, rowHeight)));
    return combo;
}

QPushButton* createPushButton(const ControlTemplate& c, QWidget* dialog) {
    auto* button = new QPushButton(captionOf(c), dialog);
    button->setAutoDefault(false);  // Enter presses the focused button or the default one only
    button->setDefault(has(c, dlg::defaultButton));
    return button;
}

QFrame* createLine(QWidget* dialog) {
    auto* line = new QFrame(dialog);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// An icon control takes the size of its icon, whatever the template says.
QLabel* createIcon(const ControlTemplate& c, const DialogUnits& units, QWidget* dialog) {
    auto* icon = new QLabel(dialog);
    const QPixmap pixmap = iconPixmap(c.iconId);
    icon->setPixmap(pixmap);
    icon->setGeometry(QRect(QPoint(units.toX(c.x), units.toY(c.y)), pixmap.size()));
    return icon;
}

}  // namespace

int addComboEntry(QComboBox& combo, const QString& text) {
    const bool noSelection = combo.currentIndex() < 0;
    const QString editText = combo.currentText();
    combo.addItem(text);
    if (noSelection && combo.currentIndex() >= 0) {
        combo.setCurrentIndex(-1);
        combo.setEditText(editText);
    }
    return combo.count() - 1;
}

QWidget* createControl(const ControlTemplate& c, const DialogUnits& units, QWidget* dialog) {
    QWidget* widget = nullptr;
    switch (c.kind) {
        case ControlKind::label:
        case ControlKind::statusText:
            widget = createLabel(c, dialog);
            break;
        case ControlKind::groupBox:
            widget = new QGroupBox(captionOf(c), dialog);
            break;
        case ControlKind::line:
            widget = createLine(dialog);
            break;
        case ControlKind::icon:
            widget = createIcon(c, units, dialog);
            break;
        case ControlKind::pushButton:
            widget = createPushButton(c, dialog);
            break;
        case ControlKind::checkBox:
            widget = new QCheckBox(captionOf(c), dialog);
            break;
        case ControlKind::edit:
            widget = createEdit(c, dialog);
            break;
        case ControlKind::combo:
            return createCombo(c, units, dialog);  // places itself
    }

    if (c.kind != ControlKind::icon) widget->setGeometry(units.toRect(c.x, c.y, c.width, c.height));

    const bool isStatic = c.kind == ControlKind::label || c.kind == ControlKind::groupBox ||
                          c.kind == ControlKind::line || c.kind == ControlKind::icon;
    if (isStatic) widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    return widget;
}
