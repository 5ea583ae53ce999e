#include "tools/korvane-sim/module.h"

#include <algorithm>
#include <vector>

namespace sim {
namespace {

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

const char* describe(Piece::Kind kind) {
    switch (kind) {
    case Piece::Kind::Command: return "收到命令: ";
    case Piece::Kind::Line: return "收到文本: ";
    case Piece::Kind::TooLong: return "收到过长的命令, 已丢弃";
    }
    return "";
}

}  // namespace

void OutputQueue::consume(std::size_t count) {
    head_ += std::min(count, size());
    if (head_ == bytes_.size()) {
        bytes_.clear();
        head_ = 0;
    } else if (head_ > bytes_.size() / 2) {
        bytes_.erase(0, head_);
        head_ = 0;
    }
}

void Module::startStream(StreamKind kind, std::uint64_t bytesPerSecond, Clock::time_point now) {
    stream_.emplace(kind);
    pacer_.emplace(bytesPerSecond, now);
}

void Module::receive(std::string_view bytes) {
    std::vector<Piece> pieces;
    parser_.feed(bytes, pieces);
    for (const Piece& piece : pieces) {
        const std::string reply = replyTo(piece, identity_);
        output_.append(reply);
        if (log_ != nullptr) {
            *log_ << describe(piece.kind) << piece.text << '\n';
            *log_ << "回复: " << withoutLineEnd(reply) << '\n';
        }
    }
}

void Module::tick(Clock::time_point now) {
    if (!pacer_) return;
    const std::int64_t due = pacer_->allowance(now);
    if (due <= 0 || output_.size() >= streamBacklog) return;
    const auto budget = std::min(static_cast<std::size_t>(due), streamBacklog - output_.size());
    std::string bytes;
    pacer_->spent(stream_->produce(budget, bytes));
    output_.append(bytes);
}

}  // namespace sim
