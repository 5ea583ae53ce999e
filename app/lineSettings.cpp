#include "app/lineSettings.h"

#include <algorithm>

#include "platform/winTypes.h"
#include "resources/resourceIds.h"

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr std::int64_t saturation = std::int64_t{1} << 40;

std::string selectedEntry(const dlg::DialogHost& host, int id) {
    return host.comboEntry(id, host.comboSelection(id));
}

}  // namespace

std::int64_t leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), saturation);
    return negative ? -magnitude : magnitude;
}

std::string devicePathFor(std::int64_t portNumber) { return "\\\\.\\COM" + std::to_string(portNumber); }

LineSettings readLineSettings(const dlg::DialogHost& host) {
    LineSettings settings;
    const std::string port = selectedEntry(host, IDC_PORT);
    settings.portNumber = leadingNumber(port.size() > 3 ? std::string_view(port).substr(3) : std::string_view());
    // The port's own checks refuse what does not fit; the fields take the number's low bits.
    settings.baudRate = static_cast<std::uint32_t>(leadingNumber(selectedEntry(host, IDC_BAUD)));
    settings.dataBits = static_cast<std::uint8_t>(leadingNumber(selectedEntry(host, IDC_DATABITS)));
    settings.parity = static_cast<std::uint8_t>(host.comboSelection(IDC_PARITY));
    const int stopBits = host.comboSelection(IDC_STOPBITS);
    settings.stopBits = static_cast<std::uint8_t>(stopBits == 1 ? TWOSTOPBITS : stopBits);
    return settings;
}
