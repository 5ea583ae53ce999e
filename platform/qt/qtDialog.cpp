#include "platform/qt/qtDialog.h"

#include <algorithm>
#include <limits>

#include <QCheckBox>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimerEvent>

#include "platform/qt/controlFactory.h"
#include "platform/qt/controlText.h"
#include "platform/qt/cp936.h"
#include "platform/qt/deviceEvents.h"
#include "platform/qt/iconPixmap.h"
#include "platform/qt/messageBoxes.h"
#include "platform/qt/saveFileDialog.h"
#include "platform/posix/outputFile.h"

using dlg::ControlKind;
using dlg::EventKind;

namespace {

Qt::WindowFlags frameFlags(const dlg::DialogTemplate& dialog) {
    // A window of its own on the task bar, or a dialog over its owner.
    Qt::WindowFlags flags = (dialog.styles & dlg::appWindow) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialog.styles & dlg::systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialog.styles & dlg::minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

QString withoutNuls(QString text) { return text.remove(QChar(u'\0')); }

bool isEnter(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

// A typed character a digits-only edit refuses: printable and not 0-9.
bool refusedByDigitsOnly(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    for (QChar c : key.text())
        if (c.isPrint() && (c < u'0' || c > u'9')) return true;
    return false;
}

}  // namespace

QtDialog::QtDialog(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events, QWidget* parent)
    : QDialog(parent, frameFlags(dialog)), template_(dialog), events_(events) {
    setWindowTitle(fromCp936(dialog.caption != nullptr ? dialog.caption : ""));
    setFont(dialogFont(fromCp936(dialog.fontName != nullptr ? dialog.fontName : ""), dialog.fontPoints));
    units_ = DialogUnits::of(font());
    setFixedSize(units_.toX(dialog.width), units_.toY(dialog.height));
    if (dialog.styles & dlg::systemMenu) systemMenu_ = new QMenu(this);
    createControls();
    setUpTabOrder();
}

QtDialog::~QtDialog() = default;

void QtDialog::createControls() {
    controls_.reserve(template_.controls.size());
    for (const dlg::ControlTemplate& source : template_.controls) {
        const std::size_t index = controls_.size();
        QWidget* w = createControl(source, units_, this);
        w->setObjectName(source.id != dlg::noId ? QStringLiteral("control%1").arg(source.id)
                                                : QStringLiteral("static%1").arg(index));
        controls_.push_back({&source, w});

        if (auto* button = qobject_cast<QAbstractButton*>(w))
            connect(button, &QAbstractButton::clicked, this, [this, index] { clicked(controls_[index]); });

        // Keys reach the control (or a combo's edit field) before the control acts on them.
        w->installEventFilter(this);
        keyWatch_[w] = index;
        if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && combo->lineEdit() != nullptr) {
            combo->lineEdit()->installEventFilter(this);
            keyWatch_[combo->lineEdit()] = index;
        }
    }
}

void QtDialog::setUpTabOrder() {
    QWidget* previous = nullptr;
    for (const Control& c : controls_) {
        const bool takesFocus = c.source->kind == ControlKind::pushButton ||
                                c.source->kind == ControlKind::checkBox ||
                                c.source->kind == ControlKind::edit || c.source->kind == ControlKind::combo;
        if (!(c.source->styles & dlg::tabStop)) {
            // Clicking still focuses an edit or a button; Tab passes it by.
            c.widget->setFocusPolicy(takesFocus ? Qt::ClickFocus : Qt::NoFocus);
            continue;
        }
        c.widget->setFocusPolicy(Qt::StrongFocus);
        if (previous != nullptr) setTabOrder(previous, c.widget);
        previous = c.widget;
    }
}

void QtDialog::focusFirstTabStop() {
    for (const Control& c : controls_) {
        if ((c.source->styles & dlg::tabStop) && c.widget->isEnabled()) {
            c.widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

int QtDialog::run(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events, QWidget* parent,
                  const std::function<void(QtDialog&)>& beforeShow) {
    QtDialog window(dialog, events, parent);
    window.setWindowModality(Qt::ApplicationModal);
    if (events.onInitDialog(window)) window.focusFirstTabStop();
    if (beforeShow) beforeShow(window);
    return window.runLoop();
}

int QtDialog::runLoop() {
    if (!ended_) {  // endDialog may already have come from onInitDialog
        show();
        QEventLoop loop;
        loop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        loop_ = nullptr;
        hide();
    }
    return endCode_;
}

void QtDialog::endDialog(int code) {
    ended_ = true;
    endCode_ = code;
    if (loop_ != nullptr) loop_->exit(code);  // returns once the current event is handled
}

int QtDialog::runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) {
    return run(dialog, events, this);
}

// ---- controls

const QtDialog::Control* QtDialog::find(int id) const {
    if (id == dlg::noId) return nullptr;
    for (const Control& c : controls_)
        if (c.source->id == id) return &c;
    return nullptr;
}

QWidget* QtDialog::control(int id) const {
    const Control* c = find(id);
    return c != nullptr ? c->widget : nullptr;
}

QWidget* QtDialog::controlAt(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < controls_.size() ? controls_[index].widget
                                                                            : nullptr;
}

template <class W>
W* QtDialog::widget(int id) const {
    return qobject_cast<W*>(control(id));
}

std::string QtDialog::text(int id) const { return controlText(control(id)); }

void QtDialog::setText(int id, std::string_view text) { setControlText(control(id), text); }

void QtDialog::appendText(int id, std::string_view text) { appendControlText(control(id), text); }

void QtDialog::setCaption(std::string_view text) { setWindowTitle(withoutNuls(fromCp936(text))); }

int QtDialog::checked(int id) const {
    auto* box = widget<QCheckBox>(id);
    return box != nullptr && box->isChecked() ? 1 : 0;
}

void QtDialog::setChecked(int id, int state) {
    if (auto* box = widget<QCheckBox>(id)) box->setChecked(state != 0);
}

void QtDialog::enable(int id, bool on) {
    if (QWidget* w = control(id)) w->setEnabled(on);
}

bool QtDialog::isEnabled(int id) const {
    QWidget* w = control(id);
    return w != nullptr && w->isEnabled();
}

void QtDialog::comboReset(int id) {
    if (auto* combo = widget<QComboBox>(id)) {
        combo->clear();
        combo->setEditText({});
    }
}

int QtDialog::comboAdd(int id, std::string_view text) {
    auto* combo = widget<QComboBox>(id);
    return combo != nullptr ? addComboEntry(*combo, withoutNuls(fromCp936(text))) : -1;
}

void QtDialog::comboSelect(int id, int index) {
    auto* combo = widget<QComboBox>(id);
    if (combo == nullptr) return;
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        combo->setEditText({});
    } else {
        combo->setCurrentIndex(index);
        combo->setEditText(combo->itemText(index));
    }
}

int QtDialog::comboSelection(int id) const {
    auto* combo = widget<QComboBox>(id);
    return combo != nullptr ? combo->currentIndex() : -1;
}

int QtDialog::comboCount(int id) const {
    auto* combo = widget<QComboBox>(id);
    return combo != nullptr ? combo->count() : 0;
}

std::string QtDialog::comboEntry(int id, int index) const {
    auto* combo = widget<QComboBox>(id);
    if (combo == nullptr || index < 0 || index >= combo->count()) return {};
    return toCp936(combo->itemText(index));
}

void QtDialog::focusSelectAll(int id) {
    QWidget* w = control(id);
    if (w == nullptr) return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) edit->selectAll();
    if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && combo->lineEdit() != nullptr)
        combo->lineEdit()->selectAll();
}

// ---- events

void QtDialog::clicked(const Control& control) {
    // Qt's check box always toggles itself; one without autoCheck is the logic's to set.
    if (auto* box = qobject_cast<QCheckBox*>(control.widget);
        box != nullptr && !(control.source->styles & dlg::autoCheck))
        box->setChecked(!box->isChecked());
    events_.onEvent({EventKind::click, control.source->id});
}

void QtDialog::timerEvent(QTimerEvent* event) {
    const auto tick = std::find_if(timers_.begin(), timers_.end(), [event](const auto& entry) {
        return entry.second.timerId() == event->timerId();
    });
    if (tick == timers_.end()) return QDialog::timerEvent(event);
    events_.onEvent({EventKind::timer, tick->first});
}

void QtDialog::setTimer(int id, unsigned ms) {
    const int period = static_cast<int>(std::min<unsigned>(ms, std::numeric_limits<int>::max()));
    timers_[id].start(period, this);  // a running one restarts with the new period
}

void QtDialog::killTimer(int id) { timers_.erase(id); }  // a QBasicTimer stops as it goes

void QtDialog::messageBox(std::string_view text) {
    showWarningBox(this, QCoreApplication::applicationName(), fromCp936(text));
}

void QtDialog::closeEvent(QCloseEvent* event) {
    event->ignore();  // the logic decides; endDialog closes
    if (!events_.onEvent({EventKind::close}).handled) events_.onCancel();
}

bool QtDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto owner = keyWatch_.find(watched);
        if (owner != keyWatch_.end() && controlKey(controls_[owner->second], *static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool QtDialog::controlKey(const Control& control, const QKeyEvent& key) {
    const dlg::ControlTemplate& source = *control.source;
    if (isEnter(key)) {
        if (auto* button = qobject_cast<QPushButton*>(control.widget)) {
            button->click();
            return true;
        }
        if (source.kind == ControlKind::edit && (source.styles & dlg::multiLine) &&
            (source.styles & dlg::wantReturn))
            return false;  // a line break in the edit
        return dialogKey(key);
    }
    if (key.key() == Qt::Key_Escape) return dialogKey(key);
    if (source.kind == ControlKind::edit && (source.styles & dlg::digitsOnly) && refusedByDigitsOnly(key))
        return true;
    return false;
}

bool QtDialog::dialogKey(const QKeyEvent& key) {
    if (isEnter(key)) {
        events_.onOk();
        return true;
    }
    if (key.key() == Qt::Key_Escape) {
        events_.onCancel();
        return true;
    }
    return false;
}

void QtDialog::keyPressEvent(QKeyEvent* event) {
    // Not QDialog's: that one would reject() on Escape and press buttons on Enter itself.
    if (!dialogKey(*event)) QWidget::keyPressEvent(event);
}

// ---- system menu

bool QtDialog::hasSystemMenu() const { return systemMenu_ != nullptr; }

void QtDialog::appendMenuSeparator() {
    if (systemMenu_ != nullptr) systemMenu_->addSeparator();
}

void QtDialog::appendMenuItem(int command, std::string_view text) {
    if (systemMenu_ == nullptr) return;
    QAction* item = systemMenu_->addAction(withoutNuls(fromCp936(text)));
    item->setData(command);
}

QAction* QtDialog::menuItem(int command) const {
    if (systemMenu_ == nullptr) return nullptr;
    for (QAction* item : systemMenu_->actions())
        if (!item->isSeparator() && item->data().toInt() == command) return item;
    return nullptr;
}

void QtDialog::setMenuItemChecked(int command, bool on) {
    if (QAction* item = menuItem(command)) {
        item->setCheckable(true);
        item->setChecked(on);
    }
}

void QtDialog::setMenuItemText(int command, std::string_view text) {
    if (QAction* item = menuItem(command)) item->setText(withoutNuls(fromCp936(text)));
}

// ---- files

bool QtDialog::askSaveFile(std::string_view fileName, std::string& path, std::string& shownPath) {
    const QString chosen = askSaveFilePath(this, withoutNuls(fromCp936(fileName)));
    if (chosen.isEmpty()) return false;
    const QByteArray native = QFile::encodeName(chosen);
    path.assign(native.constData(), static_cast<std::size_t>(native.size()));
    shownPath = toCp936(chosen);
    return true;
}

std::unique_ptr<dlg::OutputFile> QtDialog::createFile(const std::string& path, dlg::FileError& error) {
    return posix::createOutputFile(path, error);
}

// ---- devices

void QtDialog::watchDevices() {
    if (devices_ != nullptr) return;
    devices_ = std::make_unique<DeviceEvents>([this] {
        if (!ended_) events_.onEvent({EventKind::devicesChanged});
    });
}

void QtDialog::contextMenuEvent(QContextMenuEvent* event) {
    // The window manager's menu takes no items of ours: the dialog's context menu has them.
    if (systemMenu_ == nullptr || systemMenu_->isEmpty()) return QDialog::contextMenuEvent(event);
    if (QAction* chosen = systemMenu_->exec(event->globalPos()); chosen != nullptr)
        events_.onEvent({EventKind::systemCommand, chosen->data().toInt()});
}

// ---- icon and painting

void QtDialog::setIcon(dlg::IconHandle icon) {
    if (icon != nullptr) setWindowIcon(QIcon(*pixmapOf(icon)));
}

bool QtDialog::isMinimized() const { return QWidget::isMinimized(); }

dlg::Size QtDialog::clientSize() const { return {width(), height()}; }

dlg::Size QtDialog::systemIconSize() const { return {32, 32}; }

void QtDialog::paintEvent(QPaintEvent* event) {
    painting_ = true;
    const bool handled = events_.onEvent({EventKind::paint}).handled;
    endPaint();  // in case the handler left it open
    painting_ = false;
    if (!handled) QDialog::paintEvent(event);
}

void QtDialog::beginPaint() {
    if (painting_ && !painter_) painter_.emplace(this);  // a widget is painted in paintEvent only
}

void QtDialog::eraseIconBackground() {
    if (painter_) painter_->fillRect(rect(), palette().window());
}

void QtDialog::drawIcon(int x, int y, dlg::IconHandle icon) {
    if (painter_ && icon != nullptr) painter_->drawPixmap(x, y, *pixmapOf(icon));
}

void QtDialog::endPaint() { painter_.reset(); }
