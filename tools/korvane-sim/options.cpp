#include "tools/korvane-sim/options.h"

#include <charconv>

namespace sim {
namespace {

constexpr std::uint64_t maxRate = 100'000'000;

template <class Number>
bool parseNumber(const std::string& text, Number low, Number high, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc() && stop == end && value >= low && value <= high;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    bool text = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        auto takeValue = [&]() -> std::optional<std::string> {
            if (value) return value;
            if (i + 1 < args.size()) return args[++i];
            error = name + " 需要一个值";
            return std::nullopt;
        };
        if (name == "--port" || name == "-p") {
            const auto number = takeValue();
            if (!number) return std::nullopt;
            if (!parseNumber(*number, 1, 1024, options.port)) {
                error = "端口号应为 1 到 1024: " + *number;
                return std::nullopt;
            }
        } else if (name == "--stream") {
            const auto number = takeValue();
            if (!number) return std::nullopt;
            if (!parseNumber<std::uint64_t>(*number, 1, maxRate, options.streamRate)) {
                error = "速率应为 1 到 " + std::to_string(maxRate) + " 字节/秒: " + *number;
                return std::nullopt;
            }
        } else if (name == "--text" && !value) {
            text = true;
        } else if (name == "--pace" && !value) {
            options.pace = true;
        } else if (name == "--no-pace" && !value) {
            options.pace = false;
        } else if (name == "-v" && !value) {
            options.verbose = true;
        } else if ((name == "--help" || name == "-h") && !value) {
            options.help = true;
        } else {
            error = "未知选项: " + args[i];
            return std::nullopt;
        }
    }
    if (text && options.streamRate == 0) {
        error = "--text 需要与 --stream 一起使用";
        return std::nullopt;
    }
    if (text) options.streamKind = StreamKind::Text;
    return options;
}

std::string usage() {
    return "用法: korvane-sim [--port N] [--stream RATE [--text]] [--no-pace] [-v]\n"
           "在伪终端上模拟一个无线模块, 并把它链接为虚拟端口 COMn.\n"
           "  --port N       端口号 1..1024 (默认 99, 即 COM99)\n"
           "  --stream RATE  以每秒 RATE 字节持续发送: 默认为 0..255 循环计数\n"
           "  --text         与 --stream 同用: 改为发送 GBK 文本行\n"
           "  --pace         按端口当前的波特率和帧格式逐字节送出回复和数据流 (默认)\n"
           "  --no-pace      不限速, 尽快送出\n"
           "  -v             在标准错误上记录收到的命令、发出的回复和丢弃的字节数\n"
           "端口缓冲区 (4095 字节) 满时, 无人读取的输出被丢弃, 如同真实线路.\n"
           "  --help         显示本说明\n";
}

}  // namespace sim
