#pragma once
// The data exchange between a dialog's fields and its controls. Each step returns false when
// reading a control back failed; the dialog chains the steps with && so that the fields after
// the failing one keep their values.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dialogHost.h"

class DataExchange {
public:
    DataExchange(dlg::DialogHost& host, bool saveAndValidate)
        : host_(host), saving_(saveAndValidate) {}

    bool saving() const { return saving_; }
    // The box whose value was rejected, or 0.
    int failedControl() const { return failed_; }

    // A number box shown as decimal text. Read back, it must hold a whole decimal number
    // (optionally signed, blanks and tabs around it); otherwise the "enter an integer"
    // message is shown and the value stays as it was.
    bool number(int id, std::int32_t& value);
    // The same with a range check. A number outside the range shows the range message; the
    // value then holds the number that was read (callers decide whether to use it). A number
    // beyond 32 bits is outside any range and leaves the value as it was.
    bool number(int id, std::int32_t& value, std::int32_t min, std::int32_t max);
    // A check box and its 0/1 flag. Never fails.
    bool check(int id, std::int32_t& flag);

private:
    bool fail(int id, const std::string& message);

    dlg::DialogHost& host_;
    bool saving_;
    int failed_ = 0;
};

// The number a box holds, if it holds one: optional sign, decimal digits, blanks or tabs
// before and after. A number beyond 32 bits is returned as such, for the range check.
std::optional<std::int64_t> parseWholeNumber(std::string_view text);

// A message with %1 and %2 replaced by the two arguments.
std::string formatMessage(std::string_view pattern, std::string_view first, std::string_view second);
