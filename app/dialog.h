#pragma once
// The base of the program's dialogs: a template, the host while the dialog is up, the data
// exchange, and the default OK and Cancel.

#include "app/dataExchange.h"
#include "platform/dialogHost.h"

class Dialog : public dlg::DialogEvents {
public:
    Dialog(dlg::DialogToolkit& toolkit, const dlg::DialogTemplate& dialogTemplate);
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog as the program's window, or modally over owner; returns the end code.
    int doModal();
    int doModal(dlg::DialogHost& owner);

    // Moves the bound fields to the controls (false) or reads them back with validation
    // (true). False: a box failed; its message has been shown and it has the focus.
    bool updateData(bool saveAndValidate);
    // The box the last exchange rejected, or 0 when it succeeded.
    int rejectedControl() const { return rejected_; }

    // DialogEvents. onInitDialog keeps the host and runs the exchange to the controls.
    bool onInitDialog(dlg::DialogHost& host) override;
    dlg::EventResult onEvent(const dlg::DialogEvent& event) override;
    // OK: the exchange from the controls, then the end with idOk if it succeeded.
    void onOk() override;
    void onCancel() override;

protected:
    virtual bool doDataExchange(DataExchange& exchange);
    dlg::DialogHost& host() { return *host_; }
    dlg::DialogToolkit& toolkit() { return toolkit_; }

private:
    dlg::DialogToolkit& toolkit_;
    const dlg::DialogTemplate& template_;
    dlg::DialogHost* host_ = nullptr;  // set while the window exists
    int rejected_ = 0;
};
