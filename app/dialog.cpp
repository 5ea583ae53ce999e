#include "app/dialog.h"

Dialog::Dialog(dlg::DialogToolkit& toolkit, const dlg::DialogTemplate& dialogTemplate)
    : toolkit_(toolkit), template_(dialogTemplate) {}

int Dialog::doModal() {
    const int code = toolkit_.runModal(template_, *this);
    host_ = nullptr;
    return code;
}

int Dialog::doModal(dlg::DialogHost& owner) {
    const int code = owner.runModal(template_, *this);
    host_ = nullptr;
    return code;
}

bool Dialog::updateData(bool saveAndValidate) {
    DataExchange exchange(*host_, saveAndValidate);
    const bool done = doDataExchange(exchange);
    rejected_ = exchange.failedControl();
    return done;
}

bool Dialog::onInitDialog(dlg::DialogHost& host) {
    host_ = &host;
    updateData(false);
    return true;
}

// Buttons with the identifiers of OK and Cancel act as Enter and Escape do.
dlg::EventResult Dialog::onEvent(const dlg::DialogEvent& event) {
    if (event.kind == dlg::EventKind::click && event.id == dlg::idOk) {
        onOk();
        return {};
    }
    if (event.kind == dlg::EventKind::click && event.id == dlg::idCancel) {
        onCancel();
        return {};
    }
    return dlg::EventResult::defaultProcessing();
}

void Dialog::onOk() {
    if (updateData(true)) host_->endDialog(dlg::idOk);
}

void Dialog::onCancel() { host_->endDialog(dlg::idCancel); }

bool Dialog::doDataExchange(DataExchange&) { return true; }
