#include "bench/endToEnd/observedDialog.h"

#include <chrono>

#include "app/mainDialog.h"
#include "resources/resourceIds.h"

void ObservedHost::appendText(int id, std::string_view text) {
    if (id == IDC_RXTEXT) shownBytes += text.size();
    real_.appendText(id, text);
}

bool ObservedEvents::onInitDialog(dlg::DialogHost& real) {
    this->real = &real;
    host = std::make_unique<ObservedHost>(real);
    return dialog_.onInitDialog(*host);
}

dlg::EventResult ObservedEvents::onEvent(const dlg::DialogEvent& event) {
    if (event.kind != dlg::EventKind::timer || event.id != TIMER_DISPLAY) return dialog_.onEvent(event);
    const auto start = std::chrono::steady_clock::now();
    const dlg::EventResult result = dialog_.onEvent(event);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (afterDisplayTick) afterDisplayTick(took.count());
    return result;
}
