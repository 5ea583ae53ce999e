#include "app/dataExchange.h"

#include <algorithm>
#include <limits>

#include "resources/texts.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Above this, more digits cannot bring a number back into 32 bits.
constexpr std::int64_t beyondAnyRange = std::int64_t{1} << 40;

}  // namespace

std::optional<std::int64_t> parseWholeNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), beyondAnyRange);
    if (i == digitsStart) return std::nullopt;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i != text.size()) return std::nullopt;
    return negative ? -magnitude : magnitude;
}

std::string formatMessage(std::string_view pattern, std::string_view first, std::string_view second) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            out += pattern[i + 1] == '1' ? first : second;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

bool DataExchange::fail(int id, const std::string& message) {
    failed_ = id;
    host_.messageBox(message);
    host_.focusSelectAll(id);
    return false;
}

bool DataExchange::number(int id, std::int32_t& value) {
    if (!saving_) {
        host_.setText(id, std::to_string(value));
        return true;
    }
    const std::optional<std::int64_t> read = parseWholeNumber(host_.text(id));
    if (!read || *read < std::numeric_limits<std::int32_t>::min() ||
        *read > std::numeric_limits<std::int32_t>::max())
        return fail(id, text::enterInteger);
    value = static_cast<std::int32_t>(*read);
    return true;
}

bool DataExchange::number(int id, std::int32_t& value, std::int32_t min, std::int32_t max) {
    if (!saving_) return number(id, value);
    const std::optional<std::int64_t> read = parseWholeNumber(host_.text(id));
    if (!read) return fail(id, text::enterInteger);
    if (*read >= min && *read <= max) {
        value = static_cast<std::int32_t>(*read);
        return true;
    }
    if (*read >= std::numeric_limits<std::int32_t>::min() && *read <= std::numeric_limits<std::int32_t>::max())
        value = static_cast<std::int32_t>(*read);
    return fail(id, formatMessage(text::enterIntegerInRange, std::to_string(min), std::to_string(max)));
}

bool DataExchange::check(int id, std::int32_t& flag) {
    if (saving_)
        flag = host_.checked(id) ? 1 : 0;
    else
        host_.setChecked(id, flag ? 1 : 0);
    return true;
}
