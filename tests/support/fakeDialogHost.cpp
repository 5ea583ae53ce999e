#include "tests/support/fakeDialogHost.h"

#include <stdexcept>

#include "resources/dialogs.h"

FakeDialogHost::FakeDialogHost(const dlg::DialogTemplate& dialogTemplate, FakeDialogToolkit* toolkit)
    : caption(dialogTemplate.caption), systemMenu(dialogTemplate.styles & dlg::systemMenu),
      template_(dialogTemplate), toolkit_(toolkit) {
    for (const dlg::ControlTemplate& c : dialogTemplate.controls) {
        if (c.id == dlg::noId) continue;
        Control& control = controls_[c.id];
        control.kind = c.kind;
        control.styles = c.styles;
        if (c.caption) control.text = c.caption;
        for (const char* entry : c.entries) control.entries.push_back(entry);
    }
}

FakeDialogHost::Control& FakeDialogHost::control(int id) {
    auto found = controls_.find(id);
    if (found == controls_.end())
        throw std::out_of_range("no control " + std::to_string(id) + " in dialog " + std::to_string(template_.id));
    return found->second;
}

const FakeDialogHost::Control& FakeDialogHost::control(int id) const {
    return const_cast<FakeDialogHost*>(this)->control(id);
}

std::string FakeDialogHost::text(int id) const {
    return control(id).text;
}

void FakeDialogHost::setText(int id, std::string_view text) {
    control(id).text = text;
    calls.push_back("setText " + std::to_string(id));
}

void FakeDialogHost::appendText(int id, std::string_view text) {
    control(id).text += text;
    appended.emplace_back(text);
    calls.push_back("appendText " + std::to_string(id));
}

void FakeDialogHost::setCaption(std::string_view text) { caption = text; }

int FakeDialogHost::checked(int id) const { return control(id).checked; }

void FakeDialogHost::setChecked(int id, int state) {
    control(id).checked = state;
    calls.push_back("setChecked " + std::to_string(id) + " " + std::to_string(state));
}

void FakeDialogHost::enable(int id, bool on) {
    control(id).enabled = on;
    calls.push_back(std::string(on ? "enable " : "disable ") + std::to_string(id));
}

bool FakeDialogHost::isEnabled(int id) const { return control(id).enabled; }

void FakeDialogHost::comboReset(int id) {
    Control& c = control(id);
    c.entries.clear();
    c.selection = -1;
    c.text.clear();
    calls.push_back("comboReset " + std::to_string(id));
}

int FakeDialogHost::comboAdd(int id, std::string_view text) {
    Control& c = control(id);
    c.entries.emplace_back(text);
    return static_cast<int>(c.entries.size()) - 1;
}

// As a drop-down combo does: selecting an entry shows it in the edit field.
void FakeDialogHost::comboSelect(int id, int index) {
    Control& c = control(id);
    c.selection = index >= 0 && index < static_cast<int>(c.entries.size()) ? index : -1;
    c.text = c.selection >= 0 ? c.entries[c.selection] : std::string();
}

int FakeDialogHost::comboSelection(int id) const { return control(id).selection; }

int FakeDialogHost::comboCount(int id) const { return static_cast<int>(control(id).entries.size()); }

std::string FakeDialogHost::comboEntry(int id, int index) const {
    const Control& c = control(id);
    return index >= 0 && index < static_cast<int>(c.entries.size()) ? c.entries[index] : std::string();
}

void FakeDialogHost::focusSelectAll(int id) {
    control(id);
    focus = id;
    calls.push_back("focusSelectAll " + std::to_string(id));
}

void FakeDialogHost::setTimer(int id, unsigned ms) {
    timers[id] = ms;
    calls.push_back("setTimer " + std::to_string(id) + " " + std::to_string(ms));
}

void FakeDialogHost::killTimer(int id) {
    timers.erase(id);
    calls.push_back("killTimer " + std::to_string(id));
}

void FakeDialogHost::messageBox(std::string_view text) {
    messages.emplace_back(text);
    calls.push_back("messageBox");
    if (onMessage) onMessage(text);
}

void FakeDialogHost::appendMenuSeparator() {
    if (systemMenu) menu.push_back({true, 0, {}});
}

void FakeDialogHost::appendMenuItem(int command, std::string_view text) {
    if (systemMenu) menu.push_back({false, command, std::string(text)});
}

FakeDialogHost::MenuItem* FakeDialogHost::menuItem(int command) {
    for (MenuItem& item : menu)
        if (!item.separator && item.command == command) return &item;
    return nullptr;
}

void FakeDialogHost::setMenuItemChecked(int command, bool on) {
    if (MenuItem* item = menuItem(command)) item->checked = on;
    calls.push_back("setMenuItemChecked " + std::to_string(command) + (on ? " on" : " off"));
}

void FakeDialogHost::setMenuItemText(int command, std::string_view text) {
    if (MenuItem* item = menuItem(command)) item->text = text;
    calls.push_back("setMenuItemText " + std::to_string(command));
}

bool FakeDialogHost::askSaveFile(std::string_view fileName, std::string& path, std::string& shownPath) {
    saveAsked.emplace_back(fileName);
    calls.push_back("askSaveFile");
    if (whileSaveAsked) whileSaveAsked();
    if (!saveAnswer) return false;
    path = shownPath = *saveAnswer;
    return true;
}

std::unique_ptr<dlg::OutputFile> FakeDialogHost::createFile(const std::string& path, dlg::FileError& error) {
    calls.push_back("createFile " + path);
    if (createFails) {
        error = *createFails;
        return nullptr;
    }
    auto& state = files[path];
    state = std::make_shared<FakeFileState>();
    return std::make_unique<FakeOutputFile>(state);
}

void FakeDialogHost::setIcon(dlg::IconHandle handle) {
    icon = handle;
    calls.push_back("setIcon");
}

void FakeDialogHost::beginPaint() { calls.push_back("beginPaint"); }
void FakeDialogHost::eraseIconBackground() { calls.push_back("eraseIconBackground"); }
void FakeDialogHost::drawIcon(int x, int y, dlg::IconHandle handle) {
    calls.push_back("drawIcon " + std::to_string(x) + " " + std::to_string(y) +
                    (handle == icon ? " window icon" : " other icon"));
}
void FakeDialogHost::endPaint() { calls.push_back("endPaint"); }

void FakeDialogHost::endDialog(int code) {
    endCode = code;
    calls.push_back("endDialog " + std::to_string(code));
}

int FakeDialogHost::runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) {
    modalRuns.push_back(dialog.id);
    if (!toolkit_) throw std::logic_error("a modal run over a host without a toolkit");
    return toolkit_->runModal(dialog, events);
}

bool FakeDialogHost::initDialog(dlg::DialogEvents& events) {
    attach(events);
    return events.onInitDialog(*this);
}

dlg::EventResult FakeDialogHost::click(int id) {
    Control& c = control(id);
    if (!c.enabled) return dlg::EventResult::defaultProcessing();
    if (c.kind == dlg::ControlKind::checkBox && (c.styles & dlg::autoCheck)) c.checked = c.checked ? 0 : 1;
    return events_->onEvent({dlg::EventKind::click, id});
}

dlg::EventResult FakeDialogHost::tick(int timerId) { return events_->onEvent({dlg::EventKind::timer, timerId}); }

dlg::EventResult FakeDialogHost::systemCommand(int command) {
    return events_->onEvent({dlg::EventKind::systemCommand, command});
}

dlg::EventResult FakeDialogHost::devicesChanged() { return events_->onEvent({dlg::EventKind::devicesChanged}); }

dlg::EventResult FakeDialogHost::paint() { return events_->onEvent({dlg::EventKind::paint, 0}); }

dlg::EventResult FakeDialogHost::queryDragIcon() { return events_->onEvent({dlg::EventKind::queryDragIcon, 0}); }

void FakeDialogHost::requestClose() {
    if (!events_->onEvent({dlg::EventKind::close, 0}).handled) events_->onCancel();
}

dlg::IconHandle FakeDialogToolkit::iconHandle(int iconId) {
    static std::map<int, char> handles;  // one stable address per identifier, never read
    return &handles[iconId];
}

dlg::IconHandle FakeDialogToolkit::loadIcon(int iconId) {
    iconsLoaded.push_back(iconId);
    return iconHandle(iconId);
}

std::string FakeDialogToolkit::loadString(int stringId) {
    auto found = strings.find(stringId);
    return found != strings.end() ? found->second : std::string(resourceString(stringId));
}

int FakeDialogToolkit::runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) {
    hosts.push_back(std::make_unique<FakeDialogHost>(dialog, this));
    FakeDialogHost& host = *hosts.back();
    host.initDialog(events);
    auto script = scripts.find(dialog.id);
    if (script != scripts.end()) script->second(host);
    return host.endCode;
}
