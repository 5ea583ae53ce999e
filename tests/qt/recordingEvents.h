#pragma once
// A dialog logic for tests: it writes down what the host tells it, and a test gives it
// behaviour through the hooks.

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/dialogHost.h"

struct RecordingEvents : dlg::DialogEvents {
    dlg::DialogHost* host = nullptr;
    std::vector<dlg::DialogEvent> events;
    int okCount = 0;
    int cancelCount = 0;

    std::function<bool(dlg::DialogHost&)> init;                       // default: true
    std::function<dlg::EventResult(const dlg::DialogEvent&)> answer;  // default: default processing
    std::function<void()> ok;
    std::function<void()> cancel;

    bool onInitDialog(dlg::DialogHost& dialogHost) override {
        host = &dialogHost;
        return init ? init(dialogHost) : true;
    }
    dlg::EventResult onEvent(const dlg::DialogEvent& event) override {
        events.push_back(event);
        return answer ? answer(event) : dlg::EventResult::defaultProcessing();
    }
    void onOk() override {
        ++okCount;
        if (ok) ok();
    }
    void onCancel() override {
        ++cancelCount;
        if (cancel) cancel();
    }

    int count(dlg::EventKind kind, int id = 0) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const dlg::DialogEvent& e) {
            return e.kind == kind && (id == 0 || e.id == id);
        }));
    }
};
