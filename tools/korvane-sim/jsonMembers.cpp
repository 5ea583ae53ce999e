#include "tools/korvane-sim/jsonMembers.h"

#include <cstdint>

namespace sim {
namespace {

// A strict recursive-descent reader. Nested values are checked and copied in compact
// form but not kept apart.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<std::map<std::string, JsonValue>> object() {
        std::map<std::string, JsonValue> members;
        skipSpace();
        if (!take('{')) return std::nullopt;
        skipSpace();
        if (!take('}')) {
            do {
                skipSpace();
                JsonValue name;
                if (!string(name)) return std::nullopt;
                skipSpace();
                if (!take(':')) return std::nullopt;
                JsonValue value;
                if (!anyValue(value, 1)) return std::nullopt;
                members[name.text] = std::move(value);
                skipSpace();
            } while (take(','));
            if (!take('}')) return std::nullopt;
        }
        skipSpace();
        if (pos_ != text_.size()) return std::nullopt;
        return members;
    }

private:
    static constexpr int maxDepth = 64;

    bool anyValue(JsonValue& value, int depth) {
        skipSpace();
        if (depth > maxDepth || pos_ >= text_.size()) return false;
        const char c = text_[pos_];
        if (c == '"') return string(value);
        if (c == '{') return container('{', '}', value.compact, depth);
        if (c == '[') return container('[', ']', value.compact, depth);
        if (c == '-' || (c >= '0' && c <= '9')) return number(value.compact);
        for (std::string_view word : {"true", "false", "null"}) {
            if (text_.substr(pos_).starts_with(word)) {
                pos_ += word.size();
                value.compact = word;
                return true;
            }
        }
        return false;
    }

    // An object or array, copied compactly; objects need "name": before each value.
    bool container(char open, char close, std::string& compact, int depth) {
        ++pos_;
        compact += open;
        skipSpace();
        if (take(close)) {
            compact += close;
            return true;
        }
        do {
            if (compact.size() > 1) compact += ',';
            if (open == '{') {
                skipSpace();
                JsonValue name;
                if (!string(name)) return false;
                skipSpace();
                if (!take(':')) return false;
                compact += name.compact + ':';
            }
            JsonValue item;
            if (!anyValue(item, depth + 1)) return false;
            compact += item.compact;
            skipSpace();
        } while (take(','));
        if (!take(close)) return false;
        compact += close;
        return true;
    }

    bool number(std::string& compact) {
        const std::size_t start = pos_;
        take('-');
        if (take('0')) {
        } else if (!digits()) {
            return false;
        }
        if (take('.') && !digits()) return false;
        if (take('e') || take('E')) {
            if (!take('+')) take('-');
            if (!digits()) return false;
        }
        compact = text_.substr(start, pos_ - start);
        return true;
    }

    bool digits() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
        return pos_ > start;
    }

    bool string(JsonValue& value) {
        const std::size_t start = pos_;
        if (!take('"')) return false;
        value.isString = true;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                value.compact = text_.substr(start, pos_ - start);
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;  // raw control characters
            if (c != '\\') {
                value.text += c;
                continue;
            }
            if (pos_ >= text_.size()) return false;
            switch (const char e = text_[pos_++]) {
            case '"': case '\\': case '/': value.text += e; break;
            case 'b': value.text += '\b'; break;
            case 'f': value.text += '\f'; break;
            case 'n': value.text += '\n'; break;
            case 'r': value.text += '\r'; break;
            case 't': value.text += '\t'; break;
            case 'u': if (!unicodeEscape(value.text)) return false; break;
            default: return false;
            }
        }
        return false;
    }

    // \uXXXX (pos_ just past the u), with a following low surrogate where one is needed.
    bool unicodeEscape(std::string& out) {
        std::uint32_t code = 0;
        if (!hex4(code)) return false;
        if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!take('\\') || !take('u') || !hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        appendUtf8(code, out);
        return true;
    }

    bool hex4(std::uint32_t& code) {
        if (text_.size() - pos_ < 4) return false;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
            else return false;
            code = code * 16 + digit;
        }
        return true;
    }

    static void appendUtf8(std::uint32_t code, std::string& out) {
        auto byte = [&](std::uint32_t b) { out += static_cast<char>(b); };
        if (code < 0x80) {
            byte(code);
        } else if (code < 0x800) {
            byte(0xC0 | (code >> 6));
            byte(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            byte(0xE0 | (code >> 12));
            byte(0x80 | ((code >> 6) & 0x3F));
            byte(0x80 | (code & 0x3F));
        } else {
            byte(0xF0 | (code >> 18));
            byte(0x80 | ((code >> 12) & 0x3F));
            byte(0x80 | ((code >> 6) & 0x3F));
            byte(0x80 | (code & 0x3F));
        }
    }

    void skipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::map<std::string, JsonValue>> readObjectMembers(std::string_view json) {
    return Reader(json).object();
}

}  // namespace sim
